// One instance of the plug-in, made in this process exactly as the exported
// VSTPluginMain makes it, and driven only through its AEffect record as a
// host drives it. The engine is reachable too, for what no opcode tells:
// whether voices still sound, and the pads' sample details.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EventBlock.h"
#include "MidiTiming.h"
#include "engine/DrumSynth.h"
#include "host/Vst2.h"

class PluginCore;
class zelVst;

class PluginInstance {
public:
    // Throws a ZelError when the plug-in makes no instance.
    PluginInstance();
    ~PluginInstance();  // effClose
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    // effOpen, then the rate and block size: what a host does before it
    // restores the plug-in's state.
    void open(uint32_t sampleRate, int32_t blockSize);
    // effMainsChanged 1: audio may flow.
    void resume();
    // effSetChunk; false when the plug-in refused the block.
    bool setChunk(const std::vector<uint8_t>& image);
    // effGetChunk: a copy of the block the plug-in hands out.
    std::vector<uint8_t> chunk();
    void setParameter(VstInt32 index, float value);
    // What a text opcode (effGetParamDisplay, effGetParamName, ...) writes.
    std::string text(VstInt32 opcode, VstInt32 index);

    // effProcessEvents with the messages, at frames counted from blockStart.
    void sendMidi(const TimedMessage* messages, size_t count, int64_t blockStart);
    // processReplacing of frames into the 16 outputs, with silent inputs.
    void process(float** outputs, int32_t frames);

    PluginCore& core();
    // The kit as the plug-in's edits keep it: its pads' settings and samples.
    const DrumKit& kit();
    // The plug-in object itself, for the kit edits no opcode makes.
    zelVst& instrument();
    // Whether any of the engine's voices still plays.
    bool sounding();

private:
    AEffect* effect = nullptr;
    EventBlock eventBlock{0};
    std::vector<HostEvent> pending;
    std::vector<float> silence;
};
