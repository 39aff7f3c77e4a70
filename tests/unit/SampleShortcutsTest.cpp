// The shortcut proofs: every claim checked over every frame against the
// operation it skips, for samples decoded from real files of every width and
// for hostile values; and the claims found where they must be.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "CoreUnderTest.h"
#include "LaneCases.h"
#include "engine/BitDepth.h"
#include "engine/Kit.h"
#include "engine/SampleHold.h"
#include "files/PadSample.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every claim the proof makes, checked frame by frame with the chain's own
// hold and quantiser. Answers the first false claim, or "".
std::string falseClaim(const float* samples, int32_t frames, float rate) {
    const SampleShortcuts proof = proveShortcuts(samples, frames, rate);
    for (int b = 0; b < kBitIndexCount; ++b) {
        if (!((proof.exactDepths >> b) & 1u)) continue;
        const QuantGrid grid = quantGridFor(b);
        for (int32_t i = 0; i < frames; ++i)
            if (!sameBits(quantise(samples[i], grid.scale, grid.inverse), samples[i]))
                return "bitIndex " + std::to_string(b) + " changes frame " + std::to_string(i);
    }
    for (int r = 0; r < kHoldRateCount; ++r) {
        const float ratio = holdRatioOf(r, rate), inverse = 1.0f / ratio;
        for (int32_t k = 0; k < frames; ++k) {
            const int32_t index = heldIndex(k, ratio, inverse, frames);
            if (((proof.identityHolds >> r) & 1u) && index != k)
                return "rateIndex " + std::to_string(r) + " reads " + std::to_string(index) + " at " + std::to_string(k);
            // Unguarded: the clamp to the last frame never acts either.
            if (((proof.unguardedHolds >> r) & 1u) && heldIndex(k, ratio, inverse, INT32_MAX) != index)
                return "rateIndex " + std::to_string(r) + " clamps at " + std::to_string(k);
        }
    }
    return {};
}

struct Decoded {
    CoreUnderTest core;
    const Pad& pad;
    Decoded(int width, bool isFloat, uint32_t rate, const std::vector<uint32_t>& words)
        : core(44100.0f), pad(core.synth().kit->pads[0]) {
        const std::vector<uint8_t> wav = wavImage(1, width, isFloat, rate, words);
        loadPadSampleBytes(core.synth(), 0, wav.data(), static_cast<int64_t>(wav.size()), "a.wav");
    }
};

std::vector<uint32_t> noise(int count, int bits, uint32_t seed) {
    Lcg rng{seed};
    std::vector<uint32_t> words(static_cast<size_t>(count));
    for (uint32_t& word : words) word = rng.next() >> (32 - bits);
    return words;
}

uint32_t floatBits(float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

uint32_t depthsFrom(int low) { return ((1u << kBitIndexCount) - 1u) & ~((1u << low) - 1u); }

}  // namespace

TEST(SampleShortcuts, EveryClaimHoldsOverEveryFrameOfDecodedSamples) {
    struct Row {
        const char* what;
        int width;
        bool isFloat;
        uint32_t rate;
        std::vector<uint32_t> words;
        uint32_t exactDepths;  // what the proof must find
    };
    std::vector<uint32_t> floats;
    for (float value : {0.25f, -0.5f, 0.3f, 1e-40f, -1.0f, 0.99999994f}) floats.push_back(floatBits(value));
    const Row rows[] = {
        {"8-bit noise", 1, false, 44100, noise(5000, 8, 1), depthsFrom(6)},
        {"16-bit noise", 2, false, 44100, noise(20000, 16, 2), depthsFrom(14)},
        {"16-bit, low byte clear", 2, false, 22050, std::vector<uint32_t>(3000, 0x4100), depthsFrom(6)},
        {"24-bit noise", 3, false, 48000, noise(9000, 24, 3), depthsFrom(22)},
        {"32-bit noise", 4, false, 96000, noise(9000, 32, 4), 0},
        {"floats off every grid", 4, true, 44100, floats, 0},
        {"one frame", 2, false, 11025, {0x8000}, depthsFrom(0)},
    };
    for (const Row& row : rows) {
        Decoded decoded(row.width, row.isFloat, row.rate, row.words);
        const Pad& pad = decoded.pad;
        ASSERT_EQ(pad.frameCount, static_cast<int32_t>(row.words.size())) << row.what;
        EXPECT_EQ(falseClaim(pad.samples, pad.frameCount, pad.sampleRate), "") << row.what;
        // The load proved it for the pad, and found what is there to find.
        EXPECT_EQ(pad.shortcuts.samples, pad.samples) << row.what;
        EXPECT_EQ(pad.shortcuts.exactDepths, row.exactDepths) << row.what;
    }
}

