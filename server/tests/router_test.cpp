#include <gtest/gtest.h>

#include "login_guard.h"
#include "protocol/message_fields.h"
#include "router.h"
#include "service_fixture.h"

namespace tessary::server {
namespace {

using namespace protocol;

std::vector<uint8_t> types(const std::vector<Message>& messages) {
    std::vector<uint8_t> out;
    for (const Message& m : messages)
        if (auto* s = std::get_if<ServiceMessage>(&m)) out.push_back(s->type);
    return out;
}

const ServiceMessage* findType(const std::vector<Message>& messages, uint8_t type) {
    for (const Message& m : messages)
        if (auto* s = std::get_if<ServiceMessage>(&m); s && s->type == type) return s;
    return nullptr;
}

using RouterTest = ServiceTest;

TEST_F(RouterTest, CreationLogsInAndSendsTheRouterView) {
    auto client = createAccount("Ann");
    const auto after = client->drain();
    EXPECT_EQ(types(after), (std::vector<uint8_t>{ROUTEURLIST, SERVERSLIST, NEWS, PLAYERINFO, PHOTO}));

    const ValueList& routers = findType(after, ROUTEURLIST)->body;
    ASSERT_EQ(routers.size(), 1u);
    int32_t port = 0;
    EXPECT_EQ(*routers.list(0)->text(RouterListEntry::Name), "Tessary");
    ASSERT_TRUE(routers.list(0)->readInteger(RouterListEntry::Port, port));
    EXPECT_EQ(port, service->routerPort());

    const ValueList& arenas = findType(after, SERVERSLIST)->body;
    ASSERT_EQ(arenas.size(), 2u);
    int32_t count = -5, maxPing = 0;
    using A = ArenaListEntry;
    EXPECT_EQ(*arenas.list(1)->text(A::Name), "Arena 2");
    ASSERT_TRUE(arenas.list(1)->readInteger(A::Players, count));
    EXPECT_EQ(*arenas.list(1)->text(A::Host), "127.0.0.1");
    ASSERT_TRUE(arenas.list(1)->readInteger(A::MaxPing, maxPing));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(maxPing, -1);

    const ValueList& card = findType(after, PLAYERINFO)->body;
    EXPECT_EQ(*card.text(0), "Ann");
    EXPECT_EQ(*card.text(1), "First");
    EXPECT_EQ(*card.text(5), "Likes games.");
    int32_t photoNumber = 0;
    ASSERT_TRUE(card.readInteger(7, photoNumber));
    EXPECT_EQ(photoNumber, 2);
    ASSERT_TRUE(card.list(8));
    // A stock photo travels as its 4-byte number.
    const std::string* photo = findType(after, PHOTO)->body.binary(0);
    ASSERT_TRUE(photo);
    EXPECT_EQ(*photo, std::string("\x02\x00\x00\x00", 4));
}

TEST_F(RouterTest, CreationRefusals) {
    createAccount("Ann");
    struct Case {
        const char* label;
        Body form;
        const char* fragment;
    } cases[] = {
        {"taken", accountForm("ann", "pw"), "already taken"},
        {"separator", accountForm("An;n", "pw"), "not allowed"},
        {"too long", accountForm("Sixteen_letters_", "pw"), "at most 15"},
        {"control", accountForm("An\x7Fn", "pw"), "not allowed"},
        {"blank end", accountForm("Ann ", "pw"), "blank"},
        {"empty name", accountForm("", "pw"), "user name"},
        {"empty password", accountForm("Bob", ""), "password"},
        {"incomplete", Body().text("Bob").text("pw"), "incomplete"},
        {"long field", Body().text("Bob").text("pw").text(std::string(33, 'x')).text("").text("").text("").text("")
                           .i8(0).i32(1).i32(1),
         "too long"},
        {"long description", Body().text("Bob").text("pw").text("").text("").text("").text("").text(std::string(1025, 'd'))
                                 .i8(0).i32(1).i32(1),
         "description is too long"},
    };
    for (const Case& c : cases) {
        auto client = routerClient();
        client->send(request(NEWUSERREQUEST, c.form));
        auto answer = client->waitAnswer(NEWUSERREQUEST);
        ASSERT_TRUE(answer) << c.label;
        EXPECT_EQ(answer->type, TSFAIL) << c.label;
        EXPECT_NE(failText(*answer).find(c.fragment), std::string::npos) << c.label << ": " << failText(*answer);
    }
    // Accented letters are allowed (Windows-1252 é).
    createAccount("Ren\xE9");
}

TEST_F(RouterTest, LoginReasons) {
    createAccount("Ann", "secret");
    struct Case {
        const char* label;
        const char* name;
        const char* password;
        int32_t reason;
        uint8_t result;
        const char* fragment;  // failure text part, or the first type after the answer
        bool lists;
    } cases[] = {
        {"before creating, empty fields", "", "", 5, TSSUCCESS, "", false},
        {"unknown user", "Bob", "secret", 1, TSFAIL, "Wrong password, or no account of that name.", false},
        {"wrong password", "Ann", "Secret", 1, TSFAIL, "Wrong password, or no account of that name.", false},
        {"normal", "ann", "secret", 1, TSSUCCESS, "", true},
        {"back from an arena", "Ann", "secret", 2, TSSUCCESS, "", true},
        {"before modifying", "Ann", "secret", 4, TSSUCCESS, "", false},
        {"before modifying, wrong password", "Ann", "x", 4, TSFAIL, "Wrong password, or no account of that name.",
         false},
        {"unknown reason", "Ann", "secret", 3, TSFAIL, "not known", false},
    };
    for (const Case& c : cases) {
        auto client = routerClient();
        auto answer = login(*client, c.name, c.password, c.reason);
        ASSERT_TRUE(answer) << c.label;
        EXPECT_EQ(answer->type, c.result) << c.label;
        if (c.result == TSFAIL) {
            EXPECT_NE(failText(*answer).find(c.fragment), std::string::npos) << c.label;
        }
        const auto after = client->drain(150);
        EXPECT_EQ(findType(after, SERVERSLIST) != nullptr, c.lists) << c.label;
        if (c.lists) {
            EXPECT_EQ(*findType(after, PLAYERINFO)->body.text(0), "Ann") << c.label;
        }
    }
}

TEST(LoginGuardTest, DelaysGrowPerAccountAndPerAddressUpToABound) {
    // After each failure of `account` from `address`: the delay of the next attempt.
    struct Step {
        const char* account;
        const char* address;
        int64_t atMs;
        int64_t delayAfter;
    } steps[] = {
        {"ann", "a", 0, 0},        {"ann", "a", 1, 0},       {"ann", "a", 2, 250},  // a fourth attempt waits
        {"ann", "b", 3, 500},      {"ann", "c", 4, 1000},    {"ann", "d", 5, 2000},  // whatever the address
        {"ann", "e", 6, 4000},     {"ann", "f", 7, 8000},    {"ann", "g", 8, 8000},  // the bound
        {"ann", "h", 9 + LoginGuard::kForgetMs, 0},                                   // forgotten after a quiet spell
    };
    LoginGuard guard;
    for (const Step& step : steps) {
        guard.failed(step.account, step.address, step.atMs);
        EXPECT_EQ(guard.delayMs(step.account, step.address, step.atMs), step.delayAfter)
            << step.account << " from " << step.address << " at " << step.atMs;
    }
    // One address guessing many names waits after its tenth failure.
    LoginGuard byAddress;
    for (int i = 0; i < 9; ++i) byAddress.failed("name" + std::to_string(i), "x", i);
    EXPECT_EQ(byAddress.delayMs("other", "x", 9), 0);
    byAddress.failed("name10", "x", 10);
    EXPECT_EQ(byAddress.delayMs("other", "x", 11), 250);
    EXPECT_EQ(byAddress.delayMs("other", "y", 11), 0) << "another address does not wait";
    byAddress.succeeded("name10");
    EXPECT_EQ(byAddress.delayMs("other", "x", 12), 250) << "a success keeps the address's count";
}

// Guesses from one address are answered one after another, each later
// than the one before; a login from another address does not wait behind them.
TEST_F(RouterTest, GuessesFromOneAddressDoNotHoldUpOthers) {
    createAccount("Bob", "right");
    std::vector<std::unique_ptr<TestClient>> guessers;
    for (int i = 0; i < 16; ++i) {
        guessers.push_back(routerClient());
        guessers.back()->send(request(LOGIN, Body().text("Guess" + std::to_string(i)).text("x").text("1.0").i32(1)));
    }
    TestClient bob(service->routerPort(), "127.0.0.1", "127.0.0.2");
    auto answer = login(bob, "Bob", "right");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type, TSSUCCESS);
    size_t answered = 0;
    for (auto& guesser : guessers) answered += guesser->receive(1) ? 1 : 0;
    EXPECT_LT(answered, guessers.size()) << "the later guesses are still waiting";
}

TEST_F(RouterTest, OlderClientsAreToldAboutTheNewVersion) {
    Config config = testConfig(dir.path());
    config.router->clientVersion = {"1.10", true, "ftp.local", "/update.exe", 4096};
    startService(config);
    createAccount("Ann");
    struct Case {
        const char* clientVersion;
        bool told;
    } cases[] = {{"1.9", true}, {"1.10", false}, {"1.10.0", false}, {"2.0", false}, {"0.99", true}};
    for (const Case& c : cases) {
        auto client = routerClient();
        ASSERT_TRUE(login(*client, "Ann", "pw", 1, c.clientVersion));
        const auto after = client->drain(150);
        const ServiceMessage* version = findType(after, CHANGEVERSION);
        ASSERT_EQ(version != nullptr, c.told) << c.clientVersion;
        if (!version) continue;
        int32_t optional = -1, size = 0;
        ASSERT_TRUE(version->body.readInteger(0, optional));
        EXPECT_EQ(optional, 0);  // mandatory
        EXPECT_EQ(*version->body.text(1), "ftp.local");
        EXPECT_EQ(*version->body.text(2), "/update.exe");
        ASSERT_TRUE(version->body.readInteger(3, size));
        EXPECT_EQ(size, 4096);
    }
}

TEST_F(RouterTest, AdvertisementsAreSentWhenConfigured) {
    Config config = testConfig(dir.path());
    config.router->advertisement = AdvertisementConfig{"ftp.ads", "user", "pass", {{7000, "/ads", "one.jpg", "http://one"}}};
    startService(config);
    auto client = createAccount("Ann");
    const auto after = client->drain();
    const ServiceMessage* ad = findType(after, ADVERTISEMENT);
    ASSERT_TRUE(ad);
    EXPECT_EQ(*ad->body.text(0), "ftp.ads");
    const ValueList* entry = ad->body.list(3)->list(0);
    int32_t ms = 0;
    ASSERT_TRUE(entry->readInteger(0, ms));
    EXPECT_EQ(ms, 7000);
    EXPECT_EQ(*entry->text(1), "one.jpg");
    EXPECT_EQ(*entry->text(2), "/ads");
    EXPECT_EQ(*entry->text(3), "http://one");
}

TEST_F(RouterTest, ModificationChangesTheAccountButNotItsName) {
    createAccount("Ann", "old");
    auto client = routerClient();
    client->send(request(MODIFYUSER, accountForm("Ann", "new")));
    auto answer = client->waitAnswer(MODIFYUSER);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type, TSFAIL);  // not logged in

