// Rendering: sample position, hold, bit depth, fades, smoothing, filters
// switched by the pad fields, mixing, previews and the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "TestKit.h"
#include "engine/Kit.h"
#include "engine/PadParameters.h"
#include "engine/Render.h"
#include "engine/RenderPath.h"

namespace {

constexpr int16_t kBass = 36;

// Sample whose value names its index: k / scale, exact through any bit depth
// that keeps log2(scale) fractional bits.
std::vector<float> ramp(int length, float scale) {
    std::vector<float> values(length);
    for (int k = 0; k < length; ++k) values[k] = static_cast<float>(k) / scale;
    return values;
}

void setRate(Pad& pad, int8_t rateIndex) {
    pad.rateIndex = rateIndex;
    updateHoldRatio(pad);
}

// The value the voice reads at its next position: one frame with a cleared
// smoother and unit gain leaves exactly half of it in the scratch buffer.
float probe(TestKit& t, Voice& voice, int32_t* k = nullptr) {
    voice.smoothState = 0.0f;
    voice.gain = 1.0f;
    playVoice(t.synth(), voice, *voice.pad, 1);
    if (k != nullptr) *k = static_cast<int32_t>(voice.position);
    return t.kit().scratch[0] * 2.0f;
}

// Index read at each position k, for positions 1 to count.
std::map<int32_t, int32_t> readIndexes(int8_t rateIndex, int count) {
    TestKit t;
    t.placeSample(0, ramp(8192, 8192.0f), 44100.0f);
    setRate(t.pad(0), rateIndex);
    t.noteOn(kBass);
    std::map<int32_t, int32_t> indexes;
    for (int n = 0; n < count; ++n) {
        int32_t k = 0;
        const float value = probe(t, t.voice(0), &k);
        indexes[k] = static_cast<int32_t>(value * 8192.0f);
    }
    return indexes;
}

}  // namespace

TEST(Render, PositionAdvancesAtTheSampleRate) {
    const float cases[][3] = {{44100.0f, 1.0f, 1000.0f}, {22050.0f, 1.0f, 500.0f}, {44100.0f, 2.0f, 2000.0f}};
    for (const auto& c : cases) {
        TestKit t;
        t.placeSample(0, std::vector<float>(4096, 0.25f), c[0]);
        t.pad(0).pitch = c[1];
        t.noteOn(kBass, 90);
        t.render(1000);
        EXPECT_EQ(t.voice(0).position, c[2]) << "rate " << c[0] << " pitch " << c[1];
    }
}

TEST(Render, TopHoldRateLagsOneSampleAndNativeRateDoesNot) {
    const auto top = readIndexes(15, 2000);
    int lagging = 0;
    for (const auto& [k, index] : top) {
        ASSERT_TRUE(index == k - 1 || index == k) << "k " << k << " read " << index;
        lagging += index == k - 1;
    }
    EXPECT_GT(lagging, 1900) << "most positions read one sample behind";
    EXPECT_EQ(top.at(1), 0);
    for (const auto& [k, index] : readIndexes(11, 2000)) ASSERT_EQ(index, k);
}

TEST(Render, LowestHoldRateRepeatsValuesAbout44Positions) {
    // Runs of one held value: where each starts and which index it reads.
    struct Run {
        int32_t start, index, length;
    };
    std::vector<Run> runs;
    for (const auto& [k, index] : readIndexes(0, 4000)) {
        if (runs.empty() || runs.back().index != index) runs.push_back({k, index, 0});
        ++runs.back().length;
    }
    ASSERT_GT(runs.size(), 80u);
    double total = 0.0;
    for (size_t r = 1; r + 1 < runs.size(); ++r) {  // the first and last runs are partial
        EXPECT_TRUE(runs[r].length == 44 || runs[r].length == 45) << "run " << r << " is " << runs[r].length;
        // The held value was taken at or just before the run's first position.
        EXPECT_TRUE(runs[r].index == runs[r].start - 1 || runs[r].index == runs[r].start) << "run " << r;
        total += runs[r].length;
    }
    EXPECT_NEAR(total / (runs.size() - 2), 44.1, 0.05);
}

