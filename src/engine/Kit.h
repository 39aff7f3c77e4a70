// Creation, rate set-up and teardown of the kit block.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Default names and keys of the 16 pads.
extern const char* const kDefaultPadNames[kPadCount];
extern const int8_t kDefaultPadNotes[kPadCount];

// Creates the kit of a zeroed synth whose hostRate and blockLength are set:
// 16 pads at their defaults with designed filters, 24 free voices, the
// scratch buffer. The sample store is the caller's to add. Null when an
// allocation failed (nothing is left behind).
DrumKit* createKit(DrumSynth& synth);

// Frees the scratch buffer, the sample store, every pad's sample, the filters
// (voices last to first, then pads last to first) and the block itself.
void releaseKit(DrumKit* kit);

// The rate-derived fields of the kit, as every rate change computes them.
void updateRateFields(DrumKit& kit, float sampleRate);

// The rate-derived fields, and every pad's filters designed for the rate.
void applySampleRate(DrumKit& kit, float sampleRate);

// Replaces the scratch buffer when the block size changes, then applies the
// rate.
void setAudioFormat(DrumSynth& synth, float sampleRate, int32_t blockSize);

// Plays the kit's voices through wanted, or the widest path this machine
// runs below it.
void chooseRenderPath(DrumKit& kit, RenderPath wanted);

// holdRates[rateIndex] / sampleRate and its inverse, after either changed.
void updateHoldRatio(Pad& pad);
