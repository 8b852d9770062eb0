// A client library made of plain functions over one recorded state, so the
// lobby's conversations can be driven without a server.
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "lobby/client_api.h"

namespace tessary::lobby::testing {

struct Answer {
    char result{kAnswerSuccess};
    std::string text;
    bool read{true};
};

struct SentAccount {
    std::vector<std::string> texts;  // seven texts in sending order
    int32_t gender, one, photo;
};

struct FakeClient {
    // Behaviour.
    int32_t connectResult{1};
    std::deque<int32_t> messages;  // poll results; empty means 0
    int32_t pollWhenEmpty{0};
    Answer login, creation, modification, arenaLogin;
    Answer join;
    std::string joinHost{"127.0.0.1"};
    int32_t joinPort{7001};
    std::vector<std::string> accountInfo{"Ann", "f1004", "f1003", "France", "f1005", "about me"};
    uint8_t accountGender{1};
    int32_t accountPhoto{3};
    std::string urgent;
    std::string versionFirst{"ftp.example"}, versionSecond{"/update.exe"};
    int32_t versionNumber{1500}, versionMandatory{0};
    int32_t initialiseResult{1};
    int32_t closeAsked{0};
    int32_t gameFinished{0};
    std::string finishedHost{"127.0.0.1"};
    struct Server { std::string name, host; int32_t count, port; };
    std::deque<Server> routers, arenas;  // read once each, like the library
    std::map<std::string, int32_t> pings;  // absent: no measurement
    int32_t finishedPort{7002};

    // Records.
    struct Connect { std::string host; int32_t port, kind; };
    std::vector<Connect> connects;
    int disconnects{0};
    int polls{0};
    struct Login { std::string name, password, client; int32_t reason; };
    std::vector<Login> logins;
    std::vector<SentAccount> creations, modifications;
    struct Photo { int32_t size; std::string type; };
    std::vector<Photo> photos;
    std::vector<std::string> arenaLogins, joins, pinged;
    int freed{0};
};

// The one fake the functions below act on.
FakeClient& fake();
void resetFake();
ClientApi fakeApi();

}  // namespace tessary::lobby::testing
