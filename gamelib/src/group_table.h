// The groups this game created, each with its members in the order they were
// added. The table only keeps the local view; the session tells the server.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::gamelib {

struct GroupMember {
    std::string name;  // at most 15 characters
    uint16_t id = 0;
};

struct Group {
    uint8_t id = 0;
    std::vector<GroupMember> members;
};

class GroupTable {
public:
    // Each returns TS_SUCCESS or the result code of the refusal; a refused
    // operation changes nothing.
    [[nodiscard]] int32_t create(uint8_t group);
    [[nodiscard]] int32_t remove(uint8_t group);
    [[nodiscard]] int32_t empty(uint8_t group);
    [[nodiscard]] int32_t addMember(uint8_t group, uint16_t id, std::string name);
    [[nodiscard]] int32_t removeMember(uint8_t group, uint16_t id);

    [[nodiscard]] const Group* find(uint8_t group) const;
    const std::vector<Group>& groups() const { return groups_; }

private:
    Group* findMutable(uint8_t group);

    std::vector<Group> groups_;
};

}  // namespace tessary::gamelib
