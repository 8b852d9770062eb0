#include "slimefray/referee.h"

#include <algorithm>
#include <cctype>

namespace tessary::slimefray {
namespace {

Outcome refused(std::string why) {
    Outcome outcome;
    outcome.refusal = std::move(why);
    return outcome;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
           });
}

}  // namespace

Referee::Referee(RefereeSettings settings) : settings_(std::move(settings)), botRandom_(settings_.seed) {
    std::erase_if(settings_.themes, [](const Theme& t) { return !isSafeFileName(t.name); });
    if (settings_.themes.empty()) settings_.themes.push_back(fallbackTheme());
}

bool Referee::handles(uint8_t type) {
    return type == kGameDescription || type == kMap || type == kTurn || type == kMove || type == kPower;
}

Referee::Member* Referee::member(uint16_t id) {
    auto it = std::find_if(members_.begin(), members_.end(),
                           [&](const Member& m) { return m.id == id && m.present; });
    return it == members_.end() ? nullptr : &*it;
}

int Referee::slotOf(uint16_t id) const {
    for (const Member& m : members_) {
        if (m.id == id && m.present) return m.slot;
    }
    return kNoSlot;
}

int Referee::presentPlayers() const {
    return int(std::count_if(members_.begin(), members_.end(), [](const Member& m) { return m.present && !m.spectator; }));
}

const Theme& Referee::theme() const {
    if (description_) {
        for (const Theme& t : settings_.themes) {
            if (sameName(t.name, description_->name)) return t;
        }
    }
    return settings_.themes.front();
}

std::vector<std::string> Referee::themeFileNames() const {
    std::vector<std::string> names;
    for (const Theme& t : settings_.themes) names.push_back(t.name + ".thm");
    return names;
}

void Referee::masterChanged(uint16_t id) { master_ = id; }

Outcome Referee::playerJoined(uint16_t id, std::string_view name, int64_t nowMs, bool spectator) {
    Outcome outcome;
    if (member(id)) return refused("player already in the session");
    members_.push_back({id, std::string(name), kNoSlot, true, false, spectator});
    if (game_) {
        greet(members_.back(), outcome);  // a spectator from now on
        Outbox box;
        game_->describe(kMaxSlots, nowMs, box);
        for (SlotMessage& m : box) outcome.messages.push_back({id, m.type, std::move(m.body)});
    } else {
        maybeStart(nowMs, outcome);
    }
    return outcome;
}

Outcome Referee::playerLeft(uint16_t id, int64_t nowMs) {
    Member* leaving = member(id);
    if (!leaving) return refused("unknown player");
    leaving->present = false;
    Outcome outcome;
    if (game_ && leaving->slot != kNoSlot) {
        Outbox box;
        game_->leave(leaving->slot, nowMs, box);
        deliver(box, outcome);
    }
    return outcome;
}

bool Referee::keepsSeat(uint16_t id) const {
    if (!game_ || game_->over()) return false;
    const int slot = slotOf(id);
    return slot != kNoSlot && game_->isActive(slot);
}

void Referee::playerAway(uint16_t id) {
    if (Member* m = member(id); m && m->slot != kNoSlot) m->away = true;
}

Outcome Referee::playerReturned(uint16_t id, int64_t nowMs) {
    Member* back = member(id);
    if (!back || !back->away || !game_) return refused("no seat kept for that player");
    back->away = false;
    Outcome outcome;
    greet(*back, outcome);
    Outbox box;
    game_->describe(back->slot, nowMs, box);
    game_->describeOwn(back->slot, box);
    if (!game_->over() && game_->currentSlot() == back->slot) box.push_back({back->slot, kTurn, {}});
    for (SlotMessage& m : box) outcome.messages.push_back({id, m.type, std::move(m.body)});
    return outcome;
}

