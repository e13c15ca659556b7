// SPDX-License-Identifier: GPL-3.0-or-later
// GifPalette: one palette of 256 colours for a whole GIF, made from samples of its pictures,
// and every frame mapped onto it.
#pragma once

#include "avhandles.h"

#include <cstdint>
#include <vector>

// One palette for the whole file lets the GIF encoder store a frame as its difference from the
// one before (a still shown for seconds costs a few bytes a frame); frames are mapped with error
// diffusion, which is deterministic, so a repeated picture maps to the same pixels.
class GifPalette
{
public:
    // Counts the colours of a sample; every sample has the size and format of the first.
    int addSample(const AVFrame *frame);
    // Makes the palette from the samples counted (one colour is kept for transparency, which
    // the encoder uses for pixels unchanged since the frame before).
    int finish();
    bool ready() const { return m_colours > 0; }
    // Maps a planar RGB (GBRP) frame onto the palette into `dst`, as PAL8, with Sierra Lite
    // error diffusion.
    int map(const AVFrame *src, AVFrame *dst);

private:
    int nearest(int r, int g, int b);

    av::FilterGraphPtr m_stats;
    int64_t m_samples = 0;
    uint32_t m_palette[256] = {}; // 0xAARRGGBB; a transparent entry is never chosen
    int m_colours = 0;
    // The nearest opaque entry for each colour cell of 6 bits a channel, found when first
    // needed (-1: not yet): palettegen's own mapper caches every exact colour it meets, which
    // a photo's noise turns into a crawl.
    std::vector<int16_t> m_nearest;
    std::vector<int> m_error; // two rows of (r, g, b) errors, in 1/4 steps
};
