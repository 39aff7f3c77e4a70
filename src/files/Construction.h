// Construction of the synthesizer core: identity, names, the kit with its
// default pads, the empty sample store and the default patch.
#pragma once

#include "engine/DrumSynth.h"

// Expects a zeroed synth with modulePath, hostRate, blockLength and
// capabilities set. Answers false when an allocation failed; what was made is
// then released by releaseKit.
bool constructSynth(DrumSynth& synth);

// Default names and keys of the 16 pads.
extern const char* const kDefaultPadNames[kPadCount];
extern const int8_t kDefaultPadNotes[kPadCount];
