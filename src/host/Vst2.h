// VST 2.4 host interface: our own declarations, written from the published
// record layout. Every offset a host relies on is pinned by a static_assert.
#pragma once

#include <cstddef>
#include <cstdint>

typedef intptr_t VstIntPtr;
typedef int32_t VstInt32;

struct AEffect;

typedef VstIntPtr (*audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
typedef VstIntPtr (*AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt);
typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                   VstInt32 sampleFrames);
typedef void (*AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                         VstInt32 sampleFrames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
typedef float (*AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

const VstInt32 kEffectMagic = 0x56737450;  // 'VstP'

struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // accumulating processing, retired
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

static_assert(sizeof(void*) == 8, "the plug-in targets 64-bit hosts only");
static_assert(offsetof(AEffect, magic) == 0, "AEffect layout");
static_assert(offsetof(AEffect, dispatcher) == 8, "AEffect layout");
static_assert(offsetof(AEffect, process) == 16, "AEffect layout");
static_assert(offsetof(AEffect, setParameter) == 24, "AEffect layout");
static_assert(offsetof(AEffect, getParameter) == 32, "AEffect layout");
static_assert(offsetof(AEffect, numPrograms) == 40, "AEffect layout");
static_assert(offsetof(AEffect, numParams) == 44, "AEffect layout");
static_assert(offsetof(AEffect, numInputs) == 48, "AEffect layout");
static_assert(offsetof(AEffect, numOutputs) == 52, "AEffect layout");
static_assert(offsetof(AEffect, flags) == 56, "AEffect layout");
static_assert(offsetof(AEffect, resvd1) == 64, "AEffect layout");
static_assert(offsetof(AEffect, resvd2) == 72, "AEffect layout");
static_assert(offsetof(AEffect, initialDelay) == 80, "AEffect layout");
static_assert(offsetof(AEffect, realQualities) == 84, "AEffect layout");
static_assert(offsetof(AEffect, offQualities) == 88, "AEffect layout");
static_assert(offsetof(AEffect, ioRatio) == 92, "AEffect layout");
static_assert(offsetof(AEffect, object) == 96, "AEffect layout");
static_assert(offsetof(AEffect, user) == 104, "AEffect layout");
static_assert(offsetof(AEffect, uniqueID) == 112, "AEffect layout");
static_assert(offsetof(AEffect, version) == 116, "AEffect layout");
static_assert(offsetof(AEffect, processReplacing) == 120, "AEffect layout");
static_assert(offsetof(AEffect, processDoubleReplacing) == 128, "AEffect layout");
static_assert(offsetof(AEffect, future) == 136, "AEffect layout");
static_assert(sizeof(AEffect) == 192, "AEffect layout");

enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterSizeWindow = 15,  // the editor's new size: index the width, value the height
    audioMasterBeginEdit = 43,  // a gesture on a parameter starts (the user grabbed a control)
    audioMasterEndEdit = 44,    // and ends
};

enum AEffectOpcodes : VstInt32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,
    effEditMouse = 17,
    effEditKey = 18,
    effEditIdle = 19,
    effEditTop = 20,
    effEditSleep = 21,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28,
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,
    effConnectInput = 31,
    effConnectOutput = 32,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,
    effGetDestinationBuffer = 37,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,
    effGetIcon = 54,
    effSetViewPosition = 55,
    effGetParameterProperties = 56,
    effKeysRequired = 57,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
};

// effVendorSpecific as hosts send their screen's scale for the editor:
// index 'PreS', value 'AeCs', the scale in opt.
const VstInt32 kScaleRequestIndex = 0x50726553;   // 'PreS'
const VstIntPtr kScaleRequestValue = 0x41654373;  // 'AeCs'

const VstInt32 kVstVersion = 2400;
const VstIntPtr kEffectIdentifier = 0x4E764566;  // 'NvEf'

enum VstEventTypes : VstInt32 {
    kVstMidiType = 1,
    kVstSysExType = 6,
};

struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];  // the host allocates as many as numEvents
};

struct VstMidiEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

static_assert(sizeof(VstEvent) == 32, "VstEvent layout");
static_assert(offsetof(VstEvents, numEvents) == 0, "VstEvents layout");
static_assert(offsetof(VstEvents, reserved) == 8, "VstEvents layout");
static_assert(offsetof(VstEvents, events) == 16, "VstEvents layout");
static_assert(offsetof(VstMidiEvent, type) == 0, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, byteSize) == 4, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, flags) == 12, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, noteLength) == 16, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, noteOffset) == 20, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, detune) == 28, "VstMidiEvent layout");
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29, "VstMidiEvent layout");
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent layout");

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};
static_assert(sizeof(ERect) == 8 && offsetof(ERect, bottom) == 4, "ERect layout");

struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};
static_assert(offsetof(VstKeyCode, virt) == 4 && offsetof(VstKeyCode, modifier) == 5,
              "VstKeyCode layout");
static_assert(sizeof(VstKeyCode) == 8, "VstKeyCode layout");
