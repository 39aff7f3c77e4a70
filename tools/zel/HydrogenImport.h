// A Hydrogen drumkit on pads: the layer each instrument plays at the chosen
// velocity, read with libsndfile and mixed down, with the instrument's
// note, volume, pan, pitch and mute group.
#pragma once

#include <string>

#include "ImportedKit.h"

// xmlPath names the kit's drumkit.xml; its samples lie beside it. Throws a
// ZelError naming the file at fault.
ImportedKit importHydrogenKit(const std::string& xmlPath, const ImportOptions& options);
