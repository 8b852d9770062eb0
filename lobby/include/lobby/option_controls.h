// The option controls of a game's create-session and session-information
// windows, built from the pages of its config.tsc. Each page is a chain of
// controls; the chain turns the controls' values into the session's option
// line (writeValue), checks a received line against them (checkValue) and
// fills them from it (setValue). This is the controls' state without a
// windowing toolkit: the widgets mirror `enabled()`, `visible()` and the
// value, and call the edit functions when the user changes something.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/session_options_layout.h"

namespace tessary::lobby {

// The file titles (names without the extension) of the files with
// `extension` in `directory`, for DIRLIST. The default lister reads the
// game's folder and the per-user cache copy of it.
using DirectoryLister =
    std::function<std::vector<std::string>(std::string_view directory, std::string_view extension)>;

// Lists `<root>/<directory>/*.<extension>` for each root, sorted, each title once.
DirectoryLister listDirectoriesUnder(std::vector<std::filesystem::path> roots);

class OptionChain;

class OptionControl {
public:
    explicit OptionControl(const skin::OptionControlLayout& layout) : layout_(layout) {}
    virtual ~OptionControl() = default;
    OptionControl(const OptionControl&) = delete;
    OptionControl& operator=(const OptionControl&) = delete;

    skin::OptionKind kind() const { return layout_.kind; }
    const skin::OptionControlLayout& layout() const { return layout_; }

    // Appends this control's value and a blank (a blank inside the value as
    // "|"), then lets the next control do the same; false when a value is
    // missing.
    bool writeValue(std::string& text) const;
    // Checks the first blank-separated token of `text` and passes the rest on.
    bool checkValue(std::string_view text) const;
    // Takes the first token as the value (read-only afterwards) and passes on.
    void setValue(std::string_view text);
    // Back to the layout's value, editable again; passes on.
    void setDefault();
    void show(bool visible);
    void setNext(OptionControl* next) { next_ = next; }

    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }
    // The value as it would be written ("" when missing or for captions).
    virtual std::string value() const { return {}; }

protected:
    // Captions take no token of the line.
    virtual bool takesToken() const { return true; }
    // Appends the own value and a blank; false when missing.
    virtual bool writeOwn(std::string& text) const = 0;
    virtual bool acceptsToken(std::string_view token) const = 0;
    // `token` has its "|" turned back into blanks.
    virtual void setOwn(std::string_view token) = 0;
    virtual void defaultOwn() = 0;
    virtual void showOwn(bool) {}

public:
    // This control's part of the line taken from the front of `rest`: one
    // token, none for captions, more for a CHECKBOX with nested controls.
    virtual bool checkTake(std::string_view& rest) const;
    virtual void setTake(std::string_view& rest);

private:
    const skin::OptionControlLayout& layout_;
    OptionControl* next_ = nullptr;
    bool enabled_ = true;
    bool visible_ = true;
};

// A list (LIST, LISTDEFAULT) or a directory list (DIRLIST).
class ListOption final : public OptionControl {
public:
    ListOption(const skin::OptionControlLayout& layout, std::vector<std::string> items);
    const std::vector<std::string>& items() const { return items_; }
    int chosen() const { return chosen_; }  // -1: nothing chosen
    void choose(int index);
    std::string value() const override;

private:
    bool writeOwn(std::string& text) const override;
    bool acceptsToken(std::string_view token) const override;
    void setOwn(std::string_view token) override;
    void defaultOwn() override;
    void dropAppended();

    std::vector<std::string> items_;
    int chosen_ = -1;
    bool appended_ = false;  // the last item came from setValue
};

// EDIT and EDITDEFAULT.
class EditOption final : public OptionControl {
public:
    using OptionControl::OptionControl;
    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    std::string value() const override { return text_; }

private:
    bool writeOwn(std::string& text) const override;
    bool acceptsToken(std::string_view token) const override { return !token.empty(); }
    void setOwn(std::string_view token) override { text_ = token; }
    void defaultOwn() override;
    std::string text_;
};

class SpinOption final : public OptionControl {
public:
    using OptionControl::OptionControl;
    int number() const { return number_; }
    void setNumber(int number);
    std::string value() const override { return std::to_string(number_); }

private:
    bool writeOwn(std::string& text) const override;
    bool acceptsToken(std::string_view token) const override;
    void setOwn(std::string_view token) override;
    void defaultOwn() override;
    int maximum() const;
    int number_ = 0;
};

