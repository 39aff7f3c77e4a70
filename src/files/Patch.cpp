#include "files/Patch.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/Kit.h"
#include "engine/LaneLayout.h"
#include "engine/PadFilters.h"
#include "files/LittleEndian.h"
#include "files/PadSample.h"
#include "files/SampleStore.h"

namespace {

const char kEffectName[] = "zel001";

const uint8_t* padRecord(const uint8_t* block, int p) {
    return block + offsetof(SampleStore, padRecords) + kPadRecordSize * p;
}

PadSettings storedPad(const uint8_t* block, int p) {
    PadSettings pad;
    std::memcpy(&pad, padRecord(block, p), kPadRecordSize);
    return pad;
}

bool finiteSettings(const PadSettings& pad) {
    const float values[] = {pad.volume,  pad.pan,     pad.pitch,   pad.pitchX,
                            pad.highCut, pad.midFreq, pad.midGain, pad.lowCut};
    for (float value : values)
        if (!std::isfinite(value)) return false;
    return true;
}

// Checks one pad record against what the engine can index safely.
const char* padRefusal(const PadSettings& pad) {
    if (pad.slotNumber < 0 || pad.slotNumber > kPadCount) return "a slot number outside 0 to 16";
    if (pad.channel < 0 || pad.channel >= kOutputPairCount) return "an output pair outside 1 to 8";
    if (pad.rateIndex < 0 || pad.rateIndex >= kHoldRateCount) return "a sample-rate step outside the table";
    if (pad.bitIndex < 0 || pad.bitIndex >= kBitIndexCount) return "a bit depth outside 2 to 24 bits";
    if (!finiteSettings(pad)) return "a setting that is not a finite number";
    if (pad.slotSize < 0) return "a negative slot size";
    return nullptr;
}

// Every slot a pad plays must have a header the decoder can read.
const char* slotRefusal(const uint8_t* block, const int slotNumbers[kPadCount],
                        const int32_t sizes[kPadCount]) {
    for (int p = 0; p < kPadCount; ++p) {
        const int number = slotNumbers[p];
        if (number == 0 || sizes[number - 1] == 0) continue;
        int64_t offset = kFixedImageSize;
        for (int s = 1; s < number; ++s) offset += sizes[s - 1];
        if (!slotHeaderFits(block + offset, sizes[number - 1]))
            return "a sample slot whose header disagrees with its size";
    }
    return nullptr;
}

void copyPadSettings(PadSettings& pad, const uint8_t* record) {
    std::memcpy(&pad, record, kPadRecordSize);
    pad.name[sizeof pad.name - 1] = '\0';
    pad.fileName[sizeof pad.fileName - 1] = '\0';
    std::memset(pad.padding, 0, sizeof pad.padding);
    std::memset(pad.reserved, 0, sizeof pad.reserved);
}

// Whether the pad record names a file and plays a slot that holds data.
bool playsSlot(const PadSettings* pads, const PadSettings& pad) {
    return pad.fileName[0] != '\0' && pad.slotNumber >= 1 && pads[pad.slotNumber - 1].slotSize != 0;
}

// The new kit as it will be: its image and every pad's decoded sample, all
// made before the kit changes, so that a shortage of memory changes nothing.
struct RestoredKit {
    RestoredKit() = default;
    ~RestoredKit() {
        std::free(image);
        for (DecodedSample& sample : samples) std::free(sample.samples);
    }
    RestoredKit(const RestoredKit&) = delete;
    RestoredKit& operator=(const RestoredKit&) = delete;

