// How the plug-in turns one host block into engine calls: the real host
// binding, driven through the AEffect record as a host would, over recording
// doubles of renderBlock and noteEvent (EngineDoubles.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "EngineDoubles.h"
#include "EventBlock.h"
#include "host/zelVst.h"

namespace {

constexpr int kOutputs = 16;
constexpr int32_t kMaxFrames = 8192;
constexpr float kUntouched = -7.0f;  // what the host put in its buffers

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

struct Midi {
    int32_t delta;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
};

// A host's event list of the messages.
struct EventList {
    explicit EventList(const std::vector<Midi>& messages) : block(messages.size()) {
        std::vector<HostEvent> events;
        for (const Midi& message : messages)
            events.push_back({message.delta, message.status, message.data1, message.data2});
        list = block.fill(events);
    }
    VstEvents* header() { return list; }
    void replace(size_t i, VstEvent* event) { block.point(i, event); }

    EventBlock block;
    VstEvents* list;
};

std::string describe(const EngineCall& call) {
    char text[64];
    if (call.kind == EngineCall::Render)
        std::snprintf(text, sizeof text, "render %d+%d", call.position, call.length);
    else
        std::snprintf(text, sizeof text, "note %02X %d %d @%d", call.status, call.key, call.value,
                      call.position);
    return text;
}

std::vector<std::string> describe(const std::vector<EngineCall>& calls) {
    std::vector<std::string> out;
    for (const EngineCall& call : calls) out.push_back(describe(call));
    return out;
}

std::string render(int32_t position, int32_t length) {
    return describe(EngineCall{EngineCall::Render, position, length, 0, 0, 0});
}

std::string note(uint8_t status, int key, int value, int32_t position) {
    return describe(EngineCall{EngineCall::Note, position, 0, status, static_cast<int16_t>(key),
                               static_cast<int16_t>(value)});
}

using Calls = std::vector<std::string>;

class BlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& buffer : storage) buffer.assign(kMaxFrames, kUntouched);
        for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[o].data();
        for (auto& buffer : inputStorage) buffer.assign(kMaxFrames, 0.0f);
        for (int i = 0; i < 2; ++i) inputs[i] = inputStorage[i].data();
        engineLog.reset(outputs);

        effect = createPlugin(hostCallback);
        ASSERT_NE(effect, nullptr);
        ASSERT_EQ(effect->numOutputs, kOutputs);
        dispatch(effMainsChanged, 0, 1);
    }

    void TearDown() override {
        if (effect != nullptr) dispatch(effClose);
        engineLog.reset(nullptr);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    VstIntPtr send(const std::vector<Midi>& messages) {
        EventList list(messages);
        return dispatch(effProcessEvents, 0, 0, list.header());
    }

    // Fresh host buffers and a fresh log for the next block.
    void prepare() {
        for (auto& buffer : storage) std::fill(buffer.begin(), buffer.end(), kUntouched);
        engineLog.calls.clear();
        engineLog.startBlock(outputs);
    }

    void process(int32_t frames) {
        prepare();
        effect->processReplacing(effect, inputs, outputs, frames);
    }

    Calls calls() const { return describe(engineLog.calls); }

    // Every frame of the block holds what the render that covered it wrote,
    // 0 where no render covered it (a skipped span); the rest is the host's.
    void expectFramesAsRendered(int32_t frames) const {
        EXPECT_FALSE(engineLog.misplacedSpan);
        std::vector<float> expected(kMaxFrames, kUntouched);
        std::fill(expected.begin(), expected.begin() + frames, 0.0f);
        for (size_t c = 0; c < engineLog.calls.size(); ++c) {
            const EngineCall& call = engineLog.calls[c];
            if (call.kind != EngineCall::Render) continue;
            std::fill(expected.begin() + call.position,
                      expected.begin() + call.position + call.length, renderMark(c));
        }
        for (int o = 0; o < kOutputs; ++o)
            for (int32_t f = 0; f < kMaxFrames; ++f)
                if (storage[o][f] != expected[f]) {
                    ADD_FAILURE() << "output " << o << " frame " << f << " holds " << storage[o][f]
                                  << ", expected " << expected[f];
                    return;
                }
    }

    bool outputsUntouched() const {
        for (const auto& buffer : storage)
            for (float value : buffer)
                if (value != kUntouched) return false;
        return true;
    }

    AEffect* effect = nullptr;
    std::vector<float> storage[kOutputs];
    std::vector<float> inputStorage[2];
    float* outputs[kOutputs] = {};
    float* inputs[2] = {};
};

