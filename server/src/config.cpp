#include "server/config.h"

#include <sodium.h>

#include <charconv>
#include <cstdlib>
#include <sstream>

#include "server/defaults.h"
#include "text_util.h"

namespace tessary::server {

Limits Limits::defaults() {
    namespace d = defaults;
    return Limits{
        .connectionsPerAddress = d::kConnectionsPerAddress,
        .requestsPerSecond = d::kRequestsPerSecond,
        .requestBurst = d::kRequestBurst,
        .gameRequestsPerSecond = d::kGameRequestsPerSecond,
        .gameRequestBurst = d::kGameRequestBurst,
        .maxFrameBytes = d::kMaxFrameBytes,
        .maxGameFrameBytes = d::kMaxGameFrameBytes,
        .maxPendingSendBytes = d::kMaxPendingSendBytes,
        .maxChatText = d::kMaxChatText,
        .maxText = d::kMaxText,
        .maxPageAddressees = d::kMaxPageAddressees,
        .sessionsPerArena = d::kSessionsPerArena,
        .idleTimeoutSeconds = d::kIdleTimeoutSeconds,
        .frameDeadlineSeconds = d::kFrameDeadlineSeconds,
        .admissionSeconds = d::kAdmissionSeconds,
        .gameReturnSeconds = d::kGameReturnSeconds,
        .returnAfterGameSeconds = d::kReturnAfterGameSeconds,
        .maxPlayerInfoBytes = d::kMaxPlayerInfoBytes,
        .arenaPingSeconds = d::kArenaPingSeconds,
        .recentChatLines = d::kRecentChatLines,
        .seatKeepSeconds = d::kSeatKeepSeconds,
        .computerDelayMs = d::kComputerDelayMs,
        .logLinesPerAddress = d::kLogLinesPerAddress,
    };
}

PasswordCost PasswordCost::interactive() {
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

PasswordCost PasswordCost::minimal() {
    return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
}

std::string defaultDatabasePath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        base = ".";
    }
    return base + "/" + defaults::kDataSubdirectory + "/" + defaults::kDatabaseFileName;
}

Config Config::embeddedDefault() {
    Config config;
    config.databasePath = defaultDatabasePath();
    RouterConfig router;
    router.name = defaults::kRouterName;
    router.listen = {defaults::kHost, defaults::kRouterPort};
    router.publicHost = defaults::kHost;
    router.news = {"Welcome to the Tessary service.", "This service runs on your own machine."};
    router.clientVersion.version = defaults::kClientVersion;
    config.router = router;
    for (int i = 0; i < defaults::kArenaCount; ++i) {
        ArenaConfig arena;
        arena.name = defaults::kArenaNames[i];
        arena.listen = {defaults::kHost, defaults::kArenaPorts[i]};
        arena.publicHost = defaults::kHost;
        arena.playerLimit = defaults::kPlayersPerArena;
        config.arenas.push_back(arena);
    }
    config.gameServer = GameServerConfig{{defaults::kHost, defaults::kGameServerPort}, defaults::kHost};
    return config;
}

