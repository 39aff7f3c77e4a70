#include "DemoKit.h"

#include "DemoSounds.h"
#include "KitBuilder.h"
#include "PluginInstance.h"
#include "WavImage.h"
#include "ZelError.h"
#include "PadSettings.h"
#include "engine/Kit.h"
#include "engine/PadParameters.h"

namespace {

constexpr int kClosedHat = 3, kOpenHat = 5;

}  // namespace

void loadDemoKit(PluginInstance& plugin) {
    const std::vector<DemoSound> sounds = demoSounds();
    for (int p = 0; p < kPadCount; ++p) {
        const DemoSound& sound = sounds[static_cast<size_t>(p)];
        const std::vector<uint8_t> wav = canonicalWav(sound.samples, 16, kDemoRate);
        loadPadWav(plugin, p, wav, sound.fileName);
        setPadName(plugin, p, kDefaultPadNames[p]);
        setPadNote(plugin, p, kDefaultPadNotes[p]);
    }
    // One hi-hat: closing it, or stepping on the pedal, silences the open hat.
    for (int p = kClosedHat; p <= kOpenHat; ++p)
        plugin.setParameter(p * kParamsPerPad + ParamGroup, groupValue(kClosedHat + 1));
}

std::vector<uint8_t> demoKitImage() {
    PluginInstance plugin;
    plugin.open(kDemoRate, 1024);
    loadDemoKit(plugin);
    return plugin.chunk();
}
