// Files dragged onto the editor as a file manager drags them: a drag source
// of our own speaks XDND to the editor's window and hands over a
// text/uri-list when the editor asks for the selection.
#include <cstdio>
#include <string>

#include "EditorFixture.h"
#include "DragSource.h"

namespace x11test {
namespace {

class Drops : public EditorTest {
protected:
    // A drag over the editor at spot, ending in a drop when drop is set.
    void dragTo(DragSource& source, Spot spot, bool drop, bool manyTypes = false) {
        int left, top;
        editor().rootOrigin(left, top);
        if (manyTypes)
            source.enterOfferingManyTypes();
        else
            source.enter();
        source.position(left + spot.x, top + spot.y);
        ASSERT_TRUE(editor().idleUntil([&] { return source.answers.status; })) << "no XdndStatus";
        if (!drop) {
            source.leave();
            return;
        }
        source.drop();
        ASSERT_TRUE(editor().idleUntil([&] { return source.answers.finished; })) << "no XdndFinished";
    }
};

TEST_F(Drops, AWavFileDroppedOnTheFileLabelLoadsIntoTheSelectedPad) {
    TempDir dir;
    // A name that must be percent-encoded in a URI.
    const std::string name = "kick #1 100%.wav";
    writeWav(dir / name, noise(6000, 3));
    const std::string uriList = "# from the test's file manager\r\n" + fileUri(dir / name) + "\r\n";
    ASSERT_NE(uriList.find("%20%231%20100%25.wav"), std::string::npos) << uriList;

    openEditor();
    DragSource source(editor().display(), editor().editorWindow(), uriList);
    ASSERT_TRUE(source.ownsSelection());
    editor().setService([&] { source.service(); });
    const int key = padOf(*effect, 5).note;
    EXPECT_EQ(hit(*effect, key), 0.0f) << "pad 5 starts without a sample";

    // On a pad's name: taken, and the pad is selected.
    dragTo(source, nameLabel(5), true);
    EXPECT_TRUE(source.answers.accepted);
    EXPECT_TRUE(source.answers.succeeded);
    EXPECT_TRUE(becomes(nameLabelFace(5), kSelectedName)) << at(nameLabelFace(5));
    EXPECT_EQ(padOf(*effect, 5).fileName, "") << "a drop on a name only selects";

    // Over a knob: refused; a source that drops all the same is told the
    // drop failed, and nothing is asked for.
    dragTo(source, panKnob(2), true);
    EXPECT_FALSE(source.answers.accepted);
    EXPECT_FALSE(source.answers.succeeded);
    editor().idle(3);
    EXPECT_EQ(source.answers.requests, 0);
    // Passing over the label and leaving asks for nothing either.
    dragTo(source, kFileLabel, false);
    EXPECT_TRUE(source.answers.accepted);
    editor().idle(3);
    EXPECT_EQ(source.answers.requests, 0);
    EXPECT_EQ(padOf(*effect, 5).fileName, "");

    // On the file label: the file is asked for as a URI list and loaded
    // into pad 5.
    dragTo(source, kFileLabel, true);
    EXPECT_TRUE(source.answers.accepted);
    EXPECT_EQ(source.answers.statusAction, long(source.copyAction()));
    EXPECT_EQ(source.answers.requests, 1);
    EXPECT_EQ(source.answers.requestedType, source.uriListType());
    EXPECT_TRUE(source.answers.succeeded);
    EXPECT_EQ(source.answers.finishedAction, long(source.copyAction()));
    EXPECT_TRUE(editor().idleUntil([&] { return padOf(*effect, 5).fileName == name; }))
        << padOf(*effect, 5).fileName;
    EXPECT_GT(hit(*effect, key), 0.01f) << "pad 5 plays the dropped file";
    EXPECT_EQ(padOf(*effect, 0).fileName, "") << "pad 0 is untouched";
}

TEST_F(Drops, AFileManagerOfferingManyTypesIsUnderstood) {
    TempDir dir;
    writeWav(dir / "hat.wav", noise(3000, 5));
    openEditor();
    DragSource source(editor().display(), editor().editorWindow(), fileUri(dir / "hat.wav") + "\r\n");
    editor().setService([&] { source.service(); });
    dragTo(source, kFileLabel, true, true);
    EXPECT_TRUE(source.answers.accepted) << "text/uri-list is only in XdndTypeList";
    EXPECT_EQ(source.answers.requestedType, source.uriListType());
    EXPECT_TRUE(source.answers.succeeded);
    EXPECT_TRUE(editor().idleUntil([&] { return padOf(*effect, 0).fileName == "hat.wav"; }));
}

TEST_F(Drops, ADropThatNamesNoLocalFileLoadsNothing) {
    openEditor();
    const std::vector<uint8_t> before = getChunk(*effect);
    DragSource source(editor().display(), editor().editorWindow(),
                      "http://example.org/kick.wav\r\nfile://elsewhere/tmp/kick.wav\r\n");
    editor().setService([&] { source.service(); });
    dragTo(source, kFileLabel, true);
    EXPECT_TRUE(source.answers.accepted) << "the label takes drops";
    EXPECT_EQ(source.answers.requests, 1);
    EXPECT_FALSE(source.answers.succeeded) << "but there was no file to load";
    editor().idle(3);
    EXPECT_TRUE(getChunk(*effect) == before);

    // A source that does not hand the list over.
    DragSource refusing(editor().display(), editor().editorWindow(), fileUri("/tmp/kick.wav") + "\r\n");
    refusing.refuseData();
    editor().setService([&] { refusing.service(); });
    dragTo(refusing, kFileLabel, true);
    EXPECT_EQ(refusing.answers.requests, 1);
    EXPECT_FALSE(refusing.answers.succeeded);
    editor().idle(3);
    EXPECT_TRUE(getChunk(*effect) == before);
}

// At twice the size the file label takes the drop where it is now; where
// it was at 1 lies the volume slider, which takes none.
TEST_F(Drops, AtTwiceTheSizeADropOnTheScaledFileLabelLoads) {
    TempDir dir;
    writeWav(dir / "hat.wav", noise(3000, 5));
    openEditorAt(2.0f);
    DragSource source(editor().display(), editor().editorWindow(), fileUri(dir / "hat.wav") + "\r\n");
    editor().setService([&] { source.service(); });
    dragTo(source, kFileLabel, true);
    EXPECT_FALSE(source.answers.accepted);
    EXPECT_EQ(padOf(*effect, 0).fileName, "");
    dragTo(source, scaled(kFileLabel, 2), true);
    EXPECT_TRUE(source.answers.accepted);
    EXPECT_TRUE(source.answers.succeeded);
    EXPECT_TRUE(editor().idleUntil([&] { return padOf(*effect, 0).fileName == "hat.wav"; }))
        << padOf(*effect, 0).fileName;
}

}  // namespace
}  // namespace x11test
