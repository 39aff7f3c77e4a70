// The editor's one door into the plug-in, and the plug-in's only way of
// telling the editor what to show. Every value change from a control, every
// sample load and every patch goes out through it; the pads' settings and
// activity come back through it. The editor holds no engine pointer, so the
// plug-in may sit in another process (an LV2 UI) as well as beside it.
#pragma once

#include <cstdint>

#include "engine/NoteActivity.h"
#include "engine/Pad.h"

// What the editor shows of one pad.
struct PadView {
    PadSettings settings;
    bool holdsSample;  // a sample to play, not only a file name
};

class EditorPort {
public:
    virtual ~EditorPort() = default;

    // The plug-in's one parameter path: the engine, the value cache, the
    // bound controls marked for repaint, and the host told of the change.
    virtual void changeParameter(int32_t index, float value) = 0;
    // A gesture on a parameter begins and ends (the host records automation).
    virtual void beginEdit(int32_t index) = 0;
    virtual void endEdit(int32_t index) = 0;

    // Kit commands. A refusal comes back through Editor::refused, at once or
    // when the plug-in has tried.
    virtual void loadPadSample(int pad, const char* path) = 0;
    virtual void removePadSample(int pad) = 0;
    virtual void renamePad(int pad, const char* name) = 0;
    virtual void savePatch(const char* path) = 0;
    virtual void loadPatch(const char* path) = 0;
    // Plays a key as the pads' audition, at velocity 100, and releases it.
    // False, playing nothing, while an earlier request is still pending.
    virtual bool previewKey(int8_t key, bool on) = 0;

    // What the editor shows: a pad as it stands, and its note activity.
    virtual void readPad(int pad, PadView& view) = 0;
    virtual NoteActivity noteActivity(int pad) = 0;
};
