// The voice chain eight lanes wide, in AVX2. This file alone is compiled for
// AVX2; it is entered only after the CPU check says the machine has it.
#include "engine/LaneKernel.h"
#include "engine/SimdAvx2.h"

void lanes::renderAvx2(Job& job) { renderJob<Avx2>(job); }
