// The VST 2.x extensions of the binding layer: events, names, capabilities.
#pragma once

#include "host/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    explicit AudioEffectX(audioMasterCallback audioMaster) : AudioEffect(audioMaster) {}

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    virtual VstInt32 processEvents(VstEvents* events) { (void)events; return 0; }
    virtual void getProgramNameIndexed(char* text) { *text = '\0'; }
    virtual bool getEffectName(char* name) { *name = '\0'; return false; }
    virtual bool getVendorString(char* text) { *text = '\0'; return false; }
    virtual bool getProductString(char* text) { *text = '\0'; return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 canDo(const char* text) { (void)text; return -1; }
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
        (void)index, (void)value, (void)ptr, (void)opt;
        return 0;
    }

    // Asks the host to give the editor this size; whether it did.
    bool sizeWindow(VstInt32 width, VstInt32 height);
};
