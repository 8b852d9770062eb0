// Starts a whole tessaryd service in the test process on ephemeral loopback
// ports with a temporary database, and offers the usual client steps.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "server/service.h"
#include "test_client.h"
#include "test_support.h"

namespace tessary::server {

inline Config testConfig(const std::string& directory) {
    Config config = Config::embeddedDefault();
    config.databasePath = directory + "/tessaryd.sqlite";
    config.passwordCost = PasswordCost::minimal();
    config.router->listen.port = 0;
    for (ArenaConfig& arena : config.arenas) arena.listen.port = 0;
    config.gameServer->listen.port = 0;
    config.limits.requestsPerSecond = 10000;
    config.limits.requestBurst = 10000;
    return config;
}

inline Body accountForm(const std::string& name, const std::string& password, int32_t photoNumber = 2) {
    Body b;
    b.text(name).text(password).text("First").text("Last").text("France").text("mail@example.org");
    b.text("Likes games.").i8(0).i32(1).i32(photoNumber);
    return b;
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override { startService(testConfig(dir.path())); }
    void TearDown() override {
        if (service) service->stop();
    }

    void startService(Config config) {
        if (service) service->stop();
        service = std::make_unique<Service>(std::move(config));
        service->start();
    }

    std::unique_ptr<TestClient> routerClient() { return std::make_unique<TestClient>(service->routerPort()); }

    // Creates the account on a fresh connection, which is then logged in;
    // the lists that follow the answer are left unread.
    std::unique_ptr<TestClient> createAccount(const std::string& name, const std::string& password = "pw") {
        auto client = routerClient();
        client->send(request(protocol::NEWUSERREQUEST, accountForm(name, password)));
        auto answer = client->waitAnswer(protocol::NEWUSERREQUEST);
        EXPECT_TRUE(answer && answer->type == protocol::TSSUCCESS) << (answer ? failText(*answer) : "no answer");
        return client;
    }

    std::optional<ServiceMessage> login(TestClient& client, const std::string& name, const std::string& password,
                                        int32_t reason = 1, const std::string& version = "1.0") {
        client.send(request(protocol::LOGIN, Body().text(name).text(password).text(version).i32(reason)));
        return client.waitAnswer(protocol::LOGIN);
    }

    // Logs in at the Router, asks for the arena and logs into it; returns
    // the arena connection with PLAYERLIST and SESSIONLIST read.
    std::unique_ptr<TestClient> enterArena(const std::string& name, size_t arena = 0) {
        auto router = routerClient();
        auto answer = login(*router, name, "pw");
        if (!answer || answer->type != protocol::TSSUCCESS) {
            router = createAccount(name);
        }
        router->send(request(protocol::CONNECTIONREQUEST, Body().text(service->config().arenas[arena].name)));
        auto joined = router->waitAnswer(protocol::CONNECTIONREQUEST);
        EXPECT_TRUE(joined && joined->type == protocol::TSSUCCESS);
        auto client = std::make_unique<TestClient>(service->arenaPort(arena));
        client->send(request(protocol::LOGINARENA, Body().text(name), protocol::kModuleArena));
        auto entered = client->waitAnswer(protocol::LOGINARENA);
        EXPECT_TRUE(entered && entered->type == protocol::TSSUCCESS) << (entered ? failText(*entered) : "no answer");
        EXPECT_TRUE(client->waitFor(protocol::PLAYERLIST));
        EXPECT_TRUE(client->waitFor(protocol::SESSIONLIST));
        return client;
    }

    TempDir dir;
    std::unique_ptr<Service> service;
};

}  // namespace tessary::server
