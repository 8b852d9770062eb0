// Moderation against a whole service on loopback: bans at the Router, mutes
// and kicks in the Arena, moderators' lobby commands, the audit trail, the
// control socket and the recent chat a newcomer is shown.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <set>

#include "control.h"
#include "moderation.h"
#include "protocol/message_fields.h"
#include "service_fixture.h"

namespace tessary::server {
namespace {

using protocol::CHATALL;
using protocol::CHATLIST;
using protocol::Message;

std::string chatText(const Message& m) {
    const auto* s = std::get_if<ServiceMessage>(&m);
    const std::string* text = s ? s->body.text(1) : nullptr;
    return text ? *text : "";
}

std::vector<std::string> chatLines(const std::vector<Message>& messages, uint8_t type) {
    std::vector<std::string> lines;
    for (const Message& m : messages)
        if (const auto* s = std::get_if<ServiceMessage>(&m); s && s->type == type) lines.push_back(chatText(m));
    return lines;
}

ServiceMessage chatAll(const std::string& text) {
    return request(CHATALL, Body().text(text).i32(0).i32(0), protocol::kModuleArena);
}

ServiceMessage toService(const std::string& text) {
    return request(CHATLIST, Body().list(Body().text(kServiceName)).text(text).i32(0).i32(0), protocol::kModuleArena);
}

class ModerationTest : public ServiceTest {
protected:
    void SetUp() override {
        Config config = testConfig(dir.path());
        config.controlSocket = dir.path() + "/ctl.sock";
        startService(std::move(config));
    }

    std::string ctl(const std::string& line) { return sendControlCommand(service->config().controlSocket, line); }

    std::set<std::string> auditedActions() {
        std::set<std::string> actions;
        for (const AuditEntry& e : openSqliteStorage(service->config().databasePath)->auditTrail(1000))
            actions.insert(e.what.substr(0, e.what.find(" for")));
        return actions;
    }
};

TEST_F(ModerationTest, BansRefuseLoginWithReasonAndEndThenExpire) {
    struct Case {
        const char* command;
        const char* refusal;
    };
    const Case cases[] = {
        {"ban Bob 2s cheating\x07 at cards", "You are banned until"},
        {"ban-address 127.0.0.1 2s spam wave", "Your address is banned until"},
    };
    createAccount("Bob");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_EQ(ctl(c.command).substr(0, 3), "ok\n");
        auto client = routerClient();
        auto refused = login(*client, "Bob", "pw");
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->type, protocol::TSFAIL);
        const std::string text = failText(*refused);
        EXPECT_NE(text.find(c.refusal), std::string::npos) << text;
        // The reason arrives without its control character.
        const std::string reason = std::string(c.command).find("cheating") != std::string::npos ? "cheating at cards"
                                                                                               : "spam wave";
        EXPECT_NE(text.find(reason), std::string::npos) << text;

        bool allowed = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
        while (!allowed && std::chrono::steady_clock::now() < deadline) {
            auto again = routerClient();
            auto answer = login(*again, "Bob", "pw");
            allowed = answer && answer->type == protocol::TSSUCCESS;
            if (!allowed) ::poll(nullptr, 0, 200);
        }
        EXPECT_TRUE(allowed) << "still refused after the ban ended";
    }
    EXPECT_TRUE(auditedActions().count("refused login"));
}

