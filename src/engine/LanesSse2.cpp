// The voice chain four lanes wide, in SSE2: every x86-64 machine runs it.
#include "engine/LaneKernel.h"
#include "engine/SimdSse2.h"

void lanes::renderSse2(Job& job) { renderJob<Sse2>(job); }
