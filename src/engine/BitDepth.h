// Bit-depth reduction: bitIndex b keeps b + 1 fractional bits, truncating
// toward zero. The plain chain, the lanes and the shortcut proofs share it.
#pragma once

#include <cstdint>

constexpr int kBitIndexCount = 23;  // "2bit" to "24bit"

// 2^(b + 1); an index outside the table keeps 23 bits, as "24bit" does.
inline float quantScaleFor(int bitIndex) {
    const int bits = (bitIndex >= 0 && bitIndex < kBitIndexCount) ? bitIndex + 1 : 23;
    return static_cast<float>(1u << bits);
}

inline float quantise(float value, float scale, float inverse) {
    return static_cast<float>(static_cast<int32_t>(value * scale)) * inverse;
}
