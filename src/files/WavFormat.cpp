#include "files/WavFormat.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "files/LittleEndian.h"

namespace wav {

namespace {

constexpr uint32_t kWidthMask[kMaxSampleWidth + 1] = {0x00000000, 0xFF000000, 0xFFFF0000,
                                                      0xFFFFFF00, 0xFFFFFFFF};
constexpr float kWordScale = 4.656613e-10f;  // 2^-31

bool tagAt(const uint8_t* bytes, int offset, const char* tag) {
    return std::memcmp(bytes + offset, tag, 4) == 0;
}

float decodedFloat(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) return 0.0f;
    // Every bit depth's quantiser turns a subnormal value into 0, but the
    // processor takes many times longer over each multiply by one, at every
    // frame a voice reads: a float file's faded tail is stored as the 0 it plays.
    if (std::fpclassify(value) == FP_SUBNORMAL) return 0.0f;
    // Samples stay in [-1, 1) like every decoded sample: hotter floats clip.
    if (value < -1.0f) return -1.0f;
    if (value >= 1.0f) return 0.99999994f;
    return value;
}

}  // namespace

const char* refusal(const uint8_t* bytes, int64_t size, Layout& layout) {
    if (bytes == nullptr || size < kHeaderSize) return "shorter than a 44-byte WAV header";
    if (!tagAt(bytes, kRiff, "RIFF") || !tagAt(bytes, kWave, "WAVE")) return "not a WAV file";
    if (!tagAt(bytes, kFmt, "fmt ") || !tagAt(bytes, kData, "data"))
        return "not a plain WAV file (a 16-byte format chunk followed at once by the data)";
    layout.channels = readU16(bytes + kChannels);
    layout.blockAlign = readU16(bytes + kBlockAlign);
    layout.dataSize = readU32(bytes + kDataSize);
    if (layout.channels != 1 && layout.channels != 2) return "neither mono nor stereo";
    // A voice would never move on from its first sample.
    if (readU32(bytes + kSampleRate) == 0) return "a sample rate of 0 Hz";
    if (layout.blockAlign < 1 || layout.blockAlign % layout.channels != 0)
        return "a frame size that does not fit its channels";
    layout.width = static_cast<uint16_t>(layout.blockAlign / layout.channels);
    if (layout.width > kMaxSampleWidth) return "samples wider than 32 bits";
    if (layout.dataSize > size - kHeaderSize) return "its data runs past the end of the file";
    if (layout.dataSize % layout.blockAlign != 0) return "its data is not a whole number of frames";
    layout.frames = layout.dataSize / layout.blockAlign;
    return nullptr;
}

void codeSamples(const uint8_t* from, int64_t stride, uint8_t* to, int64_t frames, int width,
                 bool signedBytes) {
    uint32_t previous = 0;
    for (int64_t f = 0; f < frames; ++f) {
        uint32_t value = readLittle(from + f * stride, width);
        if (width == 1 && signedBytes) value = static_cast<uint32_t>(static_cast<int8_t>(value - 128));
        writeLittle(to + f * width, value - previous, width);
        previous = value;
    }
}

// The running sum of the differences, each placed as the top W bytes of a
// 32-bit word, so every width lands on the same [-1, 1) scale.
float* decodeSamples(const uint8_t* header, int64_t count) {
    const int width = readU16(header + kBlockAlign);
    const bool isFloat = readU16(header + kFormatTag) == kFloatFormat && width == 4;
    float* out = static_cast<float*>(std::malloc(sizeof(float) * static_cast<size_t>(count)));
    if (out == nullptr) return nullptr;
    const uint8_t* data = header + kHeaderSize;
    uint32_t sum = 0;
    for (int64_t i = 0; i < count; ++i) {
        const uint32_t word = (readLittle(data + i * width, width) << (8 * (kMaxSampleWidth - width))) &
                              kWidthMask[width];
        sum += word;
        out[i] = isFloat ? decodedFloat(sum)
                         : static_cast<float>(static_cast<int32_t>(sum)) * kWordScale;
    }
    return out;
}

}  // namespace wav
