// The portable editor: its model, painting, mouse and drop input and the pad
// commands, over whatever window a backend (Win32, X11) shows it in. It
// reaches the plug-in only through its EditorPort.
#pragma once

#include <cstdint>

#include "editor/Canvas.h"
#include "editor/EditorModel.h"
#include "editor/EditorPort.h"
#include "editor/EditorWindow.h"

enum class MouseButton { Left, Right };

// What the pointer did on a control that reports to the pad commands.
enum class PointerAction { LeftPress, LeftRelease, RightPress, RightRelease, Drop };

// The commands on files whose failures the editor tells the user of.
enum class FileCommand { LoadSample, SavePatch, LoadPatch };

class Editor {
public:
    explicit Editor(EditorPort& port) : port(port) {}
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    EditorModel& model() { return state; }
    const EditorModel& model() const { return state; }

    // The window opens: the layout is built the first time, and the first
    // two paints are full.
    void open(EditorWindow& window);
    // Before the window goes: a name being typed is kept, a drag ends.
    void close();
    bool isOpen() const { return window != nullptr; }

    // The scale the host asks for (VST 2.4's 'PreS' call, LV2's
    // ui:scaleFactor) and the desktop's, which a window backend reads as it
    // opens. The host's wins over the desktop's, whenever either comes; a
    // value snapScale refuses changes nothing. Each answers whether it took
    // the value. When the scale in use changes while the window is open, a
    // name being typed is kept, a drag ends and the window takes the new
    // size at once; telling the host of it (size()) is the caller's part.
    // On the window's thread.
    bool setScale(float scale);
    bool setDesktopScale(float scale);
    // The window's size in pixels at the scale in use.
    PixelSize size() const { return windowSize(state); }

    void paint(Canvas& canvas);
    // Whether another thread asked for a repaint since the last call; the
    // window's timer or idle turns it into one.
    bool takeRepaintRequest() { return state.repaintRequested.exchange(false); }

    // Mouse input at window pixels. Each answers whether it handled the
    // event; the window's default processing follows when not.
    bool press(int x, int y, MouseButton button);
    bool release(MouseButton button);
    bool move(int x, int y, bool shift);
    // A file dropped at (x, y); and whether a drop there would be taken.
    bool drop(int x, int y, const char* path);
    bool takesDropAt(int x, int y) const { return hitAt(x, y, true) != nullptr; }

    // The answer of a file dialog asked for by a command.
    void fileChosen(FileRequest request, const char* path);

    // The plug-in's word on the kit, from any thread: it changed (a patch
    // loaded, a pad's sample or name): the next paint reads it all again.
    void kitChanged();
    // A new kit: pad 0 selected, shown whole.
    void showNewKit();
    // The plug-in refused a file command on path, for reason; told at once
    // when a window is open.
    void refused(FileCommand command, const char* path, const char* reason);

private:
    // Input.cpp
    GuiControl* hitAt(int x, int y, bool reportingOnly) const;
    void releaseFocus();
    void commitName(GuiControl& nameBox);
    void applyControlValue(GuiControl& control, float value);
    void reapplyControlValue(GuiControl& control);
    void beginGesture(const GuiControl& control);
    void endGesture();

    // PadCommands.cpp
    void padCommand(int32_t index, PointerAction action);
    void selectAndShow(int pad);
    void startPreview(int pad);
    void endPreview();
    void loadSample(int pad, const char* path);
    void removeSample(int pad);
    void fileLabelChanged();

    // Reads every pad's view from the plug-in.
    void readKit();
    // A name being typed reaches the pad, a drag ends.
    void letGo();
    // Draws at the scale the sources now choose.
    void useChosenScale();

    EditorPort& port;
    EditorModel state;
    EditorWindow* window = nullptr;
    ScaleSources scales;
    int32_t gestureParam = -1;  // the parameter a drag is changing, for the host
    int samplePad = 0;          // the pad an open-WAV dialog is choosing for
};
