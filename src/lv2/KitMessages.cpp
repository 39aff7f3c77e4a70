#include "lv2/KitMessages.h"

#include <cstring>

#include "lv2/AtomReading.h"

namespace {

// The property a patch:Set of each request kind names.
LV2_URID propertyOf(const KitUris& uris, RequestKind kind) {
    switch (kind) {
        case RequestKind::LoadSample:
        case RequestKind::RemoveSample: return uris.sampleFile;
        case RequestKind::RenamePad: return uris.padName;
        case RequestKind::SavePatch: return uris.savePatch;
        case RequestKind::LoadPatch: return uris.loadPatch;
        default: return 0;
    }
}

bool hasPad(RequestKind kind) {
    return kind == RequestKind::LoadSample || kind == RequestKind::RemoveSample || kind == RequestKind::RenamePad;
}

// A forge that has once run out of room answers 0 to everything after.
bool wrote(LV2_Atom_Forge_Ref ref) { return ref != 0; }

// One object of the type, its properties written by body; false when the
// forge ran out of room anywhere.
template <class Body>
bool writeObject(LV2_Atom_Forge& forge, LV2_URID otype, Body&& body) {
    LV2_Atom_Forge_Frame frame;
    if (!wrote(lv2_atom_forge_object(&forge, &frame, 0, otype))) return false;
    const bool ok = body();
    lv2_atom_forge_pop(&forge, &frame);
    return ok;
}


}  // namespace

bool isWellFormed(const KitRequest& request) {
    if (strnlen(request.text, sizeof request.text) == sizeof request.text) return false;
    switch (request.kind) {
        case RequestKind::LoadSample: return request.pad >= 0 && request.pad < kPadCount && request.text[0] != '\0';
        case RequestKind::RemoveSample: return request.pad >= 0 && request.pad < kPadCount;
        case RequestKind::RenamePad:
            return request.pad >= 0 && request.pad < kPadCount &&
                   std::strlen(request.text) < sizeof PadSettings::name;
        case RequestKind::SavePatch:
        case RequestKind::LoadPatch: return request.text[0] != '\0';
        case RequestKind::SendKit: return true;
        case RequestKind::Preview: return request.pad >= 0 && request.pad < 128;
    }
    return false;
}

bool writeRequest(LV2_Atom_Forge& forge, const KitUris& uris, const KitRequest& request) {
    LV2_Atom_Forge* f = &forge;
    if (request.kind == RequestKind::SendKit) return writeObject(forge, uris.patchGet, [] { return true; });
    if (request.kind == RequestKind::Preview)
        return writeObject(forge, uris.preview, [&] {
            return wrote(lv2_atom_forge_key(f, uris.key)) && wrote(lv2_atom_forge_int(f, request.pad)) &&
                   wrote(lv2_atom_forge_key(f, uris.on)) && wrote(lv2_atom_forge_bool(f, request.on));
        });
    const uint32_t length = static_cast<uint32_t>(strnlen(request.text, sizeof request.text));
    return writeObject(forge, uris.patchSet, [&] {
        bool ok = wrote(lv2_atom_forge_key(f, uris.patchProperty)) &&
                  wrote(lv2_atom_forge_urid(f, propertyOf(uris, request.kind)));
        if (hasPad(request.kind))
            ok = ok && wrote(lv2_atom_forge_key(f, uris.pad)) && wrote(lv2_atom_forge_int(f, request.pad));
        ok = ok && wrote(lv2_atom_forge_key(f, uris.patchValue));
        if (request.kind == RequestKind::RenamePad) return ok && wrote(lv2_atom_forge_string(f, request.text, length));
        return ok && wrote(lv2_atom_forge_path(f, request.text, length));
    });
}

