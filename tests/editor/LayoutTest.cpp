// The 161 controls as the first open builds them: their order, geometry,
// looks and bindings, with spot checks taken from the layout tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "engine/DrumKit.h"
#include "host/zelVst.h"

namespace {

constexpr uint32_t rgbOf(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

std::vector<const GuiControl*> listed(const EditorModel& model) {
    std::vector<const GuiControl*> list;
    for (const GuiControl* c = model.head; c != nullptr; c = c->next) list.push_back(c);
    return list;
}

struct Expected {
    int position;  // in the list, from 0
    ControlKind kind;
    const char* text;  // null: shows a display text or nothing
    int x, y, width, height;
    uint32_t face, ink;
    int32_t param;
    uint32_t flags;
    int32_t span;
};

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(t.record(), nullptr);
        t.openAndSettle();
        list = listed(t.model());
    }
    EditorUnderTest t;
    std::vector<const GuiControl*> list;
};

TEST_F(Layout, TheControlsComeInTheirTablesOrder) {
    ASSERT_EQ(list.size(), 161u);
    const uint32_t caption = rgbOf(187, 187, 187), captionInk = rgbOf(51, 51, 85);
    const uint32_t grey = rgbOf(136, 136, 136), darkBlue = rgbOf(8, 8, 68);
    const Expected rows[] = {
        {0, Button, "Save", 4, 2, 56, 28, rgbOf(255, 85, 85), rgbOf(85, 8, 8), 240, 1, 0},
        {1, Button, "Load", 4, 32, 56, 28, rgbOf(85, 85, 255), darkBlue, 241, 1, 0},
        {5, Label, "Vol.", 4, 236, 56, 168, caption, captionInk, 0, 0, 0},
        {7, Label, "Ch.", 4, 450, 56, 28, caption, captionInk, 0, 0, 0},
        // Pad 0's column, then pad 15's last control.
        {8, Label, "Bass", 64, 2, 56, 28, rgbOf(255, 136, 136), darkBlue, 0, 1, 0},
        {9, Label, nullptr, 64, 32, 56, 28, grey, darkBlue, 11, 1, 0},
        {10, Knob, nullptr, 64, 62, 56, 56, rgbOf(255, 85, 85), rgbOf(85, 8, 8), 12, 0, 200},
        {11, Knob, nullptr, 64, 120, 56, 56, rgbOf(85, 170, 170), rgbOf(8, 68, 8), 3, 0, 200},
        {12, Knob, nullptr, 64, 178, 56, 56, rgbOf(85, 85, 255), darkBlue, 4, 0, 200},
        {13, VSlider, nullptr, 64, 236, 56, 168, rgbOf(102, 102, 102), rgbOf(170, 170, 170), 2, 0, 0},
        {14, Label, nullptr, 64, 406, 56, 28, grey, darkBlue, 2, 0, 0},
        {15, Knob, nullptr, 64, 436, 56, 56, rgbOf(255, 85, 85), rgbOf(85, 8, 8), 13, 0, 200},
        {16, Label, "Rim", 124, 2, 56, 28, grey, darkBlue, 15, 1, 0},
        {135, Knob, nullptr, 964, 436, 56, 56, rgbOf(255, 85, 85), rgbOf(85, 8, 8), 238, 0, 200},
        // The detail pane's captions.
        {136, Label, "Name", 4, 508, 56, 28, caption, captionInk, 240, 0, 0},
        {137, Label, "File", 4, 538, 56, 28, caption, captionInk, 1, 1, 0},
        {138, Label, "Note", 4, 568, 56, 28, caption, captionInk, 1, 0, 0},
        {139, Label, "Low", 424, 568, 56, 28, caption, captionInk, 240, 0, 0},
        {145, Label, "Bit", 784, 568, 56, 28, caption, captionInk, 240, 0, 0},
        // The detail pane, bound to pad 0.
        {146, NameBox, "Bass", 64, 508, 56, 28, grey, darkBlue, 0, 0, 0},
        {147, Label, "", 64, 538, 280, 28, grey, darkBlue, 1, 1, 0},
        {148, HSlider, nullptr, 64, 568, 336, 28, grey, rgbOf(170, 170, 170), 11, 0, 0},
        {149, Knob, nullptr, 424, 510, 56, 56, rgbOf(85, 170, 170), rgbOf(8, 68, 8), 5, 0, 200},
        {153, Knob, nullptr, 664, 510, 56, 56, rgbOf(255, 85, 85), rgbOf(85, 8, 8), 14, 0, 200},
        {154, Knob, nullptr, 724, 510, 56, 56, rgbOf(85, 85, 255), darkBlue, 9, 0, 200},
        {156, Button, "Del", 344, 538, 56, 28, grey, darkBlue, 2, 1, 0},
        // The bars: three between the groups of four pads, one under the pads.
        {157, Bar, nullptr, 301, 2, 2, 492, rgbOf(85, 85, 85), rgbOf(85, 85, 85), 0, 0, 0},
        {159, Bar, nullptr, 781, 2, 2, 492, rgbOf(85, 85, 85), rgbOf(85, 85, 85), 0, 0, 0},
        {160, Bar, nullptr, 4, 492, 1016, 2, rgbOf(85, 85, 85), rgbOf(85, 85, 85), 0, 0, 0},
    };
    for (const Expected& row : rows) {
        SCOPED_TRACE("control " + std::to_string(row.position));
        const GuiControl& c = *list[static_cast<size_t>(row.position)];
        EXPECT_EQ(c.kind, row.kind);
        if (row.text == nullptr)
            EXPECT_EQ(c.text, nullptr);
        else
            EXPECT_STREQ(c.text, row.text);
        EXPECT_EQ(c.x, row.x);
        EXPECT_EQ(c.y, row.y);
        EXPECT_EQ(c.width, row.width);
        EXPECT_EQ(c.height, row.height);
        EXPECT_EQ(c.faceColor, row.face);
        EXPECT_EQ(c.inkColor, row.ink);
        EXPECT_EQ(c.param, row.param);
        EXPECT_EQ(c.flags, row.flags);
        EXPECT_EQ(c.span, row.span);
        EXPECT_EQ(c.fontSize, row.kind == Bar ? 0 : 16);
    }
    EXPECT_EQ(list[146]->textLimit, 16) << "the name box edits a 16-byte name";
}

