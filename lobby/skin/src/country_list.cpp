#include "skin/country_list.h"

namespace tessary::skin {

std::vector<std::string> readCountryList(SkinFile& file) {
    file.findSection("START");
    int count = file.readInt();
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(file.readToken());
    return names;
}

std::vector<std::string> loadCountryList(std::string_view path) {
    SkinFile file;
    file.open(path, true);
    return readCountryList(file);
}

}  // namespace tessary::skin
