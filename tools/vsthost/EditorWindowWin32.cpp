#ifdef _WIN32
#include <windows.h>

#include "EditorWindow.h"

namespace vsthost {

namespace {

const char kClassName[] = "vsthost editor host";
constexpr UINT_PTR kIdleTimer = 1;

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER && wParam == kIdleTimer) {
        auto* effect = reinterpret_cast<Effect*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (effect != nullptr) effect->dispatch(effEditIdle);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Runs the window's messages for a while, as a host's idle loop would.
void pump(DWORD milliseconds) {
    const DWORD until = GetTickCount() + milliseconds;
    MSG message;
    while (GetTickCount() < until) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

void runUntilClosed() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

Picture captureWindow(void* handle, int width, int height) {
    RedrawWindow(static_cast<HWND>(handle), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return readWindow(handle, width, height);
}

Picture readWindow(void* handle, int width, int height) {
    HWND window = static_cast<HWND>(handle);
    Picture picture;
    picture.width = width;
    picture.height = height;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDC = GetDC(window);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    HBITMAP section = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memoryDC, section);
    BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
    GdiFlush();
    const uint8_t* bgrx = static_cast<const uint8_t*>(bits);
    picture.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; bgrx != nullptr && i < picture.rgb.size() / 3; ++i) {
        picture.rgb[3 * i] = bgrx[4 * i + 2];
        picture.rgb[3 * i + 1] = bgrx[4 * i + 1];
        picture.rgb[3 * i + 2] = bgrx[4 * i];
    }
    SelectObject(memoryDC, previous);
    DeleteObject(section);
    DeleteDC(memoryDC);
    ReleaseDC(window, windowDC);
    return picture;
}

bool showEditor(Effect& effect, const std::string& screenshot, std::string& error) {
    int width = 0, height = 0;
    if (!editorSize(effect, width, height, error)) return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    HWND host = CreateWindowA(kClassName, "zel001 (vsthost)", style | WS_VISIBLE, 10, 10,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, nullptr);
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&effect));
    bool ok = effect.dispatch(effEditOpen, 0, 0, host) != 0;
    if (!ok) error = "the plug-in's editor did not open";
    // Opening may have changed the size (the desktop's scale): ask again.
    if (ok && editorSize(effect, width, height, error)) {
        frame = RECT{0, 0, width, height};
        AdjustWindowRect(&frame, style, FALSE);
        SetWindowPos(host, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    if (ok) {
        SetTimer(host, kIdleTimer, 30, nullptr);
        if (screenshot.empty()) {
            runUntilClosed();
        } else {
            pump(500);  // the first paints
            ok = writePng(screenshot, captureWindow(GetWindow(host, GW_CHILD), width, height), error);
        }
        KillTimer(host, kIdleTimer);
        effect.dispatch(effEditClose);
    }
    DestroyWindow(host);
    UnregisterClassA(kClassName, instance);
    return ok;
}

}  // namespace vsthost
#endif
