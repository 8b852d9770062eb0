// Painting costs of the busiest controls, with the generated skin and fonts:
//   build/bench/controls_bench
// Repainting a chat pane of 500 wrapped lines (aim: under 5 ms) and one poll
// tick's worth of a 5,000-player list, handled and painted (aim: under 20 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <filesystem>

#include "controls/chat_box.h"
#include "controls/player_list.h"
#include "skin/font_table.h"
#include "skin/skin_environment.h"

namespace {

using namespace tessary;
using controls::ChatBox;
using controls::PlayerList;
using controls::PlayerRow;
using controls::PlayerRows;

constexpr QRect kChatArea(0, 34, 467, 268);
constexpr QRect kPlayerArea(0, 30, 278, 400);

std::string chatText(int i) {
    std::string text = "message " + std::to_string(i) + ":";
    while (text.size() < 180) text += " lorem ipsum dolor sit amet www.example.org/page";
    return text;
}

void fillChat(ChatBox& chat) {
    for (int i = 0; i < 500; ++i) {
        chat.addLine(controls::formatChatLine("Player" + std::to_string(i % 37), chatText(i),
                                              controls::chatColour(200, 220, 255), i % 5),
                     false);
    }
}

void BM_ChatRepaint500Lines(benchmark::State& state) {
    QWidget window;
    ChatBox chat(&window);
    chat.place(kChatArea);
    fillChat(chat);
    QImage canvas(chat.size(), QImage::Format_RGB32);
    chat.render(&canvas);  // the first paint wraps the lines it shows
    for (auto _ : state) {
        chat.render(&canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}
BENCHMARK(BM_ChatRepaint500Lines)->Unit(benchmark::kMillisecond);

// Every line wrapped anew (a font change), scrolled to the middle.
void BM_ChatRewrapAndPaint500Lines(benchmark::State& state) {
    QWidget window;
    ChatBox chat(&window);
    chat.place(kChatArea);
    fillChat(chat);
    chat.scroll(controls::ScrollRequest::ThumbTrack, 250);
    QImage canvas(chat.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        for (const auto& line : chat.pane().lines()) line.layoutWidth = -1;
        chat.render(&canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}
BENCHMARK(BM_ChatRewrapAndPaint500Lines)->Unit(benchmark::kMillisecond);

// A peer's 4,000 letters without a blank, added and painted.
void BM_ChatLongLineAddAndPaint(benchmark::State& state) {
    QWidget window;
    ChatBox chat(&window);
    chat.place(kChatArea);
    QImage canvas(chat.size(), QImage::Format_RGB32);
    const std::string flood(4000, 'W');
    for (auto _ : state) {
        chat.addLine(controls::formatChatLine("Eve", flood, controls::kWhite, 0), false);
        chat.render(&canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}
BENCHMARK(BM_ChatLongLineAddAndPaint)->Unit(benchmark::kMillisecond);

// The arena's list of 5,000 players arrives: rows built, sorted by name as the
// player chose, the list refreshed and painted.
void BM_PlayerList5000HandledAndPainted(benchmark::State& state) {
    QWidget window;
    PlayerRows rows;
    rows.sortBy(controls::PlayerSort::ByName);
    PlayerList list(&window, &rows);
    list.place(kPlayerArea);
    QImage canvas(list.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        std::vector<PlayerRow> arrived;
        arrived.reserve(5000);
        for (int i = 0; i < 5000; ++i) {
            arrived.push_back({"player" + std::to_string((i * 7919) % 5000), "", 0, i % 6});
        }
        rows.assign(std::move(arrived));
        list.refresh();
        list.render(&canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}
BENCHMARK(BM_PlayerList5000HandledAndPainted)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::filesystem::path dist = qEnvironmentVariableIsSet("TESSARY_DIST")
                                           ? qEnvironmentVariable("TESSARY_DIST").toStdString()
                                           : std::string(TESSARY_BENCH_DIST);
    std::filesystem::current_path(dist);
    auto& environment = skin::skinEnvironment();
    environment.applicationDirectory = dist.string() + "/";
    skin::FontTable fonts;
    fonts.load("data\\font\\font.ini", "data\\font\\");
    environment.fonts = &fonts;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    environment.fonts = nullptr;
    return 0;
}
