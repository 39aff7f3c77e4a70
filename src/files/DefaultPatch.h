// The patch a new instance starts with: "preset/preset.bin" in the folder of
// the plug-in file ("preset\preset.bin" on Windows).
#pragma once

#include "engine/DrumSynth.h"

// Restores the default patch beside the module at modulePath, if there is
// one the patch reader takes. True when the kit was replaced; a missing or
// refused file leaves the kit as it was.
bool loadDefaultPatch(DrumSynth& synth, const char* modulePath);
