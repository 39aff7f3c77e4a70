#include "TestKit.h"

#include <cstdlib>
#include <cstring>

#include "engine/Kit.h"
#include "engine/LaneLayout.h"
#include "engine/Notes.h"
#include "engine/Render.h"

TestKit::TestKit(float rate) : base(rate) {
    for (int o = 0; o < kOutputCount; ++o) {
        outputs[o].assign(1024, 0.0f);
        outputPointers[o] = outputs[o].data();
    }
}

TestKit::~TestKit() = default;

Pad& TestKit::pad(int p) {
    releaseLanes(*core.kit, kAllPads);
    return core.kit->pads[p];
}

Voice& TestKit::voice(int v) {
    releaseLanes(*core.kit, kAllPads);
    return core.kit->voices[v];
}

void TestKit::placeSample(int p, const std::vector<float>& values, float sampleRate) {
    Pad& target = pad(p);
    std::free(target.samples);
    // Never an empty buffer: as after a load, a non-null sample holds a frame.
    target.samples = static_cast<float*>(std::calloc(values.size() + 1, sizeof(float)));
    if (!values.empty()) std::memcpy(target.samples, values.data(), sizeof(float) * values.size());
    target.frameCount = static_cast<int32_t>(values.size());
    target.sampleRate = sampleRate;
    updateHoldRatio(target);
    target.shortcuts = proveShortcuts(target.samples, target.frameCount, sampleRate);
}

int TestKit::render(int32_t count) { return renderBlock(core, outputPointers, count); }

int TestKit::advance(int32_t frames) {
    int result = 0;
    while (frames > 0) {
        const int32_t span = frames < 1024 ? frames : 1024;
        result |= render(span);
        frames -= span;
    }
    return result;
}

int TestKit::noteEvent(uint8_t status, int16_t key, int16_t velocity) {
    return ::noteEvent(core, status, key, velocity);
}

int soundingVoices(TestKit& kit) {
    int count = 0;
    for (const Voice& voice : kit.kit().voices) count += voice.pad != nullptr;
    return count;
}
