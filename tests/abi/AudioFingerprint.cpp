#include "AudioFingerprint.h"

#include <cstring>

namespace fingerprint {

uint64_t ofChannel(const std::vector<float>& channel, uint64_t hash) {
    for (float value : channel) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int b = 0; b < 4; ++b) {
            hash ^= (bits >> (8 * b)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

uint64_t ofAudio(const vsthost::Audio& audio) {
    uint64_t hash = kStart;
    for (const std::vector<float>& channel : audio.channels) hash = ofChannel(channel, hash);
    return hash;
}

}  // namespace fingerprint
