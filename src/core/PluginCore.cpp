#include "core/PluginCore.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/Kit.h"
#include "engine/Notes.h"
#include "engine/Numbers.h"
#include "engine/PadParameters.h"
#include "files/Construction.h"
#include "files/DefaultPatch.h"
#include "files/FileBytes.h"
#include "files/PadSample.h"
#include "files/Patch.h"
#include "files/SampleStore.h"
#include "platform/Platform.h"
#include "platform/ReplacingFile.h"

namespace {

void setUp(DrumSynth& synth, float sampleRate, int32_t blockLength) {
    synth.hostRate = sampleRate;
    synth.hostRateInverse = 1.0f / sampleRate;
    synth.blockLength = blockLength;
}

PadMask padOf(int32_t index) { return 1u << (index / kParamsPerPad); }

}  // namespace

PluginCore::PluginCore(float sampleRate, int32_t blockLength, const char* modulePath) {
    setUp(model, sampleRate, blockLength);
    setUp(engine, sampleRate, blockLength);
    model.retirement = &retired;
    if (!constructSynth(model)) return;
    engine.kit = createKit(engine);
    if (engine.kit == nullptr) return;
    if (modulePath != nullptr) defaultPatchLoaded = loadDefaultPatch(model, modulePath);
    // Suspended: the engine takes the kit over at once.
    publish(kAllPads, true);
    complete = true;
}

// The engine's pads only borrow the model's samples.
PluginCore::~PluginCore() {
    if (engine.kit != nullptr)
        for (Pad& pad : engine.kit->pads) pad.samples = nullptr;
    releaseKit(engine.kit);
    releaseKit(model.kit);
}

void PluginCore::publish(PadMask pads, bool rates) {
    refreshValues(pads);
    publisher.publish(model, pads, rates, audioEdits);
    // While suspended the audio thread stays out: the engine is ours.
    if (suspended.load()) takeEdits();
    retired.collect();
}

void PluginCore::refreshValues(PadMask pads) {
    char text[kDisplayTextSize];
    for (int32_t index = 0; index < kParamCount; ++index)
        if (pads & padOf(index)) values[index].store(describePadParameter(model, index, text), std::memory_order_relaxed);
}

// The audio thread's own changes reach the model before anything reads it
// or is published from it.
void PluginCore::absorbAudioEdits() {
    PadMask taken = 0;
    audioEdits.takeInto([&](int32_t index, float value) {
        setPadParameter(model, index, value);
        taken |= padOf(index);
    });
    refreshValues(taken);
}

void PluginCore::setParameter(int32_t index, float value) {
    if (index < 0 || index >= kParamCount) return;
    EditHold hold(editLock);
    absorbAudioEdits();
    setPadParameter(model, index, clampUnit(value));
    publish(padOf(index));
}

float PluginCore::describeParameter(int32_t index, char* text) {
    EditHold hold(editLock);
    absorbAudioEdits();
    return describePadParameter(model, index, text);
}

float PluginCore::parameterValue(int32_t index) const {
    if (index < 0 || index >= kParamCount) return 0.0f;
    return values[index].load(std::memory_order_relaxed);
}

// A rate no audio runs at would turn the engine's integer fields into
// undefined conversions; such a request changes nothing.
bool PluginCore::setSampleRate(float rate) {
    if (!(rate >= 1.0f && rate <= 10000000.0f)) return false;
    EditHold hold(editLock);
    absorbAudioEdits();
    model.hostRateInverse = 1.0f / rate;
    setAudioFormat(model, rate, model.blockLength);
    model.hostRate = rate;
    publish(kAllPads, true);
    return true;
}

std::string PluginCore::loadSampleFile(int pad, const char* path) {
    if (path == nullptr || path[0] == '\0') return "no file named";
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, &reason)) return reason;
    return loadSampleBytes(pad, bytes.data(), static_cast<int64_t>(bytes.size()), baseName(path));
}

std::string PluginCore::loadSampleBytes(int pad, const uint8_t* bytes, int64_t size, const char* name) {
    if (pad < 0 || pad >= kPadCount) return "no such pad";
    PreparedSample prepared;
    const char* refused = prepareSample(bytes, size, name, prepared);
    if (refused == nullptr) {
        EditHold hold(editLock);
        absorbAudioEdits();
        refused = installSample(model, pad, prepared);
        if (refused == nullptr) publish(1u << pad);
    }
    return refused != nullptr ? refused : std::string();
}

// Without an audio thread the pad's voices end now, as no render would end them.
void PluginCore::removeSample(int pad) {
    if (pad < 0 || pad >= kPadCount) return;
    EditHold hold(editLock);
    absorbAudioEdits();
    loadPadSample(model, pad, "");
    publish(1u << pad);
    if (suspended.load()) endVoicesOf(*engine.kit, engine.kit->pads[pad]);
}

