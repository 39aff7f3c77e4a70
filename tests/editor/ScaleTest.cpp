// The editor at other scales, seen through the recording canvas: every
// primitive the 1.0 primitive scaled, every control inside the window and
// clear of the others, where the scale comes from, and a change of scale
// while the window is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "host/zelVst.h"

namespace {

using Call = RecordingCanvas::Call;
using Kind = RecordingCanvas::Kind;

void expectNear(int got, int atOne, float scale, float slack, const char* what) {
    EXPECT_LE(std::fabs(static_cast<float>(got) - static_cast<float>(atOne) * scale), slack)
        << what << ": " << got << " against " << atOne << " at 1";
}

// A pen width or font height: the nearest whole pixel to the scaled one.
void expectWidth(int got, int atOne, float scale) {
    EXPECT_LE(std::fabs(static_cast<float>(got) - static_cast<float>(atOne) * scale), 0.5f)
        << "width " << got << " against " << atOne << " at 1";
}

struct ScaledSize {
    float scale;
    int width, height;  // rounded half up
    // How far a box's edge may lie from the scaled one: at 1.5 a line of 1
    // is 2 pixels and edges round half up; at 2 every box lands exactly.
    float boxSlack;
};
const ScaledSize kScales[] = {{1.5f, 1536, 899, 1.5f}, {2.0f, 2048, 1198, 0.0f}};

// Boxes (and a polyline's box, which is its points) within the row's slack.
// Rays from a knob's centre (an arc's ends, its pointer tick) are truncated
// at either scale: within one layout pixel.
void expectScaled(const Call& atOne, const Call& got, const ScaledSize& row) {
    ASSERT_EQ(got.kind, atOne.kind);
    EXPECT_EQ(got.pen, atOne.pen);
    EXPECT_EQ(got.brush, atOne.brush);
    EXPECT_EQ(got.text, atOne.text);
    const float s = row.scale, boxSlack = got.kind == Kind::Polyline ? s : row.boxSlack;
    expectNear(got.left, atOne.left, s, boxSlack, "left");
    expectNear(got.top, atOne.top, s, boxSlack, "top");
    expectNear(got.right, atOne.right, s, boxSlack, "right");
    expectNear(got.bottom, atOne.bottom, s, boxSlack, "bottom");
    ASSERT_EQ(got.points.size(), atOne.points.size());
    for (size_t i = 0; i < got.points.size(); ++i) {
        expectNear(got.points[i].x, atOne.points[i].x, s, s, "point x");
        expectNear(got.points[i].y, atOne.points[i].y, s, s, "point y");
    }
    expectWidth(got.width, atOne.width, s);
}

// A full paint of a fresh editor at the scale, as the window opens.
std::vector<Call> openedAt(EditorUnderTest& t, float scale) {
    EXPECT_TRUE(t.editor().setScale(scale));
    t.editor().open(t.window);
    return t.paint();
}

// Every slider at an end, where its handle's place is exact at any scale
// (the volumes start full).
void slidersAtTheirEnds(EditorUnderTest& t) { t.setParameter(11, 0.0f); }

TEST(Scale, EveryPrimitiveIsTheOneAtScaleOneScaled) {
    EditorUnderTest one;
    ASSERT_NE(one.record(), nullptr);
    slidersAtTheirEnds(one);
    const std::vector<Call> base = openedAt(one, 1.0f);
    ASSERT_GT(base.size(), 161u);
    for (const ScaledSize& row : kScales) {
        SCOPED_TRACE("scale " + std::to_string(row.scale));
        EditorUnderTest t;
        ASSERT_NE(t.record(), nullptr);
        slidersAtTheirEnds(t);
        const std::vector<Call> scaled = openedAt(t, row.scale);
        EXPECT_EQ(t.editor().size(), (PixelSize{row.width, row.height}));
        ASSERT_EQ(scaled.size(), base.size());
        for (size_t i = 0; i < base.size(); ++i) {
            SCOPED_TRACE("call " + std::to_string(i) + " " + base[i].text);
            expectScaled(base[i], scaled[i], row);
        }
        // The background fills the window exactly.
        EXPECT_EQ(scaled.front().right, row.width);
        EXPECT_EQ(scaled.front().bottom, row.height);
    }
}

// The pixels a call may touch: a stroke reaches half its width past its
// path, which runs through pixel centres (a polyline's box holds its last
// points; an arc's excludes its right and bottom edge).
ControlBox reachOf(const Call& call) {
    int left = call.left, top = call.top, right = call.right, bottom = call.bottom;
    if (call.kind == Kind::Arc || call.kind == Kind::Polyline) {
        const int half = call.width / 2, past = call.kind == Kind::Polyline ? 1 : 0;
        left -= half;
        top -= half;
        right += half + past;
        bottom += half + past;
    }
    return {left, top, right - left, bottom - top};
}

bool inside(const ControlBox& inner, const ControlBox& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

bool overlap(const ControlBox& a, const ControlBox& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// Each control repainted alone draws only inside its box, the box lies in
// the window, and no two boxes share a pixel but where the separator bars
// cross.
TEST(Scale, NoControlLeavesTheWindowOrOverlapsAnother) {
    for (float scale : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        EditorUnderTest t;
        ASSERT_NE(t.record(), nullptr);
        openedAt(t, scale);
        t.paint();
        const PixelSize window = t.editor().size();
        const ControlBox all{0, 0, window.width, window.height};
        std::vector<std::pair<const GuiControl*, ControlBox>> boxes;
        for (GuiControl* c = t.model().head; c != nullptr; c = c->next) {
            const ControlBox box = boxOf(t.model(), *c);
            SCOPED_TRACE("control at " + std::to_string(c->x) + ", " + std::to_string(c->y));
            EXPECT_TRUE(inside(box, all));
            c->dirty = 1;
            const std::vector<Call> calls = t.paint();
            ASSERT_FALSE(calls.empty());
            for (const Call& call : calls) EXPECT_TRUE(inside(reachOf(call), box)) << "call of kind " << call.kind;
            boxes.emplace_back(c, box);
        }
        for (size_t a = 0; a < boxes.size(); ++a)
            for (size_t b = a + 1; b < boxes.size(); ++b) {
                if (boxes[a].first->kind == Bar && boxes[b].first->kind == Bar) continue;
                EXPECT_FALSE(overlap(boxes[a].second, boxes[b].second))
                    << "controls " << a << " and " << b << " in the list";
            }
    }
}

// The scale in use after each step: the host's wins over the desktop's
// whenever it comes, values snap to quarter steps within 1..3, and what
// cannot be a scale is refused and changes nothing.
TEST(Scale, TheHostsScaleWinsAndValuesSnapToQuarterSteps) {
    enum Source { Host, Desktop };
    struct Step {
        Source source;
        float value;
        bool taken;
        float inUse;
        int width;  // the window's, rounded half up
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const Step steps[] = {
        {Desktop, 1.5f, true, 1.5f, 1536},    {Desktop, 0.0f, false, 1.5f, 1536},
        {Desktop, 2.0f, true, 2.0f, 2048},    {Host, 1.25f, true, 1.25f, 1280},
        {Desktop, 3.0f, true, 1.25f, 1280},   {Host, 1.1f, true, 1.0f, 1024},
        {Host, 1.125f, true, 1.25f, 1280},    {Host, 2.9f, true, 3.0f, 3072},
        {Host, 2.6f, true, 2.5f, 2560},       {Host, 0.5f, true, 1.0f, 1024},
        {Host, 5.0f, true, 3.0f, 3072},       {Host, 1.75f, true, 1.75f, 1792},
        {Host, nan, false, 1.75f, 1792},      {Host, -1.0f, false, 1.75f, 1792},
        {Host, 0.0f, false, 1.75f, 1792},     {Host, -0.0f, false, 1.75f, 1792},
        {Host, infinity, false, 1.75f, 1792}, {Host, -infinity, false, 1.75f, 1792},
        {Host, 1e30f, false, 1.75f, 1792},    {Host, 17.0f, false, 1.75f, 1792},
    };
    EditorUnderTest t;
    ASSERT_NE(t.record(), nullptr);
    EXPECT_EQ(t.editor().size(), (PixelSize{1024, 599})) << "1 while nothing told";
    for (const Step& step : steps) {
        SCOPED_TRACE((step.source == Host ? "host " : "desktop ") + std::to_string(step.value));
        Editor& editor = t.editor();
        EXPECT_EQ(step.source == Host ? editor.setScale(step.value) : editor.setDesktopScale(step.value), step.taken);
        EXPECT_EQ(t.model().scale, step.inUse);
        EXPECT_EQ(editor.size().width, step.width);
    }
}

// While the window is open: the name being typed reaches the pad, the drag
// in progress ends for the host, the window resizes once and the next paint
// fills the new size; the name box then opens over the scaled name box.
TEST(Scale, AChangeWhileOpenKeepsTheNameEndsTheDragAndResizes) {
    EditorUnderTest t;
    ASSERT_NE(t.record(), nullptr);
    t.openAndSettle();
    const GuiControl& nameBox = t.model().controls.detail[DetailNameBox];
    t.click(centreOf(nameBox).x, centreOf(nameBox).y);
    ASSERT_TRUE(t.window.nameBoxShown);
    t.window.nameBoxContent = "Thud";
    EXPECT_TRUE(t.editor().setScale(2.0f));
    EXPECT_EQ(t.window.resizes, 1);
    EXPECT_FALSE(t.window.nameBoxShown);
    const std::vector<Call> full = t.paint();
    EXPECT_STREQ(t.model().pads[0].settings.name, "Thud");
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(full.front().right, 2048);
    EXPECT_EQ(full.front().bottom, 1198);

    const GuiControl& pan = t.model().controls.pads[1][kPanKnob];
    t.takeHostCalls();
    t.editor().press(2 * centreOf(pan).x, 2 * centreOf(pan).y, MouseButton::Left);
    t.editor().move(2 * centreOf(pan).x, 2 * centreOf(pan).y - 40, false);
    EXPECT_TRUE(t.editor().setScale(1.5f));
    EXPECT_EQ(t.window.resizes, 2);
    std::vector<HostCall> calls = t.takeHostCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    EXPECT_NEAR(t.parameter(15 + 3), 0.6f, 1e-6f) << "40 of the knob's 400 pixels of travel at 2";
    t.editor().move(0, 0, false);
    EXPECT_NEAR(t.parameter(15 + 3), 0.6f, 1e-6f) << "the drag ended with the change";

    // The same scale again changes nothing.
    EXPECT_TRUE(t.editor().setScale(1.5f));
    EXPECT_EQ(t.window.resizes, 2);
    t.click(96 + 42, 762 + 21);
    ASSERT_TRUE(t.window.nameBoxShown);
    EXPECT_EQ(t.window.nameBoxX, 96);
    EXPECT_EQ(t.window.nameBoxY, 762);
    EXPECT_EQ(t.window.nameBoxWidth, 84);
    EXPECT_EQ(t.window.nameBoxHeight, 42);
}

}  // namespace