    uint8_t* image = nullptr;
    PadSettings pads[kPadCount];
    int64_t slotOffsets[kPadCount] = {};
    bool decoded[kPadCount] = {};  // the pad plays a slot: samples[p] is its sound
    DecodedSample samples[kPadCount];
};

// An older image stores its slots' data as is; it is coded in place, 8-bit
// bytes differenced as they stand.
void codeOlderSlot(uint8_t* header) {
    const int width = readU16(header + wav::kBlockAlign);
    writeU16(header + wav::kChannels, 1);
    wav::codeSamples(header + wav::kHeaderSize, width, header + wav::kHeaderSize,
                     readU32(header + wav::kDataSize) / width, width, false);
}

// Copies the accepted block and decodes what each pad plays. False when the
// memory could not be had.
bool prepareRestore(const uint8_t* bytes, int32_t size, RestoredKit& kit) {
    kit.image = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    if (kit.image == nullptr) return false;
    std::memcpy(kit.image, bytes, static_cast<size_t>(size));
    const bool older = readI32(kit.image + offsetof(SampleStore, formatMarker)) < 1;
    for (int p = 0; p < kPadCount; ++p) {
        copyPadSettings(kit.pads[p], padRecord(kit.image, p));
        if (older) kit.pads[p].slotNumber = static_cast<int8_t>(p + 1);
    }
    int64_t offset = kFixedImageSize;
    for (int p = 0; p < kPadCount; ++p) {
        kit.slotOffsets[p] = offset;
        offset += kit.pads[p].slotSize;
    }
    for (int p = 0; p < kPadCount; ++p) {
        if (!playsSlot(kit.pads, kit.pads[p])) continue;
        uint8_t* header = kit.image + kit.slotOffsets[kit.pads[p].slotNumber - 1];
        if (older) codeOlderSlot(header);
        if (!decodeSlot(header, kit.samples[p])) return false;
        kit.decoded[p] = true;
    }
    return true;
}

}  // namespace

const char* patchRefusal(const uint8_t* bytes, int64_t size) {
    if (bytes == nullptr || size < kFixedImageSize) return "shorter than the 9372-byte fixed part";
    if (size > INT32_MAX) return "larger than a patch can be";
    const int32_t totalSize = readI32(bytes + offsetof(SampleStore, totalSize));
    const int32_t sizeCheck = readI32(bytes + offsetof(SampleStore, sizeCheck));
    if (totalSize != size) return "its size field does not match its length";
    if (sizeCheck != ~totalSize) return "its size check does not match its size";

    const bool older = readI32(bytes + offsetof(SampleStore, formatMarker)) < 1;
    int slotNumbers[kPadCount];
    int32_t sizes[kPadCount];
    int64_t slotBytes = 0;
    for (int p = 0; p < kPadCount; ++p) {
        const PadSettings pad = storedPad(bytes, p);
        if (const char* why = padRefusal(pad)) return why;
        slotNumbers[p] = older ? p + 1 : pad.slotNumber;
        sizes[p] = pad.slotSize;
        slotBytes += pad.slotSize;
    }
    if (slotBytes != size - kFixedImageSize) return "its slot sizes do not add up to its size";
    return slotRefusal(bytes, slotNumbers, sizes);
}

void buildPatch(DrumSynth& synth) {
    DrumKit& kit = *synth.kit;
    SampleStore& store = *kit.sampleStore;
    for (int p = 0; p < kPadCount; ++p)
        std::memcpy(store.padRecords[p], static_cast<const PadSettings*>(&kit.pads[p]), kPadRecordSize);
    store.formatMarker = 1;
    store.sizeCheck = ~store.totalSize;
    std::memcpy(store.effectName, kEffectName, sizeof kEffectName);
}

int32_t restorePatch(DrumSynth& synth, const uint8_t* bytes, int64_t size, const char** why) {
    const char* refused = synth.kit == nullptr ? "no kit to restore into" : patchRefusal(bytes, size);
    RestoredKit fresh;
    if (refused == nullptr && !prepareRestore(bytes, static_cast<int32_t>(size), fresh))
        refused = kNoMemoryForSample;
    if (refused != nullptr) {
        if (why != nullptr) *why = refused;
        return 0;
    }

    // The bytes may be the image itself, handed back: they were copied.
    DrumKit& kit = *synth.kit;
    releaseLanes(kit, kAllPads);
    std::free(kit.sampleStore);
    kit.sampleStore = reinterpret_cast<SampleStore*>(fresh.image);
    fresh.image = nullptr;
    updateRateFields(kit, synth.hostRate);
    for (int p = 0; p < kPadCount; ++p) {
        Pad& pad = kit.pads[p];
        static_cast<PadSettings&>(pad) = fresh.pads[p];
        pad.slotOffset = static_cast<int32_t>(fresh.slotOffsets[p]);
    }
    for (int p = 0; p < kPadCount; ++p) {
        Pad& pad = kit.pads[p];
        if (fresh.decoded[p]) {
            switchPadSample(synth, pad, fresh.samples[p]);
        } else {
            // No slot to play: never keep a sample from the kit before.
            retireBuffer(synth, pad.samples);
            pad.samples = nullptr;
        }
        // Every pad's filters follow its new settings, with a sample or not:
        // one loaded later must not play through the old kit's filters.
        designPadFilters(pad, synth.hostRate);
    }
    return static_cast<int32_t>(size);
}
