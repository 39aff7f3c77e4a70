// How a parameter's normalised value x in [0, 1] maps onto its pad field, and
// back. One row per kind of parameter: setting a parameter and describing it
// both read the row, so the two directions cannot drift apart.
#pragma once

#include <cstdint>

#include "engine/Pad.h"

struct ParameterMapping {
    enum Kind : uint8_t { Unmapped, Continuous, Stepped };
    Kind kind;
    // Forward: field = x * scale + offset; a stepped field truncates that
    // toward zero. A step's scale is its range's width plus 0.9, so that
    // feeding a returned value back in gives the same step.
    float scale;
    float offset;
    // Back: x = (field - offset) * inverse, where inverse is exactly 1 / the
    // range's width. Where offsetAfter is set, the offset is taken away after
    // scaling instead, x = field * inverse - offset * inverse, which rounds
    // differently.
    float inverse;
    bool offsetAfter;
    float PadSettings::*number;  // a continuous parameter's field
    int8_t PadSettings::*step;   // a stepped parameter's field

    float toField(float x) const { return x * scale + offset; }
    int8_t toStep(float x) const {
        return static_cast<int8_t>(static_cast<int32_t>(x * scale + offset));
    }
    float fromField(float field) const {
        if (offsetAfter) return field * inverse - offset * inverse;
        return (field - offset) * inverse;
    }
    float fromStep(int8_t field) const { return (static_cast<float>(field) - offset) * inverse; }
    // The value in the middle of those that select the step: the one to
    // hand a host or a kit builder, safe from rounding at either edge.
    float stepCentre(int step) const {
        return (static_cast<float>(step) - offset + 0.5f) / scale;
    }
};
