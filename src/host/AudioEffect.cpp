#include "host/AudioEffect.h"

#include <cstring>

#include "engine/Numbers.h"

namespace {

VstIntPtr dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                        void* ptr, float opt) {
    AudioEffect* object = effectOf(effect);
    if (object == nullptr) return 0;
    const VstIntPtr answer = object->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete object;
        return 1;
    }
    return answer;
}

// Accumulating and double-precision processing are not offered.
void processEntry(AEffect*, float**, float**, VstInt32) {}
void processDoubleEntry(AEffect*, double**, double**, VstInt32) {}

void processReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    if (AudioEffect* object = effectOf(effect)) object->processReplacing(inputs, outputs, frames);
}

void setParameterEntry(AEffect* effect, VstInt32 index, float value) {
    if (AudioEffect* object = effectOf(effect)) object->setParameter(index, value);
}

float getParameterEntry(AEffect* effect, VstInt32 index) {
    AudioEffect* object = effectOf(effect);
    return object != nullptr ? object->getParameter(index) : 0.0f;
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster) : audioMaster(audioMaster) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleEntry;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = 1;
}

AudioEffect::~AudioEffect() = default;

void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) { return 0.0f; }
VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effSetProgram:
            if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram:
            return curProgram;
        case effGetProgramName:
            if (text != nullptr) text[0] = '\0';
            return 0;
        case effGetParamLabel:
            if (text != nullptr) getParameterLabel(index, text);
            return 0;
        case effGetParamDisplay:
            if (text != nullptr) getParameterDisplay(index, text);
            return 0;
        case effGetParamName:
            if (text != nullptr) getParameterName(index, text);
            return 0;
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            blockSize = static_cast<VstInt32>(value);
            return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect:
        case effEditOpen:
        case effEditClose:
        case effEditIdle:
        case effEditKeyDown:
        case effEditKeyUp:
        case effSetEditKnobMode:
            return editorOpcode(opcode, index, value, ptr, opt);
        case effIdentify:
            return kEffectIdentifier;
        case effGetChunk:
            if (ptr == nullptr) return 0;
            return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk:
            // A size that is no int32, or bytes promised behind a null pointer: refused.
            if (value < 0 || value > INT32_MAX || (ptr == nullptr && value != 0)) return 0;
            return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        default:
            return 0;
    }
}

VstIntPtr AudioEffect::editorOpcode(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt) {
    if (editor == nullptr) return 0;
    switch (opcode) {
        case effEditGetRect:
            if (ptr == nullptr) return 0;
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        case effEditOpen:
            return editor->open(ptr) ? 1 : 0;
        case effEditClose:
            editor->close();
            return 0;
        case effEditIdle:
            editor->idle();
            return 0;
        case effEditKeyDown:
        case effEditKeyUp: {
            VstKeyCode key{index, static_cast<unsigned char>(value),
                           static_cast<unsigned char>(truncToInt(opt))};
            const bool taken = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
            return taken ? 1 : 0;
        }
        case effSetEditKnobMode:
            return editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
        default:
            return 0;
    }
}