    ASSERT_EQ(login(*client, "Ann", "old", 4)->type, TSSUCCESS);
    client->send(request(MODIFYUSER, accountForm("Bob", "new")));
    answer = client->waitAnswer(MODIFYUSER);
    EXPECT_EQ(answer->type, TSFAIL);
    EXPECT_NE(failText(*answer).find("cannot be changed"), std::string::npos);

    Body changed;
    changed.text("ANN").text("new").text("Anne").text("Last").text("Italy").text("x").text("Other text").i8(1).i32(1).i32(5);
    client->send(request(MODIFYUSER, changed));
    answer = client->waitAnswer(MODIFYUSER);
    ASSERT_EQ(answer->type, TSSUCCESS) << failText(*answer);
    EXPECT_TRUE(client->waitFor(SERVERSLIST));
    EXPECT_TRUE(client->waitFor(NEWS));
    auto card = client->waitFor(PLAYERINFO);
    ASSERT_TRUE(card);
    EXPECT_EQ(*card->body.text(0), "Ann");
    EXPECT_EQ(*card->body.text(1), "Anne");
    EXPECT_EQ(*card->body.text(3), "Italy");

    auto fresh = routerClient();
    EXPECT_EQ(login(*fresh, "Ann", "old")->type, TSFAIL);
    EXPECT_EQ(login(*fresh, "Ann", "new")->type, TSSUCCESS);
}

