// The editor's window on Windows: a child of the host's window with a back
// buffer it paints into, the rename edit box, dropped files, and the file
// dialogs and message boxes, run from the window's own messages.
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "editor/NativeWindow.h"
#include "editor/win32/DesktopScale.h"
#include "editor/win32/GdiCanvas.h"
#include "editor/win32/Win32Dialogs.h"
#include "platform/Platform.h"

namespace {

constexpr UINT kRunDialog = WM_APP + 1;    // wParam: the FileRequest
constexpr UINT kShowMessage = WM_APP + 2;  // the oldest queued message
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintMilliseconds = 30;
constexpr int kEditBoxId = 1;

// The window class, registered while any editor window is open in the
// process and unregistered with the last: the class's procedure lives in
// this module, which the host may unload afterwards.
class WindowClass {
public:
    static const char* acquire(WNDPROC procedure);
    static void release();

private:
    static std::mutex guard;
    static int users;
    static char name[100];
};

std::mutex WindowClass::guard;
int WindowClass::users = 0;
char WindowClass::name[100] = {};

const char* WindowClass::acquire(WNDPROC procedure) {
    std::lock_guard<std::mutex> hold(guard);
    HINSTANCE module = static_cast<HINSTANCE>(platformModuleHandle());
    if (users++ > 0) return name;
    // The effect's name and the module's handle: two copies of the plug-in
    // loaded from different files keep classes of their own.
    std::snprintf(name, sizeof name, "VST_%s_%X", "zel001",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(module)));
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 32;
    windowClass.cbWndExtra = 32;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    return name;
}

void WindowClass::release() {
    std::lock_guard<std::mutex> hold(guard);
    if (--users == 0) UnregisterClassA(name, static_cast<HINSTANCE>(platformModuleHandle()));
}

bool compositedWindowsWanted() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    return version.dwMajorVersion >= 6;
}

class Win32Window : public NativeWindow, public EditorWindow {
public:
    Win32Window(Editor& editor, HWND parent);
    ~Win32Window() override;
    bool isValid() const { return window != nullptr && backDC != nullptr; }

    void idle() override { pickUpRepaintRequest(); }

    void invalidate() override { InvalidateRect(window, nullptr, FALSE); }
    void resize() override;
    void showNameBox(int x, int y, int width, int height, const char* text) override;
    void parkNameBox() override;
    void nameBoxText(char* text, int size) override { GetWindowTextA(editBox, text, size); }
    void chooseFile(FileRequest request) override;
    void tell(const char* message) override;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void created(HWND created);
    void createBackBuffer();
    void releaseBackBuffer();
    void scaleEditFont();
    void paint();
    void pickUpRepaintRequest();
    void dropFiles(HDROP drop);
    void runDialog(FileRequest request);
    void showNextMessage();
    LRESULT mouse(bool handled, UINT message, WPARAM wParam, LPARAM lParam);

    Editor& editor;
    int width, height;
    HWND window = nullptr;
    HWND editBox = nullptr;
    HFONT editFont = nullptr;  // null: the system's font
    HBITMAP backBitmap = nullptr;
    HDC backDC = nullptr;
    bool opened = false;
    std::deque<std::string> messages;  // for the user, each shown from its own window message
    // Cleared when the window goes. A dialog's modal loop may run the host's
    // own messages, and the host may close the editor from there: code that
    // returns from a dialog looks here before it touches anything.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

Win32Window::Win32Window(Editor& editor, HWND parent)
    : editor(editor), width(editor.size().width), height(editor.size().height) {
    const char* className = WindowClass::acquire(procedure);
    CreateWindowExA(compositedWindowsWanted() ? WS_EX_COMPOSITED : 0, className, "Window",
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width, height,
                    parent, nullptr, static_cast<HINSTANCE>(platformModuleHandle()), this);
    if (window == nullptr) return;
    createBackBuffer();
    if (!isValid()) return;
    scaleEditFont();
    editor.open(*this);
    opened = true;
    SetTimer(window, kRepaintTimer, kRepaintMilliseconds, nullptr);
}

Win32Window::~Win32Window() {
    *alive = false;
    if (opened) {
        editor.close();
        KillTimer(window, kRepaintTimer);
    }
    releaseBackBuffer();
    if (editBox != nullptr) DestroyWindow(editBox);
    if (editFont != nullptr) DeleteObject(editFont);
    if (window != nullptr) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    WindowClass::release();
}

void Win32Window::created(HWND created) {
    window = created;
    DragAcceptFiles(window, TRUE);
    // A whole pad name (15 characters) fits only if the box scrolls.
    editBox = CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0,
                              0, 0, 0, window, reinterpret_cast<HMENU>(kEditBoxId),
                              static_cast<HINSTANCE>(platformModuleHandle()), nullptr);
}

void Win32Window::createBackBuffer() {
    HDC windowDC = GetDC(window);
    backBitmap = CreateCompatibleBitmap(windowDC, width, height);
    backDC = CreateCompatibleDC(nullptr);
    ReleaseDC(window, windowDC);
    if (backDC == nullptr || backBitmap == nullptr) return;
    SelectObject(backDC, backBitmap);
    SetBkMode(backDC, TRANSPARENT);
}

