// The canonical WAV form the plug-in's loader takes: a 44-byte header (a
// 16-byte PCM fmt chunk followed at once by the data chunk), then mono
// little-endian integer samples.
#pragma once

#include <cstdint>
#include <vector>

// samples hold values of the given width (8, 16, 24 or 32 bits), signed;
// 8-bit samples are stored offset by 128, as WAV keeps them.
std::vector<uint8_t> canonicalWav(const std::vector<int32_t>& samples, int bits, uint32_t rate);

// A value in full-scale units (1.0) as a sample of the width: rounded to its
// steps, clipped at its ends; not-a-number is silence.
int32_t quantise(double value, int bits);
