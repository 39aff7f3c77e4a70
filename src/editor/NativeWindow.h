// The editor's window on this system: a child of the host's window that
// shows the editor, feeds it the mouse, drops and dialogs, and paints it.
#pragma once

#include <memory>

#include "editor/Editor.h"

class NativeWindow {
public:
    virtual ~NativeWindow() = default;  // closes the window
    // The host's regular idle call, on its user-interface thread.
    virtual void idle() {}
    // The window system's handle of the window (an X11 window's id), for a
    // host that embeds it as a widget of its own.
    virtual void* nativeHandle() const { return nullptr; }
};

// Every build has a window system to show the editor in: Win32 on Windows,
// X11 on Linux (where an editor opens only when a display can be reached).
constexpr bool kHasNativeWindow = true;

// Opens the editor in a new child window of parent; null when none can be
// made.
std::unique_ptr<NativeWindow> openNativeWindow(Editor& editor, void* parent);
