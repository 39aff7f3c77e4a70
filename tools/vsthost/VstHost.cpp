#include "VstHost.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace vsthost {

namespace {

std::atomic<VstIntPtr> versionAnswer{kVstVersion};

void putLittleEndian(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

void setHostVersion(VstIntPtr version) { versionAnswer.store(version); }

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? versionAnswer.load() : 0;
}

bool PluginLibrary::open(const std::string& path, std::string& error) {
    pluginMain = nullptr;
    if (!library.open(path)) {
        error = "cannot load " + path + ": " + library.error();
        return false;
    }
    pluginMain = entry("VSTPluginMain");
    if (pluginMain == nullptr) {
        error = path + " has no VSTPluginMain export";
        library.close();
        return false;
    }
    return true;
}

PluginEntry PluginLibrary::entry(const char* name) const {
    return reinterpret_cast<PluginEntry>(library.symbol(name));
}

AEffect* PluginLibrary::create(audioMasterCallback audioMaster) const {
    return pluginMain != nullptr ? pluginMain(audioMaster) : nullptr;
}

VstIntPtr Effect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                           float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

VstIntPtr Effect::close() {
    if (effect == nullptr) return 0;
    const VstIntPtr answer = dispatch(effClose);
    effect = nullptr;  // the record is gone with the object
    return answer;
}

std::string Effect::text(VstInt32 opcode, VstInt32 index) {
    // Far more room than any name opcode may fill, so an overlong answer shows.
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

VstIntPtr Effect::sendMidi(const std::vector<MidiEvent>& events) {
    pending.clear();
    for (const MidiEvent& event : events)
        pending.push_back({static_cast<int32_t>(event.frame), event.status, event.data1, event.data2});
    eventBlock.reserve(pending.size());
    return dispatch(effProcessEvents, 0, 0, eventBlock.fill(pending));
}

void Effect::process(float** outputs, VstInt32 frames) {
    inputs.resize(static_cast<size_t>(std::max(effect->numInputs, 0)));
    std::vector<float*> inputPointers;
    for (std::vector<float>& input : inputs) {
        input.assign(static_cast<size_t>(std::max(frames, 0)), 0.0f);
        inputPointers.push_back(input.data());
    }
    effect->processReplacing(effect, inputPointers.data(), outputs, frames);
}

Audio render(Effect& effect, int64_t frames, VstInt32 block, std::vector<MidiEvent> events) {
    const int outputs = std::max(effect.record()->numOutputs, 0);
    Audio audio;
    audio.channels.assign(static_cast<size_t>(outputs),
                          std::vector<float>(static_cast<size_t>(frames), 0.0f));
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.frame < b.frame; });
    std::vector<float*> pointers(static_cast<size_t>(outputs));
    size_t next = 0;
    for (int64_t start = 0; start < frames; start += block) {
        const VstInt32 length = static_cast<VstInt32>(std::min<int64_t>(block, frames - start));
        std::vector<MidiEvent> due;
        for (; next < events.size() && events[next].frame < start + length; ++next) {
            if (events[next].frame < start) continue;  // before the stream: never due
            MidiEvent event = events[next];
            event.frame -= start;
            due.push_back(event);
        }
        if (!due.empty()) effect.sendMidi(due);
        for (int o = 0; o < outputs; ++o) pointers[o] = audio.channels[o].data() + start;
        effect.process(pointers.data(), length);
    }
    return audio;
}

bool writeWav(const std::string& path, const Audio& audio, int rate, std::string& error) {
    const uint32_t channels = static_cast<uint32_t>(audio.channels.size());
    const uint64_t dataBytes = uint64_t(audio.frames()) * channels * sizeof(float);
    if (channels == 0 || dataBytes > 0xFFFFFFFFull - 36) {
        error = path + ": no channels, or too many frames for a WAV file";
        return false;
    }
    std::vector<unsigned char> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putLittleEndian(header, static_cast<uint32_t>(36 + dataBytes), 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLittleEndian(header, 16, 4);
    putLittleEndian(header, 3, 2);  // IEEE float
    putLittleEndian(header, channels, 2);
    putLittleEndian(header, static_cast<uint32_t>(rate), 4);
    putLittleEndian(header, static_cast<uint32_t>(rate) * channels * 4, 4);
    putLittleEndian(header, channels * 4, 2);
    putLittleEndian(header, 32, 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putLittleEndian(header, static_cast<uint32_t>(dataBytes), 4);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path;
        return false;
    }
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    std::vector<unsigned char> frame;
    for (int64_t i = 0; ok && i < audio.frames(); ++i) {
        frame.clear();
        for (const std::vector<float>& channel : audio.channels) {
            uint32_t bits;
            std::memcpy(&bits, &channel[static_cast<size_t>(i)], sizeof bits);
            putLittleEndian(frame, bits, 4);
        }
        ok = std::fwrite(frame.data(), 1, frame.size(), file) == frame.size();
    }
    if (std::fclose(file) != 0) ok = false;
    if (!ok) error = "cannot write " + path;
    return ok;
}

}  // namespace vsthost
