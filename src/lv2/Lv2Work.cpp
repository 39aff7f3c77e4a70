// The kit edits the editor asks for, on the host's worker thread: every one
// of them takes the edit lock, reads files or writes them, so none may run in
// run(). What they did goes back to the audio thread, which tells the editor.
#include <cstring>
#include <string>

#include "lv2/zelLv2.h"

namespace {

FileCommand commandOf(RequestKind kind) {
    switch (kind) {
        case RequestKind::SavePatch: return FileCommand::SavePatch;
        case RequestKind::LoadPatch: return FileCommand::LoadPatch;
        default: return FileCommand::LoadSample;
    }
}

void refuse(WorkDone& done, const KitRequest& request, const std::string& reason) {
    done.refused = true;
    done.command = commandOf(request.kind);
    std::memcpy(done.path, request.text, sizeof done.path);
    std::strncpy(done.reason, reason.c_str(), sizeof done.reason - 1);
}

}  // namespace

LV2_Worker_Status zelLv2::work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle, uint32_t size,
                               const void* data) {
    if (size != sizeof(KitRequest) || data == nullptr) return LV2_WORKER_ERR_UNKNOWN;
    KitRequest request;
    std::memcpy(&request, data, sizeof request);
    if (!isWellFormed(request)) return LV2_WORKER_ERR_UNKNOWN;
    // Buffers the audio thread has let go since the last edit go first.
    core.collectGarbage();
    WorkDone done;
    std::string refused;
    switch (request.kind) {
        case RequestKind::LoadSample:
            refused = core.loadSampleFile(request.pad, request.text);
            done.pads = 1u << request.pad;
            break;
        case RequestKind::RemoveSample:
            core.removeSample(request.pad);
            done.pads = 1u << request.pad;
            break;
        case RequestKind::RenamePad:
            // A refused name shows the old one again.
            core.renamePad(request.pad, request.text);
            done.pads = 1u << request.pad;
            break;
        case RequestKind::SavePatch: refused = core.savePatchFile(request.text); break;
        case RequestKind::LoadPatch:
            refused = core.loadPatchFile(request.text);
            done.newKit = refused.empty();
            break;
        default: return LV2_WORKER_ERR_UNKNOWN;
    }
    if (!refused.empty()) refuse(done, request, refused);
    return respond(handle, sizeof done, &done);
}

LV2_Worker_Status zelLv2::workResponse(uint32_t size, const void* data) {
    if (size != sizeof(WorkDone) || data == nullptr) return LV2_WORKER_ERR_UNKNOWN;
    WorkDone done;
    std::memcpy(&done, data, sizeof done);
    pendingPads |= done.pads & kAllPads;
    if (done.newKit) {
        pendingNewKit = true;
        pendingPads = replacedPads = kAllPads;
    }
    if (done.refused) {
        done.path[sizeof done.path - 1] = '\0';
        done.reason[sizeof done.reason - 1] = '\0';
        pendingRefusal = done;
    }
    return LV2_WORKER_SUCCESS;
}
