// The pointer and the keyboard as a user at the X display works them
// (XTest): knob drags with and without Shift, slider presses, renaming a
// pad, selecting a pad, and the second press of a double click.
#include <X11/keysym.h>

#include <cmath>
#include <string>

#include "EditorFixture.h"

namespace x11test {
namespace {

using Input = EditorTest;

// The calls that report a parameter gesture to the host.
std::vector<HostCall> gestureCalls() {
    std::vector<HostCall> found;
    for (const HostCall& call : hostCalls())
        if (call.opcode == kAutomate || call.opcode == kBeginEdit || call.opcode == kEndEdit)
            found.push_back(call);
    return found;
}

// One gesture on the parameter: begin, changes, end, and nothing else.
void expectOneGesture(int index, float lastValue) {
    const std::vector<HostCall> calls = gestureCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, kBeginEdit);
    EXPECT_EQ(calls.back().opcode, kEndEdit);
    for (const HostCall& call : calls) EXPECT_EQ(call.index, index) << "opcode " << call.opcode;
    for (size_t i = 1; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i].opcode, kAutomate) << "call " << i;
    EXPECT_EQ(calls[calls.size() - 2].opt, lastValue) << "the last automated value";
}

TEST_F(Input, KnobDraggedUpTwoHundredPixelsGoesFromZeroToOne) {
    const int pan = param(0, kPan);
    effect->setParameter(pan, 0.0f);
    openEditor();
    hostCalls().clear();
    editor().drag(panKnob(0).x, panKnob(0).y, 0, -200, 10);
    EXPECT_TRUE(editor().idleUntil([&] { return effect->getParameter(pan) == 1.0f; }))
        << effect->getParameter(pan);
    editor().idle(2);
    expectOneGesture(pan, 1.0f);
    EXPECT_EQ(at({panKnob(0).x + 24, panKnob(0).y}), kPanInk) << "the knob shows its new value";
}

TEST_F(Input, KnobDraggedSidewaysUsesTheHorizontalDistance) {
    const int pan = param(1, kPan);
    effect->setParameter(pan, 0.0f);
    openEditor();
    // Mostly rightwards, a little up: 100 pixels count.
    editor().drag(panKnob(1).x, panKnob(1).y, 100, -30, 10);
    EXPECT_TRUE(editor().idleUntil([&] { return std::fabs(effect->getParameter(pan) - 0.5f) < 1e-5f; }))
        << effect->getParameter(pan);
}

TEST_F(Input, ShiftMakesKnobStepsFiveTimesFiner) {
    const int pan = param(2, kPan);
    effect->setParameter(pan, 0.0f);
    openEditor();
    editor().drag(panKnob(2).x, panKnob(2).y, 0, -200, 10, true);
    EXPECT_TRUE(editor().idleUntil([&] { return std::fabs(effect->getParameter(pan) - 0.2f) < 1e-5f; }))
        << effect->getParameter(pan);
    editor().idle(3);
    EXPECT_NEAR(effect->getParameter(pan), 0.2f, 1e-5f) << "and no further";
}

TEST_F(Input, TheRightButtonDragsTooAndTheWheelDoesNothing) {
    const int dragged = param(3, kPan), wheeled = param(4, kPan);
    effect->setParameter(dragged, 0.0f);
    openEditor();
    editor().drag(panKnob(3).x, panKnob(3).y, 0, -200, 10, false, 3);
    EXPECT_TRUE(editor().idleUntil([&] { return effect->getParameter(dragged) == 1.0f; }))
        << effect->getParameter(dragged);

    const float before = effect->getParameter(wheeled);
    hostCalls().clear();
    editor().moveTo(panKnob(4).x, panKnob(4).y);
    for (unsigned wheel : {4u, 5u, 4u, 4u}) {
        editor().button(wheel, true);
        editor().button(wheel, false);
    }
    editor().moveTo(panKnob(4).x, panKnob(4).y - 50);
    editor().idle(5);
    EXPECT_EQ(effect->getParameter(wheeled), before);
    EXPECT_TRUE(gestureCalls().empty());
}

TEST_F(Input, NoteSliderPressNearEitherEndGivesItsLimit) {
    const int note = param(0, kNote);
    openEditor();
    hostCalls().clear();
    editor().click(kNoteSliderLeft + 8, kNoteSliderY);
    EXPECT_TRUE(editor().idleUntil([&] { return effect->getParameter(note) == 0.0f; }))
        << effect->getParameter(note);
    expectOneGesture(note, 0.0f);

    editor().click(kNoteSliderRight - 8, kNoteSliderY);
    EXPECT_TRUE(editor().idleUntil([&] { return effect->getParameter(note) == 1.0f; }))
        << effect->getParameter(note);
}

TEST_F(Input, PressOnAPadNameSelectsItForTheDetailPane) {
    openEditor();
    const int note0 = padOf(*effect, 0).note;
    editor().click(nameLabel(3).x, nameLabel(3).y);
    EXPECT_TRUE(becomes(nameLabelFace(3), kSelectedName)) << at(nameLabelFace(3));
    EXPECT_EQ(at(nameLabelFace(0)), kBackground) << "pad 0, without a sample, is no longer marked";
    // The note slider now sets pad 3's key.
    editor().click(kNoteSliderLeft + 8, kNoteSliderY);
    EXPECT_TRUE(editor().idleUntil([&] { return effect->getParameter(param(3, kNote)) == 0.0f; }));
    EXPECT_EQ(padOf(*effect, 3).note, 20);
    EXPECT_EQ(padOf(*effect, 0).note, note0);
}

