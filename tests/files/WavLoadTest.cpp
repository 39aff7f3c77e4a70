// Loading WAV files from disk into pads: what lands in the slot, what the
// pad decodes, which files are refused, how slots are shared, moved and
// emptied.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "FilesKit.h"
#include "engine/Notes.h"
#include "engine/Render.h"
#include "files/SampleStore.h"
#include "files/PadSample.h"

namespace {

// Stored header offsets (the file's canonical layout).
constexpr size_t kFingerprintAt = 16, kFormatTagAt = 20, kChannelsAt = 22, kRateAt = 24,
                 kByteRateAt = 28, kBlockAlignAt = 32, kDataSizeAt = 40;

std::vector<float> scaled(const std::vector<int64_t>& values, int width) {
    std::vector<float> out;
    for (int64_t v : values) out.push_back(static_cast<float>(std::ldexp(static_cast<double>(v), 1 - 8 * width)));
    return out;
}

std::vector<int64_t> ramp(int frames, int64_t start, int64_t step) {
    std::vector<int64_t> values;
    for (int i = 0; i < frames; ++i) values.push_back(start + step * i);
    return values;
}

class WavLoad : public ::testing::Test {
protected:
    void expectUnchanged(const KitSnapshot& before) {
        std::string difference;
        EXPECT_TRUE(sameKit(before, snapshot(kit), &difference)) << difference;
    }

