#include "controls/ignore_list.h"

#include <algorithm>
#include <utility>

#include "controls/player_rows.h"
#include "skin/scramble.h"
#include "skin/skin_error.h"
#include "skin/skin_file.h"

namespace tessary::controls {
namespace {

constexpr std::string_view kSection = "IGNORE";

using Entries = std::vector<std::pair<std::string, std::vector<std::string>>>;

// Reads every user's entry behind the section header; throws SkinFatalError
// when the section is broken.
Entries readEntries(skin::SkinFile& file) {
    Entries entries;
    if (!file.findSection(kSection)) return entries;
    const int users = file.readInt();
    for (int u = 0; u < users; ++u) {
        std::string user = file.readToken();
        const int count = file.readInt();
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) names.push_back(file.readToken());
        entries.emplace_back(std::move(user), std::move(names));
    }
    return entries;
}

bool storable(std::string_view name) {
    return !name.empty() && name.find_first_of("[]") == std::string_view::npos &&
           name.front() != ';';
}

std::string token(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), ' ', '|');
    return out;
}

}  // namespace

bool IgnoreList::add(std::string_view name) {
    if (name.empty() || contains(name)) return false;
    names_.emplace_back(name);
    return true;
}

bool IgnoreList::remove(std::string_view name) {
    auto it = std::find_if(names_.begin(), names_.end(),
                           [&](const std::string& n) { return compareNoCase(n, name) == 0; });
    if (it == names_.end()) return false;
    names_.erase(it);
    return true;
}

bool IgnoreList::contains(std::string_view name) const {
    return std::any_of(names_.begin(), names_.end(),
                       [&](const std::string& n) { return compareNoCase(n, name) == 0; });
}

IgnoreList loadIgnoreList(const std::string& path, std::string_view user, bool scrambled) {
    IgnoreList list;
    try {
        skin::SkinFile file;
        file.open(path, scrambled);
        for (const auto& [owner, names] : readEntries(file)) {
            if (owner != user) continue;
            for (const std::string& name : names) list.add(name);
        }
    } catch (const skin::SkinFatalError&) {
        return IgnoreList{};
    }
    return list;
}

bool saveIgnoreList(const std::string& path, std::string_view user, const IgnoreList& list,
                    bool scrambled) {
    if (!storable(user)) return false;
    skin::SkinFile file;
    Entries entries;
    try {
        file.open(path, scrambled);
        try {
            entries = readEntries(file);
        } catch (const skin::SkinFatalError&) {
            entries.clear();  // a broken section is rewritten whole
        }
    } catch (const skin::SkinFatalError&) {
        return false;
    }
    std::vector<std::string> names;
    for (const std::string& name : list.names()) {
        if (storable(name)) names.push_back(name);
    }
    auto own = std::find_if(entries.begin(), entries.end(),
                            [&](const auto& entry) { return entry.first == user; });
    if (own == entries.end()) {
        entries.emplace_back(std::string(user), std::move(names));
    } else {
        own->second = std::move(names);
    }

    std::string body = std::to_string(entries.size()) + "\n";
    for (const auto& [owner, ownerNames] : entries) {
        body += token(owner) + " " + std::to_string(ownerNames.size());
        for (const std::string& name : ownerNames) body += " " + token(name);
        body += "\n";
    }

    if (!file.findSection(kSection)) {
        std::string text(file.text());
        if (!text.empty() && text.back() != '\n') text += "\n";
        text += "[" + std::string(kSection) + "]\n";
        if (scrambled) skin::scramble(text);
        try {
            file.openBytes(std::move(text), path, scrambled);
        } catch (const skin::SkinFatalError&) {
            return false;
        }
        file.findSection(kSection);
    }
    file.replaceSection(body);
    return file.close();
}

}  // namespace tessary::controls
