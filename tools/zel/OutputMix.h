// What `zel render` writes of each block: the 16 outputs as they are, or the
// 8 pairs mixed into one stereo pair, each side summed in pair order. Blocks
// are gathered into large writes: a system call per block cost more than
// the mixing.
#pragma once

#include <cstdint>
#include <vector>

#include "Render.h"

class AudioWriter;

class OutputMix : public RenderSink {
public:
    OutputMix(AudioWriter& writer, bool allOutputs) : writer(writer), all(allOutputs) {}
    void write(const float* const* outputs, int32_t frames) override;
    // Writes what is gathered; call before finishing the file.
    void flush();

private:
    AudioWriter& writer;
    bool all;
    std::vector<float> interleaved;
    int64_t gathered = 0;  // frames in interleaved
};

// Frames f of the 16 outputs mixed to stereo into interleaved (2 * frames
// values): left = 0 + out0 + out2 + ... + out14, right likewise from out1.
void mixToStereo(const float* const* outputs, int32_t frames, float* interleaved);
