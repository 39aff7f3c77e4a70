#include "engine/Render.h"

#include <cstring>

#include "engine/BitDepth.h"
#include "engine/LaneRender.h"
#include "engine/MidiStatus.h"
#include "engine/Notes.h"
#include "engine/PadFilters.h"
#include "engine/PanGains.h"
#include "engine/SampleHold.h"

namespace {

constexpr int16_t kPreviewVelocity = 100;

// The outputs of the pairs outside reachedPairs, which no voice wrote. The
// one buffer a host hands for the outputs it does not take is cleared once
// for each run of them.
void clearOutputs(float* const* outputs, int32_t count, uint32_t reachedPairs = 0) {
    constexpr uint32_t kEveryPair = (1u << kOutputPairCount) - 1;
    const float* cleared = nullptr;
    for (uint32_t silent = ~reachedPairs & kEveryPair; silent != 0; silent &= silent - 1) {
        const int pair = __builtin_ctz(silent);
        for (int o = 2 * pair; o < 2 * pair + 2; ++o) {
            if (outputs[o] == cleared) continue;
            std::memset(outputs[o], 0, sizeof(float) * count);
            cleared = outputs[o];
        }
    }
}

int playPreview(DrumSynth& synth) {
    DrumKit& kit = *synth.kit;
    const int8_t on = kit.previewOn.load(std::memory_order_relaxed);
    if (on >= 0) {
        const int result = noteEvent(synth, midi::kNoteOn, on, kPreviewVelocity);
        kit.previewOn.store(-1, std::memory_order_relaxed);
        return result;
    }
    const int8_t off = kit.previewOff.load(std::memory_order_relaxed);
    if (off >= 0) {
        const int result = noteEvent(synth, midi::kNoteOff, off, 0);
        kit.previewOff.store(-1, std::memory_order_relaxed);
        return result;
    }
    return 0;
}

// Into the pad's output pair; the pair's first voice adds to 0, as to a
// cleared output. reachedPairs gains the pair.
void mixVoice(float* const* outputs, const float* scratch, const Pad& pad, int32_t count, uint32_t& reachedPairs) {
    const int channel = pad.channel;
    if (channel < 0 || channel >= kOutputPairCount) return;
    const PanGains gains = panGains(pad);
    const float leftGain = gains.left, rightGain = gains.right;
    float* left = outputs[2 * channel];
    float* right = outputs[2 * channel + 1];
    if (!((reachedPairs >> channel) & 1u)) {
        for (int32_t i = 0; i < count; ++i) {
            left[i] = 0.0f + scratch[i] * leftGain;
            right[i] = 0.0f + scratch[i] * rightGain;
        }
        reachedPairs |= 1u << channel;
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        left[i] += scratch[i] * leftGain;
        right[i] += scratch[i] * rightGain;
    }
}

}  // namespace

int playVoice(DrumSynth& synth, Voice& voice, Pad& pad, int32_t count) {
    DrumKit& kit = *synth.kit;
    float* out = kit.scratch;
    const float step = pad.sampleRate * pad.pitch * synth.hostRateInverse;
    const float* samples = pad.samples;
    const int32_t frameCount = pad.frameCount;
    const double frameLimit = static_cast<double>(frameCount);
    const float holdRatio = pad.holdRatio, holdInverse = pad.holdInverse;
    const QuantGrid grid = quantGridFor(pad.bitIndex);
    const float quantScale = grid.scale, quantInverse = grid.inverse;
    const float fadeOutStep = kit.fadeOutStep;

    float pitchFactor = voice.pitchFactor, glideStep = voice.glideStep;
    float position = voice.position, fadeIn = voice.fadeIn, fadeInStep = voice.fadeInStep;
    float fadeOut = voice.fadeOut, smooth = voice.smoothState;
    const float gain = voice.gain;
    bool ended = false;

    int32_t i = 0;
    for (; i < count; ++i) {
        if (glideStep != 0.0f) {
            pitchFactor -= glideStep;
            if (!(pitchFactor > 1.0f)) glideStep = 0.0f;
        }
        position += step * pitchFactor;
        // k = trunc(position); a negative or non-finite position ends the voice too.
        if (samples == nullptr || !(position > -1.0f) ||
            static_cast<double>(position) >= frameLimit) {
            ended = true;
            break;
        }
        const int32_t k = static_cast<int32_t>(position);
        const float value = samples[heldIndex(k, holdRatio, holdInverse, frameCount)];
        float v = quantise(value, quantScale, quantInverse);
        if (fadeOut != 0.0f) {
            v = v * fadeOut;
            fadeOut -= fadeOutStep;
            if (!(fadeOut > 0.0f)) {
                ended = true;
                break;
            }
        } else if (fadeIn < 1.0f) {
            fadeIn += fadeInStep;
        }
        v = v * fadeIn;
        smooth = (v + smooth) * 0.5f;
        out[i] = smooth * gain;
    }
    if (i < count) std::memset(out + i, 0, sizeof(float) * (count - i));

    voice.pitchFactor = pitchFactor;
    voice.glideStep = glideStep;
    voice.position = position;
    voice.fadeIn = fadeIn;
    voice.fadeOut = fadeOut;
    voice.smoothState = smooth;
    if (!ended) return 0;
    endVoice(voice);
    return 1;
}

namespace {

// The reference: each voice in turn through the scratch buffer.
int renderVoicesPlain(DrumSynth& synth, float* const* outputs, int32_t count, uint32_t& reachedPairs) {
    DrumKit& kit = *synth.kit;
    int ended = 0;
    reachedPairs = 0;
    for (Voice& voice : kit.voices) {
        if (voice.pad == nullptr) continue;
        Pad& pad = *voice.pad;
        ended += playVoice(synth, voice, pad, count);
        if (lowCutOn(pad)) process(&voice.lowCutFilter, kit.scratch, count);
        if (midBandOn(pad)) process(&voice.midFilter, kit.scratch, count);
        if (highCutOn(pad)) process(&voice.highCutFilter, kit.scratch, count);
        mixVoice(outputs, kit.scratch, pad, count, reachedPairs);
    }
    return ended;
}

}  // namespace

int renderBlock(DrumSynth& synth, float* const* outputs, int32_t count) {
    if (count <= 0) return 0;
    DrumKit* kit = synth.kit;
    if (kit == nullptr || kit->scratch == nullptr) {
        clearOutputs(outputs, count);
        return 0;
    }
    kit->clock += static_cast<uint32_t>(count);
    if (kit->clock == 0) kit->clock = 1;

    int result = playPreview(synth);
    // Each output is written once: by the voices that reach it, or cleared.
    uint32_t reachedPairs = 0;
    const int ended =
        kit->renderPath != RenderPath::Plain ? renderVoicesInLanes(synth, outputs, count, reachedPairs) : -1;
    result += ended >= 0 ? ended : renderVoicesPlain(synth, outputs, count, reachedPairs);
    clearOutputs(outputs, count, reachedPairs);
    return result != 0 ? kEditorChanged : 0;
}
