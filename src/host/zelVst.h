// The plug-in object: one per loaded instance, behind the host's AEffect. A
// thin binding of the VST 2.4 calls onto the plug-in core, with what only a
// VST host needs: the event queue, the chunk the host holds, and the editor
// in the host's window.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/EventQueue.h"
#include "core/PluginCore.h"
#include "editor/Editor.h"
#include "editor/EditorPort.h"
#include "host/AudioEffectX.h"
#include "host/ChunkImage.h"

class zelVst : public AudioEffectX, private EditorPort {
public:
    explicit zelVst(audioMasterCallback audioMaster);
    ~zelVst() override;

    // False when an allocation failed during construction.
    bool isComplete() const { return complete; }

    void suspend() override { instrument.suspend(); }
    void resume() override { instrument.resume(); }
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    VstInt32 processEvents(VstEvents* events) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(const char* text) override;
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // The core, for the kit edits no host call makes (the tools) and for
    // reading what no call tells (tests).
    PluginCore& core() { return instrument; }
    Editor& padEditor() { return editorCore; }
    EditorModel& editorModel() { return editorCore.model(); }
    // Makes the bytes the kit, as effSetChunk does; why they were refused,
    // or empty.
    std::string restorePatch(const uint8_t* bytes, int64_t size);

private:
    // The editor's door.
    void changeParameter(int32_t index, float value) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void loadPadSample(int pad, const char* path) override;
    void removePadSample(int pad) override;
    void renamePad(int pad, const char* name) override;
    void savePatch(const char* path) override;
    void loadPatch(const char* path) override;
    bool previewKey(int8_t key, bool on) override { return instrument.previewKey(key, on); }
    void readPad(int pad, PadView& view) override;
    NoteActivity noteActivity(int pad) override { return instrument.noteActivity(pad); }

    // The block as the kit, or refused (0) with the reason in *why.
    int32_t restoreKit(const uint8_t* bytes, int64_t size, const char** why);
    void declareIdentity();
    void showNewKit();
    bool applyParameter(VstInt32 index, float value);
    void refreshParameterValues();
    void requestFullRepaint();
    void copyName(int entry, char* text, int limit) const;
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index, float opt);

    EventQueue queue;
    PluginCore instrument;
    Editor editorCore{*this};  // the editor's state and logic, window or not
    // Keeps a parameter's check against the editor's cache, its change and
    // the cache's update together, whichever thread sets it.
    std::mutex parameterOrder;
    ChunkImage chunk;
    std::atomic<bool> constructed{false};
    bool complete = false;
};

// What VSTPluginMain does once the host has answered its version: a new,
// completely constructed instance, or null.
AEffect* createPlugin(audioMasterCallback audioMaster);
