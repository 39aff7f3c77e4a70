// A small LV2 host on liblilv for the tests: it loads the built bundle the
// way hosts do (the world, the plug-in's description, its binary through
// lilv), offers the features a host offers (URID map, worker, options, log),
// and drives an instance through its ports: MIDI and messages into the
// control sequence, the 16 outputs, the 208 setting ports, and the notices
// of the notify port read back. The audio thread's calls (run and the
// worker's responses) go through the audit.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "lv2/KitMessages.h"
#include "lv2/PortLayout.h"

namespace lv2host {

// URIDs for the whole process, as a host keeps them.
class UridMap {
public:
    UridMap();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid);
    LV2_URID_Map* mapFeature() { return &mapData; }
    LV2_URID_Unmap* unmapFeature() { return &unmapData; }

private:
    std::mutex lock;
    std::unordered_map<std::string, LV2_URID> ids;
    std::vector<std::string> uris;
    LV2_URID_Map mapData;
    LV2_URID_Unmap unmapData;
};

UridMap& urids();
const KitUris& kitUris();

// The bundle, loaded once: its folder is set before the first use.
void setBundle(const std::string& folder);
LilvWorld* world();
const LilvPlugin* plugin();

struct Options {
    double rate = 44100.0;
    int32_t maxBlock = 8192;
    bool worker = true;
    bool map = true;  // offer urid:map
    bool readNotify = true;  // read the notices after each run (a benchmark does not)
};

class Instance {
public:
    explicit Instance(const Options& options = Options{});
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return instance != nullptr; }
    LilvInstance* lilv() const { return instance; }
    void activate();
    void deactivate();

    // What the next run's control sequence holds.
    void midi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2);
    void request(const KitRequest& request);
    // Any atom as an event (a hostile one, say), body bytes as given.
    void rawEvent(int64_t frame, uint32_t type, const void* body, uint32_t size);

    // run, audited; then the worker's requests carried out on this thread
    // (outside the audit) and their answers handed back (audited), as a
    // host's worker does between runs. frames may be 0 or any length up to
    // the outputs' room (8192 frames).
    void run(uint32_t frames);
    // The ports the plug-in renders into; unconnected ones stay null.
    void disconnectOutput(int output);
    // Every port connected to the host's buffers again.
    void reconnect() { connectAll(); }
    void disconnectControl();
    const float* output(int channel) const { return outputs[static_cast<size_t>(channel)].data(); }
    float& setting(int port) { return settings[static_cast<size_t>(port)]; }
    static constexpr int32_t kRoom = 8192;

    // The notices of every run so far, in order; taken.
    std::vector<KitNotice> takeNotices();
    // The same notify events as the atoms came, header and body, for a UI.
    std::vector<std::vector<uint8_t>> takeRawNotices();
    // Requests the plug-in scheduled that are still to be worked.
    size_t workQueued() const { return requestCount; }

    // The state interface, called as hosts call it.
    std::vector<uint8_t> savedPatch();
    LV2_State_Status restorePatch(const std::vector<uint8_t>& bytes, uint32_t type = 0);
    // What the plug-in logged.
    std::vector<std::string> logged;

private:
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data);
    static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data);
    static int logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
    static int logVPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list args);
    void startSequence();
    void connectAll();
    void readNotify();

    LilvInstance* instance = nullptr;
    const LV2_Worker_Interface* worker = nullptr;
    const LV2_State_Interface* state = nullptr;
    std::vector<std::vector<float>> outputs;
    std::vector<float> settings;
    std::vector<uint64_t> controlBuffer;
    std::vector<uint64_t> notifyBuffer;
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequenceFrame{};
    // The worker's queues: room made before any run, so that scheduling
    // from run allocates nothing.
    struct Message {
        uint32_t size = 0;
        uint8_t bytes[2048];
    };
    std::vector<Message> requests, responses;
    size_t requestCount = 0, responseCount = 0;
    std::vector<KitNotice> notices;
    std::vector<std::vector<uint8_t>> rawNotices;
    int32_t maxBlock;
    bool readsNotify;
    LV2_Worker_Schedule scheduleData{};
    LV2_Log_Log logData{};
    LV2_Options_Option options[3] = {};
    LV2_Feature mapFeature{}, unmapFeature{}, scheduleFeature{}, logFeature{}, optionsFeature{};
    std::vector<const LV2_Feature*> features;
};

}  // namespace lv2host
