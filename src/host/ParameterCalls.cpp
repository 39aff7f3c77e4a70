// The host's parameter calls: set under the edit lock and the busy-flag
// handshake, read through a one-entry memo that getParameter and
// getParameterDisplay share.
#include <cstring>

#include "engine/Numbers.h"
#include "engine/PadParameters.h"
#include "host/Identity.h"
#include "host/zelVst.h"

namespace {
bool inRange(VstInt32 index) { return index >= 0 && index < identity::kParamCount; }
}  // namespace

void zelVst::setParameter(VstInt32 index, float value) {
    if (!inRange(index)) return;
    EditHold hold(editLock);
    {
        EditGuard guard(&busy);
        setPadParameter(synth, index, value);
    }
    // The cache keeps the value as applied: clamped.
    const float applied = clampUnit(value);
    if (applied == editorState.paramValues[index]) return;
    editorState.paramValues[index] = applied;
    markBound(editorState, index);
}

float zelVst::getParameter(VstInt32 index) {
    if (!inRange(index)) return 0.0f;
    if (index == memo.index) {
        memo.index = -1;
        return memo.value;
    }
    memo.index = index;
    memo.value = describePadParameter(synth, index, memo.text);
    editorState.paramValues[index] = memo.value;
    return memo.value;
}

void zelVst::getParameterDisplay(VstInt32 index, char* text) {
    text[0] = '\0';
    if (!inRange(index)) return;
    if (index == memo.index) {
        memo.index = -1;  // the memo's text is this parameter's
    } else {
        memo.index = index;
        memo.value = describePadParameter(synth, index, memo.text);
    }
    std::strncpy(text, memo.text, identity::kParamTextLength);
    text[identity::kParamTextLength] = '\0';
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