TEST_F(BlockTest, NotesFallBetweenTheSpansAtTheirFrames) {
    ASSERT_EQ(send({{0, 0x90, 36, 100}, {100, 0x90, 38, 90}, {100, 0x90, 40, 80}}), 1);
    process(512);
    EXPECT_EQ(calls(), (Calls{note(0x90, 36, 100, 0), render(0, 100), note(0x90, 38, 90, 100),
                              note(0x90, 40, 80, 100), render(100, 412)}));
    expectFramesAsRendered(512);

    // The queue drained: the next block is one plain span.
    process(512);
    EXPECT_EQ(calls(), (Calls{render(0, 512)}));
    expectFramesAsRendered(512);
}

TEST_F(BlockTest, LongStretchesRenderInSpansOfAtMost1024Frames) {
    const Calls fourSpans{render(0, 1024), render(1024, 1024), render(2048, 1024),
                          render(3072, 1024)};
    process(4096);
    EXPECT_EQ(calls(), fourSpans);
    expectFramesAsRendered(4096);

    // The host's block size does not reach the engine's span limit.
    dispatch(effSetBlockSize, 0, 4096);
    process(4096);
    EXPECT_EQ(calls(), fourSpans);
    expectFramesAsRendered(4096);

    ASSERT_EQ(send({{2500, 0x90, 36, 127}}), 1);
    process(3000);
    EXPECT_EQ(calls(), (Calls{render(0, 1024), render(1024, 1024), render(2048, 452),
                              note(0x90, 36, 127, 2500), render(2500, 500)}));
    expectFramesAsRendered(3000);

    process(1);
    EXPECT_EQ(calls(), (Calls{render(0, 1)}));
}

TEST_F(BlockTest, EventsAtOrPastTheEndFollowTheLastFrameInQueueOrder) {
    ASSERT_EQ(send({{10, 0x90, 40, 1},
                    {255, 0x90, 44, 5},  // the last frame: still inside
                    {1000, 0x90, 41, 2},
                    {256, 0x90, 42, 3},
                    {300, 0x80, 43, 4}}),
              1);
    process(256);
    EXPECT_EQ(calls(), (Calls{render(0, 10), note(0x90, 40, 1, 10), render(10, 245),
                              note(0x90, 44, 5, 255), render(255, 1), note(0x90, 41, 2, 256),
                              note(0x90, 42, 3, 256), note(0x80, 43, 4, 256)}));
    expectFramesAsRendered(256);

    process(128);
    EXPECT_EQ(calls(), (Calls{render(0, 128)}));
}

TEST_F(BlockTest, TwoEventCallsBeforeOneBlockPlayInArrivalOrder) {
    ASSERT_EQ(send({{0, 0x90, 50, 1}, {200, 0x90, 51, 2}}), 1);
    ASSERT_EQ(send({{50, 0x90, 52, 3}, {300, 0x90, 53, 4}}), 1);
    process(400);
    // The entry at 50 arrives after one at 200: it plays where the block got to.
    EXPECT_EQ(calls(), (Calls{note(0x90, 50, 1, 0), render(0, 200), note(0x90, 51, 2, 200),
                              note(0x90, 52, 3, 200), render(200, 100), note(0x90, 53, 4, 300),
                              render(300, 100)}));
    expectFramesAsRendered(400);
}

