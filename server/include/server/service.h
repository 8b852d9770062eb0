// Runs the roles a configuration names, each on its own thread with its own
// storage connection; the roles meet only through storage and events.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "server/config.h"
#include "server/events.h"

namespace tessary::server {

class Service {
public:
    explicit Service(Config config);
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Opens the database, binds every listener and starts the role threads.
    // Throws (std::system_error, StorageError) when one cannot start.
    void start();
    // Closes every connection and joins the threads. Idempotent.
    void stop();

    // Sends URGENTMESSAGE with `text` to every client of the Router and the
    // Arenas ("ADIOS" makes the lobbies quit).
    void broadcastUrgent(const std::string& text);

    // The ports really bound (useful with port 0 in the configuration).
    uint16_t routerPort() const;
    uint16_t arenaPort(size_t index) const;
    uint16_t gameServerPort() const;
    // Player messages the game server has relayed by datagram (0 without one).
    uint64_t gameDatagramRelays() const;

    const Config& config() const;
    EventBus& events();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessary::server
