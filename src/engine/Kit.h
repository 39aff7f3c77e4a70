// Creation, rate set-up and teardown of the kit block.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Allocates a zeroed kit block and constructs its 48 pad and 72 voice filters.
// Null when the allocation fails.
DrumKit* allocateKit();

// Frees the scratch buffer, the sample store, every pad's sample, the filters
// (voices last to first, then pads last to first) and the block itself.
void releaseKit(DrumKit* kit);

// The rate-derived fields of the kit, as every rate change computes them.
void updateRateFields(DrumKit& kit, float sampleRate);

// Derives the rate fields, replaces the scratch buffer when the block size
// changes, and designs every pad filter for the rate.
void setAudioFormat(DrumSynth& synth, float sampleRate, int32_t blockSize);

// holdRates[rateIndex] / sampleRate and its inverse, after either changed.
void updateHoldRatio(Pad& pad);
