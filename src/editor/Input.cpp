// Mouse and drop input: pressing and dragging sliders and knobs, pressing
// buttons, the rename box, and files dropped on the controls that take them.
// Every value change goes through applyControlValue, into the plug-in's one
// parameter path.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "editor/Editor.h"
#include "engine/Numbers.h"

namespace {

constexpr float kFineDrag = 0.2f;  // Shift: five times the travel for the same change

bool reportsCommands(const GuiControl& control) { return (control.flags & kReportsCommands) != 0; }

bool isDragged(const GuiControl& control) {
    return control.kind == HSlider || control.kind == VSlider || control.kind == Knob;
}

PointerAction pressOf(MouseButton button) {
    return button == MouseButton::Left ? PointerAction::LeftPress : PointerAction::RightPress;
}

PointerAction releaseOf(MouseButton button) {
    return button == MouseButton::Left ? PointerAction::LeftRelease : PointerAction::RightRelease;
}

}  // namespace

GuiControl* Editor::hitAt(int x, int y, bool reportingOnly) const {
    for (GuiControl* control = state.head; control != nullptr; control = control->next) {
        if (reportingOnly && !reportsCommands(*control)) continue;
        if (boxOf(state, *control).contains(x, y)) return control;
    }
    return nullptr;
}

void Editor::applyControlValue(GuiControl& control, float value) {
    if (boundToParameter(control)) {
        port.changeParameter(control.param, value);
        markBound(state, control.param);
    }
    if (window != nullptr) window->invalidate();
}

// Shows the control's parameter again as it stands; nothing changes.
void Editor::reapplyControlValue(GuiControl& control) {
    if (boundToParameter(control)) markBound(state, control.param);
    if (window != nullptr) window->invalidate();
}

void Editor::commitName(GuiControl& nameBox) {
    char name[sizeof PadSettings::name] = {};
    if (window != nullptr) {
        window->nameBoxText(name, sizeof name);
        window->parkNameBox();
    }
    // The box and the label show the name the plug-in keeps, read at the
    // repaint: a name it refused shows the old one again, never what was typed.
    if (boundToParameter(nameBox)) port.renamePad(nameBox.param / kParamsPerPad, name);
    state.fullRedraw += 1;
}

// Every press first lets go of the control the last press went to; a name
// being typed reaches the pad then.
void Editor::releaseFocus() {
    GuiControl* focused = state.focused;
    if (focused == nullptr) return;
    state.focused = nullptr;
    reapplyControlValue(*focused);
    if (focused->kind == NameBox) commitName(*focused);
}

void Editor::beginGesture(const GuiControl& control) {
    endGesture();
    if (!isDragged(control) || !boundToParameter(control)) return;
    gestureParam = control.param;
    port.beginEdit(gestureParam);
}

void Editor::endGesture() {
    if (gestureParam < 0) return;
    port.endEdit(gestureParam);
    gestureParam = -1;
}

bool Editor::press(int x, int y, MouseButton button) {
    GuiControl* hit = hitAt(x, y, false);
    if (hit != nullptr) {
        state.lastMouseX = x;
        state.lastMouseY = y;
    }
    releaseFocus();
    state.focused = state.captured = hit;
    if (hit == nullptr) return true;

    float v = valueOf(state, *hit);
    if (reportsCommands(*hit)) {
        padCommand(hit->param, pressOf(button));
        reapplyControlValue(*hit);
    }
    beginGesture(*hit);
    const ControlBox box = boxOf(state, *hit);
    const int handle = sliderHandleSize(state);
    switch (hit->kind) {
        case Button: break;
        case HSlider:
            v = static_cast<float>(x - handle / 2 - box.left) / static_cast<float>(box.width - handle);
            break;
        case VSlider:
            v = static_cast<float>(box.height + box.top - handle / 2 - y) /
                static_cast<float>(box.height - handle);
            break;
        case NameBox:
            if (window != nullptr) window->showNameBox(box.left, box.top, box.width, box.height, hit->text);
            break;
        default:
            return false;  // knobs move by dragging; labels and bars only report
    }
    hit->value = clampUnit(v);
    applyControlValue(*hit, hit->value);
    return true;
}

bool Editor::move(int x, int y, bool shift) {
    GuiControl* control = state.captured;
    if (control == nullptr) return true;
    const float f = shift ? kFineDrag : 1.0f;
    const ControlBox box = boxOf(state, *control);
    const int handle = sliderHandleSize(state);
    float v = valueOf(state, *control);
    switch (control->kind) {
        case HSlider: {
            const float step = static_cast<float>(x - state.lastMouseX) * f;
            v += box.width != handle ? step / static_cast<float>(box.width - handle) : step;
            break;
        }
        case VSlider: {
            const float step = static_cast<float>(state.lastMouseY - y) * f;
            v += box.height != handle ? step / static_cast<float>(box.height - handle) : step;
            break;
        }
        case Knob: {
            // Up and right increase; the larger of the two movements counts.
            const int dx = x - state.lastMouseX, dy = state.lastMouseY - y;
            const int step = std::abs(dx) < std::abs(dy) ? dy : dx;
            // The travel grows with the knob, as every other length does.
            const float travel = control->span != 0 ? static_cast<float>(pixelsOf(state, control->span))
                                                    : static_cast<float>(3 * box.width);
            v += static_cast<float>(step) * f / travel;
            break;
        }
        default:
            return false;
    }
    control->value = clampUnit(v);
    applyControlValue(*control, control->value);
    state.lastMouseX = x;
    state.lastMouseY = y;
    return true;
}

bool Editor::release(MouseButton button) {
    GuiControl* control = state.captured;
    if (control == nullptr) return true;
    state.captured = nullptr;  // it stays focused
    const float v = valueOf(state, *control);
    if (reportsCommands(*control)) {
        padCommand(control->param, releaseOf(button));
        reapplyControlValue(*control);
    }
    endGesture();
    if (control->kind != Button) return false;
    control->value = clampUnit(v);
    applyControlValue(*control, control->value);
    return true;
}

bool Editor::drop(int x, int y, const char* path) {
    GuiControl* target = hitAt(x, y, true);
    if (target == nullptr || path == nullptr) return true;
    if (std::strlen(path) >= sizeof state.dropPath) {
        if (window != nullptr) window->tell("The dropped file's path is too long to load.");
        return true;
    }
    std::strcpy(state.dropPath, path);
    padCommand(target->param, PointerAction::Drop);
    reapplyControlValue(*target);
    return true;
}
