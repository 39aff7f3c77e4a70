// `zel kit`: sample files of many layouts become pads that play them, in the
// plug-in object and in the plug-in library a host loads; settings arrive
// as the plug-in displays them.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstring>

#include "HostPlayback.h"
#include "PluginInstance.h"
#include "Render.h"
#include "ToolTestSupport.h"
#include "VstHost.h"
#include "engine/PadParameters.h"
#include "engine/Kit.h"
#include "files/SampleStore.h"

namespace {

using namespace tooltest;

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void putChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    putLittleEndian(out, uint32_t(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

// Full-scale values of every bit pattern's kind, extremes included.
int32_t patternValue(int i, int bits) {
    if (i == 10) return -(1 << (bits - 1));
    if (i == 11) return (1 << (bits - 1)) - 1;
    const uint32_t scrambled = uint32_t(i) * 2654435761u;
    return int32_t(scrambled) >> (32 - bits);
}

// 24-bit mono in the extensible fmt layout, with a LIST chunk before the data.
std::vector<uint8_t> extensibleWav24(const std::vector<int32_t>& values, uint32_t rate) {
    std::vector<uint8_t> fmt;
    putLittleEndian(fmt, 0xFFFE, 2);
    putLittleEndian(fmt, 1, 2);
    putLittleEndian(fmt, rate, 4);
    putLittleEndian(fmt, rate * 3, 4);
    putLittleEndian(fmt, 3, 2);
    putLittleEndian(fmt, 24, 2);
    putLittleEndian(fmt, 22, 2);  // extension size
    putLittleEndian(fmt, 24, 2);  // valid bits
    putLittleEndian(fmt, 4, 4);   // front centre
    const uint8_t pcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), pcm, pcm + 16);
    std::vector<uint8_t> list = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 6, 0, 0, 0, 's', 'n', 'a', 'r', 'e', 0};
    std::vector<uint8_t> data;
    for (int32_t v : values) putLittleEndian(data, uint32_t(v), 3);
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    putChunk(body, "fmt ", fmt);
    putChunk(body, "LIST", list);
    putChunk(body, "data", data);
    std::vector<uint8_t> file;
    putChunk(file, "RIFF", body);
    return file;
}

// A source file and what its pad must hold.
struct Source {
    std::string file;
    uint32_t rate;
    std::vector<float> expected;
    double tolerance;  // 0: exact
};

// The four sources of the kit test, written into dir.
std::vector<Source> writeSources(const ScratchDir& dir) {
    std::vector<Source> sources;
    {  // 24-bit extensible WAV with a LIST chunk: exact.
        std::vector<int32_t> values;
        Source s{"snare24.wav", 48000, {}, 0.0};
        for (int i = 0; i < 3000; ++i) {
            values.push_back(patternValue(i, 24));
            s.expected.push_back(float(values.back()) / 8388608.0f);
        }
        writeBytes(dir.path(s.file), extensibleWav24(values, s.rate));
        sources.push_back(s);
    }
    {  // 32-bit float stereo WAV: the left channel, within a 24-bit step; hot samples clip.
        std::vector<float> interleaved;
        Source s{"hat-float.wav", 44100, {}, 0.5 / 8388608.0};
        for (int i = 0; i < 2000; ++i) {
            const float left = i == 7 ? 1.5f : (i == 8 ? -1.0f : float(std::sin(i * 0.37) * 0.9));
            interleaved.push_back(left);
            interleaved.push_back(0.25f);
            s.expected.push_back(std::min(left, 8388607.0f / 8388608.0f));
        }
        writeSound(dir.path(s.file), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, int(s.rate), interleaved);
        sources.push_back(s);
    }
    {  // 16-bit FLAC: exact.
        std::vector<int> values;
        Source s{"kick.flac", 22050, {}, 0.0};
        for (int i = 0; i < 2500; ++i) {
            const int32_t v = patternValue(i, 16);
            values.push_back(v << 16);
            s.expected.push_back(float(v) / 32768.0f);
        }
        writeSound(dir.path(s.file), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, int(s.rate), values);
        sources.push_back(s);
    }
    {  // 24-bit AIFF: big-endian, exact.
        std::vector<int> values;
        Source s{"tom.aiff", 32000, {}, 0.0};
        for (int i = 0; i < 1800; ++i) {
            const int32_t v = patternValue(i + 5, 24);
            values.push_back(v << 8);
            s.expected.push_back(float(v) / 8388608.0f);
        }
        writeSound(dir.path(s.file), SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, int(s.rate), values);
        sources.push_back(s);
    }
    return sources;
}

