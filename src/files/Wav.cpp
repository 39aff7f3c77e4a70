#include "files/Wav.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/BusyFlags.h"
#include "engine/Kit.h"
#include "engine/Notes.h"
#include "files/Patch.h"
#include "files/SampleSlot.h"
#include "platform/Platform.h"

namespace {

using namespace slot;

constexpr uint32_t kWidthMask[kMaxSampleWidth + 1] = {0x00000000, 0xFF000000, 0xFFFF0000,
                                                      0xFFFFFF00, 0xFFFFFFFF};
constexpr float kWordScale = 4.656613e-10f;  // 2^-31
constexpr unsigned kRemovalPatienceMs = 200;

// What a usable file holds; W is the width of one channel's sample.
struct WavLayout {
    uint16_t channels;
    uint16_t blockAlign;
    uint16_t width;
    uint32_t dataSize;
    int64_t frames;
};

// The canonical 44-byte layout only, checked at fixed offsets: a longer fmt
// chunk or any chunk before "data" is refused.
bool readLayout(const uint8_t* bytes, int64_t size, WavLayout& wav) {
    if (bytes == nullptr || size < kHeaderSize) return false;
    if (std::memcmp(bytes + kRiff, "RIFF", 4) != 0 || std::memcmp(bytes + kWave, "WAVE", 4) != 0 ||
        std::memcmp(bytes + kFmt, "fmt ", 4) != 0 || std::memcmp(bytes + kData, "data", 4) != 0)
        return false;
    wav.channels = readU16(bytes + kChannels);
    wav.blockAlign = readU16(bytes + kBlockAlign);
    wav.dataSize = readU32(bytes + kDataSize);
    if (wav.channels != 1 && wav.channels != 2) return false;
    if (readU32(bytes + kSampleRate) == 0) return false;  // a voice would never move on
    if (wav.blockAlign < 1 || wav.blockAlign > 8 || wav.blockAlign % wav.channels != 0) return false;
    wav.width = static_cast<uint16_t>(wav.blockAlign / wav.channels);
    if (wav.width > kMaxSampleWidth) return false;
    if (wav.dataSize > size - kHeaderSize || wav.dataSize % wav.blockAlign != 0) return false;
    wav.frames = wav.dataSize / wav.blockAlign;
    return true;
}

int32_t little(const uint8_t* at, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return static_cast<int32_t>(value);
}

void storeLittle(uint8_t* at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Differences modulo 2^(8W), the sample before the first counting as 0.
// signedBytes: 8-bit samples are made signed first, as WAV stores them offset.
void codeSamples(const uint8_t* from, int64_t stride, uint8_t* to, int64_t frames, int width,
                 bool signedBytes) {
    uint32_t previous = 0;
    for (int64_t f = 0; f < frames; ++f) {
        uint32_t value = static_cast<uint32_t>(little(from + f * stride, width));
        if (width == 1 && signedBytes) value = static_cast<uint32_t>(static_cast<int8_t>(value - 128));
        storeLittle(to + f * width, value - previous, width);
        previous = value;
    }
}

float decodedFloat(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) return 0.0f;
    // Samples stay in [-1, 1) like every decoded sample: hotter floats clip.
    if (value < -1.0f) return -1.0f;
    if (value >= 1.0f) return 0.99999994f;
    return value;
}

// The running sum of the differences, each placed as the top W bytes of a
// 32-bit word, so every width lands on the same [-1, 1) scale.
float* decodeSlot(const uint8_t* header, int64_t count) {
    const int width = readU16(header + kBlockAlign);
    const bool isFloat = readU16(header + kFormatTag) == kFloatFormat && width == 4;
    float* out = static_cast<float*>(std::malloc(sizeof(float) * static_cast<size_t>(count)));
    if (out == nullptr) return nullptr;
    const uint8_t* data = header + kHeaderSize;
    uint32_t sum = 0;
    for (int64_t i = 0; i < count; ++i) {
        const uint32_t word = (static_cast<uint32_t>(little(data + i * width, width))
                               << (8 * (kMaxSampleWidth - width))) & kWidthMask[width];
        sum += word;
        out[i] = isFloat ? decodedFloat(sum) : static_cast<float>(static_cast<int32_t>(sum)) * kWordScale;
    }
    return out;
}

uint8_t* slotHeader(DrumKit& kit, int number) {
    return imageBytes(kit.sampleStore) + kit.pads[number - 1].slotOffset;
}

// Decodes the slot the pad plays and switches the pad over to it.
void decodeIntoPad(DrumSynth& synth, int p, bool takeHandshake) {
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    const uint8_t* header = slotHeader(kit, pad.slotNumber);
    const int width = readU16(header + kBlockAlign);
    const int64_t count = readU32(header + kDataSize) / width;
    const float rate = static_cast<float>(readU32(header + kSampleRate));
    float* fresh = count != 0 ? decodeSlot(header, count) : nullptr;

    float* old = nullptr;
    {
        EditGuard guard(takeHandshake ? synth.busy : nullptr);
        pad.frameCount = static_cast<int32_t>(count);
        pad.sampleRate = rate;
        updateHoldRatio(pad);
        if (count != 0) {
            old = pad.samples;
            pad.samples = fresh;
        }
    }
    std::free(old);
}

const char* fileNameOf(const char* path) {
    const char* name = path;
    for (const char* c = path; *c != '\0'; ++c)
        if (*c == '\\' || *c == '/') name = c + 1;
    return name;
}

void copyText(char* field, size_t size, const char* text) {
    std::strncpy(field, text, size - 1);
    field[size - 1] = '\0';
}

// The first slot that is empty or holds the same header; 0 when none does.
int chooseSlot(DrumKit& kit, const uint8_t* header) {
    for (int number = 1; number <= kPadCount; ++number) {
        const Pad& owner = kit.pads[number - 1];
        if (owner.slotSize == 0) return number;
        if (owner.slotSize >= kHeaderSize &&
            std::memcmp(slotHeader(kit, number), header, kHeaderSize) == 0)
            return number;
    }
    return 0;
}

bool padHasVoices(const DrumKit& kit, const Pad& pad) {
    for (const Voice& voice : kit.voices)
        if (voice.pad == &pad) return true;
    return false;
}

// Ends the pad's voices exactly as the end of their sample would.
void endVoicesOf(DrumKit& kit, Pad& pad) {
    for (Voice& voice : kit.voices) {
        if (voice.pad != &pad) continue;
        voice.pad = nullptr;
        if (pad.activity != 0) pad.activity -= 1;
        showActivity(pad);
    }
}

// Waits for the audio thread to finish the pad's voices, looking under the
// handshake each time but never sleeping with it held. When no audio runs,
// or the voices outlast our patience, they are ended here.
void waitForVoices(DrumSynth& synth, Pad& pad) {
    DrumKit& kit = *synth.kit;
    for (unsigned waited = 0;; ++waited) {
        {
            EditGuard guard(synth.busy);
            if (!padHasVoices(kit, pad)) return;
            const bool audioStopped = synth.busy == nullptr || synth.suspended == nullptr ||
                                      synth.suspended->load();
            if (audioStopped || waited >= kRemovalPatienceMs) {
                endVoicesOf(kit, pad);
                return;
            }
        }
        platformSleepMs(1);
    }
}

void removeSample(DrumSynth& synth, int p) {
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    if (pad.slotNumber != 0) {
        const int32_t offset = resizeSlot(kit, p, 0);
        if (offset >= 0) kit.pads[pad.slotNumber - 1].slotOffset = offset;
    }
    float* old;
    {
        EditGuard guard(synth.busy);
        old = pad.samples;
        pad.slotNumber = 0;
        pad.samples = nullptr;
    }
    waitForVoices(synth, pad);
    std::free(old);
    pad.fileName[0] = '\0';
}

void rebuildFromSlot(DrumSynth& synth, int p) {
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    if (pad.slotNumber < 1 || pad.slotNumber > kPadCount) return;
    Pad& owner = kit.pads[pad.slotNumber - 1];
    if (owner.slotSize == 0) return;
    owner.slotOffset = static_cast<int32_t>(offsetOf(kit, pad.slotNumber));
    uint8_t* header = slotHeader(kit, pad.slotNumber);
    if (!headerFits(header, owner.slotSize)) return;
    if (kit.sampleStore->formatMarker < 1) {
        // An older image: its data is stored as is; code it in place.
        const int width = readU16(header + kBlockAlign);
        writeU16(header + kChannels, 1);
        codeSamples(header + kHeaderSize, width, header + kHeaderSize,
                    readU32(header + kDataSize) / width, width, false);
    }
    decodeIntoPad(synth, p, false);
}

}  // namespace