    TempDir dir;
    FilesKit kit;
};

TEST_F(WavLoad, MonoSixteenBitFileFillsSlotOneAndDecodesEverySample) {
    std::vector<int64_t> values;
    for (int i = 0; i < 1000; ++i) values.push_back(static_cast<int16_t>(i * 67 - 30000 + (i % 7) * 911));
    values[10] = -32768;
    values[11] = 32767;
    const Bytes file = wavFile(1, 2, values, 48000);
    kit.load(2, dir.write("drums/kick.wav", file));

    EXPECT_STREQ(kit.pad(2).fileName, "kick.wav");
    EXPECT_EQ(kit.pad(2).slotNumber, 1);
    EXPECT_EQ(kit.pad(0).slotSize, 2044);
    EXPECT_EQ(kit.pad(0).slotOffset, 9372);
    EXPECT_EQ(kit.totalSize(), 9372 + 2044);
    EXPECT_EQ(kit.pad(2).frameCount, 1000);
    EXPECT_EQ(kit.pad(2).sampleRate, 48000.0f);
    EXPECT_EQ(kit.pad(2).holdRatio, holdRates[kit.pad(2).rateIndex] / 48000.0f);
    const std::vector<float> decoded = kit.samples(2);
    EXPECT_EQ(decoded, scaled(values, 2));
    EXPECT_EQ(decoded[10], -1.0f);
    EXPECT_EQ(decoded[11], 32767.0f / 32768.0f);

    // The slot: the file's header with one channel and its fingerprint, then
    // each sample as the difference from the one before.
    const uint8_t* slot = slotBytes(kit, 1);
    EXPECT_EQ(0, std::memcmp(slot, file.data(), 16));
    EXPECT_EQ(getU32(slot + kFingerprintAt), referenceCrc32(file));
    EXPECT_EQ(0, std::memcmp(slot + 20, file.data() + 20, 24));
    uint16_t previous = 0;
    for (int i = 0; i < 1000; ++i) {
        const uint16_t value = static_cast<uint16_t>(values[i]);
        ASSERT_EQ(getU16(slot + 44 + 2 * i), static_cast<uint16_t>(value - previous)) << "sample " << i;
        previous = value;
    }
}

TEST_F(WavLoad, StereoFileKeepsOnlyItsLeftChannel) {
    std::vector<int64_t> interleaved, left;
    for (int i = 0; i < 1000; ++i) {
        left.push_back((i * 131) % 20000 - 10000);
        interleaved.push_back(left.back());
        interleaved.push_back(12345 - i);  // the right channel must not show up anywhere
    }
    const Bytes file = wavFile(2, 2, interleaved, 44100);
    kit.load(0, dir.write("stereo.wav", file));

    EXPECT_EQ(kit.pad(0).slotSize, 2044);
    EXPECT_EQ(kit.pad(0).frameCount, 1000);
    EXPECT_EQ(kit.samples(0), scaled(left, 2));
    const uint8_t* slot = slotBytes(kit, 1);
    EXPECT_EQ(getU16(slot + kChannelsAt), 1);
    EXPECT_EQ(getU32(slot + kDataSizeAt), 2000u);
    EXPECT_EQ(getU16(slot + kBlockAlignAt), 2);
    EXPECT_EQ(getU32(slot + kByteRateAt), 44100u * 4);  // as in the file
    EXPECT_EQ(getU32(slot + kRateAt), 44100u);
}

TEST_F(WavLoad, EightBitBytesAreOffsetBinary) {
    kit.load(0, dir.write("eight.wav", wavFile(1, 1, {128, 0, 255, 1, 127, 129})));
    EXPECT_EQ(kit.samples(0), (std::vector<float>{0.0f, -1.0f, 0.9921875f, -0.9921875f,
                                                   -0.0078125f, 0.0078125f}));
    EXPECT_EQ(kit.pad(0).slotSize, 44 + 6);
}

TEST_F(WavLoad, WiderIntegerSamplesDecodeExactly) {
    const std::vector<int64_t> values24 = {0, 1, -1, 0x7FFFFF, -0x800000, 123456, -654321, 0x400000};
    const std::vector<int64_t> values32 = {0,          1,          -1,         INT32_MAX, INT32_MIN,
                                           0x12345678, -0x0ABCDEF0, 0x40000000, 0x7FFFFF80};
    kit.load(0, dir.write("24.wav", wavFile(1, 3, values24)));
    kit.load(1, dir.write("32.wav", wavFile(1, 4, values32)));
    EXPECT_EQ(kit.samples(0), scaled(values24, 3));
    EXPECT_EQ(kit.samples(1), scaled(values32, 4));
    EXPECT_EQ(kit.pad(0).slotSize, 44 + 3 * 8);
    EXPECT_EQ(kit.pad(1).slotSize, 44 + 4 * 9);

    // Stereo: block align 6 and 8, the left channel at each frame's start.
    std::vector<int64_t> stereo24, stereo32;
    for (size_t i = 0; i < values24.size(); ++i) stereo24.insert(stereo24.end(), {values24[i], 0x7FFFFF});
    for (size_t i = 0; i < values32.size(); ++i) stereo32.insert(stereo32.end(), {values32[i], -7});
    kit.load(2, dir.write("24s.wav", wavFile(2, 3, stereo24)));
    kit.load(3, dir.write("32s.wav", wavFile(2, 4, stereo32)));
    EXPECT_EQ(kit.samples(2), scaled(values24, 3));
    EXPECT_EQ(kit.samples(3), scaled(values32, 4));
    EXPECT_EQ(getU16(slotBytes(kit, 4) + kBlockAlignAt), 4);
}

TEST_F(WavLoad, FloatFileIsStoredAsWordsAndDecodedAsFloats) {
    const float below1 = std::nextafter(1.0f, 0.0f);
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> values = {0.0f, 0.5f, -0.25f, 1e-3f, 1.0f, -1.0f, 1.5f, -2.0f,
                                       std::nanf(""), inf, -inf, below1, -1e-30f,
                                       FLT_MIN, -1e-39f, 1e-45f};
    const Bytes file = floatWavFile(values);
    kit.load(0, dir.write("float.wav", file));

    EXPECT_EQ(kit.samples(0), (std::vector<float>{0.0f, 0.5f, -0.25f, 1e-3f, below1, -1.0f, below1,
                                                  -1.0f, 0.0f, 0.0f, 0.0f, below1, -1e-30f,
                                                  FLT_MIN, 0.0f, 0.0f}));
    const uint8_t* slot = slotBytes(kit, 1);
    EXPECT_EQ(getU16(slot + kFormatTagAt), 3);
    EXPECT_EQ(getU16(slot + kBlockAlignAt), 4);
    // Stored exactly like a 32-bit integer file: differences of the words.
    uint32_t previous = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const uint32_t word = getU32(file.data() + 44 + 4 * i);
        EXPECT_EQ(getU32(slot + 44 + 4 * i), word - previous) << "sample " << i;
        previous = word;
    }
}

