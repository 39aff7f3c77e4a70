#pragma once

#include "engine/DrumSynth.h"

// Shows pad as selected: recolours every pad's name label and binds the
// detail pane's controls to the pad's parameters and texts.
void selectPad(DrumSynth& synth, int pad);
