// The host's parameter calls: set under the busy-flag handshake, read
// through a one-entry memo that getParameter and getParameterDisplay share.
#include <cstring>

#include "engine/Numbers.h"
#include "engine/PadParameters.h"
#include "files/Names.h"
#include "host/zelVst.h"

namespace {
bool inRange(VstInt32 index, const DrumSynth& synth) { return index >= 0 && index < synth.paramCount; }
}  // namespace

void zelVst::setParameter(VstInt32 index, float value) {
    if (!inRange(index, synth)) return;
    // The cache is updated under the same guard, so that two automating
    // threads never write it at once. It keeps the value as applied: clamped.
    EditGuard guard(&busy);
    setPadParameter(synth, index, value);
    const float applied = clampUnit(value);
    if (applied == synth.paramValues[index]) return;
    synth.paramValues[index] = applied;
    for (GuiControl* control = synth.controls; control != nullptr; control = control->next)
        if (control->param == index) control->dirty.store(1, std::memory_order_relaxed);
}

float zelVst::getParameter(VstInt32 index) {
    if (!inRange(index, synth)) return 0.0f;
    if (index == memo.index) {
        memo.index = -1;
        return memo.value;
    }
    memo.index = index;
    memo.value = describePadParameter(synth, index, memo.text);
    synth.paramValues[index] = memo.value;
    return memo.value;
}

void zelVst::getParameterDisplay(VstInt32 index, char* text) {
    text[0] = '\0';
    if (!inRange(index, synth)) return;
    if (index == memo.index) {
        memo.index = -1;  // the memo's text is this parameter's
    } else {
        memo.index = index;
        memo.value = describePadParameter(synth, index, memo.text);
    }
    std::strncpy(text, memo.text, synth.paramTextLength);
    text[synth.paramTextLength] = '\0';
}

void zelVst::getParameterName(VstInt32 index, char* text) {
    text[0] = '\0';
    if (inRange(index, synth)) copyName(parameterNameEntry(index), text, synth.paramTextLength);
}

void zelVst::getParameterLabel(VstInt32 index, char* text) {
    text[0] = '\0';
    if (inRange(index, synth)) copyName(parameterLabelEntry(index), text, synth.paramTextLength);
}
