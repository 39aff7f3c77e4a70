#include "files/SampleStore.h"

#include <cstdlib>
#include <cstring>

#include "files/LittleEndian.h"
#include "files/WavFormat.h"

SampleStore* createSampleStore() {
    auto* store = static_cast<SampleStore*>(std::calloc(1, sizeof(SampleStore)));
    if (store == nullptr) return nullptr;
    // Every slot a load adds is coded: rebuilding one must not code it again.
    store->formatMarker = 1;
    store->totalSize = kFixedImageSize;
    return store;
}

int64_t slotOffsetOf(const DrumKit& kit, int number) {
    int64_t offset = kFixedImageSize;
    for (int s = 1; s < number; ++s) offset += kit.pads[s - 1].slotSize;
    return offset;
}

uint8_t* slotHeader(DrumKit& kit, int number) {
    return imageBytes(kit.sampleStore) + kit.pads[number - 1].slotOffset;
}

const uint8_t* slotHeader(const DrumKit& kit, int number) {
    return imageBytes(kit.sampleStore) + kit.pads[number - 1].slotOffset;
}

bool slotHeaderFits(const uint8_t* header, int64_t size) {
    if (size < wav::kHeaderSize) return false;
    const uint16_t width = readU16(header + wav::kBlockAlign);
    const uint32_t dataSize = readU32(header + wav::kDataSize);
    return width >= 1 && width <= wav::kMaxSampleWidth && dataSize == size - wav::kHeaderSize &&
           dataSize % width == 0 && readU32(header + wav::kSampleRate) != 0;
}

int chooseSlot(const DrumKit& kit, const uint8_t* header) {
    for (int number = 1; number <= kPadCount; ++number) {
        const Pad& owner = kit.pads[number - 1];
        if (owner.slotSize == 0) return number;
        if (owner.slotSize >= wav::kHeaderSize &&
            std::memcmp(slotHeader(kit, number), header, wav::kHeaderSize) == 0)
            return number;
    }
    return 0;
}

namespace {

// Gives slot number newSize bytes, moving the later slots; its offset, or -1
// (nothing changed) when the image could not be reallocated.
int32_t resizeNumberedSlot(DrumKit& kit, int number, int32_t newSize) {
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
        const int64_t from = slotOffsetOf(kit, later);
        std::memmove(image + from + delta, image + from, static_cast<size_t>(owner.slotSize));
        owner.slotOffset = static_cast<int32_t>(from + delta);
    }
    if (delta < 0) {
        void* shrunk = std::realloc(kit.sampleStore, static_cast<size_t>(total));
        if (shrunk != nullptr) kit.sampleStore = static_cast<SampleStore*>(shrunk);
    }
    kit.sampleStore->totalSize = static_cast<int32_t>(total);
    kit.pads[number - 1].slotSize = newSize;
    return static_cast<int32_t>(slotOffsetOf(kit, number));
}

bool slotPlayed(const DrumKit& kit, int number, int exceptPad) {
    for (int q = 0; q < kPadCount; ++q)
        if (q != exceptPad && kit.pads[q].slotNumber == number) return true;
    return false;
}

}  // namespace

int32_t resizeSlot(DrumKit& kit, int p, int32_t newSize) {
    const int number = kit.pads[p].slotNumber;
    if (number < 1 || number > kPadCount) return -1;
    if (newSize == 0 && slotPlayed(kit, number, p)) return static_cast<int32_t>(slotOffsetOf(kit, number));
    return resizeNumberedSlot(kit, number, newSize);
}

void releaseUnplayedSlot(DrumKit& kit, int number) {
    if (number < 1 || number > kPadCount || kit.pads[number - 1].slotSize == 0) return;
    if (slotPlayed(kit, number, -1)) return;
    const int32_t offset = resizeNumberedSlot(kit, number, 0);
    if (offset >= 0) kit.pads[number - 1].slotOffset = offset;
}

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
