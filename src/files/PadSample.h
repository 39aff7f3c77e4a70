// A pad's sample: loading a WAV file into a slot of the sample store and the
// pad, removing it, and rebuilding a pad's sample from its slot after a
// patch was restored.
//
// The caller holds the plug-in's edit lock. A load and a removal take the
// engine (the busy flags) themselves, only for the moment they switch the
// pad over: never call them while holding it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/DrumSynth.h"

// path non-empty: loads that file into the pad. path "": removes the pad's
// sample ("Del"). path null: rebuilds the pad's samples from the slot it
// plays (the caller then already holds the engine). Answers why a file was
// refused, in words, or an empty text when it was taken; a refused file
// changes nothing.
std::string loadPadSample(DrumSynth& synth, int pad, const char* path);

// Loads a whole WAV file image already in memory, as a file load would; name
// becomes the pad's fileName. Answers why it was refused, or null.
const char* loadPadSampleBytes(DrumSynth& synth, int pad, const uint8_t* bytes, int64_t size,
                               const char* name);
