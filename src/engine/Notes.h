// The engine's note entry: note-ons start voices, releases only move the
// pads' activity indicators (pads are one-shot).
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

constexpr uint32_t kHeldColour = rgb(255, 170, 170);
constexpr uint32_t kRingingColour = rgb(204, 153, 153);
constexpr uint32_t kIdleColour = rgb(136, 136, 136);

constexpr int32_t kHeldActivity = 1000;  // per held key; each voice adds 1

// status is the MIDI status with its channel bits cleared; only 0x80 and
// 0x90 act. Answers 2 when a pad matched (its indicator changed), else 0.
int noteEvent(DrumSynth& synth, uint8_t status, int16_t key, int16_t velocity);

// Recolours the pad's note label from its activity and marks it for repaint.
void showActivity(Pad& pad);
