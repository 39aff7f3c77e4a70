// The patch block: what a fresh kit writes, round trips through restorePatch,
// the blocks it refuses without changing anything, older uncoded blocks, and
// the default patch beside the plug-in file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "FilesKit.h"
#include "engine/Kit.h"
#include "engine/PadParameters.h"
#include "files/Patch.h"

namespace {

// Block layout.
constexpr size_t kMarkerAt = 0, kNameAt = 4, kTotalAt = 20, kCheckAt = 24, kReservedAt = 9244;
constexpr size_t kFixed = 9372;
size_t record(int p) { return 28 + 576 * static_cast<size_t>(p); }
// Pad record fields.
constexpr size_t kPadName = 0, kPadFile = 16, kVolume = 276, kPan = 280,
                 kNote = 308, kRateIndex = 309, kBitIndex = 310, kChannel = 312, kSlotSize = 316,
                 kSlotNumber = 320;
const size_t kFloatFields[] = {276, 280, 284, 288, 292, 296, 300, 304};

void stampSize(Bytes& block) {
    putU32(block, kTotalAt, static_cast<uint32_t>(block.size()));
    putU32(block, kCheckAt, ~static_cast<uint32_t>(block.size()));
}

void putFloat(Bytes& block, size_t at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(block, at, bits);
}

void putText(Bytes& block, size_t at, const char* text) { std::memcpy(&block[at], text, std::strlen(text) + 1); }

// A slot as an older writer stored it: the header, then the raw data.
Bytes olderSlot(uint16_t channels, uint16_t width, const Bytes& data) {
    Bytes slot(44);
    std::memcpy(&slot[0], "RIFF", 4);
    putU32(slot, 4, static_cast<uint32_t>(36 + data.size()));
    std::memcpy(&slot[8], "WAVEfmt ", 8);
    putU32(slot, 16, 16);
    putU16(slot, 20, 1);
    putU16(slot, 22, channels);
    putU32(slot, 24, 32000);
    putU32(slot, 28, 32000u * width * channels);
    putU16(slot, 32, width);
    putU16(slot, 34, static_cast<uint16_t>(8 * width));
    std::memcpy(&slot[36], "data", 4);
    putU32(slot, 40, static_cast<uint32_t>(data.size()));
    slot.insert(slot.end(), data.begin(), data.end());
    return slot;
}

class PatchTest : public ::testing::Test {
protected:
    // A kit with shared, moved and differently wide samples and edited settings.
    void loadSamples(FilesKit& target) {
        target.load(3, dir.write("a.wav", distinctWav(1, 200)));
        target.load(7, dir.write("a.wav", distinctWav(1, 200)));
        target.load(10, dir.write("b.wav", wavFile(2, 1, {0, 255, 128, 3, 77, 9})));
        target.load(0, dir.write("c.wav", wavFile(1, 3, {-8388608, 8388607, 5, -5})));
        target.load(12, dir.write("f.wav", floatWavFile({0.25f, -0.75f, 3.0f})));
        target.pad(3).volume = 0.5f;
        target.pad(3).pan = 0.25f;
        std::strcpy(target.pad(3).name, "Kick");
        target.pad(10).note = 60;
        target.pad(0).rateIndex = 7;
        updateHoldRatio(target.pad(0));
        target.pad(12).channel = 5;
    }

    void expectUnchanged(const KitSnapshot& before) {
        std::string difference;
        EXPECT_TRUE(sameKit(before, snapshot(kit), &difference)) << difference;
    }

