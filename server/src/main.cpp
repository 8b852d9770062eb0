// tessaryd: hosts the roles its configuration names. With no argument it
// serves the embedded default (everything on 127.0.0.1, see defaults.h).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "server/config.h"
#include "server/storage.h"

using namespace tessary::server;

namespace {

void printHelp() {
    std::printf(
        "Usage: tessaryd [--config FILE] [--database PATH] [--print-config]\n"
        "Hosts the Tessary Router, Arenas and game server named by the configuration.\n"
        "With no argument every role runs on 127.0.0.1 (Router 7000, arenas 7001 and 7002,\n"
        "game server 7010 and UDP 7011) with the database in the user's data directory.\n\n"
        "  --config FILE    read the configuration from FILE instead of the embedded default\n"
        "  --database PATH  use this SQLite file (overrides the configuration)\n"
        "  --print-config   print the configuration in effect as a file and exit\n"
        "  --help           show this text\n\n%s",
        configFileHelp().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Config config = Config::embeddedDefault();
    std::string databaseOverride;
    bool printOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
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
    if (!databaseOverride.empty()) config.databasePath = databaseOverride;
    if (printOnly) {
        std::fputs(formatConfig(config).c_str(), stdout);
        return 0;
    }
    auto storage = openSqliteStorage(config.databasePath);
    std::fprintf(stderr, "tessaryd: database %s (schema %d)\n", config.databasePath.c_str(), sqliteSchemaVersion());
    return 0;
}