TEST_F(ModerationTest, MutedChatAndPagesReachNobodyAndTheNewcomerSeesNone) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    ann->drain();
    ASSERT_EQ(ctl("mute Ann 10 flooding").substr(0, 3), "ok\n");
    ann->send(chatAll("muted line one"));
    ann->send(chatAll("muted line two"));
    ann->send(request(protocol::PAGER, Body().list(Body().text("Bob")).text("muted page"), protocol::kModuleArena));
    bob->send(chatAll("bob speaks"));

    const auto annGot = ann->drain(400);
    const auto bobGot = bob->drain(400);
    EXPECT_EQ(chatLines(bobGot, CHATALL), std::vector<std::string>{"bob speaks"});
    EXPECT_EQ(chatLines(bobGot, protocol::PAGER).size(), 0u);
    EXPECT_EQ(chatLines(annGot, CHATALL), std::vector<std::string>{"bob speaks"});
    const auto notices = chatLines(annGot, CHATLIST);
    ASSERT_EQ(notices.size(), 1u) << "the muted player is told once";
    EXPECT_NE(notices[0].find("You are muted until"), std::string::npos) << notices[0];

    auto cid = enterArena("Cid");
    EXPECT_EQ(chatLines(cid->drain(), CHATALL), std::vector<std::string>{"bob speaks"});

    ASSERT_EQ(ctl("unmute Ann").substr(0, 3), "ok\n");
    ann->send(chatAll("free again"));
    EXPECT_EQ(chatLines(bob->drain(), CHATALL), std::vector<std::string>{"free again"});
    for (const char* action : {"mute", "dropped chat", "unmute"}) EXPECT_TRUE(auditedActions().count(action)) << action;
}

TEST_F(ModerationTest, OperatorKickShowsTheReasonAndEndsTheLink) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    bob->drain();
    ASSERT_EQ(ctl("kick Ann \"rude\"").substr(0, 3), "ok\n");
    auto told = ann->waitFor(protocol::URGENTMESSAGE);
    ASSERT_TRUE(told);
    EXPECT_NE(told->body.text(0)->find("rude"), std::string::npos);
    EXPECT_TRUE(ann->closedByPeer());
    auto removed = bob->waitFor(protocol::PLAYERREMOVED);
    ASSERT_TRUE(removed);
    EXPECT_EQ(*removed->body.text(0), "Ann");
    EXPECT_TRUE(auditedActions().count("kick"));
}

TEST_F(ModerationTest, LobbyCommandsActOnlyForModerators) {
    struct Case {
        const char* actor;
        const char* role;  // set by the operator first, or nullptr
        const char* command;
        bool kicks;
        const char* answer;
    };
    const Case cases[] = {
        {"Pat", nullptr, "/KICK Vic spam", false, "not allowed"},
        {"Pat", nullptr, "/NONSENSE", false, "not allowed"},
        {"Mod", "moderator", "/KICK Adm", false, "not allowed on Adm"},
        {"Mod", "moderator", "/MUTE Vic lots", false, "please give a duration"},
        {"Mod", "moderator", "/KICK Vic spam", true, "kicked Vic"},
    };
    createAccount("Adm");
    ASSERT_EQ(ctl("role Adm administrator").substr(0, 3), "ok\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        auto actor = enterArena(c.actor);
        if (c.role) {
            ASSERT_EQ(ctl(std::string("role ") + c.actor + " " + c.role).substr(0, 3), "ok\n");
        }
        auto victim = enterArena("Vic");
        actor->drain();
        actor->send(toService(c.command));
        auto answer = actor->waitFor(CHATLIST);
        ASSERT_TRUE(answer);
        EXPECT_EQ(*answer->body.text(protocol::ChatLineBody::Sender), kServiceName);
        EXPECT_EQ(chatText(*answer).substr(0, std::string(c.answer).size()), c.answer);
        EXPECT_EQ(victim->closedByPeer(500), c.kicks);
    }
    EXPECT_TRUE(auditedActions().count("refused command"));

    // Nobody can register the service's name, in any case.
    auto client = routerClient();
    client->send(request(protocol::NEWUSERREQUEST, accountForm("tessaryservice", "pw")));
    auto refused = client->waitAnswer(protocol::NEWUSERREQUEST);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->type, protocol::TSFAIL);
}

