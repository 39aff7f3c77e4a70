#include "PluginInstance.h"

#include <cstddef>
#include <cstring>

#include "ZelError.h"
#include "host/zelVst.h"

namespace {

// A host that knows VST 2.4 and answers nothing else.
VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

}  // namespace

PluginInstance::PluginInstance() {
    // What VSTPluginMain does once the host has answered its version.
    effect = createPlugin(hostCallback);
    if (effect == nullptr) throw ZelError("the plug-in could not make an instance (out of memory?)");
}

PluginInstance::~PluginInstance() { dispatch(effClose); }

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginInstance::open(uint32_t sampleRate, int32_t blockSize) {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
}

void PluginInstance::resume() { dispatch(effMainsChanged, 0, 1); }

bool PluginInstance::setChunk(const std::vector<uint8_t>& image) {
    std::vector<uint8_t> copy = image;  // the host's buffer, not ours to lend
    return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data()) != 0;
}

std::vector<uint8_t> PluginInstance::chunk() {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (data == nullptr || size <= 0) return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

void PluginInstance::setParameter(VstInt32 index, float value) {
    effect->setParameter(effect, index, value);
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

void PluginInstance::sendMidi(const TimedMessage* messages, size_t count, int64_t blockStart) {
    pending.clear();
    for (size_t i = 0; i < count; ++i) {
        const TimedMessage& message = messages[i];
        pending.push_back({static_cast<int32_t>(message.frame - blockStart), message.status, message.data1,
                           message.data2});
    }
    eventBlock.reserve(count);
    dispatch(effProcessEvents, 0, 0, eventBlock.fill(pending));
}

void PluginInstance::process(float** outputs, int32_t frames) {
    // Never written by the plug-in: zeroed once for the longest block.
    if (silence.size() < static_cast<size_t>(frames)) silence.assign(static_cast<size_t>(frames), 0.0f);
    float* inputs[2] = {silence.data(), silence.data()};
    effect->processReplacing(effect, inputs, outputs, frames);
}

zelVst& PluginInstance::instrument() {
    return *static_cast<zelVst*>(static_cast<AudioEffect*>(effect->object));
}

PluginCore& PluginInstance::core() { return instrument().core(); }

const DrumKit& PluginInstance::kit() { return *core().modelSynth().kit; }

bool PluginInstance::sounding() {
    for (const Voice& voice : core().engineSynth().kit->voices)
        if (voice.pad != nullptr) return true;
    return false;
}
