// Sample-rate reduction: which sample frame a voice reads at frame k of its
// pad's sample, as if the sample had been taken at the hold rate.
#pragma once

#include <cstdint>

#include "engine/NumberLimits.h"

constexpr int kHoldRateCount = 16;

// Rates at which a pad may hold its sample values, indexed by rateIndex.
extern const float holdRates[kHoldRateCount];

// holdRates[rateIndex] / sampleRate: the hold ratio of a pad.
float holdRatioOf(int rateIndex, float sampleRate);

// The value changes only when k * holdRatio crosses an integer. Guarded
// against the int range and the sample's end, which rounding can touch.
inline int32_t heldIndex(int32_t k, float holdRatio, float holdInverse, int32_t frameCount) {
    const float held = static_cast<float>(k) * holdRatio;
    if (!(held < kIntRange)) return k;
    const float source = static_cast<float>(static_cast<int32_t>(held)) * holdInverse;
    if (!(source < kIntRange)) return k;
    int32_t index = static_cast<int32_t>(source);
    if (index >= frameCount) index = frameCount - 1;
    return index < 0 ? 0 : index;
}
