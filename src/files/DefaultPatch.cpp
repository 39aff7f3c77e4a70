#include "files/DefaultPatch.h"

#include <cstring>
#include <vector>

#include "files/FileBytes.h"
#include "files/Patch.h"
#include "platform/Platform.h"

namespace {

// The default patch's path, or false when the module's folder is too long
// for a path: then there simply is no default patch.
bool defaultPatchPath(const char* modulePath, char (&path)[kPathSize]) {
    static const char kPresetPath[] = {kPathSeparator, 'p', 'r', 'e', 's', 'e', 't', kPathSeparator,
                                       'p', 'r', 'e', 's', 'e', 't', '.', 'b', 'i', 'n', '\0'};
    std::strncpy(path, modulePath, sizeof path - 1);
    path[sizeof path - 1] = '\0';
    char* cut = std::strrchr(path, kPathSeparator);
    if (cut == nullptr) return false;
    *cut = '\0';
    if (std::strlen(path) + sizeof kPresetPath > sizeof path) return false;
    std::strcat(path, kPresetPath);
    return true;
}

}  // namespace

bool loadDefaultPatch(DrumSynth& synth, const char* modulePath) {
    char path[kPathSize];
    if (modulePath == nullptr || !defaultPatchPath(modulePath, path)) return false;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return false;
    return restorePatch(synth, bytes.data(), static_cast<int64_t>(bytes.size())) != 0;
}
