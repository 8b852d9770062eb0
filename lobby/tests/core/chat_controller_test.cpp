#include "lobby/chat_controller.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;
using testing::answerTo;

using testing::fake;
using testing::LobbyStage;

// Ann in North with Bob and Cy listed, the clock at 100 s.
void withPlayers(LobbyStage& s) {
    s.inArena();
    s.lobby.chat().setClock([] { return std::int64_t{100}; });
    fake().players = {{"Ann", 5}, {"Bob", 4}, {"Cy", 0}};
    s.deliver(PLAYERLIST);
    s.lobby.chat().setLook({controls::chatColour(200, 220, 255), 2});
}

std::vector<std::string> sent() {
    std::vector<std::string> lines;
    for (const auto& chat : fake().chatsSent) lines.push_back(chat.to + "|" + chat.text);
    return lines;
}

std::vector<std::string> tabNames(const ChatController& chat) {
    std::vector<std::string> names;
    for (int i = 0; i < chat.tabs().count(); ++i) names.push_back(chat.tabs().tab(i).name);
    return names;
}

TEST(ChatTable, TypedLinesAndCommands) {
    struct Row {
        const char* name;
        std::function<void(LobbyStage&)> given;
        std::string input;
        std::vector<std::string> sent, shown, tabs;
    };
    const auto privateWithBob = [](LobbyStage& s) {
        withPlayers(s);
        s.lobby.chat().openPrivate("Bob");
    };
    const auto inSession = [](LobbyStage& s) {
        withPlayers(s);
        s.lobby.chat().setSessionTab("Duel");
    };
    const std::vector<std::string> arenaOnly{"text 21"};
    const Row rows[] = {
        {"chat to the arena", withPlayers, "hello", {"*all|hello"}, {}, arenaOnly},
        {"an action is chat", withPlayers, "/me waves", {"*all|/me waves"}, {}, arenaOnly},
        {"/ME too", withPlayers, "/ME waves", {"*all|/ME waves"}, {}, arenaOnly},
        {"/mention is an unknown command", withPlayers, "/mention", {}, {"0: chat 23 MENTION"}, arenaOnly},
        {"/whois needs a name", withPlayers, "/whois", {}, {"0: chat 22 WHOIS"}, arenaOnly},
        {"/whois of someone not here", withPlayers, "/whois Zed", {}, {"0: chat 24 WHOIS Zed"}, arenaOnly},
        {"/chat opens the private tab as listed", withPlayers, "/chat bob", {}, {}, {"text 21", "Bob"}},
        {"a private line is sent and shown at once", privateWithBob, "hi there", {"Bob|hi there"},
         {"1: <Ann> hi there "}, {"text 21", "Bob"}},
        {"the session tab chats to the session", inSession, "gg", {"*session|gg"}, {}, {"text 21", "Duel"}},
        {"a moderator's command goes to the service", withPlayers, "/kick  Mallory spam links",
         {"TessaryService|/KICK Mallory spam links"}, {"1: <Ann> /KICK Mallory spam links "},
         {"text 21", "TessaryService"}},
        {"/ban with days and a reason", withPlayers, "/BAN Mallory 7 bots",
         {"TessaryService|/BAN Mallory 7 bots"}, {"1: <Ann> /BAN Mallory 7 bots "}, {"text 21", "TessaryService"}},
        {"/unban without a name", withPlayers, "/unban", {}, {"0: chat 22 UNBAN"}, arenaOnly},
        {"/ignore", withPlayers, "/ignore Bob", {}, {"0: chat 97 Bob"}, arenaOnly},
        {"/ignore with nobody ignored", withPlayers, "/IGNORE", {}, {"0: chat 100 "}, arenaOnly},
        {"/unignore of someone not ignored", withPlayers, "/unignore Bob", {}, {"0: chat 103 Bob"}, arenaOnly},
        {"nothing typed", withPlayers, "", {}, {}, arenaOnly},
    };
    for (const auto& row : rows) {
        LobbyStage stage;
        row.given(stage);
        fake().chatsSent.clear();
        stage.view.shownLines.clear();
        stage.lobby.chat().enter(row.input);
        EXPECT_EQ(sent(), row.sent) << row.name;
        EXPECT_EQ(stage.view.shownLines, row.shown) << row.name;
        EXPECT_EQ(tabNames(stage.lobby.chat()), row.tabs) << row.name;
    }
    // The chat's colour and font go with the line.
    LobbyStage stage;
    withPlayers(stage);
    stage.lobby.chat().enter("hello");
    ASSERT_EQ(fake().chatsSent.size(), 1U);
    EXPECT_EQ(fake().chatsSent[0].colour, 200 + 256 * 220 + 65536 * 255);
    EXPECT_EQ(fake().chatsSent[0].font, 2);
}

TEST(ChatTable, CommandsReachTheOtherWindows) {
    LobbyStage stage;
    withPlayers(stage);
    auto& chat = stage.lobby.chat();
    chat.enter("/whois  BOB ");
    EXPECT_EQ(fake().infoAsks, (std::vector<std::string>{"Bob"}));
    stage.view.calls.clear();
    chat.enter("/page Cy");
    EXPECT_EQ(stage.view.calls, (std::vector<std::string>{"pageWrite Cy", "focusMessage"}));
    chat.enter("/leave");
    EXPECT_EQ(fake().leaves, 1);
    chat.enter("/ignore Cy");
    chat.enter("/ignore Bob");
    stage.view.shownLines.clear();
    chat.enter("/ignore");
    EXPECT_EQ(stage.view.shownLines, (std::vector<std::string>{"0: chat 99 Cy, Bob"}));
    EXPECT_EQ(stage.view.ignoreLists["Ann"].names(), (std::vector<std::string>{"Cy", "Bob"}));
    chat.enter("/nocolor");
    EXPECT_TRUE(chat.tabs().colourOff());
}

