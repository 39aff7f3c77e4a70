// The pad commands with a stand-in for the file dialogs: auditioning pads,
// loading and dropping WAV files, "Del", and saving and loading patch files
// on disk, refused files and failed saves included.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "FileSizeLimit.h"
#include "host/zelVst.h"

namespace {

namespace fs = std::filesystem;

class PadCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(t.record(), nullptr);
        t.openAndSettle();
    }
    const GuiControl& nameLabel(int pad) { return t.model().controls.pads[pad][kNameLabel]; }
    const GuiControl& detail(DetailControl which) { return t.model().controls.detail[which]; }
    DrumKit& kit() { return *t.plugin().core().modelSynth().kit; }          // as edits keep it
    DrumKit& engineKit() { return *t.plugin().core().engineSynth().kit; }  // as the audio plays it
    void pressAndRelease(const GuiControl& control) {
        const Point at = centreOf(control);
        t.click(at.x, at.y);
    }
    // Answers the dialog the last command asked for with the path.
    void answer(FileRequest expected, const std::string& path) {
        ASSERT_FALSE(t.window.requests.empty());
        EXPECT_EQ(t.window.requests.back(), expected);
        t.window.requests.clear();
        t.editor().fileChosen(expected, path.c_str());
    }
    std::string wavFile(const std::string& name, int16_t level = 9000, size_t frames = 3000) {
        return folder.write(name, monoWav(std::vector<int16_t>(frames, level)));
    }
    EditorUnderTest t;
    ScratchFolder folder;
};

TEST_F(PadCommands, PressingAPadsNameSelectsItAndAuditionsItUntilTheRelease) {
    ASSERT_EQ(t.plugin().core().loadSampleFile(3, wavFile("hat.wav").c_str()), "");
    const Point at = centreOf(nameLabel(3));
    t.editor().press(at.x, at.y, MouseButton::Left);
    EXPECT_EQ(t.model().controls.detail[DetailNoteSlider].param, 3 * 15 + 11) << "pad 3 selected";
    EXPECT_EQ(engineKit().previewOn.load(), 42) << "its key, 42";
    EXPECT_GT(t.render(256), 0.0f) << "sounds at the next block";
    EXPECT_EQ(engineKit().pads[3].shownActivity.load(), NoteActivity::Held);
    t.editor().release(MouseButton::Left);
    EXPECT_EQ(engineKit().previewOff.load(), 42);
    t.render(256);
    EXPECT_EQ(engineKit().pads[3].shownActivity.load(), NoteActivity::Ringing) << "released, still sounding";
}

TEST_F(PadCommands, ANewAuditionWaitsForThePendingReleaseToBePlayed) {
    const Point three = centreOf(nameLabel(3)), five = centreOf(nameLabel(5));
    t.click(three.x, three.y);  // no block played: note-on and note-off pending
    t.editor().press(five.x, five.y, MouseButton::Left);
    EXPECT_EQ(t.model().controls.detail[DetailNoteSlider].param, 5 * 15 + 11) << "pad 5 selected";
    EXPECT_EQ(engineKit().previewOn.load(), 42) << "no new note-on queued behind the pending release";
    t.editor().release(MouseButton::Left);
}

TEST_F(PadCommands, AuditionsEndWithEitherButton) {
    ASSERT_EQ(t.plugin().core().loadSampleFile(3, wavFile("hat.wav").c_str()), "");
    const Point at = centreOf(nameLabel(3));
    t.editor().press(at.x, at.y, MouseButton::Right);
    t.render(64);
    t.editor().release(MouseButton::Right);
    t.render(64);
    EXPECT_EQ(engineKit().pads[3].activity, 1) << "one voice, no key left held";
    EXPECT_EQ(engineKit().pads[3].shownActivity.load(), NoteActivity::Ringing);
}

TEST_F(PadCommands, TheNoteLabelAuditionsToo) {
    ASSERT_EQ(t.plugin().core().loadSampleFile(0, wavFile("kick.wav").c_str()), "");
    const Point at = centreOf(t.model().controls.pads[0][kNoteLabel]);
    t.editor().press(at.x, at.y, MouseButton::Left);
    EXPECT_GT(t.render(128), 0.0f);
    t.editor().release(MouseButton::Left);
    EXPECT_EQ(engineKit().previewOff.load(), 36);
}

TEST_F(PadCommands, ChoosingAWavFileLoadsItIntoTheSelectedPadAndDelRemovesIt) {
    pressAndRelease(nameLabel(5));
    pressAndRelease(detail(DetailFileName));
    answer(FileRequest::SampleForPad, wavFile("open.wav"));
    EXPECT_STREQ(kit().pads[5].fileName, "open.wav");
    EXPECT_TRUE(t.model().controls.detail[DetailFileName].dirty.load()) << "the file name repaints";
    EXPECT_EQ(t.chunk().size(), 9372u + 44 + 6000);

    pressAndRelease(detail(DetailDelButton));
    EXPECT_STREQ(kit().pads[5].fileName, "");
    EXPECT_EQ(kit().pads[5].samples, nullptr);
    EXPECT_EQ(t.chunk().size(), 9372u);
}

TEST_F(PadCommands, TheFileCaptionOpensTheDialogToo) {
    pressAndRelease(t.model().controls.detailCaptions[kFileCaption]);
    answer(FileRequest::SampleForPad, wavFile("kick.wav"));
    EXPECT_STREQ(kit().pads[0].fileName, "kick.wav");
}

