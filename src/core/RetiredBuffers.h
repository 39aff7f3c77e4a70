// The buffers edits replaced while the audio thread may still be playing
// them. Each is freed once the audio thread has taken the publication that
// let go of it: from then on the engine holds only what came after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/Retirement.h"

class KitPublisher;

class RetiredBuffers : public Retirement {
public:
    explicit RetiredBuffers(const KitPublisher& publisher) : publisher(publisher) {}
    ~RetiredBuffers() override;  // no audio thread is left by then: frees all
    RetiredBuffers(const RetiredBuffers&) = delete;
    RetiredBuffers& operator=(const RetiredBuffers&) = delete;

    // Edit side, under the edit lock: the buffer goes with the next publication.
    void retire(void* buffer) override;
    // Frees what the audio thread is done with.
    void collect();
    size_t held() const { return buffers.size(); }

private:
    struct Retired {
        void* buffer;
        uint64_t freeAfter;  // the generation that no longer holds it
    };
    const KitPublisher& publisher;
    std::vector<Retired> buffers;
};