TEST(ChatTable, ReceivedLines) {
    struct Row {
        const char* name;
        std::function<void(LobbyStage&)> given;
        int32_t type;
        testing::FakeClient::ChatIn in;
        std::vector<std::string> shown;
        int current, flashes;
        bool unread;  // of the tab the line went to, or of tab 1
    };
    const auto ignoring = [](LobbyStage& s) {
        withPlayers(s);
        s.lobby.chat().enter("/ignore bob");
        s.view.shownLines.clear();
    };
    const auto privateWithCy = [](LobbyStage& s) {
        withPlayers(s);
        s.lobby.chat().openPrivate("Cy");
    };
    const auto inSession = [](LobbyStage& s) {
        withPlayers(s);
        s.lobby.chat().setSessionTab("Duel");
    };
    const Row rows[] = {
        {"arena line", withPlayers, CHATALL, {"Bob", "hi", 255, 1}, {"0: <Bob> hi "}, 0, 1, false},
        {"an action", withPlayers, CHATALL, {"Bob", "/me waves", 255, 1}, {"0: ~~~> Bob waves "}, 0, 1, false},
        {"a private line opens a tab without taking the view", withPlayers, CHATLIST,
         {"Cy", "psst", 0, 0}, {"1: <Cy> psst "}, 0, 1, true},
        {"into the open private tab", privateWithCy, CHATLIST, {"Cy", "again", 0, 0}, {"1: <Cy> again "}, 1,
         1, false},
        {"a session line without a session tab", withPlayers, CHATSESSION, {"Bob", "gg", 0, 0}, {}, 0, 1, false},
        {"a session line", inSession, CHATSESSION, {"Bob", "gg", 0, 0}, {"1: <Bob> gg "}, 1, 1, false},
        {"an ignored name's line", ignoring, CHATALL, {"BOB", "spam", 0, 0}, {}, 0, 0, false},
        {"an ignored name's private line", ignoring, CHATLIST, {"Bob", "spam", 0, 0}, {}, 0, 0, false},
        {"control characters in a name", withPlayers, CHATALL, {"B\nob", "a\tb", 0, 0}, {"0: <B ob> a b "}, 0, 1,
         false},
    };
    for (const auto& row : rows) {
        LobbyStage stage;
        row.given(stage);
        stage.view.shownLines.clear();
        fake().chatIn = row.in;
        stage.deliver(row.type);
        const auto& tabs = stage.lobby.chat().tabs();
        EXPECT_EQ(stage.view.shownLines, row.shown) << row.name;
        EXPECT_EQ(tabs.current(), row.current) << row.name;
        EXPECT_EQ(stage.view.flashes, row.flashes) << row.name;
        EXPECT_EQ(tabs.count() > 1 && tabs.tab(1).unread, row.unread) << row.name;
    }
    // A colour beyond white is white.
    LobbyStage stage;
    withPlayers(stage);
    fake().chatIn = {"Bob", "loud", static_cast<int32_t>(0xFF000000u), 0};
    stage.deliver(CHATALL);
    EXPECT_EQ(stage.lobby.chat().tabs().tab(0).pane.lines().back().colour, controls::kWhite);
}

TEST(ChatTable, IgnoredNamesPagesAndArenaChanges) {
    LobbyStage stage;
    withPlayers(stage);
    stage.lobby.chat().enter("/ignore Bob");
    fake().pageSender = "bob";
    stage.view.calls.clear();
    stage.deliver(PAGER);
    EXPECT_EQ(stage.view.calls, std::vector<std::string>{}) << "a page from an ignored name is dropped";

    // Back in the same arena the lines stay; another arena starts afresh.
    auto& chat = stage.lobby.chat();
    chat.openPrivate("Cy");
    stage.flow.backToRouter();
    stage.deliver(answerTo(LOGIN));
    stage.flow.joinArena("North");
    EXPECT_EQ(chat.tabs().count(), 2);
    stage.flow.joinArena("South");
    EXPECT_EQ(chat.tabs().count(), 1);
    EXPECT_EQ(chat.tabs().tab(0).pane.count(), 0);
}

TEST(ChatTable, SavedTabStaysInItsFolder) {
    const auto folder = std::filesystem::temp_directory_path() / ("chat_save_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "in");
    LobbyStage stage;
    withPlayers(stage);
    fake().chatIn = {"../../evil", "hello", 0, 0};
    stage.deliver(CHATLIST);
    stage.lobby.chat().selectTab(1);
    EXPECT_TRUE(stage.lobby.chat().saveCurrentTab((folder / "in").string()));
    std::ifstream saved(folder / "in" / "_.._evil.txt");
    std::string line;
    EXPECT_TRUE(std::getline(saved, line));
    EXPECT_EQ(line, "<../../evil> hello ");
    EXPECT_FALSE(std::filesystem::exists(folder / "evil.txt"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessary::lobby
