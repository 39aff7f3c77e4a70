// `zel render`: a MIDI file through a kit into a WAV file.
#pragma once

#include <cstdint>
#include <string>

#include "Render.h"

struct RenderRequest {
    std::string midiPath;
    std::string outputPath;
    std::string kitPath;  // empty: the built-in demo kit
    RenderOptions options;
    bool allOutputs = false;  // 16 channels instead of the stereo mix
};

// The longest song zel renders.
constexpr double kMaxSongSeconds = 6 * 3600.0;

// Renders, or throws a ZelError naming the file at fault; the output file
// appears only when complete. Answers the render's length.
RenderResult renderFile(const RenderRequest& request);
