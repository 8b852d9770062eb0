// The arena's player list through the players controller: one poll that
// delivers a PLAYERLIST of 5,000 players, and a session list of 1,000 tables
// of 8 whose members are all marked in a list of 2,000 players (the most an
// Arena admits). Painting is measured by controls_bench.
#include <benchmark/benchmark.h>

#include "../tests/support/lobby_fixture.h"
#include "protocol/message_types.h"

namespace {

using namespace tessary::lobby;
namespace protocol = tessary::protocol;
namespace fixture = tessary::lobby::testing;
using fixture::fake;

std::deque<fixture::FakeClient::PlayerIn> players(int count) {
    std::deque<fixture::FakeClient::PlayerIn> list;
    for (int i = 0; i < count; ++i) list.push_back({"player" + std::to_string(i), i % 6});
    return list;
}

void BM_PlayerListOf5000(benchmark::State& state) {
    fixture::LobbyStage stage;
    stage.inArena();
    stage.lobby.players().sortBy(tessary::controls::PlayerSort::ByName);
    const auto list = players(5000);
    for (auto _ : state) {
        state.PauseTiming();
        fake().players = list;
        state.ResumeTiming();
        stage.deliver(protocol::PLAYERLIST);
        benchmark::DoNotOptimize(stage.lobby.players().model().rows.count());
    }
    if (stage.lobby.players().model().rows.count() != 5000) state.SkipWithError("not every player was read");
}
BENCHMARK(BM_PlayerListOf5000)->Unit(benchmark::kMillisecond);

void BM_SessionMembersIn2000Players(benchmark::State& state) {
    fixture::LobbyStage stage;
    stage.inArena();
    fake().players = players(2000);
    stage.deliver(protocol::PLAYERLIST);
    stage.lobby.players().sortBy(tessary::controls::PlayerSort::BySession);
    std::vector<fixture::FakeClient::Session> list;
    for (int i = 0; i < 250; ++i) {
        fixture::FakeClient::Session s{"Table " + std::to_string(i), "CHAT", "p0", 8, 8, 2, 0, 8, {}, {}};
        for (int p = 0; p < 8; ++p) s.playerNames.push_back("player" + std::to_string(i * 8 + p));
        list.push_back(std::move(s));
    }
    for (auto _ : state) {
        state.PauseTiming();
        fake().sessionList = list;
        stage.api = fixture::fakeApi();  // rewinds the list readers
        state.ResumeTiming();
        stage.deliver(20);
    }
    if (stage.lobby.players().model().rows.row(0).session.empty()) state.SkipWithError("no member was marked");
}
BENCHMARK(BM_SessionMembersIn2000Players)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
