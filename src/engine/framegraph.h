// SPDX-License-Identifier: GPL-3.0-or-later
// The frame-operation layer: a generic filter-graph builder, push and pull, and the one-shot
// picture operations (colour frame, overlay, letterbox, conversions, still-picture decoding).
#pragma once

#include "avhandles.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <cstdint>

struct SourcePadSpec
{
    int mediaType = 0; // 0 video, 1 audio
    int format = -1;   // AVPixelFormat or AVSampleFormat
    int width = 0;
    int height = 0;
    uint64_t channelLayout = 0;
    int sampleRate = 0;
    int channels = 0;
    AVRational timeBase{1, 1};
    AVRational frameRate{0, 1};
    AVRational pixelAspect{0, 1};
    QString label;
};

struct SinkPadSpec
{
    int format = -1;
    QString label;
    int mediaType = 0;
};

// The usual layout of `channels` channels as a mask (0 when it has none), as sources take it.
uint64_t defaultLayoutMask(int channels);
// A video source shaped like `frame` (its format, size and pixel aspect).
SourcePadSpec videoSource(const AVFrame *frame, const QString &label);
// Builds and configures a graph; null on any failure (everything partial is freed).
av::FilterGraphPtr createFilterGraph(const QString &szDescription,
                                     const QList<SourcePadSpec> &sources,
                                     const QList<SinkPadSpec> &sinks,
                                     const AVDictionary *options = nullptr);
// Pushes a clone of `frame` (null: end of stream) into the source named `label`.
int sendFrameToGraph(AVFilterGraph *graph, const QString &label, const AVFrame *frame);
// Pulls one frame from the sink named `label`. EAGAIN is reported as 0 with *gotFrame false.
int receiveFrameFromGraph(AVFilterGraph *graph, const QString &label, AVFrame *dst,
                          bool *gotFrame = nullptr);

int makeColorFrame(AVFrame *dst, int width, int height, AVPixelFormat format,
                   const QString &szColor);
int overlayFrames(const AVFrame *base, AVFrame *dst, const AVFrame *top, int x, int y);
int scaleAndPad(const AVFrame *src, AVFrame *dst, int targetWidth, int targetHeight,
                const QString &szPadColor);
// The result has the usual range of `format` (the video range for YUV), whatever the source's.
int convertPixelFormat(const AVFrame *src, AVFrame *dst, AVPixelFormat format);
// Same format and range, new size.
int scaleFrame(const AVFrame *src, AVFrame *dst, int width, int height);
// Converts with a "format" graph: the same scaler that a graph inserts between filters.
int convertWithGraph(const AVFrame *src, AVFrame *dst, AVPixelFormat format);

// Letterbox geometry of scaleAndPad: the even scaled size and its offset in the target.
struct LetterboxGeometry
{
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};
LetterboxGeometry letterboxGeometry(int srcWidth, int srcHeight, int targetWidth, int targetHeight);

// Largest even size of the source's shape that fits the box. The box may be fractional
// (boxWidth = boxWidthNum / boxWidthDen); sizes are computed exactly, not in doubles.
QSize fitEvenSize(int64_t srcWidth, int64_t srcHeight, int64_t boxWidth, int64_t boxHeight);
QSize fitEvenSizeExact(int64_t srcWidth, int64_t srcHeight, int64_t boxWidthNum,
                       int64_t boxWidthDen, int64_t boxHeightNum, int64_t boxHeightDen);
QSize evenOutputSize(int height, AVRational ratio);
AVRational reduceRatio(int width, int height);

// Decodes the first picture of a still-picture file into `dst`, upright (the EXIF orientation
// applied). A JPEG comes out as plain YUV with its full range marked in color_range, never in a
// yuvj format; one cut before its end is refused (AVERROR_INVALIDDATA). A file that cannot be
// opened gives the opening's own code (no such file, permission denied, not a picture).
// `lowres` asks decoders that can (JPEG) for a 1/2^lowres reduced decode; a JPEG above
// kMaxKeptSide is reduced at least that far, and any other picture above it is scaled down to
// fit, so nothing larger is ever kept. `transposed` tells whether turning it upright swapped
// width and height. When the picture is refused for its size (a side above its kind's limit, or
// a header the decoder's size disagrees with), `refusedSize` receives the size the file
// announced, as stored; otherwise it is made invalid. A picture whose decode would take more
// than kMaxDecodedBytes (judged from its header at the reduction used, or from what a decoder
// of a format without a header we read gave) is refused with AVERROR(EINVAL) and those bytes
// in `refusedBytes` (0 otherwise). A 16-bit picture comes out with 8 bits a channel.
// HEIC and AVIF are read by libheif, an animated WebP gives its first frame, and a video file
// is refused with AVERROR_INVALIDDATA. When `thumbnailEnough` is valid, a HEIC or AVIF that
// carries a thumbnail at least that large (upright) gives the thumbnail instead of the picture.
int decodePictureFile(const QString &szPath, AVFrame *dst, int lowres = 0,
                      bool *transposed = nullptr, QSize *refusedSize = nullptr,
                      int64_t *refusedBytes = nullptr, QSize thumbnailEnough = QSize());
// Whether the file is a video clip (a film FFmpeg can open), which is never taken as a picture.
bool isVideoClipFile(const QString &szPath);
// Whether an opened file is a film rather than a picture: its demuxer is not one of the still
// picture ones (the image pipes, the image file reader, GIF and APNG) and it has a video stream
// that is not a cover picture.
bool isVideoClip(const AVFormatContext *input);
// The largest picture a decoder is allowed to allocate when the file's header cannot be read
// (4096 x 4096); otherwise it is the header's own size, within its kind's limit.
constexpr int64_t kMaxDecodePixels = int64_t(4096) * 4096;

av::FramePtr imageToFrame(const QImage &image);
QImage frameToImage(const AVFrame *frame);
QPixmap frameToPixmap(const AVFrame *frame);

// The still-picture preparation of an export or preview: grey backdrop behind transparent
// parts, letterboxed with black onto the output size. `dst` may be `src`.
int preparePicture(AVFrame *frame, int outputWidth, int outputHeight, AVPixelFormat workFormat);
// Its first step alone: the grey backdrop composited behind a picture with alpha, in place.
int flattenAlpha(AVFrame *frame, AVPixelFormat workFormat);
// Runs `src` once through a one-input graph ("in" -> "out") into `dst`, in `format`.
int filterOnce(const QString &szDescription, const AVFrame *src, AVFrame *dst,
               AVPixelFormat format);

// A one-input graph ("in" -> "out") kept across frames, for filters whose set-up is costly.
av::FilterGraphPtr createFrameFilter(const QString &szDescription, const AVFrame *like,
                                     AVPixelFormat format);

// Path as FFmpeg should see it: absolute, UTF-8, so that no part of a file name is taken for a
// protocol ("pipe:1.jpg") or an option.
QByteArray ffmpegPath(const QString &szPath);
