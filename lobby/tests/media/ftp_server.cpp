#include "ftp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace tessary::lobby::testing {

FtpServer::FtpServer(const std::filesystem::path& root) {
    const char* script = std::getenv("TESSARY_FTP_SERVE");
    if (script == nullptr) throw std::runtime_error("TESSARY_FTP_SERVE is not set");
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string rootText = root.string();
    const char* argv[] = {"/usr/bin/python3", script, "--root", rootText.c_str(), "--until-stdin-closes", nullptr};
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdinPipe_ = in[1];
    if (failed != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start the FTP server");
    }
    // Its first line is the port; a server that does not start fails the test.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char c[64];
        const ssize_t n = read(out[0], c, sizeof c);
        if (n <= 0) break;
        line.append(c, static_cast<size_t>(n));
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        this->~FtpServer();
        throw std::runtime_error("the FTP server did not report its port");
    }
}

FtpServer::~FtpServer() {
    if (stdinPipe_ >= 0) close(stdinPipe_);
    stdinPipe_ = -1;
    if (pid_ <= 0) return;
    // Closing its input ends it; it is killed when it does not go in time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        usleep(20000);
    }
    pid_ = -1;
}

std::string refusingHost() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
}

}  // namespace tessary::lobby::testing
