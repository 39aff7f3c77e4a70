#include "Lv2Host.h"

#include <lv2/buf-size/buf-size.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "Audit.h"
#include "lv2/AtomReading.h"

namespace lv2host {

namespace {

std::string bundleFolder;

struct Loaded {
    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    Loaded() {
        if (bundleFolder.empty() && std::getenv("ZEL_LV2_BUNDLE") != nullptr) bundleFolder = std::getenv("ZEL_LV2_BUNDLE");
        if (bundleFolder.empty()) throw std::runtime_error("no bundle folder: set ZEL_LV2_BUNDLE");
        world = lilv_world_new();
        // Only the LV2 vocabularies installed with the headers, and our bundle.
        lilv_world_load_specifications(world);
        lilv_world_load_plugin_classes(world);
        const std::string uri = "file://" + bundleFolder + (bundleFolder.back() == '/' ? "" : "/");
        LilvNode* bundle = lilv_new_uri(world, uri.c_str());
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* ours = lilv_new_uri(world, uris::kPlugin);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), ours);
        lilv_node_free(ours);
        if (plugin == nullptr) throw std::runtime_error("the bundle in " + bundleFolder + " holds no zel001");
    }
};

Loaded& loaded() {
    static Loaded once;
    return once;
}

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridMap*>(handle)->map(uri); }
const char* unmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    return static_cast<UridMap*>(handle)->unmap(urid);
}

}  // namespace

UridMap::UridMap() : mapData{this, mapUri}, unmapData{this, unmapUrid} {}

LV2_URID UridMap::map(const char* uri) {
    std::lock_guard<std::mutex> hold(lock);
    auto found = ids.find(uri);
    if (found != ids.end()) return found->second;
    uris.emplace_back(uri);
    const auto id = static_cast<LV2_URID>(uris.size());
    ids.emplace(uri, id);
    return id;
}

const char* UridMap::unmap(LV2_URID urid) {
    std::lock_guard<std::mutex> hold(lock);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

UridMap& urids() {
    static UridMap map;
    return map;
}

const KitUris& kitUris() {
    static const KitUris mapped = [] {
        KitUris u{};
        u.map(urids().mapFeature());
        return u;
    }();
    return mapped;
}

void setBundle(const std::string& folder) { bundleFolder = folder; }
LilvWorld* world() { return loaded().world; }
const LilvPlugin* plugin() { return loaded().plugin; }

Instance::Instance(const Options& wanted)
    : outputs(kOutputCount, std::vector<float>(kRoom, 0.0f)),
      settings(kSettingPortCount, 0.0f),
      controlBuffer(8192),
      notifyBuffer(8192),
      requests(64),
      responses(64),
      maxBlock(wanted.maxBlock),
      readsNotify(wanted.readNotify) {
    mapFeature = {LV2_URID__map, urids().mapFeature()};
    unmapFeature = {LV2_URID__unmap, urids().unmapFeature()};
    scheduleData = {this, schedule};
    scheduleFeature = {LV2_WORKER__schedule, &scheduleData};
    logData = {this, logPrintf, logVPrintf};
    logFeature = {LV2_LOG__log, &logData};
    LV2_URID_Map* map = urids().mapFeature();
    options[0] = {LV2_OPTIONS_INSTANCE, 0, map->map(map->handle, LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                  map->map(map->handle, LV2_ATOM__Int), &maxBlock};
    options[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    optionsFeature = {LV2_OPTIONS__options, options};
    if (wanted.map) features.push_back(&mapFeature);
    features.push_back(&unmapFeature);
    if (wanted.worker) features.push_back(&scheduleFeature);
    features.push_back(&logFeature);
    features.push_back(&optionsFeature);
    features.push_back(nullptr);
    lv2_atom_forge_init(&forge, map);
    // The ports at the description's defaults, as a host starts them.
    std::vector<float> defaults(ports::kCount, 0.0f);
    lilv_plugin_get_port_ranges_float(plugin(), nullptr, nullptr, defaults.data());
    for (int p = 0; p < kSettingPortCount; ++p) settings[size_t(p)] = defaults[ports::kFirstSetting + p];
    instance = lilv_plugin_instantiate(plugin(), wanted.rate, features.data());
    if (instance == nullptr) return;
    worker = static_cast<const LV2_Worker_Interface*>(lilv_instance_get_extension_data(instance, LV2_WORKER__interface));
    state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    connectAll();
    startSequence();
}

Instance::~Instance() {
    if (instance != nullptr) lilv_instance_free(instance);
}

void Instance::connectAll() {
    lilv_instance_connect_port(instance, ports::kControl, controlBuffer.data());
    lilv_instance_connect_port(instance, ports::kNotify, notifyBuffer.data());
    for (int o = 0; o < kOutputCount; ++o)
        lilv_instance_connect_port(instance, ports::kFirstAudio + uint32_t(o), outputs[size_t(o)].data());
    for (int p = 0; p < kSettingPortCount; ++p)
        lilv_instance_connect_port(instance, ports::kFirstSetting + uint32_t(p), &settings[size_t(p)]);
}

void Instance::disconnectOutput(int output) {
    lilv_instance_connect_port(instance, ports::kFirstAudio + uint32_t(output), nullptr);
}

void Instance::disconnectControl() { lilv_instance_connect_port(instance, ports::kControl, nullptr); }

void Instance::activate() { lilv_instance_activate(instance); }
void Instance::deactivate() { lilv_instance_deactivate(instance); }

void Instance::startSequence() {
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(controlBuffer.data()),
                              controlBuffer.size() * sizeof(uint64_t));
    lv2_atom_forge_sequence_head(&forge, &sequenceFrame, kitUris().atomFrameTime);
}

void Instance::midi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
    const uint8_t bytes[3] = {status, data1, data2};
    rawEvent(frame, kitUris().midiEvent, bytes, 3);
}

void Instance::request(const KitRequest& message) {
    lv2_atom_forge_frame_time(&forge, 0);
    if (!writeRequest(forge, kitUris(), message)) throw std::runtime_error("the control sequence is full");
}

void Instance::rawEvent(int64_t frame, uint32_t type, const void* body, uint32_t size) {
    if (!lv2_atom_forge_frame_time(&forge, frame) || !lv2_atom_forge_atom(&forge, size, type) ||
        !lv2_atom_forge_write(&forge, body, size))
        throw std::runtime_error("the control sequence is full");
}

void Instance::run(uint32_t frames) {
    lv2_atom_forge_pop(&forge, &sequenceFrame);
    // The notify port's capacity, as hosts hand it over.
    auto* notify = reinterpret_cast<LV2_Atom*>(notifyBuffer.data());
    notify->type = kitUris().atomChunk;
    notify->size = uint32_t(notifyBuffer.size() * sizeof(uint64_t) - sizeof(LV2_Atom));
    audit::enter(false);
    lilv_instance_run(instance, frames);
    audit::leave();
    if (readsNotify) readNotify();
    // The worker between runs: requests worked here, their answers on the
    // audio thread before the next run.
    for (size_t r = 0; r < requestCount; ++r)
        worker->work(lilv_instance_get_handle(instance), respond, this, requests[r].size, requests[r].bytes);
    requestCount = 0;
    audit::enter(false);
    for (size_t r = 0; r < responseCount; ++r)
        worker->work_response(lilv_instance_get_handle(instance), responses[r].size, responses[r].bytes);
    audit::leave();
    responseCount = 0;
    startSequence();
}

void Instance::readNotify() {
    const auto* sequence = atoms::atomWithin(notifyBuffer.data(), notifyBuffer.size() * sizeof(uint64_t));
    if (sequence == nullptr || sequence->type != kitUris().atomSequence) return;
    for (atoms::SequenceEvents events(sequence); events.current() != nullptr; events.pop()) {
        const LV2_Atom& atom = events.current()->body;
        const auto* bytes = reinterpret_cast<const uint8_t*>(&atom);
        rawNotices.emplace_back(bytes, bytes + sizeof(LV2_Atom) + atom.size);
        KitNotice notice;
        if (readNotice(kitUris(), &atom, notice)) notices.push_back(notice);
    }
}

std::vector<KitNotice> Instance::takeNotices() {
    std::vector<KitNotice> taken;
    taken.swap(notices);
    return taken;
}

std::vector<std::vector<uint8_t>> Instance::takeRawNotices() {
    std::vector<std::vector<uint8_t>> taken;
    taken.swap(rawNotices);
    notices.clear();
    return taken;
}

LV2_Worker_Status Instance::schedule(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data) {
    auto* self = static_cast<Instance*>(handle);
    if (self->requestCount == self->requests.size() || size > sizeof(Message::bytes)) return LV2_WORKER_ERR_NO_SPACE;
    Message& message = self->requests[self->requestCount++];
    message.size = size;
    std::memcpy(message.bytes, data, size);
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status Instance::respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data) {
    auto* self = static_cast<Instance*>(handle);
    if (self->responseCount == self->responses.size() || size > sizeof(Message::bytes)) return LV2_WORKER_ERR_NO_SPACE;
    Message& message = self->responses[self->responseCount++];
    message.size = size;
    std::memcpy(message.bytes, data, size);
    return LV2_WORKER_SUCCESS;
}

int Instance::logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = logVPrintf(handle, type, format, args);
    va_end(args);
    return written;
}

int Instance::logVPrintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args) {
    char text[1024];
    const int written = std::vsnprintf(text, sizeof text, format, args);
    static_cast<Instance*>(handle)->logged.emplace_back(text);
    return written;
}

namespace {

struct Stored {
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
};

LV2_State_Status storeInto(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                           uint32_t) {
    if (key != kitUris().patch) return LV2_STATE_ERR_NO_PROPERTY;
    auto* stored = static_cast<Stored*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(value);
    stored->bytes.assign(bytes, bytes + size);
    stored->type = type;
    return LV2_STATE_SUCCESS;
}

const void* retrieveFrom(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
    auto* stored = static_cast<Stored*>(handle);
    if (key != kitUris().patch) return nullptr;
    *size = stored->bytes.size();
    *type = stored->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return stored->bytes.data();
}

}  // namespace

std::vector<uint8_t> Instance::savedPatch() {
    Stored stored;
    if (state->save(lilv_instance_get_handle(instance), storeInto, &stored, LV2_STATE_IS_POD, nullptr) !=
            LV2_STATE_SUCCESS ||
        stored.type != kitUris().atomChunk)
        return {};
    return stored.bytes;
}

LV2_State_Status Instance::restorePatch(const std::vector<uint8_t>& bytes, uint32_t type) {
    Stored stored;
    stored.bytes = bytes;
    stored.type = type != 0 ? type : kitUris().atomChunk;
    return state->restore(lilv_instance_get_handle(instance), retrieveFrom, &stored, 0, nullptr);
}

}  // namespace lv2host
