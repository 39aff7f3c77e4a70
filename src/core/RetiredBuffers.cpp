#include "core/RetiredBuffers.h"

#include <cstdlib>
#include <new>

#include "core/KitPublisher.h"

RetiredBuffers::~RetiredBuffers() {
    for (const Retired& retired : buffers) std::free(retired.buffer);
}

// A buffer that cannot be listed (no memory) is kept rather than freed too
// early: a leak is better than the audio thread reading freed memory.
void RetiredBuffers::retire(void* buffer) {
    try {
        buffers.push_back({buffer, publisher.published() + 1});
    } catch (const std::bad_alloc&) {
    }
}

void RetiredBuffers::collect() {
    const uint64_t applied = publisher.applied();
    size_t kept = 0;
    for (const Retired& retired : buffers) {
        if (retired.freeAfter <= applied)
            std::free(retired.buffer);
        else
            buffers[kept++] = retired;
    }
    buffers.resize(kept);
}
