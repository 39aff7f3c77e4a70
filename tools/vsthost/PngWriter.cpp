#include "PngWriter.h"

#include <cstdio>

namespace vsthost {

namespace {

uint32_t crcOf(const uint8_t* bytes, size_t size, uint32_t crc = 0xFFFFFFFFu) {
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc;
}

void putBig(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void chunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
    putBig(file, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    putBig(file, crcOf(body.data(), body.size()) ^ 0xFFFFFFFFu);
}

// A zlib stream of stored blocks: each row behind its filter byte 0.
std::vector<uint8_t> storedZlib(const Picture& picture) {
    std::vector<uint8_t> raw;
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);
        const uint8_t* row = picture.rgb.data() + rowBytes * static_cast<size_t>(y);
        raw.insert(raw.end(), row, row + rowBytes);
    }
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBig(out, (b << 16) | a);
    return out;
}

}  // namespace

uint32_t Picture::pixel(int x, int y) const {
    const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

bool writePng(const std::string& path, const Picture& picture, std::string& error) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig(header, static_cast<uint32_t>(picture.width));
    putBig(header, static_cast<uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", storedZlib(picture));
    chunk(file, "IEND", {});
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out != nullptr && std::fclose(out) != 0) ok = false;
    if (!ok) error = "cannot write " + path;
    return ok;
}

}  // namespace vsthost
