#include "editor/Editor.h"

#include "editor/Layout.h"
#include "editor/PadSelection.h"
#include "editor/Painter.h"

void Editor::open(EditorWindow& shownIn) {
    window = &shownIn;
    if (!state.built) {
        readKit();
        buildLayout(state);
    }
    state.fullRedraw = 2;
    state.windowOpen = true;
}

void Editor::close() {
    letGo();
    state.windowOpen = false;
    window = nullptr;
}

bool Editor::setScale(float scale) {
    if (!scales.fromHost(scale)) return false;
    useChosenScale();
    return true;
}

bool Editor::setDesktopScale(float scale) {
    if (!scales.fromDesktop(scale)) return false;
    useChosenScale();
    return true;
}

void Editor::useChosenScale() {
    const float chosen = scales.chosen();
    if (chosen == state.scale) return;
    // Where the pointer pressed and where the name box stands are pixels of
    // the old scale.
    if (window != nullptr) letGo();
    state.scale = chosen;
    if (window == nullptr) return;
    state.fullRedraw += 1;
    window->resize();
}

void Editor::letGo() {
    releaseFocus();
    endGesture();
    state.captured = nullptr;
}

void Editor::readKit() {
    for (int p = 0; p < kPadCount; ++p) port.readPad(p, state.pads[p]);
}

// Every paint reads the kit anew: a host may have changed any setting since,
// and the texts the controls show point into this view.
void Editor::paint(Canvas& canvas) {
    if (!state.built) return;
    readKit();
    // Whoever announced the new kit asked for a full paint too.
    if (state.newKit.exchange(false)) selectPad(state, 0);
    paintEditor(state, port, canvas);
}

// One full paint shows any number of changes: a pending one is enough.
void Editor::kitChanged() {
    int32_t none = 0;
    state.fullRedraw.compare_exchange_strong(none, 1);
    requestRepaint(state);
}

void Editor::showNewKit() {
    state.newKit.store(true);
    kitChanged();
}
