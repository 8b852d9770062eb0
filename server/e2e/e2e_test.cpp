// tessaryd end to end, driven through libTSClient.so and libTSGame.so by
// their C exports, loaded with dlopen as the lobby and the games load them.
// Each simulated program gets its own copy of the library file, so that the
// libraries' process-wide state stays apart as in separate processes.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TSClient.h"
#include "TSGame.h"
#include "log.h"
#include "platform/testing/test_objects.h"
#include "server/service.h"
#include "server/storage.h"
#include "service_fixture.h"

namespace tessary::server {
namespace {

constexpr int32_t kSuccess = 47;  // '/'
constexpr int32_t kFailure = 48;  // '0'

void* openCopy(const char* library, const std::string& copy) {
    std::filesystem::copy_file(library, copy, std::filesystem::copy_options::overwrite_existing);
    void* handle = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) ADD_FAILURE() << dlerror();
    return handle;
}

template <class F>
void bindFunction(void* handle, const char* name, F*& out, std::vector<std::string>& missing) {
    out = handle ? reinterpret_cast<F*>(dlsym(handle, name)) : nullptr;
    if (!out) missing.push_back(name);
}

#define LOBBY_FUNCTIONS(X)                                                                                        \
    X(TS_ConnectToHost) X(TS_DisconnectFromHost) X(TS_GetMessageType) X(TSSend_PagePlayer) X(TSRouterSend_Login) \
    X(TSRouterSend_CreateAccount) X(TSRouterSend_JoinArena) X(TSRouterSend_SearchPlayer)                         \
    X(TSRouterRcv_LoginResult) X(TSRouterRcv_AccountCreationResult) X(TSRouterRcv_JoinArenaResult)               \
    X(TSRouterRcv_GetNextArena) X(TSRouterRcv_AccountInfo) X(TSRouterRcv_SearchPlayerResult)                     \
    X(TSArenaSend_Login) X(TSArenaSend_ChatToAll) X(TSArenaSend_ChatToPlayer) X(TSArenaSend_ChatToSession)       \
    X(TSArenaSend_CreateSession) X(TSArenaSend_JoinSession) X(TSArenaSend_LeaveSession)                          \
    X(TSArenaSend_BeginGame) X(TSArenaRcv_LoginResult) X(TSArenaRcv_CreateSessionResult)                         \
    X(TSArenaRcv_JoinSessionResult) X(TSArenaRcv_BeginGameResult) X(TSArenaRcv_ChatAll) X(TSArenaRcv_ChatList)  \
    X(TSArenaRcv_ChatSession) X(TSArenaRcv_MasterChanged) X(TSArenaRcv_StartGame) X(TSArenaRcv_GetNextPlayer)   \
    X(TSArenaRcv_PlayerJoinSession) X(TSRcv_Page) X(TSRcv_UrgentMessage)

// One lobby's view of the service through its own copy of libTSClient.so.
struct Lobby {
#define DECLARE(name) decltype(&::name) name = nullptr;
    LOBBY_FUNCTIONS(DECLARE)
#undef DECLARE
    void* handle = nullptr;
    std::string name;
    std::vector<std::string> missing;

    Lobby(const std::string& copy, std::string player) : name(std::move(player)) {
        handle = openCopy(TS_CLIENT_LIBRARY, copy);
#define BIND(fn) bindFunction(handle, #fn, fn, missing);
        LOBBY_FUNCTIONS(BIND)
#undef BIND
    }
    ~Lobby() {
        if (TS_DisconnectFromHost) TS_DisconnectFromHost();
        if (handle) dlclose(handle);
    }

