#include "lv2/Uris.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/patch/patch.h>

void KitUris::map(const LV2_URID_Map* m) {
    auto id = [m](const char* uri) { return m->map(m->handle, uri); };
    atomChunk = id(LV2_ATOM__Chunk);
    atomInt = id(LV2_ATOM__Int);
    atomBool = id(LV2_ATOM__Bool);
    atomPath = id(LV2_ATOM__Path);
    atomString = id(LV2_ATOM__String);
    atomObject = id(LV2_ATOM__Object);
    atomSequence = id(LV2_ATOM__Sequence);
    atomFrameTime = id(LV2_ATOM__frameTime);
    atomEventTransfer = id(LV2_ATOM__eventTransfer);
    atomVector = id(LV2_ATOM__Vector);
    atomUrid = id(LV2_ATOM__URID);
    atomFloat = id(LV2_ATOM__Float);
    midiEvent = id(LV2_MIDI__MidiEvent);
    patchSet = id(LV2_PATCH__Set);
    patchGet = id(LV2_PATCH__Get);
    patchProperty = id(LV2_PATCH__property);
    patchValue = id(LV2_PATCH__value);
    bufMaxBlock = id(LV2_BUF_SIZE__maxBlockLength);
    bufNominalBlock = id(LV2_BUF_SIZE__nominalBlockLength);
    paramSampleRate = id(LV2_PARAMETERS__sampleRate);
    logError = id(LV2_LOG__Error);
    logWarning = id(LV2_LOG__Warning);
    patch = id(uris::kPatch);
    pad = id(ZEL_PREFIX "pad");
    sampleFile = id(ZEL_PREFIX "sampleFile");
    padName = id(ZEL_PREFIX "padName");
    savePatch = id(ZEL_PREFIX "savePatch");
    loadPatch = id(ZEL_PREFIX "loadPatch");
    preview = id(ZEL_PREFIX "Preview");
    key = id(ZEL_PREFIX "key");
    on = id(ZEL_PREFIX "on");
    padState = id(ZEL_PREFIX "PadState");
    record = id(ZEL_PREFIX "record");
    holdsSample = id(ZEL_PREFIX "holdsSample");
    kitReplaced = id(ZEL_PREFIX "kitReplaced");
    activity = id(ZEL_PREFIX "Activity");
    levels = id(ZEL_PREFIX "levels");
    refusal = id(ZEL_PREFIX "Refusal");
    command = id(ZEL_PREFIX "command");
    reason = id(ZEL_PREFIX "reason");
    newKit = id(ZEL_PREFIX "NewKit");
}
