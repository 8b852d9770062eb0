#include "slimefray_logic.h"

#include <algorithm>
#include <random>

#include "slimefray/referee.h"
#include "slimefray/session_options.h"

namespace tessary::server {
namespace {

// The themes beside tessaryd, read once; every table plays its own draw.
// The computer players come from the session's option line.
slimefray::RefereeSettings refereeSettings(const TableSetup& setup) {
    static const std::vector<slimefray::Theme> themes = slimefray::loadThemes(slimefray::defaultThemeDirectory());
    slimefray::RefereeSettings settings;
    settings.themes = themes;
    settings.seed = std::random_device{}();
    const slimefray::SessionOptions options = slimefray::parseOptionLine(setup.options);
    settings.bots = std::clamp(options.computerPlayers, 0, slimefray::kMaxSlots - 1);
    settings.botLevel = options.computerLevel == 1 ? slimefray::BotLevel::Lookahead : slimefray::BotLevel::Greedy;
    settings.botDelayMs = setup.computerDelayMs;
    return settings;
}

class SlimefrayLogic final : public GameLogic {
public:
    explicit SlimefrayLogic(GameTable& table) : table_(table), referee_(refereeSettings(table.setup())) {}

    void playerJoined(PlayerId id, std::string_view name, bool spectator, int64_t nowMs) override {
        send(referee_.playerJoined(id, name, nowMs, spectator));
    }
    void playerLeft(PlayerId id, int64_t nowMs) override { send(referee_.playerLeft(id, nowMs)); }
    void masterChanged(PlayerId id) override { referee_.masterChanged(id); }
    void receive(PlayerId from, uint8_t type, std::span<const uint8_t> body, int64_t nowMs) override {
        if (slimefray::Referee::handles(type)) send(referee_.receive(from, type, body, nowMs));
    }
    void tick(int64_t nowMs) override { send(referee_.tick(nowMs)); }
    bool keepsSeat(PlayerId id) const override { return referee_.keepsSeat(id); }
    void playerAway(PlayerId id, int64_t nowMs) override {
        referee_.playerAway(id);
        send(referee_.tick(nowMs));  // an away player's turn is passed or played at once
    }
    void playerReturned(PlayerId id, int64_t nowMs) override { send(referee_.playerReturned(id, nowMs)); }

private:
    void send(const slimefray::Outcome& outcome) {
        // The programs learn the computer players' names as they learn a
        // player's, once the start has seated them; the referee's slot names
        // (type 33) use the same names.
        if (referee_.started() && !computersNamed_) {
            computersNamed_ = true;
            for (int slot : referee_.computerSlots()) table_.addComputerPlayer(referee_.slotName(slot));
        }
        for (const slimefray::Outgoing& message : outcome.messages) {
            if (message.to == slimefray::kToEveryone) table_.sendToAll(message.type, message.body);
            else table_.sendToPlayer(message.to, message.type, message.body);
        }
        if (referee_.finished() && !resultsStored_) {
            resultsStored_ = true;
            for (const slimefray::PlayerResult& result : referee_.results())
                if (result.winner) table_.recordWin(result.id);
            // Every slot, computer players too, as blobs at the end.
            std::string standings;
            for (const slimefray::SlotResult& result : referee_.game()->results()) {
                standings += (standings.empty() ? "" : ", ") + referee_.slotName(result.slot) + " " +
                             std::to_string(result.blobs) + (result.winner ? " (won)" : "") +
                             (result.left ? " (left)" : "");
            }
            table_.note("game over: " + standings);
        }
    }

    GameTable& table_;
    slimefray::Referee referee_;
    bool resultsStored_ = false;
    bool computersNamed_ = false;
};

}  // namespace

std::unique_ptr<GameLogic> makeSlimefrayLogic(GameTable& table) { return std::make_unique<SlimefrayLogic>(table); }

}  // namespace tessary::server
