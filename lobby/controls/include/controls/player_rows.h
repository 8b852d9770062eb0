// The arena's players as the player list holds them: find by name without
// regard to case, sort by name or session (the same column again reverses).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary::controls {

struct PlayerRow {
    enum Flag { kHighlighted = 1, kPlaying = 2, kWatching = 4 };

    std::string name;
    std::string session;  // empty when in no session
    int flags = 0;
    int pingClass = 0;  // 0 to 5, the ping picture shown
};

enum class PlayerSort { None, ByName, BySession };

class PlayerRows {
public:
    const std::vector<PlayerRow>& rows() const { return rows_; }
    int count() const { return static_cast<int>(rows_.size()); }
    const PlayerRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    // For a change in place; resort() or reposition() keeps the order.
    PlayerRow& row(int index) { return rows_.at(static_cast<std::size_t>(index)); }

    // Replaces every row (the arena's whole list) and keeps the sort order.
    void assign(std::vector<PlayerRow> rows);
    // Adds a row where the sort order puts it (at the end when unsorted).
    void add(PlayerRow row);
    // Index of `name` compared without regard to case, or -1.
    int find(std::string_view name) const;
    bool remove(std::string_view name);
    bool setPingClass(std::string_view name, int pingClass);
    PlayerRow* get(std::string_view name);

    // Sorts by `column`, ascending, or reversed when it is the column already
    // sorted by.
    void sortBy(PlayerSort column);
    PlayerSort sortColumn() const { return sort_; }
    bool descending() const { return descending_; }

    // Puts the rows in the sort order again after rows were changed in place.
    void resort();
    // Moves row `index` to where the sort order puts it; returns its new index.
    int reposition(int index);

private:
    bool before(const PlayerRow& a, const PlayerRow& b) const;

    std::vector<PlayerRow> rows_;
    PlayerSort sort_ = PlayerSort::None;
    bool descending_ = false;
};

// Compares `a` and `b` without regard to case (ASCII letters).
[[nodiscard]] int compareNoCase(std::string_view a, std::string_view b);

}  // namespace tessary::controls
