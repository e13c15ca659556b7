// SPDX-License-Identifier: GPL-3.0-or-later
// The frames of one picture over its life, with motion, fill and caption; export and preview
// both draw through it, so they show the same frames.
#pragma once

#include "avhandles.h"
#include "picturelook.h"

#include <QRectF>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <vector>

class Album;

// The look of one picture with the album's settings applied.
struct ResolvedLook
{
    bool moving = false;
    QRectF from{0, 0, 1, 1}; // fractions of the picture
    QRectF to{0, 0, 1, 1};
    // A preset or the album's gentle motion: its rectangles take the frame's shape on a picture
    // of nearly that shape (fitToFrame). A custom motion is shown as drawn.
    bool fitsFrame = false;
    Fill fill{FillKind::Black, 0xff000000};
    Caption caption;
    // Faces in fractions of the picture; presets and gentle motion keep them in view when
    // keepFaces is set, and a crop is made around them whenever they are known.
    QVector<QRectF> faces;
    bool keepFaces = false;
    // A video clip plays the part of its file from clipIn to clipOut (microseconds) over its
    // life, whatever the life's frame rate: its speed is the ratio of the two.
    bool isClip = false;
    int64_t clipIn = 0;
    int64_t clipOut = 0;
    // A draft (the preview): a clip whose decoder allows it is decoded at a reduced size.
    bool draft = false;

    // The whole picture, still (a fixed crop is not).
    bool showsWhole() const { return from == QRectF(0, 0, 1, 1) && to == from; }
    // Nothing beyond the letterboxed picture: the plain path renders it, bit for bit as always.
    bool isPlain() const
    {
        return !isClip && showsWhole() && fill.kind == FillKind::Black && caption.isEmpty();
    }
};

// The rectangles of a preset; false for Album, None and Custom.
bool presetRects(MotionKind kind, QRectF *from, QRectF *to);
// The album's gentle motion for picture `index`: a slow zoom, in or out by turns, towards a
// corner that changes from picture to picture.
void gentleRects(int index, QRectF *from, QRectF *to);
// A rectangle is usable when it lies within the picture and is not vanishingly small.
bool motionRectValid(const QRectF &r);
ResolvedLook resolveLook(const Album &job, int index);
// True when a picture of `picture` pixels is within a tenth of a W x H frame's shape: the
// narrower of the two shapes is at least nine tenths of the wider (a 16:10 photo in 16:9).
bool nearFrameShape(QSize picture, int W, int H);
// The look for a picture of `picture` pixels (upright) in a W x H frame: a look that fits the
// frame, on a picture near its shape, gets rectangles of the frame's shape (the preset's moves
// within the largest such part of the picture), so that the picture fills the frame throughout;
// any other look is returned as it is. A crop fill takes the frame's shape out of any picture,
// around its faces; faces kept in view move the preset's rectangles towards them and widen
// them until every face, with a tenth of its size around it, is inside both.
ResolvedLook fitToFrame(const ResolvedLook &look, QSize picture, int W, int H);
// The box around the faces that must stay in view: their bounding box with a tenth of each
// face's size around it, within the picture. Empty without faces.
QRectF facesInView(const QVector<QRectF> &faces);

// Motion runs from the first frame of the transition before a picture to the last frame of the
// one after it.
struct PictureLife
{
    int64_t before = 0; // frames of the transition in
    int64_t alone = 0;
    int64_t after = 0; // frames of the transition out
    int64_t frames() const { return before + alone + after; }
};
PictureLife pictureLife(const Album &job, int index, AVRational fps);

// 0 -> 0, 1 -> 1; starts and ends at rest, without a jolt.
double easeMotion(double progress);

// The frames of one item of the album over its life: a moving picture, or a video clip.
// Thread-safe: the transition thread and the encoder may draw the same item at once.
class FrameSeries
{
public:
    virtual ~FrameSeries() = default;
    // Whether the frames change over the life (a still drawn once is not a series).
    virtual bool moving() const = 0;
    // Whether frames come cheaply only in order (a film's decoder): one drawn far from the last
    // costs a seek, so two readers at different places take turns seeking.
    virtual bool sequential() const { return false; }
    // Frame `step` of a life of `lifeFrames` frames: YUV420P, W x H, video range.
    virtual int render(int64_t step, int64_t lifeFrames, AVFrame *dst) const = 0;
};

class PictureFrames : public FrameSeries
{
public:
    // From an upright decoded picture in any format, for a W x H output. Null, with the FFmpeg
    // code in *error, on failure.
    static std::shared_ptr<const PictureFrames> create(const AVFrame *decoded, int W, int H,
                                                       const ResolvedLook &look, int *error);

    bool moving() const override { return isMoving; }
    int render(int64_t step, int64_t lifeFrames, AVFrame *dst) const override;
    // The part of the picture in view at (eased) progress p, in source pixels.
    QRectF viewAt(double p) const;
    QSize sourceSize() const;

private:
    PictureFrames() = default;
    int prepareCaption(const Caption &caption);
    int prepareFramePool();
    // The whole frame: the backdrop, and over it the view of the picture.
    void drawPicture(const QRectF &view, AVFrame *dst) const;
    void blendCaption(AVFrame *dst) const;

    int W = 0;
    int H = 0;
    bool isMoving = false;
    QRectF from;
    QRectF to;
    av::FramePtr source;   // YUV420P, video range, about the size the motion needs
    av::FramePtr backdrop; // YUV420P W x H: the fill
    // The frames drawn: buffers used again once the encoder or the screen lets them go, so that
    // a frame costs no fresh pages. Thread-safe, as render is.
    av::BufferPoolPtr framePool;
    int planeOffset[3] = {};
    int planeStride[3] = {};
    // The caption at even coordinates: straight colour and alpha, luma then chroma resolution.
    int captionX = 0;
    int captionY = 0;
    int captionW = 0;
    int captionH = 0;
    std::vector<uint8_t> captionLuma, captionAlpha, captionU, captionV, captionChromaAlpha;
};

// How much larger than the letterboxed picture its decode must be for the motion, or a fixed
// crop, to stay sharp.
double motionZoom(const ResolvedLook &look);
// The largest JPEG reduction (lowres) that still covers a W x H output at `zoom`.
int lowresFor(const QString &path, int W, int H, double zoom = 1.0);

// A picture decoded and prepared for its look (a clip gives its frames, ClipFrames): a plain look
// gives the letterboxed still exactly as always; a still with a fill or caption gives that still
// drawn once; a moving one gives its frames and no still. Stills are YUV420P.
struct PreparedLook
{
    int code = 0;
    const char *message = nullptr; // the failing step (untranslated, MediaEncoder context)
    av::FramePtr still;
    std::shared_ptr<const FrameSeries> frames;
};
PreparedLook prepareLook(const QString &path, int W, int H, const ResolvedLook &look);
