// A soundfont's General MIDI drum kit on pads: each of the preset's drum
// notes played through FluidSynth at the chosen velocity and recorded until
// its tail has died away; exclusive classes (the hi-hats) become choke groups.
#pragma once

#include <string>

#include "ImportedKit.h"

// Throws a ZelError naming the file: no bank 128, no such preset, or a
// font that cannot be read.
ImportedKit importSoundFont(const std::string& path, const ImportOptions& options);
