#include "KitInfo.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "KitFile.h"
#include "PluginInstance.h"
#include "ZelError.h"
#include "engine/PadParameters.h"
#include "files/LittleEndian.h"
#include "files/SampleStore.h"
#include "files/WavFormat.h"

namespace {

// The settings shown per pad, in the order a drummer reads them, with the
// unit each display text is in.
struct Shown {
    PadParam param;
    const char* unit;
};
const Shown kSettings[] = {
    {ParamVolume, "%"},  {ParamPan, "%"},      {ParamPitch, "%"},     {ParamPitchX, "%"},
    {ParamLow, "Hz"},    {ParamMid, "Hz"},     {ParamMidGain, "dB"},  {ParamHigh, "kHz"},
    {ParamSampleRate, "kHz"}, {ParamBit, ""},
};

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(text, sizeof text, pattern, arguments);
    va_end(arguments);
    return text;
}

std::string display(PluginInstance& plugin, int pad, PadParam param) {
    return trimmed(plugin.text(effGetParamDisplay, pad * kParamsPerPad + param));
}

// "slot 3: 0.70 s, 44100 Hz, 16-bit, 61784 bytes", from the slot's header.
std::string sampleLine(PluginInstance& plugin, const Pad& pad) {
    const DrumKit& kit = plugin.kit();
    if (pad.fileName[0] == '\0' || pad.slotNumber == 0) return "no sample";
    const Pad& owner = kit.pads[pad.slotNumber - 1];
    const uint8_t* header = imageBytes(kit.sampleStore) + slotOffsetOf(kit, pad.slotNumber);
    const double seconds = pad.sampleRate > 0.0f ? pad.frameCount / static_cast<double>(pad.sampleRate) : 0.0;
    return format("%s  (slot %d: %.2f s, %u Hz, %d-bit, %d bytes)", pad.fileName, pad.slotNumber,
                  seconds, readU32(header + wav::kSampleRate),
                  8 * readU16(header + wav::kBlockAlign), owner.slotSize);
}

void describePad(PluginInstance& plugin, int p, std::ostream& out) {
    const Pad& pad = plugin.kit().pads[p];
    out << format("%2d  %-15s  note %-4s (%d)  group %-2s  output %s  ", p + 1, pad.name,
                  display(plugin, p, ParamNote).c_str(), pad.note,
                  display(plugin, p, ParamGroup).c_str(), display(plugin, p, ParamChannel).c_str())
        << sampleLine(plugin, pad) << "\n    ";
    for (const Shown& shown : kSettings) {
        const std::string name = plugin.text(effGetParamName, p * kParamsPerPad + shown.param);
        out << "  " << name << " " << display(plugin, p, shown.param)
            << (shown.unit[0] != '\0' ? " " : "") << shown.unit;
    }
    out << "\n";
}

std::string kitSummary(const DrumKit& kit, size_t bytes) {
    int withSamples = 0, slots = 0;
    for (const Pad& pad : kit.pads) {
        if (pad.fileName[0] != '\0' && pad.slotNumber != 0) ++withSamples;
        if (pad.slotSize != 0) ++slots;
    }
    return format("%d of 16 pads play samples, %d sample slots, %zu bytes", withSamples, slots, bytes);
}

}  // namespace

void describeKit(const std::string& path, std::ostream& out) {
    const std::vector<uint8_t> image = readKitFile(path);
    PluginInstance plugin;
    plugin.open(44100, 1024);
    if (!plugin.setChunk(image)) throw fileError(path, "refused by the plug-in");
    out << path << ": " << kitSummary(plugin.kit(), image.size()) << "\n";
    for (int p = 0; p < kPadCount; ++p) describePad(plugin, p, out);
}
