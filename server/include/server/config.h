// The configuration of one tessaryd process: which roles it hosts, where
// they listen, what the Router tells the lobbies, and the safety limits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tessary::server {

struct Endpoint {
    std::string host;
    uint16_t port = 0;  // 0: any free port (tests)
};

struct RouterEntry {  // one line of ROUTEURLIST
    std::string name;
    std::string host;
    uint16_t port = 0;
};

struct Advertisement {
    int32_t displayMilliseconds = 10000;
    std::string directory;
    std::string file;
    std::string link;
};

struct AdvertisementConfig {
    std::string ftpHost;
    std::string ftpUser;
    std::string ftpPassword;
    std::vector<Advertisement> items;
};

struct ClientVersionConfig {
    std::string version;  // newest lobby version text
    bool mandatory = false;
    std::string ftpHost;
    std::string path;
    int32_t size = 0;
};

// An Arena hosted by another process, which this Router lists.
struct RemoteArena {
    std::string name;
    Endpoint address;  // as the lobbies reach it
};

struct RouterConfig {
    std::string name;
    Endpoint listen;
    std::string publicHost;  // what ROUTEURLIST shows for this Router
    std::vector<RouterEntry> otherRouters;
    std::vector<RemoteArena> remoteArenas;  // after this process's own Arenas
    std::vector<std::string> news;
    std::optional<AdvertisementConfig> advertisement;
    ClientVersionConfig clientVersion;
};

struct ArenaConfig {
    std::string name;
    Endpoint listen;
    std::string publicHost;  // the address the Router hands out
    int32_t maxPing = -1;
    int playerLimit = 0;
    std::optional<Endpoint> gameServer;  // in another process: what STARTGAME names
};

struct GameServerConfig {
    Endpoint listen;  // TCP here, UDP on port + 1
    std::string publicHost;
};

struct Limits {
    int connectionsPerAddress;
    int requestsPerSecond;
    int requestBurst;
    int gameRequestsPerSecond;
    int gameRequestBurst;
    int maxFrameBytes;
    int maxGameFrameBytes;
    int maxPendingSendBytes;
    int maxChatText;
    int maxText;
    int maxPageAddressees;
    int sessionsPerArena;
    int idleTimeoutSeconds;
    int frameDeadlineSeconds;  // to complete a frame once its first bytes came
    int admissionSeconds;
    int gameReturnSeconds;
    int returnAfterGameSeconds;
    int maxPlayerInfoBytes;
    int arenaPingSeconds;
    int recentChatLines;  // arena chat lines shown to a newcomer; 0: none
    int seatKeepSeconds;  // a dropped player's seat in a running game; 0: given up at once
    int computerDelayMs;  // a computer player's pause before it moves (tests shorten it)
    // Log lines about one client address let through per 10 s (the rest are
    // counted): players behind one address, or tests on loopback, need more.
    int logLinesPerAddress;

    static Limits defaults();
};

// libsodium crypto_pwhash limits. Interactive by default; tests lower them.
struct PasswordCost {
    unsigned long long opsLimit;
    size_t memLimit;

    static PasswordCost interactive();
    static PasswordCost minimal();
};

enum class StorageBackend { Sqlite, Postgresql };

struct Config {
    StorageBackend backend = StorageBackend::Sqlite;
    std::string databasePath;  // SQLite
    std::string connection;    // PostgreSQL: a libpq connection string
    int heartbeatSeconds = 5;  // PostgreSQL: a dead process is forgotten after three
    std::optional<RouterConfig> router;
    std::vector<ArenaConfig> arenas;
    std::optional<GameServerConfig> gameServer;
    Limits limits = Limits::defaults();
    PasswordCost passwordCost = PasswordCost::interactive();
    std::string urgentFile;  // read on SIGUSR1, each line broadcast
    std::string controlSocket;  // the operator's Unix socket; empty: none

    // Everything in one process on 127.0.0.1 with the fixed ports of
    // defaults.h and the database under the user's data directory.
    static Config embeddedDefault();
};

struct ConfigError {
    int line = 0;  // 0: not tied to a line
    std::string message;
};

// Parses the text of a configuration file (format: see `configFileHelp`).
// Sections that are absent leave their role out; a file with no role at
// all is an error.
[[nodiscard]] std::variant<Config, ConfigError> parseConfig(std::string_view text);

// The file format, for --help.
std::string configFileHelp();

// The embedded default written out as a configuration file.
std::string formatConfig(const Config& config);

// $XDG_DATA_HOME/tessary/tessaryd.sqlite, or ~/.local/share/... without it.
std::string defaultDatabasePath();

}  // namespace tessary::server