TEST_F(RouterTest, ConnectionRequestHandsOutTheArena) {
    auto anonymous = routerClient();
    anonymous->send(request(CONNECTIONREQUEST, Body().text("Arena 1")));
    EXPECT_EQ(anonymous->waitAnswer(CONNECTIONREQUEST)->type, TSFAIL);

    auto client = createAccount("Ann");
    client->send(request(CONNECTIONREQUEST, Body().text("Arena 9")));
    auto answer = client->waitAnswer(CONNECTIONREQUEST);
    EXPECT_EQ(answer->type, TSFAIL);
    EXPECT_NE(failText(*answer).find("no arena called Arena 9"), std::string::npos);

    client->send(request(CONNECTIONREQUEST, Body().text("Arena 2")));
    answer = client->waitAnswer(CONNECTIONREQUEST);
    ASSERT_EQ(answer->type, TSSUCCESS);
    const ValueList* data = answer->body.list(1);
    ASSERT_TRUE(data);
    int32_t port = 0;
    EXPECT_EQ(*data->text(0), "127.0.0.1");
    ASSERT_TRUE(data->readInteger(1, port));
    EXPECT_EQ(port, service->arenaPort(1));
}

TEST_F(RouterTest, SearchTellsWhereAPlayerIs) {
    auto ann = createAccount("Ann");
    createAccount("Bob").reset();  // Bob's connection closes: offline
    ann->drain(100);
    struct Case {
        const char* name;
        const char* fragment;
    } cases[] = {{"Bob", "not connected"}, {"Nobody", "not connected"}, {"ANN", "in no arena"}};
    for (const Case& c : cases) {
        ann->send(request(SEARCHPLAYER, Body().text(c.name)));
        auto answer = ann->waitAnswer(SEARCHPLAYER);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->type, TSFAIL);
        EXPECT_NE(failText(*answer).find(c.fragment), std::string::npos) << c.name << ": " << failText(*answer);
    }
}

