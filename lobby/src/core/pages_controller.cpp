#include "lobby/pages_controller.h"

#include <algorithm>
#include <array>
#include <set>

#include "controls/player_rows.h"
#include "lobby/server_text.h"
#include "lobby/text_out.h"

namespace tessary::lobby {
namespace {

constexpr std::size_t kSeparatorsPerLine = 5;
constexpr std::size_t kArenaNameLimit = 255;
// A received page is shown in a window of a few lines; the sender goes into
// a title.
constexpr TextBounds kPageBounds{12, 100};
constexpr TextBounds kSenderBounds{1, kRecipientsLimit};

std::string trimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::vector<std::string> splitRecipients(std::string_view field) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= field.size()) {
        auto end = field.find_first_of(",;+", start);
        if (end == std::string_view::npos) end = field.size();
        auto name = trimmedBlanks(field.substr(start, end - start));
        if (!name.empty()) names.push_back(name.substr(0, kRecipientNameLimit));
        start = end + 1;
    }
    return names;
}

std::string buddyRemovalQuestion(std::string_view lead, const std::vector<std::string>& names) {
    std::string question(lead);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            // Every fifth separator ends a line, the last one (" and ") too.
            const bool lineEnd = i % kSeparatorsPerLine == 0;
            if (i + 1 == names.size()) {
                question += lineEnd ? " and\n" : " and ";
            } else {
                question += lineEnd ? ",\n" : ", ";
            }
        }
        question += names[i];
    }
    return question + " ?";
}

std::string buddySectionText(const std::vector<std::string>& names) {
    std::string text = std::to_string(names.size()) + " ";
    for (auto name : names) {
        std::replace(name.begin(), name.end(), ' ', '|');
        text += (name.empty() ? std::string("|") : name) + " ";
    }
    return text;
}

void PagesController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::PAGER, [this] { onPage(); });
    dispatcher.on(protocol::answerCodeOf(protocol::SEARCHPLAYER), [this] { onSearchAnswer(); });
}

// ---------------------------------------------------------------- pages

void PagesController::writePage(const std::string& recipient) {
    view_.showPageWrite({recipient.substr(0, kRecipientsLimit), {}, false});
    view_.focusPageField(recipient.empty() ? PageField::Recipients : PageField::Message);
}

void PagesController::sendPage() {
    auto form = view_.pageForm();
    form.recipients.resize(std::min(form.recipients.size(), kRecipientsLimit));
    form.message.resize(std::min(form.message.size(), kPageMessageLimit));
    if (form.recipients.empty() && !form.allBuddies) return view_.focusPageField(PageField::Recipients);
    if (form.message.empty()) return view_.focusPageField(PageField::Message);
    auto names = splitRecipients(form.recipients);
    if (form.allBuddies) {
        const auto buddies = view_.loadBuddies();
        names.insert(names.end(), buddies.begin(), buddies.end());
    }
    if (names.empty()) return view_.focusPageField(PageField::Recipients);
    // The library copies each name from a buffer of this size.
    std::vector<std::array<char, kPageNameBuffer>> buffers(names.size());
    std::vector<const char*> pointers;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto n = std::min(names[i].size(), kPageNameBuffer - 1);
        std::copy_n(names[i].begin(), n, buffers[i].begin());
        buffers[i][n] = '\0';
        pointers.push_back(buffers[i].data());
    }
    api_.TSSend_PagePlayer(static_cast<int32_t>(pointers.size()), pointers.data(),
                           form.message.c_str());
    view_.playSound(LobbySound::PageSend);
    view_.closePage();
}

void PagesController::reply() { writePage(model_.lastSender); }

void PagesController::onPage() {
    TextOut sender, message;
    if (api_.TSRcv_Page(sender.data(), message.data()) == 0) return;
    const std::string from = boundedServerText(sender.text(), kSenderBounds);
    if (ignored_ && ignored_(from)) return;
    model_.lastSender = from;
    view_.showPageRead(model_.lastSender,
                       boundedServerText(message.field(kPageMessageLimit), kPageBounds));
    view_.playSound(LobbySound::PageReceive);
}

// ---------------------------------------------------------------- buddies

const std::vector<std::string>& PagesController::openBuddies() {
    if (!buddiesOpen_) model_.buddies = view_.loadBuddies();
    buddiesOpen_ = true;
    return model_.buddies;
}

void PagesController::addBuddy(const std::string& name) {
    const bool wasOpen = buddiesOpen_;
    openBuddies();
    // Player names are one name whatever their case.
    const bool known = std::ranges::any_of(
        model_.buddies, [&](const std::string& buddy) { return controls::compareNoCase(buddy, name) == 0; });
    if (!name.empty() && !known) {
        model_.buddies.push_back(name);
        if (wasOpen) view_.showBuddies(model_.buddies);
    }
    if (!wasOpen) closeBuddies();
}

void PagesController::removeBuddies(const std::vector<std::size_t>& selectedRows) {
    const std::set<std::size_t> rows(selectedRows.begin(), selectedRows.end());
    std::vector<std::string> names;
    for (const auto row : rows) {
        if (row < model_.buddies.size()) names.push_back(model_.buddies[row]);
    }
    if (names.empty()) {
        view_.showMessage(Text::SelectBuddiesFirst, Text::TitleBuddies);
        return;
    }
    const auto question = buddyRemovalQuestion(view_.text(Text::RemoveBuddyQuestion), names);
    if (!view_.confirmRemoval(question)) return;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row < model_.buddies.size()) {
            model_.buddies.erase(model_.buddies.begin() + static_cast<std::ptrdiff_t>(*row));
        }
    }
}

void PagesController::closeBuddies() {
    if (!buddiesOpen_) return;
    view_.storeBuddies(model_.buddies);
    buddiesOpen_ = false;
}

// ---------------------------------------------------------------- search

void PagesController::search(const std::string& name) {
    if (name.empty()) {
        view_.showMessage(Text::SearchNeedsName, Text::TitlePlayerSearch);
        return;
    }
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::SEARCHPLAYER));
    api_.TSRouterSend_SearchPlayer(name.c_str());
}

void PagesController::onSearchAnswer() {
    char result = 0;
    TextOut error, player, arena;
    if (api_.TSRouterRcv_SearchPlayerResult(&result, error.data(), player.data(), arena.data()) ==
        0) {
        return;
    }
    // The arena name stays as sent: it is joined by that name.
    model_.search = {result == kAnswerSuccess, boundedServerText(player.text(), kSenderBounds),
                     boundedServerText(arena.text(), {1, kArenaNameLimit})};
    view_.showSearchAnswer(model_.search);
    if (!model_.search.found) view_.showMessage(Text::PlayerNotConnected, Text::TitlePlayerSearch);
}

void PagesController::go() {
    if (!model_.search.found) return;
    view_.playSound(LobbySound::ConnectArena);
    view_.closeSearch();
    if (flow_.state() == LobbyState::InArena && model_.search.arena == flow_.arenaName()) return;
    flow_.joinFoundPlayerArena(model_.search.arena);
}

}  // namespace tessary::lobby
