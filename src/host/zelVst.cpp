#include "host/zelVst.h"

#include <cstring>
#include <new>

#include "files/Patch.h"
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

zelVst::zelVst(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster), instrument(sampleRate, blockSize, sharedModulePath()) {
    if (!queue.init(1024) || !instrument.isComplete()) return;
    showNewKit();
    declareIdentity();
    refreshParameterValues();
    if (identity::kCapabilities & identity::kHasEditor) {
        editor = new (std::nothrow) zelGui(editorCore, *this);
        if (editor == nullptr) return;
        cEffect.flags |= effFlagsHasEditor;
    }
    constructed.store(true);
    complete = true;
}

// The editor goes first: an open window must never paint a kit that is gone.
zelVst::~zelVst() {
    instrument.suspend();
    delete editor;
    editor = nullptr;
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
void zelVst::showNewKit() { editorCore.showNewKit(); }

void zelVst::setSampleRate(float rate) {
    if (instrument.setSampleRate(rate)) sampleRate = rate;
}

void zelVst::setProgram(VstInt32 program) {
    curProgram = program;
    refreshParameterValues();
    requestFullRepaint();
}

// Every cached value from the kit.
void zelVst::refreshParameterValues() {
    for (int index = 0; index < identity::kParamCount; ++index)
        editorModel().paramValues[index] = instrument.parameterValue(index);
}

void zelVst::requestFullRepaint() {
    if (editorModel().windowOpen.load()) editorCore.kitChanged();
}

// The host gets a copy of the image that only the next effGetChunk replaces.
VstInt32 zelVst::getChunk(void** data, bool isPreset) {
    (void)isPreset;  // one block serves banks and programs alike
    VstInt32 size = 0;
    instrument.readPatch([&](const uint8_t* bytes, int32_t length) {
        if (chunk.assign(bytes, length)) size = length;
    });
    *data = size != 0 ? const_cast<uint8_t*>(chunk.data()) : nullptr;
    return size;
}

VstInt32 zelVst::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    (void)isPreset;
    return restoreKit(static_cast<const uint8_t*>(data), byteSize, nullptr);
}

int32_t zelVst::restoreKit(const uint8_t* bytes, int64_t size, const char** why) {
    const int32_t result = size != 0 && bytes != nullptr ? instrument.restore(bytes, size, why) : 0;
    if (result == 0 && why != nullptr && *why == nullptr) *why = patchRefusal(bytes, size);
    if (result != 0) showNewKit();
    refreshParameterValues();
    requestFullRepaint();
    return result;
}

std::string zelVst::restorePatch(const uint8_t* bytes, int64_t size) {
    const char* refused = nullptr;
    if (restoreKit(bytes, size, &refused) != 0) return {};
    return refused != nullptr ? refused : "refused";
}

void zelVst::loadPadSample(int pad, const char* path) {
    const std::string refused = instrument.loadSampleFile(pad, path);
    if (!refused.empty()) editorCore.refused(FileCommand::LoadSample, path, refused.c_str());
}

void zelVst::removePadSample(int pad) { instrument.removeSample(pad); }

void zelVst::renamePad(int pad, const char* name) { instrument.renamePad(pad, name); }

void zelVst::savePatch(const char* path) {
    const std::string failed = instrument.savePatchFile(path);
    if (!failed.empty()) editorCore.refused(FileCommand::SavePatch, path, failed.c_str());
}

void zelVst::loadPatch(const char* path) {
    const std::string refused = instrument.loadPatchFile(path);
    if (!refused.empty()) {
        editorCore.refused(FileCommand::LoadPatch, path, refused.c_str());
        return;
    }
    showNewKit();
    refreshParameterValues();
}

void zelVst::readPad(int pad, PadView& view) {
    view.settings = instrument.padSettings(pad, &view.holdsSample);
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

// The one vendor call taken: the host's scale for the editor.
VstIntPtr zelVst::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    (void)ptr;
    if (index != kScaleRequestIndex || value != kScaleRequestValue || editor == nullptr) return 0;
    return static_cast<zelGui*>(editor)->setScale(opt) ? 1 : 0;
}

VstInt32 zelVst::canDo(const char* text) {
    const uint32_t can = identity::kCapabilities;
    if (std::strcmp(text, "receiveVstEvents") == 0) return (can & identity::kReceivesVstEvents) ? 1 : -1;
    if (std::strcmp(text, "receiveVstMidiEvent") == 0)
        return (can & identity::kReceivesVstMidiEvent) ? 1 : -1;
    return -1;
}
