#include "editor/x11/DesktopScale.h"

#include <X11/Xresource.h>

#include <charconv>
#include <cstring>

#include "editor/EditorScale.h"

namespace {

// The number the value starts with, read the same in every locale.
float leadingNumber(const char* text) {
    float number = 0.0f;
    const std::from_chars_result read = std::from_chars(text, text + std::strlen(text), number);
    return read.ec == std::errc() ? number : 0.0f;
}

}  // namespace

float desktopScale(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) return 0.0f;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return 0.0f;
    char* type = nullptr;
    XrmValue value{};
    float dpi = 0.0f;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr)
        dpi = leadingNumber(value.addr);
    XrmDestroyDatabase(database);
    return scaleOfDpi(dpi);
}
