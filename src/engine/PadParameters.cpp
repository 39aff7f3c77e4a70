#include "engine/PadParameters.h"

#include <cstdio>

#include "engine/Kit.h"
#include "engine/LaneLayout.h"
#include "engine/Numbers.h"
#include "engine/PadFilters.h"

namespace {

using Mapping = ParameterMapping;

constexpr Mapping kNoMapping = {Mapping::Unmapped, 0.0f, 0.0f, 0.0f, false, nullptr, nullptr};

constexpr Mapping continuous(float scale, float offset, float inverse, float PadSettings::*field,
                             bool offsetAfter = false) {
    return {Mapping::Continuous, scale, offset, inverse, offsetAfter, field, nullptr};
}

constexpr Mapping stepped(float scale, float offset, float inverse, int8_t PadSettings::*field) {
    return {Mapping::Stepped, scale, offset, inverse, false, nullptr, field};
}

const Mapping kMappings[kParamsPerPad] = {
    kNoMapping,                                                        // Name
    kNoMapping,                                                        // Wav
    continuous(2.0f, 0.0f, 1.0f / 2.0f, &PadSettings::volume),         // 0 to 2
    continuous(1.0f, 0.0f, 1.0f, &PadSettings::pan),                   // 0 to 1
    continuous(1.5f, 0.5f, 1.0f / 1.5f, &PadSettings::pitch),          // 0.5 to 2
    continuous(5000.0f, 0.0f, 1.0f / 5000.0f, &PadSettings::lowCut),   // Hz
    continuous(28000.0f, 2000.0f, 1.0f / 28000.0f, &PadSettings::highCut),
    continuous(5000.0f, 0.0f, 1.0f / 5000.0f, &PadSettings::midFreq),
    continuous(12.0f, -6.0f, 1.0f / 12.0f, &PadSettings::midGain, true),  // dB
    stepped(15.9f, 0.0f, 1.0f / 15.0f, &PadSettings::rateIndex),       // 16 hold rates
    stepped(22.9f, 0.0f, 1.0f / 22.0f, &PadSettings::bitIndex),        // 2 to 24 bits
    stepped(70.9f, 20.0f, 1.0f / 70.0f, &PadSettings::note),           // keys 20 to 90
    stepped(15.9f, 0.0f, 1.0f / 15.0f, &PadSettings::group),           // 16 groups
    stepped(7.9f, 0.0f, 1.0f / 7.0f, &PadSettings::channel),           // 8 output pairs
    continuous(2.0f, -1.0f, 1.0f / 2.0f, &PadSettings::pitchX),        // -1 to 1
};

// The inverses are exactly the constants that returned values have always
// been computed with, so every value a host stored reads back the same.
static_assert(1.0f / 1.5f == 0.6666667f, "Pitch");
static_assert(1.0f / 5000.0f == 0.0002f, "Low and Mid");
static_assert(1.0f / 28000.0f == 3.5714285e-5f, "High");
static_assert(1.0f / 12.0f == 0.083333336f && -6.0f * (1.0f / 12.0f) == -0.5f, "Mid-gain");
static_assert(1.0f / 15.0f == 0.06666667f, "Sample rate and Group");
static_assert(1.0f / 22.0f == 0.045454547f, "bit");
static_assert(1.0f / 70.0f == 0.014285714f, "Note");
static_assert(1.0f / 7.0f == 0.14285715f, "Channel");

float holdRateAt(int rateIndex) {
    if (rateIndex < 0) rateIndex = 0;
    if (rateIndex >= kHoldRateCount) rateIndex = kHoldRateCount - 1;
    return holdRates[rateIndex];
}

void printInt(char* text, int32_t value) { std::snprintf(text, kDisplayTextSize, "%d", value); }

// What a new value changes beyond its own field.
void followChange(const DrumSynth& synth, Pad& pad, int param) {
    switch (param) {
        case ParamLow: designLowCut(pad, synth.hostRate); break;
        case ParamHigh: designHighCut(pad, synth.hostRate); break;
        case ParamMid:
        case ParamMidGain: designMidBand(pad, synth.hostRate); break;
        case ParamSampleRate: updateHoldRatio(pad); break;
        default: break;
    }
}

void writeDisplay(const PadSettings& pad, int param, char* text) {
    const float units = settingInUnits(pad, param);
    switch (param) {
        case ParamVolume:
        case ParamPan:
        case ParamPitch:
        case ParamLow:
        case ParamMid:
        case ParamGroup:
        case ParamChannel:
        case ParamPitchX: printInt(text, truncToInt(units)); break;
        case ParamHigh:
            std::snprintf(text, kDisplayTextSize, "%2.2f", static_cast<double>(units * 0.001f));
            break;
        case ParamMidGain: std::snprintf(text, kDisplayTextSize, "%1.2f", static_cast<double>(units)); break;
        case ParamSampleRate:
            std::snprintf(text, kDisplayTextSize, "%3.0f", static_cast<double>(units * 0.001f));
            break;
        case ParamBit: std::snprintf(text, kDisplayTextSize, "%dbit", truncToInt(units)); break;
        case ParamNote: formatNoteName(truncToInt(units), text, kDisplayTextSize); break;
        default: text[0] = '\0'; break;  // "Name" and "Wav" show no text
    }
}

}  // namespace

