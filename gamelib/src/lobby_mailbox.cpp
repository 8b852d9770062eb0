#include "lobby_mailbox.h"

#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "platform/registry.h"

namespace tessary::gamelib {

namespace {

using protocol::HandoffChannel;

constexpr const char* kLobbyKey = R"(SOFTWARE\Quillon\Tessary Client)";
constexpr const char* kLobbyDirectoryValue = "Directory";
constexpr const char* kLobbyProgram = "TSClient";
// A name no program uses, for looking into the block without being anybody.
constexpr const char* kOnlookerName = "\x01";

}  // namespace

LobbyMailbox::OpenResult LobbyMailbox::open(std::string_view gameName, uint32_t window) {
    close();
    if (protocol::OpenHandoff(view_, gameName, window)) {
        if (protocol::ClaimPresence(view_)) return OpenResult::Open;
        protocol::CloseHandoff(view_);  // another copy claimed it first
        return OpenResult::AlreadyPresent;
    }
    // The view refuses both when the block cannot be had and when this game is
    // present already; only a look from outside tells the two apart.
    protocol::HandoffView onlooker;
    if (!protocol::OpenHandoff(onlooker, kOnlookerName, 0)) return OpenResult::Unavailable;
    const bool present = protocol::TakeRecord(onlooker, HandoffChannel::Presence, gameName,
                                              protocol::kHandoffTextSize, false).has_value();
    protocol::CloseHandoff(onlooker);
    return present ? OpenResult::AlreadyPresent : OpenResult::Unavailable;
}

void LobbyMailbox::close() {
    protocol::CloseHandoff(view_);
    if (startedLobby_ > 0) platform::reapIfExited(startedLobby_);
    startedLobby_ = 0;
}

bool LobbyMailbox::lobbyPresent() {
    return protocol::TakeRecord(view_, HandoffChannel::Presence, kLobbyName, protocol::kHandoffTextSize, false)
        .has_value();
}

std::optional<std::string> LobbyMailbox::takeStartOrder() {
    return protocol::TakeRecord(view_, HandoffChannel::StartOrder, kLobbyName, protocol::kHandoffTextSize, true);
}

bool LobbyMailbox::postFinishReport(std::string_view text) {
    return protocol::PostRecord(view_, HandoffChannel::FinishReport, kLobbyName, text);
}

bool LobbyMailbox::postCloseRequest() {
    // An explicit empty text: the record writer copies from its pointer.
    return protocol::PostRecord(view_, HandoffChannel::CloseRequest, kLobbyName, "");
}

LobbyMailbox::StartResult LobbyMailbox::startLobby(int attempts, std::chrono::milliseconds poll) {
    if (lobbyPresent()) return StartResult::AlreadyRunning;
    // Without the block a started lobby could never be seen arriving.
    if (!view_.usable()) return StartResult::Failed;
    const auto directory = platform::Registry::shared().get(kLobbyKey, kLobbyDirectoryValue);
    if (!directory || directory->empty()) return StartResult::Failed;
    const std::string program = (std::filesystem::path(*directory) / kLobbyProgram).string();
    const auto child = platform::spawnProgram(program, {program});
    if (!child) return StartResult::Failed;
    startedLobby_ = *child;
    for (int i = 0; i < attempts; ++i) {
        if (protocol::WindowOf(view_, kLobbyName) != 0) return StartResult::Started;
        if (platform::reapIfExited(startedLobby_)) {
            startedLobby_ = 0;
            return StartResult::Failed;  // it ended without ever showing up
        }
        std::this_thread::sleep_for(poll);
    }
    return StartResult::Failed;
}

}  // namespace tessary::gamelib
