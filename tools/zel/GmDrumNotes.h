// The General MIDI drum note that an instrument's name suggests, for kits
// that give no notes of their own.
#pragma once

#include <string>

// "Kick" 36, "Snare" 38, "HatOpen" 46, ...; -1 when the name says nothing.
int gmNoteOfName(const std::string& name);