void expectPadHolds(const Pad& pad, const Source& source) {
    SCOPED_TRACE(source.file);
    EXPECT_STREQ(pad.fileName, source.file.c_str());
    EXPECT_EQ(pad.sampleRate, float(source.rate));
    ASSERT_EQ(size_t(pad.frameCount), source.expected.size());
    ASSERT_NE(pad.samples, nullptr);
    int misses = 0;
    for (size_t i = 0; i < source.expected.size(); ++i)
        misses += std::fabs(double(pad.samples[i]) - source.expected[i]) > source.tolerance;
    EXPECT_EQ(misses, 0);
}

std::vector<TimedMessage> onePerPad(int pads, int64_t spacing) {
    std::vector<TimedMessage> messages;
    for (int p = 0; p < pads; ++p)
        messages.push_back({p * spacing, 0x99, uint8_t(kDefaultPadNotes[p]), 127});
    return messages;
}

TEST(ZelKit, SampleFilesOfEveryLayoutPlayFromTheirPadsInBothInstances) {
    ScratchDir dir;
    const std::vector<Source> sources = writeSources(dir);
    std::vector<std::string> arguments = {"kit", dir.path("kit.bin")};
    for (size_t p = 0; p < sources.size(); ++p)
        arguments.push_back("--pad=" + std::to_string(p + 1) + "=" + dir.path(sources[p].file));
    const Outcome outcome = zel(arguments);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<uint8_t> kit = readBytes(dir.path("kit.bin"));

    PluginInstance plugin;
    plugin.open(44100, 512);
    ASSERT_TRUE(plugin.setChunk(kit));
    for (size_t p = 0; p < sources.size(); ++p) expectPadHolds(plugin.kit().pads[p], sources[p]);

    const int64_t spacing = 8192;
    const vsthost::Audio played = playInBoth(kit, onePerPad(4, spacing), 5 * spacing);
    for (int p = 0; p < 4; ++p) EXPECT_TRUE(soundsBetween(played, p * spacing, (p + 1) * spacing)) << "pad " << p + 1;
}

TEST(ZelKit, TheDemoKitFillsEveryPadUnderItsDefaultNameAndKey) {
    ScratchDir dir;
    ASSERT_EQ(zel({"kit", dir.path("demo.bin"), "--demo"}).status, 0);
    const std::vector<uint8_t> kit = readBytes(dir.path("demo.bin"));
    for (int p = 0; p < 16; ++p) {
        const uint8_t* record = kit.data() + 28 + 576 * p;
        EXPECT_STREQ(reinterpret_cast<const char*>(record), kDefaultPadNames[p]);
        EXPECT_EQ(int8_t(record[308]), kDefaultPadNotes[p]);
        EXPECT_NE(record[16], 0) << "pad " << p + 1 << " has a file";
    }
    const int64_t spacing = 44100 * 4;  // the longest sound rings 4 s
    const vsthost::Audio played = playInBoth(kit, onePerPad(16, spacing), 16 * spacing);
    for (int p = 0; p < 16; ++p)
        EXPECT_TRUE(soundsBetween(played, p * spacing, p * spacing + 4410)) << kDefaultPadNames[p];

    // zel render without a kit plays exactly this one.
    const std::string groove = examplesDir() + "/groove.mid";
    ASSERT_EQ(zel({"render", groove, dir.path("builtin.wav")}).status, 0);
    ASSERT_EQ(zel({"render", "--kit", dir.path("demo.bin"), groove, dir.path("file.wav")}).status, 0);
    EXPECT_EQ(readBytes(dir.path("builtin.wav")), readBytes(dir.path("file.wav")));
}

