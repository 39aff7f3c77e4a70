// Kits in and out of a built plug-in binary through effGetChunk and
// effSetChunk, and what they sound like: MIDI through effProcessEvents and
// processReplacing, every output sample compared with a small reference of
// one voice's chain written here from its definition. The kits are crafted
// byte by byte (PatchBytes), never made by the plug-in's own code.
// The binary's path is the program's one argument: the .so natively, the
// DLL under wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "PatchBytes.h"
#include "PluginUnderTest.h"
#include "VstHost.h"

namespace {

using patchbytes::Kit;
using patchbytes::PadSettings;
using patchbytes::Slot;
using vsthost::Audio;
using vsthost::MidiEvent;

#ifdef _WIN32
// The DLL is built by another compiler against another C library.
constexpr float kTolerance = 1e-6f;
#else
constexpr float kTolerance = 0.0f;  // the .so must match to the bit
#endif

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

// --- The reference ---------------------------------------------------------

const float kHoldRates[16] = {1000,  2000,  3000,  4000,  6000,   8000,   12000,  16000,
                              20000, 24000, 32000, 44100, 56000, 96000, 128000, 192000};

struct RefPad {
    std::vector<float> samples;  // empty: the pad has none
    float sampleRate = 0.0f, pitch = 1.0f, volume = 1.0f, pan = 0.5f;
    int note = 0, rateIndex = 15, bitIndex = 22, group = 0, channel = 0;
};

// A stored W-byte value as the instrument plays it: the top W bytes of a
// 32-bit word, read as a signed fraction of 2^31.
float decodedValue(int32_t value, int width) {
    const uint32_t word = uint32_t(value) << (32 - 8 * width);
    return float(int32_t(word)) * 0x1p-31f;
}

// The pads of a kit as the reference plays them. The reference covers the
// chain without filters and without Pitch-X (no velocity bend, no roll fade-in).
std::vector<RefPad> referencePads(const Kit& kit) {
    std::vector<RefPad> pads(patchbytes::kPads);
    for (int p = 0; p < patchbytes::kPads; ++p) {
        const PadSettings& settings = kit.pads[p];
        RefPad& pad = pads[p];
        pad.pitch = settings.pitch;
        pad.volume = settings.volume;
        pad.pan = settings.pan;
        pad.note = settings.note;
        pad.rateIndex = settings.rateIndex;
        pad.bitIndex = settings.bitIndex;
        pad.group = settings.group;
        pad.channel = settings.channel;
        if (settings.fileName.empty() || settings.slotNumber == 0) continue;
        EXPECT_EQ(settings.pitchX, 0.0f) << "pad " << p << ": outside the reference";
        EXPECT_TRUE(settings.lowCut <= 10.0f && settings.midFreq <= 10.0f &&
                    settings.highCut >= 30000.0f)
            << "pad " << p << ": the reference runs no filters";
        const Slot& slot = kit.slots.at(size_t(settings.slotNumber - 1));
        pad.sampleRate = float(slot.sampleRate);
        for (int32_t value : slot.values) pad.samples.push_back(decodedValue(value, slot.width));
    }
    return pads;
}

struct RefVoice {
    int pad = -1;  // -1: the slot is free
    float position = 0.0f, pitchFactor = 1.0f, glideStep = 0.0f, fadeOut = 0.0f;
    float smooth = 0.0f, gain = 0.0f;
    int64_t start = 0;
};

// One output value of a voice; false when the voice ends instead.
bool playOne(RefVoice& voice, const RefPad& pad, float& out) {
    const float step = pad.sampleRate * pad.pitch * (1.0f / kRate);
    if (voice.glideStep != 0.0f) {
        voice.pitchFactor -= voice.glideStep;
        if (!(voice.pitchFactor > 1.0f)) voice.glideStep = 0.0f;
    }
    voice.position += step * voice.pitchFactor;  // advance, then read
    const int32_t k = int32_t(voice.position);
    if (k >= int32_t(pad.samples.size())) return false;
    // Hold: the value changes only when k * holdRatio crosses an integer.
    const float holdRatio = kHoldRates[pad.rateIndex] / pad.sampleRate;
    const float holdInverse = 1.0f / holdRatio;
    const int32_t j = int32_t(float(k) * holdRatio);
    const int32_t source = int32_t(float(j) * holdInverse);
    // Bit depth: bitIndex b keeps b + 1 fractional bits, truncating.
    const float scale = float(1 << (pad.bitIndex + 1));
    float v = float(int32_t(pad.samples.at(size_t(source)) * scale)) * (1.0f / scale);
    if (voice.fadeOut != 0.0f) {
        v = v * voice.fadeOut;
        voice.fadeOut -= 10.0f / kRate;  // a choke lasts 0.1 s
        if (!(voice.fadeOut > 0.0f)) return false;
    }
    voice.smooth = (v + voice.smooth) * 0.5f;
    out = voice.smooth * voice.gain;
    return true;
}

// Every output sample of the kit playing the events, frame by frame.
Audio referenceRender(const std::vector<RefPad>& pads, std::vector<MidiEvent> events,
                      int64_t frames) {
    Audio audio;
    audio.channels.assign(kOutputs, std::vector<float>(size_t(frames), 0.0f));
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.frame < b.frame; });
    const int64_t halfRate = int64_t(kRate * 0.5f);
    RefVoice voices[24];
    uint8_t polarity[patchbytes::kPads] = {};
    size_t next = 0;
    for (int64_t frame = 0; frame < frames; ++frame) {
        for (; next < events.size() && events[next].frame == frame; ++next) {
            const MidiEvent& event = events[next];
            if ((event.status & 0xF0) != 0x90 || event.data2 == 0) continue;  // silent messages
            for (int p = 0; p < patchbytes::kPads; ++p) {
                if (pads[p].note != event.data1 || pads[p].samples.empty()) continue;
                int slot = 0;
                while (slot < 24 && voices[slot].pad >= 0) ++slot;
                if (slot == 24) continue;
                RefVoice& voice = voices[slot];
                voice = RefVoice();
                voice.pad = p;
                voice.start = frame;
                // Successive voices of a pad alternate sign, the first negative.
                const float sign = (polarity[p]++ & 1) ? 1.0f : -1.0f;
                voice.gain = float(event.data2) * (1.0f / 127.0f) * sign;
                for (int other = 0; other < 24; ++other) {
                    RefVoice& caught = voices[other];
                    if (other == slot || caught.pad < 0 || pads[caught.pad].group != pads[p].group)
                        continue;
                    caught.fadeOut = 1.0f;
                    // A roll without Pitch-X keeps its level and rate factor but glides.
                    if (frame - caught.start < halfRate) voice.glideStep = 3.3333335f / kRate;
                }
            }
        }
        for (RefVoice& voice : voices) {
            if (voice.pad < 0) continue;
            const RefPad& pad = pads[voice.pad];
            float value;
            if (!playOne(voice, pad, value)) {
                voice.pad = -1;
                continue;
            }
            audio.channels[2 * pad.channel][frame] += value * ((1.0f - pad.pan) * pad.volume);
            audio.channels[2 * pad.channel + 1][frame] += value * (pad.pan * pad.volume);
        }
    }
    return audio;
}

