// The commands behind the controls that report to them: auditioning a pad
// from its name or note label, choosing or dropping a WAV file for the
// selected pad, "Del", and saving and loading patch files.
#include <string>
#include <vector>

#include "editor/Editor.h"
#include "editor/PadSelection.h"
#include "files/FileBytes.h"
#include "platform/ReplacingFile.h"

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
        case FileRequest::SavePatch: savePatch(path); break;
        case FileRequest::LoadPatch: loadPatch(path); break;
    }
}

void Editor::selectAndShow(int pad) {
    {
        KitHold hold(port);
        selectPad(state, *synth.kit, pad);
    }
    state.fullRedraw += 1;
}

// Only while no request is pending, so that a note-on and its note-off are
// never played out of order.
void Editor::startPreview(int pad) {
    DrumKit& kit = *synth.kit;
    if (kit.previewOn.load() >= 0 || kit.previewOff.load() >= 0) return;
    int8_t key;
    {
        KitHold hold(port);
        key = kit.pads[pad].note;
    }
    state.previewNote = key;
    kit.previewOn.store(key);
}

void Editor::endPreview() {
    DrumKit& kit = *synth.kit;
    if (kit.previewOff.load() < 0) kit.previewOff.store(state.previewNote);
}

void Editor::fileLabelChanged() {
    state.controls.detail[DetailFileName].dirty = 1;
    if (window != nullptr) window->invalidate();
}

void Editor::loadSample(int pad, const char* path) {
    const std::string refused = port.loadPadSample(pad, path);
    if (!refused.empty() && window != nullptr)
        window->tell(("Could not load " + quoted(path) + ": " + refused + ".").c_str());
    fileLabelChanged();
}

void Editor::removeSample(int pad) {
    port.removePadSample(pad);
    fileLabelChanged();
}

void Editor::savePatch(const char* path) {
    const std::vector<uint8_t> bytes = port.patch();
    const std::string failed =
        bytes.empty() ? std::string("the kit could not be copied") : writeWholeFileReplacing(path, bytes.data(), bytes.size());
    if (!failed.empty() && window != nullptr)
        window->tell(("Could not save " + quoted(path) + ": " + failed + ". The file is unchanged.").c_str());
}

void Editor::loadPatch(const char* path) {
    std::vector<uint8_t> bytes;
    std::string refused;
    if (readWholeFile(path, bytes, &refused))
        refused = port.restorePatch(bytes.data(), static_cast<int64_t>(bytes.size()));
    if (!refused.empty() && window != nullptr)
        window->tell(("Could not load " + quoted(path) + ": " + refused + ".").c_str());
}
