// The chat's rules without a window: the lines a pane keeps, its scrolling,
// the ten tabs of the chat box (arena tab, session tab, private tabs), the
// tab row's overlap, the line formats and the name a saved tab gets.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "controls/scroll_geometry.h"
#include "controls/text_wrap.h"

namespace tessary::controls {

// Colours as the service sends them: red + 256 * green + 65536 * blue.
using ChatColour = std::uint32_t;
inline constexpr ChatColour kWhite = 0xFFFFFF;
inline constexpr ChatColour kSystemGrey = 125 + 256 * 125 + 65536 * 125;

constexpr ChatColour chatColour(int red, int green, int blue) {
    return ChatColour(red) + 256u * ChatColour(green) + 65536u * ChatColour(blue);
}

struct ChatLine {
    std::string text;  // Windows-1252
    ChatColour colour = kWhite;
    int font = 0;
    bool link = false;

    // Filled by the last paint: the wrapped lines for `layoutWidth` and font,
    // and where the link was drawn (pane coordinates).
    mutable std::vector<TextRun> runs;
    mutable int layoutWidth = -1;
    mutable int layoutFont = -1;
    mutable std::vector<Box> linkBoxes;
};

// A colour wider than 24 bits is white; the link flag follows the text.
[[nodiscard]] ChatLine makeChatLine(std::string text, ChatColour colour, int font);

// One chat pane's lines and scrolling.
class ChatPane {
public:
    static constexpr int kDefaultLimit = 200;

    explicit ChatPane(int limit = kDefaultLimit) : limit_(limit) {}

    int limit() const { return limit_; }
    void setLimit(int limit) { limit_ = limit; }

    // Appends; unless `paused`, drops the oldest lines beyond the limit and
    // makes the newest line the bottom one. A paused pane keeps every line
    // and its view.
    void add(ChatLine line, bool paused);
    void clear();

    const std::deque<ChatLine>& lines() const { return lines_; }
    int count() const { return static_cast<int>(lines_.size()); }
    // Index of the lowest visible line; -1 when empty.
    int bottom() const { return bottom_; }
    // The top line the last paint reached.
    int top() const { return top_; }
    void setTop(int top) { top_ = top; }

    // Line, page and thumb requests of the pane's bar and the wheel.
    void scroll(ScrollRequest request, int position = 0);
    ScrollRange scrollRange() const { return {0, std::max(0, count() - 1), std::max(0, bottom_)}; }

    // Writes every line and a line end to `path`, replacing the file. False
    // when it cannot be written.
    [[nodiscard]] bool save(const std::filesystem::path& path) const;

private:
    std::deque<ChatLine> lines_;
    int limit_;
    int bottom_ = -1;
    int top_ = 0;
};

struct ChatTab {
    std::string name;
    bool isPrivate = false;
    bool unread = false;
    std::int64_t lastActivity = 0;  // seconds
    ChatPane pane;
};

// The chat box's tabs: tab 0 is the arena's (500 lines), tab 1 may be the
// session's, the others are private chats (200 lines each); at most ten.
class ChatTabs {
public:
    static constexpr int kMaxTabs = 10;
    static constexpr int kArenaLimit = 500;

    explicit ChatTabs(std::string arenaTabName);

    int count() const { return static_cast<int>(tabs_.size()); }
    int current() const { return current_; }
    const ChatTab& tab(int index) const { return tabs_.at(static_cast<std::size_t>(index)); }
    const ChatTab& currentTab() const { return tab(current_); }
    // The lines of tab `index`, for the pane that shows and scrolls them.
    ChatPane& pane(int index) { return at(index).pane; }
    bool hasSessionTab() const { return sessionTab_; }
    bool isSessionTab(int index) const { return sessionTab_ && index == 1; }

    // Shows tab `index` and clears its unread mark.
    void select(int index);
    // A double click: closes the tab unless it is tab 0 or the session tab.
    bool closeByUser(int index);
    void close(int index);

    // The private tab of `name`, or -1.
    int findPrivate(std::string_view name) const;
    // Selects the private tab of `name`, adding it at the end when there is
    // none (closing the quietest private tab when all ten are in use).
    // Returns its index. Without `select` the tab shown stays (a line
    // received from a new partner).
    int openPrivate(std::string_view name, std::int64_t now, bool select = true);
    // A name adds or renames the session tab at index 1 and selects it; an
    // empty name removes it.
    void setSessionTab(std::string_view name);

    // Adds a line to tab `index`: marks it unread when it is not shown and
    // counts as activity. False when there is no such tab.
    bool addLine(int index, ChatLine line, std::int64_t now);

    bool paused() const { return paused_; }
    void setPaused(bool paused) { paused_ = paused; }
    bool colourOff() const { return colourOff_; }
    void toggleColourOff() { colourOff_ = !colourOff_; }

    // The arena tab's caption (a StringTable text the lobby reads later).
    void setArenaTabName(std::string name) { at(0).name = std::move(name); }

    // The arena changed: one empty arena tab, selected.
    void reset();

private:
    void closeQuietestPrivate();
    ChatTab& at(int index) { return tabs_[static_cast<std::size_t>(index)]; }

    std::vector<ChatTab> tabs_;
    int current_ = 0;
    bool sessionTab_ = false;
    bool paused_ = false;
    bool colourOff_ = false;
};

// The tab row: tabs spaced by the tab picture's width, closer (overlapping)
// when that does not fit; drawn left to right up to the current tab, right to
// left after it, and the current tab last, on top.
struct TabRowLayout {
    std::vector<int> left;       // x of each tab
    std::vector<int> drawOrder;  // tab indices, bottom first
    int tabWidth = 0;
};
[[nodiscard]] TabRowLayout layoutTabRow(int rowWidth, int tabWidth, int count, int current);
// The topmost tab under x (any y inside the row), or -1.
[[nodiscard]] int tabAt(const TabRowLayout& layout, int x);

// A received line: "<sender> text " in its colour and font, or for text
// beginning with "/me " (any case) the action "~~~> sender text " in white,
// font 0.
[[nodiscard]] ChatLine formatChatLine(std::string_view sender, std::string_view text,
                                      ChatColour colour, int font);

// The file a saved tab is written to: the tab's name with ".txt", made safe as
// a single name in the current folder (the name comes from the network).
[[nodiscard]] std::string chatSaveFileName(std::string_view tabName);

}  // namespace tessary::controls
