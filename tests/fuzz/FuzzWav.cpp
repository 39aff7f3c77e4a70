// WAV files as the loader sees them. A refused file must leave the image as
// it was; an accepted one must decode its frames, keep the slot bookkeeping
// whole through a shared load and a removal, and give an image that
// restorePatch takes back with the same samples, and play.
#include <cstdint>
#include <cstring>

#include "FuzzKit.h"
#include "files/Patch.h"
#include "files/SampleStore.h"
#include "files/PadSample.h"

namespace {

uint32_t little(const uint8_t* at, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

// A small 16-bit mono file of the given length, its samples made from seed.
Bytes smallWav(int seed, int frames) {
    const uint32_t dataSize = static_cast<uint32_t>(2 * frames);
    const uint8_t header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0,
                                2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    Bytes file(header, header + 44);
    for (int i = 0; i < 4; ++i) {
        file[4 + i] = static_cast<uint8_t>((36 + dataSize) >> (8 * i));
        file[40 + i] = static_cast<uint8_t>(dataSize >> (8 * i));
    }
    for (uint32_t i = 0; i < dataSize; ++i) file.push_back(static_cast<uint8_t>(seed * 31 + i * 7));
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSynth kit;
    const int pad = static_cast<int>(size % kPadCount);
    const int other = (pad + 7) % kPadCount;
    const Bytes before = kit.image();

    const char* refused = loadPadSampleBytes(kit.synth(), pad, data, static_cast<int64_t>(size), "fuzz.wav");
    if (refused != nullptr) {
        require(refused[0] != '\0', "a refusal says nothing");
        require(kit.image() == before, "a refused file changed the image");
        require(kit.pad(pad).samples == nullptr && kit.pad(pad).slotNumber == 0,
                "a refused file changed the pad");
        return 0;
    }

    // Accepted: the frame count follows from the header alone.
    require(size >= 44, "a file shorter than its header was accepted");
    const uint32_t blockAlign = little(data + 32, 2);
    const uint32_t frames = little(data + 40, 4) / blockAlign;
    require(kit.pad(pad).frameCount == static_cast<int32_t>(frames), "frameCount is not the file's frames");
    require((frames == 0) == (kit.pad(pad).samples == nullptr), "samples and frames disagree");
    require(kit.pad(pad).slotNumber == 1, "the first file did not go to slot 1");
    checkInvariants(kit);
    const std::vector<float> decoded = kit.samples(pad);

    // The same file again in another pad: shared when mono, a new slot when not.
    require(loadPadSampleBytes(kit.synth(), other, data, static_cast<int64_t>(size), "again.wav") == nullptr,
            "an accepted file was refused the second time");
    require(kit.samples(other) == decoded, "the same file decoded differently");
    checkInvariants(kit);

    // The image is a patch that restores to the same samples.
    const Bytes image = kit.image();
    FuzzSynth restored;
    require(restorePatch(restored.synth(), image.data(), static_cast<int64_t>(image.size())) ==
                static_cast<int32_t>(image.size()),
            "the image of an accepted file was refused as a patch");
    checkInvariants(restored);
    require(restored.samples(pad) == decoded && restored.samples(other) == decoded,
            "the restored samples differ");
    require(restored.image() == image, "the restored image differs");

    // Both pads sounding when their samples go.
    kit.play();
    loadPadSample(kit.synth(), pad, "");
    checkInvariants(kit);
    require(kit.samples(other) == decoded, "removing one pad changed the other");
    loadPadSample(kit.synth(), other, "");
    checkInvariants(kit);
    require(kit.synth().kit->sampleStore->totalSize == 9372, "removing every pad left slots behind");

    // Into a hole before other slots: they move up by the new slot's size
    // and must keep their bytes. The fillers go to the three pads after the
    // fuzzed one, which stays empty until the file arrives.
    FuzzSynth holes;
    static const Bytes fillers[3] = {smallWav(1, 3), smallWav(2, 40), smallWav(3, 17)};
    for (int p = 0; p < 3; ++p)
        require(loadPadSampleBytes(holes.synth(), (pad + 1 + p) % kPadCount, fillers[p].data(),
                                   static_cast<int64_t>(fillers[p].size()), "filler.wav") == nullptr,
                "a filler was refused");
    loadPadSample(holes.synth(), (pad + 1) % kPadCount, "");
    const std::vector<Bytes> slots = slotContents(holes);
    loadPadSampleBytes(holes.synth(), pad, data, static_cast<int64_t>(size), "fuzz.wav");
    checkInvariants(holes);
    requireSlotsKept(slots, holes, 1);
    if (frames != 0) require(holes.samples(pad) == decoded, "the file decoded differently in another kit");
    // And out again: the later slots move back down.
    loadPadSample(holes.synth(), pad, "");
    checkInvariants(holes);
    requireSlotsKept(slots, holes, 1);
    return 0;
}
