// tessaryd: hosts the roles its configuration names. With no argument it
// serves the embedded default (everything on 127.0.0.1, see defaults.h).
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>

#include "control.h"
#include "log.h"
#include "platform/diag.h"
#include "server/config.h"
#include "server/service.h"
#include "moderation.h"
#include "server/storage.h"
#include "text_util.h"

using namespace tessary::server;

namespace {

void printHelp() {
    std::printf(
        "Usage: tessaryd [--config FILE] [--database PATH] [--print-config]\n"
        "       tessaryd ctl [--config FILE] [--database PATH] [--socket PATH] COMMAND...\n"
        "Hosts the Tessary Router, Arenas and game server named by the configuration.\n"
        "With no argument every role runs on 127.0.0.1 (Router 7000, arenas 7001 and 7002,\n"
        "game server 7010 and UDP 7011) with the database in the user's data directory.\n\n"
        "  --config FILE    read the configuration from FILE instead of the embedded default\n"
        "  --database PATH  use this SQLite file (overrides the configuration)\n"
        "  --print-config   print the configuration in effect as a file and exit\n"
        "  --help           show this text\n\n"
        "Operator commands, one per line on standard input:\n"
        "  urgent TEXT      send TEXT as an urgent message to every lobby on the Router and the arenas\n"
        "  adios            the same with ADIOS, which makes the lobbies quit (before maintenance)\n"
        "  quit             stop the service\n"
        "Signals: SIGTERM or SIGINT stop the service; SIGUSR1 sends every non-empty line of the\n"
        "urgent file ([storage] urgent_file, default beside the database: urgent.txt) as an\n"
        "urgent message.\n\n"
        "Moderation. Accounts have a role: player, moderator or administrator. The operator\n"
        "runs `tessaryd ctl COMMAND` as the service's user or root; it talks to the running\n"
        "service over its control socket ([storage] control_socket, default tessaryd.sock\n"
        "beside the database, mode 0600). Commands:\n"
        "  kick NAME [REASON]                  close the player's arena link, telling why\n"
        "  mute NAME DURATION [REASON]         drop the player's chat and pages (number: minutes)\n"
        "  unmute NAME\n"
        "  ban NAME DURATION [REASON]          refuse the account's logins (number: days)\n"
        "  ban-address ADDRESS DURATION [REASON]   the same for every login from an address\n"
        "  unban NAME, unban-address ADDRESS   lift a ban\n"
        "  list                                bans and mutes in force\n"
        "  audit [N]                           the last N (20) entries of the audit trail\n"
        "  role NAME player|moderator|administrator\n"
        "  urgent TEXT, adios                  as on standard input\n"
        "DURATION: a number, or with s, m, h, d (30s, 10m, 2h, 7d), or forever. A name with\n"
        "blanks goes in double quotes. Every action and every refusal it causes is written to\n"
        "the audit trail (who, what, whom, why, when). Moderators and administrators give\n"
        "/KICK name [reason], /MUTE name minutes [reason], /BAN name days [reason] and\n"
        "/UNBAN name in the lobby as private chat to %s (a name no account can take);\n"
        "anyone else is answered \"not allowed\" and nothing happens. A newcomer to an\n"
        "arena is shown its last [limits] recent_chat_lines chat lines (0: none).\n\n%s",
        kServiceName, configFileHelp().c_str());
}

// Reads operator commands until standard input ends; a closed or redirected
// input simply leaves the service running.
void readOperatorCommands(Service& service) {
    std::string line;
    while (std::getline(std::cin, line)) {
        const std::string_view command = trim(line);
        if (command.empty()) continue;
        if (command == "quit" || command == "stop") {
            kill(getpid(), SIGTERM);
            return;
        }
        if (command == "adios") {
            service.broadcastUrgent("ADIOS");
        } else if (command.substr(0, 7) == "urgent ") {
            service.broadcastUrgent(std::string(trim(command.substr(7))));
        } else {
            std::fprintf(stderr, "tessaryd: commands are: urgent TEXT, adios, quit\n");
            continue;
        }
        std::fprintf(stderr, "tessaryd: urgent message sent\n");
    }
}

void broadcastUrgentFile(Service& service, const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "tessaryd: SIGUSR1 but no urgent file %s\n", path.c_str());
        return;
    }
    std::string line;
    while (std::getline(file, line))
        if (!trim(line).empty()) service.broadcastUrgent(std::string(trim(line)));
}

// Every connection costs a descriptor: take all the kernel allows this
// process and say how many clients that leaves room for.
void raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    constexpr rlim_t kReserved = 64;  // listeners, databases, standard streams
    const rlim_t capacity = limit.rlim_cur > kReserved ? limit.rlim_cur - kReserved : 0;
    std::fprintf(stderr, "tessaryd: open-file limit %llu (hard %llu): room for about %llu connections\n",
                 static_cast<unsigned long long>(limit.rlim_cur), static_cast<unsigned long long>(limit.rlim_max),
                 static_cast<unsigned long long>(capacity));
}

