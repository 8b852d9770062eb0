#include "control.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>
#include <variant>

#include "log.h"
#include "moderation.h"
#include "sqlite_db.h"
#include "text_util.h"

namespace tessary::server {

namespace {

constexpr size_t kMaxCommandBytes = 4096;
constexpr int kClientTimeoutMs = 2000;
constexpr const char* kRole = "control";

[[noreturn]] void fail(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

sockaddr_un socketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        fail("control socket path " + path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// Reads up to the first newline or the end, waiting at most the client
// time-out for each piece.
std::string readLine(int fd) {
    std::string line;
    char buffer[512];
    while (line.size() < kMaxCommandBytes && line.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kClientTimeoutMs) <= 0) break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, size_t(n));
    }
    return line.substr(0, std::min(line.find('\n'), kMaxCommandBytes));
}

void writeAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, kClientTimeoutMs) <= 0) return;
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += size_t(n);
    }
}

}  // namespace

ControlServer::ControlServer(std::string path, std::unique_ptr<Storage> storage, EventBus& bus)
    : path_(std::move(path)), storage_(std::move(storage)), bus_(bus) {}

ControlServer::~ControlServer() { stop(); }

void ControlServer::start() {
    const sockaddr_un address = socketAddress(path_);
    struct stat existing{};
    if (lstat(path_.c_str(), &existing) == 0 && S_ISSOCK(existing.st_mode)) unlink(path_.c_str());
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) fail("control socket");
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(listener_);
        listener_ = -1;
        errno = error;
        fail("bind " + path_);
    }
    // The user check on accept covers the moment before chmod.
    if (chmod(path_.c_str(), 0600) != 0 || listen(listener_, 8) != 0 || pipe2(wake_, O_CLOEXEC) != 0) {
        const int error = errno;
        stop();
        errno = error;
        fail("control socket " + path_);
    }
    thread_ = std::thread([this] { run(); });
}

void ControlServer::stop() {
    if (thread_.joinable()) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int* fd : {&listener_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    unlink(path_.c_str());
}

void ControlServer::run() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            logLine(kRole, std::string("poll failed: ") + std::strerror(errno));
            return;
        }
        if (fds[1].revents) return;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        serve(client);
        close(client);
    }
}

void ControlServer::serve(int client) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || (peer.uid != geteuid() && peer.uid != 0)) {
        logLine(kRole, "refused a command from user " + std::to_string(peer.uid));
        writeAll(client, "error\nnot allowed\n");
        return;
    }
    const std::string line = readLine(client);
    std::string answer;
    try {
        answer = execute(line);
    } catch (const StorageError& error) {
        answer = std::string("error\nstorage: ") + error.what() + "\n";
    }
    logLine(kRole, "operator: " + sanitiseText(line, 200) + " -> " +
                       sanitiseText(answer.substr(0, answer.find('\n')), 16));
    writeAll(client, answer);
}

std::string ControlServer::execute(const std::string& line) {
    const std::string_view command = trim(line);
    auto answer = [](bool ok, const std::vector<std::string>& lines) {
        std::string text = ok ? "ok\n" : "error\n";
        for (const std::string& l : lines) text += l + "\n";
        return text;
    };
    if (command == "adios" || command.substr(0, 7) == "urgent ") {
        const std::string text = command == "adios" ? "ADIOS" : sanitiseText(command.substr(7), 1024);
        if (text.empty()) return answer(false, {"urgent needs a text"});
        bus_.publish(UrgentEvent{text});
        return answer(true, {"urgent message sent"});
    }
    auto parsed = parseModerationCommand(command);
    if (const auto* problem = std::get_if<std::string>(&parsed)) return answer(false, {*problem});
    const ModerationResult result = moderate(*storage_, bus_, Actor{"operator", Role::Administrator, true, false},
                                             std::get<ModerationCommand>(parsed), int64_t(std::time(nullptr)));
    return answer(result.ok, result.lines);
}

std::string sendControlCommand(const std::string& path, const std::string& line) {
    const sockaddr_un address = socketAddress(path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) fail("socket");
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        fail("connect " + path);
    }
    writeAll(fd, line + "\n");
    shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10 * kClientTimeoutMs) <= 0) break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        answer.append(buffer, size_t(n));
    }
    close(fd);
    return answer;
}

}  // namespace tessary::server
