// Two lobbies in one arena of the reference service: each is the lobby's own
// controllers over a copy of the real libTSClient.so (a copy each, so that
// the library's process-wide link stays apart as in two processes), with
// recording views in place of the windows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "../support/recording_view.h"
#include "../support/service_process.h"
#include "lobby/lobby.h"
#include "platform/shared_library.h"

namespace tessary::lobby {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::ServiceProcess;

constexpr auto kDeadline = std::chrono::seconds(10);

// One player's lobby: its own library copy, views and controllers.
struct Player {
    Player(const fs::path& library, const std::string& name, int routerPort) {
        const auto bound = libraryFile.bindTable(library, api);
        EXPECT_TRUE(bound.bound) << bound.error;
        view.login = {name, "secret1"};

        lobby = std::make_unique<Lobby>(api, view.views());
        lobby->flow().setRouter("127.0.0.1", routerPort);
        everyone().push_back(this);
    }
    ~Player() {
        std::erase(everyone(), this);
        if (lobby) lobby->flow().disconnect();
    }

    // Every lobby's timer runs while one waits: the library sends only
    // while it is polled.
    static std::vector<Player*>& everyone() {
        static std::vector<Player*> players;
        return players;
    }

    // Polls as the 50 ms timers do until `done` holds or the deadline passes.
    template <class Condition>
    bool pollUntil(Condition done) {
        const auto end = std::chrono::steady_clock::now() + kDeadline;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            for (Player* player : everyone()) {
                player->lobby->flow().poll();
                if (player->lobby->flow().state() == LobbyState::RouterLoggedIn) player->lobby->arenaList().refreshPings();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Lines of chat tab `name` (the arena tab is "text 21").
    std::vector<std::string> lines(const std::string& tab) const {
        const auto& tabs = lobby->chat().tabs();
        for (int i = 0; i < tabs.count(); ++i) {
            if (tabs.tab(i).name != tab) continue;
            std::vector<std::string> texts;
            for (const auto& line : tabs.tab(i).pane.lines()) texts.push_back(line.text);
            return texts;
        }
        return {};
    }
    bool has(const std::string& tab, const std::string& line) const {
        const auto all = lines(tab);
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    bool lists(const std::string& name) const { return lobby->players().model().rows.find(name) >= 0; }

    bool createAccount() {
        lobby->account().newUser();
        if (!pollUntil([&] { return view.accountShown.has_value(); })) return false;
        view.form.name = view.login.name;
        view.form.password = view.form.confirmation = view.login.password;
        view.form.field1003 = view.login.name + " Tester";
        view.form.field1004 = "tester@example.org";
        view.form.field1005 = "http://example.org/";
        view.form.country = "Chile";
        view.form.description = "Plays on Tuesdays.";
        lobby->account().saveAccount();
        return pollUntil([&] {
            return lobby->flow().state() == LobbyState::RouterLoggedIn && view.mainVisible &&
                   !lobby->arenaList().model().arenas.empty() && !lobby->busy().busy();
        });
    }

    bool enterArena(const std::string& name) {
        const auto& arenas = lobby->arenaList().model().arenas;
        const auto ready = [&] {
            // An arena with a ping limit waits for its first measurement.
            const auto arena = std::ranges::find(arenas, name, &controls::ArenaRow::name);
            return arena != arenas.end() && (arena->maximumPing < 0 || arena->ping >= 0);
        };
        if (!pollUntil([&] { return lobby->flow().state() == LobbyState::RouterLoggedIn && ready(); })) return false;
        lobby->arenaList().join(name);
        return pollUntil([&] { return lobby->flow().state() == LobbyState::InArena && !lobby->busy().busy(); });
    }

    platform::SharedLibrary libraryFile;
    ClientApi api;
    RecordingView view;
    std::unique_ptr<Lobby> lobby;
};

class ArenaVisitTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/arena-visit-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        const char* service = std::getenv("TESSARY_TEST_SERVICE");
        const char* dist = std::getenv("TESSARY_DIST");
        ASSERT_TRUE(service != nullptr && dist != nullptr);
        service_ = std::make_unique<ServiceProcess>(service, folder_);
        ASSERT_TRUE(service_->start()) << service_->log();
        for (const char* copy : {"ann.so", "bob.so"}) {
            fs::copy_file(fs::path(dist) / "libTSClient.so", folder_ / copy);
        }
    }
    void TearDown() override {
        service_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
    std::unique_ptr<ServiceProcess> service_;
};

TEST_F(ArenaVisitTest, TwoPlayersChatPrivatelyIgnoreAndChangeArena) {
    Player ann(folder_ / "ann.so", "Ann", service_->routerPort());
    Player bob(folder_ / "bob.so", "Bob", service_->routerPort());
    ASSERT_TRUE(ann.createAccount()) << service_->log();
    ASSERT_TRUE(bob.createAccount()) << service_->log();

    // Both in the arena, each in the other's list.
    ASSERT_TRUE(ann.enterArena("Arena 1")) << service_->log();
    ASSERT_TRUE(bob.enterArena("Arena 1")) << service_->log();
    ASSERT_TRUE(ann.pollUntil([&] { return ann.lists("Bob") && ann.has("text 21", "chat 29 Bob"); }));
    ASSERT_TRUE(bob.pollUntil([&] { return bob.lists("Ann") && bob.lists("Bob"); }));

    // The arena tab both ways.
    ann.lobby->chat().enter("Hello from Ann");
    ASSERT_TRUE(bob.pollUntil([&] { return bob.has("text 21", "<Ann> Hello from Ann "); }));
    bob.lobby->chat().enter("/me waves");
    ASSERT_TRUE(ann.pollUntil([&] { return ann.has("text 21", "~~~> Bob waves "); }));

    // A private tab opened by a double click on the player's row, answered
    // into a tab the other side opens by itself.
    bob.lobby->players().activate(bob.lobby->players().model().rows.find("Ann"));
    bob.lobby->chat().enter("Just between us");
    EXPECT_TRUE(bob.has("Ann", "<Bob> Just between us "));
    ASSERT_TRUE(ann.pollUntil([&] { return ann.has("Bob", "<Bob> Just between us "); }));
    EXPECT_EQ(ann.lobby->chat().tabs().current(), 0) << "a received private line does not take the view";
    ann.lobby->chat().selectTab(ann.lobby->chat().tabs().findPrivate("Bob"));
    ann.lobby->chat().enter("Agreed");
    ASSERT_TRUE(bob.pollUntil([&] { return bob.has("Ann", "<Ann> Agreed "); }));

    // A player's moderation command reaches the service, which refuses it.
    bob.lobby->chat().enter("/kick Ann for fun");
    ASSERT_TRUE(bob.pollUntil([&] { return bob.lines("TessaryService").size() >= 2; })) << service_->log();
    EXPECT_EQ(bob.lines("TessaryService").front(), "<Bob> /KICK Ann for fun ");
    ASSERT_TRUE(ann.pollUntil([&] { return ann.lobby->flow().state() == LobbyState::InArena; }));

    // Ann ignores Bob: his next line is dropped. Ann's own later line comes
    // back after it on the same link, so by then Bob's has been read.
    ann.lobby->chat().selectTab(0);
    ann.lobby->chat().enter("/ignore Bob");
    bob.lobby->chat().selectTab(0);
    bob.lobby->chat().enter("Buy gold now");
    ASSERT_TRUE(bob.pollUntil([&] { return bob.has("text 21", "<Bob> Buy gold now "); }));
    ann.lobby->chat().enter("Quiet now");
    ASSERT_TRUE(ann.pollUntil([&] { return ann.has("text 21", "<Ann> Quiet now "); }));
    EXPECT_FALSE(ann.has("text 21", "<Bob> Buy gold now "));
    EXPECT_TRUE(ann.has("text 21", "chat 97 Bob"));

    // Bob goes back to the Router: Ann sees him leave.
    bob.lobby->flow().backToRouter();
    ASSERT_TRUE(ann.pollUntil([&] { return !ann.lists("Bob"); })) << service_->log();
    EXPECT_TRUE(ann.has("text 21", "chat 30 Bob"));

    // Bob changes to the second arena: its conversation starts afresh and he
    // is alone there. Ann follows; each lists the other again.
    ASSERT_TRUE(bob.enterArena("Arena 2")) << service_->log();
    ASSERT_TRUE(bob.pollUntil([&] { return bob.lists("Bob"); }));
    EXPECT_EQ(bob.lines("text 21"), std::vector<std::string>{"chat 53 Arena 2"});
    EXPECT_EQ(bob.lobby->chat().tabs().findPrivate("Ann"), -1);
    EXPECT_FALSE(bob.lists("Ann"));
    ann.lobby->flow().backToRouter();
    ASSERT_TRUE(ann.enterArena("Arena 2")) << service_->log();
    ASSERT_TRUE(bob.pollUntil([&] { return bob.lists("Ann") && bob.has("text 21", "chat 29 Ann"); }));
    ASSERT_TRUE(ann.pollUntil([&] { return ann.lists("Bob") && ann.lists("Ann"); }));
    EXPECT_FALSE(ann.has("text 21", "<Ann> Quiet now "));
    EXPECT_EQ(ann.lobby->chat().tabs().findPrivate("Bob"), -1);
    ann.lobby->chat().enter("Found you");
    ASSERT_TRUE(bob.pollUntil([&] { return bob.has("text 21", "<Ann> Found you "); }));
}

}  // namespace
}  // namespace tessary::lobby
