#include "WavImage.h"

#include <cmath>

namespace {

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putText(std::vector<uint8_t>& out, const char* text) { out.insert(out.end(), text, text + 4); }

}  // namespace

std::vector<uint8_t> canonicalWav(const std::vector<int32_t>& samples, int bits, uint32_t rate) {
    const uint32_t width = static_cast<uint32_t>(bits / 8);
    const uint32_t dataSize = static_cast<uint32_t>(samples.size()) * width;
    std::vector<uint8_t> out;
    out.reserve(44 + dataSize);
    putText(out, "RIFF");
    putLittleEndian(out, 36 + dataSize, 4);
    putText(out, "WAVE");
    putText(out, "fmt ");
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, 1, 2);  // integer PCM
    putLittleEndian(out, 1, 2);  // mono
    putLittleEndian(out, rate, 4);
    putLittleEndian(out, rate * width, 4);
    putLittleEndian(out, width, 2);
    putLittleEndian(out, static_cast<uint32_t>(bits), 2);
    putText(out, "data");
    putLittleEndian(out, dataSize, 4);
    for (int32_t sample : samples) {
        const uint32_t value = width == 1 ? static_cast<uint32_t>(sample + 128) : static_cast<uint32_t>(sample);
        putLittleEndian(out, value, static_cast<int>(width));
    }
    return out;
}

int32_t quantise(double value, int bits) {
    if (!std::isfinite(value)) return 0;
    const double top = std::ldexp(1.0, bits - 1);
    const double scaled = std::nearbyint(value * top);
    if (scaled > top - 1.0) return static_cast<int32_t>(top - 1.0);
    if (scaled < -top) return static_cast<int32_t>(-top);
    return static_cast<int32_t>(scaled);
}