TEST_F(BlockTest, NegativeOffsetsPlayAtTheCurrentFrame) {
    ASSERT_EQ(send({{-5, 0x90, 60, 1}, {64, 0x90, 61, 2}, {-1, 0x90, 62, 3}}), 1);
    process(128);
    EXPECT_EQ(calls(), (Calls{note(0x90, 60, 1, 0), render(0, 64), note(0x90, 61, 2, 64),
                              note(0x90, 62, 3, 64), render(64, 64)}));
}

TEST_F(BlockTest, AllNotesOffReleasesTheKeysHeldOnItsChannelOnly) {
    // MIDI channel 3 is status nibble 2.
    ASSERT_EQ(send({{0, 0x92, 50, 100},
                    {0, 0x92, 36, 90},
                    {0, 0x92, 40, 80},
                    {0, 0x92, 44, 70},
                    {0, 0x82, 40, 64},  // released by a note-off
                    {0, 0x92, 44, 0},   // released by a note-on of velocity 0
                    {0, 0x93, 38, 100},
                    {0, 0x91, 39, 100},
                    {0, 0xB2, 123, 0}}),
              1);
    process(64);
    EXPECT_EQ(calls(), (Calls{note(0x90, 50, 100, 0), note(0x90, 36, 90, 0), note(0x90, 40, 80, 0),
                              note(0x90, 44, 70, 0), note(0x80, 40, 64, 0), note(0x90, 44, 0, 0),
                              note(0x90, 38, 100, 0), note(0x90, 39, 100, 0),
                              // key order, then the controller itself
                              note(0x80, 36, 0, 0), note(0x80, 50, 0, 0), note(0xB0, 123, 0, 0),
                              render(0, 64)}));

    // Channel 3 is clear now; channels 4 and 2 still hold their keys, and 120
    // releases like 123.
    ASSERT_EQ(send({{0, 0xB2, 123, 0}, {0, 0xB3, 123, 0}, {0, 0xB1, 120, 0}}), 1);
    process(64);
    EXPECT_EQ(calls(), (Calls{note(0xB0, 123, 0, 0), note(0x80, 38, 0, 0), note(0xB0, 123, 0, 0),
                              note(0x80, 39, 0, 0), note(0xB0, 120, 0, 0), render(0, 64)}));
}

TEST_F(BlockTest, AllNotesOffOnAnotherChannelLeavesANoteHeld) {
    ASSERT_EQ(send({{0, 0x90, 36, 100}, {10, 0xB1, 123, 0}}), 1);
    process(32);
    EXPECT_EQ(calls(), (Calls{note(0x90, 36, 100, 0), render(0, 10), note(0xB0, 123, 0, 10),
                              render(10, 22)}));

    ASSERT_EQ(send({{5, 0xB0, 120, 0}}), 1);
    process(32);
    EXPECT_EQ(calls(), (Calls{render(0, 5), note(0x80, 36, 0, 5), note(0xB0, 120, 0, 5),
                              render(5, 27)}));
}

TEST_F(BlockTest, SystemMessagesAndNonDataBytesNeverReachTheEngine) {
    ASSERT_EQ(send({{0, 0xF0, 0x7E, 0x01},
                    {0, 0xF2, 0x10, 0x20},
                    {0, 0xF8, 0, 0},
                    {0, 0xFE, 0, 0},
                    {0, 0xFF, 0, 0},
                    {0, 0x40, 0x40, 0x40},       // a stray data byte as status
                    {0, 0x90, 0x80 | 36, 100},   // key with its top bit set
                    {0, 0x90, 38, 0x80 | 100},   // velocity with its top bit set
                    {0, 0xB0, 0x80 | 123, 0},    // controller number with its top bit set
                    {0, 0x90, 37, 100}}),
              1);
    process(16);
    EXPECT_EQ(calls(), (Calls{note(0x90, 37, 100, 0), render(0, 16)}));

    // Only key 37 was recorded as held: all notes off on every channel
    // releases it alone.
    std::vector<Midi> allNotesOff;
    for (int channel = 0; channel < 16; ++channel)
        allNotesOff.push_back({0, static_cast<uint8_t>(0xB0 | channel), 123, 0});
    ASSERT_EQ(send(allNotesOff), 1);
    process(16);
    Calls expected = {note(0x80, 37, 0, 0)};
    for (int channel = 0; channel < 16; ++channel) expected.push_back(note(0xB0, 123, 0, 0));
    expected.push_back(render(0, 16));
    EXPECT_EQ(calls(), expected);
}