TEST_F(WavLoad, EmptyDataChunkGivesNoFramesAndNoVoice) {
    kit.load(3, dir.write("empty.wav", wavFile(1, 2, {})));
    EXPECT_EQ(kit.pad(3).slotNumber, 1);
    EXPECT_EQ(kit.pad(0).slotSize, 44);
    EXPECT_EQ(kit.pad(3).frameCount, 0);
    EXPECT_EQ(kit.pad(3).samples, nullptr);
    kit.noteOn(3);
    EXPECT_EQ(kit.voicesOf(3), 0);
    kit.render(256);
    EXPECT_EQ(kit.peakOutput(), 0.0f);

    // Over an earlier sample: no frames to play, so still no sound.
    kit.load(4, dir.write("before.wav", distinctWav(4)));
    kit.load(4, dir.write("empty.wav", wavFile(1, 2, {})));
    EXPECT_EQ(kit.pad(4).frameCount, 0);
    kit.noteOn(4);
    kit.render(256);
    EXPECT_EQ(kit.peakOutput(), 0.0f);
    EXPECT_EQ(kit.voicesOf(4), 0);
}

TEST_F(WavLoad, BytesAfterTheDataChunkAreIgnored) {
    Bytes file = wavFile(1, 2, {100, -100, 200});
    const Bytes trailer = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'a', 'b', 'c', 'd'};
    file.insert(file.end(), trailer.begin(), trailer.end());
    kit.load(0, dir.write("trailing.wav", file));
    EXPECT_EQ(kit.pad(0).frameCount, 3);
    EXPECT_EQ(kit.pad(0).slotSize, 44 + 6);
}

struct Refusal {
    const char* what;
    Bytes file;
    const char* reason;  // words the loader's answer holds
};

