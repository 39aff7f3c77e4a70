#pragma once

#include <cstdint>

#include "engine/NumberLimits.h"

// Truncation toward zero that saturates instead of overflowing, for values
// that come from outside (patch fields shown as text, say).
inline int32_t truncToInt(float value) {
    if (value != value) return 0;
    if (value <= -kIntRange) return INT32_MIN;
    if (value >= kIntRange) return INT32_MAX;
    return static_cast<int32_t>(value);
}

// Clamps a normalised value into [0, 1]; NaN becomes 0.
inline float clampUnit(float value) {
    if (!(value > 0.0f)) return 0.0f;
    return value < 1.0f ? value : 1.0f;
}
