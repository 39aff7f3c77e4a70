// A synthesizer core set up as the plug-in object sets it up, then
// constructed, with no audio thread and no editor. Shared by the engine,
// file and fuzz tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DrumSynth.h"

class CoreUnderTest {
public:
    // modulePath: where the plug-in file would be; its directory's
    // preset/preset.bin is then the default patch. Empty: none.
    explicit CoreUnderTest(float rate = 44100.0f, const std::string& modulePath = "",
                           int32_t blockLength = 1024);
    ~CoreUnderTest();
    CoreUnderTest(const CoreUnderTest&) = delete;
    CoreUnderTest& operator=(const CoreUnderTest&) = delete;

    DrumSynth& synth() { return core; }
    // Whether the default patch beside modulePath replaced the kit.
    bool loadedDefaultPatch() const { return defaultPatchLoaded; }

    // The patch a host would get: buildPatch, then totalSize bytes of the image.
    std::vector<uint8_t> patch();

private:
    DrumSynth core{};
    bool defaultPatchLoaded = false;
};