std::vector<Refusal> refusedFiles() {
    const Bytes good = wavFile(1, 2, ramp(16, -800, 100));
    const Bytes goodStereo = wavFile(2, 2, ramp(32, 5, 3));
    std::vector<Refusal> list;
    auto changed = [&](const char* what, Bytes file, size_t at, uint32_t value, int width,
                       const char* reason) {
        if (width == 2) putU16(file, at, static_cast<uint16_t>(value));
        else putU32(file, at, value);
        list.push_back({what, file, reason});
    };

    // The fmt chunk must be exactly 16 bytes and followed at once by "data".
    Bytes longFmt(good.begin(), good.begin() + 36);
    putU32(longFmt, 16, 18);
    longFmt.insert(longFmt.end(), {0, 0});
    longFmt.insert(longFmt.end(), good.begin() + 36, good.end());
    putU32(longFmt, 4, static_cast<uint32_t>(longFmt.size() - 8));
    list.push_back({"18-byte fmt chunk", longFmt, "plain WAV"});
    Bytes listFirst(good.begin(), good.begin() + 36);
    const Bytes listChunk = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
    listFirst.insert(listFirst.end(), listChunk.begin(), listChunk.end());
    listFirst.insert(listFirst.end(), good.begin() + 36, good.end());
    putU32(listFirst, 4, static_cast<uint32_t>(listFirst.size() - 8));
    list.push_back({"LIST chunk before data", listFirst, "plain WAV"});

    list.push_back({"shorter than a header", Bytes(good.begin(), good.begin() + 43), "shorter"});
    list.push_back({"nothing at all", Bytes(), "shorter"});
    changed("RIFF tag", good, 0, 0x58464952 /* RIFX */, 4, "not a WAV file");
    changed("WAVE tag", good, 8, 0x46564157 /* WAVF */, 4, "not a WAV file");
    changed("fmt tag", good, 12, 0x5F746D66 /* fmt_ */, 4, "plain WAV");
    changed("data tag", good, 36, 0x41544144 /* DATA */, 4, "plain WAV");
    changed("no channels", good, 22, 0, 2, "neither mono nor stereo");
    changed("three channels", good, 22, 3, 2, "neither mono nor stereo");
    changed("block align 0 (W 0)", good, 32, 0, 2, "frame size");
    changed("block align 5 (W 5)", good, 32, 5, 2, "wider than 32 bits");
    changed("block align 8 mono (W 8)", good, 32, 8, 2, "wider than 32 bits");
    changed("block align 9", good, 32, 9, 2, "wider than 32 bits");
    changed("stereo block align 1 (W 0)", goodStereo, 32, 1, 2, "frame size");
    changed("stereo block align 3, not per channel", goodStereo, 32, 3, 2, "frame size");
    changed("stereo block align 10 (W 5)", goodStereo, 32, 10, 2, "wider than 32 bits");
    changed("data one frame past the end", good, 40, 34, 4, "past the end");
    changed("data one byte past the end", good, 40, 33, 4, "past the end");
    changed("data size 0xFFFFFFFF", good, 40, 0xFFFFFFFFu, 4, "past the end");
    changed("data not a whole number of frames", good, 40, 31, 4, "whole number of frames");
    changed("stereo data not a whole number of frames", goodStereo, 40, 62, 4, "whole number of frames");
    changed("a sample rate of 0 Hz", good, 24, 0, 4, "0 Hz");
    return list;
}

TEST_F(WavLoad, UnusableFilesChangeNothing) {
    const Bytes loaded = distinctWav(1);
    kit.load(4, dir.write("loaded.wav", loaded));
    ASSERT_NE(kit.pad(4).samples, nullptr);
    const std::string nameBefore = kit.pad(4).fileName;

    int index = 0;
    for (const Refusal& refusal : refusedFiles()) {
        SCOPED_TRACE(refusal.what);
        const std::string path = dir.write("refused" + std::to_string(index++) + ".wav", refusal.file);
        const KitSnapshot before = snapshot(kit);
        EXPECT_NE(kit.load(4, path).find(refusal.reason), std::string::npos);  // a pad with a sample
        EXPECT_NE(kit.load(9, path).find(refusal.reason), std::string::npos);  // an empty pad
        expectUnchanged(before);
        EXPECT_EQ(kit.pad(4).fileName, nameBefore);
        EXPECT_STREQ(kit.pad(9).fileName, "");
        EXPECT_EQ(kit.pad(9).slotNumber, 0);
    }

    const KitSnapshot before = snapshot(kit);
    EXPECT_EQ(kit.load(4, dir.path() + "/no such file.wav"), std::strerror(ENOENT));
    EXPECT_NE(kit.load(4, dir.path()), "");  // a directory, not a file
    expectUnchanged(before);
}