uint32_t crc32(const uint8_t* bytes, int64_t size) {
    static const struct Table {
        uint32_t entries[256];
        Table() {
            for (uint32_t n = 0; n < 256; ++n) {
                uint32_t c = n;
                for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                entries[n] = c;
            }
        }
    } table;
    uint32_t crc = 0xFFFFFFFFu;
    for (int64_t i = 0; i < size; ++i) crc = table.entries[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

int32_t resizeSlot(DrumKit& kit, int p, int32_t newSize) {
    const int number = kit.pads[p].slotNumber;
    if (number < 1 || number > kPadCount) return -1;
    if (newSize == 0)
        for (int q = 0; q < kPadCount; ++q)
            if (q != p && kit.pads[q].slotNumber == number)
                return static_cast<int32_t>(offsetOf(kit, number));

    const int64_t delta = static_cast<int64_t>(newSize) - kit.pads[number - 1].slotSize;
    const int64_t total = static_cast<int64_t>(kit.sampleStore->totalSize) + delta;
    if (total < kFixedImageSize || total > INT32_MAX) return -1;

    if (delta > 0) {
        void* grown = std::realloc(kit.sampleStore, static_cast<size_t>(total));
        if (grown == nullptr) return -1;
        kit.sampleStore = static_cast<SampleStore*>(grown);
    }
    uint8_t* image = imageBytes(kit.sampleStore);
    // Later slots move down before a shrink and up after a growth.
    for (int step = 0; step < kPadCount - number; ++step) {
        const int later = delta < 0 ? number + 1 + step : kPadCount - step;
        Pad& owner = kit.pads[later - 1];
        if (owner.slotSize == 0) continue;
        const int64_t from = offsetOf(kit, later);
        std::memmove(image + from + delta, image + from, static_cast<size_t>(owner.slotSize));
        owner.slotOffset = static_cast<int32_t>(from + delta);
    }
    if (delta < 0) {
        void* shrunk = std::realloc(kit.sampleStore, static_cast<size_t>(total));
        if (shrunk != nullptr) kit.sampleStore = static_cast<SampleStore*>(shrunk);
    }
    kit.sampleStore->totalSize = static_cast<int32_t>(total);
    kit.pads[number - 1].slotSize = newSize;
    return static_cast<int32_t>(offsetOf(kit, number));
}

bool loadPadSampleBytes(DrumSynth& synth, int p, const uint8_t* bytes, int64_t size,
                        const char* name) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount) return false;
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    WavLayout wav;
    if (!readLayout(bytes, size, wav)) return false;
    const int64_t slotSize = kHeaderSize + static_cast<int64_t>(wav.dataSize) / wav.channels;
    if (slotSize > INT32_MAX - kFixedImageSize) return false;

    uint8_t header[kHeaderSize];
    std::memcpy(header, bytes, kHeaderSize);
    writeU32(header + kFingerprint, crc32(bytes, size));
    writeU16(header + kBlockAlign, wav.width);

    int number = chooseSlot(kit, header);
    if (number == 0) number = pad.slotNumber;  // every slot taken: reuse the pad's own
    if (number == 0) return false;

    const int8_t previousNumber = pad.slotNumber;
    pad.slotNumber = static_cast<int8_t>(number);
    Pad& owner = kit.pads[number - 1];
    if (slotSize != owner.slotSize) {
        const int32_t offset = resizeSlot(kit, p, static_cast<int32_t>(slotSize));
        if (offset < 0) {
            pad.slotNumber = previousNumber;
            return false;
        }
        owner.slotOffset = offset;
    } else {
        owner.slotOffset = static_cast<int32_t>(offsetOf(kit, number));
    }

    uint8_t* slotStart = slotHeader(kit, number);
    codeSamples(bytes + kHeaderSize, wav.blockAlign, slotStart + kHeaderSize, wav.frames,
                wav.width, true);
    writeU16(header + kChannels, 1);
    writeU32(header + kDataSize, static_cast<uint32_t>(slotSize - kHeaderSize));
    std::memcpy(slotStart, header, kHeaderSize);
    copyText(pad.fileName, sizeof pad.fileName, name);
    decodeIntoPad(synth, p, true);
    return true;
}

void loadPadSample(DrumSynth& synth, int p, const char* path) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount) return;
    if (path == nullptr) {
        rebuildFromSlot(synth, p);
    } else if (path[0] == '\0') {
        removeSample(synth, p);
    } else {
        int64_t size = 0;
        uint8_t* bytes = readWholeFile(path, &size);
        if (bytes == nullptr) return;
        loadPadSampleBytes(synth, p, bytes, size, fileNameOf(path));
        std::free(bytes);
    }
}
