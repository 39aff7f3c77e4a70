#include "HostWindow.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

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

namespace {

// Wine answers 0 to GetGuiResources and GetProcessHandleCount. Its handle
// tables hand out the lowest free entries first, so a batch of probes larger
// than any free list ends as far up the table as the entries in use push it:
// the highest probe's place in the table, less the batch, grows by one with
// every entry in use.
constexpr int kProbes = 4000;

template <typename Make, typename Index, typename Free>
long probeOnce(Make make, Index index, Free release) {
    std::vector<decltype(make())> probes;
    std::vector<long> indices;
    for (int i = 0; i < kProbes; ++i) {
        probes.push_back(make());
        if (probes.back() != nullptr) indices.push_back(index(probes.back()));
    }
    for (auto probe : probes)
        if (probe != nullptr) release(probe);
    if (indices.size() < 2) return -1;
    // Some tables step by more than one between entries.
    std::sort(indices.begin(), indices.end());
    long step = indices.back();
    for (size_t i = 1; i < indices.size(); ++i)
        if (indices[i] > indices[i - 1]) step = std::min(step, indices[i] - indices[i - 1]);
    return indices.back() / step - kProbes;
}

// Wine's own threads hold an object now and then for a moment; the least of
// a few probes is what stays.
template <typename Make, typename Index, typename Free>
long probedInUse(Make make, Index index, Free release) {
    long least = probeOnce(make, index, release);
    for (int again = 0; again < 4; ++again) {
        Sleep(5);
        least = std::min(least, probeOnce(make, index, release));
    }
    return least;
}

long handleIndex(HANDLE handle) { return static_cast<long>(reinterpret_cast<uintptr_t>(handle) >> 2); }
template <typename Handle>
long tableIndex(Handle handle) { return static_cast<long>(reinterpret_cast<uintptr_t>(handle) & 0xffff); }

bool countedBySystem() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0; }

long gdiObjects() {
    if (countedBySystem()) return long(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    return probedInUse([] { return CreatePen(PS_SOLID, 1, 0); }, tableIndex<HPEN>,
                       [](HPEN pen) { DeleteObject(pen); });
}

// Wine's USER table serves every process of the session, so probing it
// would count the other programs' windows too; this process's own windows,
// top-level and child, are what an editor could leave behind.
BOOL CALLBACK countOwnWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) ++*reinterpret_cast<long*>(count);
    return TRUE;
}

BOOL CALLBACK countWindowFamily(HWND window, LPARAM count) {
    countOwnWindow(window, count);
    EnumChildWindows(window, countOwnWindow, count);
    return TRUE;
}

long userObjects() {
    if (countedBySystem()) return long(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    long windows = 0;
    EnumWindows(countWindowFamily, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

long kernelHandles() {
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted != 0) return long(counted);
    return probedInUse([] { return CreateEventA(nullptr, FALSE, FALSE, nullptr); }, handleIndex,
                       [](HANDLE event) { CloseHandle(event); });
}

}  // namespace

HostWindow::Resources HostWindow::resources() {
    Resources now;
    now.probed = !countedBySystem();
    now.gdi = gdiObjects();
    now.user = userObjects();
    now.handles = kernelHandles();
    return now;
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

HostWindow::Resources HostWindow::resources() { return {}; }
#endif

bool HostWindow::Resources::sameAs(const Resources& other) const {
    const long slack = probed || other.probed ? 2 : 0;
    return std::labs(gdi - other.gdi) <= slack && std::labs(user - other.user) <= slack &&
           std::labs(handles - other.handles) <= slack;
}

std::string HostWindow::Resources::text() const {
    return "GDI " + std::to_string(gdi) + ", USER " + std::to_string(user) + ", handles " +
           std::to_string(handles) + (probed ? " (probed)" : "");
}
