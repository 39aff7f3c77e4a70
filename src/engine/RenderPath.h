// Which renderer plays a kit's voices: the plain chain voice by voice, or the
// voices side by side in 4 (SSE2) or 8 (AVX2) lanes. Every path gives the
// same bits; the plain chain stays as the reference the others are held to.
#pragma once

#include <cstdint>

enum class RenderPath : uint8_t { Plain, Lanes4, Lanes8 };

// AVX2 and an operating system that saves the wide registers.
bool cpuRunsAvx2();

// The widest path this machine runs.
RenderPath fastestRenderPath();

// wanted, or the widest path this machine runs below it.
RenderPath supportedRenderPath(RenderPath wanted);
