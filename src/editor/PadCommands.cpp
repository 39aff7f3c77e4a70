// The commands behind the controls that report to them: auditioning a pad
// from its name or note label, choosing or dropping a WAV file for the
// selected pad, "Del", and saving and loading patch files.
#include <string>

#include "editor/Editor.h"
#include "editor/PadSelection.h"
#include "files/FileBytes.h"

namespace {

bool isRelease(PointerAction action) {
    return action == PointerAction::LeftRelease || action == PointerAction::RightRelease;
}

std::string quoted(const char* path) { return std::string("\"") + baseName(path) + "\""; }

}  // namespace

void Editor::padCommand(int32_t index, PointerAction action) {
    if (index == kSaveCommand || index == kLoadCommand) {
        if (action == PointerAction::LeftRelease && window != nullptr)
            window->chooseFile(index == kSaveCommand ? FileRequest::SavePatch : FileRequest::LoadPatch);
        return;
    }
    if (index < 0 || index >= kParamCount) return;
    const int pad = index / kParamsPerPad;
    switch (index % kParamsPerPad) {
        case ParamName:
            // A press auditions the pad until the release; a file dropped on
            // the name only selects it, since no release ends that one.
            if (isRelease(action)) {
                endPreview();
            } else {
                selectAndShow(pad);
                if (action != PointerAction::Drop) startPreview(pad);
            }
            break;
        case ParamWav:
            if (action == PointerAction::Drop) {
                loadSample(pad, state.dropPath);
            } else if (action == PointerAction::LeftRelease && window != nullptr) {
                samplePad = pad;
                window->chooseFile(FileRequest::SampleForPad);
            }
            break;
        case ParamVolume:  // "Del", which shares its index with the volume
            if (action == PointerAction::LeftRelease) removeSample(pad);
            break;
        case ParamNote:
            if (action == PointerAction::LeftPress) startPreview(pad);
            if (action == PointerAction::LeftRelease) endPreview();
            break;
        default:
            break;
    }
}

void Editor::fileChosen(FileRequest request, const char* path) {
    if (path == nullptr || path[0] == '\0') return;
    switch (request) {
        case FileRequest::SampleForPad: loadSample(samplePad, path); break;
        case FileRequest::SavePatch: port.savePatch(path); break;
        case FileRequest::LoadPatch: port.loadPatch(path); break;
    }
}

void Editor::selectAndShow(int pad) {
    readKit();
    selectPad(state, pad);
    state.fullRedraw += 1;
}

// The port refuses while a request is pending, so that a note-on and its
// note-off are never played out of order.
void Editor::startPreview(int pad) {
    readKit();
    const int8_t key = state.pads[pad].settings.note;
    if (port.previewKey(key, true)) state.previewNote = key;
}

void Editor::endPreview() { port.previewKey(state.previewNote, false); }

void Editor::fileLabelChanged() {
    state.controls.detail[DetailFileName].dirty = 1;
    if (window != nullptr) window->invalidate();
}

void Editor::loadSample(int pad, const char* path) {
    port.loadPadSample(pad, path);
    fileLabelChanged();
}

void Editor::removeSample(int pad) {
    port.removePadSample(pad);
    fileLabelChanged();
}

void Editor::refused(FileCommand command, const char* path, const char* reason) {
    if (window == nullptr) return;
    const std::string file = quoted(path);
    switch (command) {
        case FileCommand::SavePatch:
            window->tell(("Could not save " + file + ": " + reason + ". The file is unchanged.").c_str());
            break;
        default:
            window->tell(("Could not load " + file + ": " + reason + ".").c_str());
            break;
    }
}
