// The MIDI file reader, on files written byte by byte here, and the clock
// that places their ticks on frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MidiFile.h"
#include "MidiTiming.h"
#include "MidiWriter.h"

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes header(int format, int tracks, int division) {
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(format), uint8_t(tracks >> 8), uint8_t(tracks),
            uint8_t(division >> 8), uint8_t(division)};
}

Bytes track(const Bytes& body) {
    const uint32_t n = uint32_t(body.size());
    Bytes out = {'M', 'T', 'r', 'k', uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

MidiSong parsed(const Bytes& bytes) {
    MidiSong song;
    std::string error;
    EXPECT_TRUE(parseMidiFile(bytes.data(), bytes.size(), song, error)) << error;
    return song;
}

std::string refusal(const Bytes& bytes) {
    MidiSong song;
    std::string error;
    EXPECT_FALSE(parseMidiFile(bytes.data(), bytes.size(), song, error));
    return error;
}

struct Expected {
    uint64_t tick;
    uint8_t status, data1, data2;
};

void expectMessages(const MidiSong& song, const std::vector<Expected>& expected) {
    ASSERT_EQ(song.messages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i));
        EXPECT_EQ(song.messages[i].tick, expected[i].tick);
        EXPECT_EQ(song.messages[i].status, expected[i].status);
        EXPECT_EQ(song.messages[i].data1, expected[i].data1);
        EXPECT_EQ(song.messages[i].data2, expected[i].data2);
    }
}

TEST(MidiFile, RunningStatusCarriesTheStatusAcrossMessages) {
    const Bytes body = join({{0x00, 0x99, 36, 100},   // note-on, status given
                             {0x60, 38, 80},          // running status
                             {0x00, 0xB9, 7, 90},     // a new status
                             {0x10, 10, 64},          // running control change
                             {0x00, 0xC9, 5},         // program change: one data byte
                             {0x00, 6},               // running, one data byte
                             kEndOfTrack});
    const MidiSong song = parsed(join({header(0, 1, 96), track(body)}));
    expectMessages(song, {{0, 0x99, 36, 100}, {96, 0x99, 38, 80}, {96, 0xB9, 7, 90},
                          {112, 0xB9, 10, 64}, {112, 0xC9, 5, 0}, {112, 0xC9, 6, 0}});
    EXPECT_EQ(song.endTick, 112u);
}

TEST(MidiFile, SystemEventsEndRunningStatusAndAreSkipped) {
    // A data byte straight after a SysEx or meta event has no status to run on.
    for (const Bytes& system : {Bytes{0x00, 0xF0, 0x02, 0x7E, 0xF7}, Bytes{0x00, 0xFF, 0x01, 0x01, 'x'}}) {
        const Bytes body = join({{0x00, 0x99, 36, 100}, system, {0x00, 38, 80}, kEndOfTrack});
        EXPECT_NE(refusal(join({header(0, 1, 96), track(body)})).find("without a status"), std::string::npos);
    }
    const Bytes body = join({{0x00, 0xF0, 0x02, 0x7E, 0xF7}, {0x05, 0xF7, 0x01, 0x00},
                             {0x00, 0xFF, 0x03, 0x02, 'h', 'i'}, {0x00, 0x99, 36, 1}, kEndOfTrack});
    expectMessages(parsed(join({header(0, 1, 96), track(body)})), {{5, 0x99, 36, 1}});
}

TEST(MidiFile, NoteOnWithVelocityZeroIsANoteOff) {
    const Bytes body = join({{0x00, 0x93, 40, 90}, {0x30, 40, 0}, {0x00, 0x83, 41, 64}, kEndOfTrack});
    expectMessages(parsed(join({header(0, 1, 96), track(body)})),
                   {{0, 0x93, 40, 90}, {48, 0x83, 40, 0}, {48, 0x83, 41, 64}});
}

