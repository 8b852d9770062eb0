#include "controls/chat_model.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace tessary::controls {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view upperPrefix) {
    if (text.size() < upperPrefix.size()) return false;
    for (std::size_t i = 0; i < upperPrefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != upperPrefix[i]) return false;
    }
    return true;
}

}  // namespace

ChatLine makeChatLine(std::string text, ChatColour colour, int font) {
    ChatLine line;
    line.link = findLink(text).has_value();
    line.text = std::move(text);
    line.colour = colour > kWhite ? kWhite : colour;
    line.font = font;
    return line;
}

void ChatPane::add(ChatLine line, bool paused) {
    lines_.push_back(std::move(line));
    if (paused) {
        if (bottom_ < 0) bottom_ = 0;
        return;
    }
    while (count() > limit_ && !lines_.empty()) lines_.pop_front();
    bottom_ = count() - 1;
}

void ChatPane::clear() {
    lines_.clear();
    bottom_ = -1;
    top_ = 0;
}

void ChatPane::scroll(ScrollRequest request, int position) {
    if (lines_.empty()) return;
    const int last = count() - 1;
    switch (request) {
        case ScrollRequest::LineUp: bottom_ = std::max(0, bottom_ - 1); break;
        case ScrollRequest::LineDown: bottom_ = std::min(last, bottom_ + 1); break;
        case ScrollRequest::PageUp:
            // The line below the top one becomes the bottom; always at least one up.
            bottom_ = std::max(0, std::min(top_ + 1, bottom_ - 1));
            break;
        case ScrollRequest::PageDown:
            bottom_ = std::min(last, bottom_ + std::max(1, bottom_ - top_ + 1));
            break;
        case ScrollRequest::ThumbTrack: bottom_ = std::clamp(position, 0, last); break;
    }
}

bool ChatPane::save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const ChatLine& line : lines_) out << line.text << '\n';
    return static_cast<bool>(out.flush());
}

ChatTabs::ChatTabs(std::string arenaTabName) {
    tabs_.push_back(ChatTab{std::move(arenaTabName), false, false, 0, ChatPane(kArenaLimit)});
}

void ChatTabs::select(int index) {
    if (index < 0 || index >= count()) return;
    current_ = index;
    at(index).unread = false;
}

bool ChatTabs::closeByUser(int index) {
    if (index <= 0 || index >= count() || isSessionTab(index)) return false;
    close(index);
    return true;
}

void ChatTabs::close(int index) {
    if (index <= 0 || index >= count()) return;
    tabs_.erase(tabs_.begin() + index);
    if (isSessionTab(index)) sessionTab_ = false;
    if (current_ == index || current_ == 0) {
        select(0);
    } else if (index < current_) {
        --current_;
    }
}

int ChatTabs::findPrivate(std::string_view name) const {
    for (int i = sessionTab_ ? 2 : 1; i < count(); ++i) {
        if (tab(i).name == name) return i;
    }
    return -1;
}

void ChatTabs::closeQuietestPrivate() {
    int quietest = -1;
    for (int i = sessionTab_ ? 2 : 1; i < count(); ++i) {
        if (quietest < 0 || tab(i).lastActivity < tab(quietest).lastActivity) quietest = i;
    }
    if (quietest > 0) close(quietest);
}

int ChatTabs::openPrivate(std::string_view name, std::int64_t now, bool select) {
    int index = findPrivate(name);
    if (index < 0) {
        if (count() >= kMaxTabs) closeQuietestPrivate();
        tabs_.push_back(ChatTab{std::string(name), true, false, now, ChatPane()});
        index = count() - 1;
    }
    if (select) this->select(index);
    return index;
}

void ChatTabs::setSessionTab(std::string_view name) {
    if (name.empty()) {
        if (sessionTab_) close(1);
        sessionTab_ = false;
        return;
    }
    if (!sessionTab_) {
        if (count() >= kMaxTabs) closeQuietestPrivate();
        tabs_.insert(tabs_.begin() + 1, ChatTab{std::string(name), false, false, 0, ChatPane()});
        sessionTab_ = true;
        select(1);
    }
    at(1).name = std::string(name);
}

bool ChatTabs::addLine(int index, ChatLine line, std::int64_t now) {
    if (index < 0 || index >= count()) return false;
    ChatTab& target = at(index);
    if (index != current_) target.unread = true;
    target.lastActivity = now;
    target.pane.add(std::move(line), paused_);
    return true;
}

void ChatTabs::reset() {
    tabs_.resize(1);
    tabs_[0].pane.clear();
    tabs_[0].unread = false;
    current_ = 0;
    sessionTab_ = false;
}

TabRowLayout layoutTabRow(int rowWidth, int tabWidth, int count, int current) {
    TabRowLayout layout;
    layout.tabWidth = tabWidth;
    int spacing = tabWidth;
    if (count > 1) spacing = std::min(spacing, (rowWidth - tabWidth) / (count - 1));
    for (int i = 0; i < count; ++i) layout.left.push_back(i * spacing);
    current = std::clamp(current, 0, std::max(0, count - 1));
    for (int i = 0; i < current; ++i) layout.drawOrder.push_back(i);
    for (int i = count - 1; i > current; --i) layout.drawOrder.push_back(i);
    if (count > 0) layout.drawOrder.push_back(current);
    return layout;
}

int tabAt(const TabRowLayout& layout, int x) {
    for (auto it = layout.drawOrder.rbegin(); it != layout.drawOrder.rend(); ++it) {
        const int left = layout.left[static_cast<std::size_t>(*it)];
        if (x >= left && x < left + layout.tabWidth) return *it;
    }
    return -1;
}

ChatLine formatChatLine(std::string_view sender, std::string_view text, ChatColour colour,
                        int font) {
    std::string body(text);
    body += ' ';
    if (!startsWithNoCase(body, "/ME ")) {
        return makeChatLine("<" + std::string(sender) + "> " + body, colour, font);
    }
    return makeChatLine("~~~> " + std::string(sender) + body.substr(3), kWhite, 0);
}

std::string chatSaveFileName(std::string_view tabName) {
    std::string name;
    for (char c : tabName) {
        const auto byte = static_cast<unsigned char>(c);
        // Separators of either system, drive colons and control bytes.
        const bool unsafe = c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F;
        name += unsafe ? '_' : c;
    }
    // A leading dot would hide the file or, as "..", climb out of the folder.
    const auto firstKept = name.find_first_not_of(". ");
    name = firstKept == std::string::npos ? std::string() : name.substr(firstKept);
    if (name.empty()) name = "chat";
    return name + ".txt";
}

}  // namespace tessary::controls
