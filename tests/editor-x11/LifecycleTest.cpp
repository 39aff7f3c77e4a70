// The editor's window through the host's edit opcodes: where it opens, its
// size, what closing leaves behind, and a plug-in without a display.
#include <X11/Xatom.h>
#include <stdlib.h>

#include <string>

#include "EditorFixture.h"

namespace x11test {
namespace {

using Lifecycle = EditorTest;

TEST_F(Lifecycle, DeclaresAnEditorOfItsSize) {
    EXPECT_EQ(effect->record()->flags, 0x131);
    ERect* rect = nullptr;
    ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, kEditorHeight);
    EXPECT_EQ(rect->right, kEditorWidth);
}

// A plug-in instance talks to no X server until its editor opens.
TEST_F(Lifecycle, ConnectsToTheDisplayOnlyWhileTheEditorIsOpen) {
    const std::set<std::string> before = openSockets();
    {
        std::unique_ptr<vsthost::Effect> another = newInstance();
        ASSERT_NE(another, nullptr);
        another->dispatch(effEditIdle);
        EXPECT_EQ(openSockets(), before) << "a new instance connected";
    }
    openEditor();
    EXPECT_EQ(openSockets().size(), before.size() + 1) << "the editor's own connection";
    session->close();
    EXPECT_EQ(openSockets(), before) << "closing lets the connection go";
    for (int i = 0; i < 3; ++i) effect->dispatch(effEditIdle);
    EXPECT_EQ(openSockets(), before) << "idle after close connected again";
}

TEST_F(Lifecycle, OpensAChildOfTheHostWindowAndClosingDestroysIt) {
    ASSERT_TRUE(host->children().empty());
    openEditor();
    const std::vector<Window> children = host->children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], editor().editorWindow());

    Window root, parent, *list = nullptr;
    unsigned count = 0;
    ASSERT_NE(XQueryTree(host->display(), editor().editorWindow(), &root, &parent, &list, &count), 0);
    if (list != nullptr) XFree(list);
    EXPECT_EQ(parent, host->window());
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(host->display(), editor().editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.width, kEditorWidth);
    EXPECT_EQ(attributes.height, kEditorHeight);
    EXPECT_EQ(attributes.map_state, IsViewable);
    // It announces itself as a drop target for file managers.
    Atom type;
    int format;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(host->display(), editor().editorWindow(),
                                 XInternAtom(host->display(), "XdndAware", False), 0, 1, False,
                                 AnyPropertyType, &type, &format, &items, &after, &data),
              Success);
    ASSERT_EQ(items, 1u);
    EXPECT_EQ(*reinterpret_cast<long*>(data), 5) << "XDND version";
    XFree(data);

    session->close();
    EXPECT_TRUE(session->idleUntil([&] { return host->children().empty(); }))
        << "the editor's window outlived effEditClose";
}

TEST_F(Lifecycle, IdleAfterCloseDoesNothing) {
    ASSERT_TRUE(setChunk(*effect, kitWithSampleOnPad0(4000)));
    openEditor();
    session->close();
    ASSERT_TRUE(session->idleUntil([&] { return host->children().empty(); }));
    // Everything that would ask an open editor for a repaint.
    effect->setParameter(param(0, kPan), 0.0f);
    effect->dispatch(effSetProgram, 0, 0);
    EXPECT_GT(hit(*effect, padOf(*effect, 0).note), 0.01f);
    for (int i = 0; i < 10; ++i) {
        effect->dispatch(effEditIdle);
        XSync(host->display(), False);
        EXPECT_TRUE(host->children().empty()) << "idle after close made a window";
    }
    effect->dispatch(effEditClose);  // closing twice is harmless
    EXPECT_TRUE(host->children().empty());
}

