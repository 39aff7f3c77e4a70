#include "lv2/zelLv2.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

#include "lv2/AtomMidiEvents.h"
#include "lv2/AtomReading.h"

namespace {

// The engine's longest span, as in the VST library: the same spans, the
// same sound, whatever blocks the host runs.
constexpr int32_t kSpanLength = 1024;
// The unconnected outputs' room when the host announces no longest block.
constexpr int32_t kDefaultSpare = 8192;

const void* featureData(const LV2_Feature* const* features, const char* uri) {
    if (features == nullptr) return nullptr;
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f)
        if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    return nullptr;
}

}  // namespace

zelLv2* zelLv2::create(double rate, const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    if (map == nullptr || map->map == nullptr) return nullptr;
    if (!(rate >= 1.0 && rate <= 10000000.0)) return nullptr;
    zelLv2* plugin = nullptr;
    try {
        plugin = new zelLv2(static_cast<float>(rate), map);
        plugin->schedule = static_cast<LV2_Worker_Schedule*>(
            const_cast<void*>(featureData(features, LV2_WORKER__schedule)));
        plugin->log = static_cast<LV2_Log_Log*>(const_cast<void*>(featureData(features, LV2_LOG__log)));
        lv2_log_logger_init(&plugin->logger, const_cast<LV2_URID_Map*>(map), plugin->log);
        plugin->readOptions(features);
    } catch (const std::bad_alloc&) {
        delete plugin;
        return nullptr;
    }
    if (!plugin->core.isComplete()) {
        delete plugin;
        return nullptr;
    }
    return plugin;
}

// A new instance starts from the built-in kit: no default patch is looked for.
zelLv2::zelLv2(float rate, const LV2_URID_Map* map) : core(rate, kSpanLength, nullptr) {
    uris.map(map);
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(map));
    if (!core.isComplete()) return;
    // The ports start at the built-in defaults, which the description declares.
    for (int port = 0; port < kSettingPortCount; ++port) {
        const PadSettings& pad = core.audioPad(port / kPortSettingsPerPad);
        lastSeen[port] = portValueOf(pad, port % kPortSettingsPerPad);
    }
}

zelLv2::~zelLv2() { core.suspend(); }

void zelLv2::readOptions(const LV2_Feature* const* features) {
    const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
    int32_t longest = kDefaultSpare;
    for (const LV2_Options_Option* o = options; o != nullptr && o->key != 0; ++o) {
        if (o->key != uris.bufMaxBlock || o->type != uris.atomInt || o->size != sizeof(int32_t) || o->value == nullptr)
            continue;
        const int32_t announced = *static_cast<const int32_t*>(o->value);
        if (announced > 0 && announced <= (1 << 20)) longest = announced;
    }
    spare.assign(static_cast<size_t>(longest), 0.0f);
}

void zelLv2::connect(uint32_t port, void* data) {
    if (port == ports::kControl) {
        control = static_cast<const LV2_Atom_Sequence*>(data);
    } else if (port == ports::kNotify) {
        notifyPort = static_cast<LV2_Atom_Sequence*>(data);
    } else if (port >= ports::kFirstAudio && port < ports::kFirstSetting) {
        outputs[port - ports::kFirstAudio] = static_cast<float*>(data);
    } else if (ports::isSetting(port)) {
        settings[ports::settingPortOf(port)] = static_cast<const float*>(data);
    }
}

void zelLv2::run(uint32_t frames) {
    const LV2_Atom* sequence = nullptr;
    if (control != nullptr && control->atom.type == uris.atomSequence) sequence = &control->atom;
    applySettingPorts();
    takeRequests(sequence);
    render(sequence, frames);
    writeNotices();
}

void zelLv2::applySettingPorts() {
    for (int port = 0; port < kSettingPortCount; ++port) {
        if (settings[port] == nullptr) continue;
        const float value = *settings[port];
        if (value == lastSeen[port] || value != value) continue;
        lastSeen[port] = value;
        const int setting = port % kPortSettingsPerPad;
        // An echo of the engine's own setting (the editor writing back a
        // restored kit's values) changes nothing.
        if (value == portValueOf(core.audioPad(port / kPortSettingsPerPad), setting)) continue;
        core.setParameterFromAudio(parameterOfPort(port), parameterValueOfPort(setting, value));
    }
}

