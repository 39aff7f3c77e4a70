// What the sample and patch fuzz targets share: a synthesizer core built the
// way the plug-in builds it (no audio thread, no default patch), the built
// image, and the invariants every accepted input must leave behind. A broken
// invariant aborts, which libFuzzer reports as a crash with its input.
#pragma once

#include <cstdint>
#include <vector>

#include "CoreUnderTest.h"
#include "engine/DrumSynth.h"

using Bytes = std::vector<uint8_t>;

class FuzzSynth {
public:
    FuzzSynth();
    ~FuzzSynth();
    FuzzSynth(const FuzzSynth&) = delete;
    FuzzSynth& operator=(const FuzzSynth&) = delete;

    DrumSynth& synth() { return core; }
    Pad& pad(int p) { return core.kit->pads[p]; }
    // buildPatch, then the image's totalSize bytes.
    Bytes image();
    std::vector<float> samples(int p);
    // Plays every pad's key for a few blocks: whatever the settings, rendering
    // must stay inside the sample buffers.
    void play();

private:
    CoreUnderTest base{44100.0f, "", 256};
    DrumSynth& core = base.synth();
};

// Aborts with the message when the condition does not hold.
void require(bool condition, const char* message);

// Each slot's bytes, slot 1 first, found from the slot sizes alone.
std::vector<Bytes> slotContents(FuzzSynth& kit);
// Every slot but number `except` still holds the bytes it held before, but
// slot `left`, one a pad has just moved away from: that one goes when no pad
// plays it any more, and is kept while one does.
void requireSlotsKept(const std::vector<Bytes>& before, FuzzSynth& kit, int except, int left = 0);

// Slot sizes add up to the image, the image is allocated at its size, every
// non-empty slot sits where the sizes say, every played slot's header agrees
// with its size, and every pad's sample buffer holds exactly frameCount
// values in [-1, 1] (a load without frames keeps the buffer before it).
void checkInvariants(FuzzSynth& kit);
