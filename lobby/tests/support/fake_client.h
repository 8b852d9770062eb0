// A client library made of plain functions over one recorded state, so the
// lobby's conversations can be driven without a server.
#pragma once

#include <cstring>
#include <deque>
#include <utility>
#include <map>
#include <string>
#include <vector>

#include "lobby/advertisements.h"
#include "lobby/client_api.h"

namespace tessary::lobby::testing {

// The poll result that reports the answer to `request`.
constexpr int32_t answerTo(protocol::MessageType request) { return protocol::answerCodeOf(request); }

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
    std::vector<std::string> news;
    std::vector<Advertisement> ads;
    size_t newsRead{0}, adsRead{0};
    std::string finishedHost{"127.0.0.1"};
    std::string pageSender{"Bob"}, pageText{"hello"};
    Answer searchAnswer;
    std::string foundPlayer{"Cy"}, foundArena{"South"};
    std::vector<std::pair<std::string, std::string>> games{{"poker", "12 won"}};
    std::string photo{"\x07\0\0\0", 4};  // a stock number, or JPEG bytes
    std::string photoOwner{"Cy"};
    Answer playerInfo;
    std::vector<std::string> playerCard{"Cy", "e", "r", "Peru", "h", "d"};
    struct Server { std::string name, host; int32_t count, port; };
    std::deque<Server> routers, arenas;  // read once each, like the library
    std::map<std::string, int32_t> pings;  // absent: no measurement
    int32_t finishedPort{7002};

    // Sessions.
    struct Session {
        std::string name, game, master;
        int32_t maxPlayers, players, maxSpectators, spectators, state;
        std::vector<std::string> playerNames, spectatorNames;
    };
    std::vector<Session> sessionList;
    Session sessionNew{"Duel", "SLIMEFRAY", "Bob", 4, 0, 2, 0, 0, {}, {}};
    std::string sessionName{"Duel"}, otherName{"Bob"};  // removed, state, master, join and leave
    int32_t sessionState{8}, joinedAsSpectator{0};
    Answer sessionInfo, createSession, joinSession, beginGame;
    std::string infoOptions{"0 45 Cavern Arena 1"};
    std::string startAddress{"127.0.0.1"};
    int32_t startPort{7005};
    std::string startedGame;
    int32_t startResult{1};

    // Chat and the player list.
    struct ChatIn { std::string sender, text; int32_t colour, font; };
    ChatIn chatIn{"Bob", "hello", 255, 0};  // the next chat line of any kind
    struct PlayerIn { std::string name; int32_t ping; };
    std::deque<PlayerIn> players;  // the arena's list, read once
    PlayerIn playerIn{"Bob", 5};    // a new, removed or updated player

    // Records.
    struct ChatOut { std::string to, text; int32_t colour, font; };  // to: "*all", "*session" or a name
    std::vector<ChatOut> chatsSent;
    struct Connect { std::string host; int32_t port, kind; };
    std::vector<Connect> connects;
    int disconnects{0};
    int polls{0};
    struct Login { std::string name, password, client; int32_t reason; };
    std::vector<Login> logins;
    std::vector<SentAccount> creations, modifications;
    struct Photo { int32_t size; std::string type; };
    std::vector<Photo> photos;
    std::vector<std::string> arenaLogins, joins, searches, infoAsks, pinged;
    struct Page { std::vector<std::string> names; std::string message; };
    std::vector<Page> pages;
    std::size_t gameRead{0};
    int freed{0};
    struct Created { std::string name, game, version; int32_t players, spectators; std::string options, password; int32_t spectator; };
    std::vector<Created> created;
    struct Joined { std::string name, password, version; int32_t spectator; };
    std::vector<Joined> sessionJoins;
    std::vector<std::string> infoRequests;
    int leaves{0}, begins{0};
    struct Started { std::string user, game, options, line, arenaHost; int32_t arenaPort; std::string server; int32_t port; };
    std::vector<Started> starts;
};

// The one fake the functions below act on.
FakeClient& fake();
void resetFake();
ClientApi fakeApi();

}  // namespace tessary::lobby::testing
