// SPDX-License-Identifier: GPL-3.0-or-later
// The album's transitions drawn straight onto 4:2:0 pictures, for the export and the preview
// alike. Each looks as FFmpeg's xfade draws its kind on full-chroma pictures, without taking
// the pictures up to 4:4:4 and back for every frame: the fades are constant weights, the
// wipes and slides copies, the smooth wipes a weight per column or row, the round ones a field
// worked out once per transition at its output size and read where it is not all one picture
// or the other.
#pragma once

#include "avhandles.h"

#include <cstdint>
#include <memory>
#include <vector>

class YuvTransition
{
public:
    // Null when the kind (xfade's name for it) is not drawn here.
    static std::unique_ptr<YuvTransition> create(const char *transitionName, int width, int height);
    static bool draws(const char *transitionName);
    // The progress xfade gives step `step` of a transition of `steps` frames: 1 at the first,
    // falling towards 0.
    static float progressAt(int64_t step, int64_t steps);

    ~YuvTransition();
    YuvTransition(const YuvTransition &) = delete;
    YuvTransition &operator=(const YuvTransition &) = delete;

    // `from` and `to` are YUV420P pictures of the size given at creation; `out` receives the
    // picture at `progress` (1: exactly `from`, 0: exactly `to`), in a buffer of its own when
    // it has none. AVERROR(EINVAL) for pictures of another shape.
    int draw(const AVFrame *from, const AVFrame *to, float progress, AVFrame *out);

    struct Plane;
    struct Field;
    enum class Kind;

private:
    YuvTransition(Kind kind, int width, int height);
    void drawPlane(const Plane &plane, float progress);

    const Kind m_kind;
    const int m_width;
    const int m_height;
    std::shared_ptr<const Field> m_fields[2]; // luma and chroma, for the round kinds
    std::vector<uint16_t> m_weights;
    std::vector<float> m_columnValues;
    std::vector<uint8_t> m_rowA; // gathered or blended rows
    std::vector<uint8_t> m_rowB;
    std::vector<uint32_t> m_sums;
    std::vector<int> m_columns;
};
