#include "engine/RenderPath.h"

#include <cpuid.h>

namespace {

constexpr unsigned kOsxsave = 1u << 27;  // CPUID 1, ECX: XGETBV is usable
constexpr unsigned kAvx = 1u << 28;      // CPUID 1, ECX
constexpr unsigned kAvx2 = 1u << 5;      // CPUID 7.0, EBX
constexpr unsigned kXmmYmmState = 0x6;   // XCR0: the OS saves SSE and AVX registers

unsigned enabledRegisterState() {
    unsigned low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
}

bool detectAvx2() {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    if ((ecx & (kOsxsave | kAvx)) != (kOsxsave | kAvx)) return false;
    if ((enabledRegisterState() & kXmmYmmState) != kXmmYmmState) return false;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    return (ebx & kAvx2) != 0;
}

}  // namespace

bool cpuRunsAvx2() {
    static const bool runs = detectAvx2();
    return runs;
}

RenderPath fastestRenderPath() { return cpuRunsAvx2() ? RenderPath::Lanes8 : RenderPath::Lanes4; }

RenderPath supportedRenderPath(RenderPath wanted) {
    if (wanted == RenderPath::Lanes8 && !cpuRunsAvx2()) return RenderPath::Lanes4;
    return wanted;
}
