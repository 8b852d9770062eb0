// The numbered texts of the lobby ("data\\strings.bin"): one text per line, a
// decimal number, a colon and the text. Every user-visible text of the lobby is
// fetched here by number just before it is shown.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessary::skin {

class StringTable {
public:
    StringTable() = default;
    explicit StringTable(std::filesystem::path file) : file_(std::move(file)) {}

    // Reads the file from its start. Returns the text numbered `number`; when no
    // line carries it, the text of the file's last line; when the file cannot
    // be opened, an empty text. Texts are cut at kMaxTextLength characters.
    [[nodiscard]] std::string text(int number) const;

    const std::filesystem::path& file() const { return file_; }

    static constexpr std::size_t kMaxTextLength = 510;

    // The escapes of a text: a backslash followed by n, r or t becomes a blank
    // and a line feed, carriage return or tab; before any other character it
    // becomes a blank and the character stays. The length never changes.
    [[nodiscard]] static std::string unescape(std::string_view raw);

private:
    std::filesystem::path file_;
};

}  // namespace tessary::skin
