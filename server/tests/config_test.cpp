#include "server/config.h"

#include <gtest/gtest.h>

#include "server/defaults.h"

namespace tessary::server {
namespace {

TEST(Config, EmbeddedDefaultHostsEveryRoleOnLoopback) {
    const Config c = Config::embeddedDefault();
    ASSERT_TRUE(c.router);
    EXPECT_EQ(c.router->listen.host, "127.0.0.1");
    EXPECT_EQ(c.router->listen.port, defaults::kRouterPort);
    ASSERT_EQ(c.arenas.size(), 2u);
    EXPECT_EQ(c.arenas[0].name, "Arena 1");
    EXPECT_EQ(c.arenas[1].listen.port, 7002);
    ASSERT_TRUE(c.gameServer);
    EXPECT_EQ(c.gameServer->listen.port, 7010);
    EXPECT_NE(c.databasePath.find("tessary/tessaryd.sqlite"), std::string::npos);
}

TEST(Config, FormattedDefaultParsesBackToTheSameValues) {
    Config original = Config::embeddedDefault();
    original.router->otherRouters.push_back({"Far Router", "10.0.0.7", 7100});
    original.router->advertisement = AdvertisementConfig{"ftp.example", "ads", "secret", {{5000, "/pub", "a.jpg", "http://x"}}};
    original.limits.sessionsPerArena = 7;
    original.router->remoteArenas.push_back({"Far Arena", {"192.0.2.2", 7001}});
    original.arenas[0].gameServer = Endpoint{"192.0.2.3", 7010};
    auto parsed = parseConfig(formatConfig(original));
    ASSERT_TRUE(std::holds_alternative<Config>(parsed)) << std::get<ConfigError>(parsed).message;
    const Config& c = std::get<Config>(parsed);
    EXPECT_EQ(formatConfig(c), formatConfig(original));
    EXPECT_EQ(c.router->news, original.router->news);
    EXPECT_EQ(c.router->otherRouters[0].name, "Far Router");
    EXPECT_EQ(c.router->remoteArenas[0].name, "Far Arena");
    EXPECT_EQ(c.arenas[0].gameServer->port, 7010);
    EXPECT_EQ(c.router->advertisement->items[0].link, "http://x");
    EXPECT_EQ(c.limits.sessionsPerArena, 7);
}

TEST(Config, PostgresqlBackendKeepsItsConnectionThroughAFormat) {
    auto parsed = parseConfig("[storage]\nbackend = postgresql\nconnection = host=192.0.2.1 dbname=tessary\n[router]\n");
    ASSERT_TRUE(std::holds_alternative<Config>(parsed)) << std::get<ConfigError>(parsed).message;
    const Config& c = std::get<Config>(parsed);
    EXPECT_EQ(c.backend, StorageBackend::Postgresql);
    EXPECT_EQ(c.connection, "host=192.0.2.1 dbname=tessary");
    auto again = parseConfig(formatConfig(c));
    ASSERT_TRUE(std::holds_alternative<Config>(again));
    EXPECT_EQ(std::get<Config>(again).connection, c.connection);
    EXPECT_EQ(Config::embeddedDefault().backend, StorageBackend::Sqlite);
}

TEST(Config, RolesComeOnlyFromTheirSections) {
    auto parsed = parseConfig("[gameserver]\nlisten = 127.0.0.1:0\n");
    ASSERT_TRUE(std::holds_alternative<Config>(parsed));
    const Config& c = std::get<Config>(parsed);
    EXPECT_FALSE(c.router);
    EXPECT_TRUE(c.arenas.empty());
    EXPECT_EQ(c.gameServer->listen.port, 0);
}

TEST(Config, TwoArenaSectionsGiveTwoArenas) {
    auto parsed = parseConfig("[arena]\nname = North\n max_ping = 300\n[arena]\nname = South\n");
    ASSERT_TRUE(std::holds_alternative<Config>(parsed));
    const Config& c = std::get<Config>(parsed);
    ASSERT_EQ(c.arenas.size(), 2u);
    EXPECT_EQ(c.arenas[0].maxPing, 300);
    EXPECT_EQ(c.arenas[1].name, "South");
    EXPECT_EQ(c.arenas[1].maxPing, -1);
}

TEST(Config, ErrorsNameTheirLine) {
    struct Case {
        const char* text;
        int line;
        const char* fragment;
    } cases[] = {
        {"", 0, "no role"},
        {"# only a comment\n", 0, "no role"},
        {"[router]\nlisten = nohost\n", 2, "host:port"},
        {"[router]\nlisten = 127.0.0.1:70000\n", 2, "outside"},
        {"[router]\nbogus = 1\n", 2, "unknown key"},
        {"[routers]\n", 1, "unknown section"},
        {"name = x\n", 1, "outside a section"},
        {"[router]\nname\n", 2, "key = value"},
        {"[limits]\nrequests_per_second = 0\n[router]\n", 2, "outside"},
        {"[limits]\nmax_text = many\n", 2, "not a number"},
        {"[arena]\nlisten = 127.0.0.1:0\n", 0, "needs a name"},
        {"[router]\n[router]\n", 2, "only one"},
        {"[router]\nadvertisement = 10 dir file\n", 2, "milliseconds"},
        {"[router]\nclient_version_mandatory = maybe\n", 2, "yes or no"},
        {"[password]\nopslimit = 0\n[router]\n", 2, "outside"},
        {"[storage]\nbackend = oracle\n", 2, "sqlite or postgresql"},
        {"[router]\nremote_arena = North 192.0.2.2:0\n", 2, "needs a port"},
        {"[storage]\nbackend = postgresql\n[router]\n", 0, "connection string"},
    };
    for (const Case& c : cases) {
        auto parsed = parseConfig(c.text);
        ASSERT_TRUE(std::holds_alternative<ConfigError>(parsed)) << c.text;
        const ConfigError& error = std::get<ConfigError>(parsed);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.message.find(c.fragment), std::string::npos) << c.text << " -> " << error.message;
    }
}

TEST(Config, HelpListsEveryLimit) {
    const std::string help = configFileHelp();
    for (const char* key : {"connections_per_address", "requests_per_second", "max_text", "sessions_per_arena",
                            "idle_timeout_seconds", "max_frame_bytes"})
        EXPECT_NE(help.find(key), std::string::npos) << key;
}

}  // namespace
}  // namespace tessary::server
