// One FTP download to a local file, through libcurl (passive mode, binary),
// for the advertisement cache and the update. The file is written under a
// temporary name beside the target and renamed only when the transfer is
// complete, so a cancelled or failed download never leaves a truncated file.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tessary::lobby {

struct FtpSource {
    std::string host;  // "name" or "name:port"
    std::string user = "anonymous";
    std::string password = "anonymous@";
    std::string remotePath;  // relative to the login folder
};

enum class FetchResult {
    Done,
    NoConnection,  // the server cannot be reached or refuses the login: later files fail too
    Failed,        // this file failed (missing, transfer broken, too long, cannot write)
    Cancelled,
};

struct FetchLimits {
    uint64_t maxBytes = 8u << 20;  // a longer transfer is cut and fails
    int connectSeconds = 15;
    const std::atomic<bool>* stop = nullptr;  // set: the transfer ends at its next block or wait
};

// Called after each block of at most 1,024 bytes (and after the last, shorter
// one) with the bytes received so far; returning false cancels the transfer
// after this block.
using BlockObserver = std::function<bool(uint64_t received)>;

// Where the partial file of `target` is written ("name" -> ".name.part").
[[nodiscard]] std::filesystem::path partialPath(const std::filesystem::path& target);

// Downloads `source` to `target`, replacing it only when complete.
[[nodiscard]] FetchResult ftpFetch(const FtpSource& source, const std::filesystem::path& target,
                                   const FetchLimits& limits, const BlockObserver& onBlock = {});

// A file name received from a server that may become a path below a cache
// folder: no separator, no "..", no leading dot, nothing absolute or empty.
[[nodiscard]] bool isSafeFileName(const std::string& name);

}  // namespace tessary::lobby
