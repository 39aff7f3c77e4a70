// Parameter changes made on the audio thread itself (a plug-in format whose
// controls arrive with the audio, as LV2's control ports do), on their way
// back to the model. The audio thread applies such a change to the engine at
// once and notes it here, per parameter: its latest value and a count of
// changes. The edit side takes the notes into the model before it reads or
// publishes it, and every publication says how far it had taken them, so
// that taking a publication over never undoes a later change of the audio
// thread's own.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/PadParameters.h"

class AudioParameterEdits {
public:
    // Audio side.
    void note(int32_t index, float value) {
        values[index].store(value, std::memory_order_relaxed);
        counts[index].store(counts[index].load(std::memory_order_relaxed) + 1, std::memory_order_release);
        anyNoted.store(true, std::memory_order_release);
    }
    float latest(int32_t index) const { return values[index].load(std::memory_order_relaxed); }
    uint32_t count(int32_t index) const { return counts[index].load(std::memory_order_relaxed); }
    bool any() const { return anyNoted.load(std::memory_order_relaxed); }

    // Edit side: calls apply(index, value) for each parameter noted since the
    // last time, and answers whether there was any.
    template <class Apply>
    bool takeInto(Apply&& apply) {
        if (!anyNoted.load(std::memory_order_acquire)) return false;
        bool took = false;
        for (int32_t index = 0; index < kParamCount; ++index) {
            const uint32_t now = counts[index].load(std::memory_order_acquire);
            if (now == taken[index]) continue;
            apply(index, values[index].load(std::memory_order_relaxed));
            taken[index] = now;
            took = true;
        }
        return took;
    }
    // How many of the parameter's changes the model holds.
    uint32_t takenCount(int32_t index) const { return taken[index]; }

private:
    std::atomic<float> values[kParamCount] = {};
    std::atomic<uint32_t> counts[kParamCount] = {};
    std::atomic<bool> anyNoted{false};
    uint32_t taken[kParamCount] = {};  // edit side only
};
