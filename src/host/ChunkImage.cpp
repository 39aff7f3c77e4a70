#include "host/ChunkImage.h"

#include <cstdlib>
#include <cstring>

ChunkImage::~ChunkImage() { std::free(bytes); }

bool ChunkImage::assign(const uint8_t* from, int32_t size) {
    if (size > capacity) {
        std::free(bytes);
        bytes = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
        capacity = bytes != nullptr ? size : 0;
        if (bytes == nullptr) return false;
    }
    std::memcpy(bytes, from, static_cast<size_t>(size));
    return true;
}
