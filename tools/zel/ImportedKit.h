// What an import makes of a Hydrogen drumkit or a soundfont's drum kit: the
// pads it fills, in the units the plug-in displays, and what it left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ImportOptions {
    int velocity = 100;  // the hit the sounds are taken at, 1 to 127
    std::string preset;  // a soundfont's drum kit by name or number; empty: the first
};

struct ImportedPad {
    int pad;  // 0 to 15
    std::string name;
    int note;   // 20 to 90
    int group;  // 1 to 16
    double volume = 100.0;  // percent, 0 to 200
    double pan = 0.0;       // percent, -100 to 100
    double pitch = 100.0;   // percent, 50 to 200
    std::vector<uint8_t> wav;  // the canonical WAV image
    std::string fileName;      // the name the pad shows for its sample
    std::string source;        // where the sound came from, in words
};

struct DroppedSound {
    std::string name;
    std::string why;
};

struct ImportedKit {
    std::string source;  // the file or folder imported
    std::string kind;    // "Hydrogen drumkit", "soundfont"
    std::string title;   // the kit's or preset's name
    int sounds = 0;      // instruments or drum notes found
    std::vector<ImportedPad> pads;
    std::vector<DroppedSound> dropped;
};
