// A synthesizer core built the way the plug-in builds it, for engine tests,
// with helpers to place samples in pads and to render spans.
#pragma once

#include <cstdint>
#include <vector>

#include "CoreUnderTest.h"
#include "engine/DrumSynth.h"

class TestKit {
public:
    explicit TestKit(float rate = 44100.0f);
    ~TestKit();
    TestKit(const TestKit&) = delete;
    TestKit& operator=(const TestKit&) = delete;

    DrumSynth& synth() { return core; }
    DrumKit& kit() { return *core.kit; }
    // A pad or voice to read or change as the test likes: the lanes hand
    // back what they hold first, and the next render fills them anew.
    Pad& pad(int p);
    Voice& voice(int v);

    // Copies values into a fresh heap buffer owned by the pad, as the sample
    // loader leaves it, and derives the hold ratio.
    void placeSample(int p, const std::vector<float>& values, float sampleRate);

    // Renders count frames (at most 1024) into out(0..15); returns the answer.
    int render(int32_t count);
    // Renders frames in spans of at most 1024; ORs the answers.
    int advance(int32_t frames);
    float* out(int channel) { return outputs[channel].data(); }

    int noteOn(int16_t key, int16_t velocity = 100) { return noteEvent(0x90, key, velocity); }
    int noteEvent(uint8_t status, int16_t key, int16_t velocity);

private:
    CoreUnderTest base;
    DrumSynth& core = base.synth();
    std::vector<float> outputs[kOutputCount];
    float* outputPointers[kOutputCount];
};

// Number of voice slots in use.
int soundingVoices(TestKit& kit);
