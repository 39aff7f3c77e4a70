// The engine's records: 16 pads, 24 voices and the engine's clock and rates,
// held in one heap block together with the editor's control records.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "editor/GuiControl.h"
#include "engine/Biquad.h"

constexpr int kPadCount = 16;
constexpr int kVoiceCount = 24;
constexpr int kOutputCount = 16;
constexpr int kHoldRateCount = 16;
constexpr int kBitIndexCount = 23;  // "2bit" to "24bit"
constexpr int kOutputPairCount = 8;

// Rates at which a pad may hold its sample values, indexed by rateIndex.
extern const float holdRates[kHoldRateCount];

// A pad. The first 576 bytes are the persistent settings, stored byte for
// byte in every patch and host chunk: their layout is a file format.
struct Pad {
    char name[16];
    char fileName[260];
    float volume;   // 0 to 2
    float pan;      // 0 = left only, 1 = right only
    float pitch;    // playback-rate factor, 0.5 to 2
    float pitchX;   // -1 to 1: velocity pitch and roll strength
    float highCut;  // low-pass corner, 30000 = off
    float midFreq;  // peaking centre, 10 or less = off
    float midGain;  // dB, -6 to 6
    float lowCut;   // high-pass corner, 10 or less = off
    int8_t note;
    int8_t rateIndex;
    int8_t bitIndex;
    int8_t group;
    int8_t channel;
    uint8_t padding[3];
    int32_t slotSize;  // size of the sample slot numbered after this pad
    int8_t slotNumber;  // slot this pad plays, 1-based; 0 = none
    uint8_t reserved[255];

    // Run-time part, never stored.
    Biquad lowCutFilter;
    Biquad midFilter;
    Biquad highCutFilter;
    GuiControl* control;  // the pad's block of editor controls
    float sampleRate;     // the sample file's own rate
    float holdRatio;      // holdRates[rateIndex] / sampleRate
    float holdInverse;    // 1 / holdRatio
    float* samples;       // mono, in [-1, 1); null = none
    int32_t frameCount;
    int32_t slotOffset;   // offset of the slot numbered after this pad
    int32_t activity;     // 1000 per held key + 1 per sounding voice
    uint8_t polarityCount;
};

constexpr size_t kPadRecordSize = 576;
static_assert(offsetof(Pad, fileName) == 16, "pad record layout");
static_assert(offsetof(Pad, volume) == 276, "pad record layout");
static_assert(offsetof(Pad, pan) == 280, "pad record layout");
static_assert(offsetof(Pad, pitch) == 284, "pad record layout");
static_assert(offsetof(Pad, pitchX) == 288, "pad record layout");
static_assert(offsetof(Pad, highCut) == 292, "pad record layout");
static_assert(offsetof(Pad, midFreq) == 296, "pad record layout");
static_assert(offsetof(Pad, midGain) == 300, "pad record layout");
static_assert(offsetof(Pad, lowCut) == 304, "pad record layout");
static_assert(offsetof(Pad, note) == 308, "pad record layout");
static_assert(offsetof(Pad, rateIndex) == 309, "pad record layout");
static_assert(offsetof(Pad, bitIndex) == 310, "pad record layout");
static_assert(offsetof(Pad, group) == 311, "pad record layout");
static_assert(offsetof(Pad, channel) == 312, "pad record layout");
static_assert(offsetof(Pad, slotSize) == 316, "pad record layout");
static_assert(offsetof(Pad, slotNumber) == 320, "pad record layout");
static_assert(offsetof(Pad, reserved) == 321, "pad record layout");
static_assert(offsetof(Pad, lowCutFilter) == kPadRecordSize, "pad record layout");

// A sounding note: a working copy of one pad's playback state.
struct Voice {
    Pad* pad;  // null = the slot is free
    Biquad lowCutFilter;
    Biquad midFilter;
    Biquad highCutFilter;
    float pitchFactor;  // extra rate factor from velocity and rolls
    float fadeInStep;
    float glideStep;    // per-sample fall of pitchFactor
    float position;     // in samples of the pad's sample
    float fadeIn;       // 0 to 1
    float fadeOut;      // choke fade level; 0 = not fading
    float gain;         // velocity gain with sign
    float smoothState;  // last output of the two-tap smoother
    uint32_t startClock;
};

struct SampleStore;

struct DrumKit {
    Pad pads[kPadCount];
    Voice voices[kVoiceCount];
    uint32_t clock;
    int32_t halfRate;       // samples in half a second
    float rollBendScale;    // 0.025 / halfRate
    float fadeOutStep;      // 10 / rate: a choke fade lasts 0.1 s
    float velocityScale;    // 1 / 127
    float* scratch;         // blockLength floats
    SampleStore* sampleStore;
    // Preview requests from the editor, consumed by the next render; -1 = none.
    std::atomic<int8_t> previewOn;
    std::atomic<int8_t> previewOff;
    int8_t previewNote;
    ControlStore controls;
};

// The pad's note label, which note activity recolours.
inline GuiControl& noteLabel(Pad& pad) { return pad.control[kNoteLabel]; }
