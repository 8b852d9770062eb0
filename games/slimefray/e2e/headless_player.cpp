// A Slimefray player without a window, for the end-to-end tests: the program's
// model and network play over the real game library, driven by a scripted
// player. It writes what it sees to a trace file:
//   slot <s>               its slot
//   turn <slot> <board>    the public board when a turn begins
//   over <board>           the public board at the end
//   quit <code> <message>  when the program had to end
//   link <note>            what the program says about its link (reconnecting)
// With SLIMEFRAY_DROP_AT_TURN=<n> it asks the game library's test hook
// (TSGAME_TEST_DROP_LINK_FILE) to drop its link once when the n-th turn begins.
// Test-only settings come from the environment: SLIMEFRAY_GAME_DIR (maps and
// themes), SLIMEFRAY_TRACE, SLIMEFRAY_STYLE (0 greedy, 1 random, 2 powerful),
// SLIMEFRAY_SEED.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "slimefray/auto_player.h"
#include "slimefray/client_game.h"
#include "slimefray/game_library.h"
#include "slimefray/library_link.h"
#include "slimefray/net_play.h"

using namespace tessary::slimefray;

namespace {

std::string env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// Every cell as tile, owner and item, plus a shield mark; the player's own
// mines are left out, since only it knows them.
std::string publicBoard(const BoardModel& board) {
    std::string text;
    for (int y = 0; y < board.side(); ++y) {
        for (int x = 0; x < board.side(); ++x) {
            const BoardCell& cell = board.at(x, y);
            text += char('0' + cell.tile);
            text += cell.isSlotBlob() ? char('0' + cell.blob) : '.';
            text += cell.item == kNoItem ? '.' : char('a' + cell.item);
            text += cell.shielded ? '*' : '.';
        }
        text += '/';
    }
    return text;
}

class Trace : public GameEvents {
public:
    explicit Trace(const std::string& path) : out_(path, std::ios::trunc) {}
    void attach(const ClientGame& game) { game_ = &game; }

    void slotAssigned(int slot) override { line("slot " + std::to_string(slot)); }
    void turnBegan(int slot) override {
        line("turn " + std::to_string(slot) + " " + publicBoard(game_->board()));
        if (++turns == dropAtTurn) {
            if (const char* file = std::getenv("TSGAME_TEST_DROP_LINK_FILE")) std::ofstream{file};
        }
    }
    void gameOver() override {
        line("over " + publicBoard(game_->board()));
        over = true;
    }
    void quit(const std::string& message, int exitCode) override {
        line("quit " + std::to_string(exitCode) + " " + message);
        ended = true;
        code = exitCode;
    }
    void refused(std::string_view why) override { line("refused " + std::string(why)); }
    void connectionNote(const std::string& text) override { line("link " + text); }

    bool over = false;
    bool ended = false;
    int code = 0;
    int turns = 0;
    int dropAtTurn = -1;

private:
    void line(const std::string& text) { out_ << text << '\n' << std::flush; }

    std::ofstream out_;
    const ClientGame* game_ = nullptr;
};

}  // namespace

int main() {
    Trace trace(env("SLIMEFRAY_TRACE", "/dev/null"));
    ClientGame game(trace, env("SLIMEFRAY_GAME_DIR", "."));
    trace.attach(game);
    trace.dropAtTurn = std::stoi(env("SLIMEFRAY_DROP_AT_TURN", "-1"));
    GameLibrary library;
    if (!library.load(lobbyDirectoryFromRegistry())) {
        trace.quit("No Game Dll Found.", 0);
        return 0;
    }
    LibraryLink link(library);
    const auto start = std::chrono::steady_clock::now();
    auto now = [&] {
        return int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    };
    NetPlay net(link, game, trace, now);
    if (!net.start(int32_t(::getpid()))) return trace.code;

    const auto style = AutoPlayer::Style(std::stoi(env("SLIMEFRAY_STYLE", "1")) % 3);
    AutoPlayer player(style, uint32_t(std::stoul(env("SLIMEFRAY_SEED", "1"))));
    constexpr int64_t kGiveUpMs = 240'000;
    int64_t overAt = -1;
    while (!trace.ended && now() < kGiveUpMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        net.poll();
        if (player.play(game, now())) net.flush();
        if (trace.over && overAt < 0) overAt = now();
        if (overAt >= 0 && now() - overAt > 500) break;  // let the last messages through
    }
    net.shutdown();
    return trace.ended ? trace.code : (trace.over ? 0 : 5);
}
