#include "engine/SampleShortcuts.h"

#include <cstring>

#include "engine/BitDepth.h"
#include "engine/Pad.h"

namespace {


bool sameBits(float a, float b) {
    uint32_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// Whether quantising on the grid gives back the very bits of value. A value
// whose scaled form leaves the int range counts as changed (conservative).
bool quantiserKeeps(float value, const QuantGrid& grid) {
    const float scaled = value * grid.scale;
    if (!(scaled > -kIntRange && scaled < kIntRange)) return false;
    return sameBits(quantise(value, grid.scale, grid.inverse), value);
}

// For one value the depths that keep it form a run: enough fractional bits,
// and not so many that the scaled value leaves the int range (NaN, infinity
// and -0 keep at no depth). So the depths that keep every value are a run
// too, and each value only has to be tried at the run's two ends.
uint32_t exactDepths(const float* samples, int32_t frameCount) {
    int low = 0, high = kBitIndexCount - 1;
    for (int32_t i = 0; i < frameCount; ++i) {
        const float value = samples[i];
        while (low <= high && !quantiserKeeps(value, quantGridFor(low))) ++low;
        while (low <= high && !quantiserKeeps(value, quantGridFor(high))) --high;
        if (low > high) return 0;
    }
    return ((2u << high) - 1u) & ~((1u << low) - 1u);
}

bool holdIsIdentity(float ratio, float inverse, int32_t frameCount) {
    for (int32_t k = 0; k < frameCount; ++k)
        if (heldIndex(k, ratio, inverse, frameCount) != k) return false;
    return true;
}

// With a positive, finite ratio and inverse every step of heldIndex is
// monotonic in k (conversion, multiplication, truncation), so the last frame
// is the one nearest each guard: if it passes them all, every frame does.
bool holdNeedsNoGuard(float ratio, float inverse, int32_t frameCount) {
    if (!(ratio > 0.0f && ratio < kIntRange && inverse > 0.0f && inverse < kIntRange)) return false;
    const int32_t last = frameCount - 1;
    const float held = static_cast<float>(last) * ratio;
    if (!(held < kIntRange)) return false;
    const float source = static_cast<float>(static_cast<int32_t>(held)) * inverse;
    if (!(source < kIntRange)) return false;
    return static_cast<int32_t>(source) <= last;
}

bool provenFor(const SampleShortcuts& proof, const Pad& pad) {
    return proof.samples == pad.samples && proof.frameCount == pad.frameCount &&
           pad.frameCount > 0 && pad.rateIndex >= 0 && pad.rateIndex < kHoldRateCount;
}

}  // namespace

SampleShortcuts proveShortcuts(const float* samples, int32_t frameCount, float sampleRate) {
    SampleShortcuts proof{};
    proof.samples = samples;
    proof.frameCount = frameCount;
    for (int r = 0; r < kHoldRateCount; ++r) {
        proof.holdRatio[r] = holdRatioOf(r, sampleRate);
        proof.holdInverse[r] = 1.0f / proof.holdRatio[r];
    }
    if (samples == nullptr || frameCount <= 0) return proof;
    for (int r = 0; r < kHoldRateCount; ++r) {
        const uint16_t bit = static_cast<uint16_t>(1u << r);
        if (holdNeedsNoGuard(proof.holdRatio[r], proof.holdInverse[r], frameCount))
            proof.unguardedHolds |= bit;
        if (holdIsIdentity(proof.holdRatio[r], proof.holdInverse[r], frameCount))
            proof.identityHolds |= bit;
    }
    proof.exactDepths = exactDepths(samples, frameCount);
    return proof;
}

HoldShortcut holdShortcut(const Pad& pad) {
    const SampleShortcuts& proof = pad.shortcuts;
    if (!provenFor(proof, pad)) return HoldShortcut::Guarded;
    const int r = pad.rateIndex;
    // The ratios must be the very ones proven: updateHoldRatio derives both.
    if (!sameBits(proof.holdRatio[r], pad.holdRatio) || !sameBits(proof.holdInverse[r], pad.holdInverse))
        return HoldShortcut::Guarded;
    if (proof.identityHolds & (1u << r)) return HoldShortcut::Identity;
    if (proof.unguardedHolds & (1u << r)) return HoldShortcut::Unguarded;
    return HoldShortcut::Guarded;
}

bool quantiserIsExact(const Pad& pad) {
    if (!provenFor(pad.shortcuts, pad)) return false;
    // Indexes outside the table quantise as "24bit" does.
    const int b = (pad.bitIndex >= 0 && pad.bitIndex < kBitIndexCount) ? pad.bitIndex : kBitIndexCount - 1;
    return (pad.shortcuts.exactDepths >> b) & 1u;
}
