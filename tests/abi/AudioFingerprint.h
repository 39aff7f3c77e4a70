// A plug-in's output reduced to one number, to compare with one recorded
// earlier: FNV-1a over the float bits, so a change of a single bit shows.
#pragma once

#include <cstdint>
#include <vector>

#include "VstHost.h"

namespace fingerprint {

constexpr uint64_t kStart = 1469598103934665603ull;

// Continues hash over one channel's values.
uint64_t ofChannel(const std::vector<float>& channel, uint64_t hash = kStart);

// All channels, one after another.
uint64_t ofAudio(const vsthost::Audio& audio);

}  // namespace fingerprint
