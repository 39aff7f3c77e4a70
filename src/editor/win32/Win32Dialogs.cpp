#include "editor/win32/Win32Dialogs.h"

#include <commdlg.h>
#include <objbase.h>
#include <ole2.h>

#include <cstring>

#include "platform/Platform.h"

namespace {

struct DialogKind {
    const char* filter;  // display text and pattern, each NUL-terminated, then a final NUL
    const char* extension;
    const char* title;
    bool save;
};

DialogKind kindOf(FileRequest request) {
    switch (request) {
        case FileRequest::SampleForPad: return {"WAV(*.wav)\0*.wav\0", "wav", "Open WAV file", false};
        case FileRequest::SavePatch: return {"Patch file(*.bin)\0*.bin\0", "bin", "Save Patch file", true};
        default: return {"Patch file(*.bin)\0*.bin\0", "bin", "Load Patch file", false};
    }
}

// The folder of the plug-in file: where its preset folder is.
std::string moduleFolder() {
    char path[kPathSize];
    platformModulePath(path, sizeof path);
    char* cut = std::strrchr(path, '\\');
    if (cut != nullptr) *cut = '\0';
    return path;
}

// The explorer-style dialogs need COM on the calling thread; the host's
// thread may already have it, in a mode of its own.
class ComForDialogs {
public:
    ComForDialogs() : started(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ComForDialogs() {
        if (started) OleUninitialize();
    }

private:
    bool started;
};

}  // namespace

const char* dialogTitle(FileRequest request) { return kindOf(request).title; }

bool runFileDialog(HWND owner, FileRequest request, std::string& path) {
    const DialogKind kind = kindOf(request);
    const std::string folder = moduleFolder();
    char file[kPathSize] = {};
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kind.filter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = kind.title;
    dialog.lpstrDefExt = kind.extension;
    dialog.Flags = OFN_PATHMUSTEXIST;  // no overwrite prompt: saving replaces the file
    ComForDialogs com;
    const BOOL chosen = kind.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) return false;
    path = file;
    return true;
}

void showMessage(HWND owner, const char* text) {
    MessageBoxA(owner, text, "zel001", MB_OK | MB_ICONWARNING);
}
