// The editor's state, owned by the editor object: the control records and
// their list, the kit as the plug-in last showed it, the selected pad, the
// cache of every parameter's normalised value, the pending repaints, the
// pointer's state and the path of a dropped file. The engine knows none of
// it; the editor reads the kit through its port.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/EditorPort.h"
#include "editor/EditorScale.h"
#include "editor/GuiControl.h"
#include "engine/KitLimits.h"
#include "engine/NoteActivity.h"
#include "engine/PadParameters.h"
#include "platform/Platform.h"

constexpr uint32_t kHeldColour = rgb(255, 170, 170);
constexpr uint32_t kRingingColour = rgb(204, 153, 153);
constexpr uint32_t kIdleColour = rgb(136, 136, 136);

constexpr int kEditorWidth = 1024;
constexpr int kEditorHeight = 599;

struct EditorModel {
    ControlStore controls{};
    GuiControl* head = nullptr;  // the list in creation order: paint and hit-test order
    bool built = false;          // the layout exists, from the first open on
    uint32_t borderColor = 0;
    uint32_t backColor = 0;
    int32_t width = kEditorWidth;  // unscaled size
    int32_t height = kEditorHeight;
    float scale = kSmallestScale;  // the one in use: see Editor::setScale

    // The value each parameter's controls show and edit; host threads write
    // it too.
    std::atomic<float> paramValues[kParamCount] = {};
    // Full repaints pending; host threads request them too.
    std::atomic<int32_t> fullRedraw{0};
    // A repaint asked for from another thread: the audio thread (a note
    // label changed) or a host thread (automation, a new kit). The window
    // picks it up on its next timer tick or idle call.
    std::atomic<bool> repaintRequested{false};
    std::atomic<bool> windowOpen{false};

    // The pads as the port last told them; the controls' texts point here.
    PadView pads[kPadCount] = {};
    // A new kit came: the next paint selects pad 0. Host threads set it.
    std::atomic<bool> newKit{false};

    int selectedPad = 0;
    int8_t previewNote = -1;  // the key last previewed, released on button-up
    char dropPath[kPathSize] = {};
    // What each pad's note label last showed.
    NoteActivity shownActivity[kPadCount] = {};

    // The pointer: where the last press or drag step was, the control a
    // press started on (dragged until the release), and the control that
    // received the last press.
    int lastMouseX = 0;
    int lastMouseY = 0;
    GuiControl* captured = nullptr;
    GuiControl* focused = nullptr;
};

// A length of the layout in window pixels.
inline int pixelsOf(const EditorModel& model, int32_t units) { return scaledLength(units, model.scale); }

struct PixelSize {
    int width, height;
    bool operator==(const PixelSize& other) const { return width == other.width && height == other.height; }
    bool operator!=(const PixelSize& other) const { return !(*this == other); }
};
// The editor's size in window pixels.
inline PixelSize windowSize(const EditorModel& model) {
    return {pixelsOf(model, model.width), pixelsOf(model, model.height)};
}

// A control's rectangle in window pixels: left, top, width and height, each
// at least 1. Its edges are the layout's edges scaled, so controls that meet
// in the layout meet on the screen.
struct ControlBox {
    int left, top, width, height;
    bool contains(int x, int y) const {
        return left <= x && x <= left + width && top <= y && y <= top + height;
    }
};
ControlBox boxOf(const EditorModel& model, const GuiControl& control);

// The length of a slider's handle along its track, in window pixels: where
// the painter draws it and where a press or a drag finds it.
inline int sliderHandleSize(const EditorModel& model) { return pixelsOf(model, 16); }

// Whether the control is bound to one of the 240 parameters.
inline bool boundToParameter(const GuiControl& control) {
    return control.param >= 0 && control.param < kParamCount;
}

// The value a control shows: its parameter's cached value, else its own.
float valueOf(const EditorModel& model, const GuiControl& control);

// Marks every control bound to the parameter for the next partial paint.
void markBound(EditorModel& model, int32_t param);

// Asks the window for a repaint, from any thread: a flag, no system call.
inline void requestRepaint(EditorModel& model) {
    model.repaintRequested.store(true, std::memory_order_relaxed);
}

// The note label's colour for a pad's activity.
uint32_t noteLabelColour(NoteActivity activity);

// Recolours the note labels whose pad's activity changed since they last
// showed it, and marks them for repaint. True when one changed.
bool showNoteActivity(EditorModel& model, EditorPort& port);
