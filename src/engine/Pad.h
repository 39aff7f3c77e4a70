// A drum pad: the settings that every patch stores for it, byte for byte,
// and the run-time state that plays it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/Biquad.h"
#include "engine/NoteActivity.h"
#include "engine/SampleShortcuts.h"

// The persistent part. Its 576 bytes are stored in every patch and host
// chunk, so their layout is a file format.
struct PadSettings {
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
    int32_t slotSize;   // size of the sample slot numbered after this pad
    int8_t slotNumber;  // slot this pad plays, 1-based; 0 = none
    uint8_t reserved[255];
};

constexpr size_t kPadRecordSize = 576;
static_assert(sizeof(PadSettings) == kPadRecordSize, "pad record layout");
static_assert(offsetof(PadSettings, fileName) == 16, "pad record layout");
static_assert(offsetof(PadSettings, volume) == 276, "pad record layout");
static_assert(offsetof(PadSettings, pan) == 280, "pad record layout");
static_assert(offsetof(PadSettings, pitch) == 284, "pad record layout");
static_assert(offsetof(PadSettings, pitchX) == 288, "pad record layout");
static_assert(offsetof(PadSettings, highCut) == 292, "pad record layout");
static_assert(offsetof(PadSettings, midFreq) == 296, "pad record layout");
static_assert(offsetof(PadSettings, midGain) == 300, "pad record layout");
static_assert(offsetof(PadSettings, lowCut) == 304, "pad record layout");
static_assert(offsetof(PadSettings, note) == 308, "pad record layout");
static_assert(offsetof(PadSettings, rateIndex) == 309, "pad record layout");
static_assert(offsetof(PadSettings, bitIndex) == 310, "pad record layout");
static_assert(offsetof(PadSettings, group) == 311, "pad record layout");
static_assert(offsetof(PadSettings, channel) == 312, "pad record layout");
static_assert(offsetof(PadSettings, slotSize) == 316, "pad record layout");
static_assert(offsetof(PadSettings, slotNumber) == 320, "pad record layout");
static_assert(offsetof(PadSettings, reserved) == 321, "pad record layout");

struct Pad : PadSettings {
    Biquad lowCutFilter;
    Biquad midFilter;
    Biquad highCutFilter;
    float sampleRate;     // the sample file's own rate
    float holdRatio;      // holdRates[rateIndex] / sampleRate
    float holdInverse;    // 1 / holdRatio
    float* samples;       // mono, in [-1, 1); null = none
    int32_t frameCount;
    int32_t slotOffset;   // offset of the slot numbered after this pad
    int32_t activity;     // kHeldActivity per held key + 1 per sounding voice
    uint8_t polarityCount;
    SampleShortcuts shortcuts;  // proven for the sample when it was switched in
    // The activity as the editor shows it, published after every change.
    std::atomic<NoteActivity> shownActivity;
};

inline void publishActivity(Pad& pad) {
    pad.shownActivity.store(noteActivityOf(pad.activity), std::memory_order_relaxed);
}
