// Codec throughput next to memcpy of the same size. Each size runs memcpy
// first; the codec runs then report "x_memcpy", their CPU time per operation
// divided by memcpy's (CPU time, so that other load on the machine matters
// less).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <map>
#include <string>

#include "protocol/codec.h"

namespace tessary::protocol {
namespace {

// CPU time of this thread in nanoseconds.
double threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

std::map<size_t, double>& memcpyNsPerOp() {
    static std::map<size_t, double> table;
    return table;
}

// A structured message of `frameSize` bytes: header, binary marker and
// length, then the payload.
ServiceMessage messageOfFrameSize(size_t frameSize) {
    Bytes payload(frameSize - kHeaderSize - 5);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i * 31 + 7);
    ServiceMessage message;
    message.type = PHOTO;
    message.destination = kModuleArena;
    message.body.appendBinary(payload);
    return message;
}

void reportAgainstMemcpy(benchmark::State& state, size_t bytes, double startNs) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    const auto memcpyTime = memcpyNsPerOp().find(bytes);
    if (memcpyTime != memcpyNsPerOp().end() && state.iterations() > 0)
        state.counters["x_memcpy"] =
            (threadCpuNs() - startNs) / double(state.iterations()) / memcpyTime->second;
}

void memcpyOf(benchmark::State& state, size_t bytes) {
    Bytes from(bytes, 0x5A);
    Bytes to(bytes);
    const double start = threadCpuNs();
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    const double elapsed = threadCpuNs() - start;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    if (state.iterations() > 0) memcpyNsPerOp()[bytes] = elapsed / double(state.iterations());
}

void encodeAndScramble(benchmark::State& state, size_t frameSize) {
    const ServiceMessage message = messageOfFrameSize(frameSize);
    Bytes frame;
    frame.reserve(frameSize);
    const double start = threadCpuNs();
    for (auto _ : state) {
        frame.clear();
        encodeTo(message, frame);
        benchmark::DoNotOptimize(frame.data());
    }
    reportAgainstMemcpy(state, frameSize, start);
}

void unscrambleAndDecode(benchmark::State& state, size_t frameSize) {
    const Bytes frame = encode(messageOfFrameSize(frameSize));
    const double start = threadCpuNs();
    for (auto _ : state) {
        auto message = decode(frame);
        benchmark::DoNotOptimize(message);
    }
    reportAgainstMemcpy(state, frameSize, start);
}

void scrambleOnly(benchmark::State& state, size_t size) {
    Bytes body(size, 0x33);
    const double start = threadCpuNs();
    for (auto _ : state) {
        scrambleBody(body.data(), body.size());
        benchmark::DoNotOptimize(body.data());
    }
    reportAgainstMemcpy(state, size, start);
}

void unscrambleOnly(benchmark::State& state, size_t size) {
    Bytes body(size, 0x33);
    const double start = threadCpuNs();
    for (auto _ : state) {
        unscrambleBody(body.data(), body.size());
        benchmark::DoNotOptimize(body.data());
    }
    reportAgainstMemcpy(state, size, start);
}

// Frame sizes: a 100-byte body, a 64 KiB body and the largest message.
const bool registered = [] {
    for (const size_t frameSize : {kHeaderSize + 100, kHeaderSize + 65'536, kMaxMessageSize}) {
        const std::string size = std::to_string(frameSize);
        benchmark::RegisterBenchmark(("memcpy/" + size).c_str(), memcpyOf, frameSize);
        benchmark::RegisterBenchmark(("encode+scramble/" + size).c_str(), encodeAndScramble,
                                     frameSize);
        benchmark::RegisterBenchmark(("unscramble+decode/" + size).c_str(), unscrambleAndDecode,
                                     frameSize);
        benchmark::RegisterBenchmark(("scrambleBody/" + size).c_str(), scrambleOnly, frameSize);
        benchmark::RegisterBenchmark(("unscrambleBody/" + size).c_str(), unscrambleOnly, frameSize);
    }
    return true;
}();

}  // namespace
}  // namespace tessary::protocol
