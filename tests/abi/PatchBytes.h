// Patch blocks built byte by byte from the published layout, for tests that
// hand kits to a plug-in binary: a 9372-byte fixed part (header, sixteen
// 576-byte pad records, a reserved tail), then the sample slots, each a
// 44-byte WAV-style header and difference-coded samples. Nothing here comes
// from the plug-in's own code, so the tests stay independent of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace patchbytes {

constexpr int kPads = 16;
constexpr size_t kFixedSize = 9372;
constexpr size_t kPadRecordSize = 576;
constexpr size_t kSlotHeaderSize = 44;

// Block header.
constexpr size_t kMarkerAt = 0;
constexpr size_t kEffectNameAt = 4;
constexpr size_t kTotalSizeAt = 20;
constexpr size_t kSizeCheckAt = 24;
constexpr size_t kPadRecordsAt = 28;
constexpr size_t kReservedAt = 9244;
static_assert(kPadRecordsAt + kPads * kPadRecordSize == kReservedAt, "fixed part");
static_assert(kReservedAt + 128 == kFixedSize, "fixed part");

// Fields within a pad record.
namespace field {
constexpr size_t name = 0, fileName = 16, volume = 276, pan = 280, pitch = 284, pitchX = 288,
                 highCut = 292, midFreq = 296, midGain = 300, lowCut = 304, note = 308,
                 rateIndex = 309, bitIndex = 310, group = 311, channel = 312, slotSize = 316,
                 slotNumber = 320;
}

constexpr size_t padRecordAt(int pad) { return kPadRecordsAt + kPadRecordSize * size_t(pad); }

// The stored settings of one pad.
struct PadSettings {
    std::string name, fileName;
    float volume = 1.0f, pan = 0.5f, pitch = 1.0f, pitchX = 0.0f;
    float highCut = 30000.0f, midFreq = 0.0f, midGain = 0.0f, lowCut = 0.0f;
    int note = 0, rateIndex = 15, bitIndex = 22, group = 0, channel = 0;
    int slotSize = 0;    // size of the slot numbered after this pad (filled by encode)
    int slotNumber = 0;  // 1-based slot this pad plays; 0 = none
};

// A pad as a fresh instrument has it: its name, key and own choke group.
PadSettings defaultPad(int index);

// One mono sample: signed values of width bytes (1 to 4).
struct Slot {
    uint32_t sampleRate = 44100;
    int width = 2;
    std::vector<int32_t> values;
    size_t byteSize() const { return kSlotHeaderSize + values.size() * size_t(width); }
};

struct Kit {
    int32_t formatMarker = 1;
    std::string effectName = "zel001";
    PadSettings pads[kPads];
    std::vector<Slot> slots;  // slots[k] is slot number k + 1
    std::vector<uint8_t> reserved = std::vector<uint8_t>(128, 0);
    Kit();  // every pad at its default, no slots
};

// The whole block: totalSize, sizeCheck and every pad's slotSize are
// derived from the slots.
std::vector<uint8_t> encode(const Kit& kit);

// One slot: header, then each value minus the one before, modulo 2^(8W).
std::vector<uint8_t> encodeSlot(const Slot& slot);

// The pad record at its place in a block.
PadSettings readPad(const std::vector<uint8_t>& block, int pad);

int32_t readI32(const std::vector<uint8_t>& block, size_t at);
void writeI32(std::vector<uint8_t>& block, size_t at, int32_t value);

}  // namespace patchbytes
