// The state: the whole self-contained patch as one property, the same bytes
// as the VST library's chunk. A host may save while the audio runs; the
// core copies the patch under its edit lock.
#include <lv2/state/state.h>

#include "files/Patch.h"
#include "lv2/zelLv2.h"

LV2_State_Status zelLv2::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (store == nullptr) return LV2_STATE_ERR_UNKNOWN;
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    core.readPatch([&](const uint8_t* bytes, int32_t size) {
        status = store(handle, uris.patch, bytes, static_cast<size_t>(size), uris.atomChunk,
                       LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    });
    return status;
}

// A state of another type or a refused patch changes nothing, and says why.
LV2_State_Status zelLv2::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (retrieve == nullptr) return LV2_STATE_ERR_UNKNOWN;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* bytes = retrieve(handle, uris.patch, &size, &type, &flags);
    // A state with no kit in it (a host's default state, say) leaves the kit.
    if (bytes == nullptr) return LV2_STATE_SUCCESS;
    if (type != uris.atomChunk) {
        logRefusal("state", "its kit is not a chunk of bytes");
        return LV2_STATE_ERR_BAD_TYPE;
    }
    const auto* patch = static_cast<const uint8_t*>(bytes);
    const int64_t length = size > static_cast<size_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size);
    const char* why = nullptr;
    if (core.restore(patch, length, &why) == 0) {
        if (why == nullptr) why = patchRefusal(patch, length);
        logRefusal("state", why != nullptr ? why : "not a kit");
        return LV2_STATE_ERR_UNKNOWN;
    }
    kitRestored.store(true);
    return LV2_STATE_SUCCESS;
}
