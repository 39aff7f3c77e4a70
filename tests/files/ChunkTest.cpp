// The host's view of the patch: effGetChunk and effSetChunk through the
// dispatcher of a real plug-in instance.
#include <gtest/gtest.h>

#include <cstring>

#include "FilesKit.h"
#include "engine/PadParameters.h"
#include "host/Vst2.h"
#include "host/zelVst.h"

namespace {

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Chunk : public ::testing::Test {
protected:
    void SetUp() override {
        effect = createPlugin(hostCallback);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect != nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }

    Bytes chunk(VstInt32 index) {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effGetChunk, index, 0, &data);
        if (data == nullptr || size <= 0) return {};
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        return Bytes(bytes, bytes + size);
    }

    AEffect* effect = nullptr;
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
    EXPECT_EQ(static_cast<zelVst*>(effect->object)->core().paramValues[4 * 15 + 2], volume);
    EXPECT_EQ(effect->getParameter(effect, 4 * 15 + 2), volume);

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
