#include "slimefray/client_game.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <utility>

#include "platform/user_folders.h"

namespace tessary::slimefray {

ClientGame::ClientGame(GameEvents& events, std::filesystem::path gameDirectory)
    : events_(events), gameDirectory_(std::move(gameDirectory)) {}

void ClientGame::updatePlayersLine() {
    char line[64];
    std::snprintf(line, sizeof line, "%d/%d Players Connected", connectedPlayers_, expectedPlayers_);
    events_.playersLine(line);
}

void ClientGame::ownId(uint16_t id, int playerCount) {
    myId_ = id;
    expectedPlayers_ = playerCount;
    if (started_) return;
    ++connectedPlayers_;
    updatePlayersLine();
}

void ClientGame::playerJoined() {
    if (started_) return;
    ++connectedPlayers_;
    updatePlayersLine();
}

void ClientGame::playerLeft() {
    if (started_) return;
    --connectedPlayers_;
    --expectedPlayers_;
    updatePlayersLine();
}

void ClientGame::rejoin() {
    outbox_.clear();  // asked on the lost link: the state that comes decides again
    controller_.reset();
    panel_ = PowerPanel{};
    clock_.stop();
    slotGone_.fill(false);
    slotNames_.fill({});
    pendingMap_.reset();
    events_.changed();
}

bool ClientGame::newMaster(uint16_t id) {
    if (id != myId_ || started_) return false;
    master_ = true;
    uploadMap();
    return true;
}

void ClientGame::uploadMap() {
    std::optional<MapData> map;
    if (auto path = mapPath(gameDirectory_, options_.mapName)) map = readMapFile(*path);
    if (!map) {
        outbox_.push_back({Request::To::EveryoneWithEcho, kMapMissing, {}});
        return;
    }
    GameDescription description{map->side, options_.optionC, expectedPlayers_, options_.optionA,
                                options_.optionB, options_.optionE};
    outbox_.push_back({Request::To::Server, kGameDescription, description.encode()});
    outbox_.push_back({Request::To::Server, kMap, map->columns});
}

std::vector<Request> ClientGame::takeRequests() { return std::exchange(outbox_, {}); }

void ClientGame::receive(uint16_t sender, uint8_t type, std::span<const uint8_t> body, int64_t nowMs) {
    switch (type) {
        case kChat: takeChat(sender, body); break;
        case kMap: takeMap(body); break;
        case kThemePicture1:
        case kThemePicture2:
        case kThemePicture3: takeThemePicture(type - kThemePicture1, body); break;
        case kTurn:
            if (over_ || controller_.mySlot() < 0) return refuse("turn without a slot");
            controller_.beginMyTurn();
            events_.myTurnBegan();
            break;
        case kMove: takeMove(body); break;
        case kSlot: {
            auto slot = readInt32s(body, 1);
            if (!slot || (*slot)[0] < 0 || (*slot)[0] >= kMaxSlots) return refuse("bad slot");
            controller_.setMySlot((*slot)[0]);
            events_.slotAssigned((*slot)[0]);
            break;
        }
        case kSlotName: {
            auto named = decodeSlotName(body);
            if (!named || named->slot < 0 || named->slot >= kMaxSlots) return refuse("bad slot name");
            slotNames_[size_t(named->slot)] = std::move(named->text);
            break;
        }
        case kTurnBegins: {
            auto turn = readInt32s(body, 2);
            if (!turn) return refuse("short turn message");
            clock_.begin((*turn)[1], (*turn)[0], nowMs);
            started_ = true;
            events_.turnBegan((*turn)[1]);
            break;
        }
        case kSlotLeft: {
            auto slot = readInt32s(body, 1);
            if (!slot || (*slot)[0] < 0 || (*slot)[0] >= kMaxSlots) return;
            slotGone_[size_t((*slot)[0])] = true;
            events_.slotLeft((*slot)[0]);
            break;
        }
        case kGameOver:
            over_ = true;
            clock_.stop();
            events_.gameOver();
            break;
        case kClockMode: {
            auto flag = readInt32s(body, 1);
            if (!flag) return refuse("short clock mode");
            clockMode_ = (*flag)[0] != 0;
            break;
        }
        case kPower: takePower(body); break;
        case kObstacleAnimation: {
            auto number = readInt32s(body, 1);
            if (!number) return refuse("short animation number");
            obstacleAnimation_ = (*number)[0];
            events_.obstacleAnimation(obstacleAnimation_);
            break;
        }
        case kMapMissing: events_.quit("", 0); return;
        case kHeldPowers: {
            auto held = readInt32s(body, kPowerKinds);
            if (!held) return refuse("short power list");
            panel_ = PowerPanel{};
            for (int kind = 0; kind < kPowerKinds; ++kind)
                if ((*held)[size_t(kind)] != 0) panel_.gain(kind);
            break;
        }
        case kThemeList: takeThemeList(body); break;
        case kBlob:
        case kItem:
        case kMineArmed:
        case kBackToFloor:
        case kShielded:
        case kShieldOff: takeCellMessage(type, body); break;
        default: return refuse("unknown game message");
    }
    events_.changed();
}

void ClientGame::takeChat(uint16_t sender, std::span<const uint8_t> body) {
    auto line = decodeChat(body);
    if (!line) return refuse("short chat line");
    std::string name = nameOf_ ? nameOf_(sender) : std::string();
    events_.chatLine("<" + name + "> " + line->text, line->slot);
}

void ClientGame::takeMap(std::span<const uint8_t> body) {
    auto side = BoardModel::sideOfMap(body.size());
    if (!side) return refuse("map side above 50 or empty");
    const size_t cells = size_t(*side) * size_t(*side);
    pendingMap_ = MapData{*side, Bytes(body.begin(), body.begin() + std::ptrdiff_t(cells))};
}

void ClientGame::takeThemePicture(int index, std::span<const uint8_t> body) {
    auto image = decodePicture(body);
    if (!image) {
        static const char* const kMessages[] = {"Background #1 is not accesible", "Background #2 is not accesible",
                                                ""};
        events_.quit(kMessages[index], index == 2 ? 0 : 1);
        return;
    }
    themes_[size_t(index)] = std::move(image);
    if (index != 2) return;
    if (!pendingMap_ || !board_.setTiles(pendingMap_->side, pendingMap_->columns)) {
        return refuse("theme before the map");
    }
    boardBuilt_ = true;
    events_.boardBuilt();
    events_.playSound("sounds/intro.wav");
}

void ClientGame::takeMove(std::span<const uint8_t> body) {
    auto move = MoveRecord::decode(body);
    if (!move) return refuse("move body is not 96 bytes");
    if (!board_.inside(move->fromX, move->fromY) || !board_.inside(move->toX, move->toY) || move->slot < 0 ||
        move->slot >= kMaxSlots) {
        return refuse("move outside the board");
    }
    const int8_t mover = int8_t(move->slot);
    BoardCell& target = board_.at(move->toX, move->toY);
    if (target.item != kNoItem) {
        int kind = target.item;
        target.item = kNoItem;
        if (mover == controller_.mySlot()) {
            panel_.gain(kind);
            events_.playSound("sounds/power.wav");
        }
    }
    if (move->jump) board_.removeBlob(move->fromX, move->fromY);
    if (move->destroyed) {
        board_.removeBlob(move->toX, move->toY);
        events_.playSound("sounds/mineboom.wav");
    } else {
        board_.placeBlob(move->toX, move->toY, mover);
    }
    MoveShown shown{*move, {}, {}};
    for (const CellRef& cell : move->converted) {
        if (!board_.inside(cell.x, cell.y)) continue;
        shown.converted.push_back(cell);
        shown.previousOwners.push_back(board_.at(cell.x, cell.y).blob);
        board_.placeBlob(cell.x, cell.y, mover);
    }
    if (move->teleport) events_.playSound("sounds/tele.wav");
    events_.moveShown(shown);
}

void ClientGame::takePower(std::span<const uint8_t> body) {
    auto power = PowerRecord::decode(body);
    if (!power) return refuse("power body is not 48 bytes");
    if (!board_.inside(power->x, power->y)) return refuse("power outside the board");
    const CellRef at{power->x, power->y};
    switch (power->code) {
        case powerCode(Power::Kamikaze): {
            std::vector<CellRef> blown;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    int x = at.x + dx, y = at.y + dy;
                    if (!board_.inside(x, y) || power->flags[size_t((dy + 1) * 3 + dx + 1)] != 0) continue;
                    if (board_.at(x, y).blob == kNoBlob) continue;
                    board_.removeBlob(x, y);
                    blown.push_back({x, y});
                }
            }
            events_.playSound("sounds/explo.wav");
            events_.explosion(blown);
            break;
        }
        case powerCode(Power::Cyclone): {
            if (power->flags[0] != 0) break;
            BoardCell& cell = board_.at(at.x, at.y);
            board_.removeBlob(at.x, at.y);
            cell.item = kNoItem;
            cell.tile = kDebris;
            events_.playSound("sounds/cyclone.wav");
            events_.cyclone(at);
            break;
        }
        case powerCode(Power::Hyper):
            if (board_.at(at.x, at.y).isSlotBlob()) board_.at(at.x, at.y).shielded = true;
            events_.playSound("sounds/shield.wav");
            events_.shieldFlash(at);
            break;
        default: break;
    }
}

