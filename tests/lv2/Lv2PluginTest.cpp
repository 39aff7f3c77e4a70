// The LV2 plug-in as hosts load it (through liblilv), against the VST 2.4
// library of the same tree: the same kit and MIDI sound the same, bit for
// bit, whatever the blocks; the state is the VST chunk's bytes; a port
// sounds as the VST parameter that shows its value; a WAV loaded through the
// worker sounds as the same WAV in a VST kit; the preset is the demo kit;
// and what a host or the editor hands over that cannot be used changes
// nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "Lv2Host.h"
#include "PatchBytes.h"
#include "PluginUnderTest.h"
#include "TempDir.h"
#include "TortureHost.h"
#include "VstHost.h"
#include "engine/PadPorts.h"

namespace {

using lv2host::Instance;

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The VST library, started as a host starts it, with the kit.
std::unique_ptr<vsthost::Effect> vstWith(const std::vector<uint8_t>& kit, float rate) {
    auto effect = std::make_unique<vsthost::Effect>(library->create());
    effect->dispatch(effOpen);
    effect->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    effect->dispatch(effSetBlockSize, 0, Instance::kRoom);
    std::vector<uint8_t> copy = kit;
    EXPECT_EQ(effect->dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data()), VstIntPtr(copy.size()));
    effect->dispatch(effMainsChanged, 0, 1);
    return effect;
}

std::unique_ptr<Instance> lv2With(const std::vector<uint8_t>& kit, double rate) {
    lv2host::Options options;
    options.rate = rate;
    auto instance = std::make_unique<Instance>(options);
    EXPECT_TRUE(instance->valid());
    EXPECT_EQ(instance->restorePatch(kit), LV2_STATE_SUCCESS);
    instance->activate();
    return instance;
}

struct Block {
    uint32_t frames;
    std::vector<vsthost::MidiEvent> events;  // frames within the block
};

// Blocks from 1 to 8192 frames (evenly over their logarithm) with notes of
// the kit's keys, releases, and now and then the all-notes-off controllers.
std::vector<Block> randomBlocks(std::mt19937& rng, int64_t frames) {
    std::vector<Block> blocks;
    for (int64_t done = 0; done < frames;) {
        Block block;
        const double exponent = std::uniform_real_distribution<double>(0.0, 13.0)(rng);
        block.frames = uint32_t(std::min<int64_t>(int64_t(std::pow(2.0, exponent)), frames - done));
        const int count = std::uniform_int_distribution<int>(0, 4)(rng);
        for (int e = 0; e < count; ++e) {
            const int64_t at = std::uniform_int_distribution<int64_t>(0, block.frames - 1)(rng);
            const uint8_t channel = uint8_t(std::uniform_int_distribution<int>(0, 3)(rng));
            switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
                case 0: block.events.push_back({at, uint8_t(0x80 | channel), torture::padKey(rng), 0}); break;
                case 1: block.events.push_back({at, uint8_t(0xB0 | channel), uint8_t(rng() % 2 ? 120 : 123), 0}); break;
                default:
                    block.events.push_back({at, uint8_t(0x90 | channel), torture::padKey(rng),
                                            uint8_t(std::uniform_int_distribution<int>(1, 127)(rng))});
            }
        }
        std::stable_sort(block.events.begin(), block.events.end(),
                         [](const vsthost::MidiEvent& a, const vsthost::MidiEvent& b) { return a.frame < b.frame; });
        done += block.frames;
        blocks.push_back(block);
    }
    return blocks;
}

// Plays the blocks through both; the index of the first block whose output
// differs, or -1.
int64_t firstDifference(vsthost::Effect& vst, Instance& lv2, const std::vector<Block>& blocks) {
    std::vector<std::vector<float>> vstOut(kOutputCount, std::vector<float>(Instance::kRoom));
    std::vector<float*> pointers;
    for (auto& channel : vstOut) pointers.push_back(channel.data());
    for (size_t b = 0; b < blocks.size(); ++b) {
        const Block& block = blocks[b];
        if (!block.events.empty()) vst.sendMidi(block.events);
        vst.process(pointers.data(), VstInt32(block.frames));
        for (const auto& event : block.events) lv2.midi(event.frame, event.status, event.data1, event.data2);
        lv2.run(block.frames);
        for (int c = 0; c < kOutputCount; ++c)
            if (std::memcmp(vstOut[size_t(c)].data(), lv2.output(c), block.frames * sizeof(float)) != 0)
                return int64_t(b);
    }
    return -1;
}

