// What the plug-in declares to its host: its id and version, what it can do,
// its counts, and the process-wide table of names the host asks for (effect,
// vendor and product, then the name and label of each parameter).
#pragma once

#include <cstdint>

#include "editor/NativeWindow.h"
#include "engine/DrumKit.h"
#include "engine/PadParameters.h"

namespace identity {

constexpr int32_t kUniqueId = 0x6B716D72;
constexpr int32_t kVendorVersion = 300;

// Capability bits, answered through effCanDo and the editor flag.
constexpr uint32_t kReceivesVstEvents = 1;
constexpr uint32_t kReceivesVstMidiEvent = 2;
constexpr uint32_t kHasEditor = 4;
constexpr uint32_t kCapabilities =
    kReceivesVstEvents | kReceivesVstMidiEvent | (kHasNativeWindow ? kHasEditor : 0);

constexpr int32_t kProgramCount = 1;
constexpr int32_t kParamCount = ::kParamCount;  // 240
constexpr int32_t kInputCount = 2;               // declared, never read
constexpr int32_t kOutputCount = ::kOutputCount; // 8 stereo pairs
constexpr bool kIsSynth = true;
constexpr bool kProgramChunks = true;  // the state is one chunk: the patch

// Characters copied for the effect name, the vendor and product strings, and
// a parameter's name, label and display text.
constexpr int kEffectNameLength = 32;
constexpr int kVendorLength = 16;
constexpr int kProductLength = 16;
constexpr int kParamTextLength = 16;

// Writes at most limit characters of the text, then its terminating zero,
// and nothing past it: a host may have sized its buffer for the interface's
// standard lengths (8 characters for parameter texts, 32 for names), which
// padding to our limits would overrun.
void copyHostText(char* to, const char* from, int limit);

enum NameEntry { EffectNameEntry = 0, VendorEntry = 1, ProductEntry = 2, FirstParameterEntry = 3 };
constexpr int kNamesCount = FirstParameterEntry + 2 * kParamCount;  // 483

// Built once, on first use, and shared by every instance.
const char* const* namesTable();

inline int parameterNameEntry(int index) { return FirstParameterEntry + 2 * index; }
inline int parameterLabelEntry(int index) { return FirstParameterEntry + 2 * index + 1; }

}  // namespace identity
