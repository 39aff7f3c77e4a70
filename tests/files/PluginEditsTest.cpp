// The kit edits that the editor and the tools make through the plug-in
// object, beside the host's calls: loading a WAV file into a pad, removing
// it, renaming a pad. What a host then sees of them through the ABI.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

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
    EXPECT_EQ(plugin().loadPadSample(6, dir.write("snare.wav", wav).c_str()), "");
    FilesKit reference;
    reference.load(6, dir.path() + "/snare.wav");
    EXPECT_EQ(chunk(), reference.patch());

    plugin().removePadSample(6);
    const Bytes emptied = chunk();
    ASSERT_EQ(emptied.size(), 9372u) << "the slot is gone";
    const size_t record = 28 + 576 * 6;
    EXPECT_EQ(emptied[record + 16], 0) << "no file name";
    EXPECT_EQ(emptied[record + 320], 0) << "no slot played";
    EXPECT_EQ(plugin().core().kit->pads[6].samples, nullptr);
}

TEST_F(PluginEdits, RefusedFilesSayWhyAndChangeNothing) {
    const Bytes before = chunk();
    EXPECT_EQ(plugin().loadPadSample(2, (dir.path() + "/missing.wav").c_str()), std::strerror(ENOENT));
    EXPECT_EQ(plugin().loadPadSample(2, dir.write("text.wav", Bytes(100, 'x')).c_str()), "not a WAV file");
    EXPECT_EQ(plugin().loadPadSample(2, ""), "no file named");
    EXPECT_EQ(plugin().loadPadSample(16, dir.write("ok.wav", distinctWav(1)).c_str()), "no such pad");
    EXPECT_EQ(chunk(), before);
}

TEST_F(PluginEdits, PadNamesTakeAtMostFifteenCharacters) {
    EXPECT_TRUE(plugin().renamePad(4, "Fifteen chars!!"));
    char name[64] = {};
    EXPECT_STREQ(plugin().core().kit->pads[4].name, "Fifteen chars!!");
    EXPECT_FALSE(plugin().renamePad(4, "Sixteen chars!!!"));
    EXPECT_FALSE(plugin().renamePad(16, "Kick"));
    EXPECT_STREQ(plugin().core().kit->pads[4].name, "Fifteen chars!!");
    EXPECT_TRUE(plugin().renamePad(4, "Kick"));
    const Bytes image = chunk();
    std::memcpy(name, &image[28 + 576 * 4], 16);
    EXPECT_STREQ(name, "Kick") << "the whole field is rewritten, with no old letters behind";
    for (int i = 4; i < 16; ++i) EXPECT_EQ(image[28 + 576 * 4 + i], 0) << i;
}

}  // namespace
