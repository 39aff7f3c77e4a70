#include "host/zelVst.h"

#include <cstring>
#include <new>

#include "editor/PadSelection.h"
#include "engine/Kit.h"
#include "engine/PadParameters.h"
#include "files/Construction.h"
#include "files/DefaultPatch.h"
#include "files/FileBytes.h"
#include "files/PadSample.h"
#include "files/Patch.h"
#include "files/SampleStore.h"
#include "host/Identity.h"
#include "host/zelGui.h"
#include "platform/Platform.h"

namespace {

// One buffer for the whole process, filled once with the plug-in file's path.
const char* sharedModulePath() {
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
    synth.busy = &busy;
    synth.suspended = &suspended;
    if (!constructSynth(synth)) return;
    showNewKit();
    if (loadDefaultPatch(synth, sharedModulePath())) showNewKit();

    declareIdentity();
    refreshParameterValues();
    if (identity::kCapabilities & identity::kHasEditor) {
        editor = new (std::nothrow) zelGui(editorCore);
        if (editor == nullptr) return;
        cEffect.flags |= effFlagsHasEditor;
    }
    constructed.store(true);
    complete = true;
}

// The editor goes first: an open window must never paint a kit that is gone.
zelVst::~zelVst() {
    suspended.store(true);
    delete editor;
    editor = nullptr;
    releaseKit(synth.kit);
    synth.kit = nullptr;
    queue.release();
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

void zelVst::declareIdentity() {
    cEffect.numInputs = identity::kInputCount;
    cEffect.numOutputs = identity::kOutputCount;
    cEffect.flags &= ~(effFlagsIsSynth | effFlagsProgramChunks | effFlagsHasEditor);
    if (identity::kIsSynth) cEffect.flags |= effFlagsIsSynth;
    if (identity::kProgramChunks) cEffect.flags |= effFlagsProgramChunks;
    cEffect.flags |= effFlagsCanReplacing;
    cEffect.uniqueID = identity::kUniqueId;
    numPrograms = cEffect.numPrograms = identity::kProgramCount;
    numParams = cEffect.numParams = identity::kParamCount;
}

// A new kit shows with pad 0 selected, in one full repaint.
void zelVst::showNewKit() {
    selectPad(editorModel(), *synth.kit, 0);
    editorModel().fullRedraw += 1;
}

void zelVst::setSampleRate(float rate) {
    // A rate no audio runs at would turn the engine's integer fields into
    // undefined conversions; such a request changes nothing.
    if (!(rate >= 1.0f && rate <= 10000000.0f)) return;
    EditHold hold(editLock);
    // Hosts should only change the rate while suspended; not all do.
    EditGuard guard(&busy);
    synth.hostRateInverse = 1.0f / rate;
    setAudioFormat(synth, rate, synth.blockLength);
    sampleRate = rate;
    synth.hostRate = rate;
}

void zelVst::setProgram(VstInt32 program) {
    {
        EditHold hold(editLock);
        curProgram = program;
        refreshParameterValues();
    }
    EditorModel& model = editorModel();
    if (model.windowOpen.load()) {
        model.fullRedraw = 1;
        requestRepaint(model);
    }
}

// Every cached value from the kit; the memo may hold an older one.
void zelVst::refreshParameterValues() {
    char text[kDisplayTextSize];
    for (int index = 0; index < identity::kParamCount; ++index)
        editorModel().paramValues[index] = describePadParameter(synth, index, text);
    memo.index = -1;
}

void zelVst::requestFullRepaint() {
    EditorModel& model = editorModel();
    if (!model.windowOpen.load()) return;
    model.fullRedraw += 1;
    requestRepaint(model);
}

// The host gets a copy of the image that only the next effGetChunk replaces.
VstInt32 zelVst::getChunk(void** data, bool isPreset) {
    (void)isPreset;  // one block serves banks and programs alike
    EditHold hold(editLock);
    buildPatch(synth);
    const SampleStore* store = synth.kit->sampleStore;
    *data = nullptr;
    if (!chunk.assign(imageBytes(store), store->totalSize)) return 0;
    *data = const_cast<uint8_t*>(chunk.data());
    return store->totalSize;
}

VstInt32 zelVst::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    (void)isPreset;
    return restoreKit(static_cast<const uint8_t*>(data), byteSize, nullptr);
}

int32_t zelVst::restoreKit(const uint8_t* bytes, int64_t size, const char** why) {
    int32_t result = 0;
    {
        EditHold hold(editLock);
        if (size != 0 && bytes != nullptr) {
            EditGuard guard(&busy);
            result = ::restorePatch(synth, bytes, size, why);
        } else if (why != nullptr) {
            *why = patchRefusal(bytes, size);
        }
        if (result != 0) showNewKit();
        refreshParameterValues();
    }
    requestFullRepaint();
    return result;
}

std::vector<uint8_t> zelVst::patch() {
    EditHold hold(editLock);
    buildPatch(synth);
    const SampleStore* store = synth.kit->sampleStore;
    const uint8_t* bytes = imageBytes(store);
    try {
        return std::vector<uint8_t>(bytes, bytes + store->totalSize);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string zelVst::restorePatch(const uint8_t* bytes, int64_t size) {
    const char* refused = nullptr;
    if (restoreKit(bytes, size, &refused) != 0) return {};
    return refused != nullptr ? refused : "refused";
}

// The file is read and its sample decoded before the lock is taken, so that
// no host call waits on the disk; the lock is held only to switch the pad.
std::string zelVst::loadPadSample(int pad, const char* path) {
    if (path == nullptr || path[0] == '\0') return "no file named";
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, &reason)) return reason;
    return loadPadSampleBytes(pad, bytes.data(), static_cast<int64_t>(bytes.size()), baseName(path));
}

std::string zelVst::loadPadSampleBytes(int pad, const uint8_t* bytes, int64_t size,
                                       const char* name) {
    if (pad < 0 || pad >= kPadCount) return "no such pad";
    PreparedSample prepared;
    const char* refused = prepareSample(bytes, size, name, prepared);
    if (refused == nullptr) {
        EditHold hold(editLock);
        refused = installSample(synth, pad, prepared);
    }
    return refused != nullptr ? refused : std::string();
}

void zelVst::removePadSample(int pad) {
    EditHold hold(editLock);
    ::loadPadSample(synth, pad, "");
}

bool zelVst::renamePad(int pad, const char* name) {
    if (pad < 0 || pad >= kPadCount || name == nullptr) return false;
    Pad& target = synth.kit->pads[pad];
    const size_t length = std::strlen(name);
    if (length >= sizeof target.name) return false;
    EditHold hold(editLock);
    std::memset(target.name, 0, sizeof target.name);
    std::memcpy(target.name, name, length);
    return true;
}

void zelVst::copyName(int entry, char* text, int limit) const {
    const char* name = identity::namesTable()[entry];
    identity::copyHostText(text, name != nullptr ? name : "", limit);
}

bool zelVst::getEffectName(char* name) {
    copyName(identity::EffectNameEntry, name, identity::kEffectNameLength);
    return true;
}

bool zelVst::getVendorString(char* text) {
    copyName(identity::VendorEntry, text, identity::kVendorLength);
    return true;
}

bool zelVst::getProductString(char* text) {
    copyName(identity::ProductEntry, text, identity::kProductLength);
    return true;
}

VstInt32 zelVst::getVendorVersion() { return identity::kVendorVersion; }

VstInt32 zelVst::canDo(const char* text) {
    const uint32_t can = identity::kCapabilities;
    if (std::strcmp(text, "receiveVstEvents") == 0) return (can & identity::kReceivesVstEvents) ? 1 : -1;
    if (std::strcmp(text, "receiveVstMidiEvent") == 0)
        return (can & identity::kReceivesVstMidiEvent) ? 1 : -1;
    return -1;
}
