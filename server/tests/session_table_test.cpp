// The Arena's session rules as a table: each row is an operation on the
// table as the rows before it left it, and its outcome (a refusal text, or
// the events in order).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "session_table.h"

namespace tessary::server {
namespace {

// One line per event, or "refused: TEXT".
std::string describe(const SessionEvent& happened) {
    namespace e = session_event;
    if (auto* x = std::get_if<e::Created>(&happened)) return "created " + x->session;
    if (auto* x = std::get_if<e::Joined>(&happened))
        return "joined " + x->player + " " + x->session + (x->spectator ? " spectating" : "");
    if (auto* x = std::get_if<e::Left>(&happened)) return "left " + x->player + " " + x->session;
    if (auto* x = std::get_if<e::Removed>(&happened)) return "removed " + x->session;
    if (auto* x = std::get_if<e::MasterChanged>(&happened)) return "master " + x->session + " " + x->master;
    if (auto* x = std::get_if<e::Began>(&happened)) return "began " + x->session;
    if (auto* x = std::get_if<e::JoinedGame>(&happened)) return "to game " + x->player + " " + x->session;
    return "?";
}

std::vector<std::string> describe(const SessionOutcome& outcome) {
    if (auto* refusal = std::get_if<SessionRefusal>(&outcome)) return {"refused: " + refusal->text};
    std::vector<std::string> lines;
    for (const SessionEvent& happened : std::get<std::vector<SessionEvent>>(outcome)) lines.push_back(describe(happened));
    return lines;
}

CreateRequest table(const std::string& name, int players, int spectators, const std::string& password = "",
                    const std::string& game = "POKER", int32_t flags = 0) {
    return {name, game, "1.0", flags, players, spectators, "opts", password, false};
}

struct Row {
    const char* what;
    std::function<SessionOutcome(SessionTable&)> operation;
    std::vector<std::string> outcome;
};

TEST(SessionTable, OperationsAndOutcomes) {
    SessionTable sessions(2);  // room for two sessions
    const int64_t now = 1'000;
    const std::vector<Row> rows = {
        {"a bad name", [&](SessionTable& t) { return t.create("Ann", table("No/Slash", 2, 0), now); },
         {"refused: A session name has 1 to 15 letters, digits, blanks, apostrophes or hyphens."}},
        {"no game", [&](SessionTable& t) { return t.create("Ann", table("Duel", 2, 0, "", ""), now); },
         {"refused: Please choose a game."}},
        {"no player place", [&](SessionTable& t) { return t.create("Ann", table("Duel", 0, 0), now); },
         {"refused: The numbers of players and spectators are out of range."}},
        {"too many spectators", [&](SessionTable& t) { return t.create("Ann", table("Duel", 2, 256), now); },
         {"refused: The numbers of players and spectators are out of range."}},
        {"create", [&](SessionTable& t) { return t.create("Ann", table("Duel", 2, 1, "pw"), now); },
         {"created Duel", "joined Ann Duel"}},
        {"same name folded", [&](SessionTable& t) { return t.create("Bob", table("DUEL", 2, 0), now); },
         {"refused: A session called DUEL already exists."}},
        {"wrong password", [&](SessionTable& t) { return t.join("Bob", "duel", "nope", "1.0", false, now); },
         {"refused: Wrong password for Duel."}},
        {"wrong version", [&](SessionTable& t) { return t.join("Bob", "Duel", "pw", "2.0", false, now); },
         {"refused: Duel plays version 1.0 of POKER; you have version 2.0."}},
        {"join", [&](SessionTable& t) { return t.join("Bob", "Duel", "pw", "1.0", false, now); },
         {"joined Bob Duel"}},
        {"again", [&](SessionTable& t) { return t.join("Bob", "Duel", "pw", "1.0", false, now); },
         {"refused: You are already in Duel."}},
        {"full", [&](SessionTable& t) { return t.join("Cid", "Duel", "pw", "1.0", false, now); },
         {"refused: Duel is full."}},
        {"spectator", [&](SessionTable& t) { return t.join("Cid", "Duel", "pw", "1.0", true, now); },
         {"joined Cid Duel spectating"}},
        {"no spectator place", [&](SessionTable& t) { return t.join("Dan", "Duel", "pw", "1.0", true, now); },
         {"refused: Duel has no spectator place left."}},
        {"not the master", [&](SessionTable& t) { return t.begin("Bob", "k1", now); },
         {"refused: Only the master of the session can begin it."}},
        {"chat session", [&](SessionTable& t) { return t.create("Dan", table("Talk", 4, 0, "", "CHAT"), now); },
         {"created Talk", "joined Dan Talk"}},
        {"no room left", [&](SessionTable& t) { return t.create("Eve", table("Third", 2, 0), now); },
         {"refused: This arena has no room for another session."}},
        {"chat has no game", [&](SessionTable& t) { return t.begin("Dan", "k2", now); },
         {"refused: A chat session has no game to begin."}},
        {"begin", [&](SessionTable& t) { return t.begin("Ann", "k3", now); }, {"began Duel"}},
        {"begun once", [&](SessionTable& t) { return t.begin("Ann", "k4", now); },
         {"refused: The game has already begun."}},
        {"join the chat session", [&](SessionTable& t) { return t.join("Eve", "Talk", "", "1.0", false, now); },
         {"joined Eve Talk"}},
        {"the master leaves", [&](SessionTable& t) { return t.leave("Ann", now); },
         {"left Ann Duel", "master Duel Bob"}},
        {"the spectator becomes master", [&](SessionTable& t) { return t.leave("Bob", now); },
         {"left Bob Duel", "master Duel Cid"}},
        {"the last one leaves", [&](SessionTable& t) { return t.leave("Cid", now); },
         {"left Cid Duel", "removed Duel"}},
        {"in no session", [&](SessionTable& t) { return t.leave("Cid", now); }, {"refused: You are in no session."}},
        {"creating leaves the old session", [&](SessionTable& t) { return t.create("Eve", table("Open", 2, 0), now); },
         {"left Eve Talk", "created Open", "joined Eve Open"}},
        {"begin outside any session", [&](SessionTable& t) { return t.begin("Fay", "k5", now); }, {"refused: You are in no session."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(describe(row.operation(sessions)), row.outcome);
    }
    EXPECT_EQ(sessions.sessionOf("eve")->name, "Open");
    EXPECT_EQ(sessions.find("talk")->master, "Dan");
}

TEST(SessionTable, AGameUnderWayTakesLateJoinersWhenItSaysSo) {
    SessionTable sessions(10);
    const int32_t joinable = kSessionJoinableWhileStarted;
    for (int32_t flags : {0, joinable}) {
        SCOPED_TRACE(flags);
        const std::string name = flags ? "Open" : "Closed";
        ASSERT_EQ(describe(sessions.create("Ann" + name, table(name, 3, 0, "", "POKER", flags), 5)).size(), 2u);
        ASSERT_EQ(describe(sessions.begin("Ann" + name, "key " + name, 7)), std::vector<std::string>{"began " + name});
        EXPECT_EQ(sessions.find(name)->gameKey, "key " + name);
        EXPECT_EQ(sessions.find(name)->begunAt, 7);
        EXPECT_EQ(sessions.find(name)->expectedPlayers, 1);
        const auto late = describe(sessions.join("Bob" + name, name, "", "1.0", false, 9));
        if (flags)
            EXPECT_EQ(late, (std::vector<std::string>{"joined BobOpen Open", "to game BobOpen Open"}));
        else
            EXPECT_EQ(late, std::vector<std::string>{"refused: The game of Closed has already begun."});
    }
}

}  // namespace
}  // namespace tessary::server
