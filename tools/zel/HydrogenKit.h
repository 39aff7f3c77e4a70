// A Hydrogen drumkit as its drumkit.xml describes it, in every generation of
// the file: layers directly under the instrument or a single file name in
// the oldest kits, instrumentComponent/layer since, and the namespaced
// schema of the newest. Only what a pad can use is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct HydrogenLayer {
    std::string file;  // as written, relative to the kit's folder
    double min = 0.0, max = 1.0;  // the velocity range, 0 to 1
    double gain = 1.0;
    double pitch = 0.0;  // semitones
};

struct HydrogenComponent {
    double gain = 1.0;  // the instrument component's gain times the kit component's volume
    std::vector<HydrogenLayer> layers;
};

struct HydrogenInstrument {
    std::string name;
    double volume = 1.0;
    double gain = 1.0;
    double pan = 0.0;    // -1 (left) to 1 (right)
    double pitch = 0.0;  // semitones
    int muteGroup = -1;  // -1: none
    int note = -1;       // the MIDI note the kit gives it, 0 to 127; -1: none
    std::vector<HydrogenComponent> components;
};

struct HydrogenKit {
    std::string name;
    std::vector<HydrogenInstrument> instruments;
};

// Parses a drumkit.xml. False with the reason in words (a damaged XML, not a
// drumkit, no instruments); numbers that are missing or not finite take
// their defaults.
bool parseDrumkitXml(const uint8_t* bytes, size_t size, HydrogenKit& kit, std::string& error);
