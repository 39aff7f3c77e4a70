// The synthesizer core that the plug-in object embeds: identity, the names the
// host asks for, the rates, the MIDI key table, the parameter value cache and
// the engine block, plus the fields the editor shares with it.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/GuiControl.h"
#include "engine/DrumKit.h"

class BusyFlags;
struct DrumSynth;

constexpr int kParamsPerPad = 15;
constexpr int kParamCount = kPadCount * kParamsPerPad;  // 240
constexpr int kNamesCount = 3 + 2 * kParamCount;        // 483
constexpr int kPathSize = 260;

typedef void (*ControlCallback)(DrumSynth* synth, int param, unsigned message);

struct DrumSynth {
    // Identity, filled at construction.
    int32_t uniqueId;
    int32_t vendorVersion;
    uint32_t capabilities;  // 1: receiveVstEvents, 2: receiveVstMidiEvent, 4: editor
    int32_t programCount;
    int32_t paramCount;
    int32_t currentProgram;
    uint8_t inputCount;
    uint8_t outputCount;
    uint8_t vendorLength;
    uint8_t productLength;
    uint8_t paramTextLength;
    uint8_t isSynth;
    uint8_t programChunks;

    char* modulePath;           // process-wide, kPathSize characters
    const char* const* names;   // effect, vendor, product, then name and label per parameter
    char textBuffer[80];
    float hostRate;
    float hostRateInverse;
    int32_t blockLength;        // longest engine span and scratch size
    uint8_t channelNotes[16][128];
    float* paramValues;         // paramCount normalised values
    DrumKit* kit;
    BusyFlags* busy;            // the audio/edit exclusion; null without an audio thread
    const std::atomic<bool>* suspended;  // the host has stopped processing; null = no audio thread

    // Shared with the editor.
    std::atomic<void*> editorWindow;
    int32_t editorWidth;
    int32_t editorHeight;
    float editorScale;
    GuiControl* controls;
    ControlCallback controlCallback;
    int32_t fullRedraw;
    char dropPath[kPathSize];
    uint32_t borderColor;
    uint32_t backColor;
};

// Engine answers: 2 when something the editor shows has changed.
constexpr int kEditorChanged = 2;
