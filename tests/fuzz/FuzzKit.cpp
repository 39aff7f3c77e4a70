#include "FuzzKit.h"

#include <sanitizer/allocator_interface.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/Kit.h"
#include "engine/Notes.h"
#include "engine/Render.h"
#include "files/Construction.h"
#include "files/Patch.h"
#include "files/SampleStore.h"

FuzzSynth::FuzzSynth() = default;

FuzzSynth::~FuzzSynth() = default;

Bytes FuzzSynth::image() { return base.patch(); }

std::vector<float> FuzzSynth::samples(int p) {
    const Pad& target = pad(p);
    if (target.samples == nullptr) return {};
    return std::vector<float>(target.samples, target.samples + target.frameCount);
}

void FuzzSynth::play() {
    static float buffers[kOutputCount][256];
    float* outputs[kOutputCount];
    for (int o = 0; o < kOutputCount; ++o) outputs[o] = buffers[o];
    for (int p = 0; p < kPadCount; ++p) noteEvent(core, 0x90, pad(p).note, 127);
    for (int block = 0; block < 4; ++block) renderBlock(core, outputs, 256);
}

void require(bool condition, const char* message) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", message);
    std::abort();
}

void checkInvariants(FuzzSynth& kit) {
    const DrumKit& drums = *kit.synth().kit;
    SampleStore* store = drums.sampleStore;
    int64_t offset = kFixedImageSize;
    for (int s = 1; s <= kPadCount; ++s) {
        const Pad& owner = drums.pads[s - 1];
        require(owner.slotSize >= 0, "a negative slot size");
        if (owner.slotSize != 0) require(owner.slotOffset == offset, "a slot away from its offset");
        offset += owner.slotSize;
    }
    require(store->totalSize == offset, "totalSize is not 9372 plus the slot sizes");
    require(__sanitizer_get_allocated_size(store) == static_cast<size_t>(store->totalSize),
            "the image is not allocated at totalSize bytes");

    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = drums.pads[p];
        require(pad.slotNumber >= 0 && pad.slotNumber <= kPadCount, "a slot number outside 0..16");
        require(pad.fileName[sizeof pad.fileName - 1] == '\0' && pad.name[sizeof pad.name - 1] == '\0',
                "an unterminated text");
        if (pad.slotNumber != 0) {
            const Pad& owner = drums.pads[pad.slotNumber - 1];
            if (owner.slotSize != 0)
                require(slotHeaderFits(imageBytes(store) + slotOffsetOf(drums, pad.slotNumber),
                                         owner.slotSize),
                        "a played slot's header disagrees with its size");
        }
        require(pad.frameCount >= 0, "a negative frame count");
        // A file without frames leaves the buffer before it in place.
        if (pad.samples == nullptr || pad.frameCount == 0) continue;
        require(__sanitizer_get_allocated_size(pad.samples) ==
                    sizeof(float) * static_cast<size_t>(pad.frameCount),
                "the sample buffer does not hold frameCount values");
        for (int32_t i = 0; i < pad.frameCount; ++i)
            require(pad.samples[i] >= -1.0f && pad.samples[i] <= 1.0f, "a sample outside [-1, 1]");
    }
}

std::vector<Bytes> slotContents(FuzzSynth& kit) {
    const DrumKit& drums = *kit.synth().kit;
    const uint8_t* image = imageBytes(drums.sampleStore);
    std::vector<Bytes> slots;
    int64_t offset = kFixedImageSize;
    for (int s = 1; s <= kPadCount; ++s) {
        const int32_t size = drums.pads[s - 1].slotSize;
        slots.emplace_back(image + offset, image + offset + size);
        offset += size;
    }
    return slots;
}

void requireSlotsKept(const std::vector<Bytes>& before, FuzzSynth& kit, int except, int left) {
    const std::vector<Bytes> after = slotContents(kit);
    for (int s = 1; s <= kPadCount; ++s) {
        if (s == except) continue;
        if (s == left) {
            bool played = false;
            for (int p = 0; p < kPadCount; ++p) played = played || kit.pad(p).slotNumber == s;
            require(played ? after[s - 1] == before[s - 1] : after[s - 1].empty(),
                    played ? "a slot still played changed" : "a slot no pad plays was kept");
            continue;
        }
        require(after[s - 1] == before[s - 1], "a slot not concerned changed");
    }
}
