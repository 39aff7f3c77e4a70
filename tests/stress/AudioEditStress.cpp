// One thread plays the host's audio side (MIDI events, then blocks of varied
// size) while two others edit: host parameters through the setParameter
// entry, and pads' samples swapped under the edit handshake. Built with
// ThreadSanitizer any data race stops the process; either way every output
// frame must come back finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "engine/BusyFlags.h"
#include "engine/Kit.h"
#include "host/zelVst.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kOutputs = 16;
constexpr int32_t kLongestBlock = 4096;
constexpr auto kRunTime = std::chrono::seconds(5);
constexpr long kMaxBlocks = 2000000;        // bounds the run on a fast machine
constexpr long kMaxEdits = 50000000;        // per editing thread, a backstop only
constexpr int kMaxEventsPerBlock = 12;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// A host's VstEvents record for up to kMaxEventsPerBlock MIDI events.
struct EventBlock {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kMaxEventsPerBlock];
    VstMidiEvent midi[kMaxEventsPerBlock];
};
static_assert(offsetof(EventBlock, events) == offsetof(VstEvents, events), "VstEvents prefix");

// A mono sample in [-1, 1) that the engine then owns.
float* makeSample(std::mt19937& rng, int32_t frames) {
    auto* samples = static_cast<float*>(std::malloc(sizeof(float) * frames));
    if (samples == nullptr) return nullptr;
    std::uniform_real_distribution<float> value(-1.0f, 0.99f);
    for (int32_t i = 0; i < frames; ++i) samples[i] = value(rng);
    return samples;
}

// Puts a sample into a pad (null removes it) the way the editor does: the
// engine's state changes only while the audio thread is held off.
void switchSample(DrumSynth& synth, int pad, float* samples, int32_t frames, float rate) {
    float* old;
    {
        EditGuard guard(synth.busy);
        Pad& target = synth.kit->pads[pad];
        old = target.samples;
        target.samples = samples;
        target.frameCount = samples != nullptr ? frames : 0;
        target.sampleRate = rate;
        updateHoldRatio(target);
    }
    std::free(old);
}

struct Counts {
    std::atomic<long> blocks{0};
    std::atomic<long> events{0};
    std::atomic<long> audibleBlocks{0};
    std::atomic<long> badFrames{0};
    std::atomic<long> refusedEvents{0};
    std::atomic<long> parameterCalls{0};
    std::atomic<long> sampleSwitches{0};
};

void playAudio(AEffect* effect, const std::atomic<bool>& go, std::atomic<bool>& done,
               Counts& counts) {
    std::mt19937 rng(11);
    std::vector<std::vector<float>> storage(kOutputs, std::vector<float>(kLongestBlock));
    std::vector<std::vector<float>> inputStorage(2, std::vector<float>(kLongestBlock, 0.0f));
    float* outputs[kOutputs];
    float* inputs[2] = {inputStorage[0].data(), inputStorage[1].data()};
    for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[o].data();
    EventBlock list{};

    auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    while (!go.load()) std::this_thread::yield();
    const auto deadline = Clock::now() + kRunTime;
    long blocks = 0;
    while (blocks < kMaxBlocks && Clock::now() < deadline) {
        // Host block sizes: anything from 1 to 4096, often a power of two.
        int32_t frames = pick(1, kLongestBlock);
        if (pick(0, 2) == 0) frames = 1 << pick(0, 12);
        else if (pick(0, 2) == 0) frames = pick(1, 64);

        const int count = pick(0, kMaxEventsPerBlock);
        list.numEvents = count;
        for (int e = 0; e < count; ++e) {
            VstMidiEvent& midi = list.midi[e];
            std::memset(&midi, 0, sizeof midi);
            midi.type = kVstMidiType;
            midi.byteSize = sizeof midi;
            midi.deltaFrames = pick(0, frames + frames / 4);  // some past the block's end
            const int channel = pick(0, 3);
            const int kind = pick(0, 9);
            uint8_t status, data1, data2;
            if (kind < 6) {
                status = static_cast<uint8_t>(0x90 | channel);
                data1 = static_cast<uint8_t>(pick(20, 91));  // the keys pads can be given
                data2 = static_cast<uint8_t>(pick(0, 127));
            } else if (kind < 9) {
                status = static_cast<uint8_t>(0x80 | channel);
                data1 = static_cast<uint8_t>(pick(20, 91));
                data2 = static_cast<uint8_t>(pick(0, 127));
            } else {
                status = static_cast<uint8_t>(0xB0 | channel);
                data1 = 123;
                data2 = 0;
            }
            midi.midiData[0] = static_cast<char>(status);
            midi.midiData[1] = static_cast<char>(data1);
            midi.midiData[2] = static_cast<char>(data2);
            list.events[e] = reinterpret_cast<VstEvent*>(&midi);
        }
        if (effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f) != 1)
            counts.refusedEvents.fetch_add(1);
        counts.events.fetch_add(count);

        // Frames the plug-in leaves unwritten would show up as NaN.
        for (auto& buffer : storage)
            std::fill(buffer.begin(), buffer.begin() + frames, std::numeric_limits<float>::quiet_NaN());
        effect->processReplacing(effect, inputs, outputs, frames);

        bool audible = false;
        long bad = 0;
        for (int o = 0; o < kOutputs; ++o)
            for (int32_t f = 0; f < frames; ++f) {
                const float value = storage[o][f];
                if (!std::isfinite(value)) ++bad;
                else if (value != 0.0f) audible = true;
            }
        counts.badFrames.fetch_add(bad);
        if (audible) counts.audibleBlocks.fetch_add(1);
        counts.blocks.fetch_add(1);
        ++blocks;
    }
    done.store(true);
}

