// Host parameters: mapping, display texts, round trips, clamping and the
// derived filter and hold values they keep in step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "TestKit.h"
#include "engine/Notes.h"
#include "engine/PadParameters.h"

namespace {

int indexOf(int pad, int param) { return pad * kParamsPerPad + param; }

std::string display(TestKit& t, int index, float* value = nullptr) {
    char text[kDisplayTextSize];
    std::strcpy(text, "untouched");
    const float returned = describePadParameter(t.synth(), index, text);
    if (value != nullptr) *value = returned;
    return text;
}

std::string displayAfterSet(TestKit& t, int index, float x) {
    setPadParameter(t.synth(), index, x);
    return display(t, index);
}

}  // namespace

TEST(PadParameters, DisplayTextsAtTheRangeEnds) {
    struct Case {
        int param;
        const char* atZero;
        const char* atOne;
    };
    const Case cases[] = {
        {ParamVolume, "0", "200"},      {ParamPan, "-100", "100"},       {ParamPitch, "50", "200"},
        {ParamLow, "0", "5000"},        {ParamHigh, "2.00", "30.00"},    {ParamMid, "0", "5000"},
        {ParamMidGain, "-6.00", "6.00"}, {ParamSampleRate, "  1", "192"}, {ParamBit, "2bit", "24bit"},
        {ParamNote, "G#0", "F#6"},      {ParamGroup, "1", "16"},         {ParamChannel, "1", "8"},
        {ParamPitchX, "-100", "100"},
    };
    TestKit t;
    for (const Case& c : cases) {
        const int index = indexOf(5, c.param);
        EXPECT_EQ(displayAfterSet(t, index, 0.0f), c.atZero) << "param " << c.param;
        EXPECT_EQ(displayAfterSet(t, index, 1.0f), c.atOne) << "param " << c.param;
    }
    for (int param : {ParamName, ParamWav}) {
        float value = -1.0f;
        EXPECT_EQ(display(t, indexOf(5, param), &value), "");
        EXPECT_EQ(value, 0.0f);
    }
    // Defaults of a fresh kit, and a middle of the rate table.
    TestKit fresh;
    EXPECT_EQ(display(fresh, indexOf(0, ParamHigh)), "30.00");
    EXPECT_EQ(display(fresh, indexOf(0, ParamPitch)), "100");
    EXPECT_EQ(display(fresh, indexOf(0, ParamNote)), "C2");
    EXPECT_EQ(display(fresh, indexOf(15, ParamNote)), "A3");
    fresh.pad(0).rateIndex = 11;
    EXPECT_EQ(display(fresh, indexOf(0, ParamSampleRate)), " 44");
}

TEST(PadParameters, IntegerSettingsSurviveARoundTrip) {
    struct Setting {
        int param;
        int8_t Pad::*field;
        int low, high;
    };
    const Setting settings[] = {
        {ParamSampleRate, &Pad::rateIndex, 0, 15}, {ParamBit, &Pad::bitIndex, 0, 22},
        {ParamNote, &Pad::note, 20, 90},           {ParamGroup, &Pad::group, 0, 15},
        {ParamChannel, &Pad::channel, 0, 7},
    };
    TestKit t;
    t.placeSample(2, {0.0f}, 44100.0f);
    for (const Setting& s : settings) {
        for (int v = s.low; v <= s.high; ++v) {
            t.pad(2).*s.field = static_cast<int8_t>(v);
            float value = -1.0f;
            display(t, indexOf(2, s.param), &value);
            EXPECT_NEAR(value, float(v - s.low) / float(s.high - s.low), 1e-6) << "param " << s.param;
            t.pad(2).*s.field = -1;
            setPadParameter(t.synth(), indexOf(2, s.param), value);
            EXPECT_EQ(t.pad(2).*s.field, v) << "param " << s.param << " value " << value;
        }
    }
}

