#include "log.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "link.h"
#include "platform/clock.h"

namespace tessary::server {
namespace {

struct LogState {
    std::mutex mutex;
    LogSink sink;
    LogFold fold;
};

LogState& state() {
    static LogState instance;
    return instance;
}

// 5000 -> "5,000"
std::string withThousands(int64_t value) {
    std::string digits = std::to_string(value);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), ",");
    return digits;
}

std::string stamped(std::string_view role, std::string_view text) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    std::string line = stamp;
    line += ' ';
    line += escapeForLog(role);
    line += ": ";
    line += escapeForLog(text);
    line += '\n';
    return line;
}

// With the lock held.
void write(LogState& log, const std::string& line) {
    if (log.sink) {
        log.sink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// Writes the line unless its address is over its share; reports the windows
// that are over first.
void emit(std::string_view role, std::string_view text, std::string_view address) {
    const std::string line = stamped(role, text);
    const int64_t now = platform::systemClock().monotonicMs();
    LogState& log = state();
    std::lock_guard lock(log.mutex);
    for (const LogFold::Summary& summary : log.fold.closeWindows(now)) write(log, stamped(summary.role, summary.text));
    if (address.empty() || log.fold.admit(role, address, now)) write(log, line);
}

}  // namespace

std::string escapeForLog(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            case '\\': out += "\\\\"; continue;
            default: break;
        }
        if (byte < 0x20 || byte >= 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

bool LogFold::admit(std::string_view role, std::string_view address, int64_t nowMs) {
    auto it = windows_.find(address);
    if (it == windows_.end()) it = windows_.emplace(std::string(address), Window{nowMs, 0, 0, {}}).first;
    Window& window = it->second;
    if (window.written < linesPerWindow_) {
        ++window.written;
        return true;
    }
    if (window.held++ == 0) window.role = role;
    return false;
}

std::vector<LogFold::Summary> LogFold::closeWindows(int64_t nowMs) {
    std::vector<Summary> summaries;
    // One pass a second is enough, and keeps a line cheap with many addresses.
    if (nowMs - lastCloseMs_ < 1000) return summaries;
    lastCloseMs_ = nowMs;
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (nowMs - it->second.startMs < kWindowMs) {
            ++it;
            continue;
        }
        if (it->second.held > 0)
            summaries.push_back({it->second.role, "... and " + withThousands(it->second.held) + " more from " +
                                                      it->first + " in the last " +
                                                      std::to_string(kWindowMs / 1000) + " s"});
        it = windows_.erase(it);
    }
    return summaries;
}

void logLine(std::string_view role, std::string_view text) { emit(role, text, {}); }

void logLine(std::string_view role, const ClientLink& link, std::string_view text) {
    emit(role, link.describe() + std::string(text), link.address());
}

void logFrom(std::string_view role, std::string_view address, std::string_view text) { emit(role, text, address); }

void setLogSink(LogSink sink, int linesPerAddress) {
    LogState& log = state();
    std::lock_guard lock(log.mutex);
    log.sink = std::move(sink);
    log.fold = LogFold(linesPerAddress);
}

}  // namespace tessary::server
