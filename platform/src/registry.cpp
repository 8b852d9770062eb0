#include "platform/registry.h"

#include <algorithm>

#include "platform/user_folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The section name of a "[...]" line, or nothing for any other line.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return line.substr(1, line.size() - 2);
}

struct Entry {
    std::string_view name;
    std::string_view value;
};

// The name and value of a "name=value" line; comments and other lines give nothing.
std::optional<Entry> entryOf(std::string_view line) {
    const auto trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || trimmed.front() == '[')
        return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    auto value = line.substr(equals + 1);
    if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    return Entry{trim(line.substr(0, equals)), value};
}

std::vector<std::string> readLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool acceptable(std::string_view keyPath, std::string_view name, std::string_view value) {
    if (trim(keyPath).empty() || trim(name).empty()) return false;
    if (hasLineBreak(keyPath) || hasLineBreak(name) || hasLineBreak(value)) return false;
    if (keyPath.find(']') != std::string_view::npos) return false;
    if (name.find('=') != std::string_view::npos) return false;
    const char lead = trim(name).front();
    return lead != '[' && lead != ';' && lead != '#';
}

// Holds an exclusive advisory lock on `<registry>.lock` for its lifetime. The
// lock lives in a file of its own because every write replaces the registry
// file itself.
class WriteLock {
public:
    explicit WriteLock(const fs::path& registry) {
        const auto lockPath = fs::path(registry).concat(".lock");
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~WriteLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// Writes `text` to a temporary file beside `path` and renames it over `path`.
bool replaceFile(const fs::path& path, const std::string& text) {
    std::string pattern = fs::path(path).concat(".XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(pattern.c_str(), path.c_str()) == 0) return true;
    ::unlink(pattern.c_str());
    return false;
}

// Puts `name=value` into `lines`: replaces the value in place, or adds it at
// the end of the key's section, or adds the section at the end.
void putValue(std::vector<std::string>& lines, std::string_view keyPath, std::string_view name,
              std::string_view value) {
    const std::string newLine = std::string(trim(name)) + "=" + std::string(value);
    bool inSection = false;
    std::optional<size_t> insertAt;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto section = sectionOf(lines[i])) {
            if (inSection) break;
            inSection = equalsIgnoringCase(trim(*section), keyPath);
            if (inSection) insertAt = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (const auto entry = entryOf(lines[i])) {
            if (equalsIgnoringCase(entry->name, trim(name))) {
                lines[i] = std::string(entry->name) + "=" + std::string(value);
                return;
            }
            insertAt = i + 1;
        }
    }
    if (insertAt) {
        lines.insert(lines.begin() + std::ptrdiff_t(*insertAt), newLine);
        return;
    }
    if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + std::string(keyPath) + "]");
    lines.push_back(newLine);
}

}  // namespace

fs::path Registry::sharedPath() {
    if (const char* file = std::getenv("TESSARY_REGISTRY"); file && *file) return file;
    return userConfigFolder() / "registry.ini";
}

Registry Registry::shared() { return Registry(sharedPath()); }

std::optional<std::string> Registry::get(std::string_view keyPath, std::string_view name) const {
    bool inSection = false;
    for (const auto& line : readLines(path_)) {
        if (const auto section = sectionOf(line)) {
            inSection = equalsIgnoringCase(trim(*section), trim(keyPath));
            continue;
        }
        if (!inSection) continue;
        if (const auto entry = entryOf(line); entry && equalsIgnoringCase(entry->name, trim(name)))
            return std::string(entry->value);
    }
    return std::nullopt;
}

std::vector<std::string> Registry::subkeys(std::string_view parentPath) const {
    std::vector<std::string> names;
    const std::string_view parent = trim(parentPath);
    for (const auto& line : readLines(path_)) {
        const auto section = sectionOf(line);
        if (!section) continue;
        const std::string_view key = trim(*section);
        if (key.size() <= parent.size() || !equalsIgnoringCase(key.substr(0, parent.size()), parent)) continue;
        const std::string_view name = key.substr(parent.size());
        if (name.find('\\') != std::string_view::npos) continue;
        const bool known = std::any_of(names.begin(), names.end(),
                                       [&](const std::string& n) { return equalsIgnoringCase(n, name); });
        if (!known) names.emplace_back(name);
    }
    return names;
}

bool Registry::set(std::string_view keyPath, std::string_view name, std::string_view value) {
    if (!acceptable(keyPath, name, value)) return false;
    std::error_code error;
    if (path_.has_parent_path()) fs::create_directories(path_.parent_path(), error);
    if (error) return false;

    const WriteLock lock(path_);
    if (!lock.held()) return false;
    auto lines = readLines(path_);
    putValue(lines, trim(keyPath), name, value);
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return replaceFile(path_, text);
}

}  // namespace tessary::platform
