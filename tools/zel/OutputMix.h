// What `zel render` writes of each block: the 16 outputs as they are, or the
// 8 pairs mixed into one stereo pair, each side summed in pair order.
#pragma once

#include <cstdint>
#include <vector>

#include "Render.h"

class AudioWriter;

class OutputMix : public RenderSink {
public:
    OutputMix(AudioWriter& writer, bool allOutputs) : writer(writer), all(allOutputs) {}
    void write(const float* const* outputs, int32_t frames) override;

private:
    AudioWriter& writer;
    bool all;
    std::vector<float> interleaved;
};

// Frames f of the 16 outputs mixed to stereo into interleaved (2 * frames
// values): left = 0 + out0 + out2 + ... + out14, right likewise from out1.
void mixToStereo(const float* const* outputs, int32_t frames, float* interleaved);
