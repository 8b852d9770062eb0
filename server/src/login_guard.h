// Slows down password guessing: after a few failed logins an account, and
// separately an address, waits longer before each next attempt is checked,
// doubling up to a bound. Failures are forgotten after a quiet spell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessary::server {

class LoginGuard {
public:
    // Attempts after this many failures wait.
    static constexpr int kFreeAccountFailures = 3;
    static constexpr int kFreeAddressFailures = 10;  // an address may hide many players
    static constexpr int64_t kFirstDelayMs = 250;
    static constexpr int64_t kMaxDelayMs = 8'000;
    static constexpr int64_t kForgetMs = 15 * 60 * 1000;

    // How long the next attempt for `account` (folded name) from `address`
    // waits before it is checked.
    int64_t delayMs(const std::string& account, const std::string& address, int64_t nowMs);
    void failed(const std::string& account, const std::string& address, int64_t nowMs);
    void succeeded(const std::string& account);

private:
    struct Failures {
        int count = 0;
        int64_t lastMs = 0;
    };
    using Table = std::unordered_map<std::string, Failures>;

    static int64_t delayFor(Table& table, const std::string& key, int free, int64_t nowMs);
    void forgetOld(Table& table, int64_t nowMs);

    Table accounts_;
    Table addresses_;
};

}  // namespace tessary::server
