#include "skin/skin_file.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "platform/paths.h"
#include "skin/scramble.h"
#include "skin/skin_error.h"

namespace tessary::skin {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string tokenForWriting(std::string_view value) {
    if (value.empty()) return "|";
    std::string token(value);
    for (char& c : token) {
        if (isBlank(c)) c = '|';
    }
    return token;
}

}  // namespace

void SkinFile::open(std::string_view path, bool scrambled) {
    std::string nativePath = platform::nativePath(path).string();
    std::error_code error;
    std::ifstream in(nativePath, std::ios::binary);
    if (!in || std::filesystem::is_directory(nativePath, error)) {
        throw SkinFatalError(kTextCannotOpenFile, nativePath);
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw SkinFatalError(kTextCannotOpenFile, nativePath);
    openBytes(std::move(bytes), std::move(nativePath), scrambled);
}

void SkinFile::openBytes(std::string bytes, std::string path, bool scrambled) {
    path_ = std::move(path);
    scrambled_ = scrambled;
    dirty_ = false;
    position_ = 0;
    if (scrambled) {
        if (bytes.size() > kMaxScrambledSize) throw SkinFatalError(kTextBrokenFile, path_);
        scramble(bytes);
    }
    text_ = std::move(bytes);
    text_ += ' ';
}

bool SkinFile::findSection(std::string_view name) {
    std::string header = "[" + std::string(name) + "]";
    std::size_t at = text().find(header);
    if (at == std::string_view::npos) {
        position_ = text_.size();
        return false;
    }
    position_ = at + header.size();
    return true;
}

void SkinFile::skipBlanks() {
    while (position_ < text_.size() && isBlank(text_[position_])) ++position_;
}

void SkinFile::skipBlanksAndComments() {
    skipBlanks();
    while (position_ < text_.size() && text_[position_] == ';') {
        while (position_ < text_.size() && !isLineEnd(text_[position_])) ++position_;
        skipBlanks();
    }
}

void SkinFile::fail() const {
    throw SkinFatalError(kTextBrokenFile, path_);
}

std::string SkinFile::readToken() {
    skipBlanksAndComments();
    if (position_ >= text_.size()) fail();
    std::size_t start = position_;
    while (position_ < text_.size() && !isBlank(text_[position_])) ++position_;
    std::string token = text_.substr(start, position_ - start);
    for (char& c : token) {
        if (c == '|') c = ' ';
    }
    return token;
}

int SkinFile::readInt() {
    std::string token = readToken();
    long long value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') fail();
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max()) fail();
    }
    return static_cast<int>(value);
}

SkinRect SkinFile::readRect() {
    SkinRect rect;
    rect.left = readInt();
    rect.top = readInt();
    rect.right = readInt();
    rect.bottom = readInt();
    return rect;
}

std::string SkinFile::readLineValue() {
    skipBlanks();
    const std::size_t end = contentEnd();
    std::size_t start = std::min(position_, end);
    std::size_t lineEnd = start;
    while (lineEnd < end && !isLineEnd(text_[lineEnd])) ++lineEnd;
    position_ = lineEnd;
    std::string_view line = std::string_view(text_).substr(start, lineEnd - start);
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::string(line);
    line.remove_prefix(equals + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return std::string(line);
}

void SkinFile::writeToken(std::string_view value) {
    std::string token = tokenForWriting(value);
    skipBlanksAndComments();
    if (position_ >= contentEnd()) {
        // On a line of its own, so a comment on the last line cannot swallow it.
        position_ = contentEnd();
        if (position_ > 0 && !isLineEnd(text_[position_ - 1])) token.insert(0, "\n");
        text_.insert(position_, token);
    } else {
        std::size_t end = position_;
        while (end < text_.size() && !isBlank(text_[end])) ++end;
        text_.replace(position_, end - position_, token);
    }
    position_ += token.size();
    dirty_ = true;
}

void SkinFile::writeInt(int value) {
    writeToken(std::to_string(value < 0 ? 0 : value));
}

void SkinFile::replaceSection(std::string_view replacement) {
    skipBlanks();
    const std::size_t start = std::min(position_, contentEnd());
    std::size_t end = contentEnd();
    std::size_t bracket = text().find('[', start);
    if (bracket != std::string_view::npos) end = std::max(start, bracket - (bracket > 0 ? 1 : 0));
    text_.replace(start, end - start, replacement);
    position_ = start + replacement.size();
    dirty_ = true;
}

bool SkinFile::close() {
    if (!dirty_) return true;
    std::string bytes(text());
    if (scrambled_) {
        if (bytes.size() > kMaxScrambledSize) return false;
        scramble(bytes);
    }
    std::string temporary = path_ + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    // The replacement keeps the file's permissions: the settings hold the
    // remembered login and may be readable by their owner only.
    std::error_code error;
    const auto status = std::filesystem::status(path_, error);
    if (!error) std::filesystem::permissions(temporary, status.permissions(), error);
    if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    dirty_ = false;
    return true;
}

}  // namespace tessary::skin
