#include "KitBuilder.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "AudioImport.h"
#include "DemoKit.h"
#include "DemoSounds.h"
#include "KitFile.h"
#include "PluginInstance.h"
#include "ZelError.h"
#include "engine/PadParameters.h"
#include "files/FileBytes.h"
#include "files/Patch.h"
#include "host/zelVst.h"

namespace {

void startFrom(PluginInstance& plugin, const KitRecipe& recipe) {
    if (recipe.demo) loadDemoKit(plugin);
    if (recipe.from.empty()) return;
    if (!plugin.setChunk(readKitFile(recipe.from)))
        throw fileError(recipe.from, "refused by the plug-in");
}

void loadSampleFile(PluginInstance& plugin, int pad, const std::string& path) {
    const ImportedSample sample = importSample(path);
    try {
        loadPadWav(plugin, pad, sample.wav, baseName(path.c_str()));
    } catch (const ZelError& error) {
        throw fileError(path, error.what());
    }
}

// Straight from the parameter's description: the host's display call keeps
// a one-entry memo that a repeated index would answer from.
double shownNumber(PluginInstance& plugin, VstInt32 index) {
    char text[kDisplayTextSize] = {};
    plugin.core().describeParameter(index, text);
    return std::strtod(text, nullptr);
}

// The float nearest to a setting's value may land a rounding short of it
// (Pitch-X -40 % showing -39): of it and its two neighbours, the one whose
// display shows the number asked for wins.
void applySetting(PluginInstance& plugin, const PadSetting& setting) {
    float best = setting.value;
    if (!std::isnan(setting.shown)) {
        double bestMiss = HUGE_VAL;
        for (float candidate : {setting.value, std::nextafter(setting.value, -1.0f),
                                std::nextafter(setting.value, 2.0f)}) {
            if (candidate < 0.0f || candidate > 1.0f) continue;
            plugin.setParameter(setting.index, candidate);
            const double miss = std::fabs(shownNumber(plugin, setting.index) - setting.shown);
            if (miss < bestMiss) {
                bestMiss = miss;
                best = candidate;
            }
        }
    }
    plugin.setParameter(setting.index, best);
}

}  // namespace

void loadPadWav(PluginInstance& plugin, int pad, const std::vector<uint8_t>& wav,
                const std::string& fileName) {
    // The pad's old slot goes first; a load alone would leave it unplayed in the kit.
    if (plugin.kit().pads[pad].slotNumber != 0) plugin.core().removeSample(pad);
    const std::string refused = plugin.core().loadSampleBytes(
        pad, wav.data(), static_cast<int64_t>(wav.size()), fileName.c_str());
    if (!refused.empty()) throw ZelError("the plug-in's loader refused the sample: " + refused);
}

void setPadName(PluginInstance& plugin, int pad, const std::string& name) {
    constexpr size_t kLongestName = sizeof(PadSettings::name) - 1;
    if (name.size() > kLongestName || !plugin.core().renamePad(pad, name.c_str()))
        throw ZelError("--name " + std::to_string(pad + 1) + "=" + name + ": a pad's name has at most " +
                       std::to_string(kLongestName) + " characters");
}

void setPadNote(PluginInstance& plugin, int pad, int key) {
    plugin.setParameter(pad * kParamsPerPad + ParamNote, noteValue(key));
}

std::vector<uint8_t> buildKit(const KitRecipe& recipe) {
    PluginInstance plugin;
    plugin.open(kDemoRate, 1024);
    startFrom(plugin, recipe);
    for (const PadSound& sound : recipe.sounds) loadPadWav(plugin, sound.pad, sound.wav, sound.fileName);
    for (const auto& sample : recipe.samples) loadSampleFile(plugin, sample.first, sample.second);
    for (const auto& name : recipe.names) setPadName(plugin, name.first, name.second);
    for (const PadSetting& setting : recipe.settings) applySetting(plugin, setting);
    std::vector<uint8_t> image = plugin.chunk();
    if (const char* reason = patchRefusal(image.data(), static_cast<int64_t>(image.size())))
        throw ZelError(std::string("the kit came out as a block the plug-in refuses: ") + reason);
    return image;
}
