// The synthesizer core: the kit, the rate and block length the host set, and
// where buffers go that an edit replaces.
#pragma once

#include <cstdint>

#include "engine/DrumKit.h"

class Retirement;

struct DrumSynth {
    float hostRate;
    float hostRateInverse;
    int32_t blockLength;  // longest engine span and scratch size
    DrumKit* kit;
    Retirement* retirement;  // null: a replaced buffer is freed at once
};

// Engine answers: 2 when something the editor shows has changed.
constexpr int kEditorChanged = 2;

// Frees a buffer an edit replaced, or hands it to the synth's retirement.
void retireBuffer(const DrumSynth& synth, void* buffer);
