// Exact shortcuts for one pad's sample, proven when the sample is switched
// in: at which hold rates the hold reads frame k at every frame k, at which
// its range guards never act, and at which bit depths the quantiser returns
// every value unchanged. Settings then pick a shortcut in constant time.
//
// A proof names the buffer, length and hold ratios it was made for; the
// renderer takes a shortcut only while the pad still plays exactly those.
#pragma once

#include <cstdint>

#include "engine/SampleHold.h"

struct Pad;

struct SampleShortcuts {
    const float* samples;
    int32_t frameCount;
    uint32_t exactDepths;     // bit b: quantising at bitIndex b keeps every value
    uint16_t identityHolds;   // bit r: rateIndex r reads frame k at every k
    uint16_t unguardedHolds;  // bit r: rateIndex r never needs heldIndex's guards
    float holdRatio[kHoldRateCount];
    float holdInverse[kHoldRateCount];
};

// Scans the sample once per claim; runs where a sample is loaded, never on
// the audio thread. Claims nothing for a null or empty sample.
SampleShortcuts proveShortcuts(const float* samples, int32_t frameCount, float sampleRate);

enum class HoldShortcut : uint8_t {
    Guarded,    // heldIndex as it stands, guards and all
    Unguarded,  // trunc(trunc(k * ratio) * inverse): no guard or clamp acts
    Identity,   // frame k itself
};

// What the pad's current rate and bit depth allow, from its proof.
HoldShortcut holdShortcut(const Pad& pad);
bool quantiserIsExact(const Pad& pad);
