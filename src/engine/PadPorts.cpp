#include "engine/PadPorts.h"

#include <cmath>
#include <cstdio>

#include "engine/Numbers.h"
#include "engine/SampleHold.h"

namespace {

constexpr int kLowestKey = 20, kHighestKey = 90;

const PadPortSpec kSpecs[kPortSettingsPerPad] = {
    {ParamVolume, "volume", "Volume", "pc", 0.0f, 200.0f, false, false, false},
    {ParamPan, "pan", "Pan", "pc", -100.0f, 100.0f, false, false, false},
    {ParamPitch, "pitch", "Pitch", "pc", 50.0f, 200.0f, false, false, false},
    {ParamLow, "low", "Low", "hz", 10.0f, 5000.0f, false, true, false},
    {ParamHigh, "high", "High", "hz", 2000.0f, 30000.0f, false, true, false},
    {ParamMid, "mid", "Mid", "hz", 10.0f, 5000.0f, false, true, false},
    {ParamMidGain, "mid_gain", "Mid-gain", "db", -6.0f, 6.0f, false, false, false},
    {ParamSampleRate, "sample_rate", "Sample rate", "hz", 1000.0f, 192000.0f, true, false, true},
    {ParamBit, "bits", "bit", nullptr, 2.0f, 24.0f, true, false, false},
    {ParamNote, "note", "Note", nullptr, 20.0f, 90.0f, true, false, false},
    {ParamGroup, "group", "Group", nullptr, 1.0f, 16.0f, true, false, false},
    {ParamChannel, "channel", "Channel", nullptr, 1.0f, 8.0f, true, false, false},
    {ParamPitchX, "pitch_x", "Pitch-X", "pc", -100.0f, 100.0f, false, false, false},
};

float clampInto(float value, const PadPortSpec& spec) {
    if (!(value > spec.minimum)) return spec.minimum;  // NaN too
    return value < spec.maximum ? value : spec.maximum;
}

// The step a whole port value selects, for the stepped settings.
int stepOf(PadParam param, float value) {
    const int whole = truncToInt(std::nearbyint(value));
    switch (param) {
        case ParamSampleRate: {
            int nearest = 0;
            for (int i = 1; i < kHoldRateCount; ++i)
                if (std::fabs(holdRates[i] - value) < std::fabs(holdRates[nearest] - value)) nearest = i;
            return nearest;
        }
        case ParamBit: return whole - 2;
        case ParamNote: return whole;
        default: return whole - 1;  // groups and channels count from 1
    }
}

// The field a continuous setting holds at the port value, before mapping.
float fieldOf(PadParam param, float value) {
    switch (param) {
        case ParamVolume:
        case ParamPitch:
        case ParamPitchX: return value / 100.0f;
        case ParamPan: return value / 200.0f + 0.5f;
        default: return value;  // Hz and dB as they are
    }
}

// The units a normalised value gives the setting, through the mapping the
// parameter path applies.
float unitsAt(PadParam param, float x) {
    PadSettings pad{};
    setPadSetting(pad, param, x);
    return settingInUnits(pad, param);
}

}  // namespace

const PadPortSpec& padPortSpec(int setting) { return kSpecs[setting]; }

float portValueOf(const PadSettings& pad, int setting) {
    const PadPortSpec& spec = kSpecs[setting];
    return clampInto(settingInUnits(pad, spec.param), spec);
}

float parameterValueOfPort(int setting, float value) {
    const PadPortSpec& spec = kSpecs[setting];
    const ParameterMapping& mapping = parameterMapping(spec.param);
    const float u = clampInto(value, spec);
    if (mapping.kind == ParameterMapping::Stepped) return mapping.stepCentre(stepOf(spec.param, u));
    float x = clampUnit(mapping.fromField(fieldOf(spec.param, u)));
    if (u != std::floor(u)) return x;
    // A whole number the display truncates toward zero must not come back
    // a rounding below it: step x until the setting shows it.
    for (int step = 0; step < 64; ++step) {
        const float units = unitsAt(spec.param, x);
        if (u >= 0.0f && units < u && x < 1.0f)
            x = std::nextafter(x, 2.0f);
        else if (u < 0.0f && units > u && x > 0.0f)
            x = std::nextafter(x, -1.0f);
        else
            break;
    }
    return clampUnit(x);
}

int scalePointCount(int setting) {
    switch (kSpecs[setting].param) {
        case ParamSampleRate: return kHoldRateCount;
        case ParamNote: return kHighestKey - kLowestKey + 1;
        default: return 0;
    }
}

float scalePoint(int setting, int point, char* text, int size) {
    if (kSpecs[setting].param == ParamSampleRate) {
        std::snprintf(text, static_cast<size_t>(size), "%d Hz", truncToInt(holdRates[point]));
        return holdRates[point];
    }
    formatNoteName(kLowestKey + point, text, size);
    return static_cast<float>(kLowestKey + point);
}
