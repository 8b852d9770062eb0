// How fast the referee and the program's model get through whole games in
// memory, and how fast the .bmp reader takes a theme picture.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "desktop/image_writers.h"
#include "slimefray/auto_player.h"
#include "slimefray/client_game.h"
#include "slimefray/referee.h"

namespace {

using namespace tessary::slimefray;
namespace fs = std::filesystem;

// One game of `players` scripted programs around a referee on an open map;
// returns the requests the referee handled.
int64_t playOneGame(int players, uint32_t seed, const fs::path& directory) {
    RefereeSettings settings;
    settings.seed = seed;
    Referee referee(settings);
    GameEvents quiet;
    std::vector<std::unique_ptr<ClientGame>> games;
    std::vector<AutoPlayer> autos;
    for (int i = 0; i < players; ++i) {
        games.push_back(std::make_unique<ClientGame>(quiet, directory));
        games.back()->setOptions(parseOptionLine("0 45 Plain Open 2"));
        autos.emplace_back(AutoPlayer::Style::Greedy, seed + uint32_t(i));
    }
    int64_t now = 0, requests = 0;
    auto deliver = [&](const Outcome& outcome) {
        for (const Outgoing& m : outcome.messages) {
            for (size_t p = 0; p < games.size(); ++p) {
                if (m.to == kToEveryone || m.to == p) games[p]->receive(0, m.type, m.body, now);
            }
        }
    };
    auto flush = [&] {
        for (bool any = true; any;) {
            any = false;
            for (size_t p = 0; p < games.size(); ++p) {
                for (Request& r : games[p]->takeRequests()) {
                    any = true;
                    ++requests;
                    deliver(referee.receive(uint16_t(p), r.type, r.body, now));
                }
            }
        }
    };
    for (int i = 0; i < players; ++i) {
        deliver(referee.playerJoined(uint16_t(i), "p", now));
        games[size_t(i)]->ownId(uint16_t(i), uint16_t(players));
    }
    referee.masterChanged(0);
    games[0]->newMaster(0);
    flush();
    for (int round = 0; round < 20000 && !referee.finished(); ++round) {
        now += 100;
        for (size_t p = 0; p < games.size(); ++p) autos[p].play(*games[p], now);
        flush();
    }
    return requests;
}

void BM_WholeGameInMemory(benchmark::State& state) {
    const int players = int(state.range(0));
    const int side = int(state.range(1));
    fs::path directory = fs::temp_directory_path() / ("slimefray_bench_" + std::to_string(::getpid()));
    fs::create_directories(directory / "map");
    {
        std::ofstream map(directory / "map" / "Open.map");
        map << side << "\n";
        for (int y = 0; y < side; ++y) map << std::string(size_t(side), '0') << "\n";
    }
    int64_t requests = 0;
    uint32_t seed = 1;
    for (auto _ : state) requests += playOneGame(players, seed++, directory);
    state.counters["requests/s"] = benchmark::Counter(double(requests), benchmark::Counter::kIsRate);
    state.counters["requests/game"] = double(requests) / double(state.iterations());
    fs::remove_all(directory);
}
BENCHMARK(BM_WholeGameInMemory)->Args({2, 8})->Args({4, 20})->Args({8, 50})->Unit(benchmark::kMillisecond);

void BM_DecodeThemePicture(benchmark::State& state) {
    const int side = int(state.range(0));
    const Bytes file =
        tessary::desktop::encodeBmp24({side, side, std::vector<uint32_t>(size_t(side) * size_t(side), 0xFF336699u)});
    for (auto _ : state) benchmark::DoNotOptimize(decodePicture(file));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_DecodeThemePicture)->Arg(50)->Arg(400);

}  // namespace

BENCHMARK_MAIN();
