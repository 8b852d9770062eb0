// One poll delivering a session list of 1,000 tables with 8 players each:
// read and handed to the views (the recording views stand for the player
// list), then, in the second case, the session list painted as the screen
// shows it (offscreen, with the plain pictures of the test directory).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "../tests/support/lobby_fixture.h"
#include "../tests/support/test_app_directory.h"
#include "lobby/session_panel.h"

namespace {

using namespace tessary::lobby;
namespace fixture = tessary::lobby::testing;
using fixture::fake;

std::vector<fixture::FakeClient::Session> bigList() {
    std::vector<fixture::FakeClient::Session> list;
    for (int i = 0; i < 1000; ++i) {
        fixture::FakeClient::Session s{"Table " + std::to_string(i), i % 2 ? "CHAT" : "SLIMEFRAY", "p0", 8, 8, 2, 0, 8,
                                       {}, {}};
        for (int p = 0; p < 8; ++p) s.playerNames.push_back("player" + std::to_string(i * 8 + p));
        list.push_back(std::move(s));
    }
    return list;
}

void runSessionList(benchmark::State& state, bool paint) {
    fixture::TestAppDirectory appDir;
    appDir.activate();
    fixture::LobbyStage stage;
    stage.inArena();
    SessionGames games;
    SessionGame chat;
    chat.name = "CHAT";
    games.add(std::move(chat));
    stage.lobby.sessions().setGames(std::move(games));
    const auto list = bigList();
    // The arena view's session area.
    SessionPanel panel(nullptr, QRect(18, 92, 467, 140));
    panel.setGameFolders({appDir.path() + "games/chat"});
    QImage screen(panel.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        fake().sessionList = list;
        stage.api = fixture::fakeApi();  // rewinds the list readers
        stage.view.calls.clear();
        state.ResumeTiming();
        stage.deliver(20);
        if (paint) {
            panel.setSessions(&stage.lobby.sessions().model().sessions);
            panel.render(&screen);
        }
        benchmark::DoNotOptimize(stage.lobby.sessions().model().sessions.size());
    }
    if (stage.lobby.sessions().model().sessions.size() != 1000) state.SkipWithError("not every session was read");
}

void BM_SessionListOf1000x8(benchmark::State& state) { runSessionList(state, false); }
void BM_SessionListOf1000x8HandledAndPainted(benchmark::State& state) { runSessionList(state, true); }
BENCHMARK(BM_SessionListOf1000x8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SessionListOf1000x8HandledAndPainted)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
