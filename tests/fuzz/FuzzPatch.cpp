// Patch blocks as restorePatch sees them (host chunks, patch files, the
// default patch). A refused block must change nothing; an accepted one must
// leave whole slot bookkeeping, save and restore again unchanged, survive a
// sample load and a removal, and play.
#include <cstdint>
#include <cstring>

#include "FuzzKit.h"
#include "files/Patch.h"
#include "files/PadSample.h"

namespace {

// A short 16-bit mono file, so the kit has a sample to lose.
Bytes smallWav() {
    const uint8_t header[44] = {'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0,
                                2, 0, 16, 0, 'd', 'a', 't', 'a', 8, 0, 0, 0};
    Bytes file(header, header + 44);
    for (uint8_t b : {0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F, 0x01, 0x80}) file.push_back(b);
    return file;
}

void exercise(const uint8_t* data, size_t size) {
    static const Bytes wav = smallWav();
    FuzzSynth kit;
    require(loadPadSampleBytes(kit.synth(), 2, wav.data(), static_cast<int64_t>(wav.size()), "s.wav") == nullptr,
            "the fixed sample was refused");
    const Bytes before = kit.image();
    const float* samplesBefore = kit.pad(2).samples;
    const std::vector<float> valuesBefore = kit.samples(2);

    const int32_t answer = restorePatch(kit.synth(), data, static_cast<int64_t>(size));
    if (answer == 0) {
        require(kit.image() == before, "a refused block changed the image");
        require(kit.pad(2).samples == samplesBefore && kit.samples(2) == valuesBefore,
                "a refused block changed a sample");
        return;
    }
    require(static_cast<size_t>(answer) == size, "an accepted block answered another size");
    checkInvariants(kit);

    const Bytes saved = kit.image();
    FuzzSynth again;
    require(restorePatch(again.synth(), saved.data(), static_cast<int64_t>(saved.size())) ==
                static_cast<int32_t>(saved.size()),
            "a saved patch was refused");
    checkInvariants(again);
    require(again.image() == saved, "save, restore and save again differ");
    for (int p = 0; p < kPadCount; ++p)
        require(again.samples(p) == kit.samples(p), "a restored sample differs");

    // Loads and removals on whatever slots the block brought along.
    const int pad = static_cast<int>(size % kPadCount);
    std::vector<Bytes> slots = slotContents(kit);
    const int previous = kit.pad(pad).slotNumber;
    if (loadPadSampleBytes(kit.synth(), pad, wav.data(), static_cast<int64_t>(wav.size()), "t.wav") == nullptr)
        requireSlotsKept(slots, kit, kit.pad(pad).slotNumber, previous);
    checkInvariants(kit);
    const int emptied = (pad + 5) % kPadCount;
    slots = slotContents(kit);
    const int slot = kit.pad(emptied).slotNumber;
    loadPadSample(kit.synth(), emptied, "");
    requireSlotsKept(slots, kit, slot);
    checkInvariants(kit);
    kit.play();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    exercise(data, size);
    // Again with the size fields made to agree with the length, so inserted
    // and removed bytes reach the checks past the header.
    if (size >= 28) {
        Bytes stamped(data, data + size);
        const uint32_t length = static_cast<uint32_t>(size);
        for (int i = 0; i < 4; ++i) {
            stamped[20 + i] = static_cast<uint8_t>(length >> (8 * i));
            stamped[24 + i] = static_cast<uint8_t>(~length >> (8 * i));
        }
        exercise(stamped.data(), stamped.size());
    }
    return 0;
}
