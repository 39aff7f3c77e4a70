// What the editor's logic needs from the window it is shown in: one backend
// per windowing system (Win32, X11) provides it.
#pragma once

// What a file dialog is asked for.
enum class FileRequest { SampleForPad, SavePatch, LoadPatch };

class EditorWindow {
public:
    virtual ~EditorWindow() = default;

    // A repaint soon; the paint then draws what is pending.
    virtual void invalidate() = 0;
    // The editor's size changed (its scale): the window and its back buffer
    // take the new size, and a full paint follows.
    virtual void resize() = 0;

    // The rename box: shown over a control's box holding the text, parked
    // out of sight, and what the user typed (at most size - 1 characters).
    virtual void showNameBox(int x, int y, int width, int height, const char* text) = 0;
    virtual void parkNameBox() = 0;
    virtual void nameBoxText(char* text, int size) = 0;

    // Asks the user for a file. The answer reaches Editor::fileChosen, now
    // (a modal dialog) or later (a dialog of its own process, picked up at
    // idle); a cancelled dialog answers nothing.
    virtual void chooseFile(FileRequest request) = 0;
    // Tells the user something went wrong, in a short message.
    virtual void tell(const char* message) = 0;
};
