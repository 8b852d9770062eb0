// Drives a handoff_peer process from a test: one command line out, one
// answer line back (with a time-out, so a stuck peer fails the test instead
// of hanging it).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace tessary::testing {

class PeerProcess {
public:
    explicit PeerProcess(const std::string& program) {
        ::signal(SIGPIPE, SIG_IGN);  // a peer that died must fail the test, not kill it
        int toPeer[2];
        int fromPeer[2];
        if (::pipe2(toPeer, O_CLOEXEC) != 0 || ::pipe2(fromPeer, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toPeer[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromPeer[1], 1);
        char* argv[] = {const_cast<char*>("handoff_peer"), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(toPeer[0]);
        ::close(fromPeer[1]);
        in_ = toPeer[1];
        out_ = fromPeer[0];
    }
    ~PeerProcess() {
        if (in_ >= 0) ::close(in_);  // end of input: the peer closes its view and exits
        if (out_ >= 0) ::close(out_);
        reap(std::chrono::seconds(5));
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    pid_t pid() const { return pid_; }

    void send(const std::string& command) {
        const std::string line = command + "\n";
        if (::write(in_, line.data(), line.size()) != ssize_t(line.size())) failed_ = true;
    }

    // The next answer line; "<no answer>" after `wait` without one.
    std::string receive(std::chrono::milliseconds wait = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd fd{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&fd, 1, int(left.count())) <= 0) return "<no answer>";
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return "<no answer>";
            buffer_.append(chunk, size_t(n));
        }
    }

    std::string ask(const std::string& command) {
        send(command);
        return receive();
    }

    // Waits for the peer to exit; true when it did within `wait`.
    bool reap(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (pid_ > 0) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = 0;
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) return false;
            ::usleep(5000);
        }
        return true;
    }

private:
    pid_t pid_ = 0;
    int in_ = -1;
    int out_ = -1;
    bool failed_ = false;
    std::string buffer_;
};

}  // namespace tessary::testing