TEST_F(BlockTest, SysExEventsAreSkipped) {
    EventList list({{0, 0x90, 36, 100}, {0, 0, 0, 0}, {0, 0x90, 38, 100}});
    // A system-exclusive event whose bytes, read as a VstMidiEvent, would be a
    // note-on: only its type tells it apart.
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.data[offsetof(VstMidiEvent, midiData) - offsetof(VstEvent, data)] = static_cast<char>(0x90);
    sysex.data[offsetof(VstMidiEvent, midiData) - offsetof(VstEvent, data) + 1] = 45;
    sysex.data[offsetof(VstMidiEvent, midiData) - offsetof(VstEvent, data) + 2] = 100;
    list.replace(1, &sysex);
    ASSERT_EQ(dispatch(effProcessEvents, 0, 0, list.header()), 1);
    process(16);
    EXPECT_EQ(calls(), (Calls{note(0x90, 36, 100, 0), note(0x90, 38, 100, 0), render(0, 16)}));
}

TEST_F(BlockTest, SuspendedPluginTakesNoEventsAndWritesNothing) {
    dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(send({{0, 0x90, 36, 100}}), 0);
    process(512);
    EXPECT_EQ(calls(), Calls{});
    EXPECT_TRUE(outputsUntouched());

    // The events offered while suspended were dropped.
    dispatch(effMainsChanged, 0, 1);
    process(512);
    EXPECT_EQ(calls(), (Calls{render(0, 512)}));

    // Events taken before a suspension wait for the block after the resume.
    ASSERT_EQ(send({{0, 0x90, 38, 100}}), 1);
    dispatch(effMainsChanged, 0, 0);
    process(512);
    EXPECT_EQ(calls(), Calls{});
    EXPECT_TRUE(outputsUntouched());
    dispatch(effMainsChanged, 0, 1);
    process(512);
    EXPECT_EQ(calls(), (Calls{note(0x90, 38, 100, 0), render(0, 512)}));
}

TEST_F(BlockTest, MoreEventsThanTheQueueHeldAreAllPlayed) {
    constexpr int32_t kFrames = 4096;
    std::vector<Midi> first, second;
    for (int i = 0; i < 2000; ++i)
        first.push_back({2 * i, 0x90, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(1 + i % 127)});
    for (int i = 0; i < 600; ++i)
        second.push_back({6 * i, 0x80, static_cast<uint8_t>((i * 7) % 128), static_cast<uint8_t>(i % 128)});
    ASSERT_EQ(send(first), 1);
    ASSERT_EQ(send(second), 1);
    process(kFrames);

    std::vector<std::string> expected;
    int32_t reached = 0;
    for (const auto* list : {&first, &second})
        for (const Midi& m : *list) {
            reached = std::max(reached, std::min(m.delta, kFrames));
            expected.push_back(note(m.status & 0xF0, m.data1, m.data2, reached));
        }
    EXPECT_EQ(describe(engineLog.notes()), expected);

    int32_t rendered = 0;
    for (const EngineCall& span : engineLog.renders()) {
        EXPECT_EQ(span.position, rendered);
        EXPECT_GE(span.length, 1);
        EXPECT_LE(span.length, 1024);
        rendered += span.length;
    }
    EXPECT_EQ(rendered, kFrames);
    expectFramesAsRendered(kFrames);

    process(64);
    EXPECT_EQ(calls(), (Calls{render(0, 64)}));
}

