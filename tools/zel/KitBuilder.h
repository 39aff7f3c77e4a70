// Building a kit from sample files and settings in an instance of the
// plug-in, the way its editor would: each file goes through the plug-in's
// own WAV loader, each setting through the host's parameter call.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "PadSettings.h"

class PluginInstance;

// A sample already in the canonical WAV form, for a pad.
struct PadSound {
    int pad;
    std::vector<uint8_t> wav;
    std::string fileName;  // the name the pad shows for it
};

struct KitRecipe {
    std::string from;  // a kit file to start from; empty: the plug-in's start-up kit
    bool demo = false;  // start from the built-in kit instead
    std::vector<PadSound> sounds;  // loaded before the audio files
    std::vector<std::pair<int, std::string>> samples;  // pad, audio file
    std::vector<std::pair<int, std::string>> names;    // pad, name
    std::vector<PadSetting> settings;
};

// The kit's patch block; throws a ZelError naming the file at fault.
std::vector<uint8_t> buildKit(const KitRecipe& recipe);

// Loads a canonical WAV image into the pad, replacing its sample so that no
// unused slot stays behind in the kit. Throws when the loader refuses it.
void loadPadWav(PluginInstance& plugin, int pad, const std::vector<uint8_t>& wav,
                const std::string& fileName);
// Throws when the name is longer than a pad keeps (15 characters).
void setPadName(PluginInstance& plugin, int pad, const std::string& name);
void setPadNote(PluginInstance& plugin, int pad, int key);
