// Putting a WAV file's audio into a pad: its first channel is difference-
// coded into a slot of the sample store and decoded into the pad's samples.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// path non-empty: load that file into the pad (an unusable file changes
// nothing). path "": remove the pad's sample. path null: rebuild the pad's
// samples from the slot it plays (the caller already holds the engine).
// A load and a removal take the engine themselves, briefly: never call them
// while holding it.
void loadPadSample(DrumSynth& synth, int pad, const char* path);

// Loads a whole WAV file image already in memory, as a file load would; name
// becomes the pad's fileName. Answers false when the image was refused.
bool loadPadSampleBytes(DrumSynth& synth, int pad, const uint8_t* bytes, int64_t size,
                        const char* name);

// Gives the slot that the pad plays newSize bytes, moving the later slots, and
// answers the slot's offset. Answers -1, changing nothing, when the image
// could not be reallocated.
int32_t resizeSlot(DrumKit& kit, int pad, int32_t newSize);

// CRC-32 (reflected 0xEDB88320) of the bytes: a slot's fingerprint.
uint32_t crc32(const uint8_t* bytes, int64_t size);
