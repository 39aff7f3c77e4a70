#include "editor/win32/DesktopScale.h"

#include "editor/EditorScale.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);

// Looked up when needed, so that the plug-in still loads where user32 has
// no such function.
DpiForWindow dpiForWindow() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr) return nullptr;
    return reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

float desktopScale(HWND window) {
    const DpiForWindow dpiOf = dpiForWindow();
    if (dpiOf == nullptr || window == nullptr) return 0.0f;
    return scaleOfDpi(static_cast<float>(dpiOf(window)));
}
