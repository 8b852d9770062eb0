#include "ping_registry.h"

#include <algorithm>

namespace tessary::clientlib {
namespace {

constexpr size_t kNameLimit = 127;

std::string cut(std::string_view text) { return std::string(text.substr(0, std::min(text.size(), kNameLimit))); }

}  // namespace

PingRegistry::PingRegistry(EchoProbe& probe, const platform::Clock& clock, PingSettings settings)
    : ownProbe_(probe), probe_(&probe), clock_(clock), settings_(settings) {}

const PingRegistry::Processing* PingRegistry::find(std::string_view name) const {
    const auto key = cut(name);
    const auto found = std::find_if(processings_.begin(), processings_.end(),
                                    [&](const Processing& processing) { return processing.name == key; });
    return found == processings_.end() ? nullptr : &*found;
}

bool PingRegistry::add(std::string_view name, std::string_view host) {
    if (find(name)) return false;
    processings_.push_back(Processing{cut(name), cut(host), {}});
    return true;
}

std::optional<int32_t> PingRegistry::value(std::string_view name) const {
    const Processing* processing = find(name);
    if (!processing) return std::nullopt;
    int64_t sum = 0;
    int64_t counted = 0;
    for (const auto& round : processing->rounds) {
        const int32_t result = round->result();
        if (result >= 0) {
            sum += result;
            ++counted;
        }
    }
    return counted ? int32_t(sum / counted) : -1;
}

void PingRegistry::poll() {
    if (processings_.empty()) return;
    const int64_t now = clock_.wallSeconds();
    // A wall clock set back does not hold the rounds up until it catches up.
    if (lastRoundStart_ && now >= *lastRoundStart_ && now - *lastRoundStart_ < settings_.roundIntervalSeconds) return;
    for (auto& processing : processings_) {
        while (processing.rounds.size() > settings_.roundsKeptBeforeNew) processing.rounds.erase(processing.rounds.begin());
        processing.rounds.push_back(std::make_unique<PingRound>(processing.host, *probe_, settings_));
    }
    lastRoundStart_ = now;
}

void PingRegistry::stopAll() {
    for (auto& processing : processings_)
        for (auto& round : processing.rounds) round->requestStop();
    processings_.clear();  // each round waits for its (already stopping) worker
}

bool PingRegistry::useProbe(EchoProbe* probe) {
    if (!processings_.empty()) return false;
    probe_ = probe ? probe : &ownProbe_;
    return true;
}

size_t PingRegistry::roundCount(std::string_view name) const {
    const Processing* processing = find(name);
    return processing ? processing->rounds.size() : 0;
}

}  // namespace tessary::clientlib