    // Polls like the lobby's timer until a message of `type` is current;
    // the others are passed over. False on a lost link or after the time-out.
    bool waitFor(int32_t type, int timeoutMs = 4000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            const int32_t got = TS_GetMessageType();
            if (got == type) return true;
            if (got < 0) return false;
            if (got == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Sending only queues: the next poll transmits. The lobby's timer polls
    // all the time; a test polls the sender before waiting elsewhere.
    void transmit() {
        for (int i = 0; i < 3; ++i) {
            if (TS_GetMessageType() < 0) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Reason-5 login, then the creation on a fresh connection.
    void createAccount(uint16_t routerPort) {
        char result = 0;
        char error[TS_TEXT_OUT_SIZE] = {};
        ASSERT_EQ(TS_ConnectToHost("127.0.0.1", routerPort, 1), 1);
        TSRouterSend_Login("", "", "1.0", 5);
        ASSERT_TRUE(waitFor(206));
        ASSERT_EQ(TSRouterRcv_LoginResult(&result, error), 1);
        ASSERT_EQ(result, kSuccess);
        TS_DisconnectFromHost();
        ASSERT_EQ(TS_ConnectToHost("127.0.0.1", routerPort, 1), 1);
        TSRouterSend_CreateAccount(name.c_str(), "pw", "First", "Last", "France", "mail@example.org",
                                   "Plays everything.", 0, 1, 3);
        ASSERT_TRUE(waitFor(1));
        ASSERT_EQ(TSRouterRcv_AccountCreationResult(&result, error), 1);
        ASSERT_EQ(result, kSuccess) << error;
    }

    // From a logged-in Router connection into `arena`.
    void enterArena(const char* arena) {
        char result = 0;
        char error[TS_TEXT_OUT_SIZE] = {};
        char host[TS_TEXT_OUT_SIZE] = {};
        int32_t port = 0;
        TSRouterSend_JoinArena(arena);
        ASSERT_TRUE(waitFor(4));
        ASSERT_EQ(TSRouterRcv_JoinArenaResult(&result, host, &port, error), 1);
        ASSERT_EQ(result, kSuccess) << error;
        TS_DisconnectFromHost();
        ASSERT_EQ(TS_ConnectToHost(host, port, 3), 1);
        TSArenaSend_Login(name.c_str());
        ASSERT_TRUE(waitFor(208));
        ASSERT_EQ(TSArenaRcv_LoginResult(&result, error), 1);
        ASSERT_EQ(result, kSuccess) << error;
        ASSERT_TRUE(waitFor(20));  // the session list follows the player list
    }

    // The next chat line of `type` (27, 28 or 29): "sender: text".
    std::string nextChat(int32_t type, int timeoutMs = 3000) {
        if (!waitFor(type, timeoutMs)) return "";
        char sender[TS_TEXT_OUT_SIZE] = {};
        char text[TS_TEXT_OUT_SIZE] = {};
        int32_t colour = 0, font = 0;
        auto reader = type == 27 ? TSArenaRcv_ChatAll : type == 28 ? TSArenaRcv_ChatList : TSArenaRcv_ChatSession;
        if (reader(sender, text, &colour, &font) != 1) return "?";
        return std::string(sender) + ": " + text;
    }

    int32_t answer(int32_t code, decltype(&::TSArenaRcv_LoginResult) reader, std::string* error = nullptr) {
        char result = 0;
        char text[TS_TEXT_OUT_SIZE] = {};
        if (!waitFor(code) || reader(&result, text) != 1) return -1;
        if (error) *error = text;
        return result;
    }
};

// --- the game side: a copy of libTSGame.so per player, and callbacks that
// know which copy they belong to ---

#define GAME_FUNCTIONS(X)                                                                                          \
    X(TS_Initialisation) X(TS_DebugInit) X(TS_ConnectGame) X(TS_DisconnectFromGame) X(TS_Engine) X(TS_Registration) \
    X(TS_Free) X(TS_FixMyIdCallback) X(TS_FixNewPlayerCallback) X(TS_FixPlayerLeftCallback)                        \
    X(TS_FixNewMasterCallback) X(TS_FixPlayerInfosCallback) X(TS_FixPersonalCallback) X(TS_SendMessageToAllPlayers) \
    X(TS_SendMessageToGroup) X(TS_SendMessageToOnePlayer) X(TS_CreateGroup) X(TS_AddPlayerInGroup)                 \
    X(TS_StorePlayerInfosInDatabase) X(TS_StartServerSynchronization) X(TS_GetServerTime)

struct GameEvents {
    uint16_t ownId = 0;
    uint16_t first = 0;
    uint16_t expected = 0;
    uint16_t master = 0;
    std::vector<std::string> players;
    std::vector<uint16_t> left;
    std::vector<std::string> received;  // "type:bytes"
    std::vector<std::pair<uint16_t, std::string>> infos;
};

std::array<GameEvents, 2> gameEvents;

template <int I>
struct Callbacks {
    static void myId(uint16_t id, uint16_t first, uint16_t second) {
        gameEvents[I].ownId = id;
        gameEvents[I].first = first;
        gameEvents[I].expected = second;
    }
    static void newPlayer(uint16_t, const char* name) { gameEvents[I].players.push_back(name); }
    static void playerLeft(uint16_t id) { gameEvents[I].left.push_back(id); }
    static void newMaster(uint16_t id) { gameEvents[I].master = id; }
    static void infos(uint16_t id, const void* data, int32_t size) {
        gameEvents[I].infos.emplace_back(id, std::string(static_cast<const char*>(data), data ? size_t(size) : 0));
    }
    template <int Type>
    static void personal(uint16_t, const void* data, int32_t size) {
        gameEvents[I].received.push_back(std::to_string(Type) + ":" +
                                         std::string(static_cast<const char*>(data), size_t(size)));
    }
};

struct Game {
#define DECLARE(name) decltype(&::name) name = nullptr;
    GAME_FUNCTIONS(DECLARE)
#undef DECLARE
    void* handle = nullptr;
    std::vector<std::string> missing;

    template <int I>
    static std::unique_ptr<Game> open(const std::string& copy, const std::string& gameName) {
        auto game = std::make_unique<Game>();
        game->handle = openCopy(TS_GAME_LIBRARY, copy);
#define BIND(fn) bindFunction(game->handle, #fn, game->fn, game->missing);
        GAME_FUNCTIONS(BIND)
#undef BIND
        if (!game->missing.empty()) {
            ADD_FAILURE() << "libTSGame.so lacks " << game->missing.front();
            return nullptr;
        }
        gameEvents[I] = {};
        EXPECT_EQ(game->TS_Initialisation(gameName.c_str(), int32_t(getpid())), 1);
        game->TS_FixMyIdCallback(&Callbacks<I>::myId);
        game->TS_FixNewPlayerCallback(&Callbacks<I>::newPlayer);
        game->TS_FixPlayerLeftCallback(&Callbacks<I>::playerLeft);
        game->TS_FixNewMasterCallback(&Callbacks<I>::newMaster);
        game->TS_FixPlayerInfosCallback(&Callbacks<I>::infos);
        game->TS_FixPersonalCallback(&Callbacks<I>::template personal<5>, 5);
        game->TS_FixPersonalCallback(&Callbacks<I>::template personal<6>, 6);
        game->TS_FixPersonalCallback(&Callbacks<I>::template personal<7>, 7);
        return game;
    }
    ~Game() {
        if (TS_Free) TS_Free();
        if (handle) dlclose(handle);
    }
};

// Runs every game's engine, as their timers would, until `done`.
bool runGames(const std::vector<Game*>& games, const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        for (Game* game : games) game->TS_Engine();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

class EndToEnd : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        prefix = platform::testing::shmPrefix("tessaryd-e2e-");
        setenv("TESSARY_SHM_PREFIX", prefix.c_str(), 1);
        setenv("TESSARY_REGISTRY", (dir.path() + "/registry.ini").c_str(), 1);
        setLogSink([this](std::string_view line) {
            std::lock_guard lock(logMutex);
            log.emplace_back(line);
        });
    }
    void TearDown() override {
        ServiceTest::TearDown();
        setLogSink({});
        platform::testing::removeShmObjects(prefix);
    }

    std::unique_ptr<Lobby> lobby(const std::string& name) {
        return std::make_unique<Lobby>(dir.path() + "/libTSClient-" + name + ".so", name);
    }

    // Every export the lobby scenarios call; a missing one is a regression
    // that fails the test instead of calling through a null pointer.
    ::testing::AssertionResult lobbyLibraryComplete() {
        Lobby probe(dir.path() + "/libTSClient-probe.so", "probe");
        if (probe.missing.empty()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "libTSClient.so does not export " << probe.missing.front();
    }

    // Three lobbies in Arena 1; Ann's session "Table" with Bob as a player
    // and Cid as a spectator.
    void sessionOfThree(Lobby& ann, Lobby& bob, Lobby& cid) {
        for (Lobby* l : {&ann, &bob, &cid}) {
            l->createAccount(service->routerPort());
            l->enterArena("Arena 1");
        }
        ann.TSArenaSend_CreateSession("Table", "POKER", "1.0", 0, 2, 1, "5 45", "", 0);
        ASSERT_EQ(ann.answer(33, ann.TSArenaRcv_CreateSessionResult), kSuccess);
        bob.TSArenaSend_JoinSession("Table", "", "1.0", 0);
        ASSERT_EQ(bob.answer(37, bob.TSArenaRcv_JoinSessionResult), kSuccess);
        cid.TSArenaSend_JoinSession("Table", "", "1.0", 1);
        ASSERT_EQ(cid.answer(37, cid.TSArenaRcv_JoinSessionResult), kSuccess);
    }

    bool logged(const std::string& fragment) {
        std::lock_guard lock(logMutex);
        for (const std::string& line : log)
            if (line.find(fragment) != std::string::npos) return true;
        return false;
    }

    std::string prefix;
    std::mutex logMutex;
    std::vector<std::string> log;
};

TEST_F(EndToEnd, AccountsAndLogin) {
    ASSERT_TRUE(lobbyLibraryComplete());
    auto ann = lobby("Ann");
    ann->createAccount(service->routerPort());
    ASSERT_TRUE(ann->waitFor(18));
    char name[TS_TEXT_OUT_SIZE], host[TS_TEXT_OUT_SIZE];
    int32_t count = -1, maxPing = 0;
    ASSERT_EQ(ann->TSRouterRcv_GetNextArena(name, host, &count, &maxPing), 1);
    EXPECT_STREQ(name, "Arena 1");
    EXPECT_STREQ(host, "127.0.0.1");
    EXPECT_EQ(maxPing, -1);
    ASSERT_TRUE(ann->waitFor(26));
    char fields[6][TS_TEXT_OUT_SIZE];
    uint8_t gender = 9;
    int32_t photo = 0;
    ASSERT_EQ(ann->TSRouterRcv_AccountInfo(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], &gender,
                                           &photo),
              1);
    EXPECT_STREQ(fields[0], "Ann");
    EXPECT_STREQ(fields[5], "Plays everything.");
    EXPECT_EQ(photo, 3);

    auto other = lobby("Other");
    char result = 0;
    char error[TS_TEXT_OUT_SIZE] = {};
    ASSERT_EQ(other->TS_ConnectToHost("127.0.0.1", service->routerPort(), 1), 1);
    other->TSRouterSend_Login("Ann", "wrong", "1.0", 1);
    ASSERT_TRUE(other->waitFor(206));
    ASSERT_EQ(other->TSRouterRcv_LoginResult(&result, error), 1);
    EXPECT_EQ(result, kFailure);
    EXPECT_NE(std::string(error).find("Wrong password"), std::string::npos) << error;
    other->TSRouterSend_Login("Ann", "pw", "1.0", 1);
    ASSERT_TRUE(other->waitFor(206));
    ASSERT_EQ(other->TSRouterRcv_LoginResult(&result, error), 1);
    EXPECT_EQ(result, kSuccess);
}

TEST_F(EndToEnd, ChatSessionsMasterChangeAndStart) {
    ASSERT_TRUE(lobbyLibraryComplete());
    auto ann = lobby("Ann");
    auto bob = lobby("Bob");
    auto cid = lobby("Cid");
    sessionOfThree(*ann, *bob, *cid);

    ann->TSArenaSend_ChatToAll("hello arena", 255, 0);
    for (Lobby* l : {ann.get(), bob.get(), cid.get()}) EXPECT_EQ(l->nextChat(27), "Ann: hello arena") << l->name;
    bob->TSArenaSend_ChatToSession("hello table", 255, 0);
    for (Lobby* l : {bob.get(), ann.get(), cid.get()}) EXPECT_EQ(l->nextChat(29), "Bob: hello table") << l->name;
    ann->TSArenaSend_ChatToPlayer("Cid", "psst", 255, 0);
    EXPECT_EQ(ann->nextChat(28, 300), "");  // the lobby shows its own private line itself
    EXPECT_EQ(cid->nextChat(28), "Ann: psst");
    EXPECT_EQ(bob->nextChat(28, 300), "");

    ASSERT_EQ(ann->TSArenaSend_LeaveSession(), 1);
    ann->transmit();
    ASSERT_TRUE(cid->waitFor(57));
    char session[TS_TEXT_OUT_SIZE], master[TS_TEXT_OUT_SIZE];
    ASSERT_EQ(cid->TSArenaRcv_MasterChanged(session, master), 1);
    EXPECT_STREQ(session, "Table");
    EXPECT_STREQ(master, "Bob");
    ann->TSArenaSend_JoinSession("Table", "", "1.0", 0);
    ASSERT_EQ(ann->answer(37, ann->TSArenaRcv_JoinSessionResult), kSuccess);

    ASSERT_EQ(ann->TSArenaSend_BeginGame(), 1);
    std::string refusal;
    EXPECT_EQ(ann->answer(49, ann->TSArenaRcv_BeginGameResult, &refusal), kFailure);
    EXPECT_NE(refusal.find("master"), std::string::npos);
    ASSERT_EQ(bob->TSArenaSend_BeginGame(), 1);
    EXPECT_EQ(bob->answer(49, bob->TSArenaRcv_BeginGameResult), kSuccess);
    for (Lobby* l : {ann.get(), bob.get(), cid.get()}) {
        ASSERT_TRUE(l->waitFor(202)) << l->name;
        char address[TS_TEXT_OUT_SIZE];
        int32_t port = 0;
        ASSERT_EQ(l->TSArenaRcv_StartGame(address, &port), 1);
        EXPECT_STREQ(address, "127.0.0.1");
        EXPECT_EQ(port, service->gameServerPort());
    }
}

TEST_F(EndToEnd, PagesAndSearchAcrossRoles) {
    ASSERT_TRUE(lobbyLibraryComplete());
    auto ann = lobby("Ann");
    auto bob = lobby("Bob");
    ann->createAccount(service->routerPort());
    ann->enterArena("Arena 2");
    bob->createAccount(service->routerPort());
    bob->TSRouterSend_SearchPlayer("ann");
    ASSERT_TRUE(bob->waitFor(14));
    char result = 0;
    char error[TS_TEXT_OUT_SIZE], player[TS_TEXT_OUT_SIZE], arena[TS_TEXT_OUT_SIZE];
    ASSERT_EQ(bob->TSRouterRcv_SearchPlayerResult(&result, error, player, arena), 1);
    EXPECT_EQ(result, kSuccess);
    EXPECT_STREQ(player, "Ann");
    EXPECT_STREQ(arena, "Arena 2");
    const char* to[] = {"Ann"};
    bob->TSSend_PagePlayer(1, to, "see you at the table");
    bob->transmit();
    ASSERT_TRUE(ann->waitFor(205));
    char sender[TS_TEXT_OUT_SIZE], text[TS_TEXT_OUT_SIZE];
    ASSERT_EQ(ann->TSRcv_Page(sender, text), 1);
    EXPECT_STREQ(sender, "Bob");
    EXPECT_STREQ(text, "see you at the table");
}

TEST_F(EndToEnd, ModeratorsActFromTheLobbyByPrivateChat) {
    ASSERT_TRUE(lobbyLibraryComplete());
    auto mod = lobby("Mod");
    auto bob = lobby("Bob");
    auto cid = lobby("Cid");
    for (Lobby* l : {mod.get(), bob.get(), cid.get()}) l->createAccount(service->routerPort());
    ASSERT_TRUE(openSqliteStorage(service->config().databasePath)->setRole("Mod", Role::Moderator));
    for (Lobby* l : {mod.get(), bob.get(), cid.get()}) l->enterArena("Arena 1");

    cid->TSArenaSend_ChatToPlayer("TessaryService", "/KICK Bob", 255, 0);
    EXPECT_EQ(cid->nextChat(28), "TessaryService: not allowed");
    mod->TSArenaSend_ChatToPlayer("TessaryService", "/MUTE Bob 5 noise", 255, 0);
    EXPECT_EQ(mod->nextChat(28).substr(0, 33), "TessaryService: muted Bob until 2");
    bob->TSArenaSend_ChatToAll("can anyone hear me", 255, 0);
    EXPECT_EQ(bob->nextChat(28).substr(0, 36), "TessaryService: You are muted until ");
    EXPECT_EQ(cid->nextChat(27, 300), "");

    mod->TSArenaSend_ChatToPlayer("TessaryService", "/KICK Bob enough", 255, 0);
    EXPECT_EQ(mod->nextChat(28), "TessaryService: kicked Bob");
    ASSERT_TRUE(bob->waitFor(61));
    char text[TS_TEXT_OUT_SIZE] = {};
    ASSERT_EQ(bob->TSRcv_UrgentMessage(text), 1);
    EXPECT_NE(std::string(text).find("by Mod: enough"), std::string::npos) << text;
    bool lost = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!lost && std::chrono::steady_clock::now() < end) {
        lost = bob->TS_GetMessageType() < 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(lost) << "the kicked lobby's arena link stays open";
}

TEST_F(EndToEnd, GameRelayGroupsDatagramsAndStoredInformation) {
    {  // the session begins in the arena (by the codec test client: this test is about the game side)
        using namespace protocol;
        auto ann = enterArena("Ann");
        auto bob = enterArena("Bob");
        auto cid = enterArena("Cid");
        ann->send(request(CREATESESSION, Body().text("Table").text("POKER").text("1.0").i32(0).i32(2).i32(1)
                                             .text("").text("").i8(0), kModuleArena));
        ASSERT_EQ(ann->waitAnswer(CREATESESSION)->type, TSSUCCESS);
        bob->send(request(JOINSESSION, Body().text("Table").text("").text("1.0").i8(0), kModuleArena));
        ASSERT_EQ(bob->waitAnswer(JOINSESSION)->type, TSSUCCESS);
        cid->send(request(JOINSESSION, Body().text("Table").text("").text("1.0").i8(1), kModuleArena));
        ASSERT_EQ(cid->waitAnswer(JOINSESSION)->type, TSSUCCESS);
        ann->send(request(BEGINGAME, {}, kModuleArena));
        ASSERT_EQ(ann->waitAnswer(BEGINGAME)->type, TSSUCCESS);
    }
    const int32_t port = service->gameServerPort();
    auto annGame = Game::open<0>(dir.path() + "/libTSGame-Ann.so", "E2EGAMEA");
    auto bobGame = Game::open<1>(dir.path() + "/libTSGame-Bob.so", "E2EGAMEB");
    ASSERT_TRUE(annGame && bobGame);
    std::vector<Game*> both = {annGame.get(), bobGame.get()};
    for (Game* game : both) {
        ASSERT_EQ(game->TS_DebugInit("127.0.0.1", port), 1);
        ASSERT_EQ(game->TS_ConnectGame(), 1);
    }
    ASSERT_EQ(annGame->TS_Registration("Ann"), 1);
    ASSERT_TRUE(runGames(both, [] { return gameEvents[0].ownId != 0; }));
    ASSERT_EQ(bobGame->TS_Registration("Bob"), 1);
    ASSERT_TRUE(runGames(both, [] { return gameEvents[1].ownId != 0 && gameEvents[0].players.size() == 2; }));
    const uint16_t annId = gameEvents[0].ownId;
    const uint16_t bobId = gameEvents[1].ownId;
    EXPECT_EQ(gameEvents[0].first, 1);
    EXPECT_EQ(gameEvents[1].first, 0);
    EXPECT_EQ(gameEvents[0].expected, 2);  // the session's players, not its spectator
    EXPECT_EQ(gameEvents[0].master, annId);
    EXPECT_EQ(gameEvents[1].players, (std::vector<std::string>{"Ann", "Bob"}));

    // The stream relay, one player, and a group.
    ASSERT_EQ(annGame->TS_SendMessageToAllPlayers(5, 1, "to all", 6), 1);
    ASSERT_EQ(annGame->TS_SendMessageToOnePlayer(6, bobId, 1, "to you", 6), 1);
    ASSERT_EQ(annGame->TS_CreateGroup(3), 1);
    ASSERT_EQ(annGame->TS_AddPlayerInGroup(3, bobId), 1);
    ASSERT_EQ(annGame->TS_SendMessageToGroup(7, 3, 1, "to group", 8), 1);
    ASSERT_TRUE(runGames(both, [] { return gameEvents[1].received.size() == 3; }));
    EXPECT_EQ(gameEvents[1].received, (std::vector<std::string>{"5:to all", "6:to you", "7:to group"}));
    EXPECT_TRUE(gameEvents[0].received.empty());

    // The paced path: once both probes have taught the server their
    // addresses, relayed messages travel by datagram.
    ASSERT_TRUE(runGames(both, [this] { return logged("Ann sends datagrams") && logged("Bob sends datagrams"); }));
    const uint64_t relaysBefore = service->gameDatagramRelays();
    for (int i = 0; i < 3; ++i) {
        const std::string update = "position " + std::to_string(i);
        ASSERT_EQ(annGame->TS_SendMessageToAllPlayers(5, 2, update.data(), int32_t(update.size())), 1);
        ASSERT_TRUE(runGames(both, [&] { return gameEvents[1].received.back() == "5:" + update; }));
    }
    EXPECT_EQ(service->gameDatagramRelays() - relaysBefore, 3u) << "the updates did not come by datagram";

    // Server time.
    ASSERT_EQ(bobGame->TS_StartServerSynchronization(), 1);
    uint32_t seconds = 0;
    int32_t milliseconds = 0;
    ASSERT_TRUE(runGames(both, [&] { return bobGame->TS_GetServerTime(&seconds, &milliseconds) == 1; }));
    EXPECT_NEAR(double(seconds), double(std::time(nullptr)), 2.0);

    // Stored information comes back after a reconnection.
    ASSERT_EQ(annGame->TS_StorePlayerInfosInDatabase(annId, "bank:120", 8), 1);
    const auto storage = openSqliteStorage(service->config().databasePath);
    const Bytes stored{'b', 'a', 'n', 'k', ':', '1', '2', '0'};
    ASSERT_TRUE(runGames(both, [&] { return storage->playerInfo("POKER", "Ann") == stored; }))
        << "the information never reached the database";
    ASSERT_EQ(annGame->TS_DisconnectFromGame(), 1);
    ASSERT_TRUE(runGames(both, [&] { return !gameEvents[1].left.empty(); }));
    EXPECT_EQ(gameEvents[1].left.front(), annId);
    EXPECT_EQ(gameEvents[1].master, bobId);
    gameEvents[0].infos.clear();
    ASSERT_EQ(annGame->TS_ConnectGame(), 1);
    ASSERT_EQ(annGame->TS_Registration("Ann"), 1);
    ASSERT_TRUE(runGames(both, [] { return !gameEvents[0].infos.empty(); }));
    EXPECT_EQ(gameEvents[0].infos.front(), std::make_pair(annId, std::string("bank:120")));
}

}  // namespace
}  // namespace tessary::server
