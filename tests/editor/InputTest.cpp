// Mouse input as the host then sees it: knob drags, slider presses, the
// rename box, captions that change nothing, and the host told of every
// gesture so it can record automation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "host/zelVst.h"

namespace {

// Pad 0's pan knob: 64..120 x 120..176; parameter 3.
constexpr int kPanX = 92, kPanY = 148, kPan = 3;

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(t.record(), nullptr);
        t.openAndSettle();
        t.takeHostCalls();
    }
    // A drag of the pan knob from 0 through the steps, each relative to the press.
    float panAfterDrag(const std::vector<Point>& steps, bool shift = false) {
        t.setParameter(kPan, 0.0f);
        std::vector<Point> through;
        for (const Point& step : steps) through.push_back({kPanX + step.x, kPanY + step.y});
        t.drag(kPanX, kPanY, through, shift);
        return t.parameter(kPan);
    }
    EditorUnderTest t;
};

TEST_F(Input, AKnobDraggedTwoHundredPixelsUpGoesFromZeroToOne) {
    EXPECT_EQ(panAfterDrag({{0, -100}, {0, -200}, {0, -260}}), 1.0f) << "and no further";
    EXPECT_EQ(panAfterDrag({{0, -100}}), 0.5f);
    EXPECT_EQ(t.display(kPan), "0") << "the middle: centred";
    // Down takes it back, and it never leaves [0, 1].
    t.drag(kPanX, kPanY, {{kPanX, kPanY + 50}, {kPanX, kPanY + 400}});
    EXPECT_EQ(t.parameter(kPan), 0.0f);
}

TEST_F(Input, ShiftMakesTheSameChangeTakeFiveTimesTheTravel) {
    EXPECT_FLOAT_EQ(panAfterDrag({{0, -200}}, true), 0.2f);
    EXPECT_EQ(panAfterDrag({{0, -500}, {0, -1000}}, true), 1.0f);
    EXPECT_LT(panAfterDrag({{0, -990}}, true), 1.0f);
}

TEST_F(Input, AMostlyHorizontalDragFollowsTheHorizontalDistance) {
    EXPECT_FLOAT_EQ(panAfterDrag({{50, -10}}), 0.25f) << "rightwards increases";
    EXPECT_FLOAT_EQ(panAfterDrag({{80, -20}, {40, 0}}), 0.2f) << "each step counts from the last";
    EXPECT_FLOAT_EQ(panAfterDrag({{10, -50}}), 0.25f) << "mostly up: the vertical distance";
}

TEST_F(Input, ADragIsOneGestureForTheHost) {
    panAfterDrag({{0, -20}, {0, -40}});
    const std::vector<HostCall> calls = t.takeHostCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls[0].index, kPan);
    EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(calls[1].value, 0.1f);
    EXPECT_EQ(calls[2].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(calls[2].value, 0.2f);
    EXPECT_EQ(calls[3].opcode, audioMasterEndEdit);
    EXPECT_EQ(calls[3].index, kPan);
}

TEST_F(Input, AHostThatEchoesTheChangeBackChangesNothing) {
    EditorUnderTest::echoAutomation(true);
    panAfterDrag({{0, -60}});
    EXPECT_FLOAT_EQ(t.parameter(kPan), 0.3f);
    const std::vector<HostCall> calls = t.takeHostCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const HostCall& c) { return c.opcode == audioMasterAutomate; }),
              1)
        << "the echo was not taken for a new change";
    EditorUnderTest::echoAutomation(false);
}

TEST_F(Input, SliderPressesEightPixelsFromEitherEndGiveTheEnds) {
    // The note slider, 64..400 at y 568..596, with its 16-pixel handle.
    t.click(72, 580);
    EXPECT_EQ(t.parameter(11), 0.0f);
    EXPECT_EQ(t.display(11), "G#0");
    t.click(392, 580);
    EXPECT_EQ(t.parameter(11), 1.0f);
    EXPECT_EQ(t.display(11), "F#6");
    t.click(232, 580);
    EXPECT_EQ(t.parameter(11), 0.5f);
}