TEST_F(PadCommands, ACancelledDialogChangesNothing) {
    const std::vector<uint8_t> before = t.chunk();
    const GuiControl* const asking[3] = {&detail(DetailFileName), &t.model().controls.leftColumn[0],
                                         &t.model().controls.leftColumn[1]};
    for (const GuiControl* control : asking) {
        pressAndRelease(*control);
        EXPECT_EQ(t.window.requests.size(), 1u);
        t.window.requests.clear();  // the user cancels: no answer comes
    }
    EXPECT_EQ(t.chunk(), before);
    EXPECT_TRUE(t.window.told.empty());
}

TEST_F(PadCommands, ARefusedWavFileSaysWhyAndChangesNothing) {
    ASSERT_EQ(t.plugin().core().loadSampleFile(0, wavFile("kick.wav").c_str()), "");
    const std::vector<uint8_t> before = t.chunk();
    pressAndRelease(detail(DetailFileName));
    answer(FileRequest::SampleForPad, folder.write("notes.wav", std::vector<uint8_t>(300, 'x')));
    EXPECT_EQ(t.chunk(), before);
    EXPECT_STREQ(kit().pads[0].fileName, "kick.wav");
    ASSERT_EQ(t.window.told.size(), 1u);
    EXPECT_EQ(t.window.told[0], "Could not load \"notes.wav\": not a WAV file.");
}

TEST_F(PadCommands, ASavedPatchLoadsBackByteForByte) {
    ASSERT_EQ(t.plugin().core().loadSampleFile(2, wavFile("snare.wav", -4000).c_str()), "");
    t.setParameter(2 * 15 + 3, 0.25f);
    const std::vector<uint8_t> kitBytes = t.chunk();
    pressAndRelease(t.model().controls.leftColumn[0]);  // Save
    answer(FileRequest::SavePatch, folder.path("song.bin"));
    EXPECT_EQ(readFile(folder.path("song.bin")), kitBytes);
    EXPECT_FALSE(fs::exists(folder.path("song.bin.saving")));

    // Another kit, then the file again.
    t.plugin().core().removeSample(2);
    t.setParameter(2 * 15 + 3, 0.75f);
    pressAndRelease(nameLabel(9));
    pressAndRelease(t.model().controls.leftColumn[1]);  // Load
    answer(FileRequest::LoadPatch, folder.path("song.bin"));
    EXPECT_EQ(t.chunk(), kitBytes);
    EXPECT_FLOAT_EQ(t.parameter(2 * 15 + 3), 0.25f) << "the host sees the loaded kit";
    t.paint();
    EXPECT_EQ(t.model().selectedPad, 0) << "a loaded kit shows pad 0";
    EXPECT_TRUE(t.window.told.empty());
}

TEST_F(PadCommands, AFileThatIsNoPatchIsRefusedAndChangesNothing) {
    const std::vector<uint8_t> before = t.chunk();
    pressAndRelease(t.model().controls.leftColumn[1]);
    std::vector<uint8_t> damaged = before;
    damaged[24] ^= 1;  // the size check
    answer(FileRequest::LoadPatch, folder.write("damaged.bin", damaged));
    EXPECT_EQ(t.chunk(), before);
    ASSERT_EQ(t.window.told.size(), 1u);
    EXPECT_NE(t.window.told[0].find("size check"), std::string::npos) << t.window.told[0];
}

TEST_F(PadCommands, ASaveToAFullDiskKeepsTheOldFile) {
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::string path = folder.write("song.bin", old);
    pressAndRelease(t.model().controls.leftColumn[0]);
    {
        FileSizeLimit full(4096);  // less than the kit's 9372 bytes
        answer(FileRequest::SavePatch, path);
    }
    EXPECT_EQ(readFile(path), old);
    ASSERT_EQ(t.window.told.size(), 1u);
    EXPECT_NE(t.window.told[0].find("File too large. The file is unchanged"), std::string::npos) << t.window.told[0];
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path("")), fs::directory_iterator{}), 1)
        << "nothing but the old file is left";
}

TEST_F(PadCommands, SavingOverAFileReplacesItWithoutAsking) {
    const std::string path = folder.write("song.bin", {'o', 'l', 'd'});
    pressAndRelease(t.model().controls.leftColumn[0]);
    answer(FileRequest::SavePatch, path);
    EXPECT_EQ(readFile(path), t.chunk());
    EXPECT_TRUE(t.window.told.empty());
}

TEST_F(PadCommands, DropsLoadOnTheFileLabelAndSelectOnANameOnly) {
    pressAndRelease(nameLabel(7));
    t.render(64);  // the audition's note-on
    t.render(64);  // and its note-off
    const Point file = centreOf(detail(DetailFileName));
    EXPECT_TRUE(t.editor().drop(file.x, file.y, wavFile("tom.wav").c_str()));
    EXPECT_STREQ(kit().pads[7].fileName, "tom.wav") << "into the selected pad";

    const Point name = centreOf(nameLabel(12));
    EXPECT_TRUE(t.editor().drop(name.x, name.y, wavFile("ride.wav").c_str()));
    EXPECT_EQ(t.model().selectedPad, 12);
    EXPECT_STREQ(kit().pads[12].fileName, "") << "a name takes no file";
    EXPECT_EQ(engineKit().previewOn.load(), -1) << "and no audition without a release to end it";

    const std::vector<uint8_t> before = t.chunk();
    const Point knob = centreOf(t.model().controls.pads[2][kPanKnob]);
    EXPECT_TRUE(t.editor().drop(knob.x, knob.y, wavFile("x.wav").c_str()));
    EXPECT_EQ(t.chunk(), before) << "a drop elsewhere is ignored";
}

}  // namespace
