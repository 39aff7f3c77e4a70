// Standard MIDI Files, formats 0 and 1: the channel messages and tempo
// changes of every track, merged into one list ordered by time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MidiMessage {
    uint64_t tick;
    uint8_t status;  // a channel message, 0x80..0xEF; note-on with velocity 0 reads as note-off
    uint8_t data1;
    uint8_t data2;   // 0 for program change and channel pressure
};

struct TempoChange {
    uint64_t tick;
    uint32_t microsPerQuarter;
};

// The file's time base: ticks per quarter note, whose length the tempo sets,
// or SMPTE frames of a fixed length.
struct MidiDivision {
    uint16_t ticksPerQuarter = 0;      // 0 when the division is SMPTE
    uint8_t smpteFramesPerSecond = 0;  // 24, 25, 29 (29.97 drop-frame) or 30
    uint8_t ticksPerFrame = 0;
};

struct MidiSong {
    uint16_t format = 0;
    uint16_t trackCount = 0;
    MidiDivision division;
    // Ordered by tick; equal ticks keep track order, then file order.
    std::vector<MidiMessage> messages;
    std::vector<TempoChange> tempos;
    uint64_t endTick = 0;  // the last event of any track, end-of-track included
};

// Reads a whole file image. False, with a one-line reason, when it is not a
// well-formed format 0 or 1 file.
bool parseMidiFile(const uint8_t* bytes, size_t size, MidiSong& song, std::string& error);

// Reads the file at path; the reason never repeats the path (callers add it).
bool readMidiFile(const std::string& path, MidiSong& song, std::string& error);
