// One poll delivering a session list of 1,000 tables with 8 players each,
// read and handed to the views (the recording views stand for the panel and
// the player list; painting is not measured here).
#include <benchmark/benchmark.h>

#include "../tests/support/lobby_fixture.h"

namespace {

using namespace tessary::lobby;
namespace fixture = tessary::lobby::testing;
using fixture::fake;

void BM_SessionListOf1000x8(benchmark::State& state) {
    fixture::LobbyStage stage;
    stage.inArena();
    SessionGames games;
    SessionGame chat;
    chat.name = "CHAT";
    games.add(std::move(chat));
    stage.lobby.sessions().setGames(std::move(games));
    std::vector<fixture::FakeClient::Session> list;
    for (int i = 0; i < 1000; ++i) {
        fixture::FakeClient::Session s{"Table " + std::to_string(i), i % 2 ? "CHAT" : "SLIMEFRAY", "p0", 8, 8, 2, 0, 8,
                                       {}, {}};
        for (int p = 0; p < 8; ++p) s.playerNames.push_back("player" + std::to_string(i * 8 + p));
        list.push_back(std::move(s));
    }
    for (auto _ : state) {
        state.PauseTiming();
        fake().sessionList = list;
        stage.api = fixture::fakeApi();  // rewinds the list readers
        stage.view.calls.clear();
        state.ResumeTiming();
        stage.deliver(20);
        benchmark::DoNotOptimize(stage.lobby.sessions().model().sessions.size());
    }
    if (stage.lobby.sessions().model().sessions.size() != 1000) state.SkipWithError("not every session was read");
}
BENCHMARK(BM_SessionListOf1000x8)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
