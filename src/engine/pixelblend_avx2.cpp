// SPDX-License-Identifier: GPL-3.0-or-later
// The row kernels in AVX2. This file alone is built for AVX2; nothing here runs unless the
// processor said it has it.
#include "pixelblend.h"
#include "pixelblend_impl.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace pixelblend {
namespace avx2 {
namespace {

// 32 samples widened to two registers of 16-bit lanes, in order.
inline void widen(const uint8_t *p, __m256i &lo, __m256i &hi)
{
    lo = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    hi = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16)));
}

// Back to 32 bytes in order (the pack works within each 128-bit half).
inline void narrow(uint8_t *p, __m256i lo, __m256i hi)
{
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), packed);
}

} // namespace

void blend(uint8_t *dst, const uint8_t *a, const uint8_t *b, const uint16_t *m, int n)
{
    const __m256i one = _mm256_set1_epi16(kOne);
    const __m256i half = _mm256_set1_epi16(128);
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i a0, a1, b0, b1;
        widen(a + i, a0, a1);
        widen(b + i, b0, b1);
        const __m256i m0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(m + i));
        const __m256i m1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(m + i + 16));
        __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(a0, m0),
                                      _mm256_mullo_epi16(b0, _mm256_sub_epi16(one, m0)));
        __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(a1, m1),
                                      _mm256_mullo_epi16(b1, _mm256_sub_epi16(one, m1)));
        lo = _mm256_srli_epi16(_mm256_add_epi16(lo, half), 8);
        hi = _mm256_srli_epi16(_mm256_add_epi16(hi, half), 8);
        narrow(dst + i, lo, hi);
    }
    plain::blend(dst + i, a + i, b + i, m + i, n - i);
}

void blend3Const(uint8_t *dst, const uint8_t *a, const uint8_t *b, int ma, int mb, int c, int mc,
                 int n)
{
    const __m256i wa = _mm256_set1_epi16(short(ma));
    const __m256i wb = _mm256_set1_epi16(short(mb));
    const __m256i rest = _mm256_set1_epi16(short(c * mc + 128));
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i a0, a1, b0, b1;
        widen(a + i, a0, a1);
        widen(b + i, b0, b1);
        __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(a0, wa), _mm256_mullo_epi16(b0, wb));
        __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(a1, wa), _mm256_mullo_epi16(b1, wb));
        lo = _mm256_srli_epi16(_mm256_add_epi16(lo, rest), 8);
        hi = _mm256_srli_epi16(_mm256_add_epi16(hi, rest), 8);
        narrow(dst + i, lo, hi);
    }
    plain::blend3Const(dst + i, a + i, b + i, ma, mb, c, mc, n - i);
}

void blendConst(uint8_t *dst, const uint8_t *a, const uint8_t *b, int m, int n)
{
    blend3Const(dst, a, b, m, kOne - m, 0, 0, n);
}

void smoothWeights(uint16_t *m, const float *field, float k, bool invert, int n)
{
    const __m256 vk = _mm256_set1_ps(k);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.f);
    const __m256 two = _mm256_set1_ps(2.f);
    const __m256 three = _mm256_set1_ps(3.f);
    const __m256 scale = _mm256_set1_ps(256.f);
    const __m256i full = _mm256_set1_epi16(invert ? kOne : 0);
    const __m256i sign = _mm256_set1_epi16(invert ? -1 : 0);
    auto weights = [&](const float *f) {
        const __m256 t =
            _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(_mm256_loadu_ps(f), vk), zero), one);
        const __m256 s =
            _mm256_mul_ps(_mm256_mul_ps(t, t), _mm256_sub_ps(three, _mm256_mul_ps(two, t)));
        return _mm256_cvtps_epi32(_mm256_mul_ps(s, scale));
    };
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i w = _mm256_permute4x64_epi64(
            _mm256_packs_epi32(weights(field + i), weights(field + i + 8)), 0xD8);
        const __m256i v = _mm256_add_epi16(full, _mm256_sub_epi16(_mm256_xor_si256(w, sign), sign));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(m + i), v);
    }
    plain::smoothWeights(m + i, field + i, k, invert, n - i);
}

