#include "PatchBytes.h"

#include <cstring>
#include <stdexcept>

namespace patchbytes {

namespace {

const char* const kPadNames[kPads] = {"Bass", "Rim",  "Snare", "Close", "Pedal", "Open",
                                      "Tom6", "Tom5", "Tom4",  "Tom3",  "Tom2",  "Tom1",
                                      "Ride", "Splash", "Crash1", "Crash2"};
const int kPadKeys[kPads] = {36, 37, 38, 42, 44, 46, 41, 43, 45, 47, 48, 50, 51, 55, 49, 57};

void putLittle(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = uint8_t(value >> (8 * i));
}

uint32_t getLittle(const uint8_t* at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= uint32_t(at[i]) << (8 * i);
    return value;
}

void putFloat(uint8_t* at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putLittle(at, bits, 4);
}

float getFloat(const uint8_t* at) {
    const uint32_t bits = getLittle(at, 4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A NUL-terminated text in a fixed field; the rest of the field stays zero.
void putText(uint8_t* at, size_t size, const std::string& text) {
    if (text.size() >= size) throw std::invalid_argument("text too long for its field: " + text);
    std::memcpy(at, text.data(), text.size());
}

std::string getText(const uint8_t* at, size_t size) {
    size_t length = 0;
    while (length < size && at[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(at), length);
}

void writePad(uint8_t* record, const PadSettings& pad) {
    putText(record + field::name, 16, pad.name);
    putText(record + field::fileName, 260, pad.fileName);
    putFloat(record + field::volume, pad.volume);
    putFloat(record + field::pan, pad.pan);
    putFloat(record + field::pitch, pad.pitch);
    putFloat(record + field::pitchX, pad.pitchX);
    putFloat(record + field::highCut, pad.highCut);
    putFloat(record + field::midFreq, pad.midFreq);
    putFloat(record + field::midGain, pad.midGain);
    putFloat(record + field::lowCut, pad.lowCut);
    record[field::note] = uint8_t(pad.note);
    record[field::rateIndex] = uint8_t(pad.rateIndex);
    record[field::bitIndex] = uint8_t(pad.bitIndex);
    record[field::group] = uint8_t(pad.group);
    record[field::channel] = uint8_t(pad.channel);
    putLittle(record + field::slotSize, uint32_t(pad.slotSize), 4);
    record[field::slotNumber] = uint8_t(pad.slotNumber);
}

}  // namespace

PadSettings defaultPad(int index) {
    PadSettings pad;
    pad.name = kPadNames[index];
    pad.note = kPadKeys[index];
    pad.group = index;
    return pad;
}

Kit::Kit() {
    for (int p = 0; p < kPads; ++p) pads[p] = defaultPad(p);
}

std::vector<uint8_t> encodeSlot(const Slot& slot) {
    if (slot.width < 1 || slot.width > 4) throw std::invalid_argument("sample width 1 to 4");
    std::vector<uint8_t> bytes(slot.byteSize(), 0);
    uint8_t* header = bytes.data();
    const uint32_t dataSize = uint32_t(slot.values.size()) * uint32_t(slot.width);
    std::memcpy(header + 0, "RIFF", 4);
    putLittle(header + 4, 36 + dataSize, 4);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    putLittle(header + 16, 0x5A454C31, 4);  // the fingerprint is never checked on reading
    putLittle(header + 20, 1, 2);            // PCM
    putLittle(header + 22, 1, 2);            // one channel
    putLittle(header + 24, slot.sampleRate, 4);
    putLittle(header + 28, slot.sampleRate * uint32_t(slot.width), 4);
    putLittle(header + 32, uint32_t(slot.width), 2);
    putLittle(header + 34, 8 * uint32_t(slot.width), 2);
    std::memcpy(header + 36, "data", 4);
    putLittle(header + 40, dataSize, 4);

    uint32_t previous = 0;
    uint8_t* data = header + kSlotHeaderSize;
    for (size_t i = 0; i < slot.values.size(); ++i) {
        const uint32_t value = uint32_t(slot.values[i]);
        putLittle(data + i * size_t(slot.width), value - previous, slot.width);
        previous = value;
    }
    return bytes;
}

std::vector<uint8_t> encode(const Kit& kit) {
    if (kit.slots.size() > size_t(kPads)) throw std::invalid_argument("at most 16 slots");
    if (kit.reserved.size() != 128) throw std::invalid_argument("128 reserved bytes");
    std::vector<uint8_t> block(kFixedSize, 0);
    for (const Slot& slot : kit.slots) {
        const std::vector<uint8_t> bytes = encodeSlot(slot);
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    putLittle(&block[kMarkerAt], uint32_t(kit.formatMarker), 4);
    putText(&block[kEffectNameAt], 16, kit.effectName);
    putLittle(&block[kTotalSizeAt], uint32_t(block.size()), 4);
    putLittle(&block[kSizeCheckAt], ~uint32_t(block.size()), 4);
    for (int p = 0; p < kPads; ++p) {
        PadSettings pad = kit.pads[p];
        pad.slotSize = size_t(p) < kit.slots.size() ? int(kit.slots[size_t(p)].byteSize()) : 0;
        writePad(&block[padRecordAt(p)], pad);
    }
    std::memcpy(&block[kReservedAt], kit.reserved.data(), 128);
    return block;
}

PadSettings readPad(const std::vector<uint8_t>& block, int pad) {
    if (pad < 0 || pad >= kPads || block.size() < kFixedSize)
        throw std::out_of_range("no such pad record");
    const uint8_t* record = block.data() + padRecordAt(pad);
    PadSettings settings;
    settings.name = getText(record + field::name, 16);
    settings.fileName = getText(record + field::fileName, 260);
    settings.volume = getFloat(record + field::volume);
    settings.pan = getFloat(record + field::pan);
    settings.pitch = getFloat(record + field::pitch);
    settings.pitchX = getFloat(record + field::pitchX);
    settings.highCut = getFloat(record + field::highCut);
    settings.midFreq = getFloat(record + field::midFreq);
    settings.midGain = getFloat(record + field::midGain);
    settings.lowCut = getFloat(record + field::lowCut);
    settings.note = int8_t(record[field::note]);
    settings.rateIndex = int8_t(record[field::rateIndex]);
    settings.bitIndex = int8_t(record[field::bitIndex]);
    settings.group = int8_t(record[field::group]);
    settings.channel = int8_t(record[field::channel]);
    settings.slotSize = int32_t(getLittle(record + field::slotSize, 4));
    settings.slotNumber = int8_t(record[field::slotNumber]);
    return settings;
}

int32_t readI32(const std::vector<uint8_t>& block, size_t at) {
    if (at + 4 > block.size()) throw std::out_of_range("int32 past the block's end");
    return int32_t(getLittle(block.data() + at, 4));
}

void writeI32(std::vector<uint8_t>& block, size_t at, int32_t value) {
    if (at + 4 > block.size()) throw std::out_of_range("int32 past the block's end");
    putLittle(block.data() + at, uint32_t(value), 4);
}

}  // namespace patchbytes
