#include "MidiWriter.h"

#include <algorithm>

#include "engine/MidiStatus.h"

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putVariableLength(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

bool isChannelMessage(uint8_t status) { return status >= 0x80 && status < 0xF0; }

}  // namespace

void MidiTrackWriter::add(uint64_t tick, std::initializer_list<uint8_t> bytes) {
    events.push_back({tick, std::vector<uint8_t>(bytes)});
}

void MidiTrackWriter::tempo(uint64_t tick, uint32_t microsPerQuarter) {
    add(tick, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsPerQuarter >> 16),
               static_cast<uint8_t>(microsPerQuarter >> 8), static_cast<uint8_t>(microsPerQuarter)});
}

void MidiTrackWriter::noteOn(uint64_t tick, int channel, int key, int velocity) {
    add(tick, {static_cast<uint8_t>(midi::kNoteOn | channel), static_cast<uint8_t>(key),
               static_cast<uint8_t>(velocity)});
}

void MidiTrackWriter::noteOff(uint64_t tick, int channel, int key) { noteOn(tick, channel, key, 0); }

std::vector<uint8_t> MidiTrackWriter::body(uint64_t endTick) const {
    std::vector<Event> ordered = events;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<uint8_t> out;
    uint64_t now = 0;
    uint8_t running = 0;
    for (const Event& event : ordered) {
        putVariableLength(out, static_cast<uint32_t>(event.tick - now));
        now = event.tick;
        const uint8_t status = event.bytes.front();
        const bool repeat = isChannelMessage(status) && status == running;
        out.insert(out.end(), event.bytes.begin() + (repeat ? 1 : 0), event.bytes.end());
        running = isChannelMessage(status) ? status : 0;
    }
    putVariableLength(out, static_cast<uint32_t>(std::max(endTick, now) - now));
    out.insert(out.end(), {0xFF, 0x2F, 0x00});
    return out;
}

std::vector<uint8_t> midiFileBytes(const std::vector<MidiTrackWriter>& tracks,
                                   uint16_t ticksPerQuarter, uint64_t endTick) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
    putBigEndian(out, 6, 4);
    putBigEndian(out, tracks.size() == 1 ? 0 : 1, 2);
    putBigEndian(out, static_cast<uint32_t>(tracks.size()), 2);
    putBigEndian(out, ticksPerQuarter, 2);
    for (const MidiTrackWriter& track : tracks) {
        const std::vector<uint8_t> body = track.body(endTick);
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        putBigEndian(out, static_cast<uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}
