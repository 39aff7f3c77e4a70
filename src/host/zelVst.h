// The plug-in object: one per loaded instance, behind the host's AEffect.
#pragma once

#include <atomic>

#include "engine/BusyFlags.h"
#include "engine/DrumSynth.h"
#include "host/AudioEffectX.h"
#include "host/EventQueue.h"

class zelVst : public AudioEffectX {
public:
    explicit zelVst(audioMasterCallback audioMaster);
    ~zelVst() override;

    // False when an allocation failed during construction.
    bool isComplete() const { return complete; }

    void suspend() override { suspended.store(true); }
    void resume() override { suspended.store(false); }
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    VstInt32 processEvents(VstEvents* events) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return synth.vendorVersion; }
    VstInt32 canDo(const char* text) override;

    DrumSynth& core() { return synth; }

private:
    void refreshParameterValues();
    void requestFullRepaint();
    int handleEvent(const QueuedEvent& event);
    int engineNote(uint8_t status, uint8_t key, uint8_t value);
    void copyName(int entry, char* text, int limit) const;

    EventQueue queue;
    struct ParameterMemo {
        VstInt32 index = -1;  // -1: empty
        float value = 0.0f;
        char text[80] = {};
    } memo;
    DrumSynth synth{};
    std::atomic<bool> constructed{false};
    std::atomic<bool> suspended{true};
    BusyFlags busy;
    bool complete = false;
};

// What VSTPluginMain does once the host has answered its version: a new,
// completely constructed instance, or null.
AEffect* createPlugin(audioMasterCallback audioMaster);