Outcome Referee::receive(uint16_t from, uint8_t type, std::span<const uint8_t> body, int64_t nowMs) {
    if (!member(from)) return refused("message from a player outside the session");
    switch (type) {
        case kGameDescription: return takeDescription(from, body, nowMs);
        case kMap: return takeMap(from, body, nowMs);
        default: break;
    }
    if (!game_) return refused("the game has not started");
    int slot = slotOf(from);
    if (slot == kNoSlot) return refused("a spectator cannot play");
    Outbox box;
    Verdict verdict;
    if (type == kMove) {
        auto move = MoveRecord::decode(body);
        if (!move) return refused("move body is not 96 bytes");
        verdict = game_->move(slot, *move, nowMs, box);
    } else if (type == kPower) {
        auto power = PowerRecord::decode(body);
        if (!power) return refused("power body is not 48 bytes");
        verdict = game_->usePower(slot, *power, nowMs, box);
    } else if (type == kTurn) {
        if (body.size() != 4) return refused("end of turn body is not 4 bytes");
        verdict = game_->endTurn(slot, readInt32(body, 0), nowMs, box);
    } else {
        return refused("not a message for the referee");
    }
    Outcome outcome;
    deliver(box, outcome);
    outcome.refusal = verdict.reason;
    return outcome;
}

Outcome Referee::takeDescription(uint16_t from, std::span<const uint8_t> body, int64_t nowMs) {
    if (game_) return refused("the game has already started");
    if (master_ && *master_ != from) return refused("only the master describes the game");
    auto description = GameDescription::decode(body);
    if (!description) return refused("game description is not 48 bytes with a name");
    if (description->side < 2 || description->side > kMaxSide) return refused("map side out of range");
    master_ = from;
    description_ = description;
    map_.reset();
    (void)nowMs;
    return {};
}

Outcome Referee::takeMap(uint16_t from, std::span<const uint8_t> body, int64_t nowMs) {
    if (game_) return refused("the game has already started");
    if (!description_) return refused("map before the game description");
    if (master_ && *master_ != from) return refused("only the master sends the map");
    auto board = Board::fromColumns(description_->side, body);
    if (!board) return refused("map shorter than its side squared");
    if (board->floorCount() == 0) return refused("map without floor");
    map_ = std::move(board);
    mapArrivedMs_ = nowMs;
    Outcome outcome;
    maybeStart(nowMs, outcome);
    return outcome;
}

void Referee::maybeStart(int64_t nowMs, Outcome& outcome) {
    if (game_ || !map_ || presentPlayers() == 0) return;
    int expected = std::clamp(description_->expectedPlayers, 1, kMaxSlots);
    if (presentPlayers() >= expected || nowMs - mapArrivedMs_ >= settings_.startWaitMs) start(nowMs, outcome);
}

void Referee::start(int64_t nowMs, Outcome& outcome) {
    GameSettings rules = settings_.rules;
    rules.clockMode = description_->optionA != 0;
    if (description_->optionB > 0) rules.secondsPerTurn = std::clamp(description_->optionB, 5, 3600);
    static constexpr int kItemEvery[] = {0, 4, 2};
    rules.itemEvery = kItemEvery[std::clamp(description_->optionE, 0, 2)];

    int slots = 0;
    for (Member& m : members_) {
        if (m.present && !m.spectator && slots < kMaxSlots) m.slot = slots++;
    }
    firstBotSlot_ = slots;
    slots += std::clamp(settings_.bots, 0, kMaxSlots - slots);
    game_.emplace(std::move(*map_), slots, rules, settings_.seed);
    map_.reset();
    for (const Member& m : members_) {
        if (m.present) greet(m, outcome);
    }
    Outbox box;
    game_->start(nowMs, box);
    deliver(box, outcome);
}

void Referee::greet(const Member& member, Outcome& outcome) const {
    const Theme& t = theme();
    auto send = [&](uint8_t type, Bytes body) { outcome.messages.push_back({member.id, type, std::move(body)}); };
    send(kThemeList, encodeThemeList(themeFileNames()));
    send(kClockMode, int32Body({description_->optionA != 0 ? 1 : 0}));
    send(kMap, game_->board().columns());
    send(kThemePicture1, t.pictures[0]);
    send(kThemePicture2, t.pictures[1]);
    send(kThemePicture3, t.pictures[2]);
    if (member.slot != kNoSlot) send(kSlot, int32Body({member.slot}));
    for (int slot = 0; slot < game_->slotCount(); ++slot) send(kSlotName, encodeSlotName(slot, slotName(slot)));
    send(kObstacleAnimation, int32Body({t.animation}));
}

