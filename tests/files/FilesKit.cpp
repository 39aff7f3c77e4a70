#include "FilesKit.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/Kit.h"
#include "engine/Notes.h"
#include "engine/Render.h"
#include "files/Patch.h"
#include "files/SampleStore.h"
#include "host/zelVst.h"
#include "files/PadSample.h"

namespace fs = std::filesystem;

FilesKit::FilesKit(const std::string& path, float rate) : base(rate, path) {
    for (int o = 0; o < 16; ++o) {
        outputs[o].assign(1024, 0.0f);
        outputPointers[o] = outputs[o].data();
    }
}

FilesKit::~FilesKit() = default;

namespace {
VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}
}  // namespace

InstanceUnderTest::InstanceUnderTest() : effect(createPlugin(hostCallback)) {}

InstanceUnderTest::~InstanceUnderTest() {
    if (effect != nullptr) dispatch(effClose);
}

zelVst& InstanceUnderTest::plugin() { return *static_cast<zelVst*>(effect->object); }

intptr_t InstanceUnderTest::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr) {
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

Bytes InstanceUnderTest::chunk(int32_t index) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, index, 0, &data);
    if (data == nullptr || size <= 0) return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return Bytes(bytes, bytes + size);
}

std::string FilesKit::load(int p, const std::string& path) { return loadPadSample(core, p, path.c_str()); }

void FilesKit::remove(int p) { loadPadSample(core, p, ""); }

Bytes FilesKit::patch() { return base.patch(); }

int32_t FilesKit::restore(const Bytes& block) {
    return restorePatch(core, block.data(), static_cast<int64_t>(block.size()));
}

int32_t FilesKit::totalSize() const { return core.kit->sampleStore->totalSize; }

std::vector<float> FilesKit::samples(int p) {
    const Pad& target = pad(p);
    if (target.samples == nullptr) return {};
    return std::vector<float>(target.samples, target.samples + target.frameCount);
}

int FilesKit::noteOn(int p, int16_t velocity) {
    return noteEvent(core, 0x90, pad(p).note, velocity);
}

int FilesKit::render(int32_t frames) {
    int result = 0;
    peak = 0.0f;
    while (frames > 0) {
        const int32_t span = frames < 1024 ? frames : 1024;
        result |= renderBlock(core, outputPointers, span);
        for (int o = 0; o < 16; ++o)
            for (int32_t i = 0; i < span; ++i) peak = std::fmax(peak, std::fabs(outputs[o][i]));
        frames -= span;
    }
    return result;
}

float FilesKit::peakOutput() const { return peak; }

int FilesKit::voicesOf(int p) {
    int count = 0;
    for (const Voice& voice : kit().voices) count += voice.pad == &kit().pads[p];
    return count;
}

KitSnapshot snapshot(FilesKit& kit) {
    KitSnapshot shot;
    shot.image = kit.patch();
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pad(p);
        shot.pads[p] = {pad.samples,    kit.samples(p),   pad.frameCount,
                        pad.sampleRate, pad.holdRatio,    pad.slotOffset};
    }
    return shot;
}

bool sameKit(const KitSnapshot& a, const KitSnapshot& b, std::string* difference) {
    if (a.image != b.image) {
        size_t at = 0;
        while (at < a.image.size() && at < b.image.size() && a.image[at] == b.image[at]) ++at;
        *difference = "images differ (sizes " + std::to_string(a.image.size()) + " and " +
                      std::to_string(b.image.size()) + ", first at byte " + std::to_string(at) + ")";
        return false;
    }
    for (int p = 0; p < kPadCount; ++p) {
        const auto& x = a.pads[p];
        const auto& y = b.pads[p];
        if (x.samples != y.samples || x.values != y.values || x.frameCount != y.frameCount ||
            std::memcmp(&x.sampleRate, &y.sampleRate, sizeof(float)) != 0 ||
            std::memcmp(&x.holdRatio, &y.holdRatio, sizeof(float)) != 0 ||
            x.slotOffset != y.slotOffset) {
            *difference = "pad " + std::to_string(p) + "'s playback state differs";
            return false;
        }
    }
    return true;
}

void putU16(Bytes& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void putU32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t getU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

uint32_t getU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

int32_t getI32(const Bytes& bytes, size_t offset) {
    return static_cast<int32_t>(getU32(bytes.data() + offset));
}

Bytes wavFile(uint16_t channels, uint16_t width, const std::vector<int64_t>& values, uint32_t rate,
              uint16_t formatTag) {
    const uint32_t dataSize = static_cast<uint32_t>(values.size() * width);
    const uint16_t blockAlign = static_cast<uint16_t>(channels * width);
    Bytes bytes(44 + dataSize);
    std::memcpy(&bytes[0], "RIFF", 4);
    putU32(bytes, 4, 36 + dataSize);
    std::memcpy(&bytes[8], "WAVE", 4);
    std::memcpy(&bytes[12], "fmt ", 4);
    putU32(bytes, 16, 16);
    putU16(bytes, 20, formatTag);
    putU16(bytes, 22, channels);
    putU32(bytes, 24, rate);
    putU32(bytes, 28, rate * blockAlign);
    putU16(bytes, 32, blockAlign);
    putU16(bytes, 34, static_cast<uint16_t>(8 * width));
    std::memcpy(&bytes[36], "data", 4);
    putU32(bytes, 40, dataSize);
    for (size_t i = 0; i < values.size(); ++i)
        for (int b = 0; b < width; ++b)
            bytes[44 + i * width + b] = static_cast<uint8_t>(static_cast<uint64_t>(values[i]) >> (8 * b));
    return bytes;
}

Bytes floatWavFile(const std::vector<float>& values, uint32_t rate) {
    std::vector<int64_t> bits;
    for (float value : values) {
        uint32_t word;
        std::memcpy(&word, &value, sizeof word);
        bits.push_back(word);
    }
    return wavFile(1, 4, bits, rate, 3);
}

Bytes distinctWav(int seed, int frames) {
    std::vector<int64_t> values;
    for (int i = 0; i < frames; ++i) values.push_back(((seed + 1) * 977 * (i + 1)) % 60000 - 30000);
    return wavFile(1, 2, values, 22050 + seed);
}

const uint8_t* slotBytes(FilesKit& kit, int number) {
    int64_t offset = kFixedImageSize;
    for (int s = 1; s < number; ++s) offset += kit.pad(s - 1).slotSize;
    return imageBytes(kit.kit().sampleStore) + offset;
}

Bytes slotContent(FilesKit& kit, int number) {
    const uint8_t* start = slotBytes(kit, number);
    return Bytes(start, start + kit.pad(number - 1).slotSize);
}

uint32_t referenceCrc32(const Bytes& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
