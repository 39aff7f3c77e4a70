#include "files/PadSample.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/BusyFlags.h"
#include "engine/Kit.h"
#include "files/FileBytes.h"
#include "files/LittleEndian.h"
#include "files/SampleStore.h"
#include "files/WavFormat.h"
#include "platform/Platform.h"

namespace {

constexpr unsigned kRemovalPatienceMs = 200;

// Decodes the slot the pad plays and switches the pad over to it. The old
// buffer can go at once: every voice re-reads its pad for each sample.
void decodeIntoPad(DrumSynth& synth, int p, bool takeHandshake) {
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    const uint8_t* header = slotHeader(kit, pad.slotNumber);
    const int width = readU16(header + wav::kBlockAlign);
    const int64_t count = readU32(header + wav::kDataSize) / width;
    const float rate = static_cast<float>(readU32(header + wav::kSampleRate));
    float* fresh = count != 0 ? wav::decodeSamples(header, count) : nullptr;
    // Proven before the switch, so the audio thread does not wait for it.
    const SampleShortcuts proof = proveShortcuts(fresh, static_cast<int32_t>(count), rate);

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
        pad.shortcuts = proof;
    }
    std::free(old);
}

void copyText(char* field, size_t size, const char* text) {
    std::strncpy(field, text, size - 1);
    field[size - 1] = '\0';
}

bool padHasVoices(const DrumKit& kit, const Pad& pad) {
    for (const Voice& voice : kit.voices)
        if (voice.pad == &pad) return true;
    return false;
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
                for (Voice& voice : kit.voices)
                    if (voice.pad == &pad) endVoice(voice);
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
    owner.slotOffset = static_cast<int32_t>(slotOffsetOf(kit, pad.slotNumber));
    uint8_t* header = slotHeader(kit, pad.slotNumber);
    if (!slotHeaderFits(header, owner.slotSize)) return;
    if (kit.sampleStore->formatMarker < 1) {
        // An older image: its data is stored as is; code it in place.
        const int width = readU16(header + wav::kBlockAlign);
        writeU16(header + wav::kChannels, 1);
        wav::codeSamples(header + wav::kHeaderSize, width, header + wav::kHeaderSize,
                         readU32(header + wav::kDataSize) / width, width, false);
    }
    decodeIntoPad(synth, p, false);
}

}  // namespace

const char* loadPadSampleBytes(DrumSynth& synth, int p, const uint8_t* bytes, int64_t size,
                               const char* name) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount) return "no such pad";
    DrumKit& kit = *synth.kit;
    Pad& pad = kit.pads[p];
    wav::Layout layout;
    if (const char* why = wav::refusal(bytes, size, layout)) return why;
    const int64_t slotSize = wav::kHeaderSize + static_cast<int64_t>(layout.dataSize) / layout.channels;
    if (slotSize > INT32_MAX - kFixedImageSize) return "larger than a kit can hold";

    uint8_t header[wav::kHeaderSize];
    std::memcpy(header, bytes, wav::kHeaderSize);
    writeU32(header + wav::kFingerprint, crc32(bytes, size));
    writeU16(header + wav::kBlockAlign, layout.width);

    int number = chooseSlot(kit, header);
    if (number == 0) number = pad.slotNumber;  // every slot taken: reuse the pad's own
    if (number == 0) return "every one of the kit's 16 sample slots is taken";

    const int8_t previousNumber = pad.slotNumber;
    pad.slotNumber = static_cast<int8_t>(number);
    Pad& owner = kit.pads[number - 1];
    if (slotSize != owner.slotSize) {
        const int32_t offset = resizeSlot(kit, p, static_cast<int32_t>(slotSize));
        if (offset < 0) {
            pad.slotNumber = previousNumber;
            return "too large for the memory left";
        }
        owner.slotOffset = offset;
    } else {
        owner.slotOffset = static_cast<int32_t>(slotOffsetOf(kit, number));
    }

    uint8_t* slotStart = slotHeader(kit, number);
    wav::codeSamples(bytes + wav::kHeaderSize, layout.blockAlign, slotStart + wav::kHeaderSize,
                     layout.frames, layout.width, true);
    writeU16(header + wav::kChannels, 1);
    writeU32(header + wav::kDataSize, static_cast<uint32_t>(slotSize - wav::kHeaderSize));
    std::memcpy(slotStart, header, wav::kHeaderSize);
    copyText(pad.fileName, sizeof pad.fileName, name);
    decodeIntoPad(synth, p, true);
    // The slot the pad moved away from goes, unless another pad plays it:
    // left behind, it would fill the kit's sixteen slots with data no one hears.
    if (previousNumber != number) releaseUnplayedSlot(kit, previousNumber);
    return nullptr;
}

std::string loadPadSample(DrumSynth& synth, int p, const char* path) {
    if (synth.kit == nullptr || p < 0 || p >= kPadCount) return "no such pad";
    if (path == nullptr) {
        rebuildFromSlot(synth, p);
        return {};
    }
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
