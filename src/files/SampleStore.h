// The kit's byte image in patch layout: the fixed part below, then up to 16
// difference-coded sample slots. The same bytes are the host chunk and the
// patch file, so every offset is a file format.
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

// The bytes of the image, for slot access past the fixed part.
inline uint8_t* imageBytes(SampleStore* store) { return reinterpret_cast<uint8_t*>(store); }

// A zeroed image of the fixed part alone, formatMarker 1 and totalSize 9372;
// null on failure.
SampleStore* createSampleStore();
