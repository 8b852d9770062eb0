// The reader of the lobby's own data files: CONFIG.INI, country.bin, font.ini
// and each game's config.tsc. The whole file is held in memory; values are read
// strictly in order behind a section header.
//
// Grammar: a section starts behind "[NAME]", found as a plain substring from the
// start of the file (the first occurrence wins, even inside a word or a
// comment). Tokens are runs of non-blanks (blanks: space, tab, CR, LF); a token
// that would begin with ";" starts a comment up to the line end; inside a token
// "|" stands for a blank. Integers are digits only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessary::skin {

struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

class SkinFile {
public:
    // Loads the file at `path` (a path as the Parts write it, resolved with
    // platform::nativePath against the current directory). Throws
    // SkinFatalError 36 when the file cannot be read, 37 when it is scrambled
    // and longer than kMaxScrambledSize.
    void open(std::string_view path, bool scrambled);

    // Takes the file's bytes from memory; `path` is used for messages and by
    // close(). Throws as open() for an over-long scrambled text.
    void openBytes(std::string bytes, std::string path, bool scrambled);

    // Moves behind "[name]" and returns true; when absent, moves to the end and
    // returns false (the next read then fails).
    bool findSection(std::string_view name);

    // Each read throws SkinFatalError 37 (broken file) when no token is left or
    // an integer holds anything but digits or does not fit in an int.
    [[nodiscard]] std::string readToken();
    [[nodiscard]] int readInt();
    [[nodiscard]] SkinRect readRect();
    // The whole-line form: the text after the line's first "=" with leading
    // blanks removed, or the whole line when it holds no "=".
    [[nodiscard]] std::string readLineValue();

    // Replaces the token that readToken would read next (blanks written as
    // "|"; an empty value as a lone "|", so the file keeps its shape). With no
    // token left, the value is added on a new line at the end of the text.
    void writeToken(std::string_view value);
    // A minus sign would make the file unreadable: negative values are
    // written as 0.
    void writeInt(int value);
    // Skips blanks, then replaces everything up to the character just before
    // the next "[" (normally the line end before the next section) or up to
    // the end of the text.
    void replaceSection(std::string_view text);

    // Writes the text back when it was changed (scrambled again when flagged),
    // through a temporary file so an interrupted save keeps the old file.
    // Returns false, leaving the file as it was, when it cannot be written or
    // a scrambled text grew past kMaxScrambledSize.
    [[nodiscard]] bool close();

    const std::string& path() const { return path_; }
    bool isScrambled() const { return scrambled_; }
    bool isDirty() const { return dirty_; }
    std::size_t position() const { return position_; }
    // The file's text as it stands, without the blank appended at load.
    std::string_view text() const { return std::string_view(text_).substr(0, contentEnd()); }

private:
    std::size_t contentEnd() const { return text_.empty() ? 0 : text_.size() - 1; }
    void skipBlanks();
    void skipBlanksAndComments();
    [[noreturn]] void fail() const;

    std::string path_;
    bool scrambled_ = false;
    std::string text_;  // the file's bytes and one blank
    std::size_t position_ = 0;
    bool dirty_ = false;
};

}  // namespace tessary::skin