TEST(Lv2Plugin, SoundsBitForBitAsTheVstLibrary) {
    int64_t blocksCompared = 0, framesCompared = 0;
    int cases = 0;
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        for (int seed = 0; seed < 4; ++seed) {
            SCOPED_TRACE("rate " + std::to_string(rate) + ", seed " + std::to_string(seed));
            std::mt19937 rng(unsigned(seed) * 7919u + unsigned(rate));
            const std::vector<Block> blocks = randomBlocks(rng, int64_t(rate) * 4);
            auto vst = vstWith(torture::tortureKit(), float(rate));
            auto lv2 = lv2With(torture::tortureKit(), rate);
            EXPECT_EQ(firstDifference(*vst, *lv2, blocks), -1);
            ++cases;
            blocksCompared += int64_t(blocks.size());
            for (const Block& block : blocks) framesCompared += block.frames;
        }
    }
    std::printf("bit identity: %d cases, %lld host blocks of 1 to 8192 frames, %lld frames x 16 outputs\n", cases,
                (long long)blocksCompared, (long long)framesCompared);
}

TEST(Lv2Plugin, StateIsTheVstChunkAndRoundTripsByteForByte) {
    auto vst = vstWith(torture::tortureKit(), 44100.0f);
    void* chunk = nullptr;
    const VstIntPtr size = vst->dispatch(effGetChunk, 0, 0, &chunk);
    const std::vector<uint8_t> vstChunk(static_cast<uint8_t*>(chunk), static_cast<uint8_t*>(chunk) + size);
    auto lv2 = lv2With(torture::tortureKit(), 44100.0);
    const std::vector<uint8_t> saved = lv2->savedPatch();
    EXPECT_EQ(saved, vstChunk);

    // Through lilv's own state, as a host saves a session and reads it again.
    LilvState* state = lilv_state_new_from_instance(lv2host::plugin(), lv2->lilv(), lv2host::urids().mapFeature(),
                                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    ASSERT_NE(state, nullptr);
    char* text = lilv_state_to_string(lv2host::world(), lv2host::urids().mapFeature(), lv2host::urids().unmapFeature(),
                                      state, "urn:zel:test:session", nullptr);
    lilv_state_free(state);
    ASSERT_NE(text, nullptr);
    LilvState* reread = lilv_state_new_from_string(lv2host::world(), lv2host::urids().mapFeature(), text);
    lilv_free(text);
    ASSERT_NE(reread, nullptr);
    Instance fresh;
    lilv_state_restore(reread, fresh.lilv(), nullptr, nullptr, 0, nullptr);
    lilv_state_free(reread);
    EXPECT_EQ(fresh.savedPatch(), vstChunk);
}

TEST(Lv2Plugin, RefusedStatesChangeNothingAndAreLogged) {
    std::vector<uint8_t> damaged = torture::tortureKit();
    damaged[patchbytes::kSizeCheckAt] ^= 0x01;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t type;
    };
    const std::vector<uint8_t> kit = torture::tortureKit();
    const Case cases[] = {
        {"of another type", kit, lv2host::kitUris().atomString},
        {"cut short", std::vector<uint8_t>(kit.begin(), kit.begin() + 9000), 0},
        {"with a damaged size check", damaged, 0},
        {"one byte", {1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto lv2 = lv2With(kit, 44100.0);
        lv2->logged.clear();
        EXPECT_NE(lv2->restorePatch(c.bytes, c.type), LV2_STATE_SUCCESS);
        EXPECT_EQ(lv2->savedPatch(), kit);
        ASSERT_FALSE(lv2->logged.empty());
        EXPECT_NE(lv2->logged.back().find("refused"), std::string::npos) << lv2->logged.back();
    }
}

// A pattern on every key a pad of either kit may sit on, then silence.
std::vector<Block> hitsOnEveryKey() {
    std::vector<Block> blocks;
    for (int key = 20; key <= 90; key += 3) blocks.push_back({2000, {{10, 0x90, uint8_t(key), 100}}});
    for (int rest = 0; rest < 20; ++rest) blocks.push_back({4096, {}});
    return blocks;
}

TEST(Lv2Plugin, APortSoundsAsTheVstParameterThatShowsItsValue) {
    struct Case {
        int pad, param;
        float vstValue;
        const char* shown;  // the VST display of vstValue
        float portValue;
    };
    const Case cases[] = {
        {2, ParamVolume, 0.25f, "50", 50.0f},        {4, ParamPan, 0.25f, "-50", -50.0f},
        {4, ParamPitch, 0.5f, "125", 125.0f},        {0, ParamLow, 0.25f, "1250", 1250.0f},
        {6, ParamHigh, 0.5f, "16.00", 16000.0f},     {3, ParamMid, 0.5f, "2500", 2500.0f},
        {3, ParamMidGain, 0.75f, "3.00", 3.0f},      {8, ParamSampleRate, 0.5f, " 16", 16000.0f},
        {8, ParamBit, 0.5f, "13bit", 13.0f},         {5, ParamNote, 0.3f, "F2", 41.0f},
        {1, ParamGroup, 0.0f, "1", 1.0f},            {7, ParamChannel, 0.5f, "4", 4.0f},
        {9, ParamPitchX, 0.75f, "50", 50.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("pad ") + std::to_string(c.pad) + " param " + std::to_string(c.param));
        auto vst = vstWith(torture::tortureKit(), 44100.0f);
        const VstInt32 index = c.pad * kParamsPerPad + c.param;
        vst->setParameter(index, c.vstValue);
        EXPECT_EQ(vst->text(effGetParamDisplay, index), c.shown);
        auto lv2 = lv2With(torture::tortureKit(), 44100.0);
        lv2->setting(portOfParameter(index)) = c.portValue;
        EXPECT_EQ(firstDifference(*vst, *lv2, hitsOnEveryKey()), -1);
    }
}

// The editor writing back the values of a restored kit's settings, which
// the ports can only approximate, changes none of them; nor do ports left
// as they were.
TEST(Lv2Plugin, EchoedPortValuesChangeNoRestoredSetting) {
    patchbytes::Kit odd;
    odd.pads[0].volume = 0.7349f;
    odd.pads[0].pan = 0.31415f;
    odd.pads[1].pitch = 1.2345f;
    odd.pads[1].lowCut = 3.0f;  // off, below the port's range
    odd.pads[2].highCut = 12345.6f;
    odd.pads[2].midGain = -1.2345f;
    odd.pads[3].pitchX = -0.333f;
    const std::vector<uint8_t> kit = patchbytes::encode(odd);
    auto lv2 = lv2With(kit, 44100.0);
    lv2->run(64);
    EXPECT_EQ(lv2->savedPatch(), kit) << "the ports at their defaults took over";
    lv2->takeNotices();
    lv2->request({RequestKind::SendKit});
    lv2->run(64);
    int told = 0;
    for (const KitNotice& notice : lv2->takeNotices()) {
        if (notice.kind != NoticeKind::PadState) continue;
        ++told;
        for (int s = 0; s < kPortSettingsPerPad; ++s)
            lv2->setting(notice.pad * kPortSettingsPerPad + s) = portValueOf(notice.view.settings, s);
    }
    EXPECT_EQ(told, kPadCount);
    lv2->run(64);
    EXPECT_EQ(lv2->savedPatch(), kit) << "an echo changed a setting";
    // A real change still applies.
    lv2->setting(0) = 50.0f;
    lv2->run(64);
    EXPECT_EQ(patchbytes::readPad(lv2->savedPatch(), 0).volume, 0.5f);
}

std::vector<uint8_t> sixteenBitWav(const std::vector<int16_t>& values) {
    std::vector<uint8_t> wav(44 + 2 * values.size());
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) wav[at + size_t(i)] = uint8_t(value >> (8 * i));
    };
    std::memcpy(&wav[0], "RIFF", 4);
    put(4, uint32_t(36 + 2 * values.size()), 4);
    std::memcpy(&wav[8], "WAVEfmt ", 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 1, 2);
    put(24, 44100, 4);
    put(28, 88200, 4);
    put(32, 2, 2);
    put(34, 16, 2);
    std::memcpy(&wav[36], "data", 4);
    put(40, uint32_t(2 * values.size()), 4);
    for (size_t i = 0; i < values.size(); ++i) put(44 + 2 * i, uint16_t(values[i]), 2);
    return wav;
}

