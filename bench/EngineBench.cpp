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

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/BusyFlags.h"
#include "engine/Kit.h"
#include "files/PadSample.h"
#include "engine/MidiStatus.h"
#include "engine/PadParameters.h"
#include "host/zelVst.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr int kOutputs = 16;
constexpr int32_t kSampleFrames = 4 * 44100;  // outlasts any voice: pads are re-hit sooner
constexpr int kPaths = 3;
const RenderPath kPathOf[kPaths] = {RenderPath::Plain, RenderPath::Lanes4, RenderPath::Lanes8};
const char* const kPathNames[kPaths] = {"plain", "lanes4", "lanes8"};
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

// Four seconds of 16-bit noise as a WAV file image.
std::vector<uint8_t> noiseWav() {
    const uint32_t dataSize = 2 * kSampleFrames;
    std::vector<uint8_t> bytes(44 + dataSize);
    auto put = [&bytes](size_t at, uint32_t value, int width) {
        for (int b = 0; b < width; ++b) bytes[at + b] = static_cast<uint8_t>(value >> (8 * b));
    };
    std::memcpy(&bytes[0], "RIFF", 4);
    put(4, 36 + dataSize, 4);
    std::memcpy(&bytes[8], "WAVEfmt ", 8);
    const uint32_t rate = static_cast<uint32_t>(kRate);
    const uint32_t header[] = {16, 1 | (1u << 16), rate, rate * 2, 2 | (16u << 16)};
    for (int i = 0; i < 5; ++i) put(16 + 4 * i, header[i], 4);
    std::memcpy(&bytes[36], "data", 4);
    put(40, dataSize, 4);
    std::mt19937 rng(5);
    for (int32_t i = 0; i < kSampleFrames; ++i) put(44 + 2 * i, rng() & 0xFFFF, 2);
    return bytes;
}

class Engine {
public:
    Engine(int32_t hostBlock, RenderPath path, bool worst, int voices)
        : voices(voices),
          worst(worst),
          storage(kOutputs, std::vector<float>(hostBlock)),
          inputStorage(2, std::vector<float>(hostBlock, 0.0f)) {
        for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[o].data();
        for (int i = 0; i < 2; ++i) inputs[i] = inputStorage[i].data();
        effect = createPlugin(hostCallback);
        if (effect == nullptr) return;
        synth = &static_cast<zelVst*>(effect->object)->core();
        dispatch(effSetSampleRate, 0, 0, kRate);
        dispatch(effSetBlockSize, 0, hostBlock, 0.0f);
        dispatch(effMainsChanged, 0, 1, 0.0f);

        const std::vector<uint8_t> wav = noiseWav();
        for (int p = 0; p < kPadCount; ++p)
            if (loadPadSampleBytes(*synth, p, wav.data(), static_cast<int64_t>(wav.size()), "noise.wav") != nullptr)
                return;
        {
            EditGuard guard(synth->busy);
            chooseRenderPath(*synth->kit, path);
            if (synth->kit->renderPath != path) return;
        }
        ready = true;
        if (!worst) return;
        for (int p = 0; p < kPadCount; ++p) {
            set(p, ParamLow, kLowCutHz / 5000.0f);
            set(p, ParamHigh, (kHighCutHz - 2000) / 28000.0f);
            set(p, ParamMid, kMidHz / 5000.0f);
            set(p, ParamMidGain, (kMidGainDb + 6.0f) / 12.0f);
            set(p, ParamSampleRate, parameterMapping(ParamSampleRate).stepCentre(kRateIndex));
            set(p, ParamBit, parameterMapping(ParamBit).stepCentre(kBitIndex));
            set(p, ParamChannel, parameterMapping(ParamChannel).stepCentre(p % 8));  // all 8 output pairs
        }
    }

    ~Engine() {
        if (effect != nullptr) dispatch(effClose, 0, 0, 0.0f);
    }

    // Why the set-up is not the one asked for, or null when it is.
    const char* fault() const {
        if (!ready) return "plug-in set-up failed, or no such path here";
        for (const Pad& pad : synth->kit->pads) {
            if (!worst) {
                if (pad.lowCut > 10.0f || pad.midFreq > 10.0f || pad.highCut < 30000.0f) return "a filter is on";
                continue;
            }
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

    // One host block. Pads are hit in turn until the voices sound at its
    // first frame; with 24, each hit chokes the pad's older voice, which keeps
    // sounding through its 0.1 s fade, so 8 of the 24 are always fading.
    void block(int32_t frames) {
        const int missing = voices - sounding();
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

    int voices;
    bool worst;
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

// args: path, worst (1) or default (0), voices, host block
void Voices(benchmark::State& state) {
    const RenderPath path = kPathOf[state.range(0)];
    const bool worst = state.range(1) != 0;
    const int voices = static_cast<int>(state.range(2));
    const auto frames = static_cast<int32_t>(state.range(3));
    Engine engine(frames, path, worst, voices);
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
        benchmark::DoNotOptimize(engine.firstOutput());
    }

    // Every block starts with all its voices; one that ends inside a block
    // still costs its filters and mixing for the whole block.
    const double blocks = static_cast<double>(state.iterations());
    state.counters["per_voice_frame"] = benchmark::Counter(
        blocks * frames * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["audio_per_cpu"] =
        benchmark::Counter(blocks * frames / kRate, benchmark::Counter::kIsRate);
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
