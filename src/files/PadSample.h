// A pad's sample: a WAV file made ready for a pad away from the kit (its
// slot coded, its sample decoded, its shortcuts proven), then put into the
// kit in one short step; and the removal of a pad's sample.
//
// Preparing touches nothing shared and needs no lock. Installing and removing
// change the kit they are given, and need the plug-in's edit lock held; a
// buffer they replace goes to the synth's retirement, since an audio thread
// may still be playing it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/DrumSynth.h"
#include "engine/SampleShortcuts.h"
#include "files/WavFormat.h"

// Why a sample could not be had: the one failure that a file the loader
// takes can still meet.
extern const char kNoMemoryForSample[];

// A pad's decoded sample and what was proven of it.
struct DecodedSample {
    float* samples = nullptr;  // malloc'd; null when frameCount is 0
    int32_t frameCount = 0;
    float rate = 0.0f;
    SampleShortcuts shortcuts{};
};

// Decodes the slot that starts at header (one slotHeaderFits accepts) and
// proves its shortcuts. False, with nothing allocated, when the memory for
// the samples cannot be had.
bool decodeSlot(const uint8_t* header, DecodedSample& decoded);

// Makes the decoded sample the pad's: its frame count, rate, hold ratios and
// shortcuts, and its samples unless it has none (a pad then keeps the buffer
// it had). The buffer it replaces is retired.
void switchPadSample(DrumSynth& synth, Pad& pad, DecodedSample& decoded);

// A WAV file made ready for a pad. Owns what it holds until it is installed.
struct PreparedSample {
    PreparedSample() = default;
    ~PreparedSample();
    PreparedSample(const PreparedSample&) = delete;
    PreparedSample& operator=(const PreparedSample&) = delete;

    uint8_t matchHeader[wav::kHeaderSize] = {};  // the header a slot holding this file already has
    uint8_t* slot = nullptr;       // the slot's bytes: its header, then the coded first channel
    int32_t slotSize = 0;
    DecodedSample decoded;
    char fileName[sizeof PadSettings::fileName] = {};
};

// Why the bytes cannot go into a pad, in words; null when prepared holds
// them ready. name becomes the pad's fileName.
const char* prepareSample(const uint8_t* bytes, int64_t size, const char* name, PreparedSample& prepared);

// Puts the prepared sample into a slot of the kit's image and switches the
// pad over to it. Why it could not (no slot, no memory), or null; a refusal
// changes nothing. What was installed is the kit's afterwards.
const char* installSample(DrumSynth& synth, int pad, PreparedSample& prepared);

// Prepares and installs a whole WAV file image already in memory.
const char* loadPadSampleBytes(DrumSynth& synth, int pad, const uint8_t* bytes, int64_t size,
                               const char* name);

// path non-empty: reads that file and loads it into the pad. path "":
// removes the pad's sample ("Del"). Answers why a file was refused, in
// words, or an empty text when it was taken; a refused file changes nothing.
std::string loadPadSample(DrumSynth& synth, int pad, const char* path);