TEST(PadParameters, ContinuousSettingsReturnTheirValue) {
    TestKit t;
    for (int param : {ParamVolume, ParamPan, ParamPitch, ParamLow, ParamHigh, ParamMid, ParamMidGain,
                      ParamPitchX}) {
        for (float x : {0.0f, 0.25f, 0.6f, 1.0f}) {
            setPadParameter(t.synth(), indexOf(4, param), x);
            float value = -1.0f;
            display(t, indexOf(4, param), &value);
            EXPECT_NEAR(value, x, 1e-6) << "param " << param;
        }
    }
}

TEST(PadParameters, IndexAddressesPadAndParam) {
    TestKit t;
    setPadParameter(t.synth(), 17, 1.0f);
    EXPECT_EQ(t.pad(1).volume, 2.0f);
    EXPECT_EQ(t.pad(0).volume, 1.0f);
    EXPECT_EQ(t.pad(2).volume, 1.0f);
    float value = 0.0f;
    EXPECT_EQ(display(t, 17, &value), "200");
    EXPECT_EQ(value, 1.0f);

    setPadParameter(t.synth(), 3, 0.0f);
    EXPECT_EQ(t.pad(0).pan, 0.0f);
    setPadParameter(t.synth(), 239, 1.0f);
    EXPECT_EQ(t.pad(15).pitchX, 1.0f);
}

TEST(PadParameters, IndexesOutsideThePadsDoNothing) {
    TestKit t;
    unsigned char before[kPadCount][kPadRecordSize];
    for (int p = 0; p < kPadCount; ++p) std::memcpy(before[p], &t.pad(p), kPadRecordSize);
    for (int index : {240, 241, -1, 100000}) {
        setPadParameter(t.synth(), index, 0.3f);
        float value = -1.0f;
        EXPECT_EQ(display(t, index, &value), "untouched") << "index " << index;
        EXPECT_EQ(value, 0.0f);
    }
    for (int p = 0; p < kPadCount; ++p) EXPECT_EQ(std::memcmp(before[p], &t.pad(p), kPadRecordSize), 0);
}

TEST(PadParameters, ValuesOutsideTheUnitRangeAreClamped) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    TestKit t;
    t.placeSample(0, {0.0f}, 44100.0f);
    auto set = [&](int param, float x) { setPadParameter(t.synth(), indexOf(0, param), x); };
    set(ParamSampleRate, 5.0f);
    EXPECT_EQ(t.pad(0).rateIndex, 15);
    EXPECT_EQ(t.pad(0).holdRatio, 192000.0f / 44100.0f);
    set(ParamSampleRate, -3.0f);
    EXPECT_EQ(t.pad(0).rateIndex, 0);
    set(ParamChannel, 5.0f);
    EXPECT_EQ(t.pad(0).channel, 7);
    set(ParamChannel, nan);
    EXPECT_EQ(t.pad(0).channel, 0);
    set(ParamBit, inf);
    EXPECT_EQ(t.pad(0).bitIndex, 22);
    set(ParamNote, inf);
    EXPECT_EQ(t.pad(0).note, 90);
    set(ParamNote, nan);
    EXPECT_EQ(t.pad(0).note, 20);
    set(ParamGroup, -inf);
    EXPECT_EQ(t.pad(0).group, 0);
    set(ParamVolume, 5.0f);
    EXPECT_EQ(t.pad(0).volume, 2.0f);
    set(ParamPan, nan);
    EXPECT_EQ(t.pad(0).pan, 0.0f);
    set(ParamPitchX, -3.0f);
    EXPECT_EQ(t.pad(0).pitchX, -1.0f);
    set(ParamHigh, inf);
    EXPECT_EQ(t.pad(0).highCut, 30000.0f);
    EXPECT_EQ(t.pad(0).highCutFilter.freq, 21609.0f);
    set(ParamLow, nan);
    EXPECT_EQ(t.pad(0).lowCut, 0.0f);
    EXPECT_TRUE(std::isfinite(t.pad(0).lowCutFilter.coef[Biquad::B0][0]));
}