TEST_F(RouterTest, PagesReachOnlineAddresseesAndNoAnswerComesBack) {
    auto ann = createAccount("Ann");
    auto bob = createAccount("Bob");
    ann->drain(100);
    bob->drain(100);
    Body to;
    to.text("BOB").text("Nobody").text("bob");
    ann->send(request(PAGER, Body().list(to).text("Hello Bob")));
    auto page = bob->waitFor(PAGER);
    ASSERT_TRUE(page);
    EXPECT_EQ(*page->body.text(0), "Ann");
    EXPECT_EQ(*page->body.text(1), "Hello Bob");
    EXPECT_TRUE(bob->drain(150).empty());  // the doubled addressee got one page
    EXPECT_TRUE(ann->drain(150).empty());
}

TEST_F(RouterTest, KeepAliveIsAnswered) {
    auto client = routerClient();
    client->send(request(STILLALIVE));
    EXPECT_TRUE(client->waitFor(STILLALIVE));
}

TEST_F(RouterTest, PhotoUploads) {
    auto client = createAccount("Ann");
    client->drain(100);
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(100, 'j');
    struct Case {
        const char* label;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"png", "\x89PNG\r\n\x1a\n....", false},
        {"too big", std::string("\xFF\xD8\xFF", 3) + std::string(20478, 'x'), false},
        {"largest", std::string("\xFF\xD8\xFF", 3) + std::string(20477, 'x'), true},
        {"gif", "GIF89a......", true},
        {"bmp", "BM..........", true},
        {"jpeg", jpeg, true},
    };
    for (const Case& c : cases) {
        client->send(request(PHOTO, Body().bin(c.bytes).text(".jpg")));
        auto message = client->receive();
        ASSERT_TRUE(message) << c.label;
        auto* answer = std::get_if<ServiceMessage>(&*message);
        ASSERT_TRUE(answer);
        if (c.accepted) {
            ASSERT_EQ(answer->type, PHOTO) << c.label;
            EXPECT_EQ(*answer->body.binary(0), c.bytes);
        } else {
            EXPECT_EQ(answer->type, TSFAIL) << c.label;
            EXPECT_EQ(answerCode(*answer), PHOTO);
        }
    }
    auto again = routerClient();
    ASSERT_EQ(login(*again, "Ann", "pw")->type, TSSUCCESS);
    auto card = again->waitFor(PLAYERINFO);
    int32_t number = -1;
    ASSERT_TRUE(card->body.readInteger(7, number));
    EXPECT_EQ(number, 0);
    auto photo = again->waitFor(PHOTO);
    ASSERT_TRUE(photo);
    EXPECT_EQ(*photo->body.binary(0), jpeg);
}

TEST_F(RouterTest, UrgentMessagesReachEveryClient) {
    auto ann = createAccount("Ann");
    auto anonymous = routerClient();
    ann->drain(100);
    service->broadcastUrgent("ADIOS");
    for (TestClient* client : {ann.get(), anonymous.get()}) {
        auto urgent = client->waitFor(URGENTMESSAGE);
        ASSERT_TRUE(urgent);
        EXPECT_EQ(*urgent->body.text(0), "ADIOS");
    }
}

TEST(PhotoCheck, AcceptsOnlyPictureSignatures) {
    EXPECT_TRUE(isAcceptedPhoto("\xFF\xD8\xFF\xDBxx"));
    EXPECT_FALSE(isAcceptedPhoto("\xFF\xD8\xFF"));  // shorter than 5: would read as a stock number
    EXPECT_FALSE(isAcceptedPhoto("GIF90a..."));
    EXPECT_FALSE(isAcceptedPhoto("<html>"));
}

}  // namespace
}  // namespace tessary::server
