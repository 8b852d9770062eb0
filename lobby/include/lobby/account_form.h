// The account as the account window edits it and as the Router last described
// it. Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <string>

namespace tessary::lobby {

enum class AccountMode { Create, Modify };
enum class LoginField { Name, Password };

// Field limits of the account window (characters).
inline constexpr std::size_t kNameLimit = 15;
inline constexpr std::size_t kPasswordLimit = 10;
inline constexpr std::size_t kField1003Limit = 32;
inline constexpr std::size_t kField1004Limit = 32;
inline constexpr std::size_t kField1005Limit = 128;
inline constexpr std::size_t kDescriptionLimit = 1'024;
inline constexpr std::size_t kCountryLimit = 64;  // longest name of the country list, with room

struct AccountForm {
    std::string name;
    std::string password;
    std::string confirmation;
    std::string field1003;
    std::string field1004;
    std::string field1005;
    std::string country;
    std::string description;
    int32_t gender{0};       // 0 first switch position, 1 the second (the Router's "F")
    int32_t photoNumber{1};  // 0 own photo, n > 0 stock photo n
    std::string ownPhotoPath;  // an own photo chosen for upload; empty when none

    bool operator==(const AccountForm&) const = default;
};

// The player's account as the Router's PLAYERINFO last gave it.
struct AccountRecord {
    std::string name;
    std::string field1004;
    std::string field1003;
    std::string country;
    std::string field1005;
    std::string description;
    uint8_t gender{0};
    int32_t photoNumber{0};
};

}  // namespace tessary::lobby
