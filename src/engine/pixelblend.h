// SPDX-License-Identifier: GPL-3.0-or-later
// Row kernels for mixing and resampling 8-bit pictures: SSE2 on every x86-64, AVX2 chosen at
// run time where the processor has it, plain C elsewhere. Every version gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pixelblend {

// The weight that gives `a` alone; 0 gives `b` alone.
constexpr int kOne = 256;

// dst[i] = (a[i] * m[i] + b[i] * (256 - m[i]) + 128) >> 8, weights 0..256: that is
// b + ((a - b) * m + 128 >> 8), exact at both ends.
void blend(uint8_t *dst, const uint8_t *a, const uint8_t *b, const uint16_t *m, int n);
// The same with one weight for the whole row.
void blendConst(uint8_t *dst, const uint8_t *a, const uint8_t *b, int m, int n);
// Two rows and a constant sample `c`, by weights ma + mb + mc = 256.
void blend3Const(uint8_t *dst, const uint8_t *a, const uint8_t *b, int ma, int mb, int c, int mc,
                 int n);
// m[i] = 256 * smoothstep(0, 1, field[i] + k), rounded; with `invert`, 256 less that.
void smoothWeights(uint16_t *m, const float *field, float k, bool invert, int n);

// Resampling in two passes, down then across, in 16-bit fixed point.
// Weights: 1 << kTapBits is one. The pass down keeps 6 fractional bits (sample << kDownBits):
// with the cubic's overshoot a sample stays within -35..290, so 16 bits hold it.
constexpr int kTapBits = 14;
constexpr int kDownBits = 6;

// dst[u] = (sum over k < taps of w[k] * rows[k][u] + 128) >> 8, saturated to 16 bits.
void resampleDown(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int n);

// Across, outputs go in pairs that read one window of the row: outputs 2p and 2p + 1 take
// `span` samples (a multiple of 8) from row[start[p]], each with its own weights, 0 where it has
// no tap. A window of 8 serves two outputs of a cubic at any scale from about 1/1.5 up.
// Weight k of output i: the pair's weights in chunks of eight taps, the first output's then the
// second's, so that a vector loads both at once.
inline size_t acrossWeightIndex(int i, int k, int span)
{
    return size_t(i / 2) * 2 * size_t(span) + size_t(k / 8) * 16 + size_t(i % 2) * 8 +
           size_t(k % 8);
}
// The weights for n outputs: whole pairs.
inline size_t acrossWeightCount(int n, int span)
{
    return size_t((n + 1) / 2) * 2 * size_t(span);
}
// dst[i] = clamp((sum over k < span of w(i, k) * row[start[i / 2] + k] + half) >> 20, 0, 255).
// row[start[p]] .. row[start[p] + span - 1] must all be readable: pad the row rather than clamp.
void resampleAcross(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                    int n);

// Which version runs: "avx2", "sse2" or "c".
const char *level();
// For tests and benchmarks: the plain C versions, or back to the best the processor allows.
void forcePlainC(bool bPlain);
// For tests and benchmarks: the version of that name, where the processor has it; false, and no
// change, where it does not.
bool forceLevel(const char *name);

} // namespace pixelblend
