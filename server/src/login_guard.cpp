#include "login_guard.h"

#include <algorithm>

namespace tessary::server {

int64_t LoginGuard::delayFor(Table& table, const std::string& key, int free, int64_t nowMs) {
    auto it = table.find(key);
    if (it == table.end()) return 0;
    if (nowMs - it->second.lastMs >= kForgetMs) {
        table.erase(it);
        return 0;
    }
    const int over = it->second.count - free;
    if (over < 0) return 0;
    return std::min(kMaxDelayMs, kFirstDelayMs << std::min(over, 16));
}

int64_t LoginGuard::delayMs(const std::string& account, const std::string& address, int64_t nowMs) {
    return std::max(delayFor(accounts_, account, kFreeAccountFailures, nowMs),
                    delayFor(addresses_, address, kFreeAddressFailures, nowMs));
}

void LoginGuard::forgetOld(Table& table, int64_t nowMs) {
    // Keeps a flood of names from growing the table for good.
    if (table.size() < 10'000) return;
    std::erase_if(table, [nowMs](const auto& entry) { return nowMs - entry.second.lastMs >= kForgetMs; });
}

void LoginGuard::failed(const std::string& account, const std::string& address, int64_t nowMs) {
    for (auto* entry : {&accounts_, &addresses_}) forgetOld(*entry, nowMs);
    for (auto [table, key] : {std::pair{&accounts_, &account}, std::pair{&addresses_, &address}}) {
        Failures& failures = (*table)[*key];
        if (nowMs - failures.lastMs >= kForgetMs) failures.count = 0;
        ++failures.count;
        failures.lastMs = nowMs;
    }
}

void LoginGuard::succeeded(const std::string& account) {
    // The address keeps its count: one's own account must not wash away
    // the guesses made at others.
    accounts_.erase(account);
}

}  // namespace tessary::server
