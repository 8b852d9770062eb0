// The arenas whose distance the lobby shows: one processing per arena, each
// with its measuring rounds. Touched only by the lobby's thread; the workers
// write nothing but their own round's result.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "echo_probe.h"
#include "platform/clock.h"
#include "ping_round.h"

namespace tessary::clientlib {

class PingRegistry {
public:
    // `probe` and `clock` must outlive the registry.
    PingRegistry(EchoProbe& probe, const platform::Clock& clock, PingSettings settings = {});
    ~PingRegistry() { stopAll(); }
    PingRegistry(const PingRegistry&) = delete;
    PingRegistry& operator=(const PingRegistry&) = delete;

    // False when an arena of that name (exact comparison) is measured already.
    bool add(std::string_view name, std::string_view host);

    // The integer mean of the arena's finished rounds that got a value, -1
    // while there is none; nothing for an unknown arena.
    std::optional<int32_t> value(std::string_view name) const;

    // Starts a round for every arena when the interval has passed since the
    // last start (called by every poll of the lobby).
    void poll();

    // Stops every worker (rounds stopped this way read -1) and forgets every arena.
    void stopAll();

    size_t roundCount(std::string_view name) const;

    // Measures with `probe` from now on (it must outlive its use), or again
    // with the probe given at construction when null; only while no arena is
    // registered, false otherwise.
    bool useProbe(EchoProbe* probe);

private:
    struct Processing {
        std::string name;
        std::string host;
        std::vector<std::unique_ptr<PingRound>> rounds;  // oldest first
    };

    const Processing* find(std::string_view name) const;

    EchoProbe& ownProbe_;
    EchoProbe* probe_;
    const platform::Clock& clock_;
    PingSettings settings_;
    std::vector<Processing> processings_;
    std::optional<int64_t> lastRoundStart_;
};

}  // namespace tessary::clientlib
