// Limits the audio path's arithmetic works within. Kept free of inline
// functions: the AVX2 lane kernel includes it too.
#pragma once

// 2^31, the least float that no longer converts to an int32_t: a value must
// lie below it (and above its negation) before it is truncated.
constexpr float kIntRange = 2147483648.0f;

// Filter inputs and states below this magnitude are flushed to zero, so that
// a section ringing out never reaches subnormal numbers.
constexpr float kDenormalFloor = 1e-25f;
