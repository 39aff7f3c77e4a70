// Writes the example groove: about 30 seconds of drums on the General MIDI
// keys the demo kit's pads answer, as a format 1 file (a tempo track and a
// drum track on channel 10, note-offs as velocity-0 note-ons in running
// status), slowing down into the last bar. `groove examples/groove.mid`
// remakes the file in the repository.
#include <cstdio>
#include <vector>

#include "MidiWriter.h"

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kSixteenth = kTicksPerQuarter / 4;
constexpr int kBar = 16 * kSixteenth;
constexpr int kDrums = 9;  // channel 10

enum Key {
    Kick = 36, Rim = 37, Snare = 38, Closed = 42, Pedal = 44, Open = 46,
    Tom6 = 41, Tom5 = 43, Tom4 = 45, Tom3 = 47, Tom2 = 48, Tom1 = 50,
    Ride = 51, Splash = 55, Crash1 = 49, Crash2 = 57,
};

class Drummer {
public:
    explicit Drummer(MidiTrackWriter& track) : track(track) {}

    // A hit on a sixteenth of a bar; velocities wander a little, as a player's do.
    void hit(int bar, int sixteenth, int key, int velocity) {
        const uint64_t tick = static_cast<uint64_t>(bar) * kBar + static_cast<uint64_t>(sixteenth) * kSixteenth;
        int played = velocity + wander();
        played = played < 1 ? 1 : (played > 127 ? 127 : played);
        track.noteOn(tick, kDrums, key, played);
        track.noteOff(tick + kSixteenth / 2, kDrums, key);
    }

private:
    int wander() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % 11) - 5;
    }
    MidiTrackWriter& track;
    uint32_t seed = 2024;
};

void verse(Drummer& d, int bar, bool openHat) {
    for (int s = 0; s < 16; s += 2) d.hit(bar, s, Closed, s % 4 == 0 ? 96 : 70);
    for (int s : {0, 6, 8}) d.hit(bar, s, Kick, 110);
    for (int s : {4, 12}) d.hit(bar, s, Snare, 112);
    d.hit(bar, 13, Snare, 34);  // ghost note
    if (openHat) d.hit(bar, 14, Open, 88);
}

void chorus(Drummer& d, int bar) {
    for (int s = 0; s < 16; s += 2) d.hit(bar, s, Ride, s % 4 == 0 ? 100 : 78);
    for (int s : {2, 6, 10, 14}) d.hit(bar, s, Pedal, 64);
    for (int s : {0, 3, 8, 10}) d.hit(bar, s, Kick, 108);
    for (int s : {4, 12}) d.hit(bar, s, Snare, 118);
}

void halfTime(Drummer& d, int bar) {
    for (int s = 0; s < 16; ++s) d.hit(bar, s, Closed, s % 4 == 0 ? 92 : (s % 2 ? 48 : 66));
    for (int s : {0, 7, 10}) d.hit(bar, s, Kick, 112);
    d.hit(bar, 8, Snare, 120);
    for (int s : {4, 14}) d.hit(bar, s, Rim, 80);
}

// Sixteenths down the six toms over the bar's second half.
void tomFill(Drummer& d, int bar) {
    const int toms[8] = {Tom1, Tom1, Tom2, Tom3, Tom4, Tom5, Tom6, Tom6};
    for (int i = 0; i < 8; ++i) d.hit(bar, 8 + i, toms[i], 84 + 3 * i);
    d.hit(bar, 8, Kick, 100);
}

void snareFill(Drummer& d, int bar) {
    for (int s = 8; s < 16; ++s) d.hit(bar, s, Snare, 60 + 7 * (s - 8));
    d.hit(bar, 15, Tom6, 110);
}

MidiTrackWriter tempoTrack() {
    MidiTrackWriter tempo;
    tempo.add(0, {0xFF, 0x03, 6, 'g', 'r', 'o', 'o', 'v', 'e'});
    tempo.add(0, {0xFF, 0x58, 4, 4, 2, 24, 8});  // 4/4
    tempo.tempo(0, 500000);                      // 120 a minute
    // The last two bars slow down, a quarter note at a time.
    const uint32_t slowing[8] = {520000, 545000, 570000, 600000, 630000, 660000, 700000, 750000};
    for (int q = 0; q < 8; ++q) tempo.tempo(13 * kBar + q * kTicksPerQuarter, slowing[q]);
    return tempo;
}

MidiTrackWriter drumTrack() {
    MidiTrackWriter track;
    track.add(0, {0xFF, 0x03, 5, 'd', 'r', 'u', 'm', 's'});
    Drummer d(track);
    d.hit(0, 0, Crash2, 110);
    for (int bar = 0; bar < 4; ++bar) verse(d, bar, bar % 2 == 1);
    tomFill(d, 3);
    d.hit(4, 0, Crash1, 115);
    for (int bar = 4; bar < 8; ++bar) chorus(d, bar);
    d.hit(6, 0, Splash, 100);
    snareFill(d, 7);
    d.hit(8, 0, Crash2, 112);
    for (int bar = 8; bar < 12; ++bar) halfTime(d, bar);
    d.hit(10, 0, Open, 90);
    tomFill(d, 11);
    d.hit(12, 0, Crash1, 118);
    verse(d, 12, true);
    verse(d, 13, false);
    snareFill(d, 13);
    for (int key : {Kick, Crash1, Crash2}) d.hit(14, 0, key, 124);
    return track;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: groove OUT.mid\n");
        return 2;
    }
    const std::vector<uint8_t> bytes =
        midiFileBytes({tempoTrack(), drumTrack()}, kTicksPerQuarter, 15 * kBar);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "groove: %s: cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
