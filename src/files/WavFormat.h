// The canonical WAV file as the sample loader takes it, and the coding of its
// samples: a sample slot keeps the file's 44-byte header and its first
// channel as W-byte differences, each from the sample before, modulo 2^(8W).
#pragma once

#include <cstdint>

namespace wav {

constexpr int32_t kHeaderSize = 44;
// Offsets within the header (the same in a file and in a slot).
constexpr int kRiff = 0;
constexpr int kWave = 8;
constexpr int kFmt = 12;
constexpr int kFingerprint = 16;  // a slot's fingerprint; the fmt chunk size in a file
constexpr int kFormatTag = 20;
constexpr int kChannels = 22;
constexpr int kSampleRate = 24;
constexpr int kBlockAlign = 32;
constexpr int kData = 36;
constexpr int kDataSize = 40;

constexpr uint16_t kFloatFormat = 3;
constexpr int kMaxSampleWidth = 4;

// What a usable file holds; width is one channel's sample, in bytes.
struct Layout {
    uint16_t channels;
    uint16_t blockAlign;
    uint16_t width;
    uint32_t dataSize;
    int64_t frames;
};

// Why the bytes are no WAV file the loader takes, in words; null when they
// are one, with its layout filled in. Only the canonical layout is taken,
// checked at fixed offsets: a longer fmt chunk or any chunk before "data" is
// refused.
const char* refusal(const uint8_t* bytes, int64_t size, Layout& layout);

// Codes frames samples of width bytes, read every stride bytes from from, as
// differences into to. signedBytes: 8-bit samples are stored offset by 128
// in a file and are made signed first.
void codeSamples(const uint8_t* from, int64_t stride, uint8_t* to, int64_t frames, int width,
                 bool signedBytes);

// Decodes the count coded samples after a slot header into a new malloc'd
// buffer of floats in [-1, 1); null when the memory cannot be had.
float* decodeSamples(const uint8_t* header, int64_t count);

}  // namespace wav