TEST(MidiFile, FormatOneMergesTracksByTimeInTrackOrder) {
    const Bytes tempo = join({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, {0x83, 0x00, 0xFF, 0x2F, 0x00}});
    const Bytes first = join({{0x00, 0x99, 36, 100}, {0x60, 0x99, 36, 0}, {0x60, 0x99, 38, 90}, kEndOfTrack});
    const Bytes second = join({{0x60, 0x99, 42, 70}, {0x30, 0x99, 42, 0}, {0x30, 0x99, 46, 60}, kEndOfTrack});
    const Bytes third = join({{0x00, 0x99, 49, 127}, {0x81, 0x40, 0x99, 51, 50}, kEndOfTrack});
    // An unknown chunk between tracks is passed over.
    const Bytes alien = {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 1, 2};
    const MidiSong song =
        parsed(join({header(1, 4, 96), track(tempo), track(first), alien, track(second), track(third)}));
    EXPECT_EQ(song.format, 1);
    EXPECT_EQ(song.trackCount, 4);
    expectMessages(song, {{0, 0x99, 36, 100}, {0, 0x99, 49, 127}, {96, 0x89, 36, 0}, {96, 0x99, 42, 70},
                          {144, 0x89, 42, 0}, {192, 0x99, 38, 90}, {192, 0x99, 46, 60},
                          {192, 0x99, 51, 50}});
    ASSERT_EQ(song.tempos.size(), 1u);
    EXPECT_EQ(song.tempos[0].microsPerQuarter, 500000u);
    EXPECT_EQ(song.endTick, 384u);  // the tempo track ends last
}

TEST(MidiFile, ATempoChangeMidFileMovesLaterEventsOnly) {
    // 96 ticks a quarter at 120 a minute: a quarter is 22050 frames at 44.1 kHz.
    const Bytes body = join({{0x00, 0x99, 36, 100},
                             {0x60, 0x99, 38, 100},                    // tick 96
                             {0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90},  // tick 192: 240 a minute
                             {0x60, 0x99, 42, 100},                    // tick 288
                             {0x30, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40},  // tick 336: 60 a minute
                             {0x18, 0x99, 46, 100},                    // tick 360
                             kEndOfTrack});
    const MidiSong song = parsed(join({header(0, 1, 96), track(body)}));
    ASSERT_EQ(song.tempos.size(), 2u);
    const std::vector<TimedMessage> timed = timedMessages(song, 44100);
    ASSERT_EQ(timed.size(), 4u);
    EXPECT_EQ(timed[0].frame, 0);
    EXPECT_EQ(timed[1].frame, 22050);
    EXPECT_EQ(timed[2].frame, 44100 + 11025);
    // 48 ticks at 240 a minute and 24 at 60 end at 71662.5 frames, rounded once.
    EXPECT_EQ(timed[3].frame, 71663);
    EXPECT_EQ(MidiClock(song, 48000).frameAt(192), 48000);
}

TEST(MidiFile, FramesAreRoundedOnceFromExactTime) {
    // 7 ticks a quarter at 120 a minute: each tick is 3150 frames at 44.1 kHz, exactly,
    // and 1/14 s at 48 kHz is 3428.57 frames: tick 7 must land on 24000, not 7 x 3429.
    const Bytes body = join({{0x00, 0x99, 36, 100}, {0x07, 0x99, 36, 100}, kEndOfTrack});
    const MidiSong song = parsed(join({header(0, 1, 7), track(body)}));
    EXPECT_EQ(MidiClock(song, 44100).frameAt(1), 3150);
    EXPECT_EQ(MidiClock(song, 48000).frameAt(1), 3429);
    EXPECT_EQ(MidiClock(song, 48000).frameAt(7), 24000);
}

TEST(MidiFile, SmpteDivisionCountsFixedTicks) {
    // 25 frames a second, 40 ticks a frame: 1000 ticks a second; tempo events do not apply.
    const Bytes body = join({{0x00, 0xFF, 0x51, 0x03, 0x01, 0x00, 0x00}, {0x87, 0x68, 0x99, 36, 100}, kEndOfTrack});
    const MidiSong song = parsed(join({header(0, 1, (0xE7 << 8) | 40), track(body)}));
    EXPECT_EQ(song.division.smpteFramesPerSecond, 25);
    EXPECT_EQ(timedMessages(song, 44100)[0].frame, 44100);
    // 29 means drop-frame time code, 29.97 frames a second.
    const MidiSong drop = parsed(join({header(0, 1, (0xE3 << 8) | 100), track(body)}));
    EXPECT_EQ(MidiClock(drop, 30000).frameAt(2997), 30000);
}

