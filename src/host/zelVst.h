// The plug-in object: one per loaded instance, behind the host's AEffect.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/Editor.h"
#include "editor/EditorPort.h"
#include "engine/BusyFlags.h"
#include "engine/DrumSynth.h"
#include "host/AudioEffectX.h"
#include "host/ChunkImage.h"
#include "host/EditLock.h"
#include "host/EventQueue.h"

class zelVst : public AudioEffectX, private EditorPort {
public:
    explicit zelVst(audioMasterCallback audioMaster);
    ~zelVst() override;

    // False when an allocation failed during construction.
    bool isComplete() const { return complete; }

    void suspend() override { suspended.store(true); }
    void resume() override { suspended.store(false); }
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

    // Kit edits that the host's calls do not cover, for the editor and the
    // tools. Each takes the edit lock. A refused file changes nothing and
    // the answer says why, in words; an empty answer means it was taken.
    std::string loadPadSample(int pad, const char* path) override;
    std::string loadPadSampleBytes(int pad, const uint8_t* bytes, int64_t size, const char* name);
    void removePadSample(int pad) override;
    // False, changing nothing, when the name is longer than a pad keeps (15).
    bool renamePad(int pad, const char* name) override;
    // Makes the bytes the kit, as effSetChunk does; why they were refused, or empty.
    std::string restorePatch(const uint8_t* bytes, int64_t size) override;

    // The engine, for reading what no call tells (the tools' kit listing, tests).
    DrumSynth& core() { return synth; }
    Editor& padEditor() { return editorCore; }
    EditorModel& editorModel() { return editorCore.model(); }

private:
    // The editor's door.
    void changeParameter(int32_t index, float value) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    std::vector<uint8_t> patch() override;
    void lockKit() override { editLock.lock(); }
    void unlockKit() override { editLock.unlock(); }

    // The block as the kit, or refused (0) with the reason in *why.
    int32_t restoreKit(const uint8_t* bytes, int64_t size, const char** why);
    void declareIdentity();
    void showNewKit();
    bool applyParameter(VstInt32 index, float value);
    void refreshParameterValues();
    void requestFullRepaint();
    int handleEvent(const QueuedEvent& event);
    int engineNote(uint8_t status, uint8_t key, uint8_t value);
    void copyName(int entry, char* text, int limit) const;
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index, float opt);

    EventQueue queue;
    struct ParameterMemo {
        std::atomic<VstInt32> index{-1};  // -1: empty; any parameter change empties it
        float value = 0.0f;
        char text[80] = {};
    } memo;
    DrumSynth synth{};
    Editor editorCore{synth, *this};  // the editor's state and logic, window or not
    EditLock editLock;
    ChunkImage chunk;
    // The velocity of the last note-on per MIDI channel and key, 0 when off:
    // what the all-notes-off controllers release.
    uint8_t channelNotes[16][128] = {};
    std::atomic<bool> constructed{false};
    std::atomic<bool> suspended{true};
    BusyFlags busy;
    bool complete = false;
};

// What VSTPluginMain does once the host has answered its version: a new,
// completely constructed instance, or null.
AEffect* createPlugin(audioMasterCallback audioMaster);
