// The Router's arenas as the arena list shows them: ping pictures and the
// rule that lets a player in.
#pragma once

#include <string>
#include <vector>

namespace tessary::controls {

inline constexpr int kPingUnmeasured = -1;
inline constexpr int kNoPingLimit = -1;

struct ArenaRow {
    std::string name;
    std::string host;
    std::string countText;
    int ping = kPingUnmeasured;  // milliseconds
    int maximumPing = kNoPingLimit;
};

// Which of the six ping pictures ("ping0.bmp" .. "ping5.bmp") a ping shows:
// 0 while unmeasured, 1 above 800 ms, 2 above 500, 3 above 300, 4 above 150,
// 5 from 0 to 150.
[[nodiscard]] int pingPicture(int ping);

// Open when the arena has no limit, or its ping is known and within it.
[[nodiscard]] bool arenaIsOpen(const ArenaRow& row);

// Why joinArena(name) refuses, or None; `selected` is the selected row's
// index or -1, used when `name` is empty.
enum class JoinRefusal { None, NothingSelected, UnknownArena, PingTooHigh };
struct JoinDecision {
    JoinRefusal refusal = JoinRefusal::None;
    int row = -1;
};
[[nodiscard]] JoinDecision decideJoin(const std::vector<ArenaRow>& rows, const std::string& name,
                                      int selected);

}  // namespace tessary::controls
