#include "KitFile.h"

#include "FileBytes.h"
#include "ZelError.h"
#include "files/Patch.h"

std::vector<uint8_t> readKitFile(const std::string& path) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    if (const char* reason = patchRefusal(bytes.data(), static_cast<int64_t>(bytes.size())))
        throw fileError(path, std::string("not a kit the plug-in accepts: ") + reason);
    return bytes;
}
