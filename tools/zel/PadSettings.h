// The pad settings that `zel kit` takes on its command line, in the units
// the plug-in displays, turned into the plug-in's normalised parameters.
#pragma once

#include <string>
#include <vector>

#include "host/Vst2.h"

// One setting of one pad, ready for the host's setParameter.
struct PadSetting {
    VstInt32 index;  // pad x 15 + parameter
    float value;     // normalised, 0 to 1
    // The number the parameter's display should then show, when the float
    // nearest to value might miss it by a rounding; NaN for the integer
    // settings, whose values sit mid-interval.
    double shown;
};

// What one setting option accepts, for the command line's help.
struct SettingOption {
    const char* option;  // "volume" for --volume
    const char* valueName;
    const char* description;
};
const std::vector<SettingOption>& settingOptions();

// The pad of "N=..." (1 to 16, or a default pad name such as "snare") and
// the text after the '='. Throws a ZelError quoting the argument.
int padOf(const std::string& argument, const std::string& option, std::string& rest);

// Parses "N=VALUE" for the setting option; throws a ZelError quoting the
// argument when the pad or the value is out of range.
PadSetting parseSetting(const std::string& option, const std::string& argument);

// The setting option's value for the pad (0 to 15), in the units its option
// takes (percent, Hz, a key, a group); throws a ZelError when it is out of
// the option's range.
PadSetting padSetting(const std::string& option, int pad, double value);

// Parses a MIDI key given as a number (36) or a note name ("C1", "F#2").
bool parseKey(const std::string& text, int& key);

// Normalised values that the plug-in maps back onto exactly this note, or
// this choke group (1 to 16).
float noteValue(int key);
float groupValue(int group);
