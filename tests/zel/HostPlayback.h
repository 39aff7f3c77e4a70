// A kit played the way a host plays it: through the plug-in library, and
// through zel's own instance of the plug-in for comparison.
#pragma once

#include <cstdint>
#include <vector>

#include "MidiTiming.h"
#include "VstHost.h"

namespace tooltest {

// Restores the kit in the library a host loads and in zel's own instance,
// plays the messages through both, expects the same outputs from each, and
// answers the library's audio.
vsthost::Audio playInBoth(const std::vector<uint8_t>& kit, const std::vector<TimedMessage>& messages, int64_t frames);
// Whether the library's first output pair sounds anywhere in [from, to).
bool soundsBetween(const vsthost::Audio& audio, int64_t from, int64_t to);

}  // namespace tooltest