void changeParameters(AEffect* effect, unsigned seed, const std::atomic<bool>& go,
                      const std::atomic<bool>& done, Counts& counts) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> index(0, kParamCount - 1);
    std::uniform_real_distribution<float> value(-0.25f, 1.25f);  // clamped by the plug-in
    while (!go.load()) std::this_thread::yield();
    for (long n = 0; n < kMaxEdits && !done.load(); ++n) {
        effect->setParameter(effect, index(rng), value(rng));
        counts.parameterCalls.fetch_add(1);
        std::this_thread::yield();
    }
}

void switchSamples(AEffect* effect, DrumSynth& synth, const std::atomic<bool>& go,
                   const std::atomic<bool>& done, Counts& counts) {
    static const float kRates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f};
    std::mt19937 rng(29);
    auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    while (!go.load()) std::this_thread::yield();
    for (long n = 0; n < kMaxEdits && !done.load(); ++n) {
        if (n % 4 == 0) {
            const int pad = pick(0, kPadCount - 1);
            const float rate = kRates[pick(0, 4)];
            if (pick(0, 9) == 0) {
                switchSample(synth, pad, nullptr, 0, rate);
            } else {
                const int32_t frames = pick(1, 30000);
                float* samples = makeSample(rng, frames);
                if (samples != nullptr) switchSample(synth, pad, samples, frames, rate);
            }
            counts.sampleSwitches.fetch_add(1);
        } else {
            effect->setParameter(effect, pick(0, kParamCount - 1), value(rng));
            counts.parameterCalls.fetch_add(1);
        }
        std::this_thread::yield();
    }
}

TEST(AudioEditStress, AudioThreadAgainstTwoEditingThreads) {
    AEffect* effect = createPlugin(hostCallback);
    ASSERT_NE(effect, nullptr);
    DrumSynth& synth = static_cast<zelVst*>(effect->object)->core();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    std::mt19937 rng(3);
    for (int p = 0; p < kPadCount; ++p) {
        const int32_t frames = 4410 * (1 + p % 5);
        float* samples = makeSample(rng, frames);
        ASSERT_NE(samples, nullptr);
        switchSample(synth, p, samples, frames, 44100.0f);
    }

    Counts counts;
    std::atomic<bool> go{false}, done{false};
    std::thread audio(playAudio, effect, std::cref(go), std::ref(done), std::ref(counts));
    std::thread host(changeParameters, effect, 17u, std::cref(go), std::cref(done),
                     std::ref(counts));
    std::thread editor(switchSamples, effect, std::ref(synth), std::cref(go), std::cref(done),
                       std::ref(counts));
    go.store(true);
    audio.join();
    host.join();
    editor.join();

    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    EXPECT_EQ(counts.badFrames.load(), 0) << "non-finite or unwritten output frames";
    EXPECT_EQ(counts.refusedEvents.load(), 0);
    // The run exercised all three sides.
    EXPECT_GT(counts.blocks.load(), 0);
    EXPECT_GT(counts.events.load(), 0);
    EXPECT_GT(counts.audibleBlocks.load(), 0);
    EXPECT_GT(counts.parameterCalls.load(), 0);
    EXPECT_GT(counts.sampleSwitches.load(), 0);
    std::printf("%ld blocks (%ld audible), %ld events, %ld parameter calls, %ld sample switches\n",
                counts.blocks.load(), counts.audibleBlocks.load(), counts.events.load(),
                counts.parameterCalls.load(), counts.sampleSwitches.load());
}

}  // namespace