std::string defaultControlSocket(const Config& config) {
    return (std::filesystem::path(config.databasePath).parent_path() / "tessaryd.sock").string();
}

// tessaryd ctl [--config FILE] [--database PATH] [--socket PATH] COMMAND...
int runControl(int argc, char** argv, const Config& config, std::string socket) {
    if (socket.empty()) socket = config.controlSocket.empty() ? defaultControlSocket(config) : config.controlSocket;
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string word = argv[i];
        if (!line.empty()) line += ' ';
        // A name with blanks stays one word for the service's parser.
        line += word.find_first_of(" \t") != std::string::npos && i == 1 ? "\"" + word + "\"" : word;
    }
    if (line.empty()) {
        std::fprintf(stderr, "tessaryd ctl: no command (see tessaryd --help)\n");
        return 2;
    }
    std::string answer;
    try {
        answer = sendControlCommand(socket, line);
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "tessaryd ctl: %s\n", error.what());
        return 1;
    }
    const size_t firstEnd = answer.find('\n');
    const bool ok = answer.substr(0, firstEnd) == "ok";
    const std::string rest = firstEnd == std::string::npos ? "" : answer.substr(firstEnd + 1);
    std::fputs(rest.c_str(), ok ? stdout : stderr);
    if (answer.empty()) std::fputs("tessaryd ctl: no answer from the service\n", stderr);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Config config = Config::embeddedDefault();
    std::string databaseOverride;
    bool printOnly = false;
    const bool control = argc > 1 && std::string(argv[1]) == "ctl";
    std::string controlSocket;
    for (int i = control ? 2 : 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (control && arg == "--socket" && i + 1 < argc) {
            controlSocket = argv[++i];
            continue;
        }
        if (control && arg.substr(0, 2) != "--") {
            if (!databaseOverride.empty()) config.databasePath = databaseOverride;
            return runControl(argc - i, argv + i, config, controlSocket);
        }
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--print-config") {
            printOnly = true;
        } else if ((arg == "--config" || arg == "--database") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--database") {
                databaseOverride = value;
                continue;
            }
            std::ifstream file(value);
            if (!file) {
                std::fprintf(stderr, "tessaryd: cannot read %s: %s\n", value.c_str(), std::strerror(errno));
                return 2;
            }
            std::stringstream text;
            text << file.rdbuf();
            auto parsed = parseConfig(text.str());
            if (const auto* error = std::get_if<ConfigError>(&parsed)) {
                std::fprintf(stderr, "tessaryd: %s:%d: %s\n", value.c_str(), error->line, error->message.c_str());
                return 2;
            }
            config = std::get<Config>(parsed);
        } else {
            std::fprintf(stderr, "tessaryd: unknown argument %s (see --help)\n", arg.c_str());
            return 2;
        }
    }
    if (!databaseOverride.empty()) {
        config.databasePath = databaseOverride;
        config.backend = StorageBackend::Sqlite;
    }
    if (printOnly) {
        std::fputs(formatConfig(config).c_str(), stdout);
        return 0;
    }
    if (control) {
        std::fprintf(stderr, "tessaryd ctl: no command (see tessaryd --help)\n");
        return 2;
    }
    if (config.urgentFile.empty())
        config.urgentFile = (std::filesystem::path(config.databasePath).parent_path() / "urgent.txt").string();
    if (config.controlSocket.empty()) config.controlSocket = defaultControlSocket(config);

    // The codec's own diagnostics would go to standard output; the service
    // logs its refusals itself.
    tessary::platform::setDiagSink([](std::string_view) {});

    // Signals are taken by this thread only (the role threads inherit the mask).
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGUSR1}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    raiseOpenFileLimit();
    setLogSink({}, config.limits.logLinesPerAddress);
    Service service(config);
    try {
        service.start();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessaryd: cannot start: %s\n", error.what());
        return 1;
    }
    if (config.backend == StorageBackend::Postgresql)
        std::fprintf(stderr, "tessaryd: serving, PostgreSQL database (schema %d)\n", postgresSchemaVersion());
    else
        std::fprintf(stderr, "tessaryd: serving, database %s (schema %d)\n", config.databasePath.c_str(),
                     sqliteSchemaVersion());
    std::thread(readOperatorCommands, std::ref(service)).detach();
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) continue;
        if (signal == SIGUSR1) {
            broadcastUrgentFile(service, config.urgentFile);
            continue;
        }
        break;
    }
    std::fprintf(stderr, "tessaryd: stopping\n");
    service.stop();
    return 0;
}
