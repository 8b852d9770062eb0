#include "lobby/client_api.h"

#include <algorithm>
#include <string_view>

namespace tessary::lobby {
namespace {

template <typename Function>
void take(Function& target, std::string_view name, std::span<void* const> addresses) {
    const auto* it = std::find(kClientExportNames.begin(), kClientExportNames.end(), name);
    target = reinterpret_cast<Function>(addresses[it - kClientExportNames.begin()]);
}

}  // namespace

ClientApi ClientApi::fromSlots(std::span<void* const> addresses) {
    ClientApi api;
    if (addresses.size() != api.addresses.size()) return api;
    std::copy(addresses.begin(), addresses.end(), api.addresses.begin());
#define TS_TAKE(name) take(api.name, #name, addresses);
    TS_TAKE(TS_ConnectToHost)
    TS_TAKE(TS_DisconnectFromHost)
    TS_TAKE(TS_GetMessageType)
    TS_TAKE(TSRouterSend_Login)
    TS_TAKE(TSRouterSend_CreateAccount)
    TS_TAKE(TSRouterSend_ModifyAccount)
    TS_TAKE(TSRouterSend_JoinArena)
    TS_TAKE(TSRouterSend_Photo)
    TS_TAKE(TSArenaSend_Login)
    TS_TAKE(TSRcv_UrgentMessage)
    TS_TAKE(TSRouterRcv_LoginResult)
    TS_TAKE(TSRouterRcv_AccountCreationResult)
    TS_TAKE(TSRouterRcv_ModifyAccountResult)
    TS_TAKE(TSRouterRcv_JoinArenaResult)
    TS_TAKE(TSRouterRcv_GetVersion)
    TS_TAKE(TSRouterRcv_AccountInfo)
    TS_TAKE(TSArenaRcv_LoginResult)
    TS_TAKE(TSRouter_StopAllPingProcessings)
    TS_TAKE(TS_InitializeSharedMemory)
    TS_TAKE(TS_IsGameFinished)
    TS_TAKE(TS_IsCloseAsked)
    TS_TAKE(TS_FreeSharedMemory)
#undef TS_TAKE
    return api;
}

}  // namespace tessary::lobby
