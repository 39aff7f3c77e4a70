// Rendering a span's voices side by side in SIMD lanes: the voices are
// sorted into groups that share their shortcuts and filters, rendered by the
// lane kernel of the kit's path and mixed in slot order, then written back.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Whether every sounding voice runs only what the lanes run: a single
// filter section without cascade, control signal or chain.
bool lanesCanPlay(const DrumKit& kit);

// Plays and mixes every sounding voice into outputs (already cleared) as the
// plain chain would, bit for bit. Answers how many voices ended.
int renderVoicesInLanes(DrumSynth& synth, float* const* outputs, int32_t count);
