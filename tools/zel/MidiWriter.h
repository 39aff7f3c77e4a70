// Writing Standard MIDI Files: how the example groove, the tests' and the
// benchmarks' songs are made.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

class MidiTrackWriter {
public:
    // An event (status and data bytes, or a whole meta or SysEx event) at an
    // absolute tick. Events at one tick keep the order they were added in.
    void add(uint64_t tick, std::initializer_list<uint8_t> bytes);
    void tempo(uint64_t tick, uint32_t microsPerQuarter);
    void noteOn(uint64_t tick, int channel, int key, int velocity);
    // Written as a note-on of velocity 0, as most sequencers do.
    void noteOff(uint64_t tick, int channel, int key);
    // The track's body, channel messages in running status, end of track at
    // endTick or after its last event, whichever is later.
    std::vector<uint8_t> body(uint64_t endTick = 0) const;

private:
    struct Event {
        uint64_t tick;
        std::vector<uint8_t> bytes;
    };
    std::vector<Event> events;
};

// A format 0 (one track) or format 1 file of the tracks, with ticks per
// quarter note as its division.
std::vector<uint8_t> midiFileBytes(const std::vector<MidiTrackWriter>& tracks,
                                   uint16_t ticksPerQuarter, uint64_t endTick = 0);
