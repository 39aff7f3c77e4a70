#include "KitFile.h"

#include "ZelError.h"
#include "files/FileBytes.h"
#include "files/Patch.h"

std::vector<uint8_t> readKitFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path.c_str(), bytes, &reason)) throw fileError(path, reason);
    if (const char* refused = patchRefusal(bytes.data(), static_cast<int64_t>(bytes.size())))
        throw fileError(path, std::string("not a kit the plug-in accepts: ") + refused);
    return bytes;
}
