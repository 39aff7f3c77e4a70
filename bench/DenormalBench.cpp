// What quiet sounds cost: 24 voices through all three filters (no rate or
// bit reduction; one case without filters), on every render path, playing 32-bit float samples of one
// level each:
//   loud       noise at +-0.1, the reference;
//   quiet      +-1e-20: tiny, but above the filters' 1e-25 floor;
//   faint      +-1e-30: below the floor, so the filters take in zeros;
//   subnormal  +-1e-39: a float file's tail that decayed below FLT_MIN;
//   ringout    100 loud frames, then zeros: the filters ring down, the
//              smoother halves towards zero;
//   bare       the same without filters, so the smoother's halving reaches
//              the outputs.
// Each once as the plug-in runs and once with the processor flushing
// subnormal numbers (FTZ and DAZ), to show what they cost.
//
// Counters: per_voice_frame; subnormal_out, the share of output values that
// are subnormal; subnormal_state, subnormal values found in the voices'
// smoother and filter states per block.
#include <benchmark/benchmark.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchEngine.h"
#include "engine/LaneLayout.h"

namespace {

constexpr int32_t kSampleFrames = 4 * 44100;
constexpr int32_t kBlock = 1024;
constexpr int kVoices = kVoiceCount;  // every voice sounding
constexpr int kPaths = 3;
const RenderPath kPathOf[kPaths] = {RenderPath::Plain, RenderPath::Lanes4, RenderPath::Lanes8};
const char* const kPathNames[kPaths] = {"plain", "lanes4", "lanes8"};

struct Tail {
    const char* name;
    float level;
    int32_t loudFrames;  // frames at 0.1 before the level takes over
    bool filters = true;
};
const Tail kTails[] = {{"loud", 0.1f, 0},      {"quiet", 1e-20f, 0},   {"faint", 1e-30f, 0},
                       {"subnormal", 1e-39f, 0}, {"ringout", 0.0f, 100}, {"bare", 0.0f, 100, false}};

std::vector<uint8_t> floatWav(const Tail& tail) {
    std::vector<uint8_t> frames(4 * static_cast<size_t>(kSampleFrames));
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int32_t i = 0; i < kSampleFrames; ++i) {
        const float value = noise(rng) * (i < tail.loudFrames ? 0.1f : tail.level);
        std::memcpy(&frames[4 * static_cast<size_t>(i)], &value, 4);
    }
    return bench::wavImage(3, 32, frames);
}

bool subnormal(float value) { return std::fpclassify(value) == FP_SUBNORMAL; }

long subnormalStates(const DrumSynth& synth) {
    writeBackLanes(*synth.kit);  // the lanes hold the voices' state between spans
    long count = 0;
    for (const Voice& voice : synth.kit->voices) {
        if (voice.pad == nullptr) continue;
        count += subnormal(voice.smoothState);
        for (const Biquad* filter : {&voice.lowCutFilter, &voice.midFilter, &voice.highCutFilter})
            for (float value : filter->state) count += subnormal(value);
    }
    return count;
}

// The processor's flush modes for the benchmark's thread, restored after.
class FlushModes {
public:
    explicit FlushModes(bool on) : saved(_mm_getcsr()) {
        if (on) _mm_setcsr(saved | 0x8040);  // FTZ and DAZ
    }
    ~FlushModes() { _mm_setcsr(saved); }

private:
    unsigned saved;
};

// args: tail, path, flush
void Tails(benchmark::State& state) {
    const Tail& tail = kTails[state.range(0)];
    bench::BenchEngine engine(kBlock, kPathOf[state.range(1)], bench::PadSetup{tail.filters, false}, kVoices,
                              floatWav(tail));
    if (const char* fault = engine.fault()) {
        state.SkipWithError(fault);
        return;
    }
    FlushModes modes(state.range(2) != 0);
    engine.block(kBlock);
    long outputs = 0, subnormalOutputs = 0, subnormalState = 0;
    for (auto _ : state) {
        engine.block(kBlock);
        state.PauseTiming();
        for (int o = 0; o < bench::kOutputs; ++o)
            for (int32_t i = 0; i < kBlock; ++i) subnormalOutputs += subnormal(engine.output(o)[i]);
        outputs += bench::kOutputs * kBlock;
        subnormalState += subnormalStates(engine.engine());
        state.ResumeTiming();
    }
    const double blocks = static_cast<double>(state.iterations());
    state.counters["per_voice_frame"] = benchmark::Counter(
        blocks * kBlock * kVoices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["subnormal_out"] = outputs != 0 ? double(subnormalOutputs) / double(outputs) : 0.0;
    state.counters["subnormal_state"] = double(subnormalState) / blocks;
}

int registerAll() {
    for (int t = 0; t < int(sizeof kTails / sizeof kTails[0]); ++t)
        for (int flush : {0, 1})
            for (int path = 0; path < kPaths; ++path) {
                const std::string name = std::string("Tails/") + kTails[t].name + "/" + kPathNames[path] +
                                         (flush != 0 ? "/ftz" : "");
                benchmark::RegisterBenchmark(name.c_str(), Tails)->Args({t, path, flush});
            }
    return 0;
}

const int registered = registerAll();

}  // namespace
