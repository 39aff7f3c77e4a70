#include "BenchEngine.h"

#include <cstddef>
#include <cstring>

#include "engine/Kit.h"
#include "engine/MidiStatus.h"
#include "engine/PadParameters.h"
#include "files/PadSample.h"
#include "host/zelVst.h"

namespace bench {

namespace {

constexpr int kLowCutHz = 200, kMidHz = 1000, kHighCutHz = 8000;
constexpr float kMidGainDb = 4.0f;
constexpr int kRateIndex = 8;  // 20000 Hz hold
constexpr int kBitIndex = 10;  // "12bit"
constexpr int kFreshRateIndex = 15, kFreshBitIndex = 22;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void putLittle(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int width) {
    for (int b = 0; b < width; ++b) bytes[at + static_cast<size_t>(b)] = static_cast<uint8_t>(value >> (8 * b));
}

}  // namespace

std::vector<uint8_t> wavImage(uint16_t format, uint16_t bits, const std::vector<uint8_t>& frames) {
    const uint32_t dataSize = static_cast<uint32_t>(frames.size());
    const uint32_t rate = static_cast<uint32_t>(kRate), blockAlign = bits / 8u;
    std::vector<uint8_t> bytes(44);
    std::memcpy(&bytes[0], "RIFF", 4);
    putLittle(bytes, 4, 36 + dataSize, 4);
    std::memcpy(&bytes[8], "WAVEfmt ", 8);
    const uint32_t header[] = {16, format | (1u << 16), rate, rate * blockAlign, blockAlign | (uint32_t(bits) << 16)};
    for (int i = 0; i < 5; ++i) putLittle(bytes, 16 + 4 * static_cast<size_t>(i), header[i], 4);
    std::memcpy(&bytes[36], "data", 4);
    putLittle(bytes, 40, dataSize, 4);
    bytes.insert(bytes.end(), frames.begin(), frames.end());
    return bytes;
}

BenchEngine::BenchEngine(int32_t hostBlock, RenderPath path, PadSetup setup, int voices,
                         const std::vector<uint8_t>& wav)
    : voices(voices),
      setup(setup),
      storage(kOutputs, std::vector<float>(static_cast<size_t>(hostBlock))),
      inputStorage(2, std::vector<float>(static_cast<size_t>(hostBlock), 0.0f)) {
    for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[static_cast<size_t>(o)].data();
    for (int i = 0; i < 2; ++i) inputs[i] = inputStorage[static_cast<size_t>(i)].data();
    effect = createPlugin(hostCallback);
    if (effect == nullptr) return;
    core = &static_cast<zelVst*>(effect->object)->core();
    synth = &core->engineSynth();
    dispatch(effSetSampleRate, 0, 0, kRate);
    dispatch(effSetBlockSize, 0, hostBlock, 0.0f);
    dispatch(effMainsChanged, 0, 1, 0.0f);

    for (int p = 0; p < kPadCount; ++p)
        if (!core->loadSampleBytes(p, wav.data(), static_cast<int64_t>(wav.size()), "bench.wav").empty()) return;
    // Only this thread plays the engine.
    chooseRenderPath(*synth->kit, path);
    if (synth->kit->renderPath != path) return;
    ready = true;
    for (int p = 0; p < kPadCount; ++p) {
        if (setup.filters) {
            set(p, ParamLow, kLowCutHz / 5000.0f);
            set(p, ParamHigh, (kHighCutHz - 2000) / 28000.0f);
            set(p, ParamMid, kMidHz / 5000.0f);
            set(p, ParamMidGain, (kMidGainDb + 6.0f) / 12.0f);
        }
        if (setup.reduction) {
            set(p, ParamSampleRate, parameterMapping(ParamSampleRate).stepCentre(kRateIndex));
            set(p, ParamBit, parameterMapping(ParamBit).stepCentre(kBitIndex));
        }
        set(p, ParamChannel, parameterMapping(ParamChannel).stepCentre(p % 8));  // all 8 output pairs
    }
}

BenchEngine::~BenchEngine() {
    if (effect != nullptr) dispatch(effClose, 0, 0, 0.0f);
}

const char* BenchEngine::fault() const {
    if (!ready) return "plug-in set-up failed, or no such path here";
    for (const Pad& pad : core->modelSynth().kit->pads) {
        const bool filtersOn = pad.lowCut > 10.0f && pad.midFreq > 10.0f && pad.highCut < 30000.0f;
        const bool filtersOff = !(pad.lowCut > 10.0f || pad.midFreq > 10.0f || pad.highCut < 30000.0f);
        if (setup.filters ? !filtersOn : !filtersOff) return "the filters are not as asked";
        const bool reduced = pad.rateIndex == kRateIndex && pad.bitIndex == kBitIndex;
        const bool fresh = pad.rateIndex == kFreshRateIndex && pad.bitIndex == kFreshBitIndex;
        if (setup.reduction ? !reduced : !fresh) return "the reduction is not as asked";
    }
    return nullptr;
}

int BenchEngine::sounding() const {
    int count = 0;
    for (const Voice& voice : synth->kit->voices) count += voice.pad != nullptr;
    return count;
}

void BenchEngine::block(int32_t frames) {
    const int missing = voices - sounding();
    if (missing > 0) {
        hits.clear();
        for (int e = 0; e < missing; ++e) {
            hits.push_back({0, midi::kNoteOn, static_cast<uint8_t>(synth->kit->pads[nextPad].note), 100});
            nextPad = (nextPad + 1) % kPadCount;
        }
        dispatch(effProcessEvents, 0, 0, 0.0f, eventBlock.fill(hits));
    }
    effect->processReplacing(effect, inputs, outputs, frames);
}

std::vector<uint8_t> BenchEngine::chunk() {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, 0.0f, &data);
    if (data == nullptr || size <= 0) return {};
    return std::vector<uint8_t>(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
}

bool BenchEngine::setChunk(const std::vector<uint8_t>& image) {
    std::vector<uint8_t> copy = image;  // the host's buffer
    return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), 0.0f, copy.data()) != 0;
}

VstIntPtr BenchEngine::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt, void* ptr) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void BenchEngine::set(int pad, int param, float value) {
    effect->setParameter(effect, pad * kParamsPerPad + param, value);
}

}  // namespace bench
