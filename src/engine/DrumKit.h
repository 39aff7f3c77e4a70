// The engine's state: 16 pads, 24 voices, the sample clock and the values
// derived from the rate, held in one heap block.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/BitDepth.h"
#include "engine/KitLimits.h"
#include "engine/Pad.h"
#include "engine/RenderPath.h"
#include "engine/SampleHold.h"
#include "engine/Voice.h"
#include "engine/VoiceLanes.h"

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
    RenderPath renderPath;
    lanes::Workspace laneWork;  // the lane renderer's groups, rows and mix
};