namespace {

struct LimitKey {
    const char* key;
    int Limits::*member;
    int minimum;
};

constexpr LimitKey kLimitKeys[] = {
    {"connections_per_address", &Limits::connectionsPerAddress, 1},
    {"requests_per_second", &Limits::requestsPerSecond, 1},
    {"request_burst", &Limits::requestBurst, 1},
    {"game_requests_per_second", &Limits::gameRequestsPerSecond, 1},
    {"game_request_burst", &Limits::gameRequestBurst, 1},
    {"max_frame_bytes", &Limits::maxFrameBytes, 64},
    {"max_game_frame_bytes", &Limits::maxGameFrameBytes, 64},
    {"max_pending_send_bytes", &Limits::maxPendingSendBytes, 4096},
    {"max_chat_text", &Limits::maxChatText, 1},
    {"max_text", &Limits::maxText, 16},
    {"max_page_addressees", &Limits::maxPageAddressees, 1},
    {"sessions_per_arena", &Limits::sessionsPerArena, 0},
    {"idle_timeout_seconds", &Limits::idleTimeoutSeconds, 35},
    {"frame_deadline_seconds", &Limits::frameDeadlineSeconds, 1},
    {"admission_seconds", &Limits::admissionSeconds, 1},
    {"game_return_seconds", &Limits::gameReturnSeconds, 1},
    {"return_after_game_seconds", &Limits::returnAfterGameSeconds, 1},
    {"max_player_info_bytes", &Limits::maxPlayerInfoBytes, 1},
    {"arena_ping_seconds", &Limits::arenaPingSeconds, 1},
    {"recent_chat_lines", &Limits::recentChatLines, 0},
    {"seat_keep_seconds", &Limits::seatKeepSeconds, 0},
    {"computer_delay_ms", &Limits::computerDelayMs, 0},
    {"log_lines_per_address", &Limits::logLinesPerAddress, 1},
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::variant<Config, ConfigError> run() {
        config_.databasePath = defaultDatabasePath();
        std::istringstream in{std::string(text_)};
        std::string raw;
        while (std::getline(in, raw)) {
            ++line_;
            std::string_view content = trim(raw);
            if (content.empty() || content.front() == '#' || content.front() == ';') continue;
            if (content.front() == '[') {
                if (!openSection(content)) return *error_;
                continue;
            }
            const size_t eq = content.find('=');
            if (eq == std::string_view::npos) {
                fail("expected key = value");
                return *error_;
            }
            const std::string key = std::string(trim(content.substr(0, eq)));
            const std::string value = std::string(trim(content.substr(eq + 1)));
            if (!assign(key, value)) return *error_;
        }
        if (!config_.router && config_.arenas.empty() && !config_.gameServer) {
            return ConfigError{0, "the configuration names no role ([router], [arena], [gameserver])"};
        }
        for (const ArenaConfig& arena : config_.arenas)
            if (arena.name.empty()) return ConfigError{0, "every [arena] needs a name"};
        if (config_.backend == StorageBackend::Postgresql && config_.connection.empty())
            return ConfigError{0, "backend = postgresql needs a connection string ([storage] connection)"};
        return config_;
    }

private:
    bool fail(std::string message) {
        error_ = ConfigError{line_, std::move(message)};
        return false;
    }

    bool openSection(std::string_view content) {
        if (content.back() != ']') return fail("unclosed section name");
        section_ = std::string(trim(content.substr(1, content.size() - 2)));
        if (section_ == "router") {
            if (config_.router) return fail("only one [router] per process");
            config_.router = RouterConfig{};
            config_.router->name = defaults::kRouterName;
            config_.router->listen = {defaults::kHost, defaults::kRouterPort};
            config_.router->publicHost = defaults::kHost;
        } else if (section_ == "arena") {
            ArenaConfig arena;
            arena.listen = {defaults::kHost, 0};
            arena.publicHost = defaults::kHost;
            arena.playerLimit = defaults::kPlayersPerArena;
            config_.arenas.push_back(arena);
        } else if (section_ == "gameserver") {
            if (config_.gameServer) return fail("only one [gameserver] per process");
            config_.gameServer =
                GameServerConfig{{defaults::kHost, defaults::kGameServerPort}, defaults::kHost};
        } else if (section_ != "storage" && section_ != "limits" && section_ != "password") {
            return fail("unknown section [" + section_ + "]");
        }
        return true;
    }

    bool assign(const std::string& key, const std::string& value) {
        if (section_.empty()) return fail("key outside a section");
        if (section_ == "storage") return assignStorage(key, value);
        if (section_ == "password") return assignPassword(key, value);
        if (section_ == "limits") return assignLimit(key, value);
        if (section_ == "router") return assignRouter(*config_.router, key, value);
        if (section_ == "arena") return assignArena(config_.arenas.back(), key, value);
        return assignGameServer(*config_.gameServer, key, value);
    }

    bool assignStorage(const std::string& key, const std::string& value) {
        if (key == "database") config_.databasePath = value;
        else if (key == "backend") return assignBackend(value);
        else if (key == "connection") config_.connection = value;
        else if (key == "heartbeat_seconds") {
            long long number = 0;
            if (!integer(value, 1, 60, number)) return false;
            config_.heartbeatSeconds = static_cast<int>(number);
        }
        else if (key == "urgent_file") config_.urgentFile = value;
        else if (key == "control_socket") config_.controlSocket = value;
        else return unknown(key);
        return true;
    }

    bool assignBackend(const std::string& value) {
        if (value == "sqlite") config_.backend = StorageBackend::Sqlite;
        else if (value == "postgresql") config_.backend = StorageBackend::Postgresql;
        else return fail("backend is sqlite or postgresql, not " + value);
        return true;
    }

    bool assignPassword(const std::string& key, const std::string& value) {
        long long number = 0;
        if (key == "opslimit") {
            if (!integer(value, crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_OPSLIMIT_MAX, number))
                return false;
            config_.passwordCost.opsLimit = static_cast<unsigned long long>(number);
        } else if (key == "memlimit") {
            if (!integer(value, crypto_pwhash_MEMLIMIT_MIN, 1LL << 32, number)) return false;
            config_.passwordCost.memLimit = static_cast<size_t>(number);
        } else {
            return unknown(key);
        }
        return true;
    }

    bool assignLimit(const std::string& key, const std::string& value) {
        for (const LimitKey& entry : kLimitKeys) {
            if (key != entry.key) continue;
            long long number = 0;
            if (!integer(value, entry.minimum, 100'000'000, number)) return false;
            config_.limits.*entry.member = static_cast<int>(number);
            return true;
        }
        return unknown(key);
    }

    bool assignRouter(RouterConfig& router, const std::string& key, const std::string& value) {
        long long number = 0;
        if (key == "name") router.name = value;
        else if (key == "listen") return endpoint(value, router.listen);
        else if (key == "public_host") router.publicHost = value;
        else if (key == "news") router.news.push_back(value);
        else if (key == "router") return otherRouter(value, router);
        else if (key == "remote_arena") return remoteArena(value, router);
        else if (key == "client_version") router.clientVersion.version = value;
        else if (key == "client_version_mandatory") return boolean(value, router.clientVersion.mandatory);
        else if (key == "client_version_ftp") router.clientVersion.ftpHost = value;
        else if (key == "client_version_path") router.clientVersion.path = value;
        else if (key == "client_version_size") {
            if (!integer(value, 0, INT32_MAX, number)) return false;
            router.clientVersion.size = static_cast<int32_t>(number);
        } else if (key == "advertisement_ftp") return advertisementFtp(value, router);
        else if (key == "advertisement") return advertisement(value, router);
        else return unknown(key);
        return true;
    }

    bool assignArena(ArenaConfig& arena, const std::string& key, const std::string& value) {
        long long number = 0;
        if (key == "name") {
            if (value.empty() || value.size() > 63) return fail("an arena name has 1 to 63 characters");
            arena.name = value;
        } else if (key == "listen") {
            return endpoint(value, arena.listen);
        } else if (key == "public_host") {
            arena.publicHost = value;
        } else if (key == "max_ping") {
            if (!integer(value, -1, INT32_MAX, number)) return false;
            arena.maxPing = static_cast<int32_t>(number);
        } else if (key == "player_limit") {
            if (!integer(value, 1, 1'000'000, number)) return false;
            arena.playerLimit = static_cast<int>(number);
        } else if (key == "game_server") {
            Endpoint address;
            if (!endpoint(value, address)) return false;
            if (address.port == 0) return fail("the game server needs a port");
            arena.gameServer = address;
        } else {
            return unknown(key);
        }
        return true;
    }

    bool assignGameServer(GameServerConfig& game, const std::string& key, const std::string& value) {
        if (key == "listen") return endpoint(value, game.listen);
        if (key == "public_host") game.publicHost = value;
        else return unknown(key);
        return true;
    }

    bool unknown(const std::string& key) {
        return fail("unknown key \"" + key + "\" in [" + section_ + "]");
    }

    bool integer(std::string_view value, long long minimum, long long maximum, long long& out) {
        const char* end = value.data() + value.size();
        auto [ptr, ec] = std::from_chars(value.data(), end, out);
        if (ec != std::errc() || ptr != end) return fail("\"" + std::string(value) + "\" is not a number");
        if (out < minimum || out > maximum) {
            return fail("value " + std::string(value) + " outside " + std::to_string(minimum) +
                        " .. " + std::to_string(maximum));
        }
        return true;
    }

    bool boolean(std::string_view value, bool& out) {
        if (value == "yes" || value == "true" || value == "1") out = true;
        else if (value == "no" || value == "false" || value == "0") out = false;
        else return fail("expected yes or no");
        return true;
    }

    // host:port; the port may be 0 (any free port).
    bool endpoint(std::string_view value, Endpoint& out) {
        const size_t colon = value.rfind(':');
        if (colon == std::string_view::npos || colon == 0) return fail("expected host:port");
        long long port = 0;
        if (!integer(value.substr(colon + 1), 0, 65535, port)) return false;
        out.host = std::string(value.substr(0, colon));
        out.port = static_cast<uint16_t>(port);
        return true;
    }

    // "Name with blanks host:port": the last word is the address.
    bool namedAddress(std::string_view value, const char* key, std::string& name, Endpoint& address) {
        const size_t blank = value.find_last_of(' ');
        if (blank == std::string_view::npos) return fail(std::string("expected: ") + key + " = name host:port");
        name = std::string(trim(value.substr(0, blank)));
        if (!endpoint(value.substr(blank + 1), address)) return false;
        if (address.port == 0) return fail(std::string("a listed ") + key + " needs a port");
        return true;
    }

    bool otherRouter(std::string_view value, RouterConfig& router) {
        RouterEntry entry;
        Endpoint address;
        if (!namedAddress(value, "router", entry.name, address)) return false;
        entry.host = address.host;
        entry.port = address.port;
        router.otherRouters.push_back(entry);
        return true;
    }

    bool remoteArena(std::string_view value, RouterConfig& router) {
        RemoteArena arena;
        if (!namedAddress(value, "remote_arena", arena.name, arena.address)) return false;
        router.remoteArenas.push_back(arena);
        return true;
    }

    bool advertisementFtp(std::string_view value, RouterConfig& router) {
        const std::vector<std::string> words = splitWords(value);
        if (words.empty() || words.size() > 3) return fail("expected: advertisement_ftp = host [user [password]]");
        if (!router.advertisement) router.advertisement = AdvertisementConfig{};
        router.advertisement->ftpHost = words[0];
        router.advertisement->ftpUser = words.size() > 1 ? words[1] : "anonymous";
        router.advertisement->ftpPassword = words.size() > 2 ? words[2] : "";
        return true;
    }

    bool advertisement(std::string_view value, RouterConfig& router) {
        const std::vector<std::string> words = splitWords(value);
        if (words.size() != 4) return fail("expected: advertisement = milliseconds directory file link");
        long long ms = 0;
        if (!integer(words[0], 1, INT32_MAX, ms)) return false;
        if (!router.advertisement) router.advertisement = AdvertisementConfig{};
        router.advertisement->items.push_back({static_cast<int32_t>(ms), words[1], words[2], words[3]});
        return true;
    }

    std::string_view text_;
    Config config_;
    std::string section_;
    int line_ = 0;
    std::optional<ConfigError> error_;
};

}  // namespace