// The server's resource database as xrdb leaves it, while the holder lives.
struct ServerResources {
    ServerResources(Display* dpy, const std::string& text) : dpy(dpy) {
        XChangeProperty(dpy, DefaultRootWindow(dpy), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
        XSync(dpy, False);
    }
    ~ServerResources() {
        XDeleteProperty(dpy, DefaultRootWindow(dpy), XA_RESOURCE_MANAGER);
        XSync(dpy, False);
    }
    Display* dpy;
};

// The host's size requests since its calls were cleared, as "width x height".
std::vector<std::string> sizeRequests() {
    std::vector<std::string> found;
    for (const HostCall& call : hostCalls())
        if (call.opcode == kSizeWindow) found.push_back(std::to_string(call.index) + " x " + std::to_string(call.value));
    return found;
}

// The desktop's scale: Xft.dpi, 96 being 1. At 144 the editor opens at 1.5
// and asks the host for that size; a scale the host tells it then wins.
TEST_F(Lifecycle, AnXftDpiOf144OpensTheEditorAtOneAndAHalf) {
    ServerResources resources(host->display(), "Xft.antialias:\t1\nXft.dpi:\t144\nXft.rgba:\trgb\n");
    openEditor(1.5);
    EXPECT_EQ(sizeRequests(), std::vector<std::string>{"1536 x 899"});
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(host->display(), editor().editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.width, 1536);
    EXPECT_EQ(attributes.height, 899);
    host->resize(1536, 899);
    EXPECT_TRUE(editor().idleUntilPixel(1535, 898, kTrack)) << "the outline's far corner, in the border's grey";

    hostCalls().clear();
    EXPECT_EQ(effect->dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, 1.0f), 1);
    EXPECT_EQ(sizeRequests(), std::vector<std::string>{"1024 x 599"});
    ASSERT_NE(XGetWindowAttributes(host->display(), editor().editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.width, kEditorWidth);
}

TEST_F(Lifecycle, ReopeningPaintsAgainWithTheStateOfTheFirst) {
    openEditor();
    session->close();
    ASSERT_TRUE(session->idleUntil([&] { return host->children().empty(); }));
    effect->setParameter(param(0, kPan), 1.0f);
    openEditor();
    EXPECT_EQ(host->children().size(), 1u);
    EXPECT_TRUE(becomes(nameLabelFace(0), kSelectedName)) << at(nameLabelFace(0));
    // The pan value set while closed shows: the value arc covers the right end.
    EXPECT_TRUE(becomes({panKnob(0).x + 24, panKnob(0).y}, kPanInk));
}

TEST_F(Lifecycle, SurvivesTheHostDestroyingItsWindowFirst) {
    openEditor();
    host->destroy();
    effect->setParameter(param(0, kPan), 0.25f);  // a repaint to a window that is gone
    for (int i = 0; i < 5; ++i) effect->dispatch(effEditIdle);
    session->close();
    // The instance still works as before.
    EXPECT_EQ(effect->getParameter(param(0, kPan)), 0.25f);
}

// A host window whose visual is not the screen's default (32 bits with
// alpha): the editor shows all the same.
TEST_F(Lifecycle, PaintsInAHostWindowOfAnotherVisual) {
    host.reset();
    ASSERT_NO_THROW(host = std::make_unique<HostWindow>(100, 300, true));
    openEditor();
    EXPECT_EQ(at(nameLabelFace(0)), kSelectedName);
    effect->setParameter(param(0, kPan), 1.0f);
    EXPECT_TRUE(becomes({panKnob(0).x + 24, panKnob(0).y}, kPanInk));
}

// Two instances' editors at once, each on its own connection: the second
// host window covers the top of the first, so the first is looked at only
// below it.
TEST_F(Lifecycle, TwoInstancesEditorsLiveSideBySide) {
    openEditor();
    std::unique_ptr<vsthost::Effect> secondEffect = newInstance();
    ASSERT_NE(secondEffect, nullptr);
    HostWindow secondHost(100, 0);
    EditorSession second(*secondEffect, secondHost);
    ASSERT_TRUE(second.opened());
    ASSERT_NE(second.editorWindow(), editor().editorWindow());

    // The channel knob of pad 0, low enough to show in the first editor,
    // and the pan knob of pad 0 in the second: the right end of each track.
    const int channel = param(0, 13);
    const Spot channelRight{panKnob(0).x + 24, 464};
    const Spot panRight{panKnob(0).x + 24, panKnob(0).y};
    constexpr Rgb kChannelInk{85, 8, 8};
    ASSERT_EQ(at(channelRight), kTrack);
    secondEffect->setParameter(param(0, kPan), 1.0f);
    EXPECT_TRUE(second.idleUntil([&] {
        editor().idle();
        return second.pixel(panRight.x, panRight.y) == kPanInk;
    }));
    effect->setParameter(channel, 1.0f);
    EXPECT_TRUE(becomes(channelRight, kChannelInk));
    EXPECT_EQ(secondEffect->getParameter(channel), 0.0f) << "each editor shows its own instance";

    second.close();
    effect->setParameter(channel, 0.0f);
    EXPECT_TRUE(becomes(channelRight, kTrack)) << "the first lives on after the second closes";
}

// A host rendering without X: DISPLAY is unset for the whole case, and this
// case also runs as a program of its own with no DISPLAY at all, so the
// plug-in is loaded without one too.
TEST(NoDisplay, LoadsPlaysAndClosesWithoutAnEditor) {
    const char* display = getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    unsetenv("DISPLAY");
    {
        std::unique_ptr<vsthost::Effect> effect = newInstance();
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(effect->record()->flags, 0x131);
        ASSERT_TRUE(setChunk(*effect, kitWithSampleOnPad0(4000)));
        // Any window id: there is no server it could belong to.
        EXPECT_EQ(effect->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x200001))), 0);
        effect->dispatch(effEditIdle);
        effect->setParameter(param(0, kPan), 0.5f);
        EXPECT_GT(hit(*effect, padOf(*effect, 0).note), 0.01f);
        effect->dispatch(effEditIdle);
        effect->dispatch(effEditClose);
    }
    if (display != nullptr) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace x11test