TEST_F(ModerationTest, NewcomerReceivesTheLastLinesInOrder) {
    struct Case {
        int configured;  // [limits] recent_chat_lines
        int firstShown;  // of lines 1..25; 0: none
    };
    const Case cases[] = {{20, 6}, {3, 23}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configured);
        Config config = testConfig(dir.path());
        config.limits.recentChatLines = c.configured;
        startService(std::move(config));
        const std::string suffix = std::to_string(c.configured);
        auto ann = enterArena("Ann" + suffix);
        for (int i = 1; i <= 25; ++i) ann->send(chatAll("line " + std::to_string(i)));
        ASSERT_EQ(chatLines(ann->drain(), CHATALL).size(), 25u);
        auto bob = enterArena("Bob" + suffix);
        std::vector<std::string> expected;
        for (int i = c.firstShown; c.firstShown > 0 && i <= 25; ++i) expected.push_back("line " + std::to_string(i));
        EXPECT_EQ(chatLines(bob->drain(), CHATALL), expected);
    }
}

TEST_F(ModerationTest, ControlSocketRefusesOtherUsers) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    const std::string path = service->config().controlSocket;
    // Let another user reach the folder, so that only the socket decides.
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    struct Case {
        const char* name;
        mode_t socketMode;  // 0: as the service made it
        const char* answer;
    };
    const Case cases[] = {{"as made", 0, ""}, {"opened to all by mistake", 0666, "error\nnot allowed\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.socketMode) {
            ASSERT_EQ(chmod(path.c_str(), c.socketMode), 0);
        }
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
            try {
                const std::string answer = sendControlCommand(path, "role Nobody administrator");
                [[maybe_unused]] auto n = write(pipeFds[1], answer.data(), answer.size());
                _exit(0);
            } catch (const std::system_error& error) {
                _exit(error.code().value() == EACCES ? 1 : 2);
            }
        }
        close(pipeFds[1]);
        std::string answer;
        char buffer[256];
        for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, size_t(n));
        close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.socketMode ? 0 : 1) << "1: connect refused with EACCES";
        EXPECT_EQ(answer, c.answer);
    }
    // The service's own user is served, through the real program.
    const std::string command = std::string(TESSARYD_PATH) + " ctl --socket " + path + " list 2>&1";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_TRUE(out);
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, out) != nullptr;
    EXPECT_EQ(pclose(out), 0);
    EXPECT_TRUE(read);
    EXPECT_STREQ(line, "no bans or mutes in force\n");
}

TEST(ModerationParse, CommandsAndTheirProblems) {
    struct Case {
        const char* line;
        bool ok;
        ModerationVerb verb;
        const char* target;
        int64_t seconds;
        const char* reason;
    };
    const std::string longReason(1000, 'x');
    const Case cases[] = {
        {"/KICK Ann", true, ModerationVerb::Kick, "Ann", 0, ""},
        {"mute \"Ann Lee\" 15 too loud", true, ModerationVerb::Mute, "Ann Lee", 900, "too loud"},
        {"/BAN Ann 7 cheating", true, ModerationVerb::Ban, "Ann", 7 * 86400, "cheating"},
        {"ban Ann forever", true, ModerationVerb::Ban, "Ann", 0, ""},
        {"ban-address ::1 2h", true, ModerationVerb::BanAddress, "::1", 7200, ""},
        {"ban Ann 0", false, {}, "", 0, ""},
        {"ban Ann 99999999d", false, {}, "", 0, ""},
        {"ban-address evil.example 1d", false, {}, "", 0, ""},
        {"kick Ann|Bob", false, {}, "", 0, ""},
        {"kick \"Ann", false, {}, "", 0, ""},
        {"shout Ann", false, {}, "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto parsed = parseModerationCommand(c.line);
        ASSERT_EQ(std::holds_alternative<ModerationCommand>(parsed), c.ok);
        if (!c.ok) continue;
        const auto& command = std::get<ModerationCommand>(parsed);
        EXPECT_EQ(command.verb, c.verb);
        EXPECT_EQ(command.target, c.target);
        EXPECT_EQ(command.seconds, c.seconds);
        EXPECT_EQ(command.reason, c.reason);
    }
    auto bounded = std::get<ModerationCommand>(parseModerationCommand("kick Ann a\r\n\tb " + longReason));
    EXPECT_EQ(bounded.reason.size(), kMaxReasonLength);
    EXPECT_EQ(bounded.reason.substr(0, 4), "a b ");
}

}  // namespace
}  // namespace tessary::server