TEST_F(WavLoad, SameMonoFileInTwoPadsSharesOneSlot) {
    const Bytes file = distinctWav(3, 500);
    kit.load(3, dir.write("a/snare.wav", file));
    const int32_t size = kit.totalSize();
    // The same bytes under another name are the same sample.
    kit.load(7, dir.write("b/copy.wav", file));
    EXPECT_EQ(kit.pad(7).slotNumber, kit.pad(3).slotNumber);
    EXPECT_EQ(kit.totalSize(), size);
    EXPECT_STREQ(kit.pad(7).fileName, "copy.wav");
    EXPECT_EQ(kit.samples(7), kit.samples(3));
    EXPECT_NE(kit.pad(7).samples, kit.pad(3).samples);

    // One changed sample: another fingerprint, another slot.
    Bytes other = file;
    other[100] ^= 1;
    kit.load(8, dir.write("other.wav", other));
    EXPECT_EQ(kit.pad(8).slotNumber, 2);
    EXPECT_EQ(kit.totalSize(), size + 1044);

    // A stereo file never shares: its header is stored as mono.
    const Bytes stereo = wavFile(2, 2, ramp(40, 0, 9));
    kit.load(10, dir.write("st.wav", stereo));
    kit.load(11, dir.write("st.wav", stereo));
    EXPECT_EQ(kit.pad(10).slotNumber, 3);
    EXPECT_EQ(kit.pad(11).slotNumber, 4);
    EXPECT_EQ(kit.samples(10), kit.samples(11));
}

TEST_F(WavLoad, DelOnOneOfTwoSharingPadsKeepsTheOthersSound) {
    const Bytes file = wavFile(1, 2, std::vector<int64_t>(4000, 20000));
    const std::string path = dir.write("tone.wav", file);
    kit.load(3, path);
    kit.load(7, path);
    const std::vector<float> sound = kit.samples(3);
    const int32_t size = kit.totalSize();

    kit.remove(7);
    EXPECT_EQ(kit.pad(7).slotNumber, 0);
    EXPECT_EQ(kit.pad(7).samples, nullptr);
    EXPECT_STREQ(kit.pad(7).fileName, "");
    EXPECT_EQ(kit.totalSize(), size);
    EXPECT_EQ(kit.pad(3).slotNumber, 1);
    EXPECT_EQ(kit.pad(0).slotSize, 44 + 8000);
    EXPECT_EQ(kit.samples(3), sound);
    kit.noteOn(3);
    EXPECT_EQ(kit.voicesOf(3), 1);
    kit.render(512);
    EXPECT_GT(kit.peakOutput(), 0.1f);
    kit.noteOn(7);
    EXPECT_EQ(kit.voicesOf(7), 0);

    // The last pad to play it empties the slot.
    kit.remove(3);
    EXPECT_EQ(kit.totalSize(), 9372);
    EXPECT_EQ(kit.pad(0).slotSize, 0);
    EXPECT_EQ(kit.pad(3).samples, nullptr);
}

TEST_F(WavLoad, DelShrinksTheImageAndMovesLaterSlots) {
    kit.load(0, dir.write("a.wav", distinctWav(1, 300)));
    kit.load(1, dir.write("b.wav", wavFile(1, 1, ramp(77, 3, 3))));
    kit.load(2, dir.write("c.wav", wavFile(2, 3, ramp(50, -5000, 311))));
    const std::vector<float> b = kit.samples(1), c = kit.samples(2);
    const Bytes slotB = slotContent(kit, 2), slotC = slotContent(kit, 3);
    const int32_t sizeB = kit.pad(1).slotSize, sizeC = kit.pad(2).slotSize;

    kit.remove(0);
    EXPECT_EQ(kit.totalSize(), 9372 + sizeB + sizeC);
    EXPECT_EQ(kit.pad(0).slotSize, 0);
    EXPECT_EQ(kit.pad(1).slotOffset, 9372);
    EXPECT_EQ(kit.pad(2).slotOffset, 9372 + sizeB);
    EXPECT_EQ(slotContent(kit, 2), slotB);
    EXPECT_EQ(slotContent(kit, 3), slotC);
    // The moved slots still decode to the same samples.
    loadPadSample(kit.synth(), 1, nullptr);
    loadPadSample(kit.synth(), 2, nullptr);
    EXPECT_EQ(kit.samples(1), b);
    EXPECT_EQ(kit.samples(2), c);

    // A new file fills the hole at slot 1 and pushes the later slots up, by
    // less than their own sizes.
    kit.load(9, dir.write("d.wav", distinctWav(4, 10)));
    EXPECT_EQ(kit.pad(9).slotNumber, 1);
    EXPECT_EQ(kit.totalSize(), 9372 + 64 + sizeB + sizeC);
    EXPECT_EQ(kit.pad(1).slotOffset, 9372 + 64);
    EXPECT_EQ(kit.pad(2).slotOffset, 9372 + 64 + sizeB);
    EXPECT_EQ(slotContent(kit, 2), slotB);
    EXPECT_EQ(slotContent(kit, 3), slotC);

    FilesKit fresh;
    ASSERT_EQ(fresh.restore(kit.patch()), kit.totalSize());
    EXPECT_EQ(fresh.samples(1), b);
    EXPECT_EQ(fresh.samples(2), c);
    EXPECT_EQ(fresh.samples(9), kit.samples(9));
}