class OnOffOption final : public OptionControl {
public:
    using OptionControl::OptionControl;
    bool on() const { return on_; }
    void setOn(bool on) { on_ = on; }
    std::string value() const override { return on_ ? "1" : "0"; }

private:
    bool writeOwn(std::string& text) const override;
    bool acceptsToken(std::string_view token) const override { return !token.empty(); }
    void setOwn(std::string_view token) override { on_ = token != "0"; }
    void defaultOwn() override { on_ = layout().initial != 0; }
    bool on_ = false;
};

class BitListOption final : public OptionControl {
public:
    using OptionControl::OptionControl;
    int current() const { return current_; }
    void choose(int index);
    std::string value() const override;

private:
    bool writeOwn(std::string& text) const override;
    bool acceptsToken(std::string_view token) const override;
    void setOwn(std::string_view token) override;
    void defaultOwn() override { current_ = 0; }
    int current_ = 0;
};

// TEXT and TEXTRGB: captions, no value.
class TextOption final : public OptionControl {
public:
    using OptionControl::OptionControl;

private:
    bool takesToken() const override { return false; }
    bool writeOwn(std::string&) const override { return true; }
    bool acceptsToken(std::string_view) const override { return true; }
    void setOwn(std::string_view) override {}
    void defaultOwn() override {}
};

// CHECKBOX: one of several boxes is checked; only the checked box's nested
// controls are shown and written.
class CheckBoxOption final : public OptionControl {
public:
    CheckBoxOption(const skin::OptionControlLayout& layout, const DirectoryLister& lister);
    ~CheckBoxOption() override;
    int checked() const { return checked_; }  // 1-based
    void check(int box);
    OptionChain& box(int index) { return *boxes_.at(static_cast<std::size_t>(index - 1)); }
    std::string value() const override { return std::to_string(checked_); }

private:
    bool writeOwn(std::string& text) const override;
    bool acceptsToken(std::string_view token) const override;
    void setOwn(std::string_view token) override;
    void defaultOwn() override;
    void showOwn(bool visible) override;
    bool checkTake(std::string_view& rest) const override;
    void setTake(std::string_view& rest) override;
    void showBoxes();

    std::vector<std::unique_ptr<OptionChain>> boxes_;
    int checked_ = 1;
    bool shown_ = true;
};

// The controls of one page (or of one CHECKBOX box), chained in order.
class OptionChain {
public:
    OptionChain(const std::vector<skin::OptionControlLayout>& layouts, const DirectoryLister& lister);
    bool empty() const { return controls_.empty(); }
    const std::vector<std::unique_ptr<OptionControl>>& controls() const { return controls_; }
    OptionControl* first() const { return controls_.empty() ? nullptr : controls_.front().get(); }
    // The control with this place in the chain, cast to its kind's class.
    template <class T>
    T& at(std::size_t index) {
        return dynamic_cast<T&>(*controls_.at(index));
    }

    bool writeValue(std::string& text) const { return !first() || first()->writeValue(text); }
    bool checkValue(std::string_view text) const { return !first() || first()->checkValue(text); }
    void setValue(std::string_view text) {
        if (first()) first()->setValue(text);
    }
    void setDefault() {
        if (first()) first()->setDefault();
    }
    void show(bool visible) {
        if (first()) first()->show(visible);
    }
    // Takes this chain's tokens from the front of `text` (for nesting and
    // for checking that a line is used up).
    bool checkPrefix(std::string_view& text) const;
    void setPrefix(std::string_view& text);

private:
    std::vector<std::unique_ptr<OptionControl>> controls_;
};

// Every page of a game's window.
class OptionPages {
public:
    OptionPages(const skin::SessionOptionsLayout& layout, const DirectoryLister& lister);
    std::size_t size() const { return pages_.size(); }
    OptionChain& page(std::size_t index) { return *pages_.at(index); }

    // One page's text: its values, "ERROR" when one is missing, "" for a
    // page without controls.
    std::string collectPage(std::size_t index) const;
    // The option line: the pages' texts joined, "ERROR" when a page fails.
    std::string collect() const;
    // Whether `line` (trimmed) is accepted completely by the pages in order.
    bool accepts(std::string_view line) const;
    void setValue(std::string_view line);
    void setDefault();
    // Shows the controls of page `index` and hides the others'.
    void showPage(std::size_t index);

private:
    std::vector<std::unique_ptr<OptionChain>> pages_;
};

inline constexpr std::string_view kOptionError = "ERROR";

}  // namespace tessary::lobby
