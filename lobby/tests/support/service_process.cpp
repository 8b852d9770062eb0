#include "service_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace tessary::lobby::testing {
namespace {

using namespace std::chrono_literals;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

}  // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool loopbackPortListens(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_in address = loopback(port);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

ServiceProcess::ServiceProcess(std::filesystem::path program, std::filesystem::path folder)
    : program_(std::move(program)), folder_(std::move(folder)) {}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0 && !stop()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0) ::close(input_);
}

bool ServiceProcess::start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (startOnce()) return true;
    }
    return false;
}

void ServiceProcess::writeConfiguration(int arenaPort, int gamePort) const {
    std::ofstream(folder_ / "tessaryd.conf")
        << "[storage]\ndatabase = " << (folder_ / "tessaryd.sqlite").string() << "\n"
        << "[password]\nopslimit = 1\nmemlimit = 8192\n"
        << "[router]\nname = Test Router\nlisten = 127.0.0.1:" << routerPort_ << "\n"
        << "public_host = 127.0.0.1\nnews = Welcome to the test service\n"
        << "[arena]\nname = Arena 1\nlisten = 127.0.0.1:" << arenaPort << "\npublic_host = 127.0.0.1\n"
        // A second arena to change to; the service binds it to any free port.
        << "[arena]\nname = Arena 2\nlisten = 127.0.0.1:0\npublic_host = 127.0.0.1\n"
        << "[gameserver]\nlisten = 127.0.0.1:" << gamePort << "\npublic_host = 127.0.0.1\n"
        // A closed game's seat is given up at once, so that a table ends
        // within a test.
        << "[limits]\nseat_keep_seconds = 1\n";
}

bool ServiceProcess::startOnce() {
    routerPort_ = freeLoopbackPort();
    const int arenaPort = freeLoopbackPort();
    // The game server also takes the next port for its datagrams; a clash
    // ends the service at once and the caller tries other ports.
    const int gamePort = freeLoopbackPort();
    if (routerPort_ == 0 || arenaPort == 0 || gamePort == 0 || routerPort_ == arenaPort || gamePort == arenaPort ||
        gamePort == routerPort_)
        return false;
    writeConfiguration(arenaPort, gamePort);

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    const std::string logFile = (folder_ / "tessaryd.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const std::string program = program_.string();
    const std::string config = (folder_ / "tessaryd.conf").string();
    const char* arguments[] = {program.c_str(), "--config", config.c_str(), nullptr};
    const int spawned = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr,
                                      const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[0]);
    if (spawned != 0) {
        ::close(pipeEnds[1]);
        pid_ = -1;
        return false;
    }
    input_ = pipeEnds[1];

    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (loopbackPortListens(routerPort_)) return true;
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;  // a port was taken in between: the caller tries others
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    stop();
    return false;
}

bool ServiceProcess::stop() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
    if (pid_ <= 0) return true;
    ::kill(pid_, SIGTERM);
    const bool ended = waitForExit(pid_, 10s);
    if (ended) pid_ = -1;
    return ended;
}

bool ServiceProcess::sendCommand(std::string_view line) {
    if (input_ < 0) return false;
    const std::string text = std::string(line) + "\n";
    return ::write(input_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::string ServiceProcess::log() const {
    std::ifstream file(folder_ / "tessaryd.log");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace tessary::lobby::testing
