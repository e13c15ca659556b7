// SPDX-License-Identifier: GPL-3.0-or-later
// Row kernels for mixing 8-bit pictures: SSE2 on every x86-64, AVX2 chosen at run time where
// the processor has it, plain C elsewhere. Every version gives the same bytes.
#pragma once

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

// Which version runs: "avx2", "sse2" or "c".
const char *level();
// For tests and benchmarks: the plain C versions, or back to the best the processor allows.
void forcePlainC(bool bPlain);

} // namespace pixelblend
