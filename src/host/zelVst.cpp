#include "host/zelVst.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/Kit.h"
#include "engine/PadParameters.h"
#include "files/Construction.h"
#include "files/Names.h"
#include "files/Patch.h"
#include "files/SampleStore.h"
#include "platform/Platform.h"

namespace {

constexpr int kMaxChannels = 16;
constexpr int kEffectNameLength = 32;

// One buffer for the whole process, filled once with the plug-in file's path.
char* sharedModulePath() {
    static struct ModulePath {
        char text[kPathSize];
        ModulePath() { platformModulePath(text, sizeof text); }
    } path;
    return path.text;
}

}  // namespace

zelVst::zelVst(audioMasterCallback audioMaster) : AudioEffectX(audioMaster) {
    if (!queue.init(1024)) return;

    synth.hostRate = sampleRate;
    synth.hostRateInverse = 1.0f / synth.hostRate;
    synth.blockLength = blockSize;
    synth.capabilities = 3;
    synth.modulePath = sharedModulePath();
    synth.busy = &busy;
    synth.suspended = &suspended;
    // Provisional identity until the core's construction fills it in.
    synth.inputCount = 1;
    synth.outputCount = 1;
    synth.vendorLength = 64;
    synth.productLength = 64;
    synth.paramTextLength = 8;
    if (!constructSynth(synth)) return;

    if (synth.inputCount > kMaxChannels) synth.inputCount = kMaxChannels;
    if (synth.outputCount > kMaxChannels) synth.outputCount = kMaxChannels;
    cEffect.numInputs = synth.inputCount;
    cEffect.numOutputs = synth.outputCount;
    cEffect.flags &= ~(effFlagsIsSynth | effFlagsProgramChunks);
    if (synth.isSynth) cEffect.flags |= effFlagsIsSynth;
    if (synth.programChunks) cEffect.flags |= effFlagsProgramChunks;
    cEffect.flags |= effFlagsCanReplacing;
    cEffect.uniqueID = synth.uniqueId;
    numPrograms = cEffect.numPrograms = synth.programCount;
    numParams = cEffect.numParams = synth.paramCount;

    synth.paramValues = static_cast<float*>(std::malloc(sizeof(float) * synth.paramCount));
    if (synth.paramValues == nullptr) return;
    refreshParameterValues();

    constructed.store(true);
    complete = true;
}

zelVst::~zelVst() {
    suspended.store(true);
    releaseKit(synth.kit);
    synth.kit = nullptr;
    queue.release();
    std::free(synth.paramValues);
    synth.paramValues = nullptr;
    delete editor;
}

AEffect* createPlugin(audioMasterCallback audioMaster) {
    zelVst* plugin = new (std::nothrow) zelVst(audioMaster);
    if (plugin == nullptr) return nullptr;
    if (!plugin->isComplete()) {
        delete plugin;
        return nullptr;
    }
    return plugin->getAeffect();
}

void zelVst::setSampleRate(float rate) {
    // A rate no audio runs at would turn the engine's integer fields into
    // undefined conversions; such a request changes nothing.
    if (!(rate >= 1.0f && rate <= 10000000.0f)) return;
    // Hosts should only change the rate while suspended; not all do.
    EditGuard guard(&busy);
    synth.hostRateInverse = 1.0f / rate;
    setAudioFormat(synth, rate, synth.blockLength);
    sampleRate = rate;
    synth.hostRate = rate;
}

void zelVst::setProgram(VstInt32 program) {
    curProgram = program;
    synth.currentProgram = program;
    refreshParameterValues();
    void* window = synth.editorWindow.load();
    if (window != nullptr) {
        synth.fullRedraw = 1;
        platformInvalidateWindow(window);
    }
}

void zelVst::refreshParameterValues() {
    for (int index = 0; index < synth.paramCount; ++index)
        synth.paramValues[index] = describePadParameter(synth, index, synth.textBuffer);
}

void zelVst::requestFullRepaint() {
    void* window = synth.editorWindow.load();
    if (window == nullptr) return;
    synth.fullRedraw += 1;
    platformInvalidateWindow(window);
}

// The host gets the kit's own image, not a copy: it stays valid until the
// image is next resized (a sample load, a removal or a restore).
VstInt32 zelVst::getChunk(void** data, bool isPreset) {
    (void)isPreset;  // one block serves banks and programs alike
    buildPatch(synth);
    *data = synth.kit->sampleStore;
    return synth.kit->sampleStore->totalSize;
}

VstInt32 zelVst::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    (void)isPreset;
    VstInt32 result = 0;
    if (byteSize != 0 && data != nullptr) {
        EditGuard guard(&busy);
        result = restorePatch(synth, static_cast<const uint8_t*>(data), byteSize);
    }
    refreshParameterValues();
    requestFullRepaint();
    return result;
}

void zelVst::copyName(int entry, char* text, int limit) const {
    text[0] = '\0';
    if (synth.names == nullptr || synth.names[entry] == nullptr) return;
    std::strncpy(text, synth.names[entry], limit);
    text[limit] = '\0';
}

bool zelVst::getEffectName(char* name) {
    copyName(EffectNameEntry, name, kEffectNameLength);
    return true;
}

bool zelVst::getVendorString(char* text) {
    copyName(VendorEntry, text, synth.vendorLength);
    return true;
}

bool zelVst::getProductString(char* text) {
    copyName(ProductEntry, text, synth.productLength);
    return true;
}

VstInt32 zelVst::canDo(const char* text) {
    if (std::strcmp(text, "receiveVstEvents") == 0) return (synth.capabilities & 1) ? 1 : -1;
    if (std::strcmp(text, "receiveVstMidiEvent") == 0) return (synth.capabilities & 2) ? 1 : -1;
    return -1;
}