void Win32Window::releaseBackBuffer() {
    if (backDC != nullptr) DeleteDC(backDC);
    if (backBitmap != nullptr) DeleteObject(backBitmap);
    backDC = nullptr;
    backBitmap = nullptr;
}

// The edit box's text at the editor's scale: the system's font at 1, as it
// always was, and the same font scaled at other scales, from its outlines
// (the system's own may be a bitmap font, which would scale blocky).
void Win32Window::scaleEditFont() {
    const float scale = editor.model().scale;
    HFONT made = nullptr;
    if (scale != kSmallestScale) {
        LOGFONTA look{};
        GetObjectA(GetStockObject(SYSTEM_FONT), sizeof look, &look);
        look.lfHeight = scaledLength(look.lfHeight, scale);
        look.lfWidth = scaledLength(look.lfWidth, scale);
        look.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        made = CreateFontIndirectA(&look);
    }
    SendMessageA(editBox, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    if (editFont != nullptr) DeleteObject(editFont);
    editFont = made;
}

// The window and its back buffer at the editor's new size, the name box
// parked past its new edge; the editor has asked for a full paint.
void Win32Window::resize() {
    const PixelSize size = editor.size();
    width = size.width;
    height = size.height;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    releaseBackBuffer();
    createBackBuffer();
    scaleEditFont();
    parkNameBox();
    invalidate();
}

LRESULT CALLBACK Win32Window::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->created(window);
        return 0;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32Window::mouse(bool handled, UINT message, WPARAM wParam, LPARAM lParam) {
    return handled ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
            SetCapture(window);
            return mouse(editor.press(x, y, MouseButton::Left), message, wParam, lParam);
        case WM_RBUTTONDOWN:
            return mouse(editor.press(x, y, MouseButton::Right), message, wParam, lParam);
        case WM_LBUTTONUP:
            ReleaseCapture();
            return mouse(editor.release(MouseButton::Left), message, wParam, lParam);
        case WM_RBUTTONUP:
            return mouse(editor.release(MouseButton::Right), message, wParam, lParam);
        case WM_MOUSEMOVE:
            return mouse(editor.move(x, y, GetKeyState(VK_SHIFT) < 0), message, wParam, lParam);
        case WM_DROPFILES:
            dropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_PAINT:
            paint();
            return 0;
        case WM_TIMER:
            if (wParam != kRepaintTimer) break;
            pickUpRepaintRequest();
            return 0;
        case kRunDialog:
            runDialog(static_cast<FileRequest>(wParam));
            return 0;
        case kShowMessage:
            showNextMessage();
            return 0;
        default:
            break;  // keys, double clicks and the rest: the system's default
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32Window::paint() {
    if (backDC != nullptr) {
        GdiCanvas canvas(backDC);
        editor.paint(canvas);
    }
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(window, &paintStruct);
    if (backDC != nullptr) BitBlt(dc, 0, 0, width, height, backDC, 0, 0, SRCCOPY);
    EndPaint(window, &paintStruct);
}

void Win32Window::pickUpRepaintRequest() {
    if (editor.takeRepaintRequest()) invalidate();
}

// The drop lands where the cursor is; the first of several files counts.
void Win32Window::dropFiles(HDROP drop) {
    POINT cursor{};
    RECT frame{};
    GetCursorPos(&cursor);
    GetWindowRect(window, &frame);
    const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
    char path[kPathSize] = {};
    if (length < sizeof path) DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (length >= sizeof path) {
        tell("The dropped file's path is too long to load.");
        return;
    }
    editor.drop(cursor.x - frame.left, cursor.y - frame.top, path);
}

void Win32Window::showNameBox(int x, int y, int boxWidth, int boxHeight, const char* text) {
    SetWindowTextA(editBox, text != nullptr ? text : "");
    MoveWindow(editBox, x, y, boxWidth, boxHeight, TRUE);
    SetFocus(editBox);
    SendMessageA(editBox, EM_SETSEL, 0, -1);
}

void Win32Window::parkNameBox() {
    if (GetFocus() == editBox) SetFocus(GetParent(window));
    MoveWindow(editBox, width, 0, 0, 1, TRUE);
}

// The dialogs run from a message of their own, never inside the editor's
// handling of the press that asked for them.
void Win32Window::chooseFile(FileRequest request) {
    PostMessageA(window, kRunDialog, static_cast<WPARAM>(request), 0);
}

void Win32Window::tell(const char* message) {
    messages.emplace_back(message);
    PostMessageA(window, kShowMessage, 0, 0);
}

void Win32Window::runDialog(FileRequest request) {
    const std::shared_ptr<bool> stillOpen = alive;
    std::string path;
    const bool chosen = runFileDialog(window, request, path);
    if (!*stillOpen || !chosen) return;
    editor.fileChosen(request, path.c_str());
}

void Win32Window::showNextMessage() {
    if (messages.empty()) return;
    const std::string text = messages.front();
    messages.pop_front();
    showMessage(window, text.c_str());
}

}  // namespace

std::unique_ptr<NativeWindow> openNativeWindow(Editor& editor, void* parent) {
    editor.setDesktopScale(desktopScale(static_cast<HWND>(parent)));
    auto window = std::make_unique<Win32Window>(editor, static_cast<HWND>(parent));
    if (!window->isValid()) return nullptr;
    return window;
}
