// SPDX-License-Identifier: GPL-3.0-or-later
// The versions of the row kernels, for the files that build and choose them.
#pragma once

#include "pixelblend.h"

#include <cstdint>

namespace pixelblend {

struct Kernels
{
    void (*blend)(uint8_t *, const uint8_t *, const uint8_t *, const uint16_t *, int);
    void (*blendConst)(uint8_t *, const uint8_t *, const uint8_t *, int, int);
    void (*blend3Const)(uint8_t *, const uint8_t *, const uint8_t *, int, int, int, int, int);
    void (*smoothWeights)(uint16_t *, const float *, float, bool, int);
    void (*resampleDown)(int16_t *, const uint8_t *const *, const int16_t *, int, int);
    void (*resampleAcross)(uint8_t *, const int16_t *, const int *, const int16_t *, int, int);
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
void resampleDown(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int n);
void resampleAcross(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                    int n);
// Columns, or outputs, [from, to) alone: the tails of the vector versions.
void downColumns(int16_t *dst, const uint8_t *const *rows, const int16_t *w, int taps, int from,
                 int to);
void acrossOutputs(uint8_t *dst, const int16_t *row, const int *start, const int16_t *w, int span,
                   int from, int to);
} // namespace plain

// The parts of the kernels that every version shares.
constexpr int kAcrossShift = kTapBits + kDownBits;
constexpr int kAcrossHalf = 1 << (kAcrossShift - 1);
constexpr int kDownShift = kTapBits - kDownBits;
constexpr int kDownHalf = 1 << (kDownShift - 1);

} // namespace pixelblend
