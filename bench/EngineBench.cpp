// The engine's heaviest load, through the host's processReplacing entry:
// all 24 voices sounding, every pad with its low cut, mid band and high cut
// on, sample-rate and bit-depth reduction on, 44.1 kHz, 16 outputs.
//
// Counters: per_voice_frame, the CPU time of one voice for one frame, and
// audio_per_cpu, seconds of audio rendered per CPU second (the real-time
// factor).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/BusyFlags.h"
#include "engine/Kit.h"
#include "engine/MidiStatus.h"
#include "engine/PadParameters.h"
#include "host/zelVst.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr int kOutputs = 16;
constexpr int32_t kSampleFrames = 4 * 44100;  // outlasts any voice: pads are re-hit sooner
constexpr int kLowCutHz = 200, kMidHz = 1000, kHighCutHz = 8000;
constexpr float kMidGainDb = 4.0f;
constexpr int kRateIndex = 8;  // 20000 Hz hold
constexpr int kBitIndex = 10;  // "12bit"

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

struct EventBlock {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kVoiceCount];
    VstMidiEvent midi[kVoiceCount];
};
static_assert(offsetof(EventBlock, events) == offsetof(VstEvents, events), "VstEvents prefix");

class WorstCase {
public:
    explicit WorstCase(int32_t hostBlock)
        : storage(kOutputs, std::vector<float>(hostBlock)),
          inputStorage(2, std::vector<float>(hostBlock, 0.0f)) {
        for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[o].data();
        for (int i = 0; i < 2; ++i) inputs[i] = inputStorage[i].data();
        effect = createPlugin(hostCallback);
        if (effect == nullptr) return;
        synth = &static_cast<zelVst*>(effect->object)->core();
        dispatch(effSetSampleRate, 0, 0, kRate);
        dispatch(effSetBlockSize, 0, hostBlock, 0.0f);
        dispatch(effMainsChanged, 0, 1, 0.0f);

        std::mt19937 rng(5);
        std::uniform_real_distribution<float> noise(-1.0f, 0.99f);
        for (int p = 0; p < kPadCount; ++p) {
            auto* samples = static_cast<float*>(std::malloc(sizeof(float) * kSampleFrames));
            if (samples == nullptr) return;
            for (int32_t i = 0; i < kSampleFrames; ++i) samples[i] = noise(rng);
            EditGuard guard(synth->busy);
            Pad& pad = synth->kit->pads[p];
            pad.samples = samples;
            pad.frameCount = kSampleFrames;
            pad.sampleRate = kRate;
            updateHoldRatio(pad);
        }
        for (int p = 0; p < kPadCount; ++p) {
            set(p, ParamLow, kLowCutHz / 5000.0f);
            set(p, ParamHigh, (kHighCutHz - 2000) / 28000.0f);
            set(p, ParamMid, kMidHz / 5000.0f);
            set(p, ParamMidGain, (kMidGainDb + 6.0f) / 12.0f);
            set(p, ParamSampleRate, parameterMapping(ParamSampleRate).stepCentre(kRateIndex));
            set(p, ParamBit, parameterMapping(ParamBit).stepCentre(kBitIndex));
            set(p, ParamChannel, parameterMapping(ParamChannel).stepCentre(p % 8));  // all 8 output pairs
        }
        ready = true;
    }

    ~WorstCase() {
        if (effect != nullptr) dispatch(effClose, 0, 0, 0.0f);
    }

    // Why the set-up is not the worst case, or null when it is.
    const char* fault() const {
        if (!ready) return "plug-in set-up failed";
        for (const Pad& pad : synth->kit->pads) {
            if (!(pad.lowCut > 10.0f && pad.midFreq > 10.0f && pad.highCut < 30000.0f))
                return "a filter is off";
            if (pad.rateIndex != kRateIndex || pad.bitIndex != kBitIndex) return "reduction off";
        }
        return nullptr;
    }

    int sounding() const {
        int count = 0;
        for (const Voice& voice : synth->kit->voices) count += voice.pad != nullptr;
        return count;
    }

    // One host block. Pads are hit in turn until all 24 voices sound at its
    // first frame; each hit chokes the pad's older voice, which keeps sounding
    // through its 0.1 s fade, so 8 of the 24 are always fading.
    void block(int32_t frames) {
        const int missing = kVoiceCount - sounding();
        if (missing > 0) {
            events.numEvents = missing;
            for (int e = 0; e < missing; ++e) {
                VstMidiEvent& midi = events.midi[e];
                std::memset(&midi, 0, sizeof midi);
                midi.type = kVstMidiType;
                midi.byteSize = sizeof midi;
                midi.midiData[0] = static_cast<char>(midi::kNoteOn);
                midi.midiData[1] = static_cast<char>(synth->kit->pads[nextPad].note);
                midi.midiData[2] = 100;
                events.events[e] = reinterpret_cast<VstEvent*>(&midi);
                nextPad = (nextPad + 1) % kPadCount;
            }
            dispatch(effProcessEvents, 0, 0, 0.0f, &events);
        }
        effect->processReplacing(effect, inputs, outputs, frames);
    }

    float firstOutput() const { return storage[0][0]; }

private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt,
                       void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void set(int pad, int param, float value) {
        effect->setParameter(effect, pad * kParamsPerPad + param, value);
    }

    std::vector<std::vector<float>> storage;
    std::vector<std::vector<float>> inputStorage;  // offered as a host would; never read
    float* outputs[kOutputs] = {};
    float* inputs[2] = {};
    AEffect* effect = nullptr;
    DrumSynth* synth = nullptr;
    EventBlock events{};
    int nextPad = 0;
    bool ready = false;
};

void WorstCaseVoices(benchmark::State& state) {
    const auto frames = static_cast<int32_t>(state.range(0));
    WorstCase engine(frames);
    if (const char* fault = engine.fault()) {
        state.SkipWithError(fault);
        return;
    }
    engine.block(frames);
    if (engine.sounding() != kVoiceCount) {
        state.SkipWithError("not all 24 voices sound");
        return;
    }

    for (auto _ : state) {
        engine.block(frames);
        benchmark::DoNotOptimize(engine.firstOutput());
    }

    // Every block starts with 24 voices; one that ends inside a block still
    // costs its filters and mixing for the whole block.
    const double blocks = static_cast<double>(state.iterations());
    state.counters["per_voice_frame"] = benchmark::Counter(
        blocks * frames * kVoiceCount, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["audio_per_cpu"] =
        benchmark::Counter(blocks * frames / kRate, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * frames);
}

BENCHMARK(WorstCaseVoices)->ArgName("host_block")->Arg(1024)->Arg(32);

}  // namespace
