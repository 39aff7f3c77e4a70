// The plug-in's editor in a top-level window of the test host, for people
// (vsthost --editor) and for tests.
#pragma once

#include <string>

#include "PngWriter.h"
#include "VstHost.h"

namespace vsthost {

// Opens the editor in a window of its own. With a screenshot path, writes a
// PNG of the editor once it has painted, closes it and returns; without,
// runs until the user closes the window. False with the reason in error.
bool showEditor(Effect& effect, const std::string& screenshot, std::string& error);

// The editor's size, from effEditGetRect. False with the reason in error
// when the plug-in has no editor.
bool editorSize(Effect& effect, int& width, int& height, std::string& error);

// The pixels a window shows now, after painting whatever it has pending; the
// window must be on screen.
Picture captureWindow(void* window, int width, int height);

// The pixels a window shows now, without asking it to paint: what its own
// paints (its timer, the host's idle call) have put there.
Picture readWindow(void* window, int width, int height);

}  // namespace vsthost
