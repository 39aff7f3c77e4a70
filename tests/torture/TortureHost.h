// A host for hostile sequences: instances of the plug-in binary driven only
// through its ABI, with the audio thread's buffers and event lists prepared
// before each call, so that what the audit counts inside a call is the
// plug-in's alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "EventBlock.h"
#include "host/Vst2.h"

namespace torture {

constexpr int kOutputs = 16;
constexpr int kParams = 240;
constexpr int kParamsPerPad = 15;
constexpr int32_t kMaxFrames = 8192;
constexpr int kMaxEvents = 1024;

using Event = HostEvent;

class Instance {
public:
    Instance();
    ~Instance();  // effClose
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return effect != nullptr; }
    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // effClose now, ahead of the destructor.
    void close();

    // A host's usual start: the rate and block size, the kit, audio on.
    void start(float rate = 44100.0f, VstInt32 block = 512);
    void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(VstInt32 index) { return effect->getParameter(effect, index); }

    // The audio thread's calls. Every frame rendered is checked finite.
    VstIntPtr sendEvents(const std::vector<Event>& events);
    void process(int32_t frames);
    // Renders frames in host blocks of block frames, with no events.
    void renderSilence(int64_t frames, int32_t block = 512);
    const float* output(int channel) const { return outputs[static_cast<size_t>(channel)].data(); }
    long nonFiniteFrames() const { return badFrames; }

    std::vector<uint8_t> chunk();
    VstIntPtr setChunk(const std::vector<uint8_t>& bytes);

private:
    AEffect* effect = nullptr;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> outputPointers;
    std::vector<float> silence;
    float* inputs[2];
    EventBlock eventBlock{kMaxEvents};
    size_t largestEventBlock = 0;
    long badFrames = 0;
};

// The kit the sequences play: a sample on every pad, of every width and
// several rates, filters, rate and bit reduction, shared choke groups, pans
// and all eight output pairs. Crafted byte by byte from the patch layout.
const std::vector<uint8_t>& tortureKit();

// A key that some pad of the torture kit plays.
uint8_t padKey(std::mt19937& rng);

// After a sequence: the instance, given the torture kit again, plays a test
// note as a fresh instance does (bit for bit, or bit for bit negated: a pad's
// successive voices alternate polarity), and its chunk restores in a fresh
// instance to the same bytes.
testing::AssertionResult stillHealthy(Instance& tortured);

// How many seeded iterations a sequence runs: the short count for make test,
// the long one when TORTURE_LONG is set (make torture).
int iterations(int shortRun, int longRun);

// Nothing the audio calls did that they must not (allocations, frees, locks),
// in the builds that count it.
testing::AssertionResult audioCallsStayedClean();

}  // namespace torture