TEST(Render, BitDepthQuantisesTowardZero) {
    // Position k reads samples[k] at the native hold rate; index 0 is never read.
    const std::vector<float> values = {0.0f, -1.0f, -0.9f, -0.5f, -0.49f, -0.1f, 0.0f,
                                       0.1f, 0.49f, 0.5f, 0.75f, 0.99f};
    const float twoBit[] = {-1.0f, -0.5f, -0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f};
    TestKit t;
    t.placeSample(0, values, 44100.0f);
    setRate(t.pad(0), 11);
    t.pad(0).bitIndex = 0;
    t.noteOn(kBass);
    for (size_t k = 1; k < values.size(); ++k)
        EXPECT_EQ(probe(t, t.voice(0)), twoBit[k - 1]) << "value " << values[k];

    // Every value of a sweep lands on -0.5, 0 or 0.5.
    std::vector<float> sweep(2001);
    for (int n = 0; n < 2001; ++n) sweep[n] = -0.9995f + static_cast<float>(n) * 0.000999f;
    t.placeSample(1, sweep, 44100.0f);
    setRate(t.pad(1), 11);
    t.pad(1).bitIndex = 0;
    t.noteOn(37);
    for (int n = 1; n < 2000; ++n) {
        const float v = probe(t, t.voice(1));
        ASSERT_TRUE(v == -0.5f || v == 0.0f || v == 0.5f) << sweep[n] << " became " << v;
    }

    // 24 bit keeps 23 fractional bits; 9 bit keeps 8.
    const std::vector<float> fine = {0.0f, 0.1f, -0.1f, 1e-7f, 0.3333333f, 3.0f / 8388608.0f};
    for (int bitIndex : {22, 7}) {
        TestKit k;
        k.placeSample(0, fine, 44100.0f);
        setRate(k.pad(0), 11);
        k.pad(0).bitIndex = static_cast<int8_t>(bitIndex);
        k.noteOn(kBass);
        const double scale = std::ldexp(1.0, bitIndex + 1);
        for (size_t n = 1; n < fine.size(); ++n) {
            const float expected = static_cast<float>(std::trunc(fine[n] * scale) / scale);
            EXPECT_EQ(probe(k, k.voice(0)), expected) << fine[n] << " at bitIndex " << bitIndex;
        }
    }
}

TEST(Render, FirstValueIsHalfTheHeldValueTimesGain) {
    const std::vector<float> values = {0.5f, 0.25f, 0.125f, 0.0625f};
    const float gain = -(100.0f * (1.0f / 127.0f));
    for (int8_t rateIndex : {15, 11}) {
        TestKit t;
        chooseRenderPath(t.kit(), RenderPath::Plain);  // its scratch buffer is looked at
        t.placeSample(0, values, 44100.0f);
        setRate(t.pad(0), rateIndex);
        t.noteOn(kBass, 100);
        t.render(2);
        const float held = rateIndex == 15 ? 0.5f : 0.25f;  // the top rate lags one sample
        const float first = (held + 0.0f) * 0.5f * gain;
        EXPECT_EQ(t.kit().scratch[0], first);
        EXPECT_EQ(t.out(0)[0], first * 0.5f);
        EXPECT_EQ(t.out(1)[0], first * 0.5f);
        const float second = (0.25f + (held + 0.0f) * 0.5f) * 0.5f * gain;  // k = 2 reads index 1
        if (rateIndex == 15) {
            EXPECT_EQ(t.kit().scratch[1], second);
        }
    }
}

TEST(Render, ChokedVoiceFadesOverATenthOfASecond) {
    TestKit t;
    t.placeSample(0, std::vector<float>(3 * 44100, 0.5f), 44100.0f);
    t.placeSample(1, std::vector<float>(3 * 44100, 0.5f), 44100.0f);
    t.pad(1).group = 0;    // pad 1 chokes pad 0
    t.pad(1).channel = 1;  // and sounds on outputs 2 and 3
    t.noteOn(kBass);
    t.advance(1000);
    t.noteOn(37);
    EXPECT_EQ(t.voice(0).fadeOut, 1.0f);

    std::vector<float> choked;  // outputs 0 and 1 hold pad 0 alone
    int answerAtEnd = -1;
    for (int block = 0; block < 8 && answerAtEnd < 0; ++block) {
        const int answer = t.render(1024);
        choked.insert(choked.end(), t.out(0), t.out(0) + 1024);
        if (t.voice(0).pad == nullptr) answerAtEnd = answer;
    }
    // 0.1 s at 44.1 kHz: frames 0 to 4409 sound, then nothing.
    ASSERT_EQ(choked.size(), 5u * 1024);
    for (int i = 0; i < 4410; ++i) ASSERT_NE(choked[i], 0.0f) << i;
    for (size_t i = 4410; i < choked.size(); ++i) ASSERT_EQ(choked[i], 0.0f) << i;
    EXPECT_NEAR(choked[2205] / choked[0], 0.5f, 0.001f) << "a straight fade: half way, half the level";
    EXPECT_EQ(answerAtEnd, 2);
    EXPECT_EQ(t.pad(0).activity, 1000) << "the key is still held; the voice is gone";
    EXPECT_EQ(t.voice(1).pad, &t.pad(1));
}

