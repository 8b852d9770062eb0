#include "group_table.h"

#include <algorithm>
#include <utility>

#include "TSGame.h"

namespace tessary::gamelib {

const Group* GroupTable::find(uint8_t group) const {
    auto it = std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.id == group; });
    return it == groups_.end() ? nullptr : &*it;
}

Group* GroupTable::findMutable(uint8_t group) { return const_cast<Group*>(std::as_const(*this).find(group)); }

int32_t GroupTable::create(uint8_t group) {
    if (find(group)) return TS_ERROR_GROUP;
    groups_.push_back(Group{group, {}});
    return TS_SUCCESS;
}

int32_t GroupTable::remove(uint8_t group) {
    auto it = std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.id == group; });
    if (it == groups_.end()) return TS_ERROR_GROUP;
    groups_.erase(it);
    return TS_SUCCESS;
}

int32_t GroupTable::empty(uint8_t group) {
    Group* g = findMutable(group);
    if (!g) return TS_ERROR_GROUP;
    g->members.clear();
    return TS_SUCCESS;
}

int32_t GroupTable::addMember(uint8_t group, uint16_t id, std::string name) {
    Group* g = findMutable(group);
    if (!g) return TS_ERROR_GROUP;
    auto same = [&](const GroupMember& m) { return m.id == id; };
    if (std::any_of(g->members.begin(), g->members.end(), same)) return TS_ERROR_PLAYER;
    g->members.push_back(GroupMember{std::move(name), id});
    return TS_SUCCESS;
}

int32_t GroupTable::removeMember(uint8_t group, uint16_t id) {
    Group* g = findMutable(group);
    if (!g) return TS_ERROR_GROUP;
    auto it = std::find_if(g->members.begin(), g->members.end(), [&](const GroupMember& m) { return m.id == id; });
    if (it == g->members.end()) return TS_ERROR_PLAYER;
    g->members.erase(it);
    return TS_SUCCESS;
}

}  // namespace tessary::gamelib
