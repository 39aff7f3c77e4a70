#include "engine/PadParameters.h"

#include <cstdio>

#include "engine/Kit.h"
#include "engine/Numbers.h"

namespace {

int8_t indexFrom(float x, float factor) { return static_cast<int8_t>(static_cast<int32_t>(x * factor)); }

float holdRateAt(int rateIndex) {
    if (rateIndex < 0) rateIndex = 0;
    if (rateIndex >= kHoldRateCount) rateIndex = kHoldRateCount - 1;
    return holdRates[rateIndex];
}

void redesign(Biquad& filter, float value, float& field, const DrumSynth& synth) {
    field = value;
    filter.design(synth.hostRate);
}

void printInt(char* text, int32_t value) { std::snprintf(text, kDisplayTextSize, "%d", value); }

}  // namespace

void setPadParameter(DrumSynth& synth, int32_t index, float value) {
    if (synth.kit == nullptr || index < 0 || index >= kParamCount) return;
    const float x = clampUnit(value);
    Pad& pad = synth.kit->pads[index / kParamsPerPad];
    switch (index % kParamsPerPad) {
        case ParamVolume: pad.volume = x + x; break;
        case ParamPan: pad.pan = x; break;
        case ParamPitch: pad.pitch = x * 1.5f + 0.5f; break;
        case ParamPitchX: pad.pitchX = x + x - 1.0f; break;
        case ParamLow:
            pad.lowCut = x * 5000.0f;
            redesign(pad.lowCutFilter, pad.lowCut, pad.lowCutFilter.freq, synth);
            break;
        case ParamHigh:
            pad.highCut = x * 28000.0f + 2000.0f;
            redesign(pad.highCutFilter, pad.highCut, pad.highCutFilter.freq, synth);
            break;
        case ParamMid:
            pad.midFreq = x * 5000.0f;
            redesign(pad.midFilter, pad.midFreq, pad.midFilter.freq, synth);
            break;
        case ParamMidGain:
            pad.midGain = x * 12.0f - 6.0f;
            redesign(pad.midFilter, pad.midGain, pad.midFilter.gain, synth);
            break;
        case ParamSampleRate:
            pad.rateIndex = indexFrom(x, 15.9f);
            updateHoldRatio(pad);
            break;
        case ParamBit: pad.bitIndex = indexFrom(x, 22.9f); break;
        case ParamNote: pad.note = static_cast<int8_t>(static_cast<int32_t>(x * 70.9f + 20.0f)); break;
        case ParamGroup: pad.group = indexFrom(x, 15.9f); break;
        case ParamChannel: pad.channel = indexFrom(x, 7.9f); break;
        default: break;  // "Name" and "Wav" are edited by the editor's commands
    }
}

float describePadParameter(const DrumSynth& synth, int32_t index, char* text) {
    if (synth.kit == nullptr || index < 0 || index >= kParamCount) return 0.0f;
    const Pad& pad = synth.kit->pads[index / kParamsPerPad];
    switch (index % kParamsPerPad) {
        case ParamVolume:
            printInt(text, truncToInt(pad.volume * 100.0f));
            return pad.volume * 0.5f;
        case ParamPan:
            printInt(text, truncToInt((pad.pan - 0.5f) * 200.0f));
            return pad.pan;
        case ParamPitch:
            printInt(text, truncToInt(pad.pitch * 100.0f));
            return (pad.pitch - 0.5f) * 0.6666667f;
        case ParamLow:
            printInt(text, truncToInt(pad.lowCut));
            return pad.lowCut * 0.0002f;
        case ParamHigh:
            std::snprintf(text, kDisplayTextSize, "%2.2f", static_cast<double>(pad.highCut * 0.001f));
            return (pad.highCut - 2000.0f) * 3.5714285e-5f;
        case ParamMid:
            printInt(text, truncToInt(pad.midFreq));
            return pad.midFreq * 0.0002f;
        case ParamMidGain:
            std::snprintf(text, kDisplayTextSize, "%1.2f", static_cast<double>(pad.midGain));
            return pad.midGain * 0.083333336f + 0.5f;
        case ParamSampleRate:
            std::snprintf(text, kDisplayTextSize, "%3.0f",
                          static_cast<double>(holdRateAt(pad.rateIndex) * 0.001f));
            return static_cast<float>(pad.rateIndex) * 0.06666667f;
        case ParamBit:
            std::snprintf(text, kDisplayTextSize, "%dbit", pad.bitIndex + 2);
            return static_cast<float>(pad.bitIndex) * 0.045454547f;
        case ParamNote:
            formatNoteName(pad.note, text, kDisplayTextSize);
            return static_cast<float>(pad.note - 20) * 0.014285714f;
        case ParamGroup:
            printInt(text, pad.group + 1);
            return static_cast<float>(pad.group) * 0.06666667f;
        case ParamChannel:
            printInt(text, pad.channel + 1);
            return static_cast<float>(pad.channel) * 0.14285715f;
        case ParamPitchX:
            printInt(text, truncToInt(pad.pitchX * 100.0f));
            return (pad.pitchX + 1.0f) * 0.5f;
        default:
            text[0] = '\0';
            return 0.0f;
    }
}

void formatNoteName(int key, char* text, int size) {
    static const char* const kPitchClasses[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                  "F#", "G",  "G#", "A",  "A#", "B"};
    const int pitchClass = ((key % 12) + 12) % 12;
    const int octave = (key - pitchClass) / 12 - 1;
    std::snprintf(text, size, "%s%d", kPitchClasses[pitchClass], octave);
}
