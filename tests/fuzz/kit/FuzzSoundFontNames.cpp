// Any bytes as a soundfont's headers: refused with a reason, or presets
// whose every key and velocity can be asked for a name without reading
// outside the headers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "SoundFontNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SoundFontNames names;
    std::string error;
    if (!names.read(data, size, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const SoundFontPreset& preset : names.presets())
        for (int key = 0; key < 128; key += 7)
            for (int velocity : {1, 64, 127})
                if (names.soundName(preset, key, velocity).size() > 20) std::abort();  // names are 20 bytes at most
    return 0;
}
