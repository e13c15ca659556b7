// SPDX-License-Identifier: GPL-3.0-or-later
// The watermark of an export or preview: its frame, its place and the overlay graph.
#pragma once

#include "avhandles.h"
#include "picturelook.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

// Top-left corner of a w x h rectangle at position `code` (one of the nine WatermarkPosition
// bits) in a W x H output, 1 % margins; (0, 0) for any other code.
QPoint watermarkPlacement(int code, int outputWidth, int outputHeight, int w, int h);

// Width of a picture watermark as a fraction of the output width, from the ratio table row
// closest to W / H, in thousandths (175 for 16:9, 311 for 4:3 / 3:4 / 1:1, 210 for 2:1,
// 414 for 9:16).
int pictureWatermarkPerMille(int outputWidth, int outputHeight);

// Where a text may go: its box (the picture drawn is never larger), its most lines, and how far
// its font may shrink to keep within them (a share of the font's size, and a pixel size).
struct TextBox
{
    QSize size; // invalid: no bounds, one line per line break
    int maxLines = 0;
    double minScale = 0.5;
    int minPixelSize = 6;
};
// A text watermark keeps to two lines in the frame less its 1 % margins.
constexpr int kMaxWatermarkLines = 2;
TextBox watermarkTextBox(int outputWidth, int outputHeight);

// Draws `text` in `font` and `color` onto a transparent picture of its bounding box; with an
// outline or shadow, the box grows by their width. A text too large for `frame` (less the
// watermark's margins) is wrapped and shrunk as drawTextImage does; an invalid frame sets no
// bounds.
av::FramePtr makeTextWatermarkFrame(const QString &text, const QFont &font, const QColor &color,
                                    TextEffect effect = TextEffect::Plain, QSize frame = QSize());
// Text lines centred on one another, with the effect, on a transparent picture just large
// enough; null for empty text. Within a box, lines longer than its width are wrapped (at word
// boundaries, or anywhere in a word longer than the line); when there are more lines than fit,
// the font shrinks step by step, no further than its limits, and what still does not fit ends
// in an ellipsis on the last line.
QImage drawTextImage(const QString &text, const QFont &font, const QColor &color, TextEffect effect,
                     const TextBox &box = TextBox());

// Decodes the watermark picture and resizes it to its share of the output width.
int makePictureWatermarkFrame(const QString &szPath, int outputWidth, int outputHeight,
                              AVFrame *dst);

// The long-lived "[in1][in2]overlay" graph that lays one watermark frame over every output frame.
class WatermarkOverlay
{
public:
    // Builds the graph for a W x H canvas in `format`; false when the graph cannot be built.
    bool create(const AVFrame *watermark, QPoint position, int outputWidth, int outputHeight,
                AVPixelFormat format, AVRational sampleAspect);
    bool isActive() const { return graph != nullptr; }
    // Replaces `frame` by the watermarked frame; keeps its pts.
    int apply(AVFrame *frame);
    void reset();

private:
    av::FilterGraphPtr graph;
    av::FramePtr mark;
    // The overlay synchronises its inputs by time; frames are pushed with a counter of our own,
    // because the callers' frames repeat timestamps (every transition frame has pts 0).
    int64_t counter = 0;
};