void ClientGame::takeThemeList(std::span<const uint8_t> body) {
    std::vector<std::string> names = decodeThemeList(body);
    // An installed game keeps the list in the player's cache instead.
    themeNames_ = mirrorThemeNames(platform::cachePath(std::filesystem::absolute(gameDirectory_ / "theme")), names);
    if (themeNames_.size() != names.size()) refuse("theme names that cannot be file names were skipped");
}

void ClientGame::takeCellMessage(uint8_t type, std::span<const uint8_t> body) {
    const size_t count = (type == kBackToFloor || type == kShieldOff || type == kShielded) ? 2 : 3;
    auto values = readInt32s(body, count);
    if (!values) return refuse("short cell message");
    const int x = (*values)[0], y = (*values)[1];
    if (!board_.inside(x, y)) return refuse("cell outside the board");
    BoardCell& cell = board_.at(x, y);
    switch (type) {
        case kBlob:
            if ((*values)[2] < 0 || (*values)[2] >= kMaxSlots) return refuse("blob of no slot");
            board_.placeBlob(x, y, int8_t((*values)[2]));
            break;
        case kItem: {
            auto power = powerFromCode((*values)[2]);
            if (!power) return refuse("unknown item");
            cell.item = int8_t(*power);
            break;
        }
        case kMineArmed:
            board_.placeBlob(x, y, kMineBlob);
            events_.playSound("sounds/minearm.wav");
            break;
        case kBackToFloor: cell.tile = kFloor; break;
        case kShieldOff: cell.shielded = false; break;
        case kShielded:
            if (cell.isSlotBlob()) cell.shielded = true;
            break;
        default: break;
    }
}

