// Rendering MIDI through the plug-in as a host does: each message handed
// over with effProcessEvents in the block that holds its frame, at its exact
// offset, then processReplacing of the block; on after the song's end until
// the last voice has ended.
#pragma once

#include <cstdint>
#include <vector>

#include "MidiTiming.h"

class PluginInstance;

struct RenderOptions {
    uint32_t rate = 44100;
    int32_t block = 1024;
    // The output pairs a voice can reach, one bit each. The others only
    // ever hold zeros: they share one buffer, which the plug-in clears.
    uint32_t soundingPairs = 0xFF;
};

// Takes the 16 outputs of each block as it is rendered.
class RenderSink {
public:
    virtual ~RenderSink() = default;
    virtual void write(const float* const* outputs, int32_t frames) = 0;
};

// The render goes on at most this long after the song's end.
constexpr double kMaxTailSeconds = 600.0;

struct RenderResult {
    int64_t frames = 0;
    bool cutOff = false;  // voices still sounded when the tail limit was reached
};

// Hears how many frames are done after each block.
class RenderProgress {
public:
    virtual ~RenderProgress() = default;
    virtual void advanced(int64_t framesDone) = 0;
};

// Renders through an instance that is open, restored and resumed, in whole blocks. songEnd is the frame
// of the song's last event, which the render always reaches.
RenderResult renderSong(PluginInstance& plugin, const std::vector<TimedMessage>& messages,
                        int64_t songEnd, const RenderOptions& options, RenderSink& sink,
                        RenderProgress* progress = nullptr);
