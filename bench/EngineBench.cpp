// The engine through the host's processReplacing entry, each render path side
// by side in one run: the plain chain (the reference) and the voices in 4
// and 8 lanes. Pads hold 16-bit samples loaded as files are, 44.1 kHz, 16
// outputs, in two set-ups:
//   worst:   every pad with its low cut, mid band and high cut on, sample-rate
//            and bit-depth reduction on;
//   default: the pads as a fresh kit has them (no filter, no reduction).
// Each with 24 or 6 voices sounding, in 1024- or 32-frame host blocks.
//
// Counters: per_voice_frame, the CPU time of one voice for one frame, and
// audio_per_cpu, seconds of audio rendered per CPU second (the real-time
// factor).
//
// BlockSizes plays 32-frame and 1024-frame host blocks in turns within each
// iteration, on this thread's CPU clock, so that both see the same machine:
// ratio_32_to_1024 is the 32-frame blocks' cost per frame over the
// 1024-frame blocks'.
//
// Latency plays 64-frame blocks with 24 voices in real time, a block every
// 64 / 44100 s, for a second at a time, in turns quiet and while another
// thread restores a 2 MB patch (effSetChunk) ten times a second: the
// longest processReplacing call of each, and their ratio. The audio thread
// runs at a real-time priority, as hosts run theirs, when the system grants
// it (rt_priority 1; else 0, and the figures include its preemptions).
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchEngine.h"