TEST_F(Input, AVolumePressSetsTheVolumeAndRepaintsItsLabel) {
    // Pad 2's volume slider: 184..240 x 236..404; its top gives 200 %.
    t.editor().press(212, 244, MouseButton::Left);
    EXPECT_EQ(t.display(2 * 15 + 2), "200");
    EXPECT_TRUE(t.model().controls.pads[2][kVolumeLabel].dirty.load());
    EXPECT_TRUE(t.model().controls.pads[2][kVolumeSlider].dirty.load());
    EXPECT_FALSE(t.model().controls.pads[1][kVolumeLabel].dirty.load());
    // Dragging goes on from there.
    t.editor().move(212, 244 + 76, false);
    t.editor().release(MouseButton::Left);
    EXPECT_EQ(t.display(2 * 15 + 2), "100");
}

TEST_F(Input, TheNameBoxRenamesThePadWithAtMostFifteenCharacters) {
    const GuiControl& nameBox = t.model().controls.detail[DetailNameBox];
    t.click(centreOf(nameBox).x, centreOf(nameBox).y);
    ASSERT_TRUE(t.window.nameBoxShown);
    EXPECT_EQ(t.window.nameBoxContent, "Bass") << "the box opens holding the name";
    EXPECT_EQ(t.window.nameBoxX, 64);
    EXPECT_EQ(t.window.nameBoxY, 508);
    EXPECT_EQ(t.window.nameBoxWidth, 56);
    EXPECT_EQ(t.window.nameBoxHeight, 28);
    EXPECT_TRUE(t.paint().size() > 0);

    t.window.nameBoxContent = "Kick drum, deep one";
    const int32_t repaintsBefore = t.model().fullRedraw.load();
    t.click(700, 440);  // a press elsewhere lets the box go
    EXPECT_FALSE(t.window.nameBoxShown);
    EXPECT_EQ(t.model().fullRedraw.load(), repaintsBefore + 1);
    const std::vector<uint8_t> chunk = t.chunk();
    EXPECT_STREQ(reinterpret_cast<const char*>(&chunk[28]), "Kick drum, deep");
}

TEST_F(Input, CaptionsNeverChangeAParameter) {
    const std::vector<uint8_t> before = t.chunk();
    std::vector<float> values;
    for (int i = 0; i < 240; ++i) values.push_back(t.parameter(i));
    auto pressEverywhere = [&](const GuiControl* captions, int count) {
        for (int c = 0; c < count; ++c) {
            const Point at = centreOf(captions[c]);
            t.click(at.x, at.y);
            t.drag(at.x, at.y, {{at.x + 30, at.y - 40}});
        }
    };
    pressEverywhere(t.model().controls.leftColumn + 2, 6);  // Group .. Ch.
    pressEverywhere(t.model().controls.detailCaptions, 1);   // Name
    pressEverywhere(t.model().controls.detailCaptions + 2, 8);  // Note, Low .. Bit
    EXPECT_EQ(t.chunk(), before);
    for (int i = 0; i < 240; ++i) EXPECT_EQ(t.parameter(i), values[i]) << "parameter " << i;
    for (const HostCall& call : t.takeHostCalls()) EXPECT_NE(call.opcode, audioMasterAutomate);
}

TEST_F(Input, APressOnNothingOnlyLetsGoOfTheFocusedControl) {
    const GuiControl& nameBox = t.model().controls.detail[DetailNameBox];
    t.click(centreOf(nameBox).x, centreOf(nameBox).y);
    EXPECT_EQ(t.model().focused, &nameBox);
    t.window.nameBoxContent = "Kick";
    const std::vector<uint8_t> before = t.chunk();
    // Between the pads' bar and the detail pane: no control.
    EXPECT_TRUE(t.editor().press(500, 500, MouseButton::Left));
    EXPECT_EQ(t.model().focused, nullptr);
    EXPECT_EQ(t.model().captured, nullptr);
    std::vector<uint8_t> after = t.chunk();
    EXPECT_STREQ(reinterpret_cast<const char*>(&after[28]), "Kick");
    std::memcpy(&after[28], &before[28], 16);
    EXPECT_EQ(after, before) << "nothing but the name";
}

TEST_F(Input, KnobsAndLabelsLeaveThePressToTheSystem) {
    EXPECT_FALSE(t.editor().press(kPanX, kPanY, MouseButton::Left)) << "a knob moves only by dragging";
    EXPECT_FALSE(t.editor().release(MouseButton::Left));
    EXPECT_FALSE(t.editor().press(32, 90, MouseButton::Left)) << "the Group caption";
    EXPECT_FALSE(t.editor().release(MouseButton::Left));
    EXPECT_TRUE(t.editor().press(212, 300, MouseButton::Right)) << "a slider takes either button";
    EXPECT_FALSE(t.editor().release(MouseButton::Right));
}

}  // namespace
