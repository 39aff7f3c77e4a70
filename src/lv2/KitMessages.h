// The messages between the plug-in and its user interface, both ways, as
// atoms: what the editor asks of the kit (patch:Set of a sample file, a
// pad's name, a patch to save or load; patch:Get of the whole kit; an
// audition), and what the plug-in tells the editor (a pad's state, the
// pads' note activity, a refusal and its reason, a new kit). One writer and
// one reader each, shared by both sides, so the two cannot disagree.
#pragma once

#include <lv2/atom/forge.h>

#include <cstdint>

#include "editor/Editor.h"
#include "editor/EditorPort.h"
#include "lv2/Uris.h"
#include "platform/Platform.h"

enum class RequestKind : uint8_t { LoadSample, RemoveSample, RenamePad, SavePatch, LoadPatch, SendKit, Preview };

struct KitRequest {
    RequestKind kind = RequestKind::SendKit;
    int32_t pad = 0;  // the pad; for an audition, the key
    bool on = false;  // an audition's key goes down (or up)
    char text[kPathSize] = {};  // the file's path or the pad's name
};

// Whether the request, as read, can be carried out: a pad that exists, a
// name a pad keeps, a key, a path.
bool isWellFormed(const KitRequest& request);

// False when the forge ran out of room.
bool writeRequest(LV2_Atom_Forge& forge, const KitUris& uris, const KitRequest& request);
// The request an atom (already checked to fit) carries; false, leaving out
// as it was, when the atom is none or not well formed.
bool readRequest(const KitUris& uris, const LV2_Atom* atom, KitRequest& out);

enum class NoticeKind : uint8_t { PadState, Activity, Refusal, NewKit };

constexpr int kReasonSize = 256;

struct KitNotice {
    NoticeKind kind = NoticeKind::NewKit;
    int32_t pad = 0;
    PadView view{};            // a pad's state
    bool kitReplaced = false;  // the state is a new kit's: ports should follow it
    NoteActivity activity[kPadCount] = {};
    FileCommand command = FileCommand::LoadSample;  // a refusal's
    char path[kPathSize] = {};
    char reason[kReasonSize] = {};
};

// The most bytes one notice takes in a sequence, its event header included.
constexpr uint32_t kLargestNotice = 1536;

bool writeNotice(LV2_Atom_Forge& forge, const KitUris& uris, const KitNotice& notice);
bool readNotice(const KitUris& uris, const LV2_Atom* atom, KitNotice& out);
