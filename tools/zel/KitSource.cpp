#include "KitSource.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace {

bool isFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<unsigned char> firstBytes(const std::string& path, size_t count) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> bytes(count);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(file ? count : static_cast<size_t>(file.gcount()));
    return bytes;
}

bool looksLikeXml(const std::vector<unsigned char>& bytes) {
    size_t at = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    while (at < bytes.size() && std::strchr(" \t\r\n", bytes[at]) != nullptr && bytes[at] != 0) ++at;
    return at < bytes.size() && bytes[at] == '<';
}

// A tar archive, or a gzip stream (an .h2drumkit is a gzipped tar).
bool looksLikeArchive(const std::vector<unsigned char>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B) return true;
    return bytes.size() >= 262 && std::memcmp(bytes.data() + 257, "ustar", 5) == 0;
}

}  // namespace

KitSource kitSourceOf(const std::string& path) {
    if (isFolder(path)) return KitSource::HydrogenFolder;
    const std::vector<unsigned char> head = firstBytes(path, 512);
    if (head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 && std::memcmp(head.data() + 8, "sfbk", 4) == 0)
        return KitSource::SoundFont;
    if (looksLikeArchive(head)) return KitSource::HydrogenArchive;
    if (looksLikeXml(head)) return KitSource::HydrogenXml;
    return KitSource::Patch;
}

