#ifndef _WIN32
#include "EditorWindow.h"

namespace vsthost {

Picture captureWindow(void*, int, int) { return Picture(); }

Picture readWindow(void*, int, int) { return Picture(); }

bool showEditor(Effect& effect, const std::string& screenshot, std::string& error) {
    (void)effect;
    (void)screenshot;
    error = "no editor window on this system yet";
    return false;
}

}  // namespace vsthost
#endif