bool readRequest(const KitUris& uris, const LV2_Atom* atom, KitRequest& out) {
    if (atom == nullptr || atom->type != uris.atomObject || atom->size < sizeof(LV2_Atom_Object_Body)) return false;
    const uint32_t otype = atoms::otypeOf(atom);
    KitRequest request;
    if (otype == uris.patchGet) {
        request.kind = RequestKind::SendKit;
    } else if (otype == uris.preview) {
        request.kind = RequestKind::Preview;
        bool hasKey = false, hasOn = false;
        int32_t on = 0;
        if (!atoms::forEachProperty(atom, uris.atomObject, [&](uint32_t key, const LV2_Atom* value) {
                if (key == uris.key) hasKey = atoms::valueOf(value, uris.atomInt, request.pad);
                if (key == uris.on) hasOn = atoms::valueOf(value, uris.atomBool, on);
            }))
            return false;
        if (!hasKey || !hasOn) return false;
        request.on = on != 0;
    } else if (otype == uris.patchSet) {
        LV2_URID property = 0;
        bool hasPad = false, hasPath = false, hasString = false;
        if (!atoms::forEachProperty(atom, uris.atomObject, [&](uint32_t key, const LV2_Atom* value) {
                if (key == uris.patchProperty) atoms::valueOf(value, uris.atomUrid, property);
                if (key == uris.pad) hasPad = atoms::valueOf(value, uris.atomInt, request.pad);
                if (key == uris.patchValue) {
                    hasPath = atoms::textOf(value, uris.atomPath, request.text, sizeof request.text);
                    hasString = !hasPath && atoms::textOf(value, uris.atomString, request.text, sizeof request.text);
                }
            }))
            return false;
        if (property == uris.sampleFile && hasPad && hasPath)
            request.kind = request.text[0] == '\0' ? RequestKind::RemoveSample : RequestKind::LoadSample;
        else if (property == uris.padName && hasPad && hasString)
            request.kind = RequestKind::RenamePad;
        else if (property == uris.savePatch && hasPath)
            request.kind = RequestKind::SavePatch;
        else if (property == uris.loadPatch && hasPath)
            request.kind = RequestKind::LoadPatch;
        else
            return false;
    } else {
        return false;
    }
    if (!isWellFormed(request)) return false;
    out = request;
    return true;
}

bool writeNotice(LV2_Atom_Forge& forge, const KitUris& uris, const KitNotice& notice) {
    LV2_Atom_Forge* f = &forge;
    switch (notice.kind) {
        case NoticeKind::PadState:
            return writeObject(forge, uris.padState, [&] {
                return wrote(lv2_atom_forge_key(f, uris.pad)) && wrote(lv2_atom_forge_int(f, notice.pad)) &&
                       wrote(lv2_atom_forge_key(f, uris.record)) &&
                       wrote(lv2_atom_forge_atom(f, sizeof(PadSettings), uris.atomChunk)) &&
                       wrote(lv2_atom_forge_write(f, &notice.view.settings, sizeof(PadSettings))) &&
                       wrote(lv2_atom_forge_key(f, uris.holdsSample)) &&
                       wrote(lv2_atom_forge_bool(f, notice.view.holdsSample)) &&
                       wrote(lv2_atom_forge_key(f, uris.kitReplaced)) &&
                       wrote(lv2_atom_forge_bool(f, notice.kitReplaced));
            });
        case NoticeKind::Activity:
            return writeObject(forge, uris.activity, [&] {
                int32_t levels[kPadCount];
                for (int p = 0; p < kPadCount; ++p) levels[p] = static_cast<int32_t>(notice.activity[p]);
                return wrote(lv2_atom_forge_key(f, uris.levels)) &&
                       wrote(lv2_atom_forge_vector(f, sizeof(int32_t), uris.atomInt, kPadCount, levels));
            });
        case NoticeKind::Refusal:
            return writeObject(forge, uris.refusal, [&] {
                const auto pathLength = static_cast<uint32_t>(strnlen(notice.path, kPathSize));
                const auto reasonLength = static_cast<uint32_t>(strnlen(notice.reason, kReasonSize));
                return wrote(lv2_atom_forge_key(f, uris.command)) &&
                       wrote(lv2_atom_forge_int(f, static_cast<int32_t>(notice.command))) &&
                       wrote(lv2_atom_forge_key(f, uris.patchValue)) &&
                       wrote(lv2_atom_forge_path(f, notice.path, pathLength)) &&
                       wrote(lv2_atom_forge_key(f, uris.reason)) &&
                       wrote(lv2_atom_forge_string(f, notice.reason, reasonLength));
            });
        case NoticeKind::NewKit: return writeObject(forge, uris.newKit, [] { return true; });
    }
    return false;
}

