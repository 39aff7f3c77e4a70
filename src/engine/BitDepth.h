// Bit-depth reduction: bitIndex b keeps b + 1 fractional bits, truncating
// toward zero. The plain chain, the lanes and the shortcut proofs share it.
#pragma once

#include <cstdint>

constexpr int kBitIndexCount = 23;  // "2bit" to "24bit"

// The grid of a bit depth: scale 2^(b + 1) and its inverse.
struct QuantGrid {
    float scale, inverse;
};

struct QuantGrids {
    QuantGrid at[kBitIndexCount];
    constexpr QuantGrids() : at() {
        for (int b = 0; b < kBitIndexCount; ++b) {
            at[b].scale = static_cast<float>(1u << (b + 1));
            at[b].inverse = 1.0f / at[b].scale;
        }
    }
};

// An index outside the table keeps 23 bits, as "24bit" does.
inline QuantGrid quantGridFor(int bitIndex) {
    static constexpr QuantGrids grids;
    return grids.at[(bitIndex >= 0 && bitIndex < kBitIndexCount) ? bitIndex : kBitIndexCount - 1];
}

inline float quantise(float value, float scale, float inverse) {
    return static_cast<float>(static_cast<int32_t>(value * scale)) * inverse;
}
