// The editor at other scales through the recording canvas: every primitive
// the one at 1 scaled, every control inside the window and clear of the
// others, and a change of scale while the window is open.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "EditorHarness.h"

namespace {

using Call = RecordingCanvas::Call;
using Kind = RecordingCanvas::Kind;

struct Row {
    float scale;
    int width, height;  // the window's, rounded half up
    // How far a box's edge may lie from the scaled one: at 1.5 a line of 1
    // is 2 pixels and edges round half up; at 2 every box lands exactly.
    // Rays from a knob's centre (an arc's ends, its tick) are truncated at
    // either scale: within one layout pixel.
    float boxSlack;
};
const Row kRows[] = {{1.5f, 1536, 899, 1.5f}, {2.0f, 2048, 1198, 0.0f}};

// The first paint of an editor opened at the scale, the note slider at its
// end, where its handle's place is exact (the volumes start full).
std::vector<Call> firstPaintAt(EditorUnderTest& t, float scale) {
    t.setParameter(11, 0.0f);
    EXPECT_TRUE(t.editor().setScale(scale));
    t.editor().open(t.window);
    return t.paint();
}

bool near(int got, int atOne, float scale, float slack) {
    return std::fabs(static_cast<float>(got) - static_cast<float>(atOne) * scale) <= slack;
}

TEST(Scale, EveryPrimitiveIsTheOneAtScaleOneScaled) {
    EditorUnderTest one;
    const std::vector<Call> base = firstPaintAt(one, 1.0f);
    for (const Row& row : kRows) {
        SCOPED_TRACE("scale " + std::to_string(row.scale));
        EditorUnderTest t;
        const std::vector<Call> got = firstPaintAt(t, row.scale);
        EXPECT_EQ(t.editor().size(), (PixelSize{row.width, row.height}));
        ASSERT_EQ(got.size(), base.size());
        const float s = row.scale;
        for (size_t i = 0; i < base.size(); ++i) {
            const Call &a = base[i], &b = got[i];
            SCOPED_TRACE("call " + std::to_string(i) + " " + a.text);
            ASSERT_EQ(b.kind, a.kind);
            EXPECT_TRUE(b.pen == a.pen && b.brush == a.brush && b.text == a.text);
            const float slack = b.kind == Kind::Polyline ? s : row.boxSlack;
            EXPECT_TRUE(near(b.left, a.left, s, slack) && near(b.top, a.top, s, slack) &&
                        near(b.right, a.right, s, slack) && near(b.bottom, a.bottom, s, slack))
                << b.left << ", " << b.top << " to " << b.right << ", " << b.bottom;
            for (size_t p = 0; p < a.points.size(); ++p)
                EXPECT_TRUE(near(b.points[p].x, a.points[p].x, s, s) && near(b.points[p].y, a.points[p].y, s, s));
            EXPECT_TRUE(near(b.width, a.width, s, 0.5f)) << "pen width or font height " << b.width;
        }
        EXPECT_EQ(got.front().right, row.width) << "the background fills the window";
        EXPECT_EQ(got.front().bottom, row.height);
    }
}

bool inside(int left, int top, int right, int bottom, const ControlBox& box) {
    return left >= box.left && top >= box.top && right <= box.left + box.width && bottom <= box.top + box.height;
}

// Each control repainted alone draws only inside its box (a stroke reaches
// half its width past its path, through pixel centres), the box lies in the
// window, and no two boxes share a pixel but where the separator bars cross.
TEST(Scale, NoControlLeavesTheWindowOrOverlapsAnother) {
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f, 2.5f, 3.0f}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        EditorUnderTest t;
        firstPaintAt(t, scale);
        t.paint();
        const ControlBox window{0, 0, t.editor().size().width, t.editor().size().height};
        std::vector<std::pair<const GuiControl*, ControlBox>> boxes;
        for (GuiControl* c = t.model().head; c != nullptr; c = c->next) {
            const ControlBox box = boxOf(t.model(), *c);
            EXPECT_TRUE(inside(box.left, box.top, box.left + box.width, box.top + box.height, window));
            c->dirty = 1;
            for (const Call& call : t.paint()) {
                const bool stroke = call.kind == Kind::Arc || call.kind == Kind::Polyline;
                const int half = stroke ? call.width / 2 : 0, past = call.kind == Kind::Polyline ? 1 : 0;
                EXPECT_TRUE(inside(call.left - half, call.top - half, call.right + half + past,
                                   call.bottom + half + past, box))
                    << "control at " << c->x << ", " << c->y << ", call of kind " << call.kind;
            }
            boxes.emplace_back(c, box);
        }
        for (size_t a = 0; a < boxes.size(); ++a)
            for (size_t b = a + 1; b < boxes.size(); ++b) {
                const ControlBox &p = boxes[a].second, &q = boxes[b].second;
                const bool overlap = p.left < q.left + q.width && q.left < p.left + p.width &&
                                     p.top < q.top + q.height && q.top < p.top + p.height;
                EXPECT_FALSE(overlap && !(boxes[a].first->kind == Bar && boxes[b].first->kind == Bar))
                    << "controls " << a << " and " << b << " in the list";
            }
    }
}

// While the window is open: the name being typed reaches the pad, the drag
// in progress ends for the host, and the window resizes once.
TEST(Scale, AChangeWhileOpenKeepsTheNameEndsTheDragAndResizes) {
    EditorUnderTest t;
    t.openAndSettle();
    const Point name = centreOf(t.model().controls.detail[DetailNameBox]);
    t.click(name.x, name.y);
    t.window.nameBoxContent = "Thud";
    EXPECT_TRUE(t.editor().setScale(2.0f));
    EXPECT_EQ(t.window.resizes, 1);
    EXPECT_FALSE(t.window.nameBoxShown);
    t.paint();
    EXPECT_STREQ(t.model().pads[0].settings.name, "Thud");

    const Point pan = centreOf(t.model().controls.pads[1][kPanKnob]);
    t.editor().press(2 * pan.x, 2 * pan.y, MouseButton::Left);
    t.takeHostCalls();
    EXPECT_TRUE(t.editor().setScale(1.5f));
    const std::vector<HostCall> calls = t.takeHostCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterEndEdit);
    EXPECT_TRUE(t.editor().setScale(1.5f)) << "the same scale again";
    EXPECT_EQ(t.window.resizes, 2);
}

}  // namespace
