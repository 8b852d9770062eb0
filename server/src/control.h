// The operator's control socket: a Unix stream socket that only the
// service's user and root may use (mode 0600, and the peer's user checked
// again on accept). One command line per connection; the answer's first
// line is "ok" or "error", the lines after it say what happened.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "server/events.h"
#include "server/storage.h"

namespace tessary::server {

class ControlServer {
public:
    ControlServer(std::string path, std::unique_ptr<Storage> storage, EventBus& bus);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Binds the socket (a stale one left by a crash is replaced) and starts
    // the thread. Throws std::system_error.
    void start();
    // Idempotent; removes the socket file.
    void stop();

    // Runs one command line as the operator: the moderation commands and
    // "urgent TEXT", "adios". Returns the answer text.
    std::string execute(const std::string& line);

private:
    void run();
    void serve(int client);

    std::string path_;
    std::unique_ptr<Storage> storage_;
    EventBus& bus_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

// The client side of `tessaryd ctl`: sends one line, returns the answer.
// Throws std::system_error when the socket cannot be reached.
std::string sendControlCommand(const std::string& path, const std::string& line);

}  // namespace tessary::server
