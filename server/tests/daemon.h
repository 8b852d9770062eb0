// A tessaryd child process for the tests and the load program: started from
// the build's binary with a configuration text, on the ports it reads back
// from the roles' log lines (ephemeral ones on loopback, or fixed ones inside
// a network namespace).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tessary::server {

class Daemon {
public:
    // Writes `config` to dir/tessaryd.conf and starts `binary` with it,
    // behind `launcher` when given (such as "ip netns exec NAME"); the roles
    // listen on `host` (port 0 for an ephemeral one). Returns once every
    // configured role (the first arena of several) listens, at most 10 s later.
    Daemon(const std::string& binary, const std::filesystem::path& dir, const std::string& config,
           const std::vector<std::string>& launcher = {}, const std::string& host = "127.0.0.1") {
        const std::string conf = (dir / "tessaryd.conf").string();
        std::ofstream(conf) << config;
        const bool wantsRouter = config.find("[router]") != std::string::npos;
        const bool wantsArena = config.find("[arena]") != std::string::npos;
        const bool wantsGameServer = config.find("[gameserver]") != std::string::npos;
        auto ready = [&] {
            return (!wantsRouter || routerPort) && (!wantsArena || arenaPort) && (!wantsGameServer || gameServerPort);
        };
        log_ = (dir / "tessaryd.log").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        std::vector<char*> argv;
        for (const std::string& word : launcher) argv.push_back(const_cast<char*>(word.c_str()));
        for (const std::string* word : {&binary, &kConfigOption, &conf}) argv.push_back(const_cast<char*>(word->c_str()));
        argv.push_back(nullptr);
        const std::streamoff logStart = std::filesystem::exists(log_) ? std::streamoff(std::filesystem::file_size(log_)) : 0;
        const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) throw std::runtime_error("cannot start " + binary);
        // The roles log the ports they got (an earlier run's lines are skipped).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        const std::string listening = "listening on " + host + ":";
        while (std::chrono::steady_clock::now() < deadline && !ready()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::ifstream in(log_);
            in.seekg(logStart);
            std::string line;
            arenaPorts.clear();
            while (std::getline(in, line)) {
                const auto at = line.find(listening);
                if (at == std::string::npos) continue;
                const auto port = uint16_t(std::stoi(line.substr(at + listening.size())));
                if (line.find(" router ") != std::string::npos) routerPort = port;
                if (line.find(" arena ") != std::string::npos) {
                    arenaPorts.push_back(port);  // in the order of the configuration
                    arenaPort = arenaPorts.front();
                }
                if (line.find(" game server:") != std::string::npos) gameServerPort = port;
            }
        }
        if (!ready()) {
            end(SIGKILL);
            throw std::runtime_error("tessaryd did not start, see " + log_);
        }
    }
    ~Daemon() { end(SIGTERM); }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    // Ends the process with `signal` and collects it; harmless once ended.
    // Returns its wait status (0: it exited cleanly), -1 when already ended.
    int end(int signal) {
        if (pid_ <= 0) return -1;
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
        return status;
    }

    long rssKb() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        return 0;
    }

    // User and system CPU seconds the daemon has used so far.
    double cpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14) ticks += std::stod(field);
        return ticks / double(sysconf(_SC_CLK_TCK));
    }

    const std::string& log() const { return log_; }

    uint16_t routerPort = 0;
    uint16_t arenaPort = 0;
    std::vector<uint16_t> arenaPorts;
    uint16_t gameServerPort = 0;

private:
    inline static const std::string kConfigOption = "--config";
    std::string log_;
    pid_t pid_ = 0;
};

}  // namespace tessary::server
