// The host's parameter calls: set through the core's one parameter path,
// read from the core's model.
#include <cstring>

#include "engine/Numbers.h"
#include "engine/PadParameters.h"
#include "host/Identity.h"
#include "host/zelVst.h"

namespace {
bool inRange(VstInt32 index) { return index >= 0 && index < identity::kParamCount; }
}  // namespace

// The one parameter path, for the host and the editor alike. A value the
// cache already holds changes nothing (a host may echo the editor's own
// change back).
bool zelVst::applyParameter(VstInt32 index, float value) {
    std::lock_guard<std::mutex> ordered(parameterOrder);
    EditorModel& model = editorModel();
    // The cache keeps the value as applied: clamped.
    const float applied = clampUnit(value);
    if (applied == model.paramValues[index].load()) return false;
    instrument.setParameter(index, applied);
    model.paramValues[index] = applied;
    markBound(model, index);
    return true;
}

void zelVst::setParameter(VstInt32 index, float value) {
    if (!inRange(index)) return;
    if (applyParameter(index, value)) requestRepaint(editorModel());
}

// The editor's change, told to the host afterwards: a host may call
// setParameter back at once, and the locks must be free by then.
void zelVst::changeParameter(int32_t index, float value) {
    if (!inRange(index)) return;
    if (applyParameter(index, value)) callHost(audioMasterAutomate, index, clampUnit(value));
}

void zelVst::beginEdit(int32_t index) {
    if (inRange(index)) callHost(audioMasterBeginEdit, index, 0.0f);
}

void zelVst::endEdit(int32_t index) {
    if (inRange(index)) callHost(audioMasterEndEdit, index, 0.0f);
}

VstIntPtr zelVst::callHost(VstInt32 opcode, VstInt32 index, float opt) {
    return audioMaster != nullptr ? audioMaster(&cEffect, opcode, index, 0, nullptr, opt) : 0;
}

// Reading leaves the editor's cache alone: it holds where a control stands,
// finer than the steps of a stepped parameter, and a host reads as it is
// told of each step of a drag; storing the stepped value there would pull
// the knob back to its step at every move. A value is read without a lock,
// since hosts ask from any thread; its text, which hosts ask for on their
// user interface's thread, under the edit lock.
float zelVst::getParameter(VstInt32 index) { return inRange(index) ? instrument.parameterValue(index) : 0.0f; }

void zelVst::getParameterDisplay(VstInt32 index, char* text) {
    text[0] = '\0';
    if (!inRange(index)) return;
    char display[kDisplayTextSize];
    display[0] = '\0';
    instrument.describeParameter(index, display);
    identity::copyHostText(text, display, identity::kParamTextLength);
}

void zelVst::getParameterName(VstInt32 index, char* text) {
    text[0] = '\0';
    if (inRange(index))
        copyName(identity::parameterNameEntry(index), text, identity::kParamTextLength);
}

void zelVst::getParameterLabel(VstInt32 index, char* text) {
    text[0] = '\0';
    if (inRange(index))
        copyName(identity::parameterLabelEntry(index), text, identity::kParamTextLength);
}