namespace {

constexpr int32_t kSampleFrames = 4 * 44100;  // outlasts any voice: pads are re-hit sooner
constexpr int kPaths = 3;
const RenderPath kPathOf[kPaths] = {RenderPath::Plain, RenderPath::Lanes4, RenderPath::Lanes8};
const char* const kPathNames[kPaths] = {"plain", "lanes4", "lanes8"};

// Seconds of 16-bit noise as a WAV file image (four: longer than any voice
// lasts, as pads are re-hit sooner).
std::vector<uint8_t> noiseWav(int32_t sampleFrames = kSampleFrames) {
    std::vector<uint8_t> frames(2 * static_cast<size_t>(sampleFrames));
    std::mt19937 rng(5);
    for (uint8_t& byte : frames) byte = static_cast<uint8_t>(rng());
    return bench::wavImage(1, 16, frames);
}

// args: path, worst (1) or default (0), voices, host block
void Voices(benchmark::State& state) {
    const RenderPath path = kPathOf[state.range(0)];
    const bool worst = state.range(1) != 0;
    const int voices = static_cast<int>(state.range(2));
    const auto frames = static_cast<int32_t>(state.range(3));
    bench::BenchEngine engine(frames, path, bench::PadSetup{worst, worst}, voices, noiseWav());
    if (const char* fault = engine.fault()) {
        state.SkipWithError(fault);
        return;
    }
    engine.block(frames);
    if (engine.sounding() != voices) {
        state.SkipWithError("not all voices sound");
        return;
    }

    for (auto _ : state) {
        engine.block(frames);
        benchmark::DoNotOptimize(engine.output(0)[0]);
    }

    // Every block starts with all its voices; one that ends inside a block
    // still costs its filters and mixing for the whole block.
    const double blocks = static_cast<double>(state.iterations());
    state.counters["per_voice_frame"] = benchmark::Counter(
        blocks * frames * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["audio_per_cpu"] =
        benchmark::Counter(blocks * frames / bench::kRate, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * frames);
}

double threadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

// args: path, worst (1) or default (0), voices
void BlockSizes(benchmark::State& state) {
    constexpr int32_t kFrames = 8192, kSmall = 32, kLarge = 1024;
    const RenderPath path = kPathOf[state.range(0)];
    const bool worst = state.range(1) != 0;
    const int voices = static_cast<int>(state.range(2));
    const std::vector<uint8_t> wav = noiseWav();
    bench::BenchEngine small(kSmall, path, bench::PadSetup{worst, worst}, voices, wav);
    bench::BenchEngine large(kLarge, path, bench::PadSetup{worst, worst}, voices, wav);
    if (const char* fault = small.fault() ? small.fault() : large.fault()) {
        state.SkipWithError(fault);
        return;
    }
    double smallSeconds = 0.0, largeSeconds = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        for (int32_t done = 0; done < kFrames; done += kSmall) small.block(kSmall);
        const double between = threadSeconds();
        for (int32_t done = 0; done < kFrames; done += kLarge) large.block(kLarge);
        smallSeconds += between - start;
        largeSeconds += threadSeconds() - between;
        benchmark::DoNotOptimize(small.output(0)[0] + large.output(0)[0]);
    }
    const double voiceFrames = double(state.iterations()) * kFrames * voices;
    state.counters["ratio_32_to_1024"] = smallSeconds / largeSeconds;
    state.counters["ns_32"] = 1e9 * smallSeconds / voiceFrames;
    state.counters["ns_1024"] = 1e9 * largeSeconds / voiceFrames;
}

bool runAtRealTimePriority() {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

void sleepUntil(std::chrono::steady_clock::time_point when) {
    const auto since = when.time_since_epoch();
    timespec at;
    at.tv_sec = static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(since).count());
    at.tv_nsec = static_cast<long>((since - std::chrono::seconds(at.tv_sec)).count());
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
}

// A patch of sixteen 64k-frame 16-bit samples: 2 MB.
constexpr int32_t kPatchSampleFrames = 65536;

// args: seconds of each kind
void Latency(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int32_t kBlock = 64;
    const int seconds = static_cast<int>(state.range(0));
    bench::BenchEngine engine(kBlock, fastestRenderPath(), bench::PadSetup{}, kVoiceCount,
                              noiseWav(kPatchSampleFrames));
    if (const char* fault = engine.fault()) {
        state.SkipWithError(fault);
        return;
    }
    const std::vector<uint8_t> patch = engine.chunk();
    const bool realTime = runAtRealTimePriority();
    std::atomic<bool> restoring{false}, done{false};
    std::atomic<int> restores{0};
    std::thread editor([&] {
        auto next = Clock::now();
        while (!done.load()) {
            next += std::chrono::milliseconds(100);
            sleepUntil(next);
            if (restoring.load() && engine.setChunk(patch)) restores.fetch_add(1);
        }
    });
    const auto period = std::chrono::nanoseconds(int64_t(1e9 * kBlock / bench::kRate));
    const int64_t blocksPerSecond = int64_t(bench::kRate) / kBlock;
    std::vector<double> calls[2];
    calls[0].reserve(size_t(seconds * blocksPerSecond));
    calls[1].reserve(size_t(seconds * blocksPerSecond));
    for (auto _ : state) {
        auto next = Clock::now();
        for (int s = 0; s < 2 * seconds; ++s) {
            const int kind = s % 2;  // 0 quiet, 1 restoring
            restoring.store(kind == 1);
            for (int64_t b = 0; b < blocksPerSecond; ++b) {
                next += period;
                sleepUntil(next);
                const auto start = Clock::now();
                engine.block(kBlock);
                calls[kind].push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            }
        }
    }
    restoring.store(false);
    done.store(true);
    editor.join();
    for (std::vector<double>& kind : calls) std::sort(kind.begin(), kind.end());
    auto at = [&calls](int kind, double share) { return calls[kind][size_t(share * double(calls[kind].size() - 1))]; };
    state.counters["longest_quiet_us"] = at(0, 1.0);
    state.counters["longest_restoring_us"] = at(1, 1.0);
    state.counters["ratio"] = at(1, 1.0) / at(0, 1.0);
    state.counters["median_quiet_us"] = at(0, 0.5);
    state.counters["median_restoring_us"] = at(1, 0.5);
    state.counters["p999_quiet_us"] = at(0, 0.999);
    state.counters["p999_restoring_us"] = at(1, 0.999);
    state.counters["restores"] = restores.load();
    state.counters["rt_priority"] = realTime;
}

int registerAll() {
    for (int worst : {1, 0})
        for (int voices : {24, 6})
            for (int block : {1024, 32})
                for (int path = 0; path < kPaths; ++path) {
                    const std::string name = std::string("Voices/") + (worst ? "worst" : "default") + "/" +
                                             std::to_string(voices) + "v/block" + std::to_string(block) + "/" +
                                             kPathNames[path];
                    benchmark::RegisterBenchmark(name.c_str(), Voices)->Args({path, worst, voices, block});
                }
    for (int worst : {1, 0})
        for (int voices : {24, 6})
            for (int path = 1; path < kPaths; ++path) {
                const std::string name = std::string("BlockSizes/") + (worst ? "worst" : "default") + "/" +
                                         std::to_string(voices) + "v/" + kPathNames[path];
                benchmark::RegisterBenchmark(name.c_str(), BlockSizes)->Args({path, worst, voices});
            }
    benchmark::RegisterBenchmark("Latency/64frames/24v", Latency)
        ->Arg(5)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return 0;
}

const int registered = registerAll();

}  // namespace
