#include "BenchSongs.h"

#include "MidiTiming.h"
#include "MidiWriter.h"

namespace {

constexpr uint16_t kTicksPerQuarter = 480;

MidiSong parsed(const std::vector<uint8_t>& bytes) {
    MidiSong song;
    std::string error;
    parseMidiFile(bytes.data(), bytes.size(), song, error);
    return song;
}

}  // namespace

MidiSong denseGroove(int minutes) {
    MidiTrackWriter drums;
    const int keys[16] = {36, 37, 38, 42, 44, 46, 41, 43, 45, 47, 48, 50, 51, 55, 49, 57};
    for (int step = 0; step < 480 * minutes; ++step) {
        const uint64_t tick = uint64_t(step) * 120;
        drums.noteOn(tick, 9, step % 2 ? 42 : 44, 70 + step % 40);
        if (step % 4 == 0) drums.noteOn(tick, 9, 36, 120);
        if (step % 8 == 4) drums.noteOn(tick, 9, 38, 110);
        drums.noteOn(tick, 9, keys[6 + step % 10], 90);
        if (step % 3 == 0) drums.noteOn(tick, 9, keys[step % 16], 100);
    }
    return parsed(midiFileBytes({drums}, kTicksPerQuarter));
}

MidiSong loopedFile(const std::string& path, double seconds, std::string& error) {
    MidiSong once;
    if (!readMidiFile(path, once, error)) return {};
    const double onceSeconds = static_cast<double>(MidiClock(once, 44100).frameAt(once.endTick)) / 44100.0;
    if (!(onceSeconds > 0.0) || once.division.ticksPerQuarter == 0) {
        error = "not a song that lasts in quarter notes";
        return {};
    }
    MidiSong looped = once;
    looped.format = 0;
    looped.trackCount = 1;
    looped.messages.clear();
    looped.tempos.clear();
    uint64_t offset = 0;
    for (double done = 0.0; done < seconds; done += onceSeconds, offset += once.endTick) {
        for (MidiMessage message : once.messages) {
            message.tick += offset;
            looped.messages.push_back(message);
        }
        for (TempoChange change : once.tempos) {
            change.tick += offset;
            looped.tempos.push_back(change);
        }
    }
    looped.endTick = offset;
    return looped;
}

std::vector<uint8_t> songFileBytes(const MidiSong& song) {
    MidiTrackWriter track;
    // Tempo changes first, so that one at a message's tick takes effect before it.
    for (const TempoChange& change : song.tempos) track.tempo(change.tick, change.microsPerQuarter);
    for (const MidiMessage& message : song.messages) {
        const uint8_t kind = message.status & 0xF0;
        if (kind == 0xC0 || kind == 0xD0)
            track.add(message.tick, {message.status, message.data1});
        else
            track.add(message.tick, {message.status, message.data1, message.data2});
    }
    return midiFileBytes({track}, song.division.ticksPerQuarter, song.endTick);
}