std::variant<Config, ConfigError> parseConfig(std::string_view text) { return Parser(text).run(); }

std::string configFileHelp() {
    std::string help =
        "Configuration file: INI sections, one \"key = value\" per line, '#' starts a comment.\n"
        "A role runs when its section is present.\n"
        "  [storage]     backend = sqlite|postgresql (default sqlite)\n"
        "                database = PATH          SQLite file (default " +
        defaultDatabasePath() +
        ")\n"
        "                connection = TEXT        PostgreSQL connection string, e.g.\n"
        "                                         host=192.0.2.1 dbname=tessary user=tessary\n"
        "                heartbeat_seconds = N    PostgreSQL: a dead host's players go after 3 N (default 5)\n"
        "                urgent_file = PATH       lines broadcast as URGENTMESSAGE on SIGUSR1\n"
        "                control_socket = PATH    the operator's socket for tessaryd ctl\n"
        "                                         (default beside the database: tessaryd.sock)\n"
        "  [password]    opslimit = N, memlimit = BYTES   crypto_pwhash cost (default interactive)\n"
        "  [router]      name, listen = HOST:PORT, public_host, news = LINE (repeat),\n"
        "                router = NAME HOST:PORT (other Routers, repeat),\n"
        "                remote_arena = NAME HOST:PORT (an Arena of another process, repeat),\n"
        "                client_version = TEXT, client_version_mandatory = yes|no,\n"
        "                client_version_ftp = HOST, client_version_path = PATH, client_version_size = N,\n"
        "                advertisement_ftp = HOST [USER [PASSWORD]],\n"
        "                advertisement = MILLISECONDS DIRECTORY FILE LINK (repeat)\n"
        "  [arena]       (repeat per arena) name, listen = HOST:PORT, public_host,\n"
        "                max_ping = MS (-1: no limit), player_limit = N,\n"
        "                game_server = HOST:PORT (when another process hosts it)\n"
        "  [gameserver]  listen = HOST:PORT (UDP on PORT+1), public_host\n"
        "  [limits]     ";
    const Limits limits = Limits::defaults();
    int column = 0;
    for (const LimitKey& entry : kLimitKeys) {
        std::string item = std::string(" ") + entry.key + " = " + std::to_string(limits.*entry.member);
        if (column + item.size() > 70) {
            help += "\n               ";
            column = 0;
        }
        help += item;
        column += static_cast<int>(item.size());
    }
    help += "\n";
    return help;
}

