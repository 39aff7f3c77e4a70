#include "files/PatchFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Platform.h"

namespace {

// Writes and closes the file; why not, or null.
const char* writeAll(const char* path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) return writeError != 0 ? std::strerror(writeError) : "the disk took only part of it";
    if (!closed) return std::strerror(errno);
    return nullptr;
}

}  // namespace

std::string writeFileReplacing(const char* path, const std::vector<uint8_t>& bytes) {
    const std::string partial = std::string(path) + ".saving";
    errno = 0;
    if (const char* failed = writeAll(partial.c_str(), bytes)) {
        const std::string reason = failed;
        std::remove(partial.c_str());
        return reason;
    }
    std::string reason;
    if (!platformReplaceFile(partial.c_str(), path, &reason)) {
        std::remove(partial.c_str());
        return reason;
    }
    return {};
}
