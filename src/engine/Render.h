// Rendering one span of audio: the editor's preview note, every sounding
// voice through its pad's sample, hold, bit depth, fades, smoothing and
// filters, mixed into the pad's output pair.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Overwrites count frames (1 to blockLength) of all 16 outputs. Answers 2
// when a pad indicator changed (a preview note or a voice that ended).
int renderBlock(DrumSynth& synth, float* const* outputs, int32_t count);

// Writes count values of the voice into the kit's scratch buffer; answers 1
// when the voice ended in this call and freed its slot.
int playVoice(DrumSynth& synth, Voice& voice, Pad& pad, int32_t count);
