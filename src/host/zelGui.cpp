#include "host/zelGui.h"

zelGui::zelGui(Editor& editor) : editor(editor) {
    const EditorModel& model = editor.model();
    sizeRect.top = 0;
    sizeRect.left = 0;
    sizeRect.bottom = static_cast<int16_t>(model.height * model.scale);
    sizeRect.right = static_cast<int16_t>(model.width * model.scale);
}

zelGui::~zelGui() { close(); }

bool zelGui::getRect(ERect** rect) {
    *rect = &sizeRect;
    return true;
}

bool zelGui::open(void* parentWindow) {
    close();
    window = openNativeWindow(editor, parentWindow);
    return window != nullptr;
}

void zelGui::close() { window.reset(); }

void zelGui::idle() {
    if (window != nullptr) window->idle();
}

// The knobs follow straight drags whatever mode the host asks for.
bool zelGui::setKnobMode(VstInt32 mode) {
    (void)mode;
    return true;
}