// The same WAV file as the worker loads it into pad 2, and as zel puts it
// into a kit through the VST library's loader.
TEST(Lv2Plugin, AWavLoadedThroughTheWorkerSoundsAsInAVstKit) {
    if (environment("ZEL_TOOL")[0] == '\0') GTEST_SKIP() << "no zel in this tree";
    TempDir folder;
    std::vector<int16_t> values(6000);
    std::mt19937 rng(3);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = int16_t(int(rng() % 20000) - 10000) * int(values.size() - i) / int(values.size());
    const std::string wav = folder.write("snare.wav", sixteenBitWav(values));
    const std::string built = folder / "kit.bin";
    const std::string command = std::string(environment("ZEL_TOOL")) + " kit '" + built + "' --pad 3='" + wav + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<uint8_t> zelKit = readFile(built);

    auto lv2 = lv2With(patchbytes::encode(patchbytes::Kit{}), 44100.0);
    KitRequest load;
    load.kind = RequestKind::LoadSample;
    load.pad = 2;
    std::strcpy(load.text, wav.c_str());
    lv2->request(load);
    lv2->run(64);
    lv2->run(64);
    bool told = false;
    for (const KitNotice& notice : lv2->takeNotices())
        if (notice.kind == NoticeKind::PadState && notice.pad == 2)
            told = notice.view.holdsSample && std::string(notice.view.settings.fileName) == "snare.wav";
    EXPECT_TRUE(told) << "the editor is told of the loaded pad";
    EXPECT_EQ(lv2->savedPatch(), zelKit);
    auto vst = vstWith(zelKit, 44100.0f);
    EXPECT_EQ(firstDifference(*vst, *lv2, hitsOnEveryKey()), -1);
}

