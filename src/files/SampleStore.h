// The kit's byte image in patch layout: the fixed part below, then up to 16
// difference-coded sample slots in slot order, without gaps. The same bytes
// are the host chunk and the patch file, so every offset is a file format.
//
// Slot k (1..16) is described by pad k - 1, whichever pads play it: its
// slotSize (44 + coded bytes; 0 = empty) and slotOffset.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/DrumKit.h"

struct SampleStore {
    int32_t formatMarker;  // 1 or more: slot data is difference-coded
    char effectName[16];
    int32_t totalSize;     // bytes of the whole image, slots included
    int32_t sizeCheck;     // ~totalSize
    uint8_t padRecords[kPadCount][kPadRecordSize];
    uint8_t reserved[128];
};

constexpr int32_t kFixedImageSize = 9372;
static_assert(offsetof(SampleStore, effectName) == 4, "patch layout");
static_assert(offsetof(SampleStore, totalSize) == 20, "patch layout");
static_assert(offsetof(SampleStore, sizeCheck) == 24, "patch layout");
static_assert(offsetof(SampleStore, padRecords) == 28, "patch layout");
static_assert(offsetof(SampleStore, reserved) == 9244, "patch layout");
static_assert(sizeof(SampleStore) == kFixedImageSize, "patch layout");

// A zeroed image of the fixed part alone, formatMarker 1 and totalSize 9372;
// null on failure.
SampleStore* createSampleStore();

// The bytes of the image, for slot access past the fixed part.
inline uint8_t* imageBytes(SampleStore* store) { return reinterpret_cast<uint8_t*>(store); }
inline const uint8_t* imageBytes(const SampleStore* store) {
    return reinterpret_cast<const uint8_t*>(store);
}

// The byte offset of slot number (1..16) in the image, from the slot sizes.
int64_t slotOffsetOf(const DrumKit& kit, int number);

// The slot's first byte, its 44-byte header.
uint8_t* slotHeader(DrumKit& kit, int number);
const uint8_t* slotHeader(const DrumKit& kit, int number);

// Whether a slot header of size bytes is one the decoder can read. A rate of
// 0 Hz would hold a voice on its first sample for ever.
bool slotHeaderFits(const uint8_t* header, int64_t size);

// The first slot that is empty or holds exactly this header; 0 when none does.
int chooseSlot(const DrumKit& kit, const uint8_t* header);

// Gives the slot that the pad plays newSize bytes, moving the later slots, and
// answers the slot's offset. A slot another pad plays is never emptied: its
// offset comes back unchanged. Answers -1, changing nothing, when the image
// could not be reallocated.
int32_t resizeSlot(DrumKit& kit, int pad, int32_t newSize);

// Empties the slot when no pad plays it any more, so that no sample data
// stays behind in the kit unheard.
void releaseUnplayedSlot(DrumKit& kit, int number);

// CRC-32 (reflected 0xEDB88320) of the bytes: a slot's fingerprint.
uint32_t crc32(const uint8_t* bytes, int64_t size);
