// vsthost: a small VST 2.4 host for tests and diagnostics. It loads a plug-in
// binary, prints what the plug-in declares, and renders MIDI through it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EditorWindow.h"
#include "VstHost.h"

namespace {

const char* const kUsage =
    "usage: vsthost info|params|run PLUGIN [--rate HZ] [--block FRAMES] [--version N] "
    "[--param INDEX=VALUE]... [--midi FRAME:STATUS:DATA1:DATA2,...] [--set-chunk FILE] "
    "[--get-chunk FILE] [--render FRAMES OUT.wav] [--scale S] [--editor [--screenshot FILE.png]]";

struct Options {
    std::string command, plugin;
    float rate = 44100.0f;
    long block = 512;
    long version = kVstVersion;
    std::vector<std::pair<long, float>> params;
    std::vector<vsthost::MidiEvent> midi;
    std::string setChunk, getChunk, wav;
    long renderFrames = -1;
    bool editor = false;
    std::string screenshot;
    bool scaled = false;
    float scale = 1.0f;  // told to the plug-in as a host tells it its screen's scale
};

bool parseLong(const char* text, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 0);  // decimal, or 0x.. hex
    return end != text && *end == '\0';
}

bool parseFloat(const char* text, float& value) {
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && *end == '\0';
}

// "FRAME:STATUS:DATA1:DATA2,..."
bool parseMidi(const std::string& text, std::vector<vsthost::MidiEvent>& events) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        long field[4];
        size_t from = 0;
        for (int f = 0; f < 4; ++f) {
            const size_t colon = f < 3 ? item.find(':', from) : item.size();
            if (colon == std::string::npos) return false;
            if (!parseLong(item.substr(from, colon - from).c_str(), field[f])) return false;
            if (f > 0 && (field[f] < 0 || field[f] > 255)) return false;
            from = colon + 1;
        }
        if (field[0] < 0) return false;
        events.push_back({field[0], uint8_t(field[1]), uint8_t(field[2]), uint8_t(field[3])});
        start = comma + 1;
    }
    return true;
}

bool parseArguments(int argc, char** argv, Options& options) {
    if (argc < 3) return false;
    options.command = argv[1];
    options.plugin = argv[2];
    if (options.command != "info" && options.command != "params" && options.command != "run")
        return false;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--editor") {
            options.editor = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) return false;
        ++i;
        if (option == "--rate") {
            if (!parseFloat(value, options.rate) || options.rate <= 0.0f) return false;
        } else if (option == "--block") {
            if (!parseLong(value, options.block) || options.block < 1 || options.block > 1 << 20)
                return false;
        } else if (option == "--version") {
            if (!parseLong(value, options.version)) return false;
        } else if (option == "--param") {
            const char* equals = std::strchr(value, '=');
            long index;
            float number;
            if (equals == nullptr || !parseLong(std::string(value, equals).c_str(), index) ||
                !parseFloat(equals + 1, number))
                return false;
            options.params.push_back({index, number});
        } else if (option == "--midi") {
            if (!parseMidi(value, options.midi)) return false;
        } else if (option == "--set-chunk") {
            options.setChunk = value;
        } else if (option == "--get-chunk") {
            options.getChunk = value;
        } else if (option == "--screenshot") {
            options.screenshot = value;
        } else if (option == "--scale") {
            if (!parseFloat(value, options.scale)) return false;
            options.scaled = true;
        } else if (option == "--render") {
            if (i + 1 >= argc || !parseLong(value, options.renderFrames) ||
                options.renderFrames < 0)
                return false;
            options.wav = argv[++i];
        } else {
            return false;
        }
    }
    return options.screenshot.empty() || options.editor;
}

void printParameter(vsthost::Effect& effect, VstInt32 index) {
    const std::string name = effect.text(effGetParamName, index);
    const std::string label = effect.text(effGetParamLabel, index);
    const std::string display = effect.text(effGetParamDisplay, index);
    const float value = effect.getParameter(index);
    std::printf("  %3d  %-16s %-5s %-16s %.6f\n", index, name.c_str(), label.c_str(),
                display.c_str(), double(value));
}

