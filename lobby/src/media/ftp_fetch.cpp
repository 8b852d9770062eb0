#include "lobby/ftp_fetch.h"

#include <curl/curl.h>

#include <array>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>

namespace tessary::lobby {
namespace {

constexpr size_t kBlock = 1024;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isSafeHost(const std::string& host) {
    if (host.empty() || host.size() > 255) return false;
    for (const unsigned char c : host) {
        if (c <= ' ' || c >= 0x7f || c == '/' || c == '@' || c == '?' || c == '#' || c == '\\') return false;
    }
    return true;
}

// Every byte but the unreserved ones and the separators is escaped, so a
// name with spaces or a '#' still names that file.
std::string escapePath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

struct Transfer {
    std::FILE* file = nullptr;
    const BlockObserver* onBlock = nullptr;
    uint64_t maxBytes = 0;
    uint64_t received = 0;
    std::array<char, kBlock> block{};
    size_t filled = 0;
    const std::atomic<bool>* stop = nullptr;
    bool cancelled = false;
    bool tooLong = false;
    bool writeFailed = false;

    // Writes the held block and tells the observer; false ends the transfer.
    bool flushBlock() {
        if (filled == 0) return true;
        if (std::fwrite(block.data(), 1, filled, file) != filled) {
            writeFailed = true;
            return false;
        }
        received += filled;
        filled = 0;
        if (onBlock != nullptr && *onBlock && !(*onBlock)(received)) {
            cancelled = true;
            return false;
        }
        return true;
    }
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (t.received + t.filled + bytes > t.maxBytes) {
        t.tooLong = true;
        return 0;
    }
    size_t taken = 0;
    while (taken < bytes) {
        const size_t piece = std::min(bytes - taken, kBlock - t.filled);
        std::copy_n(data + taken, piece, t.block.data() + t.filled);
        t.filled += piece;
        taken += piece;
        if (t.filled == kBlock && !t.flushBlock()) return 0;
    }
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(user);
    if (t.stop != nullptr && t.stop->load()) t.cancelled = true;
    return t.cancelled ? 1 : 0;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

}  // namespace

std::filesystem::path partialPath(const std::filesystem::path& target) {
    return target.parent_path() / ("." + target.filename().string() + ".part");
}

bool isSafeFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name.front() == '.') return false;
    if (name.find("..") != std::string::npos) return false;
    for (const unsigned char c : name) {
        if (c < ' ' || c == '/' || c == '\\' || c == ':' || c == 0x7f) return false;
    }
    return true;
}

FetchResult ftpFetch(const FtpSource& source, const std::filesystem::path& target, const FetchLimits& limits,
                     const BlockObserver& onBlock) {
    if (!isSafeHost(source.host)) return FetchResult::NoConnection;
    initialiseCurlOnce();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return FetchResult::NoConnection;

    const auto partial = partialPath(target);
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    Transfer t;
    t.onBlock = &onBlock;
    t.maxBytes = limits.maxBytes;
    t.stop = limits.stop;
    t.file = std::fopen(partial.c_str(), "wbx");
    if (t.file == nullptr) return FetchResult::Failed;

    std::string path = source.remotePath;
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    const std::string url = "ftp://" + source.host + "/" + escapePath(path);
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_USERNAME, source.user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, source.password.c_str());
    curl_easy_setopt(c, CURLOPT_FTP_USE_EPSV, 1L);  // passive: EPSV, then PASV
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);  // binary
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectSeconds));
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);  // a stalled server ends the transfer
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, static_cast<long>(kBlock));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    if (limits.maxBytes < static_cast<uint64_t>(INT64_MAX)) {
        curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    }

    CURLcode code = curl_easy_perform(c);
    if (code == CURLE_OK && !t.flushBlock()) code = CURLE_WRITE_ERROR;
    const bool closed = std::fclose(t.file) == 0;
    FetchResult result = FetchResult::Done;
    if (t.cancelled) {
        result = FetchResult::Cancelled;
    } else if (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
               code == CURLE_LOGIN_DENIED || code == CURLE_OPERATION_TIMEDOUT ||
               code == CURLE_FTP_WEIRD_SERVER_REPLY || code == CURLE_UNSUPPORTED_PROTOCOL) {
        result = FetchResult::NoConnection;
    } else if (code != CURLE_OK || !closed || t.tooLong || t.writeFailed) {
        result = FetchResult::Failed;
    }
    if (result == FetchResult::Done) {
        std::error_code renamed;
        std::filesystem::rename(partial, target, renamed);
        if (renamed) result = FetchResult::Failed;
    }
    if (result != FetchResult::Done) std::filesystem::remove(partial, ignored);
    return result;
}

}  // namespace tessary::lobby
