#include "editor/EditorModel.h"

#include <algorithm>

ControlBox boxOf(const EditorModel& model, const GuiControl& control) {
    const int left = pixelsOf(model, control.x), top = pixelsOf(model, control.y);
    const int right = pixelsOf(model, control.x + control.width);
    const int bottom = pixelsOf(model, control.y + control.height);
    return {left, top, std::max(right - left, 1), std::max(bottom - top, 1)};
}

float valueOf(const EditorModel& model, const GuiControl& control) {
    if (boundToParameter(control)) return model.paramValues[control.param].load(std::memory_order_relaxed);
    return control.value;
}

void markBound(EditorModel& model, int32_t param) {
    for (GuiControl* control = model.head; control != nullptr; control = control->next)
        if (control->param == param) control->dirty.store(1, std::memory_order_relaxed);
}

uint32_t noteLabelColour(NoteActivity activity) {
    switch (activity) {
        case NoteActivity::Held: return kHeldColour;
        case NoteActivity::Ringing: return kRingingColour;
        default: return kIdleColour;
    }
}

bool showNoteActivity(EditorModel& model, EditorPort& port) {
    bool changed = false;
    for (int p = 0; p < kPadCount; ++p) {
        const NoteActivity now = port.noteActivity(p);
        if (now == model.shownActivity[p]) continue;
        model.shownActivity[p] = now;
        GuiControl& label = model.controls.pads[p][kNoteLabel];
        label.faceColor = noteLabelColour(now);
        label.dirty.store(1, std::memory_order_relaxed);
        changed = true;
    }
    return changed;
}