    TempDir dir;
    FilesKit kit;
};

TEST_F(PatchTest, FreshChunkIsTheBareFixedPart) {
    const Bytes block = kit.patch();
    ASSERT_EQ(block.size(), kFixed);
    EXPECT_EQ(getI32(block, kMarkerAt), 1);
    const char name[16] = "zel001";
    EXPECT_EQ(0, std::memcmp(&block[kNameAt], name, 16));  // NUL, then zeros
    EXPECT_EQ(getU32(&block[kTotalAt]), 0x0000249Cu);
    EXPECT_EQ(getU32(&block[kCheckAt]), 0xFFFFDB63u);
    for (size_t at = kReservedAt; at < kFixed; ++at) ASSERT_EQ(block[at], 0) << "reserved byte " << at;
    for (int p = 0; p < 16; ++p) {
        for (size_t at = 313; at < 316; ++at) ASSERT_EQ(block[record(p) + at], 0);
        for (size_t at = 321; at < 576; ++at) ASSERT_EQ(block[record(p) + at], 0);
        EXPECT_EQ(block[record(p) + kPadFile], 0);
        EXPECT_EQ(getI32(block, record(p) + kSlotSize), 0);
        EXPECT_EQ(block[record(p) + kSlotNumber], 0);
    }
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[record(0) + kPadName]), "Bass");
    EXPECT_EQ(block[record(0) + kNote], 36);
}

TEST_F(PatchTest, RoundTripKeepsSlotsSettingsAndSamples) {
    loadSamples(kit);
    const Bytes block = kit.patch();
    ASSERT_EQ(kit.pad(7).slotNumber, kit.pad(3).slotNumber);

    FilesKit fresh;
    ASSERT_EQ(fresh.restore(block), static_cast<int32_t>(block.size()));
    EXPECT_EQ(fresh.totalSize(), kit.totalSize());
    for (int p = 0; p < 16; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(fresh.pad(p).slotNumber, kit.pad(p).slotNumber);
        EXPECT_EQ(fresh.pad(p).slotSize, kit.pad(p).slotSize);
        if (kit.pad(p).slotSize != 0) {
            EXPECT_EQ(fresh.pad(p).slotOffset, kit.pad(p).slotOffset);
        }
        EXPECT_EQ(fresh.samples(p), kit.samples(p));
        EXPECT_EQ(fresh.pad(p).sampleRate, kit.pad(p).sampleRate);
        EXPECT_EQ(fresh.pad(p).holdRatio, kit.pad(p).holdRatio);
        EXPECT_EQ(0, std::memcmp(&fresh.pad(p), &kit.pad(p), 576));
    }
    EXPECT_EQ(fresh.patch(), block);

    // The restored kit plays: pad 10 now answers key 60.
    EXPECT_EQ(fresh.noteOn(10), 2);
    EXPECT_EQ(fresh.voicesOf(10), 1);
}

TEST_F(PatchTest, EditedSettingsRecordIsApplied) {
    loadSamples(kit);
    Bytes block = kit.patch();
    putFloat(block, record(3) + kVolume, 1.75f);
    putFloat(block, record(3) + kPan, 0.0f);
    block[record(3) + kNote] = 70;
    block[record(3) + kBitIndex] = 4;
    putText(block, record(3) + kPadName, "Thud");
    ASSERT_EQ(kit.restore(block), static_cast<int32_t>(block.size()));
    EXPECT_EQ(kit.pad(3).volume, 1.75f);
    EXPECT_EQ(kit.pad(3).pan, 0.0f);
    EXPECT_EQ(kit.pad(3).note, 70);
    EXPECT_EQ(kit.pad(3).bitIndex, 4);
    EXPECT_STREQ(kit.pad(3).name, "Thud");
    char text[kDisplayTextSize];
    EXPECT_EQ(describePadParameter(kit.synth(), 3 * 15 + 2, text), 1.75f * 0.5f);
    EXPECT_STREQ(text, "175");
    EXPECT_EQ(kit.pad(7).volume, 1.0f);  // the pad sharing its slot keeps its own
}

