// The host's view of the patch: effGetChunk and effSetChunk through the
// dispatcher of a real plug-in instance.
#include <gtest/gtest.h>

#include <cstring>

#include "FilesKit.h"
#include "engine/PadParameters.h"
#include "host/Vst2.h"
#include "host/zelVst.h"

namespace {

class Chunk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(instance.record(), nullptr); }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
        return instance.dispatch(opcode, index, value, ptr);
    }
    Bytes chunk(VstInt32 index) { return instance.chunk(index); }

    InstanceUnderTest instance;
    TempDir dir;
};

TEST_F(Chunk, BothGetChunkFlavoursHandOutTheSameImage) {
    void* program = nullptr;
    void* bank = nullptr;
    const VstIntPtr programSize = dispatch(effGetChunk, 1, 0, &program);
    const VstIntPtr bankSize = dispatch(effGetChunk, 0, 0, &bank);
    EXPECT_EQ(programSize, 9372);
    EXPECT_EQ(bankSize, 9372);
    EXPECT_EQ(program, bank);
    FilesKit reference;
    EXPECT_EQ(chunk(0), reference.patch());
    EXPECT_EQ(dispatch(effGetChunk, 0, 0, nullptr), 0);
}

TEST_F(Chunk, ChunkHandedOutStaysAsItWasThroughEditsUntilTheNextGetChunk) {
    zelVst& plugin = instance.plugin();
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 9372);
    const Bytes handedOut(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

    // The kit's own image grows and moves; the host reads its copy afterwards.
    ASSERT_EQ(plugin.core().loadSampleFile(3, dir.write("a.wav", distinctWav(1, 5000)).c_str()), "");
    ASSERT_EQ(plugin.core().loadSampleFile(8, dir.write("b.wav", distinctWav(2, 7000)).c_str()), "");
    plugin.setParameter(3 * 15 + 2, 0.25f);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size), handedOut);

    const Bytes next = chunk(0);
    EXPECT_EQ(next.size(), 9372u + 44 + 10000 + 44 + 14000);
    EXPECT_EQ(dispatch(effSetChunk, 0, static_cast<VstIntPtr>(handedOut.size()),
                       const_cast<uint8_t*>(handedOut.data())),
              9372);
    EXPECT_EQ(chunk(0), handedOut) << "the older chunk restores the kit it was taken from";
}

TEST_F(Chunk, SetChunkRestoresAPatchWithSamples) {
    FilesKit source;
    source.load(4, dir.write("k.wav", distinctWav(4, 300)));
    source.load(11, dir.write("k.wav", distinctWav(4, 300)));
    source.pad(4).volume = 0.5f;
    const Bytes block = source.patch();

    Bytes copy = block;  // the host's own buffer
    EXPECT_EQ(dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data()),
              static_cast<VstIntPtr>(block.size()));
    std::memset(copy.data(), 0, copy.size());  // the plug-in keeps no reference to it
    EXPECT_EQ(chunk(0), block);
    EXPECT_EQ(chunk(1), block);
    char text[kDisplayTextSize];
    const float volume = describePadParameter(source.synth(), 4 * 15 + 2, text);
    // The cached values the editor paints from are refreshed too.
    EXPECT_EQ(instance.plugin().editorModel().paramValues[4 * 15 + 2], volume);
    EXPECT_EQ(instance.plugin().getParameter(4 * 15 + 2), volume);

    // Its own chunk handed back leaves it as it was.
    Bytes again = chunk(1);
    EXPECT_EQ(dispatch(effSetChunk, 1, static_cast<VstIntPtr>(again.size()), again.data()),
              static_cast<VstIntPtr>(again.size()));
    EXPECT_EQ(chunk(0), block);

    // Some hosts hand back the very pointer they were given.
    void* own = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &own);
    EXPECT_EQ(dispatch(effSetChunk, 0, size, own), size);
    EXPECT_EQ(chunk(0), block);
}

TEST_F(Chunk, SetChunkRefusalsAnswerZeroAndKeepTheKit) {
    FilesKit source;
    source.load(0, dir.write("s.wav", wavFile(1, 1, {1, 2, 3, 200})));
    Bytes block = source.patch();
    ASSERT_EQ(dispatch(effSetChunk, 0, static_cast<VstIntPtr>(block.size()), block.data()),
              static_cast<VstIntPtr>(block.size()));

    Bytes other = FilesKit().patch();
    EXPECT_EQ(dispatch(effSetChunk, 0, 0, other.data()), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, static_cast<VstIntPtr>(other.size()), nullptr), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, static_cast<VstIntPtr>(other.size()) - 1, other.data()), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, -1, other.data()), 0);
    other[24] ^= 1;
    EXPECT_EQ(dispatch(effSetChunk, 0, static_cast<VstIntPtr>(other.size()), other.data()), 0);
    EXPECT_EQ(chunk(0), block);
}

}  // namespace
