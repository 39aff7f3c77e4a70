#include "files/PatchFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Platform.h"

namespace {

// Writes and closes the file; why not, or null. created tells whether the
// file was made, so that only a file of ours is ever removed.
const char* writeAll(const char* path, const std::vector<uint8_t>& bytes, bool& created) {
    std::FILE* file = std::fopen(path, "wb");
    created = file != nullptr;
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
    bool created = false;
    if (const char* failed = writeAll(partial.c_str(), bytes, created)) {
        const std::string reason = failed;
        if (created) std::remove(partial.c_str());
        return reason;
    }
    std::string reason;
    if (!platformReplaceFile(partial.c_str(), path, &reason)) {
        std::remove(partial.c_str());
        return reason;
    }
    return {};
}
