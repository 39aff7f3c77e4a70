// Eight lanes in AVX2, for the one file built with -mavx2 and entered only
// after the run-time CPU check. The same operations as Sse2, twice as wide.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace {

struct Avx2 {
    static constexpr int kWidth = 8;
    using F = __m256;
    using I = __m256i;

    static F load(const float* p) { return _mm256_loadu_ps(p); }
    static void store(float* p, F v) { _mm256_storeu_ps(p, v); }
    static I loadInt(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void storeInt(int32_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static F splat(float value) { return _mm256_set1_ps(value); }
    static I splatInt(int32_t value) { return _mm256_set1_epi32(value); }

    static F add(F a, F b) { return _mm256_add_ps(a, b); }
    static F sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mul(F a, F b) { return _mm256_mul_ps(a, b); }

    // Ordered comparisons are false for NaN, as C++'s > and < are; != is true.
    static F greater(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
    static F less(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static F notEqual(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_NEQ_UQ); }

    static F both(F a, F b) { return _mm256_and_ps(a, b); }
    static F butNot(F unless, F a) { return _mm256_andnot_ps(unless, a); }  // a where not unless
    static F select(F mask, F yes, F no) { return _mm256_blendv_ps(no, yes, mask); }
    static bool any(F mask) { return _mm256_movemask_ps(mask) != 0; }
    static F magnitude(F a) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a); }

    static I truncate(F a) { return _mm256_cvttps_epi32(a); }  // out of range: INT_MIN, as in scalar
    static F toFloat(I a) { return _mm256_cvtepi32_ps(a); }
    static I asInt(F a) { return _mm256_castps_si256(a); }
    static F asFloat(I a) { return _mm256_castsi256_ps(a); }
    static I bothInt(I a, I b) { return _mm256_and_si256(a, b); }
    static I selectInt(I mask, I yes, I no) { return _mm256_blendv_epi8(no, yes, mask); }
    static I minInt(I a, I b) { return _mm256_min_epi32(a, b); }
    static I maxInt(I a, I b) { return _mm256_max_epi32(a, b); }
    static I subInt(I a, I b) { return _mm256_sub_epi32(a, b); }

    // Each lane reads its own sample: eight scalar loads, which beat the
    // gather instruction here. From one base and 32-bit offsets when the
    // samples lie near each other (one register for all lanes), else from
    // each lane's own pointer.
    // The lanes' pointers stay in the group: copying them in would cost
    // every span a block clear and eight moves.
    struct Sources {
        const float* base;
        __m256i offsets;
        bool near;
        const float* const* lane;
    };
    static Sources sources(const float* const* samples, const int32_t* offsets, bool near) {
        return {samples[0], _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets)), near, samples};
    }
    __attribute__((always_inline)) static F gather(const Sources& from, I index) {
        alignas(32) int32_t k[kWidth];
        __m128 low, high;
        if (from.near) {
            _mm256_store_si256(reinterpret_cast<__m256i*>(k), _mm256_add_epi32(from.offsets, index));
            const float* b = from.base;
            low = _mm_setr_ps(b[k[0]], b[k[1]], b[k[2]], b[k[3]]);
            high = _mm_setr_ps(b[k[4]], b[k[5]], b[k[6]], b[k[7]]);
        } else {
            _mm256_store_si256(reinterpret_cast<__m256i*>(k), index);
            const float* const* p = from.lane;
            low = _mm_setr_ps(p[0][k[0]], p[1][k[1]], p[2][k[2]], p[3][k[3]]);
            high = _mm_setr_ps(p[4][k[4]], p[5][k[5]], p[6][k[6]], p[7][k[7]]);
        }
        return _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1);
    }

    // Frames f..f+7 of a tile (lanes within a frame) into eight rows.
    __attribute__((always_inline)) static void transpose(const float* tile, float* const rows[kWidth], int32_t f) {
        const F r0 = load(tile), r1 = load(tile + 8), r2 = load(tile + 16), r3 = load(tile + 24);
        const F r4 = load(tile + 32), r5 = load(tile + 40), r6 = load(tile + 48), r7 = load(tile + 56);
        const F t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
        const F t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
        const F t4 = _mm256_unpacklo_ps(r4, r5), t5 = _mm256_unpackhi_ps(r4, r5);
        const F t6 = _mm256_unpacklo_ps(r6, r7), t7 = _mm256_unpackhi_ps(r6, r7);
        const F s0 = _mm256_shuffle_ps(t0, t2, 0x44), s1 = _mm256_shuffle_ps(t0, t2, 0xEE);
        const F s2 = _mm256_shuffle_ps(t1, t3, 0x44), s3 = _mm256_shuffle_ps(t1, t3, 0xEE);
        const F s4 = _mm256_shuffle_ps(t4, t6, 0x44), s5 = _mm256_shuffle_ps(t4, t6, 0xEE);
        const F s6 = _mm256_shuffle_ps(t5, t7, 0x44), s7 = _mm256_shuffle_ps(t5, t7, 0xEE);
        store(rows[0] + f, _mm256_permute2f128_ps(s0, s4, 0x20));
        store(rows[1] + f, _mm256_permute2f128_ps(s1, s5, 0x20));
        store(rows[2] + f, _mm256_permute2f128_ps(s2, s6, 0x20));
        store(rows[3] + f, _mm256_permute2f128_ps(s3, s7, 0x20));
        store(rows[4] + f, _mm256_permute2f128_ps(s0, s4, 0x31));
        store(rows[5] + f, _mm256_permute2f128_ps(s1, s5, 0x31));
        store(rows[6] + f, _mm256_permute2f128_ps(s2, s6, 0x31));
        store(rows[7] + f, _mm256_permute2f128_ps(s3, s7, 0x31));
    }
};

}  // namespace
