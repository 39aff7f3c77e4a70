#include "HostWindow.h"

#ifdef _WIN32
#include <windows.h>

namespace {
const char kClass[] = "torture host";
}

HostWindow::HostWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);  // fails harmlessly when already there
    handle = CreateWindowA(kClass, "torture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 1040, 640, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    if (handle == nullptr) reason = "no top-level window";
}

HostWindow::~HostWindow() {
    if (handle != nullptr) DestroyWindow(static_cast<HWND>(handle));
}

void HostWindow::pump() {
    MSG message;
    for (int turn = 0; turn < 3; ++turn) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    }
}

std::string HostWindow::resourceCounts() {
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return "GDI " + std::to_string(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) + ", USER " +
           std::to_string(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) + ", handles " +
           std::to_string(handles);
}

#else
#include <X11/Xlib.h>
#include <time.h>

#include <cstdlib>

HostWindow::HostWindow() {
    // A server busy with the editor's own connections may turn one away for
    // a moment.
    Display* display = nullptr;
    for (int attempt = 0; display == nullptr && attempt < 50; ++attempt) {
        display = XOpenDisplay(nullptr);
        if (display == nullptr && std::getenv("DISPLAY") == nullptr) break;
        if (display == nullptr) {
            timespec pause{0, 10000000};
            nanosleep(&pause, nullptr);
        }
    }
    if (display == nullptr) {
        reason = "no X display";
        return;
    }
    connection = display;
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 1024, 599, 0,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    handle = reinterpret_cast<void*>(window);
}

HostWindow::~HostWindow() {
    Display* display = static_cast<Display*>(connection);
    if (display == nullptr) return;
    XDestroyWindow(display, static_cast<Window>(reinterpret_cast<uintptr_t>(handle)));
    XCloseDisplay(display);
}

void HostWindow::pump() {
    Display* display = static_cast<Display*>(connection);
    if (display != nullptr) XSync(display, False);
    timespec pause{0, 1000000};
    nanosleep(&pause, nullptr);
}

std::string HostWindow::resourceCounts() { return {}; }
#endif
