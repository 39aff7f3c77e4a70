// The built-in kit: the synthesized drum sounds, loaded through the
// plug-in's own WAV loader into the 16 pads under their default names and
// keys, the three hi-hat pads in one choke group.
#pragma once

#include <cstdint>
#include <vector>

class PluginInstance;

// Loads the demo sounds into the instance's pads.
void loadDemoKit(PluginInstance& plugin);

// The demo kit as a patch block, as a fresh instance would save it.
std::vector<uint8_t> demoKitImage();