TEST(Lv2Plugin, RefusedRequestsChangeNothingAndSayWhy) {
    TempDir folder;
    const std::string notWav = folder.write("notes.txt", {'h', 'e', 'l', 'l', 'o'});
    struct Case {
        RequestKind kind;
        std::string path;
        FileCommand command;
    };
    const Case cases[] = {
        {RequestKind::LoadSample, folder / "missing.wav", FileCommand::LoadSample},
        {RequestKind::LoadSample, notWav, FileCommand::LoadSample},
        {RequestKind::LoadPatch, notWav, FileCommand::LoadPatch},
        {RequestKind::LoadPatch, folder / "missing.bin", FileCommand::LoadPatch},
        {RequestKind::SavePatch, folder / "no-folder/kit.bin", FileCommand::SavePatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto lv2 = lv2With(torture::tortureKit(), 44100.0);
        KitRequest request;
        request.kind = c.kind;
        request.pad = 1;
        std::strcpy(request.text, c.path.c_str());
        lv2->request(request);
        lv2->run(64);
        lv2->run(64);
        int refusals = 0;
        for (const KitNotice& notice : lv2->takeNotices()) {
            if (notice.kind != NoticeKind::Refusal) continue;
            ++refusals;
            EXPECT_EQ(notice.command, c.command);
            EXPECT_EQ(notice.path, c.path);
            EXPECT_GT(std::strlen(notice.reason), 3u);
        }
        EXPECT_EQ(refusals, 1);
        EXPECT_EQ(lv2->savedPatch(), torture::tortureKit());
    }
}

void setPortFromPreset(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
    auto* instance = static_cast<Instance*>(user);
    if (size != sizeof(float) || type != lv2host::kitUris().atomFloat) return;
    for (int port = 0; port < kSettingPortCount; ++port) {
        const LilvPort* p = lilv_plugin_get_port_by_index(lv2host::plugin(), ports::kFirstSetting + uint32_t(port));
        if (std::strcmp(lilv_node_as_string(lilv_port_get_symbol(lv2host::plugin(), p)), symbol) == 0)
            instance->setting(port) = *static_cast<const float*>(value);
    }
}

TEST(Lv2Plugin, ThePresetIsTheDemoKit) {
    if (environment("ZEL_DEMO_PATCH")[0] == '\0') GTEST_SKIP() << "no demo kit in this tree";
    const std::vector<uint8_t> demo = readFile(environment("ZEL_DEMO_PATCH"));
    ASSERT_GT(demo.size(), patchbytes::kFixedSize);
    LilvNode* uri = lilv_new_uri(lv2host::world(), uris::kDemoPreset);
    lilv_world_load_resource(lv2host::world(), uri);
    LilvState* preset = lilv_state_new_from_world(lv2host::world(), lv2host::urids().mapFeature(), uri);
    lilv_node_free(uri);
    ASSERT_NE(preset, nullptr);
    Instance lv2;
    lv2.activate();
    lilv_state_restore(preset, lv2.lilv(), setPortFromPreset, &lv2, 0, nullptr);
    lilv_state_free(preset);
    lv2.run(64);
    EXPECT_EQ(lv2.savedPatch(), demo);
    // The hi-hat pads share the closed hat's group, and the ports say so.
    for (int pad : {3, 4, 5}) EXPECT_EQ(lv2.setting(pad * kPortSettingsPerPad + ParamGroup - ParamVolume), 4.0f);
}

// Calls a host should not make, or may: each must leave a working plug-in.
TEST(Lv2Plugin, HostsThatOmitOrMisuseThingsAreHandled) {
    lv2host::Options noMap;
    noMap.map = false;
    EXPECT_FALSE(Instance(noMap).valid()) << "no urid:map: no instance";
    lv2host::Options badRate;
    badRate.rate = 0.0;
    EXPECT_FALSE(Instance(badRate).valid());

    // The reference: everything connected, blocks as announced.
    auto reference = lv2With(torture::tortureKit(), 44100.0);
    std::vector<std::vector<float>> expected(kOutputCount);
    for (int b = 0; b < 4; ++b) {
        if (b == 0) reference->midi(5, 0x90, 44, 100);
        reference->run(2048);
        for (int c = 0; c < kOutputCount; ++c)
            expected[size_t(c)].insert(expected[size_t(c)].end(), reference->output(c), reference->output(c) + 2048);
    }
    // A longest block of 256 announced, blocks of 2048 run, outputs 0 and 9
    // left unconnected, a block of 0 frames, and a port connected afresh.
    lv2host::Options small;
    small.maxBlock = 256;
    Instance odd(small);
    ASSERT_TRUE(odd.valid());
    odd.restorePatch(torture::tortureKit());
    odd.activate();
    odd.disconnectOutput(0);
    odd.disconnectOutput(9);
    odd.run(0);
    std::vector<std::vector<float>> heard(kOutputCount);
    for (int b = 0; b < 4; ++b) {
        if (b == 0) odd.midi(5, 0x90, 44, 100);
        odd.run(2048);
        for (int c = 0; c < kOutputCount; ++c)
            heard[size_t(c)].insert(heard[size_t(c)].end(), odd.output(c), odd.output(c) + 2048);
    }
    for (int c = 1; c < kOutputCount; ++c) {
        if (c == 9) continue;
        EXPECT_EQ(heard[size_t(c)], expected[size_t(c)]) << "output " << c;
    }
    odd.disconnectControl();
    odd.run(512);
}

}  // namespace