TEST(Render, VoiceEndingMidSpanLeavesZerosAndFreesItsSlot) {
    TestKit t;
    chooseRenderPath(t.kit(), RenderPath::Plain);  // its scratch buffer is looked at
    t.placeSample(0, std::vector<float>(100, 0.5f), 44100.0f);
    t.noteOn(kBass);
    ASSERT_EQ(t.pad(0).activity, 1001);
    EXPECT_EQ(t.render(256), 2);
    // Position 100 is the first past the end; it is reached at frame 99.
    for (int i = 0; i < 99; ++i) ASSERT_NE(t.out(0)[i], 0.0f) << i;
    for (int i = 99; i < 256; ++i) {
        ASSERT_EQ(t.out(0)[i], 0.0f) << i;
        ASSERT_EQ(t.kit().scratch[i], 0.0f) << i;
    }
    EXPECT_EQ(t.voice(0).pad, nullptr);
    EXPECT_EQ(t.pad(0).activity, 1000);
    EXPECT_EQ(t.pad(0).shownActivity.load(), NoteActivity::Held) << "the key still holds it";
    EXPECT_EQ(t.render(256), 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t.out(0)[i], 0.0f);

    // A sample removed under a sounding voice ends it at once.
    t.noteOn(kBass);
    float* samples = t.pad(0).samples;
    t.pad(0).samples = nullptr;
    EXPECT_EQ(t.render(16), 2);
    EXPECT_EQ(t.voice(0).pad, nullptr);
    EXPECT_EQ(t.out(0)[0], 0.0f);
    t.pad(0).samples = samples;
}

TEST(Render, VolumePanAndChannelPlaceTheVoice) {
    struct Case {
        float pan, volume;
        int8_t channel;
        float left, right;
    };
    const Case cases[] = {{0.5f, 1.0f, 0, 0.5f, 0.5f},
                          {0.0f, 1.0f, 0, 1.0f, 0.0f},
                          {0.25f, 2.0f, 0, 1.5f, 0.5f},
                          {0.5f, 1.0f, 7, 0.5f, 0.5f}};
    for (const Case& c : cases) {
        TestKit t;
        chooseRenderPath(t.kit(), RenderPath::Plain);  // its scratch buffer is looked at
        t.placeSample(0, ramp(512, 1024.0f), 44100.0f);
        t.pad(0).pan = c.pan;
        t.pad(0).volume = c.volume;
        t.pad(0).channel = c.channel;
        t.noteOn(kBass);
        t.render(256);
        const float* scratch = t.kit().scratch;
        ASSERT_NE(scratch[100], 0.0f);
        for (int o = 0; o < kOutputCount; ++o) {
            for (int i = 0; i < 256; ++i) {
                float expected = 0.0f;
                if (o == 2 * c.channel) expected = scratch[i] * c.left;
                if (o == 2 * c.channel + 1) expected = scratch[i] * c.right;
                ASSERT_EQ(t.out(o)[i], expected) << "output " << o << " frame " << i << " pan " << c.pan;
            }
        }
    }
}

