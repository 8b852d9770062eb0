// Pages between players (type 205), the page window, the buddy list and the
// player search (type 14) with its "go" to the found player's arena.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_flow.h"
#include "lobby/lobby_view.h"

namespace tessary::lobby {

inline constexpr std::size_t kRecipientsLimit = 80;
inline constexpr std::size_t kPageMessageLimit = 512;
inline constexpr std::size_t kRecipientNameLimit = 15;
inline constexpr std::size_t kPageNameBuffer = 64;

// The recipients field split at ",", ";" and "+", each name without its
// surrounding blanks and cut to kRecipientNameLimit. Empty names are kept
// out: a trailing separator must not page nobody.
std::vector<std::string> splitRecipients(std::string_view field);

// The removal question: `lead` and the names joined by ", " (",\n" for every
// fifth separator), the last one by " and ", then " ?".
std::string buddyRemovalQuestion(std::string_view lead, const std::vector<std::string>& names);

// CONFIG.INI's "BUDDY" section: a count and the names, blanks written as "|".
std::string buddySectionText(const std::vector<std::string>& names);

struct PageForm {
    std::string recipients;
    std::string message;
    bool allBuddies{false};
};

enum class PageField { Recipients, Message };
enum class LobbySound { PageSend, PageReceive, ConnectArena };

struct SearchAnswer {
    bool found{false};
    std::string player;
    std::string arena;
};

class PagesView : public virtual MessageView {
public:
    // The page window: to write (title "Page") or to read a received page.
    virtual void showPageWrite(const PageForm& form) = 0;
    virtual void showPageRead(const std::string& sender, const std::string& message) = 0;
    virtual PageForm pageForm() = 0;
    virtual void focusPageField(PageField field) = 0;
    virtual void closePage() = 0;
    virtual void playSound(LobbySound sound) = 0;
    // "BUDDY" of CONFIG.INI.
    virtual std::vector<std::string> loadBuddies() = 0;
    virtual void storeBuddies(const std::vector<std::string>& names) = 0;
    // The open buddy window shows the list again (a buddy was added).
    virtual void showBuddies(const std::vector<std::string>& names) = 0;
    // The removal question under title 42 with yes and no; true for yes.
    virtual bool confirmRemoval(const std::string& question) = 0;
    // The search window: an answer (its go button enabled when found), or closed.
    virtual void showSearchAnswer(const SearchAnswer& answer) = 0;
    virtual void closeSearch() = 0;
};

struct PagesModel {
    std::string lastSender;  // of the page the read window shows
    SearchAnswer search;
    std::vector<std::string> buddies;  // while the buddy window is open
};

class PagesController {
public:
    PagesController(const ClientApi& api, LobbyFlow& flow, PagesView& view)
        : api_(api), flow_(flow), view_(view) {}

    void registerWith(Dispatcher& dispatcher);
    // Pages from the names this says yes to are dropped (the ignore list).
    void setIgnoreCheck(std::function<bool(std::string_view)> ignored) { ignored_ = std::move(ignored); }

    // Page window.
    void writePage(const std::string& recipient = {});  // the player menu, "PAGE"
    void sendPage();                                    // send
    void reply();                                       // reply in the read window
    // Buddy window: opened, names added, the selected rows removed, closed.
    const std::vector<std::string>& openBuddies();
    void addBuddy(const std::string& name);
    void removeBuddies(const std::vector<std::size_t>& selectedRows);
    void closeBuddies();
    // Search window.
    void search(const std::string& name);
    void go();

    const PagesModel& model() const { return model_; }

private:
    void onPage();
    void onSearchAnswer();

    const ClientApi& api_;
    LobbyFlow& flow_;
    PagesView& view_;
    PagesModel model_;
    bool buddiesOpen_{false};
    std::function<bool(std::string_view)> ignored_;
};

}  // namespace tessary::lobby
