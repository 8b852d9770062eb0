#include "server/service.h"

#include <asio.hpp>
#include <chrono>
#include <future>
#include <thread>

#include <unistd.h>

#include "log.h"
#include "arena.h"
#include "control.h"
#include "game_server.h"
#include "router.h"
#include "server/defaults.h"
#include "server/storage.h"
#include "tcp_listener.h"

namespace tessary::server {

namespace {

// One role: its event loop, thread, listener and handler.
struct RoleHost {
    std::string name;
    asio::io_context io{1};
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> guard;
    std::unique_ptr<LinkHandler> handler;
    std::unique_ptr<TcpListener> listener;
    std::function<void()> stopRole;
    std::thread thread;

    void run() {
        guard.emplace(io.get_executor());
        thread = std::thread([this] {
            for (;;) {
                try {
                    io.run();
                    return;
                } catch (const std::exception& error) {
                    // A role must not take the process down with it.
                    logLine(name, std::string("unexpected error: ") + error.what());
                }
            }
        });
    }

    void stop() {
        if (!thread.joinable()) return;
        std::promise<void> done;
        asio::post(io, [&] {
            if (listener) listener->stop();
            if (stopRole) stopRole();
            done.set_value();
        });
        done.get_future().wait();
        guard.reset();
        io.stop();
        thread.join();
    }
};

ConnectionLimits lobbyLimits(const Limits& limits) {
    return {size_t(limits.maxFrameBytes), limits.requestsPerSecond, limits.requestBurst,
            size_t(limits.maxPendingSendBytes), limits.frameDeadlineSeconds};
}

}  // namespace

struct Service::Impl {
    Config config;
    LocalEventBus localBus;
    std::unique_ptr<EventBus> sharedBus;  // between processes, with PostgreSQL
    EventBus& bus() { return sharedBus ? *sharedBus : localBus; }
    std::unique_ptr<AddressLimit> addresses;  // shared by every listener, so declared before them
    std::unique_ptr<RoleHost> router;
    std::vector<std::unique_ptr<RoleHost>> arenas;
    std::unique_ptr<RoleHost> gameServer;
    const GameServer* game = nullptr;
    std::unique_ptr<ControlServer> control;
    bool started = false;
};

Service::Service(Config config) : impl_(std::make_unique<Impl>()) { impl_->config = std::move(config); }

Service::~Service() { stop(); }

const Config& Service::config() const { return impl_->config; }
EventBus& Service::events() { return impl_->bus(); }

void Service::start() {
    Config& config = impl_->config;
    const Limits& limits = config.limits;
    // Names this process in the shared database: its heartbeat and the
    // presence it holds.
    const std::string process = asio::ip::host_name() + ":" + std::to_string(getpid()) + ":" +
                                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    auto storage = [&config, &process] {
        return config.backend == StorageBackend::Postgresql ? openPostgresStorage(config.connection, process)
                                                            : openSqliteStorage(config.databasePath);
    };
    if (config.backend == StorageBackend::Postgresql && !impl_->sharedBus) {
        storage();  // migrates the schema the bus needs
        impl_->sharedBus = openPostgresEventBus(config.connection, process, config.heartbeatSeconds);
    }
    impl_->addresses = std::make_unique<AddressLimit>(limits.connectionsPerAddress);

    std::string gameHost = config.gameServer ? config.gameServer->publicHost : "";
    uint16_t gamePort = config.gameServer ? config.gameServer->listen.port : 0;
    if (config.gameServer) {
        auto host = std::make_unique<RoleHost>();
        host->name = "game server";
        auto game = std::make_unique<GameServer>(host->io, GameServerSettings{limits}, storage(), impl_->bus(),
                                                 builtinGameLogics());
        const ConnectionLimits gameLimits{size_t(limits.maxGameFrameBytes), limits.gameRequestsPerSecond,
                                          limits.gameRequestBurst, size_t(limits.maxPendingSendBytes),
                                          limits.frameDeadlineSeconds};
        host->listener = std::make_unique<TcpListener>(host->io, host->name, *game, gameLimits,
                                                       *impl_->addresses, limits.idleTimeoutSeconds);
        host->listener->open(config.gameServer->listen);
        gamePort = host->listener->port();
        game->openDatagrams(resolveHost(host->io, config.gameServer->listen.host), uint16_t(gamePort + 1));
        GameServer* raw = game.get();
        raw->start();
        host->stopRole = [raw] { raw->stop(); };
        host->handler = std::move(game);
        impl_->game = raw;
        impl_->gameServer = std::move(host);
    }

    std::vector<ArenaDirectoryEntry> directory;
    for (const ArenaConfig& arenaConfig : config.arenas) {
        auto host = std::make_unique<RoleHost>();
        host->name = "arena " + arenaConfig.name;
        ArenaSettings settings{arenaConfig, gameHost, gamePort, limits};
        if (arenaConfig.gameServer) {
            settings.gameServerHost = arenaConfig.gameServer->host;
            settings.gameServerPort = arenaConfig.gameServer->port;
        }
        auto arena = std::make_unique<Arena>(host->io, settings, storage(), impl_->bus());
        host->listener = std::make_unique<TcpListener>(host->io, host->name, *arena, lobbyLimits(limits),
                                                       *impl_->addresses, limits.idleTimeoutSeconds);
        host->listener->open(arenaConfig.listen);
        Arena* raw = arena.get();
        raw->start();
        host->stopRole = [raw] { raw->stop(); };
        host->handler = std::move(arena);
        directory.push_back({arenaConfig.name, arenaConfig.publicHost, host->listener->port(), arenaConfig.maxPing,
                             arenaConfig.playerLimit});
        impl_->arenas.push_back(std::move(host));
    }

    if (config.router) {
        auto host = std::make_unique<RoleHost>();
        host->name = "router " + config.router->name;
        RouterSettings settings;
        settings.config = *config.router;
        settings.arenas = directory;
        for (const RemoteArena& remote : config.router->remoteArenas)
            settings.arenas.push_back({remote.name, remote.address.host, remote.address.port, -1,
                                       defaults::kPlayersPerArena});
        settings.limits = limits;
        settings.passwordCost = config.passwordCost;
        auto router = std::make_unique<Router>(host->io, settings, storage(), impl_->bus());
        host->listener = std::make_unique<TcpListener>(host->io, host->name, *router, lobbyLimits(limits),
                                                       *impl_->addresses, limits.idleTimeoutSeconds);
        host->listener->open(config.router->listen);
        Router* raw = router.get();
        raw->setPublicPort(host->listener->port());
        raw->start();
        host->stopRole = [raw] { raw->stop(); };
        host->handler = std::move(router);
        impl_->router = std::move(host);
    }
    if (!config.controlSocket.empty()) {
        impl_->control = std::make_unique<ControlServer>(config.controlSocket, storage(), impl_->bus());
        impl_->control->start();
    }
    if (impl_->gameServer) impl_->gameServer->run();
    for (auto& arena : impl_->arenas) arena->run();
    if (impl_->router) impl_->router->run();
    impl_->started = true;
}

void Service::stop() {
    if (!impl_ || !impl_->started) return;
    impl_->started = false;
    if (impl_->control) impl_->control->stop();
    if (impl_->router) impl_->router->stop();
    for (auto& arena : impl_->arenas) arena->stop();
    if (impl_->gameServer) impl_->gameServer->stop();
}

void Service::broadcastUrgent(const std::string& text) { impl_->bus().publish(UrgentEvent{text}); }

uint16_t Service::routerPort() const { return impl_->router ? impl_->router->listener->port() : 0; }
uint16_t Service::arenaPort(size_t index) const {
    return index < impl_->arenas.size() ? impl_->arenas[index]->listener->port() : 0;
}
uint16_t Service::gameServerPort() const {
    return impl_->gameServer ? impl_->gameServer->listener->port() : 0;
}
uint64_t Service::gameDatagramRelays() const { return impl_->game ? impl_->game->datagramRelays() : 0; }

}  // namespace tessary::server
