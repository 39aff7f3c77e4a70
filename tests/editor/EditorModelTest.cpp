// The editor's model over a real kit: what selecting a pad binds and
// colours, and how the note labels follow the activity the engine publishes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "CoreUnderTest.h"
#include "EditorHarness.h"
#include "editor/Editor.h"
#include "editor/EditorModel.h"
#include "editor/PadSelection.h"
#include "engine/Notes.h"
#include "engine/Render.h"
#include "files/PadSample.h"

namespace {

constexpr uint32_t kSelected = 0x8888FF, kLoaded = 0xFF8888, kEmpty = 0x888888;

// A mono 16-bit WAV file of frames samples at half scale.
std::vector<uint8_t> shortWav(int frames) {
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0,
                                 2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    const uint32_t dataSize = 2u * static_cast<uint32_t>(frames);
    for (int i = 0; i < 4; ++i) file[40 + i] = static_cast<uint8_t>(dataSize >> (8 * i));
    for (int f = 0; f < frames; ++f) file.insert(file.end(), {0x00, 0x40});
    return file;
}

// The editor's door onto a synth of this process: its pads' views and
// activity; no command reaches it.
struct SynthPort : EditorPort {
    explicit SynthPort(DrumSynth& synth) : synth(synth) {}
    void changeParameter(int32_t, float) override {}
    void beginEdit(int32_t) override {}
    void endEdit(int32_t) override {}
    void loadPadSample(int, const char*) override {}
    void removePadSample(int) override {}
    void renamePad(int, const char* name) override { renames.push_back(name); }  // and refuses them all
    void savePatch(const char*) override {}
    void loadPatch(const char*) override {}
    bool previewKey(int8_t, bool) override { return false; }
    void readPad(int pad, PadView& view) override {
        view.settings = synth.kit->pads[pad];
        view.holdsSample = synth.kit->pads[pad].samples != nullptr;
    }
    NoteActivity noteActivity(int pad) override { return synth.kit->pads[pad].shownActivity.load(); }
    DrumSynth& synth;
    std::vector<std::string> renames;
};

struct ModelTest : ::testing::Test {
    CoreUnderTest core;
    SynthPort port{core.synth()};
    EditorModel model;
    DrumKit& kit() { return *core.synth().kit; }
    // What an editor reads before it selects or paints.
    void readKit() {
        for (int p = 0; p < kPadCount; ++p) port.readPad(p, model.pads[p]);
    }
    void load(int pad, int frames = 200) {
        const std::vector<uint8_t> wav = shortWav(frames);
        ASSERT_EQ(loadPadSampleBytes(core.synth(), pad, wav.data(), int64_t(wav.size()), "s.wav"),
                  nullptr);
    }
    GuiControl& noteLabel(int pad) { return model.controls.pads[pad][kNoteLabel]; }
    int render(int frames) {
        std::vector<float> buffers[kOutputCount];
        float* outputs[kOutputCount];
        for (int o = 0; o < kOutputCount; ++o) {
            buffers[o].assign(size_t(frames), 0.0f);
            outputs[o] = buffers[o].data();
        }
        return renderBlock(core.synth(), outputs, frames);
    }
};

TEST_F(ModelTest, SelectingPadFifteenBindsTheDetailPaneToItsParameters) {
    readKit();
    selectPad(model, 15);
    const GuiControl* detail = model.controls.detail;
    EXPECT_EQ(detail[DetailNoteSlider].param, 236);
    EXPECT_EQ(detail[DetailPitchXKnob].param, 239);
    EXPECT_EQ(detail[DetailDelButton].param, 227);
    EXPECT_EQ(detail[DetailLowKnob].param, 230);
    EXPECT_EQ(detail[DetailBitKnob].param, 235);
    EXPECT_EQ(model.controls.detailCaptions[kFileCaption].param, 226);
    EXPECT_EQ(detail[DetailFileName].param, 226);
    // The name box and the file label show the editor's view of the pad.
    EXPECT_EQ(detail[DetailNameBox].text, model.pads[15].settings.name);
    EXPECT_EQ(detail[DetailFileName].text, model.pads[15].settings.fileName);
    EXPECT_EQ(model.selectedPad, 15);
}

TEST_F(ModelTest, NameLabelsShowTheSelectionAndWhichPadsHoldSamples) {
    load(2);
    load(9);
    readKit();
    selectPad(model, 9);
    for (int p = 0; p < kPadCount; ++p) {
        const uint32_t expected = p == 9 ? kSelected : p == 2 ? kLoaded : kEmpty;
        EXPECT_EQ(model.controls.pads[p][kNameLabel].faceColor, expected) << "pad " << p;
    }
    selectPad(model, 16);  // no such pad: nothing changes
    EXPECT_EQ(model.selectedPad, 9);
    EXPECT_EQ(model.controls.pads[9][kNameLabel].faceColor, kSelected);
}

TEST_F(ModelTest, NoteLabelsFollowThePublishedActivity) {
    load(0, 300);
    EXPECT_FALSE(showNoteActivity(model, port)) << "nothing sounded yet";

    ASSERT_EQ(noteEvent(core.synth(), 0x90, 36, 100), 2);
    EXPECT_TRUE(showNoteActivity(model, port));
    EXPECT_EQ(noteLabel(0).faceColor, 0xAAAAFFu);  // held: (255, 170, 170)
    EXPECT_EQ(noteLabel(0).dirty.load(), 1);
    EXPECT_EQ(noteLabel(1).dirty.load(), 0) << "other labels are left alone";

    noteLabel(0).dirty = 0;
    EXPECT_FALSE(showNoteActivity(model, port)) << "no change, no repaint";
    EXPECT_EQ(noteLabel(0).dirty.load(), 0);

    noteEvent(core.synth(), 0x80, 36, 0);
    EXPECT_TRUE(showNoteActivity(model, port));
    EXPECT_EQ(noteLabel(0).faceColor, 0x9999CCu);  // ringing: (204, 153, 153)

    EXPECT_EQ(render(512), 2);  // the sample ends
    EXPECT_TRUE(showNoteActivity(model, port));
    EXPECT_EQ(noteLabel(0).faceColor, 0x888888u);  // idle
}

// The editor shows the name the plug-in keeps: one it refused leaves the old
// name in the label and the box, never what was typed.
TEST(EditorPort, ARefusedRenameShowsTheOldNameAgain) {
    CoreUnderTest core;
    SynthPort port{core.synth()};
    Editor editor{port};
    StandInWindow window;
    editor.open(window);
    const GuiControl& nameBox = editor.model().controls.detail[DetailNameBox];
    editor.press(centreOf(nameBox).x, centreOf(nameBox).y, MouseButton::Left);
    editor.release(MouseButton::Left);
    window.nameBoxContent = "Kick";
    editor.press(700, 440, MouseButton::Left);  // elsewhere: the name goes to the plug-in
    ASSERT_EQ(port.renames, std::vector<std::string>{"Kick"});
    RecordingCanvas canvas;
    editor.paint(canvas);
    std::vector<std::string> texts;
    for (const RecordingCanvas::Call& call : canvas.calls)
        if (call.kind == RecordingCanvas::Text) texts.push_back(call.text);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Kick"), 0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Bass"), 2) << "pad 0's label and the detail pane's box";
}

TEST_F(ModelTest, MarkBoundDirtiesEveryControlOfTheParameterOnly) {
    GuiControl& slider = model.controls.pads[4][5];
    GuiControl& label = model.controls.pads[4][6];
    GuiControl& knob = model.controls.pads[4][7];
    slider.param = label.param = 62;
    knob.param = 63;
    model.head = &slider;
    slider.next = &label;
    label.next = &knob;
    markBound(model, 62);
    EXPECT_EQ(slider.dirty.load(), 1);
    EXPECT_EQ(label.dirty.load(), 1);
    EXPECT_EQ(knob.dirty.load(), 0);
}

}  // namespace
