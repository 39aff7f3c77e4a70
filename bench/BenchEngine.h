// A plug-in instance for the benchmarks, driven through processReplacing as a
// host drives it: 44.1 kHz, 16 outputs, every pad loaded with the same WAV
// file image, one render path forced, and a number of voices kept sounding by
// hitting the pads in turn.
#pragma once

#include <cstdint>
#include <vector>

#include "EventBlock.h"
#include "core/PluginCore.h"
#include "engine/DrumSynth.h"
#include "engine/RenderPath.h"
#include "host/Vst2.h"

namespace bench {

constexpr float kRate = 44100.0f;
constexpr int kOutputs = 16;

// What every pad runs besides playback.
struct PadSetup {
    bool filters = false;    // low cut 200 Hz, mid band 1 kHz +4 dB, high cut 8 kHz
    bool reduction = false;  // a 20 kHz hold and 12 bits
};

// A mono WAV file image: format 1 (integer) or 3 (float), the frames' bytes as given.
std::vector<uint8_t> wavImage(uint16_t format, uint16_t bits, const std::vector<uint8_t>& frames);

class BenchEngine {
public:
    BenchEngine(int32_t hostBlock, RenderPath path, PadSetup setup, int voices, const std::vector<uint8_t>& wav);
    ~BenchEngine();
    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

    // Why the set-up is not the one asked for, or null when it is.
    const char* fault() const;
    int sounding() const;

    // One host block. Pads are hit in turn until the voices sound at its
    // first frame; with 24, each hit chokes the pad's older voice, which keeps
    // sounding through its 0.1 s fade, so 8 of the 24 are always fading.
    void block(int32_t frames);

    const float* output(int o) const { return storage[static_cast<size_t>(o)].data(); }
    const DrumSynth& engine() const { return *synth; }

    // effGetChunk and effSetChunk, as a host saves and restores the plug-in
    // (any thread, while the audio plays).
    std::vector<uint8_t> chunk();
    bool setChunk(const std::vector<uint8_t>& image);

private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt, void* ptr = nullptr);
    void set(int pad, int param, float value);

    int voices;
    PadSetup setup;
    std::vector<std::vector<float>> storage;
    std::vector<std::vector<float>> inputStorage;  // offered as a host would; never read
    float* outputs[kOutputs] = {};
    float* inputs[2] = {};
    AEffect* effect = nullptr;
    PluginCore* core = nullptr;
    DrumSynth* synth = nullptr;  // the engine the audio thread plays
    EventBlock eventBlock{kVoiceCount};
    std::vector<HostEvent> hits;
    int nextPad = 0;
    bool ready = false;
};

}  // namespace bench