void resampleDown(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int n)
{
    const __m256i half = _mm256_set1_epi32(kDownHalf);
    const __m256i lastPair = _mm256_set1_epi32(taps % 2 ? uint16_t(w[taps - 1]) : 0);
    auto load = [](const uint8_t *p) {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    };
    int u = 0;
    for (; u + 16 <= n; u += 16) {
        __m256i lo = half, hi = half;
        // Columns 0-3 and 8-11 in lo, 4-7 and 12-15 in hi: the pack at the end puts them back
        // in order, as the unpacks work within each 128-bit half too.
        auto add = [&](__m256i a, __m256i b, __m256i pair) {
            lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), pair));
            hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), pair));
        };
        int k = 0;
        for (; k + 2 <= taps; k += 2) {
            int32_t pair;
            std::memcpy(&pair, w + k, sizeof pair);
            add(load(rows[k] + u), load(rows[k + 1] + u), _mm256_set1_epi32(pair));
        }
        if (k < taps)
            add(load(rows[k] + u), _mm256_setzero_si256(), lastPair);
        const __m256i words = _mm256_packs_epi32(_mm256_srai_epi32(lo, kDownShift),
                                                 _mm256_srai_epi32(hi, kDownShift));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + u), words);
    }
    plain::downColumns(dst, rows, w, taps, u, n);
}

void resampleAcross(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                    int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        // Four pairs: a chunk of a pair's window in both halves of a register, against the
        // first output's weights in the low half and the second's in the high half.
        const int16_t *p0 = row + start[i / 2], *p1 = row + start[i / 2 + 1];
        const int16_t *p2 = row + start[i / 2 + 2], *p3 = row + start[i / 2 + 3];
        const int16_t *g = w + acrossWeightIndex(i, 0, span);
        const int pair = 2 * span;
        auto madd = [](const int16_t *x, const int16_t *wq) {
            return _mm256_madd_epi16(
                _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(x))),
                _mm256_loadu_si256(reinterpret_cast<const __m256i *>(wq)));
        };
        __m256i r0 = madd(p0, g), r1 = madd(p1, g + pair);
        __m256i r2 = madd(p2, g + 2 * pair), r3 = madd(p3, g + 3 * pair);
        for (int c = 8; c < span; c += 8) {
            g += 16;
            r0 = _mm256_add_epi32(r0, madd(p0 + c, g));
            r1 = _mm256_add_epi32(r1, madd(p1 + c, g + pair));
            r2 = _mm256_add_epi32(r2, madd(p2 + c, g + 2 * pair));
            r3 = _mm256_add_epi32(r3, madd(p3 + c, g + 3 * pair));
        }
        // Added within each half: o0 o2 o4 o6 | o1 o3 o5 o7, then interleaved.
        __m256i sum = _mm256_hadd_epi32(_mm256_hadd_epi32(r0, r1), _mm256_hadd_epi32(r2, r3));
        sum =
            _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(kAcrossHalf)), kAcrossShift);
        const __m128i even = _mm256_castsi256_si128(sum), odd = _mm256_extracti128_si256(sum, 1);
        const __m128i words =
            _mm_packs_epi32(_mm_unpacklo_epi32(even, odd), _mm_unpackhi_epi32(even, odd));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + i), _mm_packus_epi16(words, words));
    }
    plain::acrossOutputs(dst, row, start, w, span, i, n);
}

} // namespace avx2

Kernels avx2Kernels()
{
    return Kernels{avx2::blend,
                   avx2::blendConst,
                   avx2::blend3Const,
                   avx2::smoothWeights,
                   avx2::resampleDown,
                   avx2::resampleAcross,
                   "avx2"};
}

} // namespace pixelblend
#endif
