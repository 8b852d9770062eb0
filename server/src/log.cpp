#include "log.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace tessary::server {
namespace {
std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}
LogSink& currentSink() {
    static LogSink sink;
    return sink;
}
}  // namespace

void logLine(std::string_view role, std::string_view text) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    std::string line = stamp;
    line += ' ';
    line += role;
    line += ": ";
    line += text;
    line += '\n';
    std::lock_guard lock(logMutex());
    if (const LogSink& sink = currentSink()) {
        sink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void setLogSink(LogSink sink) {
    std::lock_guard lock(logMutex());
    currentSink() = std::move(sink);
}

}  // namespace tessary::server