// The editor's messages: an audition plays at once, a request for the kit is
// answered through the notify port, every kit edit goes to the worker.
void zelLv2::takeRequests(const LV2_Atom* sequence) {
    for (atoms::SequenceEvents events(sequence); events.current() != nullptr; events.pop()) {
        KitRequest request;
        if (!readRequest(uris, &events.current()->body, request)) continue;
        switch (request.kind) {
            case RequestKind::Preview: core.previewKey(static_cast<int8_t>(request.pad), request.on); break;
            case RequestKind::SendKit: pendingPads = kAllPads; break;
            default:
                if (schedule == nullptr || schedule->schedule_work(schedule->handle, sizeof request, &request) !=
                                               LV2_WORKER_SUCCESS) {
                    pendingRefusal.refused = true;
                    pendingRefusal.command = request.kind == RequestKind::SavePatch   ? FileCommand::SavePatch
                                             : request.kind == RequestKind::LoadPatch ? FileCommand::LoadPatch
                                                                                      : FileCommand::LoadSample;
                    std::memcpy(pendingRefusal.path, request.text, sizeof pendingRefusal.path);
                    std::strcpy(pendingRefusal.reason, "the host did not take the request");
                }
                break;
        }
    }
}

// All 16 outputs, those the host left unconnected into the spare room, in
// windows of the spare room's length when the block is longer.
int zelLv2::render(const LV2_Atom* sequence, uint32_t frames) {
    if (frames == 0) return 0;
    bool complete = true;
    for (float* output : outputs) complete = complete && output != nullptr;
    const int64_t total = frames;
    const int64_t window = complete ? total : static_cast<int64_t>(spare.size());
    AtomMidiEvents events(sequence, uris.midiEvent, uris.atomFrameTime);
    int result = 0;
    for (int64_t start = 0; start < total; start += window) {
        const int64_t length = total - start < window ? total - start : window;
        float* into[kOutputCount];
        for (int o = 0; o < kOutputCount; ++o) into[o] = outputs[o] != nullptr ? outputs[o] + start : spare.data();
        events.window(start, start + length, start + length >= total);
        result |= core.processBlock(into, static_cast<int32_t>(length), events);
    }
    return result;
}

void zelLv2::writeNotices() {
    if (notifyPort == nullptr) return;
    const uint32_t capacity = notifyPort->atom.size;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(notifyPort), capacity);
    LV2_Atom_Forge_Frame frame;
    if (lv2_atom_forge_sequence_head(&forge, &frame, uris.atomFrameTime) == 0) return;

    if (kitRestored.exchange(false)) {
        pendingNewKit = true;
        pendingPads = replacedPads = kAllPads;
    }
    if (pendingRefusal.refused) {
        KitNotice refusal;
        refusal.kind = NoticeKind::Refusal;
        refusal.command = pendingRefusal.command;
        std::memcpy(refusal.path, pendingRefusal.path, sizeof refusal.path);
        std::memcpy(refusal.reason, pendingRefusal.reason, sizeof refusal.reason);
        if (notify(refusal)) pendingRefusal.refused = false;
    }
    if (pendingNewKit) {
        KitNotice newKit;
        newKit.kind = NoticeKind::NewKit;
        if (notify(newKit)) pendingNewKit = false;
    }
    // Pads are told as the engine plays them, once it holds every edit.
    if (pendingPads != 0 && !core.editsWaiting()) {
        for (int p = 0; p < kPadCount; ++p) {
            const PadMask bit = 1u << p;
            if (!(pendingPads & bit)) continue;
            KitNotice state;
            state.kind = NoticeKind::PadState;
            state.pad = p;
            const Pad& pad = core.audioPad(p);
            state.view.settings = pad;
            state.view.holdsSample = pad.samples != nullptr;
            state.kitReplaced = (replacedPads & bit) != 0;
            if (!notify(state)) break;
            pendingPads &= ~bit;
            replacedPads &= ~bit;
        }
    }
    KitNotice activity;
    activity.kind = NoticeKind::Activity;
    bool changed = false;
    for (int p = 0; p < kPadCount; ++p) {
        activity.activity[p] = core.noteActivity(p);
        changed = changed || activity.activity[p] != shownActivity[p];
    }
    if (changed && notify(activity)) std::memcpy(shownActivity, activity.activity, sizeof shownActivity);
    lv2_atom_forge_pop(&forge, &frame);
}

// One notice as an event at the block's start, when it surely fits.
bool zelLv2::notify(const KitNotice& notice) {
    if (forge.size - forge.offset < kLargestNotice) return false;
    if (lv2_atom_forge_frame_time(&forge, 0) == 0) return false;
    return writeNotice(forge, uris, notice);
}

void zelLv2::logRefusal(const char* what, const char* why) {
    if (log != nullptr) lv2_log_error(&logger, "zel001: %s refused: %s\n", what, why);
}
