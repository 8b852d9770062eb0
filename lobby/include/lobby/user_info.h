// The last name and password used, kept in the "USERINFO" section of
// CONFIG.INI as two tokens.
#pragma once

#include <string>
#include <string_view>

namespace tessary::lobby {

inline constexpr std::string_view kUserInfoSection = "USERINFO";

// The name the default settings file holds: nobody has logged in yet.
inline constexpr std::string_view kPlaceholderName = "DUMMY";

struct LoginPair {
    std::string name;      // Windows-1252
    std::string password;  // Windows-1252

    bool operator==(const LoginPair&) const = default;
};

// What the login window starts with: the stored pair, or both fields empty
// when the stored name is the placeholder.
LoginPair initialLoginFields(const LoginPair& stored);

// Whether `token` reads back from the settings file exactly as written. The
// file reader turns "|" into a blank, takes a token starting with ";" for a
// comment and finds sections by their bracketed name anywhere in the file,
// so a name like "[ROUTER]x" would hijack another section.
bool isStorableToken(std::string_view token);

// The pair to write: `used` when both tokens are storable; otherwise the
// placeholder, so the file stays readable and the fields start empty.
LoginPair storableLogin(const LoginPair& used);

}  // namespace tessary::lobby
