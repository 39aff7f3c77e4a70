#include "FileBytes.h"

#include "RawFile.h"
#include "ZelError.h"

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readRawFile(path, bytes, reason)) throw fileError(path, reason);
    return bytes;
}

std::string baseName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
