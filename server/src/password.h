// Password hashes: libsodium crypto_pwhash_str (Argon2id), salted, with the
// cost written into the hash text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "server/config.h"

namespace tessary::server {

// Nullopt only when the machine cannot give the memory the cost asks for.
[[nodiscard]] std::optional<std::string> hashPassword(std::string_view password, const PasswordCost& cost);
[[nodiscard]] bool verifyPassword(std::string_view hash, std::string_view password);

}  // namespace tessary::server
