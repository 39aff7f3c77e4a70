// The patch: the whole kit, samples included, as one byte block. The kit
// keeps it at all times as its sample store; writing only refreshes the pad
// records and the header.
#pragma once

#include <cstdint>

#include "engine/DrumSynth.h"

// Brings the sample store up to date; its totalSize bytes are then the patch.
void buildPatch(DrumSynth& synth);

// Makes the block the instrument's state. Answers size when accepted (the
// kit was replaced; whoever shows it selects pad 0 again), 0 when refused
// (nothing changed), with the reason in words in *why when given: the
// block's fault, or the memory its samples need. The caller holds the edit
// lock.
int32_t restorePatch(DrumSynth& synth, const uint8_t* bytes, int64_t size, const char** why = nullptr);

// Why a block would be refused, in words, or null when it would be accepted.
const char* patchRefusal(const uint8_t* bytes, int64_t size);