bool PluginCore::renamePad(int pad, const char* name) {
    if (pad < 0 || pad >= kPadCount || name == nullptr) return false;
    const size_t length = std::strlen(name);
    if (length >= sizeof PadSettings::name) return false;
    EditHold hold(editLock);
    absorbAudioEdits();
    Pad& target = model.kit->pads[pad];
    std::memset(target.name, 0, sizeof target.name);
    std::memcpy(target.name, name, length);
    publish(1u << pad);
    return true;
}

const SampleStore* PluginCore::builtPatch() {
    buildPatch(model);
    return model.kit->sampleStore;
}

int32_t PluginCore::patchSize(const SampleStore* store) { return store->totalSize; }

int32_t PluginCore::restore(const uint8_t* bytes, int64_t size, const char** why) {
    EditHold hold(editLock);
    absorbAudioEdits();
    const int32_t accepted = restorePatch(model, bytes, size, why);
    if (accepted != 0) publish(kAllPads);
    return accepted;
}

// The patch is copied under the lock and written without it.
std::string PluginCore::savePatchFile(const char* path) {
    std::vector<uint8_t> bytes;
    bool copied = true;
    readPatch([&](const uint8_t* patch, int32_t size) {
        try {
            bytes.assign(patch, patch + size);
        } catch (const std::bad_alloc&) {
            copied = false;
        }
    });
    if (!copied) return "the kit could not be copied";
    return writeWholeFileReplacing(path, bytes.data(), bytes.size());
}

std::string PluginCore::loadPatchFile(const char* path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, &reason)) return reason;
    const char* refused = nullptr;
    if (restore(bytes.data(), static_cast<int64_t>(bytes.size()), &refused) != 0) return {};
    return refused != nullptr ? refused : "refused";
}

PadSettings PluginCore::padSettings(int pad, bool* holdsSample) {
    EditHold hold(editLock);
    absorbAudioEdits();
    const Pad& source = model.kit->pads[pad];
    if (holdsSample != nullptr) *holdsSample = source.samples != nullptr;
    return source;
}

// The host may call processReplacing on another thread right now: the
// suspension waits for that call to leave the engine, and after it the
// engine is the edit side's until the host resumes.
void PluginCore::suspend() {
    EditHold hold(editLock);
    suspended.store(true);
    while (audioInside.load()) platformYield();
    takeEdits();
    retired.collect();
}

void PluginCore::resume() {
    EditHold hold(editLock);
    suspended.store(false);
}

void PluginCore::collectGarbage() {
    EditHold hold(editLock);
    retired.collect();
}

NoteActivity PluginCore::noteActivity(int pad) const {
    if (pad < 0 || pad >= kPadCount) return NoteActivity::Idle;
    return engine.kit->pads[pad].shownActivity.load(std::memory_order_relaxed);
}

bool PluginCore::previewKey(int8_t key, bool on) {
    DrumKit& kit = *engine.kit;
    if (on) {
        if (key < 0 || kit.previewOn.load() >= 0 || kit.previewOff.load() >= 0) return false;
        kit.previewOn.store(key);
        return true;
    }
    if (kit.previewOff.load() >= 0) return false;
    kit.previewOff.store(key);
    return true;
}

// Announced before the suspension is looked at, so that a suspension either
// sees this call and waits for it, or this call sees the suspension.
bool PluginCore::enterAudio() {
    audioInside.store(true);
    if (!suspended.load()) return true;
    audioInside.store(false);
    return false;
}

// The published pads replace the engine's; a change of the audio thread's
// own that the model had not taken yet when it published stays.
void PluginCore::takeEdits() {
    const PadMask changed = publisher.pickUp(engine);
    if (changed == 0 || !audioEdits.any()) return;
    for (int p = 0; p < kPadCount; ++p) {
        if (!(changed & (1u << p))) continue;
        for (int32_t index = p * kParamsPerPad; index < (p + 1) * kParamsPerPad; ++index)
            if (audioEdits.count(index) != publisher.editsHeld(index))
                setPadParameter(engine, index, audioEdits.latest(index));
    }
}

void PluginCore::setParameterFromAudio(int32_t index, float value) {
    if (index < 0 || index >= kParamCount) return;
    takeEdits();
    const float applied = clampUnit(value);
    setPadParameter(engine, index, applied);
    audioEdits.note(index, applied);
}

const Pad& PluginCore::audioPad(int pad) {
    takeEdits();
    return engine.kit->pads[pad];
}

int PluginCore::handleEvent(const QueuedEvent& event) {
    takeEdits();
    return noteInput.handle(event, [this](uint8_t status, uint8_t key, uint8_t velocity) {
        return noteEvent(engine, status, key, velocity);
    });
}

int PluginCore::renderSpan(float* const* outputs, int32_t position, int32_t length) {
    takeEdits();
    if (position == 0) return renderBlock(engine, outputs, length);  // a host block's first span
    float* span[kOutputCount];
    for (int o = 0; o < kOutputCount; ++o) span[o] = outputs[o] + position;
    return renderBlock(engine, span, length);
}
