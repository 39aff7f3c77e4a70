// The system's open and save dialogs for the pad commands, and its message
// box, modal to the editor window.
#pragma once

#include <windows.h>

#include <string>

#include "editor/EditorWindow.h"

// The dialog's title, by which tests (and screen readers) find it.
const char* dialogTitle(FileRequest request);

// Shows the dialog for the request, starting in the plug-in's folder. True
// with the chosen path, false when the user cancelled.
bool runFileDialog(HWND owner, FileRequest request, std::string& path);

void showMessage(HWND owner, const char* text);
