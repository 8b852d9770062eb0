// The built library exports exactly the 73 functions the lobby binds, and the
// lobby's binding (dlopen, then dlsym of each name in order) finds them all.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

// In the order the lobby looks them up.
constexpr std::array<const char*, 73> kLobbyBinding = {
    "TS_ConnectToHost", "TS_DisconnectFromHost", "TS_GetMessageType", "TSSend_PagePlayer", "TSRouterSend_Login",
    "TSRouterSend_CreateAccount", "TSRouterSend_ModifyAccount", "TSRouterSend_JoinArena", "TSRouterSend_Photo",
    "TSRouterSend_SearchPlayer", "TSArenaSend_Login", "TSArenaSend_ChatToAll", "TSArenaSend_ChatToPlayer",
    "TSArenaSend_ChatToSession", "TSArenaSend_GetPlayerInfo", "TSArenaSend_CreateSession",
    "TSArenaSend_GetSessionInfo", "TSArenaSend_JoinSession", "TSArenaSend_LeaveSession", "TSArenaSend_BeginGame",
    "TSArenaSend_Ping", "TSRcv_Page", "TSRcv_UrgentMessage", "TSRouterRcv_LoginResult",
    "TSRouterRcv_AccountCreationResult", "TSRouterRcv_ModifyAccountResult", "TSRouterRcv_JoinArenaResult",
    "TSRouterRcv_GetNextRouter", "TSRouterRcv_GetNextArena", "TSRouterRcv_GetNextAdvertisement",
    "TSRouterRcv_GetNextNews", "TSRouterRcv_GetVersion", "TSRouterRcv_AccountInfo", "TSRouterRcv_GetNextGame",
    "TSRouterRcv_GetPhotoSize", "TSRouterRcv_Photo", "TSRouterRcv_SearchPlayerResult", "TSArenaRcv_LoginResult",
    "TSArenaRcv_CreateSessionResult", "TSArenaRcv_JoinSessionResult", "TSArenaRcv_BeginGameResult",
    "TSArenaRcv_PlayerInfoResult", "TSArenaRcv_GetNextGame", "TSArenaRcv_SessionInfoResult", "TSArenaRcv_SessionNew",
    "TSArenaRcv_SessionRemoved", "TSArenaRcv_MasterChanged", "TSArenaRcv_SessionState", "TSArenaRcv_PlayerNew",
    "TSArenaRcv_PlayerRemoved", "TSArenaRcv_PlayerJoinSession", "TSArenaRcv_PlayerLeaveSession",
    "TSArenaRcv_UpdatePlayerInfo", "TSArenaRcv_ChatAll", "TSArenaRcv_ChatList", "TSArenaRcv_ChatSession",
    "TSArenaRcv_Ping", "TSArenaRcv_GetNextPlayer", "TSArenaRcv_GetNextSession", "TSArenaRcv_GetNextPlayerInSession",
    "TSArenaRcv_GetNextSpectatorInSession", "TSArenaRcv_GetPhotoSize", "TSArenaRcv_Photo", "TSArenaRcv_StartGame",
    "TSRouter_AddArenaPingProcessing", "TSRouter_StopAllPingProcessings", "TSRouter_GetArenaPing",
    "TS_InitializeSharedMemory", "TS_GetStartedGame", "TS_StartGame", "TS_IsGameFinished", "TS_IsCloseAsked",
    "TS_FreeSharedMemory",
};

// The defined dynamic symbols of `library`, as `nm -D --defined-only` lists them.
std::multiset<std::string> definedDynamicSymbols(const std::string& library) {
    std::multiset<std::string> names;
    const std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) names.insert(name);
    }
    return names;
}

TEST(Exports, ExactlyTheLobbysFunctions) {
    const auto names = definedDynamicSymbols(TS_CLIENT_LIBRARY);
    ASSERT_FALSE(names.empty()) << "nm found nothing in " << TS_CLIENT_LIBRARY;
    const std::multiset<std::string> expected(kLobbyBinding.begin(), kLobbyBinding.end());
    EXPECT_EQ(names, expected);
}

TEST(Exports, TheLobbysBindingFindsEveryName) {
    void* library = ::dlopen(TS_CLIENT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    for (const char* name : kLobbyBinding) EXPECT_NE(::dlsym(library, name), nullptr) << name;

    // A poll without a connection through the loaded copy.
    using Poll = int32_t (*)();
    const auto poll = reinterpret_cast<Poll>(::dlsym(library, "TS_GetMessageType"));
    ASSERT_NE(poll, nullptr);
    EXPECT_EQ(poll(), -1);
    EXPECT_EQ(::dlclose(library), 0);
}

}  // namespace
