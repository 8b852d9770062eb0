#include "controls/arena_rows.h"

namespace tessary::controls {

int pingPicture(int ping) {
    if (ping < 0) return 0;
    if (ping > 800) return 1;
    if (ping > 500) return 2;
    if (ping > 300) return 3;
    if (ping > 150) return 4;
    return 5;
}

bool arenaIsOpen(const ArenaRow& row) {
    if (row.maximumPing == kNoPingLimit) return true;
    return row.ping >= 0 && row.ping <= row.maximumPing;
}

JoinDecision decideJoin(const std::vector<ArenaRow>& rows, const std::string& name, int selected) {
    std::string wanted = name;
    if (wanted.empty()) {
        if (selected < 0 || selected >= static_cast<int>(rows.size())) {
            return {JoinRefusal::NothingSelected, -1};
        }
        wanted = rows[static_cast<std::size_t>(selected)].name;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].name != wanted) continue;
        const int row = static_cast<int>(i);
        return {arenaIsOpen(rows[i]) ? JoinRefusal::None : JoinRefusal::PingTooHigh, row};
    }
    return {JoinRefusal::UnknownArena, -1};
}

}  // namespace tessary::controls
