// Receiving many small frames at once: cut, decode and queue, then hand each
// out, as a burst from a server does. Reported as frames per second.
#include <benchmark/benchmark.h>

#include "protocol/frame_cutter.h"

namespace tessary::protocol {
namespace {

// A chat line as an Arena relays it: about 40 bytes on the wire.
Bytes burstOf(int64_t frames) {
    ServiceMessage chat;
    chat.type = CHAT;
    chat.source = kModuleArena;
    chat.destination = kModulePlayer;
    chat.body.appendText("somebody");
    chat.body.appendText("good game, well played");
    Bytes stream;
    for (int64_t i = 0; i < frames; ++i) encodeTo(chat, stream);
    return stream;
}

void cutDecodeAndQueue(benchmark::State& state) {
    const int64_t frames = state.range(0);
    const Bytes stream = burstOf(frames);
    ByteFifo fifo;
    ReceiveQueue queue;
    for (auto _ : state) {
        fifo.append(stream);
        if (cutFrames(fifo, queue) != CutResult::Ok) state.SkipWithError("cut failed");
        while (!queue.empty())
            benchmark::DoNotOptimize(toMessage(std::move(queue.takeFront().frame)));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * frames);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}
BENCHMARK(cutDecodeAndQueue)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessary::protocol

BENCHMARK_MAIN();
