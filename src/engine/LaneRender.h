// Rendering a span's voices side by side in SIMD lanes: the voices are
// sorted into groups that share their shortcuts and filters, rendered by the
// lane kernel of the kit's path and mixed in slot order, then written back.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Plays and mixes every sounding voice into outputs as the plain chain
// would, bit for bit, in the lanes they were held in since the last change
// (LaneLayout.h); reachedPairs becomes the output pairs it wrote, one bit
// each, and the others are left untouched. Answers how many voices ended,
// or -1, having touched nothing, when a voice runs a filter the lanes do
// not (a cascade, a control signal or a chain).
int renderVoicesInLanes(DrumSynth& synth, float* const* outputs, int32_t count, uint32_t& reachedPairs);