TEST_F(BlockTest, NullPointersTouchNothing) {
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, nullptr), 0);
    process(32);
    EXPECT_EQ(calls(), (Calls{render(0, 32)}));

    EventList list({{0, 0x90, 36, 1}, {0, 0x90, 37, 2}, {0, 0x90, 38, 3}});
    list.replace(1, nullptr);
    ASSERT_EQ(dispatch(effProcessEvents, 0, 0, list.header()), 1);
    process(32);
    EXPECT_EQ(calls(), (Calls{note(0x90, 36, 1, 0), note(0x90, 38, 3, 0), render(0, 32)}));

    // Blocks the plug-in cannot write to leave the queued event for a real one.
    ASSERT_EQ(send({{4, 0x90, 40, 4}}), 1);
    prepare();
    effect->processReplacing(effect, inputs, nullptr, 32);
    EXPECT_EQ(calls(), Calls{});
    float* holed[kOutputs];
    std::copy(outputs, outputs + kOutputs, holed);
    holed[5] = nullptr;
    effect->processReplacing(effect, inputs, holed, 32);
    EXPECT_EQ(calls(), Calls{});
    EXPECT_TRUE(outputsUntouched());
    holed[5] = outputs[5];
    holed[kOutputs - 1] = nullptr;
    effect->processReplacing(effect, inputs, holed, 32);
    EXPECT_EQ(calls(), Calls{});
    EXPECT_TRUE(outputsUntouched());
    for (int32_t frames : {0, -1, -4096}) {
        effect->processReplacing(effect, inputs, outputs, frames);
        EXPECT_EQ(calls(), Calls{});
        EXPECT_TRUE(outputsUntouched());
    }
    process(32);
    EXPECT_EQ(calls(), (Calls{render(0, 4), note(0x90, 40, 4, 4), render(4, 28)}));
}

// A canonical mono 16-bit WAV file of frames samples of noise.
std::vector<uint8_t> noiseWav(int32_t frames) {
    std::vector<uint8_t> wav(44 + 2 * size_t(frames));
    const uint32_t header[11] = {0x46464952, uint32_t(36 + 2 * frames), 0x45564157, 0x20746d66, 16,
                                 0x00010001, 44100, 88200, 0x00100002, 0x61746164, uint32_t(2 * frames)};
    std::memcpy(wav.data(), header, sizeof header);
    uint32_t seed = 1;
    for (size_t i = 44; i < wav.size(); ++i) wav[i] = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
    return wav;
}

// While another thread restores a 2 MB kit and sets parameters over and
// over, every block is played whole: no span falls silent or waits.
TEST_F(BlockTest, NoSpanIsSkippedWhileAnotherThreadEdits) {
    const std::vector<uint8_t> wav = noiseWav(1000000);
    zelVst& plugin = *static_cast<zelVst*>(effect->object);
    ASSERT_EQ(plugin.core().loadSampleBytes(3, wav.data(), int64_t(wav.size()), "noise.wav"), "");
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    ASSERT_GT(size, 2000000);
    const std::vector<uint8_t> kit(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

    std::atomic<bool> stop{false};
    std::atomic<long> restores{0};
    std::thread editor([&] {
        for (int round = 0; !stop.load(); ++round) {
            dispatch(effSetChunk, 0, VstIntPtr(kit.size()), const_cast<uint8_t*>(kit.data()));
            effect->setParameter(effect, round % 240, float(round % 7) / 7.0f);
            restores.fetch_add(1);
        }
    });
    const Calls whole = {render(0, 100), note(0x90, 36, 100, 100), render(100, 1024), render(1124, 1024),
                         render(2148, 924)};
    for (int block = 0; block < 300 || restores.load() < 3; ++block) {
        ASSERT_EQ(send({{100, 0x90, 36, 100}}), 1);
        process(3072);
        ASSERT_EQ(calls(), whole) << "block " << block;
        expectFramesAsRendered(3072);
    }
    stop.store(true);
    editor.join();
}

}  // namespace
