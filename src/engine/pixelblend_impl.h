// SPDX-License-Identifier: GPL-3.0-or-later
// The versions of the row kernels, for the files that build and choose them.
#pragma once

#include <cstdint>

namespace pixelblend {

struct Kernels
{
    void (*blend)(uint8_t *, const uint8_t *, const uint8_t *, const uint16_t *, int);
    void (*blendConst)(uint8_t *, const uint8_t *, const uint8_t *, int, int);
    void (*blend3Const)(uint8_t *, const uint8_t *, const uint8_t *, int, int, int, int, int);
    void (*smoothWeights)(uint16_t *, const float *, float, bool, int);
    const char *name;
};

Kernels plainKernels();
// Built with AVX2 enabled: called only when the processor has it.
Kernels avx2Kernels();

namespace plain {
void blend(uint8_t *dst, const uint8_t *a, const uint8_t *b, const uint16_t *m, int n);
void blend3Const(uint8_t *dst, const uint8_t *a, const uint8_t *b, int ma, int mb, int c, int mc,
                 int n);
void smoothWeights(uint16_t *m, const float *field, float k, bool invert, int n);
} // namespace plain

} // namespace pixelblend
