// The reference service tessaryd as a child of a test: a Router and one Arena
// on free loopback ports, a fresh database in a temporary folder and the
// cheapest password hashing. Operator commands go to its standard input.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace tessary::lobby::testing {

class ServiceProcess {
public:
    // `program`: the tessaryd file; `folder`: where the configuration, the
    // database and the log are kept (must exist).
    ServiceProcess(std::filesystem::path program, std::filesystem::path folder);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the service and waits (at most 10 s) until its Router accepts
    // connections. A port taken in between by someone else is retried.
    [[nodiscard]] bool start();
    // SIGTERM, then waits at most 10 s; true when it ended by itself.
    bool stop();

    int routerPort() const { return routerPort_; }
    // One line on the service's standard input ("adios", "urgent TEXT").
    bool sendCommand(std::string_view line);
    // What the service wrote so far (standard output and error).
    std::string log() const;

private:
    bool startOnce();
    void writeConfiguration(int arenaPort, int gamePort) const;

    std::filesystem::path program_;
    std::filesystem::path folder_;
    pid_t pid_{-1};
    int input_{-1};
    int routerPort_{0};
};

// A port on 127.0.0.1 that nobody listened on a moment ago.
[[nodiscard]] int freeLoopbackPort();
// True when something accepts a connection on 127.0.0.1:port.
[[nodiscard]] bool loopbackPortListens(int port);

}  // namespace tessary::lobby::testing
