// The DSP library's one export: the descriptor of the plug-in, whose calls
// reach the instance's object.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <cstring>

#include "lv2/Uris.h"
#include "lv2/zelLv2.h"

namespace {

zelLv2* self(LV2_Handle handle) { return static_cast<zelLv2*>(handle); }

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    return zelLv2::create(rate, features);
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) { self(handle)->connect(port, data); }
void activate(LV2_Handle handle) { self(handle)->activate(); }
void run(LV2_Handle handle, uint32_t frames) { self(handle)->run(frames); }
void deactivate(LV2_Handle handle) { self(handle)->deactivate(); }
void cleanup(LV2_Handle handle) { delete self(handle); }

LV2_Worker_Status work(LV2_Handle handle, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle to,
                       uint32_t size, const void* data) {
    return self(handle)->work(respond, to, size, data);
}

LV2_Worker_Status workResponse(LV2_Handle handle, uint32_t size, const void* data) {
    return self(handle)->workResponse(size, data);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*) {
    return self(handle)->save(store, state);
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                         const LV2_Feature* const*) {
    return self(handle)->restore(retrieve, state);
}

const LV2_Worker_Interface kWorker = {work, workResponse, nullptr};
const LV2_State_Interface kState = {save, restore};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_WORKER__interface) == 0) return &kWorker;
    if (std::strcmp(uri, LV2_STATE__interface) == 0) return &kState;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {uris::kPlugin, instantiate, connectPort, activate, run,
                                    deactivate,    cleanup,     extensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
