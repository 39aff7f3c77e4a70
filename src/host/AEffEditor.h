// The editor side of the binding: what the edit opcodes reach.
#pragma once

#include "host/Vst2.h"

class AEffEditor {
public:
    virtual ~AEffEditor() = default;
    virtual bool getRect(ERect** rect) = 0;
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& key) { (void)key; return false; }
    virtual bool onKeyUp(VstKeyCode& key) { (void)key; return false; }
    virtual bool setKnobMode(VstInt32 mode) { (void)mode; return false; }
};
