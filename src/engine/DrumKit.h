// The engine's state: 16 pads, 24 voices, the sample clock and the values
// derived from the rate, held in one heap block.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/Pad.h"
#include "engine/Voice.h"

constexpr int kPadCount = 16;
constexpr int kVoiceCount = 24;
constexpr int kOutputCount = 16;
constexpr int kOutputPairCount = 8;
constexpr int kHoldRateCount = 16;
constexpr int kBitIndexCount = 23;  // "2bit" to "24bit"

// Rates at which a pad may hold its sample values, indexed by rateIndex.
extern const float holdRates[kHoldRateCount];

struct SampleStore;

struct DrumKit {
    Pad pads[kPadCount];
    Voice voices[kVoiceCount];
    uint32_t clock;
    int32_t halfRate;       // samples in half a second
    float rollBendScale;    // 0.025 / halfRate
    float fadeOutStep;      // 10 / rate: a choke fade lasts 0.1 s
    float velocityScale;    // 1 / 127
    float* scratch;         // blockLength floats
    SampleStore* sampleStore;  // the kit's samples in patch layout; kept by files/
    // Preview notes the editor asks for, played by the next render; -1 = none.
    std::atomic<int8_t> previewOn;
    std::atomic<int8_t> previewOff;
};
