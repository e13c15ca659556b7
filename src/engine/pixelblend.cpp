// SPDX-License-Identifier: GPL-3.0-or-later
// The row kernels in plain C and SSE2, and the choice of version.
#include "pixelblend.h"
#include "pixelblend_impl.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

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

void downColumns(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int from,
                 int to)
{
    // A block of columns at a time, a row at a time: loops the compiler can vectorise.
    constexpr int block = 256;
    int32_t acc[block];
    for (int u0 = from; u0 < to; u0 += block) {
        const int m = std::min(block, to - u0);
        std::fill(acc, acc + m, kDownHalf);
        for (int k = 0; k < taps; ++k) {
            const uint8_t *r = rows[k] + u0;
            const int wk = w[k];
            for (int u = 0; u < m; ++u)
                acc[u] += wk * r[u];
        }
        for (int u = 0; u < m; ++u)
            dst[u0 + u] = int16_t(std::clamp(acc[u] >> kDownShift, -32768, 32767));
    }
}

void resampleDown(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int n)
{
    downColumns(dst, rows, w, taps, 0, n);
}

void acrossOutputs(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                   int from, int to)
{
    for (int i = from; i < to; ++i) {
        const int16_t *p = row + start[i / 2];
        const int16_t *wi = w + acrossWeightIndex(i, 0, span); // chunk c at wi + 2c
        int acc = kAcrossHalf;
        for (int c = 0; c < span; c += 8)
            for (int k = 0; k < 8; ++k)
                acc += wi[2 * c + k] * p[c + k];
        dst[i] = uint8_t(std::clamp(acc >> kAcrossShift, 0, 255));
    }
}

void resampleAcross(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                    int n)
{
    acrossOutputs(dst, row, start, w, span, 0, n);
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

// Two neighbouring 16-bit weights as the pair that _mm_madd_epi16 takes.
inline int32_t weightPair(const int16_t *w)
{
    int32_t pair;
    std::memcpy(&pair, w, sizeof pair);
    return pair;
}

void resampleDown(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(kDownHalf);
    // An odd last tap goes with a weight of 0 for its partner.
    const __m128i lastPair = _mm_set1_epi32(taps % 2 ? uint16_t(w[taps - 1]) : 0);
    int u = 0;
    for (; u + 16 <= n; u += 16) {
        __m128i acc0 = half, acc1 = half, acc2 = half, acc3 = half;
        auto add = [&](__m128i a, __m128i b, __m128i pair) {
            // Interleaved a0 b0 a1 b1 ..., so that each 32-bit lane sums one column's pair.
            const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), pair));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), pair));
            acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), pair));
            acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), pair));
        };
        int k = 0;
        for (; k + 2 <= taps; k += 2)
            add(_mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k] + u)),
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k + 1] + u)),
                _mm_set1_epi32(weightPair(w + k)));
        if (k < taps)
            add(_mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k] + u)), zero, lastPair);
        const __m128i lo =
            _mm_packs_epi32(_mm_srai_epi32(acc0, kDownShift), _mm_srai_epi32(acc1, kDownShift));
        const __m128i hi =
            _mm_packs_epi32(_mm_srai_epi32(acc2, kDownShift), _mm_srai_epi32(acc3, kDownShift));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + u), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + u + 8), hi);
    }
    plain::downColumns(dst, rows, w, taps, u, n);
}

// Sums of the four 32-bit lanes of a, b, c and d, in that order.
inline __m128i laneSums(__m128i a, __m128i b, __m128i c, __m128i d)
{
    const __m128i ab = _mm_add_epi32(_mm_unpacklo_epi32(a, b), _mm_unpackhi_epi32(a, b));
    const __m128i cd = _mm_add_epi32(_mm_unpacklo_epi32(c, d), _mm_unpackhi_epi32(c, d));
    return _mm_add_epi32(_mm_unpacklo_epi64(ab, cd), _mm_unpackhi_epi64(ab, cd));
}