const ParameterMapping& parameterMapping(PadParam param) { return kMappings[param]; }

bool setPadSetting(PadSettings& pad, int param, float value) {
    if (param < 0 || param >= kParamsPerPad) return false;
    const float x = clampUnit(value);
    const Mapping& mapping = kMappings[param];
    if (mapping.kind == Mapping::Continuous)
        pad.*mapping.number = mapping.toField(x);
    else if (mapping.kind == Mapping::Stepped)
        pad.*mapping.step = mapping.toStep(x);
    else
        return false;  // "Name" and "Wav" are edited by the editor's commands
    return true;
}

void setPadParameter(DrumSynth& synth, int32_t index, float value) {
    if (synth.kit == nullptr || index < 0 || index >= kParamCount) return;
    const int padIndex = index / kParamsPerPad;
    const int param = index % kParamsPerPad;
    if (kMappings[param].kind == Mapping::Unmapped) return;
    releaseLanes(*synth.kit, padBit(padIndex));
    Pad& pad = synth.kit->pads[padIndex];
    setPadSetting(pad, param, value);
    followChange(synth, pad, param);
}

float settingInUnits(const PadSettings& pad, int param) {
    switch (param) {
        case ParamVolume: return pad.volume * 100.0f;
        case ParamPan: return (pad.pan - 0.5f) * 200.0f;
        case ParamPitch: return pad.pitch * 100.0f;
        case ParamLow: return pad.lowCut;
        case ParamHigh: return pad.highCut;
        case ParamMid: return pad.midFreq;
        case ParamMidGain: return pad.midGain;
        case ParamSampleRate: return holdRateAt(pad.rateIndex);
        case ParamBit: return static_cast<float>(pad.bitIndex + 2);
        case ParamNote: return static_cast<float>(pad.note);
        case ParamGroup: return static_cast<float>(pad.group + 1);
        case ParamChannel: return static_cast<float>(pad.channel + 1);
        case ParamPitchX: return pad.pitchX * 100.0f;
        default: return 0.0f;
    }
}

float describePadParameter(const DrumSynth& synth, int32_t index, char* text) {
    if (synth.kit == nullptr || index < 0 || index >= kParamCount) return 0.0f;
    return describePadSetting(synth.kit->pads[index / kParamsPerPad], index % kParamsPerPad, text);
}

float describePadSetting(const PadSettings& pad, int param, char* text) {
    if (param < 0 || param >= kParamsPerPad) return 0.0f;
    writeDisplay(pad, param, text);
    const Mapping& mapping = kMappings[param];
    if (mapping.kind == Mapping::Continuous) return mapping.fromField(pad.*mapping.number);
    if (mapping.kind == Mapping::Stepped) return mapping.fromStep(pad.*mapping.step);
    return 0.0f;
}

void formatNoteName(int key, char* text, int size) {
    static const char* const kPitchClasses[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                  "F#", "G",  "G#", "A",  "A#", "B"};
    const int pitchClass = ((key % 12) + 12) % 12;
    const int octave = (key - pitchClass) / 12 - 1;
    std::snprintf(text, size, "%s%d", kPitchClasses[pitchClass], octave);
}
