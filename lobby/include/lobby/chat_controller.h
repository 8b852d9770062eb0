// The arena view's chat box: the arena, session and private tabs (types 27,
// 28 and 29), the line typed with its slash commands, the ignore list, and
// the grey system lines other controllers add.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/chat_commands.h"
#include "controls/chat_model.h"
#include "controls/ignore_list.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_view.h"
#include "lobby/text.h"

namespace tessary::lobby {

class LobbyFlow;
class PagesController;
class PlayerInfoController;
class PlayersController;
class SessionsController;

// The reserved name the service reads moderators' commands from.
inline constexpr std::string_view kServiceName = "TessaryService";
// A sender's name kept from the network, and a received line's text.
inline constexpr std::size_t kChatNameLimit = 64;
inline constexpr std::size_t kChatTextLimit = 512;

class ChatView {
public:
    virtual ~ChatView() = default;
    // StringTable text `text` formatted with `arguments`, for a grey line.
    virtual std::string systemText(Text text, const std::vector<std::string>& arguments) = 0;
    // Tabs were added, removed, selected or marked, or the shown pane changed.
    virtual void showTabs() = 0;
    // A line was added to tab `tab`.
    virtual void showLine(int tab, const controls::ChatLine& line) = 0;
    // Flashes the main window when it is not active and has not been flashed
    // since it last was.
    virtual void flashWindow() = 0;
    // The ignore list of a lobby user, kept in CONFIG.INI.
    virtual controls::IgnoreList loadIgnoreList(const std::string& user) = 0;
    virtual void storeIgnoreList(const std::string& user, const controls::IgnoreList& list) = 0;
};

// The controllers the chat's commands reach; bound at construction, used
// only later (the lobby builds some of them after the chat).
struct ChatPeers {
    PlayersController& players;
    SessionsController& sessions;
    PagesController& pages;
    PlayerInfoController& playerInfo;
};

// The player's chat colour and font (CONFIG.INI "PLAYERCOLOR" and "FONT").
struct ChatLook {
    controls::ChatColour colour{controls::kWhite};
    int font{0};
};

class ChatController {
public:
    ChatController(const ClientApi& api, MessageView& messages, ChatView& view, LobbyFlow& flow,
                   const ChatPeers& peers);

    void registerWith(Dispatcher& dispatcher);

    // A grey line in the current tab.
    void systemLine(Text text, const std::string& argument = {});
    void systemLine(Text text, const std::vector<std::string>& arguments);

    // Enter in the input: chat to the current tab or a slash command.
    void enter(const std::string& input);
    void selectTab(int index);
    void closeTab(int index);  // a double click: not tab 0, not the session tab
    void closePrivate(const std::string& name);
    void openPrivate(const std::string& name);
    // Tab 1 becomes the session's (a name) or goes (empty).
    void setSessionTab(const std::string& session);
    void setPaused(bool paused);
    void setLook(const ChatLook& look) { look_ = look; }
    const ChatLook& look() const { return look_; }
    // Writes the current tab to "<tab name>.txt" (made safe) in `folder`.
    bool saveCurrentTab(const std::string& folder = ".");

    // The arena changed: lines, tabs and the session tab go.
    void reset();
    // In a new arena: the user's ignore list is read again.
    void enterArena();

    bool ignore(const std::string& name);
    bool unignore(const std::string& name);
    bool isIgnored(std::string_view name) const { return ignored_.contains(name); }
    const controls::IgnoreList& ignored() const { return ignored_; }

    controls::ChatTabs& tabs() { return tabs_; }
    const controls::ChatTabs& tabs() const { return tabs_; }

    // Seconds for the tabs' activity times (tests set a fixed clock).
    void setClock(std::function<std::int64_t()> now) { now_ = std::move(now); }

private:
    void onChat(int32_t type);
    void addLine(int tab, controls::ChatLine line);
    void send(const std::string& text);
    void command(const controls::ChatCommand& command);
    // The name as the player list writes it, or empty when not listed.
    std::string listedName(const std::string& name) const;
    void nameArenaTab();

    const ClientApi& api_;
    MessageView& messages_;
    ChatView& view_;
    LobbyFlow& flow_;
    ChatPeers peers_;
    controls::ChatTabs tabs_{""};
    bool arenaTabNamed_{false};
    controls::IgnoreList ignored_;
    std::string ignoredUser_;
    ChatLook look_;
    std::function<std::int64_t()> now_;
};

}  // namespace tessary::lobby
