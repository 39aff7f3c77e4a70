// The editor as the host's edit opcodes reach it: its rectangle, and the
// native window it opens as a child of the host's window.
#pragma once

#include <memory>

#include "editor/Editor.h"
#include "editor/NativeWindow.h"
#include "host/AEffEditor.h"

class zelGui : public AEffEditor {
public:
    explicit zelGui(Editor& editor);
    ~zelGui() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool setKnobMode(VstInt32 mode) override;

private:
    Editor& editor;
    ERect sizeRect;
    std::unique_ptr<NativeWindow> window;
};
