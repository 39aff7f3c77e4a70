// Files dragged onto the editor as a file manager drags them: a drag source
// of our own speaks XDND to the editor's window and hands over a
// text/uri-list when the editor asks for the selection.
#include <X11/Xatom.h>

#include <cstdio>
#include <string>

#include "EditorFixture.h"

namespace x11test {
namespace {

constexpr long kXdndVersion = 5;

// A URI's path with everything but unreserved characters and '/' escaped.
std::string fileUri(const std::string& path) {
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            uri += char(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

// The source side of a drag: owns XdndSelection, sends the drag's messages
// to the target window and answers what comes back.
class DragSource {
public:
    DragSource(Display* dpy, Window target, std::string uriList)
        : dpy(dpy), target(target), uriList(std::move(uriList)) {
        source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
        atom.enter = XInternAtom(dpy, "XdndEnter", False);
        atom.position = XInternAtom(dpy, "XdndPosition", False);
        atom.status = XInternAtom(dpy, "XdndStatus", False);
        atom.leave = XInternAtom(dpy, "XdndLeave", False);
        atom.drop = XInternAtom(dpy, "XdndDrop", False);
        atom.finished = XInternAtom(dpy, "XdndFinished", False);
        atom.selection = XInternAtom(dpy, "XdndSelection", False);
        atom.copy = XInternAtom(dpy, "XdndActionCopy", False);
        atom.uriList = XInternAtom(dpy, "text/uri-list", False);
        atom.typeList = XInternAtom(dpy, "XdndTypeList", False);
        XSetSelectionOwner(dpy, atom.selection, source, CurrentTime);
        XSync(dpy, False);
    }
    ~DragSource() { XDestroyWindow(dpy, source); }
    DragSource(const DragSource&) = delete;
    DragSource& operator=(const DragSource&) = delete;

    bool ownsSelection() const { return XGetSelectionOwner(dpy, atom.selection) == source; }

    // What the target answered so far.
    struct Answers {
        bool status = false, accepted = false;
        long statusAction = 0;
        bool finished = false, succeeded = false;
        long finishedAction = 0;
        int requests = 0;
        Atom requestedType = None;
    } answers;

    void enter() {
        answers = Answers{};
        send(atom.enter, kXdndVersion << 24, long(atom.uriList), 0, 0);
    }
    // As file managers offer a file: more types than the message holds, the
    // URI list last, all of them in XdndTypeList on the source window.
    void enterOfferingManyTypes() {
        answers = Answers{};
        const Atom types[4] = {XInternAtom(dpy, "UTF8_STRING", False), XInternAtom(dpy, "text/plain", False),
                               XInternAtom(dpy, "x-special/gnome-copied-files", False), atom.uriList};
        XChangeProperty(dpy, source, atom.typeList, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(types), 4);
        send(atom.enter, (kXdndVersion << 24) | 1, long(types[0]), long(types[1]), long(types[2]));
    }
    void position(int rootX, int rootY) {
        answers.status = false;
        send(atom.position, 0, (long(rootX) << 16) | long(rootY), CurrentTime, long(atom.copy));
    }
    void drop() { send(atom.drop, 0, CurrentTime, 0, 0); }
    void leave() { send(atom.leave, 0, 0, 0, 0); }
    // The source will not hand the data over when asked.
    void refuseData() { refuses = true; }
    Atom copyAction() const { return atom.copy; }
    Atom uriListType() const { return atom.uriList; }

    // The host's event loop for the source window.
    void service() {
        while (XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == SelectionRequest && event.xselectionrequest.owner == source) {
                answerRequest(event.xselectionrequest);
            } else if (event.type == ClientMessage && event.xclient.window == source &&
                       Window(event.xclient.data.l[0]) == target) {
                const XClientMessageEvent& message = event.xclient;
                if (message.message_type == atom.status) {
                    answers.status = true;
                    answers.accepted = (message.data.l[1] & 1) != 0;
                    answers.statusAction = message.data.l[4];
                } else if (message.message_type == atom.finished) {
                    answers.finished = true;
                    answers.succeeded = (message.data.l[1] & 1) != 0;
                    answers.finishedAction = message.data.l[2];
                }
            }
        }
    }

private:
    void send(Atom type, long l1, long l2, long l3, long l4) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.display = dpy;
        event.xclient.window = target;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(source);
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(dpy, target, False, NoEventMask, &event);
        XSync(dpy, False);
    }

    void answerRequest(const XSelectionRequestEvent& request) {
        ++answers.requests;
        answers.requestedType = request.target;
        XEvent notify{};
        notify.xselection.type = SelectionNotify;
        notify.xselection.display = dpy;
        notify.xselection.requestor = request.requestor;
        notify.xselection.selection = request.selection;
        notify.xselection.target = request.target;
        notify.xselection.time = request.time;
        notify.xselection.property = None;  // refused, unless it is a type we have
        if (!refuses && request.target == atom.uriList && request.property != None) {
            XChangeProperty(dpy, request.requestor, request.property, atom.uriList, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(uriList.data()), int(uriList.size()));
            notify.xselection.property = request.property;
        }
        XSendEvent(dpy, request.requestor, False, NoEventMask, &notify);
        XSync(dpy, False);
    }

    Display* dpy;
    Window target;
    std::string uriList;
    bool refuses = false;
    Window source = 0;
    struct {
        Atom enter, position, status, leave, drop, finished, selection, copy, uriList, typeList;
    } atom{};
};

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
