// The 240 host parameters: 15 per pad, each a normalised value in [0, 1]
// mapped onto one pad field.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"
#include "engine/ParameterMapping.h"

enum PadParam {
    ParamName, ParamWav, ParamVolume, ParamPan, ParamPitch, ParamLow, ParamHigh, ParamMid,
    ParamMidGain, ParamSampleRate, ParamBit, ParamNote, ParamGroup, ParamChannel, ParamPitchX,
    ParamsPerPad
};

constexpr int kParamsPerPad = ParamsPerPad;               // 15
constexpr int kParamCount = kPadCount * kParamsPerPad;  // 240

// Room a display text needs, NUL included.
constexpr int kDisplayTextSize = 64;

// The mapping of one parameter kind.
const ParameterMapping& parameterMapping(PadParam param);

// Sets the pad field of parameter index from value (clamped into [0, 1]) and
// keeps the derived filter and hold values in step. Other indexes do nothing.
void setPadParameter(DrumSynth& synth, int32_t index, float value);

// Sets one setting of a pad's settings alone (param 0 to 14) from value
// (clamped into [0, 1]), as setPadParameter does, without the derived
// values; false for "Name", "Wav" and params outside.
bool setPadSetting(PadSettings& pad, int param, float value);

// The setting as a number in the units its display text shows (percent,
// Hz, dB, bits, the key, groups and channels counted from 1; the hold rate
// in Hz, the high cut in Hz where the text shows kHz). 0 for "Name", "Wav"
// and params outside.
float settingInUnits(const PadSettings& pad, int param);

// Writes the display text (at least kDisplayTextSize bytes of room) and
// returns the normalised value. Indexes outside 0..239 leave text untouched
// and return 0.
float describePadParameter(const DrumSynth& synth, int32_t index, char* text);

// The same for one setting of a pad's settings alone (param 0 to 14), as an
// editor that holds only a copy of them shows it.
float describePadSetting(const PadSettings& pad, int param, char* text);

// "C-1" .. "G9" for MIDI keys 0 to 127.
void formatNoteName(int key, char* text, int size);