TEST_F(PatchTest, AnyBitChangedInTheSizeFieldsIsRefused) {
    loadSamples(kit);
    const Bytes block = kit.patch();
    const KitSnapshot before = snapshot(kit);
    for (size_t field : {kTotalAt, kCheckAt}) {
        for (int bit = 0; bit < 32; ++bit) {
            Bytes changed = block;
            changed[field + bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
            EXPECT_EQ(kit.restore(changed), 0) << "field " << field << " bit " << bit;
        }
    }
    expectUnchanged(before);
}

struct BlockChange {
    const char* what;
    std::function<void(Bytes&)> apply;
};

TEST_F(PatchTest, InconsistentBlocksAreRefusedAndChangeNothing) {
    loadSamples(kit);
    const Bytes block = kit.patch();
    // Slots in this kit: 1 (pad 3 and 7, 16-bit), 2 (pad 10, 8-bit, odd data
    // size), 3 (pad 0, 24-bit), 4 (pad 12, float).
    ASSERT_EQ(kit.pad(10).slotNumber, 2);
    ASSERT_EQ(kit.pad(0).slotNumber, 3);
    const size_t slot2 = kFixed + static_cast<size_t>(kit.pad(0).slotSize);
    const size_t slot3 = slot2 + static_cast<size_t>(kit.pad(1).slotSize);
    ASSERT_EQ(kit.pad(1).slotSize, 44 + 3);

    std::vector<BlockChange> changes = {
        {"one byte short of the fixed part",
         [](Bytes& b) { b.resize(kFixed - 1); stampSize(b); }},
        {"length differs from totalSize", [](Bytes& b) { b.push_back(0); }},
        {"length and totalSize differ, size check matching totalSize",
         [](Bytes& b) { b.pop_back(); }},
        {"size check not the complement", [](Bytes& b) { putU32(b, kCheckAt, getU32(&b[kTotalAt])); }},
        {"slot number 17", [](Bytes& b) { b[record(5) + kSlotNumber] = 17; }},
        {"slot number -1", [](Bytes& b) { b[record(5) + kSlotNumber] = 0xFF; }},
        {"slot number 127", [](Bytes& b) { b[record(0) + kSlotNumber] = 127; }},
        {"a byte more than the slots", [](Bytes& b) { b.push_back(0); stampSize(b); }},
        {"a slot size one too large",
         [](Bytes& b) { putU32(b, record(15) + kSlotSize, 1); }},
        {"a negative slot size balanced by another",
         [](Bytes& b) { putU32(b, record(14) + kSlotSize, static_cast<uint32_t>(-8));
                        putU32(b, record(15) + kSlotSize, 8); }},
        {"played slot of width 0", [=](Bytes& b) { putU16(b, slot3 + 32, 0); }},
        {"played slot of width 5", [=](Bytes& b) { putU16(b, slot3 + 32, 5); }},
        {"played slot data size too small", [=](Bytes& b) { putU32(b, slot3 + 40, getU32(&b[slot3 + 40]) - 3); }},
        {"played slot data size too large", [=](Bytes& b) { putU32(b, slot3 + 40, getU32(&b[slot3 + 40]) + 3); }},
        {"played slot data not whole samples", [=](Bytes& b) { putU16(b, slot2 + 32, 2); }},
        {"played slot at 0 Hz", [=](Bytes& b) { putU32(b, slot3 + 24, 0); }},
        {"played slot smaller than a header",
         [](Bytes& b) {
             // Pad 15 plays a new 10-byte slot 16 at the end.
             b.resize(b.size() + 10, 0);
             putU32(b, record(15) + kSlotSize, 10);
             b[record(15) + kSlotNumber] = 16;
             putText(b, record(15) + kPadFile, "tiny.wav");
             stampSize(b);
         }},
        {"output pair 8", [](Bytes& b) { b[record(2) + kChannel] = 8; }},
        {"output pair -1", [](Bytes& b) { b[record(2) + kChannel] = 0xFF; }},
        {"rate index 16", [](Bytes& b) { b[record(2) + kRateIndex] = 16; }},
        {"rate index -1", [](Bytes& b) { b[record(2) + kRateIndex] = 0xFF; }},
        {"bit index 23", [](Bytes& b) { b[record(2) + kBitIndex] = 23; }},
        {"bit index -128", [](Bytes& b) { b[record(2) + kBitIndex] = 0x80; }},
    };
    const float nonFinite[] = {std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity()};
    for (size_t field : kFloatFields)
        for (float value : nonFinite)
            changes.push_back({"a float setting not finite",
                               [=](Bytes& b) { putFloat(b, record(9) + field, value); }});

    const KitSnapshot before = snapshot(kit);
    for (const BlockChange& change : changes) {
        SCOPED_TRACE(change.what);
        Bytes changed = block;
        change.apply(changed);
        EXPECT_EQ(kit.restore(changed), 0);
        expectUnchanged(before);
    }
    EXPECT_EQ(restorePatch(kit.synth(), nullptr, 0), 0);
    EXPECT_EQ(restorePatch(kit.synth(), nullptr, static_cast<int64_t>(block.size())), 0);
    EXPECT_EQ(restorePatch(kit.synth(), block.data(), 0), 0);
    expectUnchanged(before);

    // The limits themselves are fine.
    Bytes edge = block;
    edge[record(2) + kChannel] = 7;
    edge[record(2) + kRateIndex] = 0;
    edge[record(2) + kBitIndex] = 0;
    edge[record(4) + kSlotNumber] = 16;  // slot 16 is empty: no sample
    putText(edge, record(4) + kPadFile, "none.wav");
    ASSERT_EQ(kit.restore(edge), static_cast<int32_t>(edge.size()));
    EXPECT_EQ(kit.pad(2).channel, 7);
    EXPECT_EQ(kit.pad(4).samples, nullptr);
}

TEST_F(PatchTest, OlderUncodedBlockIsCodedOnRestoreAndSavedAsCurrent) {
    Bytes block = kit.patch();
    putU32(block, kMarkerAt, 0);
    // Pad 0: stereo-declared 16-bit data; pad 2: 8-bit data taken as signed
    // bytes; pad 3: a slot but no file name; pad 1: neither.
    const std::vector<int16_t> sixteen = {0, 1000, -1000, 32767, -32768, 5};
    Bytes raw16;
    for (int16_t v : sixteen) raw16.insert(raw16.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    const Bytes slot1 = olderSlot(2, 2, raw16);
    const Bytes slot3 = olderSlot(1, 1, {0x00, 0x7F, 0x80, 0xFF, 0x10});
    const Bytes slot4 = olderSlot(1, 2, {1, 2, 3, 4});
    for (const Bytes* slot : {&slot1, &slot3, &slot4}) block.insert(block.end(), slot->begin(), slot->end());
    putU32(block, record(0) + kSlotSize, static_cast<uint32_t>(slot1.size()));
    putU32(block, record(2) + kSlotSize, static_cast<uint32_t>(slot3.size()));
    putU32(block, record(3) + kSlotSize, static_cast<uint32_t>(slot4.size()));
    putText(block, record(0) + kPadFile, "old16.wav");
    putText(block, record(2) + kPadFile, "old8.wav");
    block[record(2) + kSlotNumber] = 9;  // ignored: pad i plays slot i + 1
    stampSize(block);

    ASSERT_EQ(kit.restore(block), static_cast<int32_t>(block.size()));
    for (int p = 0; p < 16; ++p) EXPECT_EQ(kit.pad(p).slotNumber, p + 1);
    std::vector<float> expected16;
    for (int16_t v : sixteen) expected16.push_back(v / 32768.0f);
    EXPECT_EQ(kit.samples(0), expected16);
    EXPECT_EQ(kit.pad(0).sampleRate, 32000.0f);
    EXPECT_EQ(kit.samples(2), (std::vector<float>{0.0f, 127 / 128.0f, -1.0f, -1 / 128.0f, 16 / 128.0f}));
    EXPECT_EQ(kit.pad(1).samples, nullptr);
    EXPECT_EQ(kit.pad(3).samples, nullptr);

    const Bytes saved = kit.patch();
    EXPECT_EQ(getI32(saved, kMarkerAt), 1);
    EXPECT_EQ(getU16(&saved[kFixed + 22]), 1);  // slot 1's channels
    FilesKit fresh;
    ASSERT_EQ(fresh.restore(saved), static_cast<int32_t>(saved.size()));
    EXPECT_EQ(fresh.samples(0), expected16);
    EXPECT_EQ(fresh.samples(2), kit.samples(2));
}

TEST_F(PatchTest, PadsLoadedOutOfOrderRestoreWithTheirOwnSamples) {
    const Bytes five = distinctWav(5, 111), six = wavFile(1, 1, {1, 50, 200, 255}),
                zero = wavFile(1, 4, {7, -7, 1 << 30});
    kit.load(5, dir.write("five.wav", five));
    kit.load(6, dir.write("six.wav", six));
    kit.load(0, dir.write("zero.wav", zero));
    ASSERT_EQ(kit.pad(5).slotNumber, 1);
    ASSERT_EQ(kit.pad(6).slotNumber, 2);
    ASSERT_EQ(kit.pad(0).slotNumber, 3);

    FilesKit fresh;
    ASSERT_NE(fresh.restore(kit.patch()), 0);
    FilesKit reference;  // each file alone, in pad 15
    for (auto [p, file] : {std::pair<int, const Bytes*>{5, &five}, {6, &six}, {0, &zero}}) {
        reference.load(15, dir.write("ref.wav", *file));
        EXPECT_EQ(fresh.samples(p), reference.samples(15)) << "pad " << p;
        EXPECT_FALSE(fresh.samples(p).empty());
    }
    EXPECT_STREQ(fresh.pad(0).fileName, "zero.wav");
}

TEST_F(PatchTest, RestoredFilterSettingsReachTheFilters) {
    kit.load(2, dir.write("a.wav", distinctWav(2)));
    Pad& source = kit.pad(2);
    source.midGain = 4.5f;
    source.midFreq = 1200.0f;
    source.lowCut = 80.0f;
    source.highCut = 9000.0f;

    FilesKit fresh(std::string(), 48000.0f);
    ASSERT_NE(fresh.restore(kit.patch()), 0);
    const Pad& pad = fresh.pad(2);
    EXPECT_EQ(pad.midFilter.gain, 4.5f);
    EXPECT_EQ(pad.midFilter.freq, 1200.0f);
    EXPECT_EQ(pad.lowCutFilter.freq, 80.0f);
    EXPECT_EQ(pad.highCutFilter.freq, 9000.0f);
    Biquad reference{};
    reference.init();
    reference.type = Biquad::Peaking;
    reference.q = 1.5f;
    reference.freq = 1200.0f;
    reference.gain = 4.5f;
    reference.design(48000.0f);
    for (int c = 0; c < Biquad::CoefficientCount; ++c)
        EXPECT_EQ(pad.midFilter.coef[c][0], reference.coef[c][0]) << "coefficient " << c;
    reference.release();
}

TEST_F(PatchTest, PadWithoutASampleTakesItsRestoredFiltersToItsNextSample) {
    const std::string sample = dir.write("b.wav", distinctWav(7, 800));
    kit.pad(9).midGain = -3.0f;
    kit.pad(9).midFreq = 500.0f;
    kit.pad(9).lowCut = 120.0f;
    FilesKit restored(std::string(), 48000.0f);
    ASSERT_NE(restored.restore(kit.patch()), 0);
    restored.load(9, sample);

    // The same pad set up through its parameters instead.
    FilesKit set(std::string(), 48000.0f);
    set.load(9, sample);
    setPadParameter(set.synth(), 9 * 15 + ParamMidGain, 0.25f);  // -3 dB
    setPadParameter(set.synth(), 9 * 15 + ParamMid, 0.1f);       // 500 Hz
    setPadParameter(set.synth(), 9 * 15 + ParamLow, 0.024f);     // 120 Hz
    ASSERT_EQ(set.pad(9).midFreq, 500.0f);
    ASSERT_EQ(set.pad(9).lowCut, 120.0f);

    restored.noteOn(9);
    set.noteOn(9);
    restored.render(900);
    set.render(900);
    EXPECT_EQ(restored.out(0), set.out(0));
    EXPECT_GT(restored.peakOutput(), 0.0f);
}

TEST_F(PatchTest, TextsEndInsideTheirFieldsAndReservedBytesStayZero) {
    Bytes block = kit.patch();
    std::memset(&block[record(1) + kPadName], 'N', 16);
    std::memset(&block[record(1) + kPadFile], 'F', 260);
    std::memset(&block[record(1) + 321], 0xAB, 255);
    std::memset(&block[record(1) + 313], 0xCD, 3);
    ASSERT_NE(kit.restore(block), 0);
    EXPECT_EQ(std::strlen(kit.pad(1).name), 15u);
    EXPECT_EQ(std::strlen(kit.pad(1).fileName), 259u);
    EXPECT_EQ(kit.pad(1).samples, nullptr);
    const Bytes saved = kit.patch();
    for (size_t at = 313; at < 316; ++at) EXPECT_EQ(saved[record(1) + at], 0);
    for (size_t at = 321; at < 576; ++at) ASSERT_EQ(saved[record(1) + at], 0);
}

TEST_F(PatchTest, PadNamingAFileWithoutASlotGetsNoSample) {
    loadSamples(kit);
    ASSERT_NE(kit.pad(3).samples, nullptr);
    ASSERT_NE(kit.pad(12).samples, nullptr);
    Bytes block = kit.patch();
    block[record(3) + kSlotNumber] = 0;   // names a.wav, plays nothing
    block[record(12) + kSlotNumber] = 9;  // plays slot 9, which is empty
    ASSERT_NE(kit.restore(block), 0);
    EXPECT_EQ(kit.pad(3).samples, nullptr);
    EXPECT_EQ(kit.pad(12).samples, nullptr);
    EXPECT_STREQ(kit.pad(3).fileName, "a.wav");
    EXPECT_NE(kit.pad(7).samples, nullptr);  // still plays slot 1
    kit.noteOn(3);
    EXPECT_EQ(kit.voicesOf(3), 0);
}

TEST_F(PatchTest, DefaultPatchBesideTheModuleIsRestoredAtConstruction) {
    FilesKit source;
    loadSamples(source);
    const Bytes block = source.patch();
    const std::string module = dir.path() + "/zel001_x64.so";
    dir.write("preset/preset.bin", block);

    FilesKit started(module);
    EXPECT_EQ(started.patch(), block);
    for (int p = 0; p < 16; ++p) EXPECT_EQ(started.samples(p), source.samples(p)) << "pad " << p;
    EXPECT_STREQ(started.pad(3).name, "Kick");
    EXPECT_TRUE(started.loadedDefaultPatch());
}

TEST_F(PatchTest, RefusedOrMissingDefaultPatchLeavesTheDefaults) {
    FilesKit plain;
    const Bytes defaults = plain.patch();
    const std::string module = dir.path() + "/zel001_x64.so";
    {
        FilesKit started(module);  // no preset directory at all
        EXPECT_EQ(started.patch(), defaults);
        EXPECT_FALSE(started.loadedDefaultPatch());
    }
    FilesKit source;
    loadSamples(source);
    Bytes block = source.patch();
    block[kCheckAt] ^= 0x10;
    dir.write("preset/preset.bin", block);
    FilesKit started(module);
    EXPECT_EQ(started.patch(), defaults);
    EXPECT_FALSE(started.loadedDefaultPatch());
    EXPECT_STREQ(started.pad(0).name, "Bass");
    EXPECT_EQ(started.pad(0).note, 36);
    for (int p = 0; p < 16; ++p) EXPECT_EQ(started.pad(p).samples, nullptr);
}

}  // namespace