// Exact for the .so, within kTolerance for the DLL; names the first difference.
testing::AssertionResult matchesReference(const Audio& actual, const Audio& expected) {
    if (actual.channels.size() != expected.channels.size() || actual.frames() != expected.frames())
        return testing::AssertionFailure()
               << actual.channels.size() << " channels of " << actual.frames() << " frames, expected "
               << expected.channels.size() << " of " << expected.frames();
    int64_t differing = 0;
    std::string first;
    for (size_t c = 0; c < actual.channels.size(); ++c)
        for (size_t i = 0; i < actual.channels[c].size(); ++i) {
            const float a = actual.channels[c][i], e = expected.channels[c][i];
            const bool same = kTolerance == 0.0f ? a == e : std::fabs(a - e) <= kTolerance;
            if (same) continue;
            if (differing++ == 0) {
                std::ostringstream text;
                text << std::setprecision(9) << "channel " << c << " frame " << i << ": " << a
                     << ", expected " << e;
                first = text.str();
            }
        }
    if (differing == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << differing << " samples differ, the first at " << first;
}

int64_t soundingFrames(const std::vector<float>& channel) {
    return std::count_if(channel.begin(), channel.end(), [](float v) { return v != 0.0f; });
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
    const std::vector<MidiEvent> hits = {{0, 0x90, 42, 100}, {10, 0x90, 36, 127}, {20, 0x90, 46, 80}};
    EXPECT_TRUE(matchesReference(play(*effect, 12000, 512, hits),
                                 referenceRender(referencePads(kit), hits, 12000)));
}

// --- Playback --------------------------------------------------------------

TEST_F(Playback, KitPlaysAsTheChainDefines) {
    const Kit kit = playbackKit();
    ASSERT_EQ(setChunk(*effect, patchbytes::encode(kit)), VstIntPtr(patchbytes::encode(kit).size()));
    const std::vector<MidiEvent> midi = playbackMidi();
    const Audio actual = play(*effect, kPlaybackFrames, 512, midi);
    const Audio expected = referenceRender(referencePads(kit), midi, kPlaybackFrames);
    EXPECT_TRUE(matchesReference(actual, expected));

    // What sounds where: pad 3 left of pair 1 only, pad 0 on pair 2, pad 5
    // on pair 8; nothing anywhere else.
    ASSERT_EQ(actual.channels.size(), size_t(kOutputs));
    for (int c : {0, 2, 3, 14, 15})
        EXPECT_GT(soundingFrames(actual.channels[c]), 5000) << "output " << c;
    for (int c : {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13})
        EXPECT_EQ(soundingFrames(actual.channels[c]), 0) << "output " << c;
    // Pair 2 at pan 0.5 and volume 1: both halves carry the same signal.
    EXPECT_TRUE(actual.channels[2] == actual.channels[3]);

    // Pad 3's first frame: the hold lag reads sample 0, the smoother halves
    // it, velocity 100 scales it and the first voice is negative.
    const float first = float(kit.slots[1].values[0]) / 32768.0f;
    EXPECT_EQ(actual.channels[0][0], (first * 0.5f) * (100.0f * (1.0f / 127.0f) * -1.0f));
    // Its 3000-frame sample ends by frame 2999 and leaves silence until the next hit.
    const std::vector<float>& hat = actual.channels[0];
    EXPECT_TRUE(std::all_of(hat.begin() + 2999, hat.begin() + 5119, [](float v) { return v == 0.0f; }));
    EXPECT_NE(hat[5119], 0.0f);
}

TEST_F(Playback, HostBlocksDoNotChangeTheSound) {
    const Kit kit = playbackKit();
    const Audio expected = referenceRender(referencePads(kit), playbackMidi(), kPlaybackFrames);
    // 97 splits the stream at odd places; 4096 is cut into 1024-frame sub-blocks.
    for (VstInt32 block : {97, 4096}) {
        auto instance = newInstance();
        ASSERT_NE(instance, nullptr);
        ASSERT_EQ(setChunk(*instance, patchbytes::encode(kit)),
                  VstIntPtr(patchbytes::encode(kit).size()));
        EXPECT_TRUE(matchesReference(play(*instance, kPlaybackFrames, block, playbackMidi()), expected))
            << "host blocks of " << block;
    }
}

TEST_F(Playback, ChunkHandedBackIsTheSameInstrument) {
    const Kit kit = playbackKit();
    ASSERT_EQ(setChunk(*effect, patchbytes::encode(kit)), VstIntPtr(patchbytes::encode(kit).size()));
    const Snapshot original = snapshot(*effect);

    auto restored = newInstance();
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(setChunk(*restored, original.chunk), VstIntPtr(original.chunk.size()));
    expectSameSnapshot(snapshot(*restored), original, "restored from the chunk");

    const Audio expected = referenceRender(referencePads(kit), playbackMidi(), kPlaybackFrames);
    EXPECT_TRUE(matchesReference(play(*restored, kPlaybackFrames, 512, playbackMidi()), expected));
}

}  // namespace
