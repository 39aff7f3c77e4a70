// What the editor's window shows, read back with XGetImage: the background,
// the selected pad, a knob's value arc, and a note label following the notes
// that processReplacing plays. Cairo antialiases edges, so every probe sits
// well inside a shape.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "EditorFixture.h"

namespace x11test {
namespace {

using Painting = EditorTest;

// The pan knob of pad 0: the middle of its track ring straight up and to the
// right of its centre, and its disc below the value text.
constexpr Spot kPanTop{panKnob(0).x, panKnob(0).y - 24};
constexpr Spot kPanRight{panKnob(0).x + 24, panKnob(0).y};
constexpr Spot kPanDisc{panKnob(0).x, panKnob(0).y + 16};

TEST_F(Painting, FirstPaintShowsBackgroundAndSelectedPad) {
    openEditor();
    EXPECT_EQ(at(kEmpty), kBackground);
    EXPECT_EQ(at(kEmptyRight), kBackground);
    EXPECT_EQ(at(nameLabelFace(0)), kSelectedName);
    EXPECT_EQ(at(nameLabelFace(1)), kBackground) << "only pad 0 is selected";
    EXPECT_EQ(at(noteLabelFace(0)), kIdle);
}

TEST_F(Painting, KnobValueArcFollowsTheParameter) {
    effect->setParameter(param(0, kPan), 0.75f);
    openEditor();
    EXPECT_EQ(at(kPanDisc), kPanFace);
    EXPECT_EQ(at(kPanTop), kPanInk) << "0.75 covers the top of the track";
    EXPECT_EQ(at(kPanRight), kTrack) << "but not its right end";

    effect->setParameter(param(0, kPan), 1.0f);
    EXPECT_TRUE(becomes(kPanRight, kPanInk)) << at(kPanRight);
    EXPECT_EQ(at(kPanTop), kPanInk);

    effect->setParameter(param(0, kPan), 0.0f);
    EXPECT_TRUE(becomes(kPanTop, kTrack)) << at(kPanTop);
    EXPECT_EQ(at(kPanRight), kTrack) << "no value arc at 0";
    EXPECT_EQ(at(kPanDisc), kPanFace);
}

TEST_F(Painting, NoteLabelFollowsTheNotesPlayed) {
    ASSERT_TRUE(setChunk(*effect, kitWithSampleOnPad0(8000)));
    const int key = padOf(*effect, 0).note;
    openEditor();
    ASSERT_EQ(at(noteLabelFace(0)), kIdle);

    EXPECT_GT(playBlock(*effect, {{0, 0x90, uint8_t(key), 100}}), 0.0f);
    editor().sync();
    EXPECT_EQ(at(noteLabelFace(0)), kIdle) << "the audio side must not paint; idle does";
    EXPECT_TRUE(becomes(noteLabelFace(0), kHeld)) << at(noteLabelFace(0));

    playBlock(*effect, {{0, 0x80, uint8_t(key), 0}});
    EXPECT_TRUE(becomes(noteLabelFace(0), kRinging)) << at(noteLabelFace(0));
    EXPECT_EQ(at(noteLabelFace(1)), kIdle) << "another pad's label";

    // Past the end of the sample the voice ends.
    for (int frames = 0; frames < 8000 + 4 * kBlock; frames += kBlock) playBlock(*effect, {});
    EXPECT_TRUE(becomes(noteLabelFace(0), kIdle)) << at(noteLabelFace(0));
}

// Hosts hide an editor (a closed tab, a minimised window) and show it
// again: the server has lost what was drawn, and the editor draws it again.
TEST_F(Painting, ShownAgainAfterTheHostHidesIt) {
    effect->setParameter(param(0, kPan), 1.0f);
    openEditor();
    ASSERT_EQ(at(kPanRight), kPanInk);
    XUnmapWindow(host->display(), host->window());
    XMapWindow(host->display(), host->window());
    editor().sync();
    EXPECT_EQ(at(kEmpty), (Rgb{0, 0, 0})) << "the server cleared the window";
    EXPECT_TRUE(becomes(kEmpty, kBackground)) << at(kEmpty);
    EXPECT_EQ(at(nameLabelFace(0)), kSelectedName);
    EXPECT_EQ(at(kPanRight), kPanInk);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The paints as a host sees them: the effEditIdle call that carries them.
// Each is checked to have reached the window by scribbling on it first.
TEST_F(Painting, IdlePaintsOnlyWhenAskedAndReportsItsTimes) {
    openEditor();
    editor().idle(5);  // the paints that follow opening
    Display* dpy = editor().display();
    GC gc = XCreateGC(dpy, editor().editorWindow(), 0, nullptr);
    auto scribble = [&](Spot spot) {
        XSetForeground(dpy, gc, 0xFF0000);
        XFillRectangle(dpy, editor().editorWindow(), gc, spot.x - 2, spot.y - 2, 5, 5);
        XSync(dpy, False);
        ASSERT_EQ(at(spot), (Rgb{255, 0, 0}));
    };

    std::vector<double> nothing, full, partial;
    for (int turn = 0; turn < 9; ++turn) {
        scribble(kEmpty);
        nothing.push_back(timeMs([&] { effect->dispatch(effEditIdle); }));
        editor().sync();
        EXPECT_EQ(at(kEmpty), (Rgb{255, 0, 0})) << "idle painted with nothing to paint";

        effect->dispatch(effSetProgram, 0, 0);  // asks for a full paint
        full.push_back(timeMs([&] { effect->dispatch(effEditIdle); }));
        EXPECT_EQ(at(kEmpty), kBackground) << "full paint " << turn;

        // A knob's paint puts only the knob on the screen.
        scribble(kEmpty);
        scribble(kPanRight);
        effect->setParameter(param(0, kPan), (turn % 2) != 0 ? 1.0f : 0.0f);
        partial.push_back(timeMs([&] { effect->dispatch(effEditIdle); }));
        EXPECT_EQ(at(kPanRight), (turn % 2) != 0 ? kPanInk : kTrack) << "partial paint " << turn;
        EXPECT_EQ(at(kEmpty), (Rgb{255, 0, 0})) << "a partial paint put more than the knob " << turn;
        editor().idle();
    }
    XFreeGC(dpy, gc);
    std::printf("effEditIdle, median of %zu: nothing to paint %.3f ms, full paint %.3f ms, "
                "partial paint (one knob) %.3f ms\n",
                full.size(), median(nothing), median(full), median(partial));
    RecordProperty("idle_ms", std::to_string(median(nothing)));
    RecordProperty("full_paint_ms", std::to_string(median(full)));
    RecordProperty("partial_paint_ms", std::to_string(median(partial)));
}

}  // namespace
}  // namespace x11test