// Rounded and clamped to bytes.
inline __m128i acrossBytes(__m128i lo, __m128i hi)
{
    const __m128i half = _mm_set1_epi32(kAcrossHalf);
    lo = _mm_srai_epi32(_mm_add_epi32(lo, half), kAcrossShift);
    hi = _mm_srai_epi32(_mm_add_epi32(hi, half), kAcrossShift);
    const __m128i words = _mm_packs_epi32(lo, hi);
    return _mm_packus_epi16(words, words);
}

void resampleAcross(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                    int n)
{
    auto load = [](const int16_t *p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    };
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        // Four pairs: each window's chunk loaded once for both of its outputs.
        const int16_t *p0 = row + start[i / 2], *p1 = row + start[i / 2 + 1];
        const int16_t *p2 = row + start[i / 2 + 2], *p3 = row + start[i / 2 + 3];
        const int16_t *g = w + acrossWeightIndex(i, 0, span);
        const int pair = 2 * span;
        __m128i r0 = _mm_setzero_si128(), r1 = r0, r2 = r0, r3 = r0;
        __m128i r4 = r0, r5 = r0, r6 = r0, r7 = r0;
        for (int c = 0; c < span; c += 8, g += 16) {
            const __m128i x0 = load(p0 + c), x1 = load(p1 + c);
            const __m128i x2 = load(p2 + c), x3 = load(p3 + c);
            r0 = _mm_add_epi32(r0, _mm_madd_epi16(x0, load(g)));
            r1 = _mm_add_epi32(r1, _mm_madd_epi16(x0, load(g + 8)));
            r2 = _mm_add_epi32(r2, _mm_madd_epi16(x1, load(g + pair)));
            r3 = _mm_add_epi32(r3, _mm_madd_epi16(x1, load(g + pair + 8)));
            r4 = _mm_add_epi32(r4, _mm_madd_epi16(x2, load(g + 2 * pair)));
            r5 = _mm_add_epi32(r5, _mm_madd_epi16(x2, load(g + 2 * pair + 8)));
            r6 = _mm_add_epi32(r6, _mm_madd_epi16(x3, load(g + 3 * pair)));
            r7 = _mm_add_epi32(r7, _mm_madd_epi16(x3, load(g + 3 * pair + 8)));
        }
        _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + i),
                         acrossBytes(laneSums(r0, r1, r2, r3), laneSums(r4, r5, r6, r7)));
    }
    plain::acrossOutputs(dst, row, start, w, span, i, n);
}

} // namespace sse2
#endif

namespace {

// Every version this processor can run, the best first, plain C last.
struct Versions
{
    Kernels list[3];
    int count = 0;
};

Versions availableKernels()
{
    Versions v;
#ifdef VM_HAVE_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        v.list[v.count++] = avx2Kernels();
    v.list[v.count++] = Kernels{sse2::blend,
                                sse2::blendConst,
                                sse2::blend3Const,
                                sse2::smoothWeights,
                                sse2::resampleDown,
                                sse2::resampleAcross,
                                "sse2"};
#endif
    v.list[v.count++] = plainKernels();
    return v;
}

const Versions &versions()
{
    static const Versions v = availableKernels();
    return v;
}

std::atomic<int> g_chosen{0}; // into versions().list

const Kernels &kernels()
{
    return versions().list[g_chosen.load(std::memory_order_relaxed)];
}

} // namespace

Kernels plainKernels()
{
    return Kernels{plain::blend,
                   plain::blendConst,
                   plain::blend3Const,
                   plain::smoothWeights,
                   plain::resampleDown,
                   plain::resampleAcross,
                   "c"};
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

void resampleDown(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int n)
{
    kernels().resampleDown(dst, rows, w, taps, n);
}

void resampleAcross(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                    int n)
{
    kernels().resampleAcross(dst, row, start, w, span, n);
}

const char *level()
{
    return kernels().name;
}

void forcePlainC(bool bPlain)
{
    g_chosen.store(bPlain ? versions().count - 1 : 0, std::memory_order_relaxed);
}

bool forceLevel(const char *name)
{
    const Versions &v = versions();
    for (int i = 0; i < v.count; ++i)
        if (std::strcmp(v.list[i].name, name) == 0) {
            g_chosen.store(i, std::memory_order_relaxed);
            return true;
        }
    return false;
}

} // namespace pixelblend
