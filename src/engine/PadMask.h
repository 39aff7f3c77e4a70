// A set of pads, one bit each: which pads an edit changed, which pads the
// lanes' voices play.
#pragma once

#include <cstdint>

#include "engine/KitLimits.h"

using PadMask = uint32_t;
constexpr PadMask kAllPads = (1u << kPadCount) - 1;

constexpr PadMask padBit(int pad) { return 1u << pad; }
