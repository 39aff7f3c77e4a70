// The reusable part of the test host: loads a VST 2.4 plug-in binary by path
// and drives it through the ABI only (VSTPluginMain and the AEffect record).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EventBlock.h"
#include "host/Vst2.h"
#include "platform/DynamicLibrary.h"

namespace vsthost {

typedef AEffect* (*PluginEntry)(audioMasterCallback audioMaster);

// What hostCallback answers to audioMasterVersion: 2400 unless changed.
void setHostVersion(VstIntPtr version);

// The host callback: answers audioMasterVersion, and 0 to everything else.
VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                       void* ptr, float opt);

// A plug-in binary and its entry function.
class PluginLibrary {
public:
    // False with a message naming the file when it cannot be loaded or has
    // no VSTPluginMain.
    bool open(const std::string& path, std::string& error);
    // Any exported entry of the binary ("VSTPluginMain", "main"), or null.
    PluginEntry entry(const char* name) const;
    // A new instance's record, or null when the plug-in made none.
    AEffect* create(audioMasterCallback audioMaster = hostCallback) const;

private:
    DynamicLibrary library;
    PluginEntry pluginMain = nullptr;
};

struct MidiEvent {
    int64_t frame;  // absolute position in the rendered stream
    uint8_t status, data1, data2;
};

// Plain float channels, one vector each.
struct Audio {
    std::vector<std::vector<float>> channels;
    int64_t frames() const { return channels.empty() ? 0 : int64_t(channels[0].size()); }
};

// One instance; effClose ends it when the object goes away.
class Effect {
public:
    explicit Effect(AEffect* effect) : effect(effect) {}
    ~Effect() { close(); }
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // effClose; its answer, or 0 when there is nothing left to close.
    VstIntPtr close();

    // The text that a name opcode (effGetParamName, effGetEffectName, ...) writes.
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(VstInt32 index) { return effect->getParameter(effect, index); }

    // effProcessEvents with MIDI events whose deltaFrames are the events'
    // frame fields; the answer.
    VstIntPtr sendMidi(const std::vector<MidiEvent>& events);
    // processReplacing of frames into numOutputs buffers, with silent inputs.
    void process(float** outputs, VstInt32 frames);

private:
    AEffect* effect;
    std::vector<std::vector<float>> inputs;
    EventBlock eventBlock{0};  // kept until the next call, as hosts do
    std::vector<HostEvent> pending;
};

// Renders frames into numOutputs channels in host blocks of block frames,
// handing each event to the block that holds its frame (events at or past
// the end are dropped).
Audio render(Effect& effect, int64_t frames, VstInt32 block, std::vector<MidiEvent> events);

// A WAV file of 32-bit float samples (format tag 3), all channels interleaved.
bool writeWav(const std::string& path, const Audio& audio, int rate, std::string& error);

}  // namespace vsthost
