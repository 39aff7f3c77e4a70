// Random cases for holding the lane renderer to the plain chain: a kit of
// real WAV images loaded the way the plug-in loads them, with random and
// hostile settings, restored as a patch into a plug-in core, and a song of
// hits, chokes, rolls, bursts that fill all 24 voices, releases, previews,
// parameter changes (published from the edit side, or made on the audio
// side as LV2 control ports make them), sample swaps and removals and rate
// changes, played in random host blocks through the core's block
// processing. Every case is made from its seed alone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/PluginCore.h"
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
    enum Kind { NoteOn, NoteOff, Preview, Parameter, AudioParameter, LoadSample, RemoveSample, Rate };
    int64_t frame;
    Kind kind;
    int16_t key, velocity;   // notes and previews
    int32_t parameter;       // Parameter, AudioParameter: index; LoadSample, RemoveSample: the pad
    float value;             // Rate: the host's new rate
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
    std::vector<uint8_t> patch;  // the kit as the players restore it
};

LaneCase makeLaneCase(uint32_t seed);

// A canonical WAV image: the 44-byte header, then each word's low width
// bytes, little-endian (8-bit words unsigned, float words IEEE bits).
std::vector<uint8_t> wavImage(int channels, int width, bool isFloat, uint32_t rate,
                              const std::vector<uint32_t>& words);

// A plug-in core set up from a case, played span by span: each span one
// processBlock call, with the notes due at its first frame and after the
// edits due there.
class LanePlayer {
public:
    LanePlayer(const LaneCase& c, RenderPath path);
    // The engine the audio side plays.
    DrumSynth& synth() { return core->engineSynth(); }
    RenderPath path() const { return renderPath; }

    // Everything due before the next span, then the span; false at the end.
    bool nextSpan();
    int answer() const { return lastAnswer; }
    int32_t spanLength() const { return span; }
    const float* out(int o) const { return outputs[o].data(); }
    // Edits made in the last nextSpan to a pad that had voices sounding.
    int editsOfSoundingPads() const { return soundingEdits; }

private:
    void apply(const SongEvent& event, std::vector<QueuedEvent>& notes);

    const LaneCase& lane;
    RenderPath renderPath;
    std::unique_ptr<PluginCore> core;
    std::vector<float> outputs[16];
    size_t nextEvent = 0, nextBlock = 0;
    int64_t blockStart = 0, position = 0, blockEnd = 0;
    int32_t span = 0;
    int lastAnswer = 0;
    int soundingEdits = 0;
};

// The first difference between two players after a span, in words; empty
// when outputs, answers, voices and pads agree bit for bit. The voice
// records of lanes are brought up to the lanes' state first, which the
// lanes keep.
std::string laneDifference(LanePlayer& reference, LanePlayer& lanes);