std::string formatConfig(const Config& config) {
    std::ostringstream out;
    auto address = [](const Endpoint& e) { return e.host + ":" + std::to_string(e.port); };
    if (config.backend == StorageBackend::Postgresql)
        out << "[storage]\nbackend = postgresql\nconnection = " << config.connection
            << "\nheartbeat_seconds = " << config.heartbeatSeconds << "\n";
    else
        out << "[storage]\ndatabase = " << config.databasePath << "\n";
    if (!config.urgentFile.empty()) out << "urgent_file = " << config.urgentFile << "\n";
    if (!config.controlSocket.empty()) out << "control_socket = " << config.controlSocket << "\n";
    out << "\n[password]\nopslimit = " << config.passwordCost.opsLimit
        << "\nmemlimit = " << config.passwordCost.memLimit << "\n";
    if (const auto& r = config.router) {
        out << "\n[router]\nname = " << r->name << "\nlisten = " << address(r->listen)
            << "\npublic_host = " << r->publicHost << "\n";
        for (const RouterEntry& other : r->otherRouters)
            out << "router = " << other.name << " " << other.host << ":" << other.port << "\n";
        for (const RemoteArena& arena : r->remoteArenas)
            out << "remote_arena = " << arena.name << " " << address(arena.address) << "\n";
        for (const std::string& line : r->news) out << "news = " << line << "\n";
        const ClientVersionConfig& v = r->clientVersion;
        out << "client_version = " << v.version << "\nclient_version_mandatory = "
            << (v.mandatory ? "yes" : "no") << "\n";
        if (!v.ftpHost.empty()) out << "client_version_ftp = " << v.ftpHost << "\n";
        if (!v.path.empty()) out << "client_version_path = " << v.path << "\n";
        if (v.size) out << "client_version_size = " << v.size << "\n";
        if (const auto& ad = r->advertisement) {
            out << "advertisement_ftp = " << ad->ftpHost << " " << ad->ftpUser << " " << ad->ftpPassword << "\n";
            for (const Advertisement& item : ad->items)
                out << "advertisement = " << item.displayMilliseconds << " " << item.directory << " "
                    << item.file << " " << item.link << "\n";
        }
    }
    for (const ArenaConfig& a : config.arenas) {
        out << "\n[arena]\nname = " << a.name << "\nlisten = " << address(a.listen)
            << "\npublic_host = " << a.publicHost << "\nmax_ping = " << a.maxPing
            << "\nplayer_limit = " << a.playerLimit << "\n";
        if (a.gameServer) out << "game_server = " << address(*a.gameServer) << "\n";
    }
    if (const auto& g = config.gameServer) {
        out << "\n[gameserver]\nlisten = " << address(g->listen) << "\npublic_host = " << g->publicHost
            << "\n";
    }
    out << "\n[limits]\n";
    for (const LimitKey& entry : kLimitKeys) out << entry.key << " = " << config.limits.*entry.member << "\n";
    return out.str();
}

}  // namespace tessary::server
