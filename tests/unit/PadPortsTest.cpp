// The settings as control ports in display units, judged by what the VST
// parameter path makes of them: every whole port value sets a setting whose
// display text shows that value, the scale points are the texts the display
// shows, and a setting's port value comes back as the same setting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "TestKit.h"
#include "engine/PadPorts.h"

namespace {

constexpr int kPad = 6;

std::string displayAt(TestKit& t, int setting, float portValue) {
    const int32_t index = kPad * kParamsPerPad + paramOfSetting(setting);
    setPadParameter(t.synth(), index, parameterValueOfPort(setting, portValue));
    char text[kDisplayTextSize] = {};
    describePadParameter(t.synth(), index, text);
    return text;
}

TEST(PadPorts, EveryWholePortValueShowsItselfInTheVstDisplay) {
    struct Case {
        PadParam param;
        const char* suffix;  // what the display writes after the number
    };
    const Case cases[] = {{ParamVolume, ""}, {ParamPan, ""},   {ParamPitch, ""},   {ParamLow, ""},
                          {ParamMid, ""},    {ParamGroup, ""}, {ParamChannel, ""}, {ParamPitchX, ""},
                          {ParamBit, "bit"}};
    TestKit t;
    for (const Case& c : cases) {
        const int setting = c.param - ParamVolume;
        const PadPortSpec& spec = padPortSpec(setting);
        for (int value = int(spec.minimum); value <= int(spec.maximum); ++value) {
            const std::string shown = displayAt(t, setting, float(value));
            ASSERT_EQ(shown, std::to_string(value) + c.suffix) << spec.symbol << " at " << value;
        }
    }
}

TEST(PadPorts, DecimalDisplaysShowThePortValueToTheirLastDigit) {
    TestKit t;
    for (int hertz = 2000; hertz <= 30000; hertz += 7) {
        const double shown = std::strtod(displayAt(t, ParamHigh - ParamVolume, float(hertz)).c_str(), nullptr);
        ASSERT_NEAR(shown * 1000.0, hertz, 10.0) << hertz;
    }
    for (int tenth = -60; tenth <= 60; ++tenth) {
        const double shown = std::strtod(displayAt(t, ParamMidGain - ParamVolume, float(tenth) / 10.0f).c_str(), nullptr);
        ASSERT_NEAR(shown, tenth / 10.0, 0.0051) << tenth;
    }
}

TEST(PadPorts, ScalePointsAreWhatTheDisplayShows) {
    TestKit t;
    for (PadParam param : {ParamNote, ParamSampleRate}) {
        const int setting = param - ParamVolume;
        ASSERT_GT(scalePointCount(setting), 0);
        for (int point = 0; point < scalePointCount(setting); ++point) {
            char label[32];
            const float value = scalePoint(setting, point, label, sizeof label);
            const std::string shown = displayAt(t, setting, value);
            if (param == ParamNote) {
                EXPECT_EQ(shown, label);
            } else {
                // The display shows the hold rate in whole kHz, the label in Hz.
                EXPECT_EQ(std::atoi(shown.c_str()), int(value / 1000.0f)) << label;
            }
            EXPECT_EQ(portValueOf(t.pad(kPad), setting), value) << label;
        }
    }
    for (PadParam param : {ParamVolume, ParamPan, ParamGroup}) EXPECT_EQ(scalePointCount(param - ParamVolume), 0);
}

// Any setting a kit holds, as its port shows it, sets the same setting again
// to within the port's float: what an editor's echo of it changes.
TEST(PadPorts, APortValueOfASettingSetsItAgain) {
    std::mt19937 rng(11);
    TestKit t;
    for (int round = 0; round < 2000; ++round) {
        const int setting = int(rng() % kPortSettingsPerPad);
        const int32_t index = kPad * kParamsPerPad + paramOfSetting(setting);
        setPadParameter(t.synth(), index, std::uniform_real_distribution<float>(0.0f, 1.0f)(rng));
        const float before = portValueOf(t.pad(kPad), setting);
        setPadParameter(t.synth(), index, parameterValueOfPort(setting, before));
        const float after = portValueOf(t.pad(kPad), setting);
        const PadPortSpec& spec = padPortSpec(setting);
        if (spec.integer)
            ASSERT_EQ(after, before) << spec.symbol;
        else
            ASSERT_NEAR(after, before, std::fabs(before) * 1e-6f + 1e-4f) << spec.symbol;
    }
}

TEST(PadPorts, ValuesOutsideTheRangeAreClamped) {
    TestKit t;
    const float nan = std::nanf("");
    EXPECT_EQ(displayAt(t, ParamVolume - ParamVolume, 1e9f), "200");
    EXPECT_EQ(displayAt(t, ParamVolume - ParamVolume, -5.0f), "0");
    EXPECT_EQ(displayAt(t, ParamNote - ParamVolume, 127.0f), "F#6");
    EXPECT_EQ(displayAt(t, ParamGroup - ParamVolume, nan), "1");
    // A kit's low cut of 0, off, shows as the range's bottom, also off.
    t.pad(kPad).lowCut = 0.0f;
    EXPECT_EQ(portValueOf(t.pad(kPad), ParamLow - ParamVolume), 10.0f);
}

}  // namespace