TEST(PadParameters, SampleRateSetsTheHoldRatio) {
    TestKit t;
    t.placeSample(3, {0.0f}, 22050.0f);
    setPadParameter(t.synth(), indexOf(3, ParamSampleRate), 11.0f / 15.0f);
    EXPECT_EQ(t.pad(3).rateIndex, 11);
    EXPECT_EQ(t.pad(3).holdRatio, 2.0f);
    EXPECT_EQ(t.pad(3).holdInverse, 0.5f);
    setPadParameter(t.synth(), indexOf(3, ParamSampleRate), 0.0f);
    EXPECT_EQ(t.pad(3).holdRatio, 1000.0f / 22050.0f);
    EXPECT_EQ(t.pad(3).holdInverse, 1.0f / (1000.0f / 22050.0f));
}

TEST(PadParameters, FilterSettingsRedesignThePadFilterAtOnce) {
    TestKit t;
    Pad& pad = t.pad(6);
    const float oldHighPass = pad.lowCutFilter.coef[Biquad::B0][0];
    const float oldLowPass = pad.highCutFilter.coef[Biquad::B1][0];
    const float oldPeak = pad.midFilter.coef[Biquad::B0][0];

    setPadParameter(t.synth(), indexOf(6, ParamLow), 0.2f);
    EXPECT_EQ(pad.lowCut, 1000.0f);
    EXPECT_EQ(pad.lowCutFilter.freq, 1000.0f);
    EXPECT_NE(pad.lowCutFilter.coef[Biquad::B0][0], oldHighPass);

    setPadParameter(t.synth(), indexOf(6, ParamHigh), 0.5f);
    EXPECT_EQ(pad.highCut, 16000.0f);
    EXPECT_EQ(pad.highCutFilter.freq, 16000.0f);
    EXPECT_NE(pad.highCutFilter.coef[Biquad::B1][0], oldLowPass);

    setPadParameter(t.synth(), indexOf(6, ParamMid), 0.2f);
    EXPECT_EQ(pad.midFreq, 1000.0f);
    EXPECT_EQ(pad.midFilter.freq, 1000.0f);
    // At 0 dB the peak is flat: b0 = 1 up to rounding.
    EXPECT_NEAR(pad.midFilter.coef[Biquad::B0][0], 1.0f, 1e-6);
    setPadParameter(t.synth(), indexOf(6, ParamMidGain), 1.0f);
    EXPECT_EQ(pad.midGain, 6.0f);
    EXPECT_EQ(pad.midFilter.gain, 6.0f);
    EXPECT_GT(pad.midFilter.coef[Biquad::B0][0], 1.01f);
    EXPECT_NE(pad.midFilter.coef[Biquad::B0][0], oldPeak);
    // The pad field keeps the set value while the filter's copy is floored.
    setPadParameter(t.synth(), indexOf(6, ParamLow), 0.0f);
    EXPECT_EQ(pad.lowCut, 0.0f);
    EXPECT_EQ(pad.lowCutFilter.freq, 10.0f);
}

TEST(PadParameters, SoundingVoicesHearANewFilterSetting) {
    TestKit t;
    t.placeSample(0, std::vector<float>(1000, 0.5f), 44100.0f);
    ASSERT_EQ(t.noteOn(36), 2);
    Voice& voice = t.voice(0);
    ASSERT_EQ(voice.pad, &t.pad(0));
    voice.lowCutFilter.state[0] = 0.25f;
    setPadParameter(t.synth(), indexOf(0, ParamLow), 0.4f);
    EXPECT_EQ(voice.lowCutFilter.coef[Biquad::B0][0], t.pad(0).lowCutFilter.coef[Biquad::B0][0]);
    EXPECT_EQ(voice.lowCutFilter.coef[Biquad::A2][0], t.pad(0).lowCutFilter.coef[Biquad::A2][0]);
    EXPECT_EQ(voice.lowCutFilter.state[0], 0.25f) << "the voice keeps its own state";
}
