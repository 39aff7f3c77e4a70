#include "files/Construction.h"

#include <cstdlib>
#include <cstring>

#include "editor/PadSelection.h"
#include "engine/Kit.h"
#include "platform/Platform.h"
#include "files/Names.h"
#include "files/Patch.h"
#include "files/SampleStore.h"

const char* const kDefaultPadNames[kPadCount] = {
    "Bass", "Rim",  "Snare", "Close", "Pedal", "Open", "Tom6",   "Tom5",
    "Tom4", "Tom3", "Tom2",  "Tom1",  "Ride",  "Splash", "Crash1", "Crash2"};
const int8_t kDefaultPadNotes[kPadCount] = {36, 37, 38, 42, 44, 46, 41, 43,
                                            45, 47, 48, 50, 51, 55, 49, 57};

namespace {

// The editor is not part of this build yet: the instrument declares none.
constexpr uint32_t kEditorCapability = 0;

constexpr int32_t kUniqueId = 0x6B716D72;
constexpr int kEditorWidth = 1024;
constexpr int kEditorHeight = 599;

void setIdentity(DrumSynth& synth) {
    synth.names = namesTable();
    synth.capabilities |= kEditorCapability;
    synth.vendorVersion = 300;
    synth.programCount = 1;
    synth.paramCount = kParamCount;
    synth.uniqueId = kUniqueId;
    synth.inputCount = 2;
    synth.outputCount = 16;
    synth.vendorLength = 16;
    synth.productLength = 16;
    synth.paramTextLength = 16;
    synth.isSynth = 1;
    synth.programChunks = 1;
}

void applyPadDefaults(DrumKit& kit, int p) {
    Pad& pad = kit.pads[p];
    std::strncpy(pad.name, kDefaultPadNames[p], sizeof pad.name - 1);
    pad.fileName[0] = '\0';
    pad.volume = 1.0f;
    pad.pan = 0.5f;
    pad.pitch = 1.0f;
    pad.pitchX = 0.0f;
    pad.highCut = 30000.0f;
    pad.midFreq = 0.0f;
    pad.midGain = 0.0f;
    pad.lowCut = 0.0f;
    pad.note = kDefaultPadNotes[p];
    pad.rateIndex = 15;
    pad.bitIndex = 22;
    pad.group = static_cast<int8_t>(p);
    pad.channel = 0;
    pad.control = kit.controls.pads[p];

    pad.lowCutFilter.type = Biquad::HighPass;
    pad.lowCutFilter.q = 0.9f;
    pad.lowCutFilter.freq = 0.0f;
    pad.midFilter.type = Biquad::Peaking;
    pad.midFilter.q = 1.5f;
    pad.midFilter.freq = 0.0f;
    pad.midFilter.gain = 0.0f;
    pad.highCutFilter.type = Biquad::LowPass;
    pad.highCutFilter.q = 0.9f;
    pad.highCutFilter.freq = 30000.0f;
}

// "preset/preset.bin" beside the plug-in file (backslashes on Windows). A
// directory too long for the path buffer simply has no default patch.
void loadDefaultPatch(DrumSynth& synth) {
    static const char kPresetPath[] = {kPathSeparator, 'p', 'r', 'e', 's', 'e', 't', kPathSeparator,
                                       'p', 'r', 'e', 's', 'e', 't', '.', 'b', 'i', 'n', '\0'};
    std::strncpy(synth.dropPath, synth.modulePath, sizeof synth.dropPath - 1);
    synth.dropPath[sizeof synth.dropPath - 1] = '\0';
    char* cut = std::strrchr(synth.dropPath, kPathSeparator);
    if (cut == nullptr) return;
    *cut = '\0';
    if (std::strlen(synth.dropPath) + sizeof kPresetPath > sizeof synth.dropPath) return;
    std::strcat(synth.dropPath, kPresetPath);

    int64_t size = 0;
    uint8_t* bytes = readWholeFile(synth.dropPath, &size);
    if (bytes == nullptr) return;
    restorePatch(synth, bytes, size);  // a refused file leaves the defaults
    std::free(bytes);
}

}  // namespace

SampleStore* createSampleStore() {
    auto* store = static_cast<SampleStore*>(std::calloc(1, sizeof(SampleStore)));
    if (store == nullptr) return nullptr;
    // Every slot a load adds is coded: rebuilding one must not code it again.
    store->formatMarker = 1;
    store->totalSize = kFixedImageSize;
    return store;
}

bool constructSynth(DrumSynth& synth) {
    setIdentity(synth);

    DrumKit* kit = allocateKit();
    if (kit == nullptr) return false;
    synth.kit = kit;
    synth.editorWidth = kEditorWidth;
    synth.editorHeight = kEditorHeight;
    synth.editorScale = 1.0f;
    kit->velocityScale = 1.0f / 127.0f;

    kit->sampleStore = createSampleStore();
    kit->scratch = static_cast<float*>(std::malloc(sizeof(float) * synth.blockLength));
    if (kit->sampleStore == nullptr || kit->scratch == nullptr) return false;
    kit->previewOn = -1;
    kit->previewOff = -1;
    kit->previewNote = -1;

    for (int p = 0; p < kPadCount; ++p) applyPadDefaults(*kit, p);
    // Voices start free and silent: the block is zeroed.

    setAudioFormat(synth, synth.hostRate, synth.blockLength);
    selectPad(synth, 0);
    synth.fullRedraw += 1;
    if (synth.modulePath != nullptr) loadDefaultPatch(synth);
    return true;
}
