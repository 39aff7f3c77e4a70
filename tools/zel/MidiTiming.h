// Where a MIDI file's ticks fall in a stream of audio frames: exact integer
// arithmetic over the tempo map, rounded to the nearest frame only at the end.
#pragma once

#include <cstdint>
#include <vector>

#include "MidiFile.h"

// A channel message at its frame in the rendered stream.
struct TimedMessage {
    int64_t frame;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
};

class MidiClock {
public:
    MidiClock(const MidiSong& song, uint32_t sampleRate);

    // The frame at which the tick sounds; INT64_MAX when it lies beyond any
    // stream a render could make.
    int64_t frameAt(uint64_t tick) const;

private:
    struct Segment {
        uint64_t tick;
        unsigned __int128 micros;  // microseconds x ticksPerQuarter up to tick
        uint32_t microsPerQuarter;
    };
    std::vector<Segment> segments;
    MidiDivision division;
    uint32_t rate;
};

// Every message of the song at its frame, in the song's order.
std::vector<TimedMessage> timedMessages(const MidiSong& song, uint32_t sampleRate);
