// A hostile server or player: the program's model receives any messages from
// any sender, with local clicks and clock ticks in between, after reading any
// session option line. It never crashes, what it would show stays bounded,
// and theme names never make it write outside its theme folder.
//
// Input: the option line up to the first line feed, then records of a sender
// byte, a type byte, a size byte and the body; a type of 0xFF is a click at
// the cell given by the body's first two bytes, 0xFE a clock tick.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "slimefray/client_game.h"
#include "slimefray/session_options.h"

namespace {

namespace fs = std::filesystem;
using namespace tessary::slimefray;

struct Checks : GameEvents {
    void chatLine(const std::string& text, int) override { require(text.size() <= kMaxChatText + 64); }
    void playersLine(const std::string& text) override { require(text.size() <= 64); }
    void quit(const std::string& message, int) override { require(message.size() <= 1024); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("fuzz-slimefray");
    static const bool made = fs::create_directories(folder.path / "game" / "map");
    (void)made;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = std::min(input.find('\n'), input.size());
    SessionOptions options = parseOptionLine(input.substr(0, lineEnd));
    require(options.optionC.size() <= 24);
    require(options.optionB > 0);
    // The map name comes from another player's option line.
    if (auto path = mapPath(folder.path / "game", options.mapName)) {
        const auto inside = path->lexically_normal().lexically_relative(folder.path / "game" / "map");
        require(!inside.empty() && *inside.begin() != "..");
    }

    Checks events;
    ClientGame game(events, folder.path / "game");
    game.setNameLookup([](uint16_t id) { return "player" + std::to_string(id); });
    game.setOptions(std::move(options));
    game.ownId(1, 2);
    game.playerJoined();
    (void)game.newMaster(uint16_t(size % 3));

    int64_t now = 0;
    size_t at = std::min(lineEnd + 1, size);
    while (at + 3 <= size) {
        const uint16_t sender = data[at] % 5;
        const uint8_t type = data[at + 1];
        size_t length = std::min<size_t>(data[at + 2], size - at - 3);
        const std::span<const uint8_t> body(data + at + 3, length);
        at += 3 + length;
        now += 300;
        if (type == 0xFF && length >= 2) {
            game.clickCell(int8_t(body[0]), int8_t(body[1]), now);
        } else if (type == 0xFE) {
            game.clockTick(now);
            game.endTurnCommand(now);
        } else {
            game.receive(sender, type, body, now);
        }
        for (const std::string& name : game.themeNames()) require(name.size() <= 255);
        (void)game.takeRequests();
        (void)game.clockText(now);
    }
    // Nothing written beside the game's own folders.
    for (const auto& entry : fs::directory_iterator(folder.path)) require(entry.path().filename() == "game");
    for (const auto& entry : fs::directory_iterator(folder.path / "game")) {
        const auto name = entry.path().filename();
        require(name == "map" || name == "theme");
    }
    return 0;
}
