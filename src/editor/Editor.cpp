#include "editor/Editor.h"

#include "editor/Layout.h"
#include "editor/Painter.h"

void Editor::open(EditorWindow& shownIn) {
    window = &shownIn;
    if (!state.built) {
        KitHold hold(port);
        buildLayout(state, synth);
    }
    state.fullRedraw = 2;
    state.windowOpen = true;
}

void Editor::close() {
    releaseFocus();
    endGesture();
    state.captured = nullptr;
    state.windowOpen = false;
    window = nullptr;
}

void Editor::paint(Canvas& canvas) {
    if (!state.built) return;
    KitHold hold(port);
    paintEditor(state, synth, canvas);
}
