// Four lanes in SSE2, the baseline of every x86-64 machine. Each operation
// is the IEEE single-precision operation the plain chain uses, lane by lane.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace {

struct Sse2 {
    static constexpr int kWidth = 4;
    using F = __m128;
    using I = __m128i;

    static F load(const float* p) { return _mm_loadu_ps(p); }
    static void store(float* p, F v) { _mm_storeu_ps(p, v); }
    static I loadInt(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void storeInt(int32_t* p, I v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static F splat(float value) { return _mm_set1_ps(value); }
    static I splatInt(int32_t value) { return _mm_set1_epi32(value); }

    static F add(F a, F b) { return _mm_add_ps(a, b); }
    static F sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F mul(F a, F b) { return _mm_mul_ps(a, b); }

    // Comparisons give all-ones lanes; NaN compares as C++ compares it.
    static F greater(F a, F b) { return _mm_cmpgt_ps(a, b); }
    static F less(F a, F b) { return _mm_cmplt_ps(a, b); }
    static F notEqual(F a, F b) { return _mm_cmpneq_ps(a, b); }

    static F both(F a, F b) { return _mm_and_ps(a, b); }
    static F butNot(F unless, F a) { return _mm_andnot_ps(unless, a); }  // a where not unless
    static F select(F mask, F yes, F no) { return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no)); }
    static bool any(F mask) { return _mm_movemask_ps(mask) != 0; }
    static F magnitude(F a) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), a); }

    static I truncate(F a) { return _mm_cvttps_epi32(a); }  // out of range: INT_MIN, as in scalar
    static F toFloat(I a) { return _mm_cvtepi32_ps(a); }
    static I asInt(F a) { return _mm_castps_si128(a); }
    static F asFloat(I a) { return _mm_castsi128_ps(a); }
    static I bothInt(I a, I b) { return _mm_and_si128(a, b); }
    static I selectInt(I mask, I yes, I no) {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    }
    static I minInt(I a, I b) { return selectInt(_mm_cmpgt_epi32(a, b), b, a); }
    static I maxInt(I a, I b) { return selectInt(_mm_cmpgt_epi32(a, b), a, b); }
    static I subInt(I a, I b) { return _mm_sub_epi32(a, b); }

    struct Sources {
        const float* lane[kWidth];
    };
    static Sources sources(const float* const* samples, const int32_t*, bool) {
        return {{samples[0], samples[1], samples[2], samples[3]}};
    }
    __attribute__((always_inline)) static F gather(const Sources& from, I index) {
        alignas(16) int32_t k[kWidth];
        _mm_store_si128(reinterpret_cast<__m128i*>(k), index);
        return _mm_setr_ps(from.lane[0][k[0]], from.lane[1][k[1]], from.lane[2][k[2]], from.lane[3][k[3]]);
    }

    // Frames f..f+3 of a tile (lanes within a frame) into four rows.
    __attribute__((always_inline)) static void transpose(const float* tile, float* const rows[kWidth], int32_t f) {
        F r0 = load(tile), r1 = load(tile + 4), r2 = load(tile + 8), r3 = load(tile + 12);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        store(rows[0] + f, r0);
        store(rows[1] + f, r1);
        store(rows[2] + f, r2);
        store(rows[3] + f, r3);
    }
};

}  // namespace
