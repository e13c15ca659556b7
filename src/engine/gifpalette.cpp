// SPDX-License-Identifier: GPL-3.0-or-later
// GifPalette: palettegen over samples, then each frame mapped with a cell table and Sierra Lite.
#include "gifpalette.h"

#include "framegraph.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cstring>

namespace {

constexpr int kCellBits = 6;
constexpr int kCellShift = 8 - kCellBits;

} // namespace

int GifPalette::addSample(const AVFrame *frame)
{
    if (!frame || ready())
        return AVERROR(EINVAL);
    if (!m_stats)
        m_stats = createFrameFilter(QStringLiteral("palettegen=stats_mode=full"), frame,
                                    AV_PIX_FMT_RGB32);
    if (!m_stats)
        return AVERROR(EINVAL);
    av::FramePtr sample(av_frame_clone(frame));
    if (!sample)
        return AVERROR(ENOMEM);
    sample->pts = m_samples++;
    return sendFrameToGraph(m_stats.get(), QStringLiteral("in"), sample.get());
}

int GifPalette::finish()
{
    if (!m_stats || ready())
        return AVERROR(EINVAL);
    int ret = sendFrameToGraph(m_stats.get(), QStringLiteral("in"), nullptr);
    if (ret < 0)
        return ret;
    av::FramePtr palette = av::makeFrame();
    if (!palette)
        return AVERROR(ENOMEM);
    bool got = false;
    ret = receiveFrameFromGraph(m_stats.get(), QStringLiteral("out"), palette.get(), &got);
    if (ret < 0)
        return ret;
    // palettegen gives its 256 entries as a 16 x 16 picture, one ARGB word a pixel.
    if (!got || palette->format != AV_PIX_FMT_RGB32 || palette->width * palette->height != 256)
        return AVERROR(EINVAL);
    m_stats.reset();
    for (int y = 0; y < palette->height; ++y)
        std::memcpy(m_palette + y * palette->width, palette->data[0] + y * palette->linesize[0],
                    size_t(palette->width) * 4);
    m_colours = 256;
    m_nearest.assign(size_t(1) << (3 * kCellBits), -1);
    return 0;
}

int GifPalette::nearest(int r, int g, int b)
{
    const size_t cell = (size_t(r >> kCellShift) << (2 * kCellBits)) |
                        (size_t(g >> kCellShift) << kCellBits) | size_t(b >> kCellShift);
    int16_t &known = m_nearest[cell];
    if (known >= 0)
        return known;
    // The cell's centre stands for every colour in it.
    const int half = 1 << (kCellShift - 1);
    const int cr = (r & ~((1 << kCellShift) - 1)) + half;
    const int cg = (g & ~((1 << kCellShift) - 1)) + half;
    const int cb = (b & ~((1 << kCellShift) - 1)) + half;
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < m_colours; ++i) {
        const uint32_t c = m_palette[i];
        if ((c >> 24) < 0xFF)
            continue;
        const int dr = int((c >> 16) & 0xFF) - cr;
        const int dg = int((c >> 8) & 0xFF) - cg;
        const int db = int(c & 0xFF) - cb;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    known = int16_t(best);
    return best;
}

int GifPalette::map(const AVFrame *src, AVFrame *dst)
{
    if (!src || !dst || !ready() || src->format != AV_PIX_FMT_GBRP)
        return AVERROR(EINVAL);
    const int w = src->width;
    const int h = src->height;
    if (dst->format != AV_PIX_FMT_PAL8 || dst->width != w || dst->height != h) {
        av_frame_unref(dst);
        dst->format = AV_PIX_FMT_PAL8;
        dst->width = w;
        dst->height = h;
        const int ret = av_frame_get_buffer(dst, 0);
        if (ret < 0)
            return ret;
    } else {
        const int ret = av_frame_make_writable(dst);
        if (ret < 0)
            return ret;
    }
    std::memcpy(dst->data[1], m_palette, sizeof m_palette);
    av_frame_copy_props(dst, src);

    // Sierra Lite: half of a pixel's error to the right, a quarter below-left and below. The
    // errors are kept in quarter steps, for the row and the one below, with a margin each side.
    const int stride = (w + 2) * 3;
    m_error.assign(size_t(stride) * 2, 0);
    int *row = m_error.data();
    int *below = row + stride;
    for (int y = 0; y < h; ++y) {
        const uint8_t *G = src->data[0] + ptrdiff_t(y) * src->linesize[0];
        const uint8_t *B = src->data[1] + ptrdiff_t(y) * src->linesize[1];
        const uint8_t *R = src->data[2] + ptrdiff_t(y) * src->linesize[2];
        uint8_t *out = dst->data[0] + ptrdiff_t(y) * dst->linesize[0];
        std::fill(below, below + stride, 0);
        for (int x = 0; x < w; ++x) {
            int *e = row + (x + 1) * 3;
            const int r = std::clamp(R[x] + ((e[0] + 2) >> 2), 0, 255);
            const int g = std::clamp(G[x] + ((e[1] + 2) >> 2), 0, 255);
            const int b = std::clamp(B[x] + ((e[2] + 2) >> 2), 0, 255);
            const int index = nearest(r, g, b);
            out[x] = uint8_t(index);
            const uint32_t c = m_palette[index];
            const int er = r - int((c >> 16) & 0xFF);
            const int eg = g - int((c >> 8) & 0xFF);
            const int eb = b - int(c & 0xFF);
            e[3] += 2 * er;
            e[4] += 2 * eg;
            e[5] += 2 * eb;
            int *d = below + x * 3; // below-left, then below
            d[0] += er;
            d[1] += eg;
            d[2] += eb;
            d[3] += er;
            d[4] += eg;
            d[5] += eb;
        }
        std::swap(row, below);
    }
    return 0;
}
