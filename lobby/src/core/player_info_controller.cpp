#include "lobby/player_info_controller.h"

#include <fstream>
#include <system_error>
#include <vector>

#include "lobby/server_text.h"
#include "lobby/text_out.h"

namespace tessary::lobby {
namespace {

constexpr TextBounds kFieldBounds{1, 128};
constexpr TextBounds kDescriptionBounds{20, 120};

std::string shown(std::string_view text) { return boundedServerText(text, kFieldBounds); }

PlayerCard cardOf(const AccountRecord& record) {
    return {shown(record.name),
            shown(record.field1004),
            shown(record.field1003),
            shown(record.country),
            shown(record.field1005),
            boundedServerText(record.description, kDescriptionBounds),
            record.gender == 0 ? 'M' : 'F',
            {}};
}

}  // namespace

void PlayerInfoController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::answerCodeOf(protocol::GETPLAYERINFO), [this] { onPlayerInfo(); });
    dispatcher.on(protocol::PHOTO, [this] { onPhoto(); });
}

template <typename NextGame>
void PlayerInfoController::readGames(PlayerCard& card, NextGame next) {
    TextOut game, statistics;
    // The library's list ends; a hostile one must still not fill the screen.
    constexpr int kMaxGames = 64;
    for (int i = 0; i < kMaxGames && next(game.data(), statistics.data()) != 0; ++i) {
        card.games.emplace_back(view_.gameTitle(shown(game.text())), shown(statistics.text()));
    }
}

void PlayerInfoController::showOwnInfo(const AccountRecord& record) {
    view_.showOwnPhoto({});
    model_.own = cardOf(record);
    readGames(model_.own, api_.TSRouterRcv_GetNextGame);
    view_.showOwnInfo(model_.own);
}

void PlayerInfoController::askPlayerInfo(const std::string& name) {
    // Only an Arena answers: elsewhere the wait cursor would wait for nothing.
    if (flow_.state() != LobbyState::InArena || name.empty()) return;
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::GETPLAYERINFO));
    api_.TSArenaSend_GetPlayerInfo(name.c_str());
}

void PlayerInfoController::onPlayerInfo() {
    char result = 0;
    TextOut error, name, f1004, f1003, country, f1005, description;
    uint8_t gender = 0;
    int32_t photo = 0;
    if (api_.TSArenaRcv_PlayerInfoResult(&result, error.data(), name.data(), f1004.data(),
                                         f1003.data(), country.data(), f1005.data(),
                                         description.data(), &gender, &photo) == 0 ||
        result != kAnswerSuccess) {
        return;
    }
    auto card = cardOf({name.field(kNameLimit), f1004.field(kField1004Limit),
                        f1003.field(kField1003Limit), country.field(kCountryLimit),
                        f1005.field(kField1005Limit), description.field(kDescriptionLimit), gender,
                        photo});
    readGames(card, api_.TSArenaRcv_GetNextGame);
    view_.showPlayerInfo(card);
}

void PlayerInfoController::onPhoto() {
    int32_t size = 0;
    if (flow_.state() == LobbyState::InArena) {
        TextOut owner;
        if (api_.TSArenaRcv_GetPhotoSize(&size, owner.data()) == 0) return;
        const auto name = shown(owner.field(kNameLimit));
        // A photo for a window closed meanwhile is dropped.
        if (!view_.playerInfoOpen(name)) return;
        view_.showPlayerPhoto(name, readPhoto(size, kArenaPhotoFile, true));
        return;
    }
    if (api_.TSRouterRcv_GetPhotoSize(&size) == 0) return;
    view_.showOwnPhoto(readPhoto(size, kRouterPhotoFile, false));
}

PhotoSource PlayerInfoController::readPhoto(int32_t size, std::string_view file, bool arena) {
    const auto readBytes = arena ? api_.TSArenaRcv_Photo : api_.TSRouterRcv_Photo;
    if (size < kStockPhotoSize) {
        int32_t number = 0;
        if (readBytes(&number) == 0) return {};
        return {number, {}};
    }
    if (size > kMaxReceivedPhoto) return {};
    std::vector<char> bytes(static_cast<std::size_t>(size));
    if (readBytes(bytes.data()) == 0) return {};
    auto path = view_.photoFile(file);
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return {};
    return {0, path};
}

}  // namespace tessary::lobby
