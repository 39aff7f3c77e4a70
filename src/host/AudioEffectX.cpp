#include "host/AudioEffectX.h"

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    if (audioMaster == nullptr) return false;
    return audioMaster(&cEffect, audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effProcessEvents:
            return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated:
            return 1;
        case effGetProgramNameIndexed:
            if (text == nullptr) return 0;
            getProgramNameIndexed(text);
            return 1;
        case effGetPlugCategory:
            return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
        case effGetEffectName:
            return text != nullptr && getEffectName(text) ? 1 : 0;
        case effGetVendorString:
            return text != nullptr && getVendorString(text) ? 1 : 0;
        case effGetProductString:
            return text != nullptr && getProductString(text) ? 1 : 0;
        case effGetVendorVersion:
            return getVendorVersion();
        case effCanDo:
            return text != nullptr ? canDo(text) : -1;
        case effGetVstVersion:
            return kVstVersion;
        case effGetCurrentMidiProgram:
            return -1;
        case effGetSpeakerArrangement:
            // Both arguments point at arrangement pointers; we have none to give.
            if (value != 0) *reinterpret_cast<void**>(value) = nullptr;
            if (ptr != nullptr) *static_cast<void**>(ptr) = nullptr;
            return 0;
        case effSetTotalSampleToProcess:
            return value;
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        default:
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
