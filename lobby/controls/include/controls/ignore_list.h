// The players whose chat, private tabs and pages this lobby drops. Purely
// local: the list lives in the settings file, one entry per lobby user, in the
// section "IGNORE":
//   [IGNORE]
//   <number of users>
//   <user> <number of names> <name> ...
// Blanks inside names are written as "|", as every token of that file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary::controls {

class IgnoreList {
public:
    // False when the name is empty or already listed (names compared without
    // regard to case).
    bool add(std::string_view name);
    bool remove(std::string_view name);
    bool contains(std::string_view name) const;
    const std::vector<std::string>& names() const { return names_; }

private:
    std::vector<std::string> names_;
};

// `user`'s list from the settings file at `path` (a path as the Parts write
// it). A missing file, section or user, or a broken section, gives an empty
// list: ignoring is a comfort, never a reason to stop.
[[nodiscard]] IgnoreList loadIgnoreList(const std::string& path, std::string_view user,
                                        bool scrambled = true);

// Writes `user`'s list, keeping the other users' entries; adds the section
// when the file has none. Names the file's grammar cannot hold ("[" or "]",
// which would start a section, or a leading ";") are left out. False when the
// file cannot be read or written.
[[nodiscard]] bool saveIgnoreList(const std::string& path, std::string_view user,
                                  const IgnoreList& list, bool scrambled = true);

}  // namespace tessary::controls
