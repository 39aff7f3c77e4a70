#include "files/Patch.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/Kit.h"
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

bool playsSlot(const DrumKit& kit, const Pad& pad) {
    return pad.fileName[0] != '\0' && pad.slotNumber >= 1 &&
           kit.pads[pad.slotNumber - 1].slotSize != 0;
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

int32_t restorePatch(DrumSynth& synth, const uint8_t* bytes, int64_t size) {
    if (synth.kit == nullptr || patchRefusal(bytes, size) != nullptr) return 0;
    DrumKit& kit = *synth.kit;
    const int32_t n = static_cast<int32_t>(size);
    if (n != kit.sampleStore->totalSize) {
        void* image = std::realloc(kit.sampleStore, static_cast<size_t>(n));
        if (image == nullptr) return 0;
        kit.sampleStore = static_cast<SampleStore*>(image);
    }
    // The bytes may be the image itself, handed back.
    std::memmove(kit.sampleStore, bytes, static_cast<size_t>(n));
    updateRateFields(kit, synth.hostRate);

    const uint8_t* image = imageBytes(kit.sampleStore);
    const bool older = kit.sampleStore->formatMarker < 1;
    for (int p = 0; p < kPadCount; ++p) {
        copyPadSettings(kit.pads[p], padRecord(image, p));
        if (older) kit.pads[p].slotNumber = static_cast<int8_t>(p + 1);
    }
    for (int p = 0; p < kPadCount; ++p)
        kit.pads[p].slotOffset = static_cast<int32_t>(slotOffsetOf(kit, p + 1));

    for (int p = 0; p < kPadCount; ++p) {
        Pad& pad = kit.pads[p];
        if (playsSlot(kit, pad)) {
            loadPadSample(synth, p, nullptr);
        } else {
            // No slot to play: never keep a sample from the kit before.
            std::free(pad.samples);
            pad.samples = nullptr;
        }
        // Every pad's filters follow its new settings, with a sample or not:
        // one loaded later must not play through the old kit's filters.
        designPadFilters(pad, synth.hostRate);
    }
    return n;
}
