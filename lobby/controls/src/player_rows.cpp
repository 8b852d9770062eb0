#include "controls/player_rows.h"

#include <algorithm>
#include <cctype>

namespace tessary::controls {

int compareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool PlayerRows::before(const PlayerRow& a, const PlayerRow& b) const {
    const int order = sort_ == PlayerSort::BySession ? compareNoCase(a.session, b.session)
                                                     : compareNoCase(a.name, b.name);
    return descending_ ? order > 0 : order < 0;
}

void PlayerRows::resort() {
    if (sort_ == PlayerSort::None) return;
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this](const PlayerRow& a, const PlayerRow& b) { return before(a, b); });
}

int PlayerRows::reposition(int index) {
    if (sort_ == PlayerSort::None || index < 0 || index >= count()) return index;
    const auto cmp = [this](const PlayerRow& a, const PlayerRow& b) { return before(a, b); };
    const auto at = rows_.begin() + index;
    // The rows on each side stay sorted; the row moves by a rotation.
    auto target = std::upper_bound(rows_.begin(), at, *at, cmp);
    if (target != at) {
        std::rotate(target, at, at + 1);
        return static_cast<int>(target - rows_.begin());
    }
    target = std::upper_bound(at + 1, rows_.end(), *at, cmp);
    std::rotate(at, at + 1, target);
    return static_cast<int>(target - rows_.begin()) - 1;
}

void PlayerRows::assign(std::vector<PlayerRow> rows) {
    rows_ = std::move(rows);
    resort();
}

void PlayerRows::add(PlayerRow row) {
    auto at = rows_.end();
    if (sort_ != PlayerSort::None) {
        at = std::upper_bound(rows_.begin(), rows_.end(), row,
                              [this](const PlayerRow& a, const PlayerRow& b) { return before(a, b); });
    }
    rows_.insert(at, std::move(row));
}

int PlayerRows::find(std::string_view name) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (compareNoCase(rows_[i].name, name) == 0) return static_cast<int>(i);
    }
    return -1;
}

PlayerRow* PlayerRows::get(std::string_view name) {
    const int index = find(name);
    return index < 0 ? nullptr : &rows_[static_cast<std::size_t>(index)];
}

bool PlayerRows::remove(std::string_view name) {
    const int index = find(name);
    if (index < 0) return false;
    rows_.erase(rows_.begin() + index);
    return true;
}

bool PlayerRows::setPingClass(std::string_view name, int pingClass) {
    PlayerRow* row = get(name);
    if (row == nullptr) return false;
    row->pingClass = pingClass;
    return true;
}

void PlayerRows::sortBy(PlayerSort column) {
    descending_ = column == sort_ ? !descending_ : false;
    sort_ = column;
    resort();
}

}  // namespace tessary::controls