TEST_F(WavLoad, FirstFileOfAFreshKitOnPadFiveGoesToSlotOne) {
    const Bytes file = distinctWav(2, 250);
    kit.load(5, dir.write("hat.wav", file));
    EXPECT_EQ(kit.pad(5).slotNumber, 1);
    EXPECT_EQ(kit.pad(0).slotSize, 544);
    EXPECT_EQ(kit.pad(0).slotOffset, 9372);
    EXPECT_EQ(kit.pad(5).slotSize, 0);
    EXPECT_EQ(kit.pad(0).slotNumber, 0);
    EXPECT_EQ(kit.pad(0).samples, nullptr);
    EXPECT_EQ(kit.totalSize(), 9372 + 544);
    EXPECT_EQ(getU32(slotBytes(kit, 1) + kFingerprintAt), referenceCrc32(file));
}

TEST(Crc32, MatchesTheStandardCheckValue) {
    const char text[] = "123456789";
    EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(text), 9), 0xCBF43926u);
    EXPECT_EQ(crc32(nullptr, 0), 0u);
    const Bytes file = distinctWav(9, 777);
    EXPECT_EQ(crc32(file.data(), static_cast<int64_t>(file.size())), referenceCrc32(file));
}

TEST_F(WavLoad, APadThatLoadsAnotherFileLeavesNoUnplayedSlotBehind) {
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i) paths.push_back(dir.write("f" + std::to_string(i) + ".wav", distinctWav(i, 20 + i)));
    // Auditioning twenty files on one pad: each takes the place of the last.
    // (The new file goes to the first free slot, then the old one empties.)
    for (int i = 0; i < 20; ++i) EXPECT_EQ(kit.load(0, paths[i]), "") << paths[i];
    EXPECT_EQ(kit.totalSize(), 9372 + 44 + 2 * (20 + 19));
    int taken = 0;
    for (int p = 0; p < 16; ++p) taken += kit.pad(p).slotSize != 0;
    EXPECT_EQ(taken, 1);
    // Every other pad can still load.
    EXPECT_EQ(kit.load(1, paths[3]), "");
    const int8_t sharedSlot = kit.pad(1).slotNumber;
    EXPECT_NE(sharedSlot, kit.pad(0).slotNumber);

    // A slot another pad still plays stays with it.
    kit.load(2, paths[3]);
    ASSERT_EQ(kit.pad(2).slotNumber, sharedSlot);
    const std::vector<float> shared = kit.samples(1);
    kit.load(1, paths[5]);
    EXPECT_EQ(kit.pad(2).slotNumber, sharedSlot);
    EXPECT_EQ(kit.samples(2), shared);
    EXPECT_EQ(kit.totalSize(), 9372 + (44 + 2 * 39) + (44 + 2 * 23) + (44 + 2 * 25));
}