TEST(MidiFile, ATruncatedFileIsRefusedAtEveryLength) {
    const Bytes body = join({{0x00, 0x99, 36, 100}, {0x60, 38, 80}, {0x60, 0x89, 36, 0}, kEndOfTrack});
    const Bytes file = join({header(1, 2, 96), track(body), track(body)});
    parsed(file);
    for (size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
        EXPECT_FALSE(refusal(Bytes(file.begin(), file.begin() + long(length))).empty());
    }
    EXPECT_EQ(refusal(Bytes(file.begin(), file.end() - 2)), "track 2 is cut short (13 of 15 bytes present)");
    EXPECT_EQ(refusal(Bytes(file.begin(), file.begin() + 14 + 8 + 15)), "cut short: 1 of 2 tracks present");
}

TEST(MidiFile, MalformedFilesAreRefusedWithAReason) {
    struct Case {
        Bytes bytes;
        const char* reason;
    };
    const Case cases[] = {
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a Standard MIDI File (no MThd header)"},
        {join({header(2, 1, 96), track(kEndOfTrack)}), "format 2 is not supported (only 0 and 1)"},
        {join({header(0, 2, 96), track(kEndOfTrack), track(kEndOfTrack)}), "format 0 with 2 tracks (it has one)"},
        {join({header(0, 1, 0), track(kEndOfTrack)}), "a division of 0 ticks per quarter note"},
        {join({header(0, 1, 96), track({0x00, 40, 100})}), "track 1: data byte 0x28 without a status (no running status)"},
        {join({header(0, 1, 96), track({0x00, 0x99, 0x90, 100})}), "track 1: status byte 0x90 where a data byte belongs"},
        {join({header(0, 1, 96), track({0x00, 0xF4})}), "track 1: status byte 0xF4 does not belong in a file"},
        {join({header(0, 1, 96), track({0x81, 0x81, 0x81, 0x81, 0x01})}),
         "track 1: a variable-length number longer than four bytes"},
        {join({header(0, 1, 96), track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})}), "track 1: a tempo event that sets no tempo"},
        {join({header(0, 1, 96), track({0x00, 0x99, 36})}), "track 1: cut short inside an event"},
        {join({header(0, 1, 96), track({0x00, 0xFF, 0x01, 0x05, 'a'})}), "track 1: cut short inside an event"},
    };
    for (const Case& c : cases) EXPECT_EQ(refusal(c.bytes), c.reason);
}

TEST(MidiFile, EventsAfterTheEndOfTrackAreIgnored) {
    const Bytes body = join({{0x00, 0x99, 36, 100}, kEndOfTrack, {0x00, 0x99, 38, 100}});
    expectMessages(parsed(join({header(0, 1, 96), track(body)})), {{0, 0x99, 36, 100}});
}

TEST(MidiWriter, WritesWhatTheReaderReadsBack) {
    MidiTrackWriter tempo, drums;
    tempo.tempo(0, 600000);
    tempo.tempo(480, 400000);
    drums.noteOn(0, 9, 36, 100);
    drums.noteOn(0, 9, 42, 80);
    drums.noteOff(120, 9, 36);
    drums.noteOn(200000, 9, 49, 127);  // a delta of several bytes
    drums.add(300, {0xB9, 123, 0});
    const Bytes bytes = midiFileBytes({tempo, drums}, 480, 250000);
    const MidiSong song = parsed(bytes);
    EXPECT_EQ(song.format, 1);
    expectMessages(song, {{0, 0x99, 36, 100}, {0, 0x99, 42, 80}, {120, 0x89, 36, 0},
                          {300, 0xB9, 123, 0}, {200000, 0x99, 49, 127}});
    ASSERT_EQ(song.tempos.size(), 2u);
    EXPECT_EQ(song.tempos[1].tick, 480u);
    EXPECT_EQ(song.tempos[1].microsPerQuarter, 400000u);
    EXPECT_EQ(song.endTick, 250000u);
    // Header, chunk header, then 25 bytes: the second and third notes share
    // the first one's status byte; the note after the control change cannot.
    EXPECT_EQ(midiFileBytes({drums}, 480).size(), 14u + 8u + 25u);
}

}  // namespace
