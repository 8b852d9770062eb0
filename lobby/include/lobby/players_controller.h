// The arena view's player list: who is in the arena, their ping class and
// session (types 22, 6, 11 and 54), the sorting headers, and the menu of a
// player's row.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/player_rows.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_view.h"
#include "lobby/text.h"

namespace tessary::lobby {

class ChatController;
class LobbyFlow;
class PagesController;
class PlayerInfoController;
class SessionsController;

// More rows than an Arena admits players are not kept.
inline constexpr int kMaxPlayerRows = 10000;

// The player menu's commands (and the header buttons').
enum PlayerCommand : int {
    kSortByName = 126,
    kSortBySession = 127,
    kMenuInformation = 32784,
    kMenuAddBuddy = 123,
    kMenuPrivateChat = 32786,
    kMenuClosePrivateChat = 136,
    kMenuPage = 132,
    kMenuJoinSession = 32785,
    kMenuIgnore = 32790,
    kMenuUnignore = 32791,
};

struct PlayerMenuItem {
    int command;
    std::string text;  // the StringTable text with the player's name
};

struct PlayersModel {
    controls::PlayerRows rows;
};

class PlayersView {
public:
    virtual ~PlayersView() = default;
    // The player list and the session panel made ready for a new arena.
    virtual void prepareArena() = 0;
    // The rows changed (added, removed, sorted, a ping or session changed).
    virtual void showPlayers() = 0;
    // StringTable text `text` formatted with a player's name, for a menu item.
    virtual std::string menuText(Text text, const std::string& name) = 0;
};

struct PlayersPeers {
    ChatController& chat;
    SessionsController& sessions;
    PagesController& pages;
    PlayerInfoController& playerInfo;
};

class PlayersController {
public:
    PlayersController(const ClientApi& api, MessageView& messages, PlayersView& view, LobbyFlow& flow,
                      const PlayersPeers& peers)
        : api_(api), messages_(messages), view_(view), flow_(flow), peers_(peers) {}

    void registerWith(Dispatcher& dispatcher);

    void enterArena();
    const PlayersModel& model() const { return model_; }

    // The header buttons.
    void sortBy(controls::PlayerSort column);
    // A double click: the private tab of anyone but oneself.
    void activate(int row);
    // The right click's menu for `row` (-1: none selected), and its commands.
    std::vector<PlayerMenuItem> menuFor(int row) const;
    void runMenuCommand(int command, int row);

    // A session list marks many members at once: while held, the order is
    // restored and the list shown once, when the last hold ends.
    class OrderHold {
    public:
        explicit OrderHold(PlayersController* players) : players_(players) {
            if (players_ != nullptr && players_->orderHolds_++ == 0) players_->orderHeld();
        }
        ~OrderHold() {
            if (players_ != nullptr && --players_->orderHolds_ == 0) players_->orderReleased();
        }
        OrderHold(const OrderHold&) = delete;
        OrderHold& operator=(const OrderHold&) = delete;

    private:
        PlayersController* players_;
    };

    // For the sessions: a player's session and role flags (empty, 0: none).
    void setPlayerSession(const std::string& name, const std::string& session, int flags);
    // Marks the players of `session` highlighted, the others not.
    void highlightSession(const std::string& session);

private:
    void onList();
    void onNew();
    void onRemoved();
    void onUpdate();
    std::string readName(const char* buffer) const;
    bool isOwn(const controls::PlayerRow& row) const;

    const ClientApi& api_;
    MessageView& messages_;
    PlayersView& view_;
    LobbyFlow& flow_;
    PlayersPeers peers_;
    PlayersModel model_;
    int orderHolds_{0};
    bool orderStale_{false};
    // While the order is held rows do not move: each name's row, found once.
    std::unordered_map<std::string, int> heldRows_;

    void orderHeld();
    void orderReleased();
};

}  // namespace tessary::lobby