void Referee::deliver(const Outbox& box, Outcome& outcome) const {
    for (const SlotMessage& m : box) {
        if (m.slot == SlotMessage::kEveryone) {
            outcome.messages.push_back({kToEveryone, m.type, m.body});
            continue;
        }
        for (const Member& member : members_) {
            if (member.present && member.slot == m.slot) outcome.messages.push_back({member.id, m.type, m.body});
        }
    }
}

Outcome Referee::tick(int64_t nowMs) {
    Outcome outcome;
    if (!game_) {
        maybeStart(nowMs, outcome);
        return outcome;
    }
    Outbox box;
    game_->tick(nowMs, box);
    // With no delay several bots may move in a row; each turn passes the move
    // on, so one round of slots is the most one tick can owe.
    for (int turns = 0; turns < kMaxSlots; ++turns) {
        if (botToMove() && nowMs >= botMoveAtMs()) {
            (void)playBotTurn(*game_, settings_.botLevel, botRandom_, nowMs, box);
        } else if (awayToMove()) {
            (void)game_->endTurn(game_->currentSlot(), 0, nowMs, box);
        } else {
            break;
        }
    }
    deliver(box, outcome);
    return outcome;
}

bool Referee::botToMove() const {
    if (!game_ || game_->over() || game_->currentSlot() == kNoSlot) return false;
    if (game_->currentSlot() >= firstBotSlot_) return true;
    return settings_.bots > 0 && slotAway(game_->currentSlot());
}

// An away player's turn that no computer player takes over is passed.
bool Referee::awayToMove() const {
    if (!game_ || game_->over() || game_->currentSlot() == kNoSlot || settings_.bots > 0) return false;
    return slotAway(game_->currentSlot());
}

bool Referee::slotAway(int slot) const {
    return std::any_of(members_.begin(), members_.end(),
                       [&](const Member& m) { return m.present && m.away && m.slot == slot; });
}

int64_t Referee::botMoveAtMs() const {
    int64_t delay = std::clamp<int64_t>(settings_.botDelayMs, 0, int64_t(game_->turnSeconds()) * 500);
    return game_->turnStartMs() + delay;
}

std::optional<int64_t> Referee::nextDeadline() const {
    if (!game_) {
        if (map_) return mapArrivedMs_ + settings_.startWaitMs;
        return std::nullopt;
    }
    if (game_->over() || game_->currentSlot() == kNoSlot) return std::nullopt;
    if (awayToMove()) return game_->turnStartMs();
    if (botToMove()) return std::min(botMoveAtMs(), game_->turnDeadline());
    return game_->turnDeadline();
}

std::vector<int> Referee::computerSlots() const {
    std::vector<int> slots;
    for (int slot = firstBotSlot_; game_ && slot < game_->slotCount(); ++slot) slots.push_back(slot);
    return slots;
}

std::string Referee::slotName(int slot) const {
    if (!game_ || slot < 0 || slot >= game_->slotCount()) return {};
    if (slot >= firstBotSlot_) return "Bot " + std::to_string(slot - firstBotSlot_ + 1);
    // A departed player keeps its name: the panel still shows whose slot left.
    for (const Member& m : members_) {
        if (m.slot == slot) return m.name;
    }
    return {};
}

std::vector<PlayerResult> Referee::results() const {
    std::vector<PlayerResult> results;
    if (!finished()) return results;
    for (const SlotResult& r : game_->results()) {
        for (const Member& m : members_) {
            if (m.slot != r.slot) continue;
            results.push_back({m.id, m.name, r.slot, r.blobs, r.rank, r.winner, r.left, game_->slotCount()});
            break;
        }
    }
    return results;
}

}  // namespace tessary::slimefray
