// How much of a voice each side of its output pair receives.
#pragma once

#include "engine/Pad.h"

struct PanGains {
    float left, right;
};

inline PanGains panGains(const Pad& pad) {
    return {(1.0f - pad.pan) * pad.volume, pad.pan * pad.volume};
}
