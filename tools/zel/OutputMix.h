// What `zel render` writes of each block: the 16 outputs as they are, or the
// 8 pairs mixed into one stereo pair, each side summed in pair order. Only
// the pairs that carry sound are read: the others hold nothing but zeros,
// which add nothing to a sum that starts at +0. Blocks are gathered into
// large writes: a system call per block cost more than the mixing.
#pragma once

#include <cstdint>
#include <vector>

#include "Render.h"

class AudioWriter;
struct DrumKit;

// The output pairs a voice of the kit can reach: those of its pads that hold
// a sample, one bit each.
uint32_t pairsWithSound(const DrumKit& kit);

class OutputMix : public RenderSink {
public:
    OutputMix(AudioWriter& writer, bool allOutputs, uint32_t soundingPairs);
    void write(const float* const* outputs, int32_t frames) override;
    // Writes what is gathered; call before finishing the file.
    void flush();

private:
    AudioWriter& writer;
    bool all;
    uint32_t soundingPairs;
    std::vector<float> interleaved;
    int64_t gathered = 0;  // frames in interleaved
};

// Frames f of the output pairs in soundingPairs mixed to stereo into
// interleaved (2 * frames values): left = 0 + out0 + out2 + ... + out14,
// right likewise from out1, leaving out the other pairs.
void mixToStereo(const float* const* outputs, int32_t frames, uint32_t soundingPairs, float* interleaved);
