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
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "BenchEngine.h"

namespace {

constexpr int32_t kSampleFrames = 4 * 44100;  // outlasts any voice: pads are re-hit sooner
constexpr int kPaths = 3;
const RenderPath kPathOf[kPaths] = {RenderPath::Plain, RenderPath::Lanes4, RenderPath::Lanes8};
const char* const kPathNames[kPaths] = {"plain", "lanes4", "lanes8"};

// Four seconds of 16-bit noise as a WAV file image.
std::vector<uint8_t> noiseWav() {
    std::vector<uint8_t> frames(2 * kSampleFrames);
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
    return 0;
}

const int registered = registerAll();

}  // namespace
