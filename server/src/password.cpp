#include "password.h"

#include <sodium.h>

#include <stdexcept>

namespace tessary::server {
namespace {
void initialiseOnce() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium cannot be initialised");
}
}  // namespace

std::optional<std::string> hashPassword(std::string_view password, const PasswordCost& cost) {
    initialiseOnce();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), cost.opsLimit, cost.memLimit) != 0)
        return std::nullopt;
    return std::string(hash);
}

bool verifyPassword(std::string_view hash, std::string_view password) {
    initialiseOnce();
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
    const std::string terminated(hash);
    return crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) == 0;
}

}  // namespace tessary::server
