#include "skin/text_format.h"

#include <span>
#include <string_view>

namespace tessary::skin {

namespace {

std::string fill(std::string_view pattern, std::span<const std::string_view> arguments) {
    constexpr std::string_view kConversions = "sdiuxXc";
    constexpr std::string_view kModifiers = "-+ #0123456789.lh";
    std::string result;
    auto next = arguments.begin();
    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            result += c;
            ++i;
            continue;
        }
        if (pattern[i + 1] == '%') {
            result += '%';
            i += 2;
            continue;
        }
        std::size_t end = i + 1;
        while (end < pattern.size() && kModifiers.find(pattern[end]) != std::string_view::npos) {
            ++end;
        }
        if (end < pattern.size() && kConversions.find(pattern[end]) != std::string_view::npos) {
            if (next != arguments.end()) result += *next++;
            i = end + 1;
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

}  // namespace

std::string formatText(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
    return fill(pattern, std::span<const std::string_view>(arguments.begin(), arguments.size()));
}

std::string formatTextList(std::string_view pattern, const std::vector<std::string>& arguments) {
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    return fill(pattern, views);
}

}  // namespace tessary::skin
