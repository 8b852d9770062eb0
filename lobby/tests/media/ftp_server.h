// pyftpdlib serving a folder on a free loopback port, for as long as the
// object lives.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace tessary::lobby::testing {

class FtpServer {
public:
    explicit FtpServer(const std::filesystem::path& root);
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    [[nodiscard]] std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    pid_t pid_ = -1;
    int stdinPipe_ = -1;
    int port_ = 0;
};

// A loopback address where nothing listens.
[[nodiscard]] std::string refusingHost();

}  // namespace tessary::lobby::testing
