// Voices side by side in SIMD lanes: the plain records the lane kernels work
// on. A group holds up to eight voices, one per lane, each field an array
// over the lanes. LaneLayout fills the groups from the voices and keeps
// them filled from span to span until a voice starts or ends or a pad they
// play changes; a kernel (LanesSse2.cpp, 4 lanes, or LanesAvx2.cpp, 8 lanes)
// renders them and mixes the voices in slot order.
//
// Kept free of inline functions: the AVX2 kernel includes it, and an inline
// function compiled there could be the copy every other file links to.
#pragma once

#include <cstdint>

#include "engine/KitLimits.h"

namespace lanes {

constexpr int kMaxWidth = 8;
constexpr int kMaxGroups = (kVoiceCount + 3) / 4;  // of the narrowest lanes, 4 wide
constexpr int kChunk = 128;  // frames each group renders before the mix
constexpr int kDiscardRow = kVoiceCount;  // where the lanes without a voice go

enum class Hold : uint8_t { Guarded, Unguarded, Identity };

// One biquad section per lane, as the voice's filter would run it.
struct Filter {
    float b0[kMaxWidth], b1[kMaxWidth], b2[kMaxWidth], a1[kMaxWidth], a2[kMaxWidth];
    float mix[kMaxWidth], dry[kMaxWidth];
    float x1[kMaxWidth], x2[kMaxWidth], y1[kMaxWidth], y2[kMaxWidth];
    int32_t on[kMaxWidth];  // -1: the pad runs this filter; 0: it passes the signal as is
    bool any, all;
};

enum FilterSlot { LowCut, Mid, HighCut, FilterCount };

struct Group {
    // Playback state, written back to the voices after the span.
    float position[kMaxWidth], pitchFactor[kMaxWidth], glideStep[kMaxWidth];
    float fadeIn[kMaxWidth], fadeOut[kMaxWidth], smooth[kMaxWidth];
    int32_t sounding[kMaxWidth];  // -1 until the voice ends
    // Fixed for the span.
    float step[kMaxWidth], fadeInStep[kMaxWidth], gain[kMaxWidth];
    float holdRatio[kMaxWidth], holdInverse[kMaxWidth];
    float quantScale[kMaxWidth], quantInverse[kMaxWidth];
    float endLimit[kMaxWidth];  // least float at or past the last frame: the end
    int32_t frameCount[kMaxWidth];
    const float* samples[kMaxWidth];
    // Each lane's sample as a float offset from the first lane's, when every
    // lane's frames lie within 32-bit reach of it (nearSamples).
    int32_t sampleOffset[kMaxWidth];
    bool nearSamples;
    int32_t row[kMaxWidth];  // the voice slot, or kDiscardRow
    Filter filters[FilterCount];
    float fadeOutStep;
    Hold hold;
    bool quantise;
    bool anyEnded;  // a lane's voice ended since the group was filled
};

// One voice's share of the mix: its row, and how much of it each side of
// its output pair takes.
struct MixVoice {
    int32_t row;
    float leftGain, rightGain;
};

// A sounding voice in the lanes: its slot and the filters its pad runs.
struct Member {
    uint8_t slot;
    uint8_t filters;  // bit f: filter f
};

// What the groups were filled with. While held, the groups' playback and
// filter state is the members' own, and their voice records lag behind it
// until it is written back.
struct Layout {
    Member members[kVoiceCount];  // member i is lane i % width of group i / width
    int memberCount, groupCount, mixCount, width;
    // The mix holds the voices of pair 0 in slot order, then those of pair 1, ...
    int32_t pairVoices[kOutputPairCount];
    uint32_t pads;          // bit p: a member plays pad p
    uint32_t reachedPairs;  // bit q: the mix reaches output pair q
    uint32_t fills;         // how often the lanes were filled: for tests and benchmarks
    bool held;
};

struct Workspace {
    Group groups[kMaxGroups];
    MixVoice mix[kVoiceCount];
    Layout layout;
    float rows[kVoiceCount + 1][kChunk];
    float tile[kChunk * kMaxWidth];  // one group's chunk, lane by lane within a frame
};

// One span for a kernel: the groups, and the voices to mix into the span's
// 16 outputs (outputs 2 * q and 2 * q + 1 for pair q); outputs of pairs no
// voice reaches are left untouched.
struct Job {
    Workspace* work;
    float* const* outputs;
    int groupCount;
    int32_t count;
};

void renderSse2(Job& job);
void renderAvx2(Job& job);

}  // namespace lanes
