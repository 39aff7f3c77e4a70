// The editor's one door into the plug-in. Every value change from a control,
// every sample load and every patch goes through it, and the plug-in takes
// its edit lock and holds the audio thread off as each change needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class EditorPort {
public:
    virtual ~EditorPort() = default;

    // The plug-in's one parameter path: the engine, the value cache, the
    // bound controls marked for repaint, and the host told of the change.
    virtual void changeParameter(int32_t index, float value) = 0;
    // A gesture on a parameter begins and ends (the host records automation).
    virtual void beginEdit(int32_t index) = 0;
    virtual void endEdit(int32_t index) = 0;

    // Why the file was refused, in words; empty when it was loaded.
    virtual std::string loadPadSample(int pad, const char* path) = 0;
    virtual void removePadSample(int pad) = 0;
    // False when the name is longer than a pad keeps.
    virtual bool renamePad(int pad, const char* name) = 0;

    // The kit as a patch, as effGetChunk hands it out.
    virtual std::vector<uint8_t> patch() = 0;
    // Makes the bytes the kit; why they were refused, or empty.
    virtual std::string restorePatch(const uint8_t* bytes, int64_t size) = 0;

    // Keeps the kit still while the editor reads it (a paint), as edits do.
    virtual void lockKit() = 0;
    virtual void unlockKit() = 0;
};

// Holds the kit still for the lifetime of the guard.
class KitHold {
public:
    explicit KitHold(EditorPort& port) : port(port) { port.lockKit(); }
    ~KitHold() { port.unlockKit(); }
    KitHold(const KitHold&) = delete;
    KitHold& operator=(const KitHold&) = delete;

private:
    EditorPort& port;
};
