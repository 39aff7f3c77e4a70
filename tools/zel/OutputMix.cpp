#include "OutputMix.h"

#include <emmintrin.h>

#include "AudioWriter.h"
#include "engine/DrumKit.h"

namespace {

constexpr int kPairs = kOutputCount / 2;
constexpr int64_t kFramesPerWrite = 65536;

void interleaveAll(const float* const* outputs, int32_t frames, float* interleaved) {
    for (int32_t f = 0; f < frames; ++f)
        for (int o = 0; o < kOutputCount; ++o) interleaved[f * kOutputCount + o] = 0.0f + outputs[o][f];
}

}  // namespace

// Four frames at a time; every sum keeps the pair order of the plain loop.
void mixToStereo(const float* const* outputs, int32_t frames, float* interleaved) {
    int32_t f = 0;
    for (; f + 4 <= frames; f += 4) {
        __m128 left = _mm_setzero_ps(), right = _mm_setzero_ps();
        for (int pair = 0; pair < kPairs; ++pair) {
            left = _mm_add_ps(left, _mm_loadu_ps(outputs[2 * pair] + f));
            right = _mm_add_ps(right, _mm_loadu_ps(outputs[2 * pair + 1] + f));
        }
        _mm_storeu_ps(interleaved + 2 * f, _mm_unpacklo_ps(left, right));
        _mm_storeu_ps(interleaved + 2 * f + 4, _mm_unpackhi_ps(left, right));
    }
    for (; f < frames; ++f) {
        float left = 0.0f, right = 0.0f;
        for (int pair = 0; pair < kPairs; ++pair) {
            left += outputs[2 * pair][f];
            right += outputs[2 * pair + 1][f];
        }
        interleaved[2 * f] = left;
        interleaved[2 * f + 1] = right;
    }
}

void OutputMix::write(const float* const* outputs, int32_t frames) {
    const int channels = all ? kOutputCount : 2;
    const size_t needed = static_cast<size_t>(gathered + frames) * channels;
    if (needed > interleaved.size()) interleaved.resize(needed);
    float* at = interleaved.data() + static_cast<size_t>(gathered) * channels;
    if (all)
        interleaveAll(outputs, frames, at);
    else
        mixToStereo(outputs, frames, at);
    gathered += frames;
    if (gathered >= kFramesPerWrite) flush();
}

void OutputMix::flush() {
    if (gathered != 0) writer.write(interleaved.data(), gathered);
    gathered = 0;
}
