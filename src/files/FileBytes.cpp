#include "files/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

bool fail(std::string* reason, const char* why) {
    if (reason != nullptr) *reason = why;
    return false;
}

// A regular file's size, or -1 when it cannot be told (a pipe, say).
long sizeOf(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Reads the file; null when it all came in, else why not. expected is its
// size as the system told it, or -1: reading comes first, so that a folder
// or an unreadable file is reported as such rather than by its size.
const char* readAll(std::FILE* file, long expected, std::vector<uint8_t>& bytes) {
    uint8_t buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (expected > kLargestFile ||
            static_cast<int64_t>(bytes.size() + count) > kLargestFile)
            return "larger than 2 GB";
        if (bytes.empty() && expected > 0) bytes.reserve(static_cast<size_t>(expected));
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    return std::ferror(file) != 0 ? std::strerror(errno) : nullptr;
}

}  // namespace

bool readWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string* reason) {
    bytes.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return fail(reason, std::strerror(errno));
    const char* why = nullptr;
    try {
        why = readAll(file, sizeOf(file), bytes);
    } catch (const std::bad_alloc&) {
        why = "too large for the memory left";
    }
    std::fclose(file);
    if (why == nullptr) return true;
    bytes.clear();
    bytes.shrink_to_fit();
    return fail(reason, why);
}

const char* baseName(const char* path) {
    const char* name = path;
    for (const char* c = path; *c != '\0'; ++c)
        if (*c == '/' || *c == '\\') name = c + 1;
    return name;
}
