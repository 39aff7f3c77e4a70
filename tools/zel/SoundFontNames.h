// The names in a soundfont (SF2, and SF3, which differs only in how its
// samples are coded): its presets, and what a preset calls the sound of a
// key. FluidSynth plays the font but tells neither; this reads the preset,
// instrument and sample headers and the zones' key and velocity ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SoundFontPreset {
    std::string name;
    int bank;
    int program;
    size_t index;  // in the font's preset headers
};

class SoundFontNames {
public:
    // False with the reason in words when the bytes are no soundfont or its
    // headers are damaged.
    bool read(const uint8_t* bytes, size_t size, std::string& error);

    const std::vector<SoundFontPreset>& presets() const { return presetList; }
    // The instrument's name when it plays one sound, otherwise (a whole kit
    // in one instrument) the name of the key's sample; empty when no zone
    // of the preset plays the key at that velocity.
    std::string soundName(const SoundFontPreset& preset, int key, int velocity) const;

private:
    struct Header {
        std::string name;
        uint16_t bag;
    };
    struct Generator {
        uint16_t operation;
        uint16_t amount;
    };
    struct Zone {
        int target = -1;  // the instrument or sample it plays; -1: a global zone
        uint8_t keyLow = 0, keyHigh = 127, velocityLow = 0, velocityHigh = 127;
    };
    std::vector<Zone> zonesOf(const std::vector<Header>& headers, size_t index, const std::vector<uint16_t>& bags,
                              const std::vector<Generator>& generators, uint16_t targetOperation) const;

    std::vector<SoundFontPreset> presetList;
    std::vector<Header> presetHeaders, instruments;
    std::vector<std::string> samples;
    std::vector<uint16_t> presetBags, instrumentBags;  // each bag's first generator
    std::vector<Generator> presetGenerators, instrumentGenerators;
};
