#include "engine/Kit.h"

#include <cstdlib>
#include <new>

const float holdRates[kHoldRateCount] = {1000,  2000,  3000,  4000,  6000,   8000,
                                         12000, 16000, 20000, 24000, 32000,  44100,
                                         56000, 96000, 128000, 192000};

namespace {

Biquad* filtersOf(Pad& pad) { return &pad.lowCutFilter; }
Biquad* filtersOf(Voice& voice) { return &voice.lowCutFilter; }

template <typename Record>
void initFilters(Record& record) {
    Biquad* filters = filtersOf(record);
    for (int i = 0; i < 3; ++i) filters[i].init();
}

template <typename Record>
void releaseFilters(Record& record) {
    Biquad* filters = filtersOf(record);
    for (int i = 2; i >= 0; --i) filters[i].release();
}

}  // namespace

static_assert(offsetof(Pad, midFilter) == offsetof(Pad, lowCutFilter) + sizeof(Biquad) &&
                  offsetof(Pad, highCutFilter) == offsetof(Pad, midFilter) + sizeof(Biquad),
              "a pad's filters are consecutive");
static_assert(offsetof(Voice, midFilter) == offsetof(Voice, lowCutFilter) + sizeof(Biquad) &&
                  offsetof(Voice, highCutFilter) == offsetof(Voice, midFilter) + sizeof(Biquad),
              "a voice's filters are consecutive");

DrumKit* allocateKit() {
    void* block = std::calloc(1, sizeof(DrumKit));
    if (block == nullptr) return nullptr;
    DrumKit* kit = new (block) DrumKit;
    for (Pad& pad : kit->pads) initFilters(pad);
    for (Voice& voice : kit->voices) initFilters(voice);
    return kit;
}

void releaseKit(DrumKit* kit) {
    if (kit == nullptr) return;
    std::free(kit->scratch);
    std::free(kit->sampleStore);
    for (Pad& pad : kit->pads) std::free(pad.samples);
    for (int v = kVoiceCount - 1; v >= 0; --v) releaseFilters(kit->voices[v]);
    for (int p = kPadCount - 1; p >= 0; --p) releaseFilters(kit->pads[p]);
    kit->~DrumKit();
    std::free(kit);
}

void updateRateFields(DrumKit& kit, float sampleRate) {
    kit.halfRate = static_cast<int32_t>(sampleRate * 0.5f);
    kit.fadeOutStep = 10.0f / sampleRate;
    kit.rollBendScale = 0.025f / static_cast<float>(static_cast<uint32_t>(kit.halfRate));
}

void setAudioFormat(DrumSynth& synth, float sampleRate, int32_t blockSize) {
    DrumKit* kit = synth.kit;
    if (kit == nullptr) return;
    updateRateFields(*kit, sampleRate);
    if (blockSize != synth.blockLength && blockSize > 0) {
        float* fresh = static_cast<float*>(std::malloc(sizeof(float) * blockSize));
        float* old = kit->scratch;
        kit->scratch = fresh;
        std::free(old);
    }
    for (Pad& pad : kit->pads) {
        pad.lowCutFilter.design(sampleRate);
        pad.midFilter.design(sampleRate);
        pad.highCutFilter.design(sampleRate);
    }
}

void updateHoldRatio(Pad& pad) {
    pad.holdRatio = holdRates[pad.rateIndex] / pad.sampleRate;
    pad.holdInverse = 1.0f / pad.holdRatio;
}
