// SPDX-License-Identifier: GPL-3.0-or-later
// Video clips: what a file holds, and its frames upright, with square pixels and in SDR BT.709.
#pragma once

#include "album.h"
#include "avhandles.h"
#include "picturerenderer.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

// The largest clip taken: 8192 a side (and kMaxClipDuration long).
constexpr int kMaxClipSide = 8192;

struct ClipProbe
{
    ClipFacts facts;
    QSize upright;         // as shown: after the display matrix and with square pixels
    int rotation = 0;      // degrees clockwise that turn the stored picture upright
    bool mirrored = false; // the display matrix flips it
    bool hdr = false;      // PQ or HLG transfer: mapped to SDR when decoded
    QString codecName;
};

// The reduction (a power of two) at which a decoder that allows up to maxLowres decodes an
// upright picture that is drawn at `drawn`: the most that keeps it no smaller than drawn.
int clipLowres(int maxLowres, QSize upright, QSize drawn);
// Whether the file holds a film FFmpeg can open (a video stream that is not a still picture),
// judged by content.
bool looksLikeClip(const QString &szPath);
// Reads a clip by content. 0 with *probe filled; else a negative FFmpeg code and, in *reason, the
// plain words of the refusal (untranslated, context "ClipSource"): "damaged clip", "no picture in
// this file", a limit that is passed.
int probeClip(const QString &szPath, ClipProbe *probe, QString *reason = nullptr);
// A clip's facts, or none (duration 0) for a still picture or a file that is not a clip; a known
// picture's header spares the look into the file.
ClipFacts clipFactsOf(const QString &szPath);
// The frame shown `at` microseconds into the file, upright, square-pixelled and SDR, in YUV420P
// video range, scaled to fit within `box` keeping its shape (an invalid box: its upright size, no
// more than 4096 a side). For the strip's tile and the panel.
int decodeClipFrame(const QString &szPath, int64_t at, QSize box, AVFrame *dst);

// A clip over its life in the album: step s of a life of L frames shows the file's frame at
// clipIn + (clipOut - clipIn) * s / L (the last frame that started by then, so a clip whose rate
// changes plays at its real speed), fitted to W x H like a picture, on its fill, under its
// caption. Frames are decoded ahead on a thread of their own, a few at a time; going back or far
// ahead seeks. render() may be called from any one thread at a time.
class ClipFrames : public FrameSeries
{
public:
    static std::shared_ptr<const ClipFrames> create(const QString &szPath, int W, int H,
                                                    const ResolvedLook &look, int *error);
    ~ClipFrames() override;

    bool moving() const override { return true; }
    bool sequential() const override { return true; }
    int render(int64_t step, int64_t lifeFrames, AVFrame *dst) const override;

    struct State;

private:
    ClipFrames() = default;
    std::unique_ptr<State> state;
};