void printInfo(vsthost::Effect& effect, const std::string& path) {
    const AEffect* record = effect.record();
    std::printf("plug-in         %s\n", path.c_str());
    std::printf("effect name     %s\n", effect.text(effGetEffectName).c_str());
    std::printf("vendor          %s\n", effect.text(effGetVendorString).c_str());
    std::printf("product         %s\n", effect.text(effGetProductString).c_str());
    std::printf("vendor version  %ld\n", long(effect.dispatch(effGetVendorVersion)));
    std::printf("VST version     %ld\n", long(effect.dispatch(effGetVstVersion)));
    std::printf("magic           0x%08X\n", unsigned(record->magic));
    std::printf("uniqueID        0x%08X\n", unsigned(record->uniqueID));
    std::printf("version         %d\n", record->version);
    std::printf("programs        %d\n", record->numPrograms);
    std::printf("parameters      %d\n", record->numParams);
    std::printf("inputs          %d\n", record->numInputs);
    std::printf("outputs         %d\n", record->numOutputs);
    std::printf("flags           0x%X\n", unsigned(record->flags));
    std::printf("category        %ld\n", long(effect.dispatch(effGetPlugCategory)));
    for (const char* can : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
                            "sendVstEvents", "sendVstMidiEvent", "offline", "bypass"}) {
        char text[64];
        std::snprintf(text, sizeof text, "%s", can);
        std::printf("canDo %-20s %ld\n", can, long(effect.dispatch(effCanDo, 0, 0, text)));
    }
    std::printf("parameters of the first pad (index, name, label, display, value):\n");
    for (VstInt32 index = 0; index < 15 && index < record->numParams; ++index)
        printParameter(effect, index);
}

bool readFile(const std::string& path, std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool writeFile(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0) ok = false;
    return ok;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "vsthost: %s\n", message.c_str());
    return 1;
}

int runSession(const Options& options) {
    vsthost::PluginLibrary library;
    std::string error;
    if (!library.open(options.plugin, error)) return fail(error);
    vsthost::setHostVersion(options.version);
    AEffect* record = library.create();
    if (record == nullptr)
        return fail(options.plugin + ": VSTPluginMain made no instance (host version " +
                    std::to_string(options.version) + ")");
    if (record->magic != kEffectMagic) return fail(options.plugin + ": not a VST 2.4 record");
    vsthost::Effect effect(record);
    effect.dispatch(effOpen);
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, options.rate);
    effect.dispatch(effSetBlockSize, 0, options.block);

    if (!options.setChunk.empty()) {
        std::vector<char> bytes;
        if (!readFile(options.setChunk, bytes)) return fail("cannot read " + options.setChunk);
        const VstIntPtr answer =
            effect.dispatch(effSetChunk, 0, VstIntPtr(bytes.size()), bytes.data());
        std::printf("setChunk %s (%zu bytes): %ld\n", options.setChunk.c_str(), bytes.size(),
                    long(answer));
    }
    for (const auto& param : options.params) effect.setParameter(VstInt32(param.first), param.second);

    if (options.command == "info") printInfo(effect, options.plugin);
    if (options.command == "params")
        for (VstInt32 index = 0; index < record->numParams; ++index) printParameter(effect, index);

    if (!options.getChunk.empty()) {
        void* data = nullptr;
        const VstIntPtr size = effect.dispatch(effGetChunk, 0, 0, &data);
        if (size < 0 || (size > 0 && data == nullptr))
            return fail(options.plugin + ": effGetChunk gave no bytes for its size");
        if (!writeFile(options.getChunk, data, size_t(size)))
            return fail("cannot write " + options.getChunk);
        std::printf("getChunk %s: %ld bytes\n", options.getChunk.c_str(), long(size));
    }

    if (options.renderFrames >= 0) {
        effect.dispatch(effMainsChanged, 0, 1);
        const vsthost::Audio audio =
            vsthost::render(effect, options.renderFrames, VstInt32(options.block), options.midi);
        effect.dispatch(effMainsChanged, 0, 0);
        if (!vsthost::writeWav(options.wav, audio, int(options.rate), error)) return fail(error);
        std::printf("rendered %ld frames of %zu channels to %s\n", options.renderFrames,
                    audio.channels.size(), options.wav.c_str());
    }
    if (options.scaled) {
        const VstIntPtr answer =
            effect.dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, options.scale);
        std::printf("scale %g: %ld\n", double(options.scale), long(answer));
    }
    if (options.editor) {
        if (!vsthost::showEditor(effect, options.screenshot, error)) return fail(error);
        if (!options.screenshot.empty()) std::printf("editor screenshot %s\n", options.screenshot.c_str());
    }
    if (effect.close() != 1) return fail(options.plugin + ": effClose did not answer 1");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    return runSession(options);
}
