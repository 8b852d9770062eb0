#include "lobby/user_info.h"

#include <algorithm>

namespace tessary::lobby {

LoginPair initialLoginFields(const LoginPair& stored) {
    if (stored.name == kPlaceholderName) return {};
    return stored;
}

bool isStorableToken(std::string_view token) {
    if (token.empty() || token.front() == ';') return false;
    return std::none_of(token.begin(), token.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        // Blanks are written as "|" and read back as blanks; other control
        // characters would end or split the token.
        return (byte < 32 && byte != ' ') || c == '|' || c == '[' || c == ']' || byte == 127;
    });
}

LoginPair storableLogin(const LoginPair& used) {
    if (isStorableToken(used.name) && isStorableToken(used.password)) return used;
    return {std::string(kPlaceholderName), std::string(kPlaceholderName)};
}

}  // namespace tessary::lobby