namespace {

bool readPadState(const KitUris& uris, const LV2_Atom* atom, KitNotice& notice) {
    bool hasPad = false, hasRecord = false, hasHolds = false;
    int32_t holds = 0, replaced = 0;
    if (!atoms::forEachProperty(atom, uris.atomObject, [&](uint32_t key, const LV2_Atom* value) {
            if (key == uris.pad) hasPad = atoms::valueOf(value, uris.atomInt, notice.pad);
            if (key == uris.record) hasRecord = atoms::valueOf(value, uris.atomChunk, notice.view.settings);
            if (key == uris.holdsSample) hasHolds = atoms::valueOf(value, uris.atomBool, holds);
            if (key == uris.kitReplaced) atoms::valueOf(value, uris.atomBool, replaced);
        }))
        return false;
    if (!hasPad || !hasRecord || !hasHolds || notice.pad < 0 || notice.pad >= kPadCount) return false;
    // The texts are shown: they end within their fields.
    notice.view.settings.name[sizeof notice.view.settings.name - 1] = '\0';
    notice.view.settings.fileName[sizeof notice.view.settings.fileName - 1] = '\0';
    notice.view.holdsSample = holds != 0;
    notice.kitReplaced = replaced != 0;
    return true;
}

bool readActivity(const KitUris& uris, const LV2_Atom* atom, KitNotice& notice) {
    bool found = false;
    if (!atoms::forEachProperty(atom, uris.atomObject, [&](uint32_t key, const LV2_Atom* value) {
            if (key != uris.levels || value->type != uris.atomVector) return;
            if (value->size != sizeof(LV2_Atom_Vector_Body) + kPadCount * sizeof(int32_t)) return;
            const auto* vector = static_cast<const LV2_Atom_Vector_Body*>(atoms::bodyOf(value));
            if (vector->child_type != uris.atomInt || vector->child_size != sizeof(int32_t)) return;
            const auto* levels = reinterpret_cast<const int32_t*>(vector + 1);
            for (int p = 0; p < kPadCount; ++p) {
                if (levels[p] < 0 || levels[p] > static_cast<int32_t>(NoteActivity::Held)) return;
            }
            for (int p = 0; p < kPadCount; ++p) notice.activity[p] = static_cast<NoteActivity>(levels[p]);
            found = true;
        }))
        return false;
    return found;
}

bool readRefusal(const KitUris& uris, const LV2_Atom* atom, KitNotice& notice) {
    bool hasCommand = false, hasPath = false, hasReason = false;
    int32_t command = -1;
    if (!atoms::forEachProperty(atom, uris.atomObject, [&](uint32_t key, const LV2_Atom* value) {
            if (key == uris.command) hasCommand = atoms::valueOf(value, uris.atomInt, command);
            if (key == uris.patchValue) hasPath = atoms::textOf(value, uris.atomPath, notice.path, kPathSize);
            if (key == uris.reason) hasReason = atoms::textOf(value, uris.atomString, notice.reason, kReasonSize);
        }))
        return false;
    const int32_t last = static_cast<int32_t>(FileCommand::LoadPatch);
    if (!hasCommand || !hasPath || !hasReason || command < 0 || command > last) return false;
    notice.command = static_cast<FileCommand>(command);
    return true;
}

}  // namespace

bool readNotice(const KitUris& uris, const LV2_Atom* atom, KitNotice& out) {
    if (atom == nullptr || atom->type != uris.atomObject || atom->size < sizeof(LV2_Atom_Object_Body)) return false;
    const uint32_t otype = atoms::otypeOf(atom);
    KitNotice notice;
    bool read = false;
    if (otype == uris.padState) {
        notice.kind = NoticeKind::PadState;
        read = readPadState(uris, atom, notice);
    } else if (otype == uris.activity) {
        notice.kind = NoticeKind::Activity;
        read = readActivity(uris, atom, notice);
    } else if (otype == uris.refusal) {
        notice.kind = NoticeKind::Refusal;
        read = readRefusal(uris, atom, notice);
    } else if (otype == uris.newKit) {
        notice.kind = NoticeKind::NewKit;
        read = atoms::forEachProperty(atom, uris.atomObject, [](uint32_t, const LV2_Atom*) {});
    }
    if (read) out = notice;
    return read;
}
