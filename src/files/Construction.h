// Construction of the instrument's state: the kit with its default pads and
// an empty sample store.
#pragma once

#include "engine/DrumSynth.h"

// Expects a zeroed synth with hostRate and blockLength set. Answers false
// when an allocation failed; the kit is then left null.
bool constructSynth(DrumSynth& synth);
