// How many of each thing a kit has. Kept free of inline functions: the AVX2
// lane kernel includes it too.
#pragma once

constexpr int kPadCount = 16;
constexpr int kVoiceCount = 24;
constexpr int kOutputCount = 16;
constexpr int kOutputPairCount = 8;
