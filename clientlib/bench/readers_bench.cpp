// How long the lobby's tick spends reading a big session list: 1,000
// sessions of 8 players (and 2 spectators) each.
#include <benchmark/benchmark.h>

#include <string>

#include "TSClient.h"
#include "library.h"
#include "protocol/codec.h"

namespace {

using namespace tessary;

protocol::ServiceMessage sessionList(int sessions, int playersEach) {
    protocol::ServiceMessage message;
    message.type = protocol::SESSIONLIST;
    message.source = protocol::kModuleArena;
    message.destination = protocol::kModulePlayer;
    for (int s = 0; s < sessions; ++s) {
        protocol::ValueList session;
        session.appendText("Session number " + std::to_string(s));
        for (int value = 1; value <= 4; ++value) session.appendInteger(int32_t(s * value));
        session.appendText("options of the session, as the game writes them");
        session.appendInteger(int32_t(8));
        session.appendText("POKER");
        protocol::ValueList players, spectators;
        for (int p = 0; p < playersEach; ++p) players.appendText("Player " + std::to_string(s * 10 + p));
        spectators.appendText("Watcher A");
        spectators.appendText("Watcher B");
        session.appendList(std::move(players));
        session.appendList(std::move(spectators));
        message.body.appendList(std::move(session));
    }
    return message;
}

// Reads every session with its players and spectators; the number of names read.
int readWholeList() {
    static char a[TS_TEXT_OUT_SIZE], b[TS_TEXT_OUT_SIZE], c[TS_TEXT_OUT_SIZE];
    int32_t n[5];
    int names = 0;
    while (TSArenaRcv_GetNextSession(a, b, c, &n[0], &n[1], &n[2], &n[3], &n[4])) {
        while (TSArenaRcv_GetNextPlayerInSession(a)) ++names;
        while (TSArenaRcv_GetNextSpectatorInSession(a)) ++names;
    }
    return names;
}

void ReadSessionList(benchmark::State& state) {
    const auto message = sessionList(1000, 8);
    auto& current = clientlib::Library::instance().current();
    for (auto _ : state) {
        current.replace(&message);
        benchmark::DoNotOptimize(readWholeList());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(ReadSessionList)->Unit(benchmark::kMillisecond);

// The same with the frame's decoding, as the poll that receives it does.
void DecodeAndReadSessionList(benchmark::State& state) {
    const protocol::Bytes frame = protocol::encode(sessionList(1000, 8));
    state.counters["frame_bytes"] = double(frame.size());
    auto& current = clientlib::Library::instance().current();
    for (auto _ : state) {
        const auto decoded = protocol::decode(frame);
        const auto& message = std::get<protocol::ServiceMessage>(*decoded);
        current.replace(&message);
        benchmark::DoNotOptimize(readWholeList());
        current.replace(nullptr);
    }
}
BENCHMARK(DecodeAndReadSessionList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
