// A sample slot in the store: the file's 44-byte canonical WAV header (with
// the fingerprint, one channel and the per-channel sample width W written
// in), then one W-byte sample per frame, each stored as the difference from
// the one before, modulo 2^(8W).
#pragma once

#include <cstdint>
#include <cstring>

#include "files/SampleStore.h"

namespace slot {

constexpr int32_t kHeaderSize = 44;
// Offsets within the header.
constexpr int kRiff = 0;
constexpr int kWave = 8;
constexpr int kFmt = 12;
constexpr int kFingerprint = 16;  // the fmt chunk size in the file
constexpr int kFormatTag = 20;
constexpr int kChannels = 22;
constexpr int kSampleRate = 24;
constexpr int kBlockAlign = 32;
constexpr int kData = 36;
constexpr int kDataSize = 40;

constexpr uint16_t kFloatFormat = 3;
constexpr int kMaxSampleWidth = 4;

inline uint16_t readU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
inline uint32_t readU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}
inline void writeU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
inline void writeU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The byte offset of slot number (1..16) in the image, from the slot sizes.
inline int64_t offsetOf(const DrumKit& kit, int number) {
    int64_t offset = kFixedImageSize;
    for (int s = 1; s < number; ++s) offset += kit.pads[s - 1].slotSize;
    return offset;
}

// Whether a slot header of size bytes is one the decoder can read. A rate of
// 0 Hz would hold a voice on its first sample for ever.
inline bool headerFits(const uint8_t* header, int64_t size) {
    if (size < kHeaderSize) return false;
    const uint16_t width = readU16(header + kBlockAlign);
    const uint32_t dataSize = readU32(header + kDataSize);
    return width >= 1 && width <= kMaxSampleWidth && dataSize == size - kHeaderSize &&
           dataSize % width == 0 && readU32(header + kSampleRate) != 0;
}

}  // namespace slot
