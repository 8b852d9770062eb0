// Information on players: the own information panel (the account card of
// type 26, read by the account controller and handed here), the Arena's
// answer about another player (type 25), photos (type 207) and the stock
// photo chooser's model.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_flow.h"
#include "lobby/account_form.h"

namespace tessary::lobby {

// A received photo smaller than this is a stock picture's number.
inline constexpr int32_t kStockPhotoSize = 5;
// Larger photos are not read: a custom photo is uploaded at most at 20 KiB.
inline constexpr int32_t kMaxReceivedPhoto = 256 * 1024;
inline constexpr std::string_view kRouterPhotoFile = "photo.jpg";
inline constexpr std::string_view kArenaPhotoFile = "infophoto.jpg";
inline constexpr std::string_view kPlayerInfoTitle = "Playerinfo: ";

// What to show as a photo: a stock picture, a received JPEG file (decoded
// by the view's bounded reader, the default photo when it fails), or the
// default photo when neither.
struct PhotoSource {
    int32_t stock{0};
    std::filesystem::path file;

    bool operator==(const PhotoSource&) const = default;
};

// A player's details and game rows (label, value), bounded for display.
struct PlayerCard {
    std::string name, email, realName, country, homePage, description;
    char gender{'M'};
    std::vector<std::pair<std::string, std::string>> games;
};

class PlayerInfoView {
public:
    virtual ~PlayerInfoView() = default;
    // The router view's own information panel.
    virtual void showOwnInfo(const PlayerCard& card) = 0;
    virtual void showOwnPhoto(const PhotoSource& photo) = 0;
    // The information window titled kPlayerInfoTitle + name.
    virtual void showPlayerInfo(const PlayerCard& card) = 0;
    virtual bool playerInfoOpen(const std::string& name) = 0;
    virtual void showPlayerPhoto(const std::string& name, const PhotoSource& photo) = 0;
    // Where a received photo is written (the user's cache folder).
    virtual std::filesystem::path photoFile(std::string_view name) = 0;
    // The full name of a game of the catalogue, or `label` as it is.
    virtual std::string gameTitle(const std::string& label) = 0;
};

// The stock photo chooser: back and next wrap around 1..count.
struct StockPhotoChoice {
    int32_t count{1};
    int32_t current{1};

    void next() { current = current % count + 1; }
    void back() { current = (current + count - 2) % count + 1; }
    // Left, middle and right pictures.
    std::array<int32_t, 3> shown() const {
        auto left = *this, right = *this;
        left.back(), right.next();
        return {left.current, current, right.current};
    }
};

struct PlayerInfoModel {
    PlayerCard own;
};

class PlayerInfoController {
public:
    PlayerInfoController(const ClientApi& api, LobbyFlow& flow, PlayerInfoView& view)
        : api_(api), flow_(flow), view_(view) {}

    void registerWith(Dispatcher& dispatcher);

    // The account card just read from type 26 (not while modifying).
    void showOwnInfo(const AccountRecord& record);
    // Opens the information window of `name` (the player menu, "WHOIS"):
    // asks the Arena; the window opens on its answer (25) and the photo
    // follows (207). Nothing happens outside an Arena or without a name.
    void askPlayerInfo(const std::string& name);

    const PlayerInfoModel& model() const { return model_; }

private:
    void onPlayerInfo();
    void onPhoto();
    PhotoSource readPhoto(int32_t size, std::string_view file, bool arena);
    template <typename NextGame>
    void readGames(PlayerCard& card, NextGame next);

    const ClientApi& api_;
    LobbyFlow& flow_;
    PlayerInfoView& view_;
    PlayerInfoModel model_;
};

}  // namespace tessary::lobby
