// The editor as the host's edit opcodes reach it: its rectangle, and the
// native window it opens as a child of the host's window.
#pragma once

#include <memory>

#include "editor/Editor.h"
#include "editor/NativeWindow.h"
#include "host/AEffEditor.h"
#include "host/AudioEffectX.h"

class zelGui : public AEffEditor {
public:
    // The effect asks its host for the editor's size when the size changes.
    zelGui(Editor& editor, AudioEffectX& effect);
    ~zelGui() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool setKnobMode(VstInt32 mode) override;

    // The host's scale for the editor: whether it was taken. An open editor
    // takes the size at once and asks the host for it.
    bool setScale(float scale);

private:
    // Asks the host for the editor's size when it differs from before.
    void followSize(PixelSize before);

    Editor& editor;
    AudioEffectX& effect;
    ERect sizeRect{};
    std::unique_ptr<NativeWindow> window;
};
