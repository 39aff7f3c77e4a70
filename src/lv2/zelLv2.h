// The plug-in object of the LV2 binding: one per instance. A thin binding of
// LV2's calls onto the plug-in core, as zelVst is of VST 2.4's: the ports,
// the MIDI of the control port played through the core's block loop, the
// control ports through the audio thread's parameter path, the kit edits the
// editor asks for in the host's worker, the state, and what the editor shows
// through the notify port.
#pragma once

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/log/logger.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/PluginCore.h"
#include "lv2/KitMessages.h"
#include "lv2/PortLayout.h"
#include "lv2/Uris.h"

// What a worker's edit answers, back on the audio thread.
struct WorkDone {
    PadMask pads = 0;     // whose state the editor should be told again
    bool newKit = false;  // a patch replaced the kit
    bool refused = false;
    FileCommand command = FileCommand::LoadSample;
    char path[kPathSize] = {};
    char reason[kReasonSize] = {};
};

class zelLv2 {
public:
    // Null unless the host maps URIDs and the rate is one audio runs at.
    static zelLv2* create(double rate, const LV2_Feature* const* features);
    ~zelLv2();
    zelLv2(const zelLv2&) = delete;
    zelLv2& operator=(const zelLv2&) = delete;

    void connect(uint32_t port, void* data);
    void activate() { core.resume(); }
    void deactivate() { core.suspend(); }
    void run(uint32_t frames);

    // Worker (Lv2Work.cpp).
    LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle, uint32_t size,
                           const void* data);
    LV2_Worker_Status workResponse(uint32_t size, const void* data);

    // State (Lv2State.cpp).
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    PluginCore& instrument() { return core; }

private:
    zelLv2(float rate, const LV2_URID_Map* map);
    void readOptions(const LV2_Feature* const* features);

    // run's parts.
    void applySettingPorts();
    void takeRequests(const LV2_Atom* sequence);
    int render(const LV2_Atom* sequence, uint32_t frames);
    void writeNotices();
    bool notify(const KitNotice& notice);

    void logRefusal(const char* what, const char* why);

    PluginCore core;
    KitUris uris{};
    LV2_Worker_Schedule* schedule = nullptr;
    LV2_Log_Log* log = nullptr;
    LV2_Log_Logger logger{};
    LV2_Atom_Forge forge{};

    const LV2_Atom_Sequence* control = nullptr;
    LV2_Atom_Sequence* notifyPort = nullptr;
    float* outputs[kOutputCount] = {};
    const float* settings[kSettingPortCount] = {};
    // What each setting port last held: a port is applied only when its
    // value changes, and then only when it differs from the engine's.
    float lastSeen[kSettingPortCount] = {};
    // Where the outputs a host left unconnected are rendered.
    std::vector<float> spare;

    // What the editor is still to be told; the audio thread's alone.
    PadMask pendingPads = 0;
    PadMask replacedPads = 0;  // of those, the ones a new kit replaced
    bool pendingNewKit = false;
    WorkDone pendingRefusal{};
    NoteActivity shownActivity[kPadCount] = {};
    // A restore through the state interface replaced the kit.
    std::atomic<bool> kitRestored{false};
};
