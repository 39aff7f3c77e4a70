// The songs the speed measurements play: the example groove and a dense
// "stress" groove, each as long as asked, as parsed MIDI files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MidiFile.h"

// Sixteenth notes at 120 a minute, every pad busy: hats on every step, kick
// and snare, toms and cymbals in turn.
MidiSong denseGroove(int minutes);

// The MIDI file at path played again and again, end to end, until it lasts
// at least seconds; empty, with the reason in error, when it cannot be read.
MidiSong loopedFile(const std::string& path, double seconds, std::string& error);

// The song as a format 0 file.
std::vector<uint8_t> songFileBytes(const MidiSong& song);