TEST(ZelKit, SettingsArriveAsThePluginDisplaysThem) {
    ScratchDir dir;
    const Outcome outcome =
        zel({"kit", dir.path("kit.bin"), "--demo", "--name", "3=Clap", "--volume", "3=70", "--pan", "3=-100",
             "--pitch", "3=150", "--pitch-x", "snare=-40", "--low", "3=250", "--mid", "3=1200",
             "--mid-gain", "3=-3", "--high", "3=8000", "--sample-rate", "3=44100", "--bits", "3=12",
             "--note", "3=C3", "--group", "3=4", "--channel", "3=6", "--volume", "ride=0", "--note", "16=90"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::vector<uint8_t> kit = readBytes(dir.path("kit.bin"));
    EXPECT_STREQ(reinterpret_cast<const char*>(kit.data() + 28 + 576 * 2), "Clap");

    vsthost::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.open(pluginPath(), error)) << error;
    vsthost::Effect effect(library.create());
    ASSERT_EQ(effect.dispatch(effSetChunk, 0, VstIntPtr(kit.size()), kit.data()), VstIntPtr(kit.size()));
    const std::pair<int, const char*> expected[] = {
        {ParamVolume, "70"}, {ParamPan, "-100"}, {ParamPitch, "150"}, {ParamPitchX, "-40"},
        {ParamLow, "250"}, {ParamMid, "1200"}, {ParamMidGain, "-3.00"}, {ParamHigh, "8.00"},
        {ParamSampleRate, " 44"}, {ParamBit, "12bit"}, {ParamNote, "C3"}, {ParamGroup, "4"},
        {ParamChannel, "6"}};
    for (const auto& setting : expected)
        EXPECT_EQ(effect.text(effGetParamDisplay, 2 * 15 + setting.first), setting.second)
            << effect.text(effGetParamName, 2 * 15 + setting.first);
    EXPECT_EQ(effect.text(effGetParamDisplay, 12 * 15 + ParamVolume), "0");
    EXPECT_EQ(effect.text(effGetParamDisplay, 15 * 15 + ParamNote), "F#6");
    EXPECT_EQ(effect.text(effGetParamDisplay, 1 * 15 + ParamVolume), "100") << "other pads keep theirs";
}

TEST(ZelKit, ReplacingSamplesLeavesNoUnplayedSlotBehind) {
    ScratchDir dir;
    const std::vector<Source> sources = writeSources(dir);
    ASSERT_EQ(zel({"kit", dir.path("demo.bin"), "--demo"}).status, 0);
    const Outcome outcome = zel({"kit", dir.path("kit.bin"), "--from", dir.path("demo.bin"), "--pad",
                                 "1=" + dir.path(sources[0].file), "--pad", "1=" + dir.path(sources[2].file),
                                 "--pad", "crash2=" + dir.path(sources[1].file), "--pad",
                                 "ride=" + dir.path(sources[1].file)});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    PluginInstance plugin;
    plugin.open(44100, 512);
    const std::vector<uint8_t> kit = readBytes(dir.path("kit.bin"));
    ASSERT_TRUE(plugin.setChunk(kit));
    const DrumKit& engine = plugin.kit();
    expectPadHolds(engine.pads[0], sources[2]);
    expectPadHolds(engine.pads[12], sources[1]);
    expectPadHolds(engine.pads[15], sources[1]);
    int64_t played = kFixedImageSize;
    for (int slot = 1; slot <= 16; ++slot) {
        bool someonePlays = false;
        for (const Pad& pad : engine.pads) someonePlays = someonePlays || pad.slotNumber == slot;
        if (someonePlays) played += engine.pads[slot - 1].slotSize;
    }
    EXPECT_EQ(int64_t(kit.size()), played);
}

}  // namespace
