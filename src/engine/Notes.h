// The engine's note entry: note-ons start voices, releases only move the
// pads' activity indicators (pads are one-shot).
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// status is the MIDI status with its channel bits cleared; only note-offs
// and note-ons act. Answers 2 when a pad matched (its published activity was
// rewritten), else 0.
int noteEvent(DrumSynth& synth, uint8_t status, int16_t key, int16_t velocity);