TEST_F(WavLoad, FullSlotsAreSharedOrReusedButNeverOverrun) {
    // A kit from before, in which pad 0 moved on at each load and left its
    // earlier slots behind: all sixteen are taken, pad 0 plays the last.
    std::vector<std::string> paths;
    for (int i = 0; i < 17; ++i) paths.push_back(dir.write("f" + std::to_string(i) + ".wav", distinctWav(i, 20 + i)));
    for (int i = 0; i < 16; ++i) kit.load(15 - i, paths[i]);
    Bytes block = kit.patch();
    for (int p = 1; p < 16; ++p) {
        block[28 + 576 * p + 16] = 0;   // no file name
        block[28 + 576 * p + 320] = 0;  // no slot played
    }
    block[28 + 320] = 16;
    ASSERT_NE(kit.restore(block), 0);
    EXPECT_EQ(kit.pad(0).slotNumber, 16);
    for (int s = 0; s < 16; ++s) EXPECT_EQ(kit.pad(s).slotSize, 44 + 2 * (20 + s));

    // No slot free, none matching, and no slot of its own: refused.
    const KitSnapshot before = snapshot(kit);
    EXPECT_NE(kit.load(1, paths[16]).find("16 sample slots"), std::string::npos);
    {
        std::string difference;
        EXPECT_TRUE(sameKit(before, snapshot(kit), &difference)) << difference;
    }
    EXPECT_EQ(kit.pad(1).slotNumber, 0);
    EXPECT_STREQ(kit.pad(1).fileName, "");

    // A file already in a slot is shared.
    kit.load(1, paths[4]);
    EXPECT_EQ(kit.pad(1).slotNumber, 5);
    EXPECT_EQ(kit.totalSize(), static_cast<int32_t>(before.image.size()));
    FilesKit reference;
    reference.load(0, paths[4]);
    EXPECT_EQ(kit.samples(1), reference.samples(0));

    // A pad with a slot of its own gets the new file written over it; the
    // slots after it move and keep their bytes and samples.
    const std::vector<float> last = kit.samples(0);
    std::vector<Bytes> slots;
    for (int s = 1; s <= 16; ++s) slots.push_back(slotContent(kit, s));
    kit.load(1, paths[16]);
    for (int s = 1; s <= 16; ++s) {
        if (s != 5) {
            EXPECT_EQ(slotContent(kit, s), slots[s - 1]) << "slot " << s;
        }
    }
    EXPECT_EQ(kit.pad(1).slotNumber, 5);
    EXPECT_EQ(kit.pad(4).slotSize, 44 + 2 * 36);
    EXPECT_EQ(kit.totalSize(), static_cast<int32_t>(before.image.size()) + 2 * (36 - 24));
    reference.load(2, paths[16]);
    EXPECT_EQ(kit.samples(1), reference.samples(2));
    ASSERT_NE(kit.restore(kit.patch()), 0);
    EXPECT_EQ(kit.samples(0), last);
}

// A removal waits for nothing: the pad's voices find it empty and end at
// their next frame, and the other pads' voices play on.
TEST_F(WavLoad, ARemovedPadsVoicesEndAtTheirNextFrame) {
    kit.load(2, dir.write("long.wav", wavFile(1, 2, std::vector<int64_t>(44100 * 4, 9000))));
    kit.load(6, dir.write("other.wav", wavFile(1, 2, std::vector<int64_t>(44100 * 4, -9000))));
    kit.noteOn(2);
    kit.noteOn(6);
    kit.render(64);
    kit.remove(2);
    EXPECT_EQ(kit.pad(2).samples, nullptr);
    EXPECT_STREQ(kit.pad(2).fileName, "");
    EXPECT_EQ(kit.voicesOf(2), 1) << "not yet rendered";
    EXPECT_EQ(kit.render(1), 2) << "the ended voice is news for the editor";
    EXPECT_EQ(kit.voicesOf(2), 0);
    EXPECT_EQ(kit.pad(2).activity, kHeldActivity);  // the key is still held
    EXPECT_EQ(kit.voicesOf(6), 1);
    // Both first hits play inverted: had the removed pad's voice sounded on,
    // its +9000 would have cancelled the other's -9000.
    EXPECT_GT(kit.out(0)[0], 0.1f) << "only the other pad sounds";
}

}  // namespace
