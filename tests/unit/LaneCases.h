// Random cases for holding the lane renderer to the plain chain: a kit of
// real WAV images loaded the way the plug-in loads them, with random and
// hostile settings, and a song of hits, chokes, rolls, bursts that fill all
// 24 voices, releases, previews, parameter changes and sample swaps, played
// in random host blocks. Every case is made from its seed alone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CoreUnderTest.h"
#include "engine/RenderPath.h"

struct Lcg {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<uint32_t>(n)); }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }  // [0, 1)
    bool chance(int percent) { return below(100) < percent; }
};

// One thing that happens at a frame of the song.
struct SongEvent {
    enum Kind { NoteOn, NoteOff, Preview, Parameter, LoadSample, RemoveSample };
    int64_t frame;
    Kind kind;
    int16_t key, velocity;   // notes and previews
    int32_t parameter;       // Parameter: index; LoadSample, RemoveSample: the pad
    float value;
    std::vector<uint8_t> wav;  // LoadSample
};

struct LaneCase {
    uint32_t seed;
    float hostRate;
    int32_t blockLength;
    std::vector<std::vector<uint8_t>> wavs;  // per pad; empty: none
    std::vector<std::pair<int32_t, float>> parameters;
    std::vector<std::pair<int, float>> hostileFields;  // (pad * 8 + field, value), as a patch could carry
    std::vector<SongEvent> song;  // by frame
    std::vector<int32_t> hostBlocks;
};

LaneCase makeLaneCase(uint32_t seed);

// A canonical WAV image: the 44-byte header, then each word's low width
// bytes, little-endian (8-bit words unsigned, float words IEEE bits).
std::vector<uint8_t> wavImage(int channels, int width, bool isFloat, uint32_t rate,
                              const std::vector<uint32_t>& words);

// A synthesizer set up from a case, played span by span as processReplacing
// plays it.
class LanePlayer {
public:
    LanePlayer(const LaneCase& c, RenderPath path);
    DrumSynth& synth() { return core->synth(); }
    RenderPath path() const { return renderPath; }

    // Everything due before the next span, then the span; false at the end.
    bool nextSpan();
    int answer() const { return lastAnswer; }
    int32_t spanLength() const { return span; }
    const float* out(int o) const { return outputs[o].data(); }

private:
    void apply(const SongEvent& event);

    const LaneCase& lane;
    RenderPath renderPath;
    std::unique_ptr<CoreUnderTest> core;
    std::vector<float> outputs[16];
    size_t nextEvent = 0, nextBlock = 0;
    int64_t blockStart = 0, position = 0, blockEnd = 0;
    int32_t span = 0;
    int lastAnswer = 0;
};

// The first difference between two players after a span, in words; empty
// when outputs, answers, voices and pads agree bit for bit.
std::string laneDifference(LanePlayer& reference, LanePlayer& lanes);
