// Kits in and out of a built plug-in binary through effGetChunk and
// effSetChunk, and what they sound like: MIDI through effProcessEvents and
// processReplacing, every output compared with a recorded fingerprint, and
// where each voice sounds and how it starts, worked out by hand. The kits
// are crafted byte by byte (PatchBytes), never made by the plug-in's own code.
// The binary's path is the program's one argument: the .so natively, the
// DLL under wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "AudioFingerprint.h"
#include "PatchBytes.h"
#include "PluginUnderTest.h"
#include "VstHost.h"

namespace {

using patchbytes::Kit;
using patchbytes::PadSettings;
using patchbytes::Slot;
using vsthost::Audio;
using vsthost::MidiEvent;

constexpr float kRate = 44100.0f;
constexpr int kParams = 240;
constexpr int kOutputs = 16;

// An instance set up as a host does before it plays.
std::unique_ptr<vsthost::Effect> newInstance() {
    AEffect* record = library != nullptr ? library->create() : nullptr;
    if (record == nullptr) return nullptr;
    auto effect = std::make_unique<vsthost::Effect>(record);
    effect->dispatch(effOpen);
    effect->dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
    effect->dispatch(effSetBlockSize, 0, 512);
    return effect;
}

// A copy of the chunk the plug-in hands out; empty when it gives none.
std::vector<uint8_t> getChunk(vsthost::Effect& effect, VstInt32 index = 0) {
    void* data = nullptr;
    const VstIntPtr size = effect.dispatch(effGetChunk, index, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

// The bytes from the host's own buffer, as a host restores a saved song.
VstIntPtr setChunk(vsthost::Effect& effect, std::vector<uint8_t> bytes) {
    return effect.dispatch(effSetChunk, 0, VstIntPtr(bytes.size()), bytes.data());
}

// Everything a host can see of the instrument without playing it.
struct Snapshot {
    std::vector<uint8_t> chunk;
    std::vector<std::string> displays;
    std::vector<float> values;
};

Snapshot snapshot(vsthost::Effect& effect) {
    Snapshot state;
    state.chunk = getChunk(effect);
    for (VstInt32 index = 0; index < kParams; ++index) {
        state.displays.push_back(effect.text(effGetParamDisplay, index));
        state.values.push_back(effect.getParameter(index));
    }
    return state;
}

void expectSameSnapshot(const Snapshot& after, const Snapshot& before, const std::string& what) {
    EXPECT_TRUE(after.chunk == before.chunk) << what << ": the chunk changed";
    for (int index = 0; index < kParams; ++index) {
        EXPECT_EQ(after.displays[index], before.displays[index]) << what << ", parameter " << index;
        EXPECT_EQ(after.values[index], before.values[index]) << what << ", parameter " << index;
    }
}

void expectSamePad(const PadSettings& actual, const PadSettings& expected, int pad) {
    SCOPED_TRACE("pad record " + std::to_string(pad));
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.fileName, expected.fileName);
    EXPECT_EQ(actual.volume, expected.volume);
    EXPECT_EQ(actual.pan, expected.pan);
    EXPECT_EQ(actual.pitch, expected.pitch);
    EXPECT_EQ(actual.pitchX, expected.pitchX);
    EXPECT_EQ(actual.highCut, expected.highCut);
    EXPECT_EQ(actual.midFreq, expected.midFreq);
    EXPECT_EQ(actual.midGain, expected.midGain);
    EXPECT_EQ(actual.lowCut, expected.lowCut);
    EXPECT_EQ(actual.note, expected.note);
    EXPECT_EQ(actual.rateIndex, expected.rateIndex);
    EXPECT_EQ(actual.bitIndex, expected.bitIndex);
    EXPECT_EQ(actual.group, expected.group);
    EXPECT_EQ(actual.channel, expected.channel);
    EXPECT_EQ(actual.slotSize, expected.slotSize);
    EXPECT_EQ(actual.slotNumber, expected.slotNumber);
}

// --- The kit -----------------------------------------------------------------

// Noise under a falling envelope, full scale at the start, with the extreme
// values of the width first; every neighbour differs, so a read of the wrong
// index shows.
std::vector<int32_t> testSignal(size_t count, uint32_t seed, int width) {
    const int64_t top = (int64_t(1) << (8 * width - 1)) - 1;
    std::vector<int32_t> values = {int32_t(-top - 1), int32_t(top), -1, 0, 1};
    uint32_t state = seed;
    while (values.size() < count) {
        state = state * 1664525u + 1013904223u;
        // The top bits of the generator, as a signed value of the width.
        const int64_t noise = int64_t(int32_t(state)) >> (32 - 8 * width);
        const int64_t left = int64_t(count - values.size());
        values.push_back(int32_t(noise * left / int64_t(count)));
    }
    return values;
}

// Pad 0 "Bass" (key 36): 16-bit at 44100 Hz, on output pair 2 (channel 1).
// Pad 3 "Close" (key 42): 16-bit at 44100 Hz, panned hard left on pair 1.
// Pad 5 "Open" (key 46): 32-bit at 22050 Hz at pitch 0.75, held at 6000 Hz,
// cut to 9 bits, at volume 1.5, panned to 0.25, on the last pair.
// The slots' sizes sit in the records of pads 0, 1 and 2 (slot k is
// described by pad k - 1), whichever pads play them.
Kit playbackKit() {
    Kit kit;
    Slot bass, hat, open;
    bass.values = testSignal(27000, 1, 2);
    hat.values = testSignal(3000, 2, 2);
    open.sampleRate = 22050;
    open.width = 4;
    open.values = testSignal(4000, 3, 4);
    kit.slots = {bass, hat, open};

    kit.pads[0].fileName = "bass.wav";
    kit.pads[0].slotNumber = 1;
    kit.pads[0].channel = 1;
    kit.pads[3].fileName = "hat.wav";
    kit.pads[3].slotNumber = 2;
    kit.pads[3].pan = 0.0f;
    PadSettings& pad5 = kit.pads[5];
    pad5.fileName = "open.wav";
    pad5.slotNumber = 3;
    pad5.pitch = 0.75f;
    pad5.rateIndex = 4;
    pad5.bitIndex = 7;
    pad5.volume = 1.5f;
    pad5.pan = 0.25f;
    pad5.channel = 7;
    return kit;
}

// Hits at chosen frames, some on the last frame of a host block, with
// messages in between that must not change the sound.
std::vector<MidiEvent> playbackMidi() {
    return {
        {0, 0x90, 42, 100},     // pad 3: its first voice is negative
        {0, 0x91, 36, 127},     // pad 0, on MIDI channel 2: the channel plays no part
        {700, 0x80, 42, 64},    // a release never stops a one-shot
        {1023, 0x99, 46, 64},   // pad 5 on the last frame of a 512 block and a 1024 sub-block
        {2000, 0xE0, 0, 100},   // pitch bend: nothing
        {3000, 0x90, 36, 90},   // pad 0 again within half a second: a roll that chokes the first
        {5119, 0x90, 42, 1},    // pad 3, softest, on a block's last frame: positive
        {5119, 0x90, 37, 127},  // pad 1 has no sample
        {6000, 0x90, 42, 0},    // velocity 0 releases
        {8000, 0xB0, 123, 0},   // all notes off: releases only
        {11000, 0x99, 46, 127}, // pad 5 again while it sounds
        {25050, 0x90, 36, 33},  // pad 0 exactly half a second on: a choke without roll
    };
}

constexpr int64_t kPlaybackFrames = 53000;

// --- The recorded sound --------------------------------------------------

// playbackMidi on playbackKit, output by output: fingerprints taken from the
// binary while it matched, sample for sample, a model of the voice chain
// written from its definition. The kit runs no filters, so the DLL, whose
// sine and cosine differ, matches them to the bit too. The outputs not
// listed are silent.
struct RecordedOutput {
    int output;
    uint64_t fingerprint;
    const char* what;
};
const RecordedOutput kPlaybackSound[] = {
    {0, 0x07a3b4c1f8fbf902ull, "pad 3, hard left"},
    {2, 0x063a2736042fcce5ull, "pad 0, centred"},
    {3, 0x063a2736042fcce5ull, "pad 0, centred"},
    {14, 0x0d07d344063c1ee9ull, "pad 5, left"},
    {15, 0xe125c0be5e426b24ull, "pad 5, right"},
};

// The runs of frames in which a channel is not silent, first and last.
using Spans = std::vector<std::pair<int64_t, int64_t>>;
Spans soundingSpans(const std::vector<float>& channel) {
    Spans spans;
    for (size_t i = 0; i < channel.size(); ++i) {
        if (channel[i] == 0.0f) continue;
        if (spans.empty() || spans.back().second != int64_t(i) - 1) spans.push_back({int64_t(i), 0});
        spans.back().second = int64_t(i);
    }
    return spans;
}

// Names every output that differs from the recording.
testing::AssertionResult soundsAsRecorded(const Audio& audio) {
    if (audio.channels.size() != size_t(kOutputs) || audio.frames() != kPlaybackFrames)
        return testing::AssertionFailure()
               << audio.channels.size() << " outputs of " << audio.frames() << " frames";
    std::ostringstream wrong;
    for (int o = 0; o < kOutputs; ++o) {
        const std::vector<float>& channel = audio.channels[size_t(o)];
        const RecordedOutput* recorded =
            std::find_if(std::begin(kPlaybackSound), std::end(kPlaybackSound),
                         [o](const RecordedOutput& r) { return r.output == o; });
        if (recorded == std::end(kPlaybackSound)) {
            if (!soundingSpans(channel).empty()) wrong << "\noutput " << o << " sounds";
            continue;
        }
        const uint64_t actual = fingerprint::ofChannel(channel);
        if (actual != recorded->fingerprint)
            wrong << "\noutput " << o << " (" << recorded->what << "): fingerprint 0x" << std::hex
                  << actual << std::dec;
    }
    if (wrong.str().empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "differs from the recording:" << wrong.str();
}

Audio play(vsthost::Effect& effect, int64_t frames, VstInt32 block,
           const std::vector<MidiEvent>& events) {
    effect.dispatch(effMainsChanged, 0, 1);
    Audio audio = vsthost::render(effect, frames, block, events);
    effect.dispatch(effMainsChanged, 0, 0);
    return audio;
}

class Chunk : public testing::Test {
protected:
    void SetUp() override {
        effect = newInstance();
        ASSERT_NE(effect, nullptr) << "VSTPluginMain made no instance of " << pluginPath;
    }
    std::unique_ptr<vsthost::Effect> effect;
};

using Playback = Chunk;

// --- Chunks ----------------------------------------------------------------

TEST_F(Chunk, FreshImageIsTheFixedPartWithDefaultPads) {
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(effect->dispatch(effGetChunk, 0, 0, &first), 9372);
    EXPECT_EQ(effect->dispatch(effGetChunk, 1, 0, &second), 9372);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    const std::vector<uint8_t> image = getChunk(*effect, 0);
    ASSERT_EQ(image.size(), 9372u);
    EXPECT_TRUE(getChunk(*effect, 1) == image) << "the bank flag changes nothing";

    const uint8_t header[28] = {1,    0,    0,    0,    'z', 'e', 'l', '0', '0', '1',
                                0,    0,    0,    0,    0,   0,   0,   0,   0,   0,
                                0x9C, 0x24, 0x00, 0x00, 0x63, 0xDB, 0xFF, 0xFF};
    for (size_t i = 0; i < sizeof header; ++i) {
        if (i > 10 && i < 20) continue;  // the bytes after the name's NUL are not defined
        EXPECT_EQ(image[i], header[i]) << "header byte " << i;
    }
    EXPECT_EQ(patchbytes::readI32(image, patchbytes::kMarkerAt), 1);
    EXPECT_EQ(patchbytes::readI32(image, patchbytes::kTotalSizeAt), 0x249C);
    EXPECT_EQ(uint32_t(patchbytes::readI32(image, patchbytes::kSizeCheckAt)), 0xFFFFDB63u);
    for (int p = 0; p < patchbytes::kPads; ++p)
        expectSamePad(patchbytes::readPad(image, p), patchbytes::defaultPad(p), p);
}

TEST_F(Chunk, FreshImageHandedBackChangesNothing) {
    const Snapshot before = snapshot(*effect);
    ASSERT_EQ(before.chunk.size(), 9372u);
    EXPECT_EQ(setChunk(*effect, before.chunk), 9372);
    expectSameSnapshot(snapshot(*effect), before, "a copy handed back");

    // Some hosts hand back the very buffer they were given.
    void* own = nullptr;
    const VstIntPtr size = effect->dispatch(effGetChunk, 0, 0, &own);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(effect->dispatch(effSetChunk, 0, size, own), 9372);
    expectSameSnapshot(snapshot(*effect), before, "its own buffer handed back");
}

TEST_F(Chunk, CraftedKitComesBackByteForByte) {
    const Kit kit = playbackKit();
    const std::vector<uint8_t> sent = patchbytes::encode(kit);
    ASSERT_EQ(sent.size(), 9372u + 54044 + 6044 + 16044);
    EXPECT_EQ(setChunk(*effect, sent), VstIntPtr(sent.size()));
    const std::vector<uint8_t> back = getChunk(*effect);
    EXPECT_TRUE(back == sent) << "the chunk differs from the kit handed over";
    for (int p = 0; p < patchbytes::kPads; ++p)
        expectSamePad(patchbytes::readPad(back, p), patchbytes::readPad(sent, p), p);

    // The host sees the kit's settings.
    EXPECT_EQ(effect->text(effGetParamDisplay, 0 * 15 + 13), "2");     // pad 0 channel
    EXPECT_EQ(effect->text(effGetParamDisplay, 3 * 15 + 3), "-100");   // pad 3 pan
    EXPECT_EQ(effect->text(effGetParamDisplay, 5 * 15 + 2), "150");    // pad 5 volume
    EXPECT_EQ(effect->text(effGetParamDisplay, 5 * 15 + 3), "-50");    // pad 5 pan
    EXPECT_EQ(effect->text(effGetParamDisplay, 5 * 15 + 4), "75");     // pad 5 pitch
    EXPECT_EQ(effect->text(effGetParamDisplay, 5 * 15 + 9), "  6");    // pad 5 hold rate
    EXPECT_EQ(effect->text(effGetParamDisplay, 5 * 15 + 10), "9bit");  // pad 5 bit depth
    EXPECT_EQ(effect->text(effGetParamDisplay, 5 * 15 + 13), "8");     // pad 5 channel
    EXPECT_EQ(effect->getParameter(5 * 15 + 13), 7 * 0.14285715f);

    // A later marker, another build's name and filled reserved bytes are
    // taken; the writer stamps its own marker and name and keeps the rest.
    Kit other = kit;
    other.formatMarker = 2;
    other.effectName = "zel000";
    for (size_t i = 0; i < other.reserved.size(); ++i) other.reserved[i] = uint8_t(0xA5 ^ i);
    const std::vector<uint8_t> variant = patchbytes::encode(other);
    auto fresh = newInstance();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(setChunk(*fresh, variant), VstIntPtr(variant.size()));
    std::vector<uint8_t> expected = variant;
    patchbytes::writeI32(expected, patchbytes::kMarkerAt, 1);
    std::memcpy(&expected[patchbytes::kEffectNameAt], "zel001", 7);
    EXPECT_TRUE(getChunk(*fresh) == expected) << "only the marker and the name may change";
}

TEST_F(Chunk, DamagedBlocksAreRefusedAndChangeNothing) {
    const Kit kit = playbackKit();
    const std::vector<uint8_t> good = patchbytes::encode(kit);
    ASSERT_EQ(setChunk(*effect, good), VstIntPtr(good.size()));
    const Snapshot before = snapshot(*effect);

    struct Damaged {
        std::string what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Damaged> blocks;
    for (int bit = 0; bit < 32; ++bit)
        for (size_t at : {patchbytes::kTotalSizeAt, patchbytes::kSizeCheckAt}) {
            std::vector<uint8_t> bytes = good;
            bytes[at + size_t(bit / 8)] ^= uint8_t(1u << (bit % 8));
            blocks.push_back({(at == patchbytes::kTotalSizeAt ? "totalSize bit " : "sizeCheck bit ") +
                                  std::to_string(bit),
                              bytes});
        }
    // Shorter than the fixed part, with size fields that agree with the length.
    for (size_t length : {size_t(9371), size_t(28)}) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + std::ptrdiff_t(length));
        patchbytes::writeI32(bytes, patchbytes::kTotalSizeAt, int32_t(length));
        patchbytes::writeI32(bytes, patchbytes::kSizeCheckAt, ~int32_t(length));
        blocks.push_back({std::to_string(length) + " bytes", bytes});
    }
    // A length that disagrees with totalSize.
    blocks.push_back({"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    blocks.push_back({"one byte long", longer});
    // An output pair the instrument does not have.
    for (int channel : {8, 9}) {
        Kit bad = kit;
        bad.pads[3].channel = channel;
        blocks.push_back({"channel " + std::to_string(channel), patchbytes::encode(bad)});
    }

    for (const Damaged& block : blocks) {
        EXPECT_EQ(setChunk(*effect, block.bytes), 0) << block.what;
        expectSameSnapshot(snapshot(*effect), before, block.what);
    }
    EXPECT_EQ(effect->dispatch(effSetChunk, 0, 0, const_cast<uint8_t*>(good.data())), 0)
        << "no bytes";

    // The samples survived the refusals too.
    EXPECT_TRUE(soundsAsRecorded(play(*effect, kPlaybackFrames, 512, playbackMidi())));
}

// --- Playback --------------------------------------------------------------

TEST_F(Playback, KitPlaysAsRecorded) {
    const Kit kit = playbackKit();
    ASSERT_EQ(setChunk(*effect, patchbytes::encode(kit)), VstIntPtr(patchbytes::encode(kit).size()));
    const Audio actual = play(*effect, kPlaybackFrames, 512, playbackMidi());
    EXPECT_TRUE(soundsAsRecorded(actual));
    ASSERT_EQ(actual.channels.size(), size_t(kOutputs));
    ASSERT_EQ(actual.frames(), kPlaybackFrames);

    // Each voice sounds from its hit to the frame before its position passes
    // the sample's end (a voice advances, then reads).
    // Pad 3: 3000 frames at a step of 1, the second hit on a block's last frame.
    EXPECT_EQ(soundingSpans(actual.channels[0]), (Spans{{0, 2998}, {5119, 8117}}));
    // Pad 0: until its last hit reaches position 27000, 26999 frames after 25050.
    EXPECT_EQ(soundingSpans(actual.channels[2]), (Spans{{0, 52048}}));
    // Pad 5: 22050 Hz x 0.75 / 44100 = 0.375 a frame, so its 4000 frames
    // sound for 10666; the second hit's, from 11000, outlast the first.
    EXPECT_EQ(soundingSpans(actual.channels[14]), (Spans{{1023, 21665}}));

    // First frames. Pad 3: the hold lag reads sample 0, the smoother halves
    // it, velocity 100 scales it and the first voice is negative.
    const float first = float(kit.slots[1].values[0]) / 32768.0f;
    EXPECT_EQ(actual.channels[0][0], (first * 0.5f) * (100.0f * (1.0f / 127.0f) * -1.0f));
    // Pad 5: its first value is full scale negative (-1, on 9 bits too),
    // halved, at velocity 64 negative: 0.5 x 64/127, then (1 - 0.25) x 1.5
    // on the left and 0.25 x 1.5 on the right.
    EXPECT_FLOAT_EQ(actual.channels[14][1023], 0.28346457f);
    EXPECT_FLOAT_EQ(actual.channels[15][1023], 0.09448819f);
}

TEST_F(Playback, HostBlocksDoNotChangeTheSound) {
    const std::vector<uint8_t> chunk = patchbytes::encode(playbackKit());
    // 97 splits the stream at odd places; 4096 is cut into 1024-frame sub-blocks.
    for (VstInt32 block : {97, 4096}) {
        auto instance = newInstance();
        ASSERT_NE(instance, nullptr);
        ASSERT_EQ(setChunk(*instance, chunk), VstIntPtr(chunk.size()));
        EXPECT_TRUE(soundsAsRecorded(play(*instance, kPlaybackFrames, block, playbackMidi())))
            << "host blocks of " << block;
    }
}

TEST_F(Playback, ChunkHandedBackIsTheSameInstrument) {
    const std::vector<uint8_t> chunk = patchbytes::encode(playbackKit());
    ASSERT_EQ(setChunk(*effect, chunk), VstIntPtr(chunk.size()));
    const Snapshot original = snapshot(*effect);

    auto restored = newInstance();
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(setChunk(*restored, original.chunk), VstIntPtr(original.chunk.size()));
    expectSameSnapshot(snapshot(*restored), original, "restored from the chunk");
    EXPECT_TRUE(soundsAsRecorded(play(*restored, kPlaybackFrames, 512, playbackMidi())));
}

}  // namespace
