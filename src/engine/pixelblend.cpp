// SPDX-License-Identifier: GPL-3.0-or-later
// The row kernels in plain C and SSE2, and the choice of version.
#include "pixelblend.h"
#include "pixelblend_impl.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define VM_HAVE_X86 1
#endif

namespace pixelblend {
namespace plain {

void blend(uint8_t *dst, const uint8_t *a, const uint8_t *b, const uint16_t *m, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = uint8_t((a[i] * m[i] + b[i] * (kOne - m[i]) + 128) >> 8);
}

void blendConst(uint8_t *dst, const uint8_t *a, const uint8_t *b, int m, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = uint8_t((a[i] * m + b[i] * (kOne - m) + 128) >> 8);
}

void blend3Const(uint8_t *dst, const uint8_t *a, const uint8_t *b, int ma, int mb, int c, int mc,
                 int n)
{
    const int rest = c * mc + 128;
    for (int i = 0; i < n; ++i)
        dst[i] = uint8_t((a[i] * ma + b[i] * mb + rest) >> 8);
}

void smoothWeights(uint16_t *m, const float *field, float k, bool invert, int n)
{
    for (int i = 0; i < n; ++i) {
        const float t = std::min(std::max(field[i] + k, 0.f), 1.f);
        const int w = int(std::lrint(t * t * (3.f - 2.f * t) * 256.f));
        m[i] = uint16_t(invert ? kOne - w : w);
    }
}

} // namespace plain

#ifdef VM_HAVE_X86
namespace sse2 {

void blend(uint8_t *dst, const uint8_t *a, const uint8_t *b, const uint16_t *m, int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(kOne);
    const __m128i half = _mm_set1_epi16(128);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
        const __m128i m0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m + i));
        const __m128i m1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m + i + 8));
        // a * m + b * (256 - m) + 128 stays below 65536: unsigned 16-bit lanes hold it.
        __m128i lo =
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, zero), m0),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(vb, zero), _mm_sub_epi16(one, m0)));
        __m128i hi =
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, zero), m1),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(vb, zero), _mm_sub_epi16(one, m1)));
        lo = _mm_srli_epi16(_mm_add_epi16(lo, half), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, half), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_packus_epi16(lo, hi));
    }
    plain::blend(dst + i, a + i, b + i, m + i, n - i);
}

void blend3Const(uint8_t *dst, const uint8_t *a, const uint8_t *b, int ma, int mb, int c, int mc,
                 int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i wa = _mm_set1_epi16(short(ma));
    const __m128i wb = _mm_set1_epi16(short(mb));
    const __m128i rest = _mm_set1_epi16(short(c * mc + 128));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, zero), wa),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(vb, zero), wb));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, zero), wa),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(vb, zero), wb));
        lo = _mm_srli_epi16(_mm_add_epi16(lo, rest), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, rest), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_packus_epi16(lo, hi));
    }
    plain::blend3Const(dst + i, a + i, b + i, ma, mb, c, mc, n - i);
}

void blendConst(uint8_t *dst, const uint8_t *a, const uint8_t *b, int m, int n)
{
    blend3Const(dst, a, b, m, kOne - m, 0, 0, n);
}

void smoothWeights(uint16_t *m, const float *field, float k, bool invert, int n)
{
    const __m128 vk = _mm_set1_ps(k);
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.f);
    const __m128 two = _mm_set1_ps(2.f);
    const __m128 three = _mm_set1_ps(3.f);
    const __m128 scale = _mm_set1_ps(256.f);
    const __m128i full = _mm_set1_epi16(invert ? kOne : 0);
    const __m128i sign = _mm_set1_epi16(invert ? -1 : 0);
    auto weights = [&](const float *f) {
        const __m128 t = _mm_min_ps(_mm_max_ps(_mm_add_ps(_mm_loadu_ps(f), vk), zero), one);
        const __m128 s = _mm_mul_ps(_mm_mul_ps(t, t), _mm_sub_ps(three, _mm_mul_ps(two, t)));
        return _mm_cvtps_epi32(_mm_mul_ps(s, scale));
    };
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i w = _mm_packs_epi32(weights(field + i), weights(field + i + 4));
        // Inverted: 256 + (w ^ -1) + 1, which is 256 - w; otherwise w itself.
        const __m128i v = _mm_add_epi16(full, _mm_sub_epi16(_mm_xor_si128(w, sign), sign));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(m + i), v);
    }
    plain::smoothWeights(m + i, field + i, k, invert, n - i);
}

} // namespace sse2
#endif

namespace {

Kernels bestKernels()
{
#ifdef VM_HAVE_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return avx2Kernels();
    return Kernels{sse2::blend, sse2::blendConst, sse2::blend3Const, sse2::smoothWeights, "sse2"};
#else
    return plainKernels();
#endif
}

std::atomic<bool> g_plain{false};

const Kernels &kernels()
{
    static const Kernels best = bestKernels();
    static const Kernels c = plainKernels();
    return g_plain.load(std::memory_order_relaxed) ? c : best;
}

} // namespace

Kernels plainKernels()
{
    return Kernels{plain::blend, plain::blendConst, plain::blend3Const, plain::smoothWeights, "c"};
}

void blend(uint8_t *dst, const uint8_t *a, const uint8_t *b, const uint16_t *m, int n)
{
    kernels().blend(dst, a, b, m, n);
}

void blendConst(uint8_t *dst, const uint8_t *a, const uint8_t *b, int m, int n)
{
    kernels().blendConst(dst, a, b, m, n);
}

void blend3Const(uint8_t *dst, const uint8_t *a, const uint8_t *b, int ma, int mb, int c, int mc,
                 int n)
{
    kernels().blend3Const(dst, a, b, ma, mb, c, mc, n);
}

void smoothWeights(uint16_t *m, const float *field, float k, bool invert, int n)
{
    kernels().smoothWeights(m, field, k, invert, n);
}

const char *level()
{
    return kernels().name;
}

void forcePlainC(bool bPlain)
{
    g_plain.store(bPlain, std::memory_order_relaxed);
}

} // namespace pixelblend
