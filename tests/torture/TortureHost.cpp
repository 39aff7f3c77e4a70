#include "TortureHost.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Audit.h"
#include "PatchBytes.h"
#include "PluginUnderTest.h"
#include "VstHost.h"

namespace torture {

namespace {

VstIntPtr answerVersionOnly(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

std::vector<int32_t> decayingNoise(size_t count, int width, uint32_t seed) {
    std::vector<int32_t> values(count);
    uint32_t state = seed;
    const int shift = 32 - 8 * width;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        values[i] = int32_t(int64_t(int32_t(state) >> shift) * int64_t(count - i) / int64_t(count));
    }
    return values;
}

patchbytes::Kit makeKit() {
    patchbytes::Kit kit;
    const int widths[4] = {1, 2, 3, 4};
    const uint32_t rates[4] = {44100, 22050, 48000, 11025};
    for (int p = 0; p < patchbytes::kPads; ++p) {
        patchbytes::Slot slot;
        slot.width = widths[p % 4];
        slot.sampleRate = rates[(p / 4) % 4];
        slot.values = decayingNoise(size_t(800 + 300 * p), slot.width, uint32_t(p + 1));
        kit.slots.push_back(slot);
        patchbytes::PadSettings& pad = kit.pads[p];
        pad.fileName = "torture" + std::to_string(p) + ".wav";
        pad.slotNumber = p + 1;
        pad.channel = p % 8;
        pad.pan = float(p) / 15.0f;
        pad.pitchX = (p % 3 == 0) ? 1.0f : -0.5f;
        pad.rateIndex = p;
        pad.bitIndex = (p * 5) % 23;
        if (p % 2 == 0) pad.lowCut = 100.0f * float(p + 1);
        if (p % 3 == 0) pad.midFreq = 700.0f + 200.0f * float(p);
        if (p % 4 != 1) pad.highCut = 3000.0f + 1500.0f * float(p);
        pad.group = p / 2;  // pairs of pads choke each other
    }
    return kit;
}

}  // namespace

Instance::Instance()
    : outputs(kOutputs, std::vector<float>(kMaxFrames, 0.0f)), silence(kMaxFrames, 0.0f) {
    for (auto& channel : outputs) outputPointers.push_back(channel.data());
    inputs[0] = inputs[1] = silence.data();
    if (library != nullptr) effect = library->create(answerVersionOnly);
}

Instance::~Instance() { close(); }

void Instance::close() {
    if (effect != nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void Instance::start(float rate, VstInt32 block) {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, block);
    setChunk(tortureKit());
    dispatch(effMainsChanged, 0, 1);
}

VstIntPtr Instance::sendEvents(const std::vector<Event>& events) {
    VstEvents* block = eventBlock.fill(events);
    const size_t count = eventBlock.count();
    const bool mayGrow = count > largestEventBlock;
    largestEventBlock = std::max(largestEventBlock, count);
    audit::enter(mayGrow);
    const VstIntPtr answer = effect->dispatcher(effect, effProcessEvents, 0, 0, block, 0.0f);
    audit::leave();
    return answer;
}

void Instance::process(int32_t frames) {
    const int32_t checked = std::min(std::max(frames, 0), kMaxFrames);
    for (auto& channel : outputs) std::fill(channel.begin(), channel.begin() + checked, 0.0f);
    audit::enter(false);
    effect->processReplacing(effect, inputs, outputPointers.data(), checked);
    audit::leave();
    for (const auto& channel : outputs)
        for (int32_t i = 0; i < checked; ++i)
            if (!std::isfinite(channel[size_t(i)])) ++badFrames;
}

void Instance::renderSilence(int64_t frames, int32_t block) {
    for (int64_t done = 0; done < frames; done += block) process(int32_t(std::min<int64_t>(block, frames - done)));
}

std::vector<uint8_t> Instance::chunk() {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr Instance::setChunk(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> copy = bytes;  // the host's own buffer
    return dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data());
}

const std::vector<uint8_t>& tortureKit() {
    static const std::vector<uint8_t> kit = patchbytes::encode(makeKit());
    return kit;
}

uint8_t padKey(std::mt19937& rng) {
    static const uint8_t kKeys[16] = {36, 37, 38, 42, 44, 46, 41, 43, 45, 47, 48, 50, 51, 55, 49, 57};
    return kKeys[std::uniform_int_distribution<int>(0, 15)(rng)];
}

namespace {

// The test note: pad 4 (key 44) on output pair 4, all three filters on.
std::vector<std::vector<float>> playTestNote(Instance& instance) {
    instance.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    instance.dispatch(effSetBlockSize, 0, 512);
    instance.dispatch(effMainsChanged, 0, 1);
    instance.setChunk(tortureKit());
    // Whatever still sounds or waits in the queue plays out first.
    std::vector<Event> quiet;
    for (uint8_t channel = 0; channel < 16; ++channel) quiet.push_back({0, uint8_t(0xB0 | channel), 120, 0});
    instance.sendEvents(quiet);
    instance.renderSilence(3 * 44100);
    instance.sendEvents({{5, 0x90, 44, 100}});
    std::vector<std::vector<float>> heard(kOutputs);
    for (int block = 0; block < 8; ++block) {
        instance.process(512);
        for (int c = 0; c < kOutputs; ++c) heard[c].insert(heard[c].end(), instance.output(c), instance.output(c) + 512);
    }
    return heard;
}

bool sameOrNegated(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b, bool negated) {
    for (size_t c = 0; c < a.size(); ++c)
        for (size_t i = 0; i < a[c].size(); ++i)
            if (a[c][i] != (negated ? -b[c][i] : b[c][i])) return false;
    return true;
}

}  // namespace

testing::AssertionResult stillHealthy(Instance& tortured) {
    if (tortured.nonFiniteFrames() != 0)
        return testing::AssertionFailure() << tortured.nonFiniteFrames() << " output values were not finite";
    Instance fresh;
    fresh.start();
    const auto expected = playTestNote(fresh);
    const auto heard = playTestNote(tortured);
    bool audible = false;
    for (float value : expected[8]) audible = audible || value != 0.0f;
    if (!audible) return testing::AssertionFailure() << "the fresh instance played no test note";
    if (!sameOrNegated(heard, expected, false) && !sameOrNegated(heard, expected, true))
        return testing::AssertionFailure() << "the test note sounds different from a fresh instance's";

    const std::vector<uint8_t> image = tortured.chunk();
    Instance restored;
    restored.start();
    if (image.empty() || restored.setChunk(image) != VstIntPtr(image.size()))
        return testing::AssertionFailure() << "its chunk (" << image.size() << " bytes) does not restore";
    if (restored.chunk() != image) return testing::AssertionFailure() << "its chunk restores to other bytes";
    return testing::AssertionSuccess();
}

int iterations(int shortRun, int longRun) { return std::getenv("TORTURE_LONG") != nullptr ? longRun : shortRun; }

testing::AssertionResult audioCallsStayedClean() {
    const long forbidden = audit::forbidden();
    audit::reset();
    if (forbidden == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << forbidden << " allocations, frees or locks inside audio calls";
}

}  // namespace torture