// Hosts hand one buffer for every output they do not take. Here the voice's
// pair sits between outputs that share one buffer full of stale values: on
// every path the shared buffer ends cleared and the pair holds the voice as
// it sounds in outputs of its own.
TEST(Render, OutputsSharingOneBufferAroundASoundingPairAreCleared) {
    constexpr int32_t kFrames = 96;
    constexpr int8_t kPair = 3;
    for (RenderPath path : {RenderPath::Plain, RenderPath::Lanes4, RenderPath::Lanes8}) {
        TestKit own, shared;
        for (TestKit* t : {&own, &shared}) {
            chooseRenderPath(t->kit(), supportedRenderPath(path));
            t->placeSample(0, ramp(512, 1024.0f), 44100.0f);
            t->pad(0).channel = kPair;
            t->noteOn(kBass);
        }
        own.render(kFrames);

        std::vector<float> stale(kFrames, 7.0f);
        std::vector<float> left(kFrames, 7.0f), right(kFrames, 7.0f);
        float* outputs[kOutputCount];
        for (float*& output : outputs) output = stale.data();
        outputs[2 * kPair] = left.data();
        outputs[2 * kPair + 1] = right.data();
        renderBlock(shared.synth(), outputs, kFrames);

        for (int i = 0; i < kFrames; ++i) {
            ASSERT_EQ(stale[i], 0.0f) << "frame " << i;
            ASSERT_EQ(left[i], own.out(2 * kPair)[i]) << "frame " << i;
            ASSERT_EQ(right[i], own.out(2 * kPair + 1)[i]) << "frame " << i;
        }
        ASSERT_NE(left[kFrames - 1], 0.0f);
    }
}

TEST(Render, FiltersRunOnlyWhenThePadEnablesThem) {
    // Pad filters designed to change the sound; the pad fields decide.
    auto render = [](float lowCut, float midFreq, float highCut) {
        TestKit t;
        std::vector<float> values(600);
        for (int k = 0; k < 600; ++k) values[k] = std::round(std::sin(k * 0.3) * 4096.0) / 4096.0;
        t.placeSample(0, values, 44100.0f);
        setRate(t.pad(0), 11);
        Pad& pad = t.pad(0);
        pad.lowCutFilter.freq = 2000.0f;
        pad.midFilter.freq = 1000.0f;
        pad.midFilter.gain = 6.0f;
        pad.highCutFilter.freq = 500.0f;
        for (Biquad* f : {&pad.lowCutFilter, &pad.midFilter, &pad.highCutFilter}) f->design(44100.0f);
        pad.lowCut = lowCut;
        pad.midFreq = midFreq;
        pad.highCut = highCut;
        t.noteOn(kBass, 127);
        t.render(512);
        return std::make_pair(std::vector<float>(t.out(0), t.out(0) + 512), values);
    };
    // Unfiltered reference: native hold rate reads samples[k], k = 1, 2, ...
    const auto [off, values] = render(10.0f, 10.0f, 30000.0f);
    const float gain = -(127.0f * (1.0f / 127.0f));
    float smooth = 0.0f;
    for (int i = 0; i < 512; ++i) {
        smooth = (values[i + 1] + smooth) * 0.5f;
        ASSERT_EQ(off[i], smooth * gain * 0.5f) << "frame " << i;
    }
    EXPECT_NE(render(10.5f, 10.0f, 30000.0f).first, off);
    EXPECT_NE(render(10.0f, 10.5f, 30000.0f).first, off);
    EXPECT_NE(render(10.0f, 10.0f, 29999.0f).first, off);
}

TEST(Render, RollGlidesBackAndFadesIn) {
    TestKit t;
    t.placeSample(0, std::vector<float>(44100, 0.25f), 44100.0f);
    t.pad(0).pitchX = 1.0f;
    t.noteOn(kBass, 90);
    t.advance(4410);
    t.noteOn(kBass, 90);
    // Frame by frame: where the glide lands and where the level is full. The
    // voices are looked up after each render: their records are current then.
    auto roll = [&t]() -> Voice& { return t.voice(1); };
    int landed = -1, risen = -1;
    for (int frame = 0; risen < 0 && frame < 8000; ++frame) {
        t.render(1);
        if (landed < 0 && roll().glideStep == 0.0f) landed = frame;
        if (roll().fadeIn >= 1.0f) risen = frame;
    }
    // The 0.5 % bend, 1/13230 a frame: 66.15 steps, so the 67th frame lands,
    // within a step below 1.
    EXPECT_EQ(landed, 66);
    EXPECT_LE(roll().pitchFactor, 1.0f);
    EXPECT_GT(roll().pitchFactor, 1.0f - 1.0f / 13230.0f);
    // From a fifth of full level, 1/8820 a frame: 0.8 x 8820 = 7056 steps,
    // and one more, as their single-precision sum falls just short of 1.
    EXPECT_EQ(risen, 7056);

    // A choke freezes the fade-in while the fade-out runs: another roll,
    // choked by the next hit at once.
    t.noteOn(kBass, 90);
    auto second = [&t]() -> Voice& { return t.voice(0); };  // the first hit's slot is free again
    ASSERT_EQ(second().startClock, t.kit().clock);
    const float fadeIn = second().fadeIn;
    ASSERT_LT(fadeIn, 1.0f);
    t.noteOn(kBass, 90);
    ASSERT_EQ(second().fadeOut, 1.0f);
    t.render(100);
    EXPECT_EQ(second().fadeIn, fadeIn);
    EXPECT_LT(second().fadeOut, 1.0f);
}