int32_t ClientGame::endValue(int64_t nowMs) const {
    return clockMode_ ? std::max(0, clock_.remaining(nowMs)) : 0;
}

void ClientGame::endMyTurn(int64_t nowMs) {
    (void)nowMs;
    if (!clockMode_) clock_.stop();
    events_.myTurnEnded();
}

void ClientGame::clickCell(int x, int y, int64_t nowMs) {
    if (over_) return;
    const bool wasMyTurn = controller_.myTurn();
    controller_.clickCell(x, y, animating_, endValue(nowMs));
    if (wasMyTurn && !controller_.myTurn()) endMyTurn(nowMs);
    events_.changed();
}

void ClientGame::clickPowerSquare() {
    if (over_) return;
    controller_.clickPowerSquare(animating_);
    events_.changed();
}

void ClientGame::nextPower() {
    panel_.next();
    events_.changed();
}

void ClientGame::previousPower() {
    panel_.previous();
    events_.changed();
}

void ClientGame::endTurnCommand(int64_t nowMs) {
    if (over_ || !controller_.myTurn()) return;
    controller_.endTurnCommand(animating_, endValue(nowMs));
    if (!controller_.myTurn()) endMyTurn(nowMs);
    events_.changed();
}

void ClientGame::clockTick(int64_t nowMs) {
    if (!clock_.running() || over_) return;
    if (clock_.slot() == controller_.mySlot() && clock_.remaining(nowMs) < 0 && controller_.myTurn()) {
        controller_.endTurn(0);
        endMyTurn(nowMs);
        events_.changed();
    }
}

std::string ClientGame::clockText(int64_t nowMs) const {
    return clock_.running() ? formatClock(clock_.remaining(nowMs)) : std::string();
}

void ClientGame::sendChat(std::string_view text) {
    if (text.empty()) return;
    outbox_.push_back({Request::To::EveryoneWithEcho, kChat, encodeChat(controller_.mySlot(), text)});
}

std::vector<std::string> mirrorThemeNames(const std::filesystem::path& directory,
                                          const std::vector<std::string>& names) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(directory, error);
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        if (entry.is_regular_file()) fs::remove(entry.path(), error);
    }
    std::vector<std::string> written;
    for (const std::string& name : names) {
        if (!isSafeFileName(name)) continue;
        std::ofstream(directory / name, std::ios::trunc);
        written.push_back(name);
    }
    return written;
}

}  // namespace tessary::slimefray
