#include "editor/EditorModel.h"

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

bool showNoteActivity(EditorModel& model, const DrumKit& kit) {
    bool changed = false;
    for (int p = 0; p < kPadCount; ++p) {
        const NoteActivity now = kit.pads[p].shownActivity.load(std::memory_order_relaxed);
        if (now == model.shownActivity[p]) continue;
        model.shownActivity[p] = now;
        GuiControl& label = model.controls.pads[p][kNoteLabel];
        label.faceColor = noteLabelColour(now);
        label.dirty.store(1, std::memory_order_relaxed);
        changed = true;
    }
    return changed;
}
