#include "files/PadSample.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/Kit.h"
#include "engine/LaneLayout.h"
#include "files/FileBytes.h"
#include "files/LittleEndian.h"
#include "files/SampleStore.h"

const char kNoMemoryForSample[] = "too large for the memory left";

namespace {

void copyText(char* field, size_t size, const char* text) {
    std::strncpy(field, text, size - 1);
    field[size - 1] = '\0';
}

// A voice that finds its pad without samples ends at its next frame, so the
// pad's voices need no waiting for: the renderer frees them.
void removeSample(DrumSynth& synth, int p) {
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    releaseLanes(kit, padBit(p));
    if (pad.slotNumber != 0) {
        const int32_t offset = resizeSlot(kit, p, 0);
        if (offset >= 0) kit.pads[pad.slotNumber - 1].slotOffset = offset;
    }
    retireBuffer(synth, pad.samples);
    pad.slotNumber = 0;
    pad.samples = nullptr;
    pad.fileName[0] = '\0';
}

}  // namespace

bool decodeSlot(const uint8_t* header, DecodedSample& decoded) {
    const int width = readU16(header + wav::kBlockAlign);
    const int64_t count = readU32(header + wav::kDataSize) / width;
    decoded.rate = static_cast<float>(readU32(header + wav::kSampleRate));
    decoded.frameCount = static_cast<int32_t>(count);
    decoded.samples = nullptr;
    if (count != 0) {
        decoded.samples = wav::decodeSamples(header, count);
        if (decoded.samples == nullptr) return false;
    }
    decoded.shortcuts = proveShortcuts(decoded.samples, decoded.frameCount, decoded.rate);
    return true;
}

void switchPadSample(DrumSynth& synth, Pad& pad, DecodedSample& decoded) {
    releaseLanes(*synth.kit, padBit(static_cast<int>(&pad - synth.kit->pads)));
    pad.frameCount = decoded.frameCount;
    pad.sampleRate = decoded.rate;
    updateHoldRatio(pad);
    if (decoded.samples != nullptr) {
        retireBuffer(synth, pad.samples);
        pad.samples = decoded.samples;
    }
    pad.shortcuts = decoded.shortcuts;
    decoded.samples = nullptr;
}

PreparedSample::~PreparedSample() {
    std::free(slot);
    std::free(decoded.samples);
}

const char* prepareSample(const uint8_t* bytes, int64_t size, const char* name, PreparedSample& prepared) {
    wav::Layout layout;
    if (const char* why = wav::refusal(bytes, size, layout)) return why;
    const int64_t slotSize = wav::kHeaderSize + static_cast<int64_t>(layout.dataSize) / layout.channels;
    if (slotSize > INT32_MAX - kFixedImageSize) return "larger than a kit can hold";

    uint8_t* header = prepared.matchHeader;
    std::memcpy(header, bytes, wav::kHeaderSize);
    writeU32(header + wav::kFingerprint, crc32(bytes, size));
    writeU16(header + wav::kBlockAlign, layout.width);

    prepared.slot = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(slotSize)));
    if (prepared.slot == nullptr) return kNoMemoryForSample;
    prepared.slotSize = static_cast<int32_t>(slotSize);
    std::memcpy(prepared.slot, header, wav::kHeaderSize);
    writeU16(prepared.slot + wav::kChannels, 1);
    writeU32(prepared.slot + wav::kDataSize, static_cast<uint32_t>(slotSize - wav::kHeaderSize));
    wav::codeSamples(bytes + wav::kHeaderSize, layout.blockAlign, prepared.slot + wav::kHeaderSize,
                     layout.frames, layout.width, true);
    if (!decodeSlot(prepared.slot, prepared.decoded)) return kNoMemoryForSample;
    copyText(prepared.fileName, sizeof prepared.fileName, name);
    return nullptr;
}

const char* installSample(DrumSynth& synth, int p, PreparedSample& prepared) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount) return "no such pad";
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    int number = chooseSlot(kit, prepared.matchHeader);
    if (number == 0) number = pad.slotNumber;  // every slot taken: reuse the pad's own
    if (number == 0) return "every one of the kit's 16 sample slots is taken";

    const int8_t previousNumber = pad.slotNumber;
    pad.slotNumber = static_cast<int8_t>(number);
    Pad& owner = kit.pads[number - 1];
    if (prepared.slotSize != owner.slotSize) {
        const int32_t offset = resizeSlot(kit, p, prepared.slotSize);
        if (offset < 0) {
            pad.slotNumber = previousNumber;
            return kNoMemoryForSample;
        }
        owner.slotOffset = offset;
    } else {
        owner.slotOffset = static_cast<int32_t>(slotOffsetOf(kit, number));
    }
    std::memcpy(slotHeader(kit, number), prepared.slot, static_cast<size_t>(prepared.slotSize));
    std::memcpy(pad.fileName, prepared.fileName, sizeof pad.fileName);
    switchPadSample(synth, pad, prepared.decoded);
    // The slot the pad moved away from goes, unless another pad plays it:
    // left behind, it would fill the kit's sixteen slots with data no one hears.
    if (previousNumber != number) releaseUnplayedSlot(kit, previousNumber);
    return nullptr;
}

const char* loadPadSampleBytes(DrumSynth& synth, int p, const uint8_t* bytes, int64_t size,
                               const char* name) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount) return "no such pad";
    PreparedSample prepared;
    if (const char* why = prepareSample(bytes, size, name, prepared)) return why;
    return installSample(synth, p, prepared);
}

std::string loadPadSample(DrumSynth& synth, int p, const char* path) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount || path == nullptr) return "no such pad";
    if (path[0] == '\0') {
        removeSample(synth, p);
        return {};
    }
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, &reason)) return reason;
    const char* refused = loadPadSampleBytes(synth, p, bytes.data(), static_cast<int64_t>(bytes.size()),
                                             baseName(path));
    return refused != nullptr ? refused : std::string();
}