TEST(SampleShortcuts, HostileValuesKeepAtNoDepthOrOnlyWhereExact) {
    struct Row {
        float value;
        uint32_t exactDepths;
    };
    const Row rows[] = {
        {-0.0f, 0},                           // comes back as +0
        {0.0f, depthsFrom(0)},
        {1e-40f, 0},                          // a denormal: far below every grid
        {0.99999994f, 0},                     // needs 24 fractional bits
        {-1.0f, depthsFrom(0)},
        {0.5f, depthsFrom(0)},
        {0.75f, depthsFrom(1)},
        {1.0f / 8388608.0f, depthsFrom(22)},  // the 24-bit grid's step
        {NAN, 0},
        {INFINITY, 0},
        {-3e9f, 0},                           // outside the int range at every depth
        {1000.0f, depthsFrom(0) & ((1u << 21) - 1u)},  // leaves the int range above 21 bits
    };
    for (const Row& row : rows) {
        const std::vector<float> frames = {0.5f, row.value, -0.5f};
        EXPECT_EQ(proveShortcuts(frames.data(), 3, 44100.0f).exactDepths, row.exactDepths) << row.value;
        EXPECT_EQ(falseClaim(frames.data(), 3, 44100.0f), "") << row.value;
    }
}

TEST(SampleShortcuts, TheHoldReadsEachFrameAtTheSamplesRateAndItsMultiples) {
    const std::vector<float> frames(70000, 0.25f);
    struct Row {
        float rate;
        uint16_t identity;
    };
    const Row rows[] = {
        // The sample's own rate, and whole multiples of it: ratio n, inverse 1/n.
        {44100.0f, 1u << 11},
        {96000.0f, (1u << 13) | (1u << 15)},
        {48000.0f, (1u << 13) | (1u << 15)},
        {1000.0f, 0xFFFFu & ~(1u << 11)},
        {12345.0f, 0},
    };
    for (const Row& row : rows) {
        const SampleShortcuts proof = proveShortcuts(frames.data(), 70000, row.rate);
        EXPECT_EQ(proof.identityHolds, row.identity) << row.rate;
        EXPECT_EQ(falseClaim(frames.data(), 70000, row.rate), "") << row.rate;
        // The top rate lags one frame at 44.1 kHz: no identity, yet no guard acts.
        if (row.rate == 44100.0f) {
            EXPECT_TRUE(proof.unguardedHolds & (1u << 15));
        }
    }
    // Rounding reaches past the last frame for some lengths: claims stay true.
    for (int32_t length : {1, 2, 3, 17, 4099})
        for (float rate : {1.0f, 7.0f, 44100.0f, 300000.0f})
            EXPECT_EQ(falseClaim(frames.data(), length, rate), "") << length << " frames at " << rate;
}

TEST(SampleShortcuts, APadTakesOnlyTheShortcutsProvenForWhatItPlays) {
    CoreUnderTest core(44100.0f);
    Pad& pad = core.synth().kit->pads[0];
    const std::vector<uint8_t> wav = wavImage(1, 2, false, 44100, noise(500, 16, 9));
    loadPadSampleBytes(core.synth(), 0, wav.data(), static_cast<int64_t>(wav.size()), "a.wav");
    pad.rateIndex = 11;
    updateHoldRatio(pad);
    pad.bitIndex = 20;
    EXPECT_EQ(holdShortcut(pad), HoldShortcut::Identity);
    EXPECT_TRUE(quantiserIsExact(pad));
    pad.bitIndex = 3;  // settings pick from the proof as they change
    EXPECT_FALSE(quantiserIsExact(pad));
    pad.rateIndex = 15;
    updateHoldRatio(pad);
    EXPECT_EQ(holdShortcut(pad), HoldShortcut::Unguarded);

    struct Row {
        const char* what;
        void (*change)(Pad&);
    };
    const Row rows[] = {
        {"fewer frames", [](Pad& p) { p.frameCount -= 1; }},
        {"another buffer", [](Pad& p) { p.samples += 1; }},
        {"a hold ratio not derived by updateHoldRatio", [](Pad& p) { p.holdRatio *= 1.5f; }},
        {"no sample", [](Pad& p) { p.samples = nullptr; }},
    };
    pad.bitIndex = 20;
    float* const samples = pad.samples;
    const int32_t frameCount = pad.frameCount;
    const float holdRatio = pad.holdRatio;
    for (const Row& row : rows) {
        row.change(pad);
        EXPECT_EQ(holdShortcut(pad), HoldShortcut::Guarded) << row.what;
        if (pad.holdRatio == holdRatio) {
            EXPECT_FALSE(quantiserIsExact(pad)) << row.what;
        }
        pad.samples = samples;
        pad.frameCount = frameCount;
        pad.holdRatio = holdRatio;
    }
    EXPECT_EQ(proveShortcuts(nullptr, 10, 44100.0f).exactDepths, 0u);
    EXPECT_EQ(proveShortcuts(pad.samples, 0, 44100.0f).identityHolds, 0u);
}
