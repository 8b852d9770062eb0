#include "lobby/pages_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;
using testing::answerTo;

using testing::fake;
using testing::LobbyStage;

TEST(PageRules, RecipientsAreSplitTrimmedAndCut) {
    const struct {
        const char* field;
        std::vector<std::string> names;
    } cases[] = {
        {"Ann ; Bob+ Cy ,Dee", {"Ann", "Bob", "Cy", "Dee"}},
        {"abcdefghijklmnopqrst", {"abcdefghijklmno"}},
        {"Ann,, ;Bob,", {"Ann", "Bob"}},
        {"  ", {}},
        {"Jo Lee", {"Jo Lee"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitRecipients(c.field), c.names) << c.field;
}

TEST(PageRules, RemovalQuestionAndStoredList) {
    const struct {
        std::vector<std::string> names;
        const char* question;
    } cases[] = {
        {{"Ann"}, "Remove Ann ?"},
        {{"Ann", "Bob"}, "Remove Ann and Bob ?"},
        {{"a", "b", "c", "d", "e", "f"}, "Remove a, b, c, d, e and\nf ?"},
        {{"a", "b", "c", "d", "e", "f", "g"}, "Remove a, b, c, d, e,\nf and g ?"},
    };
    for (const auto& c : cases) EXPECT_EQ(buddyRemovalQuestion("Remove ", c.names), c.question);
    EXPECT_EQ(buddySectionText({"Ann", "Jo Lee", ""}), "3 Ann Jo|Lee | ");
    EXPECT_EQ(buddySectionText({}), "0 ");
}

TEST(PhotoRules, StockChoiceWrapsAround) {
    const struct {
        int32_t count, current;
        bool next;
        std::array<int32_t, 3> shown;
    } cases[] = {
        {12, 12, true, {12, 1, 2}},
        {12, 1, false, {11, 12, 1}},
        {12, 5, true, {5, 6, 7}},
        {1, 1, true, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        StockPhotoChoice choice{c.count, c.current};
        c.next ? choice.next() : choice.back();
        EXPECT_EQ(choice.shown(), c.shown) << c.count << " " << c.current;
    }
}

// Each received page, search answer or command, and what the windows show.
TEST(PagesControllerTable, MessagesAndCommands) {
    const auto pages = [](LobbyStage& s) -> PagesController& { return s.lobby.pages(); };
    const auto form = [](const char* to, const char* text, bool all = false) {
        return [=](LobbyStage& s) { s.view.page = {to, text, all}; };
    };
    const auto send = [&](LobbyStage& s) { pages(s).sendPage(); };
    const auto found = [&](LobbyStage& s) { pages(s).search("Cy"), s.deliver(answerTo(SEARCHPLAYER)); };
    const testing::Row rows[] = {
        {"page received in an arena (205)",
         [](LobbyStage& s) { s.inArena(), fake().pageSender = "B\x01ob", fake().pageText = "hi\tyou"; },
         [](LobbyStage& s) { s.deliver(PAGER); }, {"pageRead B ob: hi you", "sound pagereceive"}},
        {"reply", [](LobbyStage& s) { s.inArena(), s.deliver(PAGER); },
         [&](LobbyStage& s) { pages(s).reply(); }, {"pageWrite Bob", "focusMessage"}},
        {"send without recipients", form("", "hi"), send, {"focusRecipients"}},
        {"send without a message", form("Ann", ""), send, {"focusMessage"}},
        {"send with separators only", form(" , ;", "hi"), send, {"focusRecipients"}},
        {"send", form("Ann; Bob", "hi"), send, {"sound pagesend", "closePage"}},
        {"send to all buddies", form("", "hi", true), send, {"sound pagesend", "closePage"}},
        {"search without a name", {}, [&](LobbyStage& s) { pages(s).search(""); },
         {"message 69/68"}},
        {"search sent", [](LobbyStage& s) { s.loggedIn(); },
         [&](LobbyStage& s) { pages(s).search("Cy"); }, {"busy"}},
        {"player found (14)", [&](LobbyStage& s) { s.loggedIn(), pages(s).search("Cy"); },
         [](LobbyStage& s) { s.deliver(answerTo(SEARCHPLAYER)); }, {"notBusy", "found Cy in South"}},
        {"player not connected (14)",
         [&](LobbyStage& s) { s.loggedIn(), fake().searchAnswer.result = kAnswerFailure; },
         found, {"busy", "notBusy", "notFound", "message 71/68"}},
        {"go from the router view", [&](LobbyStage& s) { s.loggedIn(), found(s); },
         [&](LobbyStage& s) { pages(s).go(); },
         {"sound connectarena", "closeSearch", "busy"}},
        {"go to the arena the player is in already",
         [&](LobbyStage& s) { s.inArena(), fake().foundArena = "North", found(s); },
         [&](LobbyStage& s) { pages(s).go(); }, {"sound connectarena", "closeSearch"}},
        {"go from another arena",
         [&](LobbyStage& s) { s.inArena(), found(s); },
         [&](LobbyStage& s) { pages(s).go(), s.deliver(answerTo(LOGIN)); },
         {"sound connectarena", "closeSearch", "chat 54 ", "routerView", "busy", "notBusy", "busy",
          "notBusy", "title TSClient - Ann", "busy"}},
        {"go without an answer", {}, [&](LobbyStage& s) { pages(s).go(); }, {}},
        {"remove with nothing selected", [&](LobbyStage& s) { pages(s).openBuddies(); },
         [&](LobbyStage& s) { pages(s).removeBuddies({}); }, {"message 41/42"}},
        {"remove refused, then close",
         [&](LobbyStage& s) { pages(s).openBuddies(), s.view.removalAnswer = false; },
         [&](LobbyStage& s) { pages(s).removeBuddies({1}), pages(s).closeBuddies(); },
         {"confirmRemoval", "storeBuddies 2"}},
        {"remove, then close", [&](LobbyStage& s) { pages(s).openBuddies(); },
         [&](LobbyStage& s) { pages(s).removeBuddies({1, 0}), pages(s).closeBuddies(); },
         {"confirmRemoval", "storeBuddies 0"}},
        {"add from the player menu", {}, [&](LobbyStage& s) { pages(s).addBuddy("Fay"); },
         {"storeBuddies 3"}},
        {"add one already there, in another case", {}, [&](LobbyStage& s) { pages(s).addBuddy("dee"); },
         {"storeBuddies 2"}},
        {"add while the window is open", [&](LobbyStage& s) { pages(s).openBuddies(); },
         [&](LobbyStage& s) { pages(s).addBuddy("Fay"), pages(s).closeBuddies(); },
         {"showBuddies 3", "storeBuddies 3"}},
    };
    testing::runRows(rows);
}

TEST(PagesControllerTable, WhatIsSentAndKept) {
    LobbyStage s;
    s.view.page = {"Ann ; Bob+ Cy ,abcdefghijklmnopqrst", "hi", true};
    s.lobby.pages().sendPage();
    ASSERT_EQ(fake().pages.size(), 1u);
    EXPECT_EQ(fake().pages[0].names,
              (std::vector<std::string>{"Ann", "Bob", "Cy", "abcdefghijklmno", "Dee", "Eve"}));
    EXPECT_EQ(fake().pages[0].message, "hi");

    s.lobby.pages().openBuddies();
    s.lobby.pages().removeBuddies({0, 1});
    EXPECT_EQ(s.view.question, "text 43Dee and Eve ?");

    s.inArena();
    s.lobby.pages().search("Cy");
    s.deliver(answerTo(SEARCHPLAYER));
    fake().joins.clear();
    s.lobby.pages().go();
    s.deliver(answerTo(LOGIN));
    EXPECT_EQ(fake().joins, std::vector<std::string>{"South"});
    EXPECT_EQ(s.flow.state(), LobbyState::RouterLoggedIn);
}

// The own information panel, the information window and photos.
TEST(PlayerInfoControllerTable, CardsAndPhotos) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / "pages_photos";
    std::filesystem::remove_all(folder);
    const auto at = [folder](LobbyStage& s) { s.view.photoFolder = folder; };
    const auto jpeg = [at](LobbyStage& s) { at(s), fake().photo = "\xFF\xD8\xFF\xE0x"; };
    const auto arena = [at](LobbyStage& s) { at(s), s.inArena(), s.view.openInfo = {"Cy"}; };
    const auto photo = [](LobbyStage& s) { s.deliver(PHOTO); };
    const testing::Row rows[] = {
        {"own card (26)", [](LobbyStage& s) { s.loggedIn(); },
         [](LobbyStage& s) { s.deliver(PLAYERINFO); }, {"ownPhoto default", "ownInfo Ann"}},
        {"own stock photo of 4 bytes (207)", at, photo, {"ownPhoto stock 7"}},
        {"own photo of 5 bytes (207)", jpeg, photo, {"ownPhoto file photo.jpg"}},
        {"own photo too large to read (207)",
         [at](LobbyStage& s) { at(s), fake().photo.assign(kMaxReceivedPhoto + 1, 'x'); }, photo,
         {"ownPhoto default"}},
        {"information asked", [](LobbyStage& s) { s.inArena(); },
         [](LobbyStage& s) { s.lobby.playerInfo().askPlayerInfo("Cy"); }, {"busy"}},
        {"information answer (25)",
         [](LobbyStage& s) { s.inArena(), s.lobby.playerInfo().askPlayerInfo("Cy"); },
         [](LobbyStage& s) { s.deliver(answerTo(GETPLAYERINFO)); }, {"notBusy", "playerInfo Cy"}},
        {"information refused (25)",
         [](LobbyStage& s) { s.inArena(), fake().playerInfo.result = kAnswerFailure; },
         [](LobbyStage& s) { s.deliver(answerTo(GETPLAYERINFO)); }, {}},
        {"arena photo for the open window (207)",
         [&](LobbyStage& s) { arena(s), jpeg(s); }, photo, {"playerPhoto Cy file infophoto.jpg"}},
        {"arena stock photo (207)", arena, photo, {"playerPhoto Cy stock 7"}},
        {"arena photo for a closed window (207)",
         [&](LobbyStage& s) { arena(s), s.view.openInfo.clear(); }, photo, {}},
    };
    testing::runRows(rows);

    std::ifstream written(folder / "infophoto.jpg", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "\xFF\xD8\xFF\xE0x");
    std::filesystem::remove_all(folder);
}

TEST(PlayerInfoControllerTable, CardRows) {
    LobbyStage s;
    s.inArena();
    fake().playerCard[5] = "line\x1b one";
    s.deliver(answerTo(GETPLAYERINFO));
    ASSERT_TRUE(s.view.infoCard);
    EXPECT_EQ(s.view.infoCard->description, "line  one");
    EXPECT_EQ(s.view.infoCard->gender, 'M');
    using Rows = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(s.view.infoCard->games, (Rows{{"Texas poker", "12 won"}}));
}

}  // namespace
}  // namespace tessary::lobby