TEST_F(Layout, EveryControlLiesInsideTheWindow) {
    int right = 0, bottom = 0;
    for (const GuiControl* c : list) {
        EXPECT_GE(c->x, 0);
        EXPECT_GE(c->y, 0);
        right = std::max(right, c->x + c->width);
        bottom = std::max(bottom, c->y + c->height);
    }
    EXPECT_EQ(right, 1020);
    EXPECT_EQ(bottom, 596);
}

TEST_F(Layout, EachPadColumnEditsItsOwnPad) {
    for (int p = 0; p < kPadCount; ++p) {
        SCOPED_TRACE("pad " + std::to_string(p));
        const size_t first = 8 + 8 * static_cast<size_t>(p);
        const int32_t expected[8] = {0, 11, 12, 3, 4, 2, 2, 13};
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(list[first + k]->param, 15 * p + expected[k]);
            EXPECT_EQ(list[first + k]->x, 64 + 60 * p);
        }
        EXPECT_STREQ(list[first]->text, t.plugin().core().modelSynth().kit->pads[p].name) << "the pad's name";
    }
}

TEST_F(Layout, ReopeningKeepsEveryControlAndBinding) {
    t.editor().press(centreOf(*list[16]).x, centreOf(*list[16]).y, MouseButton::Left);  // select pad 1
    t.editor().release(MouseButton::Left);
    t.editor().close();
    t.editor().open(t.window);
    const std::vector<const GuiControl*> again = listed(t.model());
    EXPECT_EQ(again, list) << "the same records, in the same order";
    EXPECT_EQ(t.model().controls.detail[DetailNoteSlider].param, 15 + 11) << "pad 1 still selected";
    EXPECT_EQ(t.model().fullRedraw.load(), 2) << "a reopened editor paints everything";
}

}  // namespace
