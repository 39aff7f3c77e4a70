// The kit edits that the editor and the tools make through the plug-in
// object, beside the host's calls: loading a WAV file into a pad, removing
// it, renaming a pad. What a host then sees of them through the ABI.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "FailingAllocations.h"
#include "FilesKit.h"
#include "host/zelVst.h"

namespace {

class PluginEdits : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(instance.record(), nullptr); }
    Bytes chunk() { return instance.chunk(); }

    InstanceUnderTest instance;
    zelVst& plugin() { return instance.plugin(); }
    TempDir dir;
};

TEST_F(PluginEdits, LoadedFileIsInTheChunkAndRemovingItEmptiesThePad) {
    const Bytes wav = distinctWav(3, 600);
    EXPECT_EQ(plugin().core().loadSampleFile(6, dir.write("snare.wav", wav).c_str()), "");
    FilesKit reference;
    reference.load(6, dir.path() + "/snare.wav");
    EXPECT_EQ(chunk(), reference.patch());

    plugin().core().removeSample(6);
    const Bytes emptied = chunk();
    ASSERT_EQ(emptied.size(), 9372u) << "the slot is gone";
    const size_t record = 28 + 576 * 6;
    EXPECT_EQ(emptied[record + 16], 0) << "no file name";
    EXPECT_EQ(emptied[record + 320], 0) << "no slot played";
    EXPECT_EQ(plugin().core().modelSynth().kit->pads[6].samples, nullptr);
}

TEST_F(PluginEdits, RefusedFilesSayWhyAndChangeNothing) {
    const Bytes before = chunk();
    EXPECT_EQ(plugin().core().loadSampleFile(2, (dir.path() + "/missing.wav").c_str()), std::strerror(ENOENT));
    EXPECT_EQ(plugin().core().loadSampleFile(2, dir.write("text.wav", Bytes(100, 'x')).c_str()), "not a WAV file");
    EXPECT_EQ(plugin().core().loadSampleFile(2, ""), "no file named");
    EXPECT_EQ(plugin().core().loadSampleFile(16, dir.write("ok.wav", distinctWav(1)).c_str()), "no such pad");
    EXPECT_EQ(chunk(), before);
}

// Out of memory, every load and restore says so, and the kit stays as it
// was: the image, and the sample each pad plays.
TEST_F(PluginEdits, WithoutMemoryLoadsAndRestoresSaySoAndChangeNothing) {
    if (!failing::available()) GTEST_SKIP() << "the sanitizers own malloc here";
    ASSERT_EQ(plugin().core().loadSampleBytes(2, distinctWav(2).data(), 244, "short.wav"), "");
    const Bytes big = distinctWav(3, 200000);  // a 400 kB slot, 800 kB decoded
    const Bytes huge = distinctWav(1, 1500000);
    const Pad& pad = plugin().core().modelSynth().kit->pads[2];
    const float* playing = pad.samples;
    // Each step of a load needs more than the one before; the image grows
    // by more than the decoded sample only when it is large already.
    const struct {
        const char* what;
        const Bytes* kitBefore;  // loaded into pad 1 first, when given
        size_t failFrom;
    } shortages[] = {
        {"the coded slot", nullptr, 400000},
        {"the decoded sample", nullptr, 800000},
        {"the kit's image, grown", &huge, 3200000},
    };
    for (const auto& shortage : shortages) {
        if (shortage.kitBefore != nullptr) {
            ASSERT_EQ(plugin().core().loadSampleBytes(1, huge.data(), int64_t(huge.size()), "long.wav"), "");
        }
        const Bytes before = chunk();
        std::string refused;
        {
            failing::Shortage none(shortage.failFrom);
            refused = plugin().core().loadSampleBytes(2, big.data(), int64_t(big.size()), "big.wav");
        }
        EXPECT_EQ(refused, "too large for the memory left") << shortage.what;
        EXPECT_EQ(pad.samples, playing) << shortage.what;
        EXPECT_EQ(pad.frameCount, 100) << shortage.what;
        EXPECT_TRUE(chunk() == before) << shortage.what;
    }
    const Bytes before = chunk();

    InstanceUnderTest other;
    const Bytes fresh = other.chunk();
    std::string refused;
    {
        failing::Shortage none(before.size());  // the copy of the block
        refused = other.plugin().restorePatch(before.data(), int64_t(before.size()));
    }
    EXPECT_EQ(refused, "too large for the memory left");
    {
        failing::Shortage none(6000000);  // long.wav's decoded sample
        refused = other.plugin().restorePatch(before.data(), int64_t(before.size()));
    }
    EXPECT_EQ(refused, "too large for the memory left");
    EXPECT_TRUE(other.chunk() == fresh);
    Bytes damaged = before;
    damaged[24] ^= 1;  // the size check
    EXPECT_EQ(other.plugin().restorePatch(damaged.data(), int64_t(damaged.size())),
              "its size check does not match its size");
    EXPECT_EQ(other.plugin().restorePatch(before.data(), int64_t(before.size())), "");
    EXPECT_TRUE(other.chunk() == before);
}

TEST_F(PluginEdits, PadNamesTakeAtMostFifteenCharacters) {
    EXPECT_TRUE(plugin().core().renamePad(4, "Fifteen chars!!"));
    char name[64] = {};
    EXPECT_STREQ(plugin().core().modelSynth().kit->pads[4].name, "Fifteen chars!!");
    EXPECT_FALSE(plugin().core().renamePad(4, "Sixteen chars!!!"));
    EXPECT_FALSE(plugin().core().renamePad(16, "Kick"));
    EXPECT_STREQ(plugin().core().modelSynth().kit->pads[4].name, "Fifteen chars!!");
    EXPECT_TRUE(plugin().core().renamePad(4, "Kick"));
    const Bytes image = chunk();
    std::memcpy(name, &image[28 + 576 * 4], 16);
    EXPECT_STREQ(name, "Kick") << "the whole field is rewritten, with no old letters behind";
    for (int i = 4; i < 16; ++i) EXPECT_EQ(image[28 + 576 * 4 + i], 0) << i;
}

}  // namespace
