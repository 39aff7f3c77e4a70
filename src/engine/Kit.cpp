#include "engine/Kit.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/LaneLayout.h"
#include "engine/PadFilters.h"
#include "engine/Retirement.h"

const float holdRates[kHoldRateCount] = {1000,  2000,  3000,  4000,  6000,   8000,
                                         12000, 16000, 20000, 24000, 32000,  44100,
                                         56000, 96000, 128000, 192000};

const char* const kDefaultPadNames[kPadCount] = {
    "Bass", "Rim",  "Snare", "Close", "Pedal", "Open", "Tom6",   "Tom5",
    "Tom4", "Tom3", "Tom2",  "Tom1",  "Ride",  "Splash", "Crash1", "Crash2"};
const int8_t kDefaultPadNotes[kPadCount] = {36, 37, 38, 42, 44, 46, 41, 43,
                                            45, 47, 48, 50, 51, 55, 49, 57};

namespace {

// Each record's three sections, constructed in order and destroyed in reverse.
template <typename Record>
void initFilters(Record& record) {
    record.lowCutFilter.init();
    record.midFilter.init();
    record.highCutFilter.init();
}

template <typename Record>
void releaseFilters(Record& record) {
    record.highCutFilter.release();
    record.midFilter.release();
    record.lowCutFilter.release();
}

void applyPadDefaults(Pad& pad, int p) {
    std::strncpy(pad.name, kDefaultPadNames[p], sizeof pad.name - 1);
    pad.fileName[0] = '\0';
    pad.volume = 1.0f;
    pad.pan = 0.5f;
    pad.pitch = 1.0f;
    pad.pitchX = 0.0f;
    pad.highCut = 30000.0f;
    pad.midFreq = 0.0f;
    pad.midGain = 0.0f;
    pad.lowCut = 0.0f;
    pad.note = kDefaultPadNotes[p];
    pad.rateIndex = 15;
    pad.bitIndex = 22;
    pad.group = static_cast<int8_t>(p);
    pad.channel = 0;

    pad.lowCutFilter.type = Biquad::HighPass;
    pad.lowCutFilter.q = 0.9f;
    pad.midFilter.type = Biquad::Peaking;
    pad.midFilter.q = 1.5f;
    pad.highCutFilter.type = Biquad::LowPass;
    pad.highCutFilter.q = 0.9f;
}

}  // namespace

DrumKit* createKit(DrumSynth& synth) {
    void* block = std::calloc(1, sizeof(DrumKit));
    if (block == nullptr) return nullptr;
    DrumKit* kit = new (block) DrumKit;
    for (Pad& pad : kit->pads) initFilters(pad);
    for (Voice& voice : kit->voices) initFilters(voice);

    kit->scratch = static_cast<float*>(std::malloc(sizeof(float) * synth.blockLength));
    if (kit->scratch == nullptr) {
        releaseKit(kit);
        return nullptr;
    }
    kit->previewOn = -1;
    kit->previewOff = -1;
    kit->velocityScale = 1.0f / 127.0f;
    kit->renderPath = fastestRenderPath();
    for (int p = 0; p < kPadCount; ++p) applyPadDefaults(kit->pads[p], p);
    // Voices start free and silent: the block is zeroed.

    applySampleRate(*kit, synth.hostRate);
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

void applySampleRate(DrumKit& kit, float sampleRate) {
    releaseLanes(kit, kAllPads);
    updateRateFields(kit, sampleRate);
    for (Pad& pad : kit.pads) designPadFilters(pad, sampleRate);
}

void setAudioFormat(DrumSynth& synth, float sampleRate, int32_t blockSize) {
    DrumKit* kit = synth.kit;
    if (kit == nullptr) return;
    if (blockSize != synth.blockLength && blockSize > 0) {
        float* fresh = static_cast<float*>(std::malloc(sizeof(float) * blockSize));
        float* old = kit->scratch;
        kit->scratch = fresh;
        retireBuffer(synth, old);
    }
    applySampleRate(*kit, sampleRate);
}

void retireBuffer(const DrumSynth& synth, void* buffer) {
    if (buffer == nullptr) return;
    if (synth.retirement != nullptr)
        synth.retirement->retire(buffer);
    else
        std::free(buffer);
}

void chooseRenderPath(DrumKit& kit, RenderPath wanted) {
    releaseLanes(kit, kAllPads);
    kit.renderPath = supportedRenderPath(wanted);
}

float holdRatioOf(int rateIndex, float sampleRate) { return holdRates[rateIndex] / sampleRate; }

void updateHoldRatio(Pad& pad) {
    pad.holdRatio = holdRatioOf(pad.rateIndex, pad.sampleRate);
    pad.holdInverse = 1.0f / pad.holdRatio;
}
