// Game traffic through libTSGame.so against an echoing game server on
// loopback: 10,000 mode-1 messages through TS_Engine while mode-2 updates go
// by the paced relay. Reports the messages echoed per second and their mean
// round trip, and what the relay path carried.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "fake_game_server.h"
#include "game_api.h"
#include "platform/shared_memory.h"
#include "protocol/handoff.h"

namespace {

using tessary::gamelib::testing::FakeGameServer;
using tessary::gamelib::testing::GameApi;
using Clock = std::chrono::steady_clock;

constexpr int kMessages = 10'000;
constexpr int kBatch = 100;  // mode-1 messages sent between two TS_Engine calls
constexpr uint8_t kStreamType = 1;
constexpr uint8_t kRelayType = 2;

struct Tally {
    int streamEchoes = 0;
    int64_t roundTripNsTotal = 0;
    int relayEchoes = 0;
} tally;

int64_t nowNs() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }

void onStreamEcho(uint16_t, const void* data, int32_t size) {
    if (size < int32_t(sizeof(int64_t))) return;
    int64_t sentNs = 0;
    std::memcpy(&sentNs, data, sizeof sentNs);
    tally.roundTripNsTotal += nowNs() - sentNs;
    ++tally.streamEchoes;
}

void onRelayEcho(uint16_t, const void*, int32_t) { ++tally.relayEchoes; }

void removeMailbox() {
    using tessary::platform::SharedMemory;
    SharedMemory::remove(SharedMemory::objectName(tessary::protocol::kHandoffBlockName));
    SharedMemory::remove(SharedMemory::objectName(tessary::protocol::kHandoffMutexName));
}

GameApi& api() {
    static GameApi bound = [] {
        GameApi a;
        if (!a.bind(TSGAME_LIBRARY_PATH)) std::abort();
        return a;
    }();
    return bound;
}

void BM_GameTrafficThroughEngine(benchmark::State& state) {
    // Shared-memory names of our own, so that no real lobby is touched.
    setenv("TESSARY_SHM_PREFIX", ("gamelib-bench-" + std::to_string(getpid()) + "-").c_str(), 1);
    GameApi& a = api();
    int64_t totalMessages = 0;
    double roundTripUs = 0;
    int relaySent = 0;
    int relayEchoes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FakeGameServer server;
        if (!server.ready() || a.TS_Initialisation("BENCHGAME", int32_t(getpid())) != 1 ||
            a.TS_DebugInit("127.0.0.1", server.port()) != 1 || a.TS_ConnectGame() != 1 || !server.accept()) {
            state.SkipWithError("no loopback game server");
            return;
        }
        (void)a.TS_FixPersonalCallback(onStreamEcho, kStreamType);
        (void)a.TS_FixPersonalCallback(onRelayEcho, kRelayType);
        std::atomic<bool> stop{false};
        std::thread echo([&] { server.echoUntil(stop); });
        tally = {};
        relaySent = 0;
        state.ResumeTiming();

        const auto deadline = Clock::now() + std::chrono::seconds(60);
        int sent = 0;
        while (tally.streamEchoes < kMessages && Clock::now() < deadline) {
            for (int i = 0; i < kBatch && sent < kMessages; ++i, ++sent) {
                const int64_t stamp = nowNs();
                (void)a.TS_SendMessageToServer(kStreamType, 1, &stamp, sizeof stamp);
            }
            const int32_t position = sent;
            if (a.TS_SendMessageToAllPlayers(kRelayType, 2, &position, sizeof position) == 1) ++relaySent;
            (void)a.TS_Engine();
        }

        state.PauseTiming();
        stop = true;
        echo.join();
        totalMessages += tally.streamEchoes;
        roundTripUs = tally.streamEchoes ? double(tally.roundTripNsTotal) / tally.streamEchoes / 1000.0 : 0;
        relayEchoes = tally.relayEchoes;
        (void)a.TS_Free();
        if (tally.streamEchoes < kMessages) state.SkipWithError("not every message came back within 60 s");
        state.ResumeTiming();
    }
    removeMailbox();
    state.counters["messages_per_s"] = benchmark::Counter(double(totalMessages), benchmark::Counter::kIsRate);
    state.counters["mean_round_trip_under_load_us"] = roundTripUs;
    state.counters["relay_updates_queued"] = relaySent;
    state.counters["relay_updates_echoed"] = relayEchoes;
}
BENCHMARK(BM_GameTrafficThroughEngine)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One mode-1 message at a time: TS_Engine is called until its echo is back,
// so the round trip is the library's and the loopback's, without queueing.
void BM_StreamRoundTrip(benchmark::State& state) {
    setenv("TESSARY_SHM_PREFIX", ("gamelib-bench-" + std::to_string(getpid()) + "-").c_str(), 1);
    GameApi& a = api();
    FakeGameServer server;
    if (!server.ready() || a.TS_Initialisation("BENCHGAME", int32_t(getpid())) != 1 ||
        a.TS_DebugInit("127.0.0.1", server.port()) != 1 || a.TS_ConnectGame() != 1 || !server.accept()) {
        state.SkipWithError("no loopback game server");
        return;
    }
    (void)a.TS_FixPersonalCallback(onStreamEcho, kStreamType);
    std::atomic<bool> stop{false};
    std::thread echo([&] { server.echoUntil(stop); });
    tally = {};
    for (auto _ : state) {
        const int before = tally.streamEchoes;
        const int64_t stamp = nowNs();
        (void)a.TS_SendMessageToServer(kStreamType, 1, &stamp, sizeof stamp);
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (tally.streamEchoes == before && Clock::now() < deadline) (void)a.TS_Engine();
    }
    stop = true;
    echo.join();
    (void)a.TS_Free();
    removeMailbox();
    state.counters["mean_round_trip_us"] =
        tally.streamEchoes ? double(tally.roundTripNsTotal) / tally.streamEchoes / 1000.0 : 0;
}
BENCHMARK(BM_StreamRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(2000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