constexpr Rgb kFieldFace{255, 255, 255};

// Opens the rename field over the name box and clears what it holds.
void startRenaming(EditorSession& editor, vsthost::Effect& effect) {
    editor.click(kNameBox.x, kNameBox.y);
    ASSERT_TRUE(editor.idleUntilPixel(kNameBoxFace.x, kNameBoxFace.y, kFieldFace))
        << "no rename field: " << editor.pixel(kNameBoxFace.x, kNameBoxFace.y);
    const size_t length = padOf(effect, 0).name.size();
    ASSERT_GT(length, 0u);
    for (size_t i = 0; i < length; ++i) editor.tap(XK_BackSpace);
}

Window focus(Display* dpy) {
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focused, &revert);
    return focused;
}

TEST_F(Input, RenamingAPadEndsWithAPressElsewhere) {
    openEditor();
    const std::string before = padOf(*effect, 0).name;
    startRenaming(editor(), *effect);
    EXPECT_EQ(focus(host->display()), editor().editorWindow()) << "the keys go to the rename field";
    editor().type("Kick2");
    editor().idle(3);
    EXPECT_EQ(padOf(*effect, 0).name, before) << "the name changes only when typing ends";
    editor().click(kEmpty.x, kEmpty.y);
    EXPECT_TRUE(editor().idleUntil([&] { return padOf(*effect, 0).name == "Kick2"; }))
        << padOf(*effect, 0).name;
    EXPECT_TRUE(becomes(kNameBoxFace, kBackground)) << "the field goes: " << at(kNameBoxFace);
    EXPECT_EQ(focus(host->display()), host->window()) << "the keys go back to the host";
    // Keys no longer reach the editor.
    editor().type("zz");
    editor().idle(3);
    EXPECT_EQ(padOf(*effect, 0).name, "Kick2");
}

TEST_F(Input, RenamingEndsWithReturnAndKeepsFifteenCharacters) {
    openEditor();
    startRenaming(editor(), *effect);
    editor().type("abcdefghijklmnopqrst");
    editor().tap(XK_Return);
    EXPECT_TRUE(editor().idleUntil([&] { return padOf(*effect, 0).name == "abcdefghijklmno"; }))
        << padOf(*effect, 0).name;
}

// The host closes the editor in the middle of things: the name being typed
// is kept and the drag's gesture is ended for the host.
TEST_F(Input, ClosingKeepsANameBeingTypedAndEndsADrag) {
    openEditor();
    startRenaming(editor(), *effect);
    editor().type("Late");
    editor().idle(2);
    session->close();
    EXPECT_EQ(padOf(*effect, 0).name, "Late");

    const int pan = param(5, kPan);
    openEditor();
    hostCalls().clear();
    editor().moveTo(panKnob(5).x, panKnob(5).y);
    editor().button(1, true);
    editor().moveTo(panKnob(5).x, panKnob(5).y - 40);
    ASSERT_TRUE(editor().idleUntil([&] { return gestureCalls().size() >= 2; }));
    session->close();
    const std::vector<HostCall> calls = gestureCalls();
    EXPECT_EQ(calls.front().opcode, kBeginEdit);
    EXPECT_EQ(calls.back().opcode, kEndEdit) << "every gesture the host was told of ends";
    EXPECT_EQ(calls.back().index, pan);
}

// Two presses close in time and place: the second is not handled. The
// volume slider tells the presses apart by where they land.
TEST_F(Input, SecondPressOfADoubleClickIsNotHandled) {
    const int volume = param(0, 2);
    openEditor();
    const float before = effect->getParameter(volume);
    const int x = columnX(0) + 28;
    editor().click(x, 300);
    editor().click(x, 302);
    editor().idle(5);
    const float afterDoubleClick = effect->getParameter(volume);
    EXPECT_NE(afterDoubleClick, before) << "the first press sets the volume";
    // A single press at the second place, well after, moves it further down.
    editor().idle(30);
    editor().click(x, 302);
    EXPECT_TRUE(editor().idleUntil([&] { return effect->getParameter(volume) != afterDoubleClick; }))
        << "had the double click's second press been handled, the volume would be here already";
    EXPECT_LT(effect->getParameter(volume), afterDoubleClick);
}

// At twice the size: a drag from where a knob is now moves that knob, a
// quarter of the way for 100 of its 400 pixels of travel, and the rename
// field covers the name box where it is now (128..240 x 1016..1072).
TEST_F(Input, AtTwiceTheSizeTheScaledKnobDragsAndTheFieldCoversTheScaledNameBox) {
    const int pan = param(1, kPan);
    effect->setParameter(pan, 0.0f);
    openEditorAt(2.0f);
    const Spot knob = scaled(panKnob(1), 2);
    editor().drag(knob.x, knob.y, 0, -100, 10);
    EXPECT_TRUE(editor().idleUntil([&] { return std::fabs(effect->getParameter(pan) - 0.25f) < 1e-5f; }))
        << effect->getParameter(pan);

    const Spot box = scaled(kNameBox, 2), face = scaled(kNameBoxFace, 2);
    editor().click(box.x, box.y);
    ASSERT_TRUE(editor().idleUntilPixel(face.x, face.y, kFieldFace)) << at(face);
    const Rgb fieldBorder{255, 153, 153};
    EXPECT_EQ(at({129, 1017}), fieldBorder) << "a line of 1 is 2 pixels wide";
    EXPECT_EQ(at({239, 1071}), fieldBorder);
    EXPECT_EQ(at({126, 1040}), kBackground);
    EXPECT_EQ(at({241, 1040}), kBackground);
}

}  // namespace
}  // namespace x11test
