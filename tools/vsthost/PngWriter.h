// Pictures for people: a PNG file of 8-bit RGB pixels, stored without
// compression (every reader takes stored deflate blocks).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vsthost {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width x height pixels, 3 bytes each, top row first
    uint32_t pixel(int x, int y) const;  // red in the low byte, then green, then blue
};

// False with the reason in error when the file cannot be written.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

}  // namespace vsthost
