// The editor's state, owned by the editor object that the plug-in creates:
// the control records and their list, the selected pad, the cache of every
// parameter's normalised value, the pending repaints and the path of a
// dropped file. The engine knows none of it; the editor reads the kit.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/GuiControl.h"
#include "engine/DrumKit.h"
#include "engine/NoteActivity.h"
#include "engine/PadParameters.h"
#include "platform/Platform.h"

constexpr uint32_t kHeldColour = rgb(255, 170, 170);
constexpr uint32_t kRingingColour = rgb(204, 153, 153);
constexpr uint32_t kIdleColour = rgb(136, 136, 136);

struct EditorModel {
    ControlStore controls{};
    GuiControl* head = nullptr;  // the list in creation order: paint and hit-test order
    // The value each parameter's controls show and edit.
    float paramValues[kParamCount] = {};
    // Full repaints pending; host threads request them too.
    std::atomic<int32_t> fullRedraw{0};
    char dropPath[kPathSize] = {};
    int selectedPad = 0;
    int8_t previewNote = -1;  // the key last previewed, released on button-up
    // The open editor window, for repaint requests; null while it is closed.
    std::atomic<void*> window{nullptr};
    // What each pad's note label last showed.
    NoteActivity shownActivity[kPadCount] = {};
};

// Marks every control bound to the parameter for the next partial paint.
void markBound(EditorModel& model, int32_t param);

// The note label's colour for a pad's activity.
uint32_t noteLabelColour(NoteActivity activity);

// Recolours the note labels whose pad's published activity changed since
// they last showed it, and marks them for repaint. True when one changed.
bool showNoteActivity(EditorModel& model, const DrumKit& kit);
