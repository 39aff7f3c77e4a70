#include "host/zelGui.h"

zelGui::zelGui(Editor& editor, AudioEffectX& effect) : editor(editor), effect(effect) {}

zelGui::~zelGui() { close(); }

// The size at the scale in use; a host may ask before and after opening.
bool zelGui::getRect(ERect** rect) {
    const PixelSize size = editor.size();
    sizeRect.top = 0;
    sizeRect.left = 0;
    sizeRect.bottom = static_cast<int16_t>(size.height);
    sizeRect.right = static_cast<int16_t>(size.width);
    *rect = &sizeRect;
    return true;
}

// Opening reads the desktop's scale, which may change the size the host was
// told of.
bool zelGui::open(void* parentWindow) {
    close();
    const PixelSize before = editor.size();
    window = openNativeWindow(editor, parentWindow);
    if (window == nullptr) return false;
    followSize(before);
    return true;
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

bool zelGui::setScale(float scale) {
    const PixelSize before = editor.size();
    if (!editor.setScale(scale)) return false;
    if (window != nullptr) followSize(before);
    return true;
}

void zelGui::followSize(PixelSize before) {
    const PixelSize now = editor.size();
    if (now != before) effect.sizeWindow(now.width, now.height);
}
