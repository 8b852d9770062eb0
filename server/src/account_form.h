// The ten values of an account creation or modification, checked against
// the name rules and the account window's field limits.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "messages.h"
#include "server/storage.h"

namespace tessary::server {

struct AccountForm {
    AccountProfile profile;
    std::string password;
};

// The account window's limits; a longer field is refused, not cut.
inline constexpr size_t kMaxPasswordLength = 64;
inline constexpr size_t kMaxShortField = 32;    // fields 1003 and 1004
inline constexpr size_t kMaxLongField = 128;    // field 1005
inline constexpr size_t kMaxCountryLength = 64;
inline constexpr size_t kMaxDescription = 1024;

// Body: name, password, field 1004, field 1003, country, field 1005,
// description, gender (1 byte), an integer, photo number. Returns the form
// or the failure text to show.
std::variant<AccountForm, std::string> readAccountForm(const ValueList& body);

// Failure text for a name the lobby's filter would not let through, or
// nothing when the name is acceptable.
std::optional<std::string> nameProblem(const std::string& name);

}  // namespace tessary::server
