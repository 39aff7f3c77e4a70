// The pad settings as control values in the units their display texts show
// (a plug-in format whose controls carry such values, as LV2's control ports
// do): 13 a pad, every one but "Name" and "Wav". The one owner of their
// ranges, defaults' units, symbols and scale points, and of the conversions
// both ways, for the plug-in, its separate user interface and the generator
// of its description alike.
#pragma once

#include <cstdint>

#include "engine/PadParameters.h"

constexpr int kPortSettingsPerPad = kParamsPerPad - 2;                 // 13
constexpr int kSettingPortCount = kPadCount * kPortSettingsPerPad;  // 208

struct PadPortSpec {
    PadParam param;
    const char* symbol;  // the C identifier after "padNN_"
    const char* name;    // as the generic parameter view names it
    const char* unit;    // the LV2 units: local name, or null
    float minimum, maximum;
    bool integer;
    bool logarithmic;
    bool enumeration;  // only the scale points' values
};

// The setting's description: setting 0 to 12 (Volume to Pitch-X, in
// parameter order).
const PadPortSpec& padPortSpec(int setting);
inline PadParam paramOfSetting(int setting) { return static_cast<PadParam>(ParamVolume + setting); }

// The parameter index and the setting of a setting port (0 to 207), and back.
inline int32_t parameterOfPort(int port) {
    return (port / kPortSettingsPerPad) * kParamsPerPad + ParamVolume + port % kPortSettingsPerPad;
}
inline int portOfParameter(int32_t index) {
    return (index / kParamsPerPad) * kPortSettingsPerPad + index % kParamsPerPad - ParamVolume;
}

// The port value of a pad's setting: its number in display units, clamped
// into the port's range (a low cut of 0 and one of 10 are both off, and
// show as the range's 10).
float portValueOf(const PadSettings& pad, int setting);

// The normalised parameter value that sets the setting to the port value:
// for a whole port value, one whose display text then shows that number
// (for the settings that show whole numbers); stepped settings take the
// nearest step. Out-of-range and NaN values are clamped.
float parameterValueOfPort(int setting, float value);

// Scale points: the labelled values of the settings that have them (the
// keys with their note names, the hold rates). Count 0 for the others.
int scalePointCount(int setting);
// The point's value, and its label in text (size bytes).
float scalePoint(int setting, int point, char* text, int size);
