// The copy of the patch that effGetChunk hands the host. The kit's own image
// moves whenever a sample is loaded or removed, and a host reads the chunk
// after the call has returned, perhaps while the editor loads a sample on
// another thread: so the host gets a copy of its own, valid until the next
// effGetChunk or effClose.
#pragma once

#include <cstdint>

class ChunkImage {
public:
    ChunkImage() = default;
    ~ChunkImage();
    ChunkImage(const ChunkImage&) = delete;
    ChunkImage& operator=(const ChunkImage&) = delete;

    // Copies size bytes; false, keeping nothing, when the memory cannot be had.
    bool assign(const uint8_t* from, int32_t size);
    const uint8_t* data() const { return bytes; }

private:
    uint8_t* bytes = nullptr;
    int32_t capacity = 0;
};
