// The embedded default of tessaryd: every role in one process on loopback.
// The lobby's CONFIG.INI and the run script point at these values, so they
// live in this one header.
#pragma once

#include <cstdint>

namespace tessary::server::defaults {

inline constexpr const char* kHost = "127.0.0.1";
inline constexpr const char* kRouterName = "Tessary";
inline constexpr uint16_t kRouterPort = 7000;

inline constexpr int kArenaCount = 2;
inline constexpr const char* kArenaNames[kArenaCount] = {"Arena 1", "Arena 2"};
inline constexpr uint16_t kArenaPorts[kArenaCount] = {7001, 7002};

// The game server listens on TCP kGameServerPort and UDP kGameServerPort + 1.
inline constexpr uint16_t kGameServerPort = 7010;

// The database lives under $XDG_DATA_HOME (else ~/.local/share).
inline constexpr const char* kDataSubdirectory = "tessary";
inline constexpr const char* kDatabaseFileName = "tessaryd.sqlite";

// The client version the Router compares the lobby's text with; an older
// client is told about the newer one (CHANGEVERSION).
inline constexpr const char* kClientVersion = "1.0";

// --- Safety limits (each can be changed in the configuration file) ---
inline constexpr int kConnectionsPerAddress = 32;
inline constexpr int kRequestsPerSecond = 40;  // sustained, per connection
inline constexpr int kRequestBurst = 120;      // tokens a quiet connection saves up
inline constexpr int kGameRequestsPerSecond = 400;
inline constexpr int kGameRequestBurst = 2000;
inline constexpr int kMaxFrameBytes = 64 * 1024;       // Router and Arena requests
inline constexpr int kMaxGameFrameBytes = 256 * 1024;  // a Slimefray map, a poker hand
inline constexpr int kMaxPendingSendBytes = 8 * 1024 * 1024;  // a slower reader is dropped
inline constexpr int kMaxChatText = 512;
inline constexpr int kMaxText = 1024;
inline constexpr int kMaxPageAddressees = 64;
inline constexpr int kSessionsPerArena = 100;
inline constexpr int kPlayersPerArena = 2000;
inline constexpr int kIdleTimeoutSeconds = 200;  // clients keep alive every 30 s
inline constexpr int kFrameDeadlineSeconds = 30;  // a whole 64 KB frame at a slow 2.2 KB/s
inline constexpr int kAdmissionSeconds = 30;     // CONNECTIONREQUEST -> LOGINARENA
inline constexpr int kGameReturnSeconds = 4 * 3600;
inline constexpr int kReturnAfterGameSeconds = 120;
inline constexpr int kMaxPlayerInfoBytes = 16 * 1024;
inline constexpr int kArenaPingSeconds = 20;
inline constexpr int kRecentChatLines = 20;
inline constexpr int kSeatKeepSeconds = 60;    // a running game's seat after its player's link dropped
inline constexpr int kComputerDelayMs = 1500;  // a computer player's pause before it moves
inline constexpr int kLogLinesPerAddress = 20;  // log lines of one client address per 10 s

}  // namespace tessary::server::defaults
