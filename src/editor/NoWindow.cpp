// Builds without a window system to draw in declare no editor, and never
// open one.
#include "editor/NativeWindow.h"

std::unique_ptr<NativeWindow> openNativeWindow(Editor& editor, void* parent) {
    (void)editor;
    (void)parent;
    return nullptr;
}
