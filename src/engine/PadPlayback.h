// What a sounding pad takes over from the edit side's copy of it, as plain
// values: its settings, its filters' designs, its sample and the values
// derived from them. A pad's run-time state (its activity, its polarity
// count and the activity it publishes) belongs to the audio thread and is
// never part of it; nor are a filter's state and coefficient pointers, which
// stay the sounding pad's own.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

struct FilterDesign {
    float coefficients[Biquad::CoefficientCount];
    int8_t type;
    uint8_t flags;
    float freq, gain, mix, q;
    int32_t setCount;
};

struct PadPlayback {
    PadSettings settings;
    FilterDesign lowCut, mid, highCut;
    float sampleRate, holdRatio, holdInverse;
    float* samples;
    int32_t frameCount;
    int32_t slotOffset;
    SampleShortcuts shortcuts;
};

PadPlayback playbackOf(const Pad& pad);
// Into pad p of the kit; lanes that play the pad let it go first.
void applyPlayback(DrumKit& kit, int pad, const PadPlayback& playback);

// The kit-wide values that follow the host's rate.
struct KitRates {
    float hostRate, hostRateInverse;
    int32_t halfRate;
    float rollBendScale, fadeOutStep;
};

KitRates ratesOf(const DrumSynth& synth);
void applyRates(DrumSynth& synth, const KitRates& rates);
