// The LV2 plug-in's run() against the VST library's processReplacing, each
// loaded from its built binary as a host loads it, in one run: the example
// groove through the demo kit at 44.1 kHz, in host blocks of 64, 256 and
// 1024 frames. audio_per_cpu is seconds of audio per CPU second; the two
// bindings share the block loop, so the gap is the binding's own cost (the
// LV2 side also pays for its 208 control ports and its notify port), with
// each host's own work per block (building the event list or the sequence).
// On a busy machine the times wander; the instructions of the two calls
// alone do not:
//   valgrind --tool=callgrind --toggle-collect='zelLv2::run*' lv2_bench
//     --benchmark_filter='^Lv2Run/256$' --benchmark_min_time=0.001
// (and 'zelVst::processReplacing*' with '^ProcessReplacing/256$').
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "DemoKit.h"
#include "Lv2Host.h"
#include "MidiFile.h"
#include "MidiTiming.h"
#include "VstHost.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr int64_t kTail = 2 * int64_t(kRate);

struct Groove {
    std::vector<uint8_t> kit = demoKitImage();
    std::vector<TimedMessage> messages;
    int64_t frames = 0;
    Groove() {
        MidiSong song;
        std::string error;
        if (!readMidiFile(ZEL_GROOVE, song, error)) std::fprintf(stderr, "%s: %s\n", ZEL_GROOVE, error.c_str());
        messages = timedMessages(song, kRate);
        frames = MidiClock(song, kRate).frameAt(song.endTick) + kTail;
    }
};

const Groove& groove() {
    static const Groove once;
    return once;
}

// Plays the groove in blocks: due(start, length) hands each block its events
// counted from the block's start, then render(length) renders it.
template <class Due, class Render>
void playGroove(int32_t block, Due&& due, Render&& render) {
    const Groove& g = groove();
    size_t next = 0;
    for (int64_t start = 0; start < g.frames; start += block) {
        const int32_t length = int32_t(std::min<int64_t>(block, g.frames - start));
        for (; next < g.messages.size() && g.messages[next].frame < start + length; ++next)
            due(g.messages[next], g.messages[next].frame - start);
        render(length);
    }
}

void report(benchmark::State& state, int64_t frames) {
    state.counters["audio_per_cpu"] =
        benchmark::Counter(double(frames) / kRate * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ns_per_frame"] = benchmark::Counter(double(frames) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ProcessReplacing(benchmark::State& state) {
    const auto block = int32_t(state.range(0));
    vsthost::PluginLibrary library;
    std::string error;
    if (!library.open(ZEL_VST_LIBRARY, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<std::vector<float>> outputs(16, std::vector<float>(size_t(block)));
    std::vector<float*> pointers;
    for (auto& output : outputs) pointers.push_back(output.data());
    std::vector<vsthost::MidiEvent> due;
    for (auto _ : state) {
        state.PauseTiming();
        auto effect = std::make_unique<vsthost::Effect>(library.create());
        effect->dispatch(effOpen);
        effect->dispatch(effSetSampleRate, 0, 0, nullptr, float(kRate));
        effect->dispatch(effSetBlockSize, 0, block);
        std::vector<uint8_t> kit = groove().kit;
        effect->dispatch(effSetChunk, 0, VstIntPtr(kit.size()), kit.data());
        effect->dispatch(effMainsChanged, 0, 1);
        state.ResumeTiming();
        playGroove(
            block, [&](const TimedMessage& m, int64_t at) { due.push_back({at, m.status, m.data1, m.data2}); },
            [&](int32_t length) {
                if (!due.empty()) effect->sendMidi(due);
                due.clear();
                effect->process(pointers.data(), length);
            });
        benchmark::DoNotOptimize(outputs[0][0]);
        state.PauseTiming();
        effect.reset();
        state.ResumeTiming();
    }
    report(state, groove().frames);
}

void Lv2Run(benchmark::State& state) {
    const auto block = int32_t(state.range(0));
    lv2host::setBundle(ZEL_LV2_BUNDLE_DIR);
    for (auto _ : state) {
        state.PauseTiming();
        lv2host::Options options;
        options.rate = kRate;
        options.maxBlock = block;
        options.readNotify = false;
        auto instance = std::make_unique<lv2host::Instance>(options);
        instance->restorePatch(groove().kit);
        instance->activate();
        state.ResumeTiming();
        playGroove(
            block, [&](const TimedMessage& m, int64_t at) { instance->midi(at, m.status, m.data1, m.data2); },
            [&](int32_t length) { instance->run(uint32_t(length)); });
        benchmark::DoNotOptimize(instance->output(0)[0]);
        state.PauseTiming();
        instance.reset();
        state.ResumeTiming();
    }
    report(state, groove().frames);
}

BENCHMARK(ProcessReplacing)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(Lv2Run)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace
