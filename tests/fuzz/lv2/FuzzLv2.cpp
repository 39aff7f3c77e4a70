// The LV2 binding's readers of outside bytes: the state a host restores, the
// control port's sequence (MIDI, messages, anything), and the notices the UI
// reads. The first byte picks the reader; the rest is what the host or the
// other side hands over. A refused state changes nothing; run stays within
// the sequence and renders finite audio; a notice or request read is whole.
//   ZEL_LV2_SEEDS=DIR fuzz_lv2   writes the seed corpus (committed) and exits.
#include <lv2/atom/forge.h>
#include <lv2/state/state.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "lv2/AtomReading.h"
#include "lv2/KitMessages.h"
#include "lv2/PortLayout.h"
#include "lv2/zelLv2.h"

namespace {

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_lv2: %s\n", what);
    std::abort();
}

// URIDs in the order first asked for: the same numbers in every run.
struct Map {
    std::unordered_map<std::string, LV2_URID> ids;
    LV2_URID_Map feature{this, [](LV2_URID_Map_Handle handle, const char* uri) {
                             auto& ids = static_cast<Map*>(handle)->ids;
                             auto found = ids.emplace(uri, LV2_URID(ids.size() + 1));
                             return found.first->second;
                         }};
};

Map& map() {
    static Map m;
    return m;
}

const KitUris& mapped() {
    static const KitUris u = [] {
        KitUris ours{};
        ours.map(&map().feature);
        return ours;
    }();
    return u;
}

zelLv2* newPlugin() {
    static const LV2_Feature mapFeature{LV2_URID__map, &map().feature};
    static const LV2_Feature* const features[] = {&mapFeature, nullptr};
    return zelLv2::create(44100.0, features);
}

struct Stored {
    const uint8_t* bytes;
    size_t size;
    uint32_t type;
};

const void* retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type, uint32_t* flags) {
    const auto* stored = static_cast<const Stored*>(handle);
    *size = stored->size;
    *type = stored->type;
    *flags = LV2_STATE_IS_POD;
    return stored->bytes;
}

std::vector<uint8_t> patchOf(zelLv2& plugin) {
    std::vector<uint8_t> bytes;
    plugin.instrument().readPatch([&](const uint8_t* data, int32_t size) { bytes.assign(data, data + size); });
    return bytes;
}

void fuzzState(const uint8_t* data, size_t size) {
    zelLv2* plugin = newPlugin();
    const std::vector<uint8_t> before = patchOf(*plugin);
    Stored stored{data, size, mapped().atomChunk};
    const LV2_State_Status status = plugin->restore(retrieve, &stored);
    if (status != LV2_STATE_SUCCESS) {
        require(patchOf(*plugin) == before, "a refused state changed the kit");
    } else {
        // What it saves now restores to itself.
        const std::vector<uint8_t> saved = patchOf(*plugin);
        zelLv2* again = newPlugin();
        Stored resaved{saved.data(), saved.size(), mapped().atomChunk};
        require(again->restore(retrieve, &resaved) == LV2_STATE_SUCCESS, "its own state was refused");
        require(patchOf(*again) == saved, "its own state restores to other bytes");
        delete again;
    }
    delete plugin;
}

// The bytes as the body of the control port's sequence, in a buffer of the
// host's whose atom header tells the truth about its size.
void fuzzSequence(const uint8_t* data, size_t size) {
    zelLv2* plugin = newPlugin();
    std::vector<uint64_t> control(1 + (size + 7) / 8, 0);
    auto* atom = reinterpret_cast<LV2_Atom*>(control.data());
    atom->type = mapped().atomSequence;
    atom->size = uint32_t(size);
    std::memcpy(atom + 1, data, size);
    std::vector<uint64_t> notify(ports::kNotifyCapacity / 8, 0);
    std::vector<std::vector<float>> outputs(kOutputCount, std::vector<float>(1024, 0.0f));
    float settings[kSettingPortCount];
    plugin->connect(ports::kControl, control.data());
    plugin->connect(ports::kNotify, notify.data());
    for (int o = 0; o < kOutputCount; ++o) plugin->connect(ports::kFirstAudio + uint32_t(o), outputs[size_t(o)].data());
    for (int p = 0; p < kSettingPortCount; ++p) {
        settings[p] = 0.0f;
        plugin->connect(ports::kFirstSetting + uint32_t(p), &settings[p]);
    }
    plugin->activate();
    auto* notified = reinterpret_cast<LV2_Atom*>(notify.data());
    notified->size = uint32_t(notify.size() * 8 - sizeof(LV2_Atom));
    plugin->run(1024);
    for (const auto& output : outputs)
        for (float value : output) require(std::isfinite(value), "run rendered a value that is not finite");
    const LV2_Atom* told = atoms::atomWithin(notify.data(), notify.size() * 8);
    require(told != nullptr && told->type == mapped().atomSequence, "the notify port holds no sequence");
    plugin->deactivate();
    delete plugin;
}

// The bytes as one atom's body, of each type the readers take.
void fuzzMessages(const uint8_t* data, size_t size) {
    std::vector<uint64_t> buffer(1 + (size + 7) / 8, 0);
    auto* atom = reinterpret_cast<LV2_Atom*>(buffer.data());
    atom->type = mapped().atomObject;
    atom->size = uint32_t(size);
    std::memcpy(atom + 1, data, size);
    KitNotice notice;
    if (readNotice(mapped(), atom, notice) && notice.kind == NoticeKind::PadState) {
        require(notice.pad >= 0 && notice.pad < kPadCount, "a pad state of no pad");
        require(std::strlen(notice.view.settings.name) < sizeof notice.view.settings.name, "a name past its field");
        require(std::strlen(notice.view.settings.fileName) < sizeof notice.view.settings.fileName,
                "a file name past its field");
    }
    KitRequest request;
    if (readRequest(mapped(), atom, request)) require(isWellFormed(request), "a request read that is not well formed");
}

// --- Seeds ----------------------------------------------------------------

void writeSeed(const std::string& folder, const char* name, uint8_t mode, const uint8_t* bytes, size_t size) {
    std::ofstream file(folder + "/" + name, std::ios::binary);
    file.put(char(mode));
    file.write(reinterpret_cast<const char*>(bytes), std::streamsize(size));
}

void writeSeeds(const std::string& folder) {
    zelLv2* plugin = newPlugin();
    const std::vector<uint8_t> patch = patchOf(*plugin);
    delete plugin;
    writeSeed(folder, "state-default", 0, patch.data(), patch.size());

    std::vector<uint8_t> room(8192, 0);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &map().feature);
    lv2_atom_forge_set_buffer(&forge, room.data(), room.size());
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_sequence_head(&forge, &frame, mapped().atomFrameTime);
    const uint8_t note[3] = {0x90, 36, 100};
    lv2_atom_forge_frame_time(&forge, 10);
    lv2_atom_forge_atom(&forge, 3, mapped().midiEvent);
    lv2_atom_forge_write(&forge, note, 3);
    KitRequest request;
    request.kind = RequestKind::RenamePad;
    request.pad = 3;
    std::strcpy(request.text, "Renamed");
    lv2_atom_forge_frame_time(&forge, 0);
    writeRequest(forge, mapped(), request);
    request.kind = RequestKind::Preview;
    request.pad = 38;
    request.on = true;
    lv2_atom_forge_frame_time(&forge, 0);
    writeRequest(forge, mapped(), request);
    lv2_atom_forge_pop(&forge, &frame);
    const auto* sequence = reinterpret_cast<const LV2_Atom*>(room.data());
    writeSeed(folder, "sequence", 1, room.data() + sizeof(LV2_Atom), sequence->size);

    struct Seed {
        const char* name;
        KitNotice notice;
    };
    KitNotice state;
    state.kind = NoticeKind::PadState;
    state.pad = 5;
    std::strcpy(state.view.settings.name, "Open");
    KitNotice refusal;
    refusal.kind = NoticeKind::Refusal;
    std::strcpy(refusal.path, "/tmp/x.wav");
    std::strcpy(refusal.reason, "not a WAV file");
    KitNotice activity;
    activity.kind = NoticeKind::Activity;
    activity.activity[2] = NoteActivity::Held;
    for (const Seed& seed : {Seed{"notice-pad", state}, Seed{"notice-refusal", refusal}, Seed{"notice-activity", activity}}) {
        lv2_atom_forge_set_buffer(&forge, room.data(), room.size());
        writeNotice(forge, mapped(), seed.notice);
        const auto* atom = reinterpret_cast<const LV2_Atom*>(room.data());
        writeSeed(folder, seed.name, 2, room.data() + sizeof(LV2_Atom), atom->size);
    }
    request.kind = RequestKind::LoadSample;
    std::strcpy(request.text, "/tmp/missing.wav");
    lv2_atom_forge_set_buffer(&forge, room.data(), room.size());
    writeRequest(forge, mapped(), request);
    writeSeed(folder, "request-load", 2, room.data() + sizeof(LV2_Atom),
              reinterpret_cast<const LV2_Atom*>(room.data())->size);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mapped();
    if (const char* folder = std::getenv("ZEL_LV2_SEEDS")) {
        writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    switch (data[0] % 3) {
        case 0: fuzzState(data + 1, size - 1); break;
        case 1: fuzzSequence(data + 1, size - 1); break;
        default: fuzzMessages(data + 1, size - 1); break;
    }
    return 0;
}
