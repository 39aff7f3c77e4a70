#include "OutputMix.h"

#include <emmintrin.h>

#include "AudioWriter.h"
#include "engine/DrumKit.h"

namespace {

constexpr int kPairs = kOutputCount / 2;
constexpr int64_t kFramesPerWrite = 65536;

// The pairs of the mask, in pair order; answers how many.
int pairsOf(uint32_t mask, int* pairs) {
    int count = 0;
    for (int pair = 0; pair < kPairs; ++pair)
        if (mask & (1u << pair)) pairs[count++] = pair;
    return count;
}

// A silent pair is written as the +0 that 0 + its zeros would give.
void interleaveAll(const float* const* outputs, int32_t frames, uint32_t soundingPairs, float* interleaved) {
    bool sounds[kOutputCount];
    for (int o = 0; o < kOutputCount; ++o) sounds[o] = (soundingPairs >> (o / 2)) & 1u;
    for (int32_t f = 0; f < frames; ++f)
        for (int o = 0; o < kOutputCount; ++o)
            interleaved[f * kOutputCount + o] = sounds[o] ? 0.0f + outputs[o][f] : 0.0f;
}

}  // namespace

uint32_t pairsWithSound(const DrumKit& kit) {
    uint32_t pairs = 0;
    for (const Pad& pad : kit.pads)
        if (pad.samples != nullptr && pad.channel >= 0 && pad.channel < kPairs) pairs |= 1u << pad.channel;
    return pairs;
}

// Four frames at a time; every sum keeps the pair order of the plain loop.
void mixToStereo(const float* const* outputs, int32_t frames, uint32_t soundingPairs, float* interleaved) {
    int pairs[kPairs];
    const int count = pairsOf(soundingPairs, pairs);
    int32_t f = 0;
    for (; f + 4 <= frames; f += 4) {
        __m128 left = _mm_setzero_ps(), right = _mm_setzero_ps();
        for (int p = 0; p < count; ++p) {
            left = _mm_add_ps(left, _mm_loadu_ps(outputs[2 * pairs[p]] + f));
            right = _mm_add_ps(right, _mm_loadu_ps(outputs[2 * pairs[p] + 1] + f));
        }
        _mm_storeu_ps(interleaved + 2 * f, _mm_unpacklo_ps(left, right));
        _mm_storeu_ps(interleaved + 2 * f + 4, _mm_unpackhi_ps(left, right));
    }
    for (; f < frames; ++f) {
        float left = 0.0f, right = 0.0f;
        for (int p = 0; p < count; ++p) {
            left += outputs[2 * pairs[p]][f];
            right += outputs[2 * pairs[p] + 1][f];
        }
        interleaved[2 * f] = left;
        interleaved[2 * f + 1] = right;
    }
}

OutputMix::OutputMix(AudioWriter& writer, bool allOutputs, uint32_t soundingPairs)
    : writer(writer), all(allOutputs), soundingPairs(soundingPairs) {}

void OutputMix::write(const float* const* outputs, int32_t frames) {
    const int channels = all ? kOutputCount : 2;
    const size_t needed = static_cast<size_t>(gathered + frames) * channels;
    if (needed > interleaved.size()) interleaved.resize(needed);
    float* at = interleaved.data() + static_cast<size_t>(gathered) * channels;
    if (all)
        interleaveAll(outputs, frames, soundingPairs, at);
    else
        mixToStereo(outputs, frames, soundingPairs, at);
    gathered += frames;
    if (gathered >= kFramesPerWrite) flush();
}

void OutputMix::flush() {
    if (gathered != 0) writer.write(interleaved.data(), gathered);
    gathered = 0;
}
