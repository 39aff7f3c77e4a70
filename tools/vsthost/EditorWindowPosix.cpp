#ifndef _WIN32
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>

#include "EditorWindow.h"

namespace vsthost {

namespace {

constexpr long kIdleNanoseconds = 20 * 1000 * 1000;  // hosts idle their editors about 50 times a second

void sleepIdle() {
    timespec wait{0, kIdleNanoseconds};
    nanosleep(&wait, nullptr);
}

// The display the window is on: ours, opened for it.
Display* hostDisplay = nullptr;

}  // namespace

Picture captureWindow(void* handle, int width, int height) {
    Picture picture;
    if (hostDisplay == nullptr) return picture;
    const Window window = static_cast<Window>(reinterpret_cast<uintptr_t>(handle));
    XSync(hostDisplay, False);
    XImage* image = XGetImage(hostDisplay, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.rgb.push_back(static_cast<uint8_t>((pixel & image->red_mask) >> 16));
            picture.rgb.push_back(static_cast<uint8_t>((pixel & image->green_mask) >> 8));
            picture.rgb.push_back(static_cast<uint8_t>(pixel & image->blue_mask));
        }
    XDestroyImage(image);
    return picture;
}

Picture readWindow(void*, int, int) { return Picture(); }

bool showEditor(Effect& effect, const std::string& screenshot, std::string& error) {
    int width = 0, height = 0;
    if (!editorSize(effect, width, height, error)) return false;
    hostDisplay = XOpenDisplay(nullptr);
    if (hostDisplay == nullptr) {
        error = "no X display to show the editor on (is DISPLAY set?)";
        return false;
    }
    const int screen = DefaultScreen(hostDisplay);
    const Window host = XCreateSimpleWindow(hostDisplay, RootWindow(hostDisplay, screen), 10, 10,
                                            static_cast<unsigned>(width), static_cast<unsigned>(height),
                                            0, BlackPixel(hostDisplay, screen), WhitePixel(hostDisplay, screen));
    XStoreName(hostDisplay, host, "zel001 (vsthost)");
    Atom closing = XInternAtom(hostDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(hostDisplay, host, &closing, 1);
    XSelectInput(hostDisplay, host, StructureNotifyMask);
    XMapWindow(hostDisplay, host);
    XSync(hostDisplay, False);

    const bool opened = effect.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)) != 0;
    bool ok = opened;
    if (!opened) error = "the plug-in's editor did not open";
    // Opening may have changed the size (the desktop's scale): ask again.
    if (ok && editorSize(effect, width, height, error))
        XResizeWindow(hostDisplay, host, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (ok && screenshot.empty()) {
        for (bool open = true; open;) {
            while (XPending(hostDisplay) > 0) {
                XEvent event;
                XNextEvent(hostDisplay, &event);
                if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == closing)
                    open = false;
            }
            effect.dispatch(effEditIdle);
            sleepIdle();
        }
    } else if (ok) {
        for (int turn = 0; turn < 25; ++turn) {  // the first paints
            effect.dispatch(effEditIdle);
            sleepIdle();
        }
        ok = writePng(screenshot, captureWindow(reinterpret_cast<void*>(host), width, height), error);
    }
    if (opened) effect.dispatch(effEditClose);
    XDestroyWindow(hostDisplay, host);
    XCloseDisplay(hostDisplay);
    hostDisplay = nullptr;
    return ok;
}

}  // namespace vsthost
#endif