TEST(Render, PreviewNoteOnPlaysBeforeAPendingNoteOff) {
    TestKit t;
    t.placeSample(0, std::vector<float>(44100, 0.25f), 44100.0f);
    t.kit().previewOn = kBass;
    t.kit().previewOff = kBass;
    EXPECT_EQ(t.render(64), 2);
    EXPECT_EQ(t.kit().previewOn.load(), -1);
    EXPECT_EQ(t.kit().previewOff.load(), kBass);
    ASSERT_EQ(t.voice(0).pad, &t.pad(0));
    EXPECT_EQ(t.voice(0).gain, -(100.0f * (1.0f / 127.0f)));
    EXPECT_EQ(t.voice(0).startClock, 64u);
    EXPECT_NE(t.out(0)[63], 0.0f) << "the preview sounds in its own span";
    EXPECT_EQ(t.pad(0).activity, 1001);

    EXPECT_EQ(t.render(64), 2);
    EXPECT_EQ(t.kit().previewOff.load(), -1);
    EXPECT_EQ(t.pad(0).activity, 1);
    EXPECT_EQ(t.render(64), 0);

    t.kit().previewOn = 38;  // a pad without a sample
    EXPECT_EQ(t.render(64), 0);
    EXPECT_EQ(t.kit().previewOn.load(), -1);
}

TEST(Render, WithoutScratchOutputsAreClearedAndNothingPlays) {
    TestKit t;
    t.placeSample(0, std::vector<float>(1000, 0.25f), 44100.0f);
    t.noteOn(kBass);
    for (int o = 0; o < kOutputCount; ++o)
        for (int i = 0; i < 128; ++i) t.out(o)[i] = 7.0f;
    float* scratch = t.kit().scratch;
    t.kit().scratch = nullptr;
    EXPECT_EQ(t.render(128), 0);
    t.kit().scratch = scratch;
    for (int o = 0; o < kOutputCount; ++o)
        for (int i = 0; i < 128; ++i) ASSERT_EQ(t.out(o)[i], 0.0f);
    EXPECT_EQ(t.voice(0).position, 0.0f);
    EXPECT_EQ(t.voice(0).pad, &t.pad(0));
}

TEST(Render, ClockWrapsToOneWhenTheSumIsZero) {
    TestKit t;
    t.kit().clock = 0xFFFFFFF6u;
    t.render(10);
    EXPECT_EQ(t.kit().clock, 1u);
    t.kit().clock = 0xFFFFFFFBu;
    t.render(10);
    EXPECT_EQ(t.kit().clock, 5u);
}

TEST(Render, AKitSoundsTheSameWhateverRateItWasSetUpAt) {
    // A high cut above the Nyquist frequency of 44.1 kHz, set there, then the
    // host moves to 96 kHz: the filter follows the setting, not the corner
    // the 44.1 kHz design had to settle for.
    auto hit = [](TestKit& t) {
        std::vector<float> values(900);
        for (int k = 0; k < 900; ++k) values[k] = std::round(std::sin(k * 1.7) * 4096.0) / 4096.0;
        t.placeSample(0, values, 96000.0f);
        t.noteOn(kBass, 127);
        t.render(800);
        return std::vector<float>(t.out(0), t.out(0) + 800);
    };
    TestKit moved(44100.0f);
    setPadParameter(moved.synth(), ParamHigh, 0.82142857f);  // 25 kHz
    setPadParameter(moved.synth(), ParamLow, 0.05f);         // 250 Hz
    setAudioFormat(moved.synth(), 96000.0f, moved.synth().blockLength);
    moved.synth().hostRate = 96000.0f;
    moved.synth().hostRateInverse = 1.0f / 96000.0f;

    TestKit native(96000.0f);
    setPadParameter(native.synth(), ParamHigh, 0.82142857f);
    setPadParameter(native.synth(), ParamLow, 0.05f);
    ASSERT_EQ(native.pad(0).highCut, moved.pad(0).highCut);
    ASSERT_GT(native.pad(0).highCut, 0.49f * 44100.0f);

    EXPECT_EQ(hit(moved), hit(native));
}
