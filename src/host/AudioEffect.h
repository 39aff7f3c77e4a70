// The binding layer: keeps the host callback and the AEffect record, and
// turns the host's dispatcher calls into virtual operations. The plug-in
// object derives from AudioEffectX and knows nothing of the ABI's quirks.
#pragma once

#include "host/AEffEditor.h"
#include "host/Vst2.h"

class AudioEffect {
public:
    explicit AudioEffect(audioMasterCallback audioMaster);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    AEffect* getAeffect() { return &cEffect; }

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 frames);
    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void getParameterLabel(VstInt32 index, char* label) { (void)index; *label = '\0'; }
    virtual void getParameterDisplay(VstInt32 index, char* text) { (void)index; *text = '\0'; }
    virtual void getParameterName(VstInt32 index, char* text) { (void)index; *text = '\0'; }
    virtual VstInt32 getChunk(void** data, bool isPreset);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);

protected:
    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms = 0;
    VstInt32 numParams = 0;
    VstInt32 curProgram = 0;
    AEffect cEffect;

private:
    VstIntPtr editorOpcode(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
};

// The plug-in object behind a record the host hands back to us.
inline AudioEffect* effectOf(AEffect* effect) {
    return effect != nullptr ? static_cast<AudioEffect*>(effect->object) : nullptr;
}
