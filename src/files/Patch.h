// The patch: the whole kit, samples included, as one byte block. The kit
// keeps it at all times as its sample store; writing only refreshes the pad
// records and the header.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Brings the sample store up to date; its totalSize bytes are then the patch.
void buildPatch(DrumSynth& synth);

// Makes the block the instrument's state. Answers size when accepted, 0 when
// refused (nothing changed). The caller holds the engine (busy flags).
int32_t restorePatch(DrumSynth& synth, const uint8_t* bytes, int64_t size);

// Why a block would be refused, or null when it would be accepted.
const char* patchRefusal(const uint8_t* bytes, int64_t size);

// Reads a whole file into a malloc'd buffer; null when it cannot be read.
uint8_t* readWholeFile(const char* path, int64_t* size);
