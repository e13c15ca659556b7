// SPDX-License-Identifier: GPL-3.0-or-later
// What a picture may set for its look: motion over it, the fill around it and its caption.
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <cstdint>

enum class MotionKind : uint8_t
{
    Album, // whatever the album gives (still, or gentle motion)
    None,  // still, even when the album moves every picture
    ZoomIn,
    ZoomOut,
    PanLeft,
    PanRight,
    PanUp,
    PanDown,
    Custom, // from `from` to `to`
};

// The part of the picture in view at the start and at the end, as fractions of the picture.
struct Motion
{
    MotionKind kind = MotionKind::Album;
    QRectF from;
    QRectF to;

    bool operator==(const Motion &o) const
    {
        return kind == o.kind && (kind != MotionKind::Custom || (from == o.from && to == o.to));
    }
    bool operator!=(const Motion &o) const { return !(*this == o); }
};

enum class FillKind : uint8_t
{
    Album, // a picture's default: the album's fill
    Black,
    Blur,   // a blurred, darkened copy of the picture
    Colour, // `colour`
    Crop,   // no bars: the picture fills the frame, cropped around its faces or its centre
};

struct Fill
{
    FillKind kind = FillKind::Album;
    QRgb colour = 0xff000000;

    bool operator==(const Fill &o) const
    {
        return kind == o.kind && (kind != FillKind::Colour || colour == o.colour);
    }
    bool operator!=(const Fill &o) const { return !(*this == o); }
};

// Outline or shadow behind text, so that it stays readable on any picture.
enum class TextEffect : uint8_t
{
    Plain,
    Outline,
    Shadow,
};

struct Caption
{
    QString text; // empty: no caption
    QString family;
    double sizeOfHeight = 0.05; // the font's pixel size as a fraction of the output height
    QRgb colour = 0xffffffff;
    int position = 128; // one of the nine WatermarkPosition bits; the bottom centre
    TextEffect effect = TextEffect::Shadow;

    bool isEmpty() const { return text.isEmpty(); }
    bool operator==(const Caption &o) const
    {
        return text == o.text && family == o.family && sizeOfHeight == o.sizeOfHeight &&
               colour == o.colour && position == o.position && effect == o.effect;
    }
    bool operator!=(const Caption &o) const { return !(*this == o); }
};
constexpr double kMinCaptionSize = 0.02;
constexpr double kMaxCaptionSize = 0.2;
// A caption keeps to four lines; the picture panel takes up to 500 characters (an album file
// may hold more).
constexpr int kMaxCaptionLines = 4;
constexpr int kMaxCaptionFieldChars = 500;
