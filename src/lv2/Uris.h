// The plug-in's own URIs, and every URI either side of the binding maps.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#define ZEL_URI "urn:zel:zel001"
#define ZEL_PREFIX ZEL_URI "#"

namespace uris {

constexpr const char* kPlugin = ZEL_URI;
constexpr const char* kUi = ZEL_PREFIX "ui";
constexpr const char* kDemoPreset = ZEL_PREFIX "demo";
// The state's one property: the whole patch, the bytes of the VST chunk.
constexpr const char* kPatch = ZEL_PREFIX "patch";

}  // namespace uris

// Mapped once per instance, on either side.
struct KitUris {
    LV2_URID atomChunk, atomInt, atomBool, atomPath, atomString, atomObject, atomSequence, atomFrameTime,
        atomEventTransfer, atomVector, atomUrid, atomFloat;
    LV2_URID midiEvent;
    LV2_URID patchSet, patchGet, patchProperty, patchValue;
    LV2_URID bufMaxBlock, bufNominalBlock, paramSampleRate;
    LV2_URID logError, logWarning;
    LV2_URID patch;  // the state's property
    // Our message properties and types.
    LV2_URID pad, sampleFile, padName, savePatch, loadPatch, preview, key, on;
    LV2_URID padState, record, holdsSample, kitReplaced, activity, levels, refusal, command, reason, newKit;

    void map(const LV2_URID_Map* map);
};
