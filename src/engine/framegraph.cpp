// SPDX-License-Identifier: GPL-3.0-or-later
// Frame operations over libavfilter, libswscale and the still-picture demuxers and decoders.
#include "framegraph.h"

#include "avlog.h"
#include "heifpicture.h"
#include "pictureheader.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

QString ratioText(AVRational r)
{
    return QStringLiteral("%1/%2").arg(r.num).arg(r.den);
}

// Prepends one open-pad entry {label, filter, pad 0} to `list`.
bool prependInOut(AVFilterInOut **list, const QString &label, AVFilterContext *filter)
{
    AVFilterInOut *entry = avfilter_inout_alloc();
    if (!entry)
        return false;
    entry->name = av_strdup(label.toUtf8().constData());
    entry->filter_ctx = filter;
    entry->pad_idx = 0;
    entry->next = *list;
    *list = entry;
    return entry->name != nullptr;
}

// Pushes every given frame into its source, pulls one frame from "out" into dst.
int runOneShot(AVFilterGraph *graph, const QList<QPair<QString, const AVFrame *>> &inputs,
               AVFrame *dst)
{
    for (const auto &in : inputs) {
        int ret = sendFrameToGraph(graph, in.first, in.second);
        if (ret < 0)
            return ret;
    }
    bool got = false;
    int ret = receiveFrameFromGraph(graph, QStringLiteral("out"), dst, &got);
    if (ret < 0)
        return ret;
    if (got)
        return 0;
    // Filters that wait for a following frame (framesync) give their frame at end of stream.
    for (const auto &in : inputs) {
        ret = sendFrameToGraph(graph, in.first, nullptr);
        if (ret < 0)
            return ret;
    }
    ret = receiveFrameFromGraph(graph, QStringLiteral("out"), dst, &got);
    if (ret < 0)
        return ret;
    return got ? 0 : AVERROR(EAGAIN);
}

// Floor of a / b for positive 128-bit values, clamped to int.
int floorDiv(__int128 a, __int128 b)
{
    if (b <= 0 || a <= 0)
        return 0;
    __int128 q = a / b;
    return q > INT32_MAX ? INT32_MAX : static_cast<int>(q);
}

int makeEven(int v)
{
    return (v % 2 != 0) ? v - 1 : v;
}

// The planar formats that swscale calls deprecated, and the same planes without the "j".
AVPixelFormat withoutJ(AVPixelFormat format)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

bool isYuvFormat(int format)
{
    const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(AVPixelFormat(format));
    return d && !(d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) && d->nb_components >= 3;
}

// Colour samples over the whole 0-255 range, as JPEG stores them (grey is always read so).
bool isFullRangeYuv(const AVFrame *frame)
{
    const AVPixelFormat format = AVPixelFormat(frame->format);
    return isYuvFormat(format) &&
           (frame->color_range == AVCOL_RANGE_JPEG || withoutJ(format) != format);
}

// `keepRange`: a full-range picture stays full range (scaling); otherwise the result has the
// usual range of `format` (conversions), as the encoder and the display expect.
int scaleTo(const AVFrame *src, AVFrame *dst, int width, int height, AVPixelFormat format,
            bool keepRange)
{
    if (!src || !dst || width <= 0 || height <= 0 || src->width <= 0 || src->height <= 0)
        return AVERROR(EINVAL);
    av::FramePtr out = av::makeFrame();
    if (!out)
        return AVERROR(ENOMEM);
    out->format = format;
    out->width = width;
    out->height = height;
    int ret = av_frame_get_buffer(out.get(), 0);
    if (ret < 0)
        return ret;
    out->pts = src->pts;
    out->pkt_dts = src->pkt_dts;
    out->pict_type = src->pict_type;
    out->pkt_duration = src->pkt_duration;
    out->sample_aspect_ratio = src->sample_aspect_ratio;
    const bool srcFull = isFullRangeYuv(src);
    const bool dstFull = srcFull && keepRange && isYuvFormat(format);
    if (isYuvFormat(format))
        out->color_range = dstFull ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    const int flags = src->width < width ? SWS_BICUBIC : SWS_AREA;
    // The ranges are options set before initialisation: swscale picks its converters for them.
    av::SwsPtr sws(sws_alloc_context());
    if (!sws)
        return AVERROR(ENOMEM);
    const struct
    {
        const char *name;
        int64_t value;
    } options[] = {{"srcw", src->width},
                   {"srch", src->height},
                   {"src_format", src->format},
                   {"dstw", width},
                   {"dsth", height},
                   {"dst_format", format},
                   {"sws_flags", flags},
                   {"src_range", srcFull ? 1 : 0},
                   {"dst_range", dstFull ? 1 : 0}};
    for (const auto &o : options) {
        ret = av_opt_set_int(sws.get(), o.name, o.value, 0);
        if (ret < 0)
            return ret;
    }
    ret = sws_init_context(sws.get(), nullptr, nullptr);
    if (ret < 0)
        return ret;
    ret = sws_scale(sws.get(), src->data, src->linesize, 0, src->height, out->data, out->linesize);
    if (ret < 0)
        return ret;
    av_frame_unref(dst);
    av_frame_move_ref(dst, out.get());
    return ret;
}

// The 8-bit format with the same channels as a 16-bit RGB or grey one; NONE for any other.
AVPixelFormat eightBitFormat(AVPixelFormat format)
{
    switch (format) {
    case AV_PIX_FMT_RGB48BE:
    case AV_PIX_FMT_RGB48LE:
        return AV_PIX_FMT_RGB24;
    case AV_PIX_FMT_RGBA64BE:
    case AV_PIX_FMT_RGBA64LE:
        return AV_PIX_FMT_RGBA;
    case AV_PIX_FMT_GRAY16BE:
    case AV_PIX_FMT_GRAY16LE:
        return AV_PIX_FMT_GRAY8;
    case AV_PIX_FMT_YA16BE:
    case AV_PIX_FMT_YA16LE:
        return AV_PIX_FMT_YA8;
    default:
        return AV_PIX_FMT_NONE;
    }
}

// A 16-bit picture (a PNG's, a TIFF's) goes to 8 bits straight out of the decoder: the video
// has 8, and every later step (turning, scaling, compositing) then moves half the bytes. One
// larger than the kept size is scaled down in the same pass.
int toEightBits(AVFrame *frame)
{
    const AVPixelFormat eight = eightBitFormat(AVPixelFormat(frame->format));
    if (eight == AV_PIX_FMT_NONE)
        return 0;
    QSize size(frame->width, frame->height);
    if (size.width() > kMaxKeptSide || size.height() > kMaxKeptSide)
        size = fitEvenSize(size.width(), size.height(), kMaxKeptSide, kMaxKeptSide);
    const int ret = scaleTo(frame, frame, size.width(), size.height(), eight, false);
    return ret < 0 ? ret : 0;
}

// Filter chain that turns a picture with this display matrix upright (as ffmpeg's autorotate).
QString uprightFilter(const int32_t *m)
{
    double theta = -av_display_rotation_get(m);
    if (theta != theta) // NaN: degenerate matrix
        return QString();
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    if (std::fabs(theta - 90) < 1.0)
        return m[3] > 0 ? QStringLiteral("transpose=cclock_flip")
                        : QStringLiteral("transpose=clock");
    if (std::fabs(theta - 180) < 1.0) {
        QStringList f;
        if (m[0] < 0)
            f << QStringLiteral("hflip");
        if (m[4] < 0)
            f << QStringLiteral("vflip");
        return f.join(QLatin1Char(','));
    }
    if (std::fabs(theta - 270) < 1.0)
        return m[3] < 0 ? QStringLiteral("transpose=clock_flip")
                        : QStringLiteral("transpose=cclock");
    if (std::fabs(theta) < 1.0 && m[4] < 0)
        return QStringLiteral("vflip");
    if (std::fabs(theta) < 1.0 && m[0] < 0)
        return QStringLiteral("hflip");
    return QString();
}

int applyDisplayMatrix(AVFrame *frame, bool *transposed)
{
    const AVFrameSideData *sd = av_frame_get_side_data(frame, AV_FRAME_DATA_DISPLAYMATRIX);
    if (!sd || sd->size < 9 * sizeof(int32_t))
        return 0;
    const QString filter = uprightFilter(reinterpret_cast<const int32_t *>(sd->data));
    av_frame_remove_side_data(frame, AV_FRAME_DATA_DISPLAYMATRIX);
    if (filter.isEmpty())
        return 0;
    if (transposed)
        *transposed = filter.startsWith(QLatin1String("transpose"));
    SinkPadSpec sink{frame->format, QStringLiteral("out"), 0};
    av::FilterGraphPtr graph =
        createFilterGraph(filter, {videoSource(frame, QStringLiteral("in"))}, {sink});
    if (!graph)
        return AVERROR(EINVAL);
    return runOneShot(graph.get(), {{QStringLiteral("in"), frame}}, frame);
}

bool hasAlpha(int format)
{
    const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(AVPixelFormat(format));
    return d && (d->flags & AV_PIX_FMT_FLAG_ALPHA);
}

} // namespace

uint64_t defaultLayoutMask(int channels)
{
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    const uint64_t mask = layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
    av_channel_layout_uninit(&layout);
    return mask;
}

SourcePadSpec videoSource(const AVFrame *frame, const QString &label)
{
    SourcePadSpec s;
    s.mediaType = 0;
    s.format = frame->format;
    s.width = frame->width;
    s.height = frame->height;
    s.timeBase = {1, 1};
    s.frameRate = {0, 1};
    s.pixelAspect = frame->sample_aspect_ratio;
    s.label = label;
    return s;
}

av::FilterGraphPtr createFilterGraph(const QString &szDescription,
                                     const QList<SourcePadSpec> &sources,
                                     const QList<SinkPadSpec> &sinks, const AVDictionary *options)
{
    av::FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        return nullptr;
    if (options) {
        av::Dict copy;
        if (av_dict_copy(&copy.raw, options, 0) < 0 || av_opt_set_dict(graph.get(), &copy.raw) < 0)
            return nullptr;
    }
    AVFilterInOut *outputsRaw = nullptr;
    AVFilterInOut *inputsRaw = nullptr;
    auto freeLists = [&] {
        avfilter_inout_free(&outputsRaw);
        avfilter_inout_free(&inputsRaw);
    };

    for (const SourcePadSpec &src : sources) {
        const AVFilter *filter = nullptr;
        QString args;
        if (src.mediaType == 0) {
            filter = avfilter_get_by_name("buffer");
            args = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4:pixel_aspect=%5:"
                                  "frame_rate=%6")
                       .arg(src.width)
                       .arg(src.height)
                       .arg(src.format)
                       .arg(ratioText(src.timeBase), ratioText(src.pixelAspect),
                            ratioText(src.frameRate));
        } else if (src.mediaType == 1) {
            filter = avfilter_get_by_name("abuffer");
            args = QStringLiteral("sample_rate=%1:sample_fmt=%2:time_base=%3:channel_layout=%4:"
                                  "channels=%5")
                       .arg(QString::number(src.sampleRate), QString::number(src.format),
                            ratioText(src.timeBase), QString::number(src.channelLayout),
                            QString::number(src.channels));
        }
        AVFilterContext *ctx = nullptr;
        if (!filter ||
            avfilter_graph_create_filter(&ctx, filter, src.label.toUtf8().constData(),
                                         args.toUtf8().constData(), nullptr, graph.get()) < 0 ||
            !prependInOut(&outputsRaw, src.label, ctx)) {
            freeLists();
            return nullptr;
        }
    }
    for (const SinkPadSpec &sink : sinks) {
        const AVFilter *filter = nullptr;
        if (sink.mediaType == 0)
            filter = avfilter_get_by_name("buffersink");
        else if (sink.mediaType == 1)
            filter = avfilter_get_by_name("abuffersink");
        AVFilterContext *ctx = nullptr;
        if (!filter || avfilter_graph_create_filter(&ctx, filter, sink.label.toUtf8().constData(),
                                                    nullptr, nullptr, graph.get()) < 0) {
            freeLists();
            return nullptr;
        }
        int ret;
        if (sink.mediaType == 0) {
            const AVPixelFormat fmts[] = {AVPixelFormat(sink.format), AV_PIX_FMT_NONE};
            ret =
                av_opt_set_int_list(ctx, "pix_fmts", fmts, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
        } else {
            const AVSampleFormat fmts[] = {AVSampleFormat(sink.format), AV_SAMPLE_FMT_NONE};
            ret = av_opt_set_int_list(ctx, "sample_fmts", fmts, AV_SAMPLE_FMT_NONE,
                                      AV_OPT_SEARCH_CHILDREN);
        }
        if (ret < 0 || !prependInOut(&inputsRaw, sink.label, ctx)) {
            freeLists();
            return nullptr;
        }
    }
    const int ret = avfilter_graph_parse_ptr(graph.get(), szDescription.toUtf8().constData(),
                                             &inputsRaw, &outputsRaw, nullptr);
    freeLists();
    if (ret < 0 || avfilter_graph_config(graph.get(), nullptr) < 0)
        return nullptr;
    return graph;
}

int sendFrameToGraph(AVFilterGraph *graph, const QString &label, const AVFrame *frame)
{
    if (!graph)
        return AVERROR(EINVAL);
    AVFilterContext *src = avfilter_graph_get_filter(graph, label.toUtf8().constData());
    if (!src)
        return AVERROR(EINVAL);
    if (!frame)
        return av_buffersrc_add_frame(src, nullptr);
    av::FramePtr clone(av_frame_clone(frame));
    if (!clone)
        return AVERROR(ENOMEM);
    return av_buffersrc_add_frame(src, clone.get());
}

int receiveFrameFromGraph(AVFilterGraph *graph, const QString &label, AVFrame *dst, bool *gotFrame)
{
    if (gotFrame)
        *gotFrame = false;
    if (!graph)
        return AVERROR(EINVAL);
    AVFilterContext *sink = avfilter_graph_get_filter(graph, label.toUtf8().constData());
    if (!sink)
        return AVERROR(EINVAL);
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return AVERROR(ENOMEM);
    const int ret = av_buffersink_get_frame(sink, frame.get());
    if (ret == AVERROR(EAGAIN))
        return 0;
    if (ret < 0)
        return ret;
    if (gotFrame)
        *gotFrame = true;
    if (dst) {
        av_frame_unref(dst);
        av_frame_move_ref(dst, frame.get());
    }
    return ret;
}

int makeColorFrame(AVFrame *dst, int width, int height, AVPixelFormat format,
                   const QString &szColor)
{
    if (!dst || width <= 0 || height <= 0)
        return AVERROR(EINVAL);
    const char *name = av_get_pix_fmt_name(format);
    if (!name)
        return AVERROR(EINVAL);
    const QString desc =
        QStringLiteral("color=size=%1x%2:color=%3,format=pix_fmts='%4'")
            .arg(width)
            .arg(height)
            .arg(szColor.isEmpty() ? QStringLiteral("white") : szColor, QString::fromUtf8(name));
    av::FilterGraphPtr graph =
        createFilterGraph(desc, {}, {SinkPadSpec{format, QStringLiteral("out"), 0}});
    if (!graph)
        return AVERROR(EINVAL);
    return runOneShot(graph.get(), {}, dst);
}

int overlayFrames(const AVFrame *base, AVFrame *dst, const AVFrame *top, int x, int y)
{
    if (!base || !dst || !top)
        return AVERROR(EINVAL);
    if (dst->nb_samples > 0)
        return AVERROR_INVALIDDATA;
    const char *name = av_get_pix_fmt_name(AVPixelFormat(base->format));
    if (!name)
        return AVERROR(EINVAL);
    const QString desc = QStringLiteral("[in1][in2]overlay=:x=%1:y=%2,format=pix_fmts='%3'")
                             .arg(x)
                             .arg(y)
                             .arg(QString::fromUtf8(name));
    av::FilterGraphPtr graph = createFilterGraph(
        desc, {videoSource(base, QStringLiteral("in1")), videoSource(top, QStringLiteral("in2"))},
        {SinkPadSpec{base->format, QStringLiteral("out"), 0}});
    if (!graph)
        return AVERROR(EINVAL);
    return runOneShot(graph.get(), {{QStringLiteral("in1"), base}, {QStringLiteral("in2"), top}},
                      dst);
}

LetterboxGeometry letterboxGeometry(int srcWidth, int srcHeight, int targetWidth, int targetHeight)
{
    LetterboxGeometry g;
    if (srcWidth <= 0 || srcHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return g;
    // sh = srcH / (srcW / tw) and, when that is too tall, sw = srcW / (srcH / th): exactly.
    int sw = targetWidth;
    int sh = floorDiv(__int128(srcHeight) * targetWidth, srcWidth);
    if (__int128(srcHeight) * targetWidth > __int128(targetHeight) * srcWidth) {
        sh = targetHeight;
        sw = floorDiv(__int128(srcWidth) * targetHeight, srcHeight);
    }
    g.width = makeEven(sw);
    g.height = makeEven(sh);
    g.x = (targetWidth - g.width) / 2;
    g.y = (targetHeight - g.height) / 2;
    return g;
}

int scaleAndPad(const AVFrame *src, AVFrame *dst, int targetWidth, int targetHeight,
                const QString &szPadColor)
{
    if (!src || !dst || targetWidth <= 0 || targetHeight <= 0)
        return AVERROR(EINVAL);
    const LetterboxGeometry g =
        letterboxGeometry(src->width, src->height, targetWidth, targetHeight);
    if (g.width <= 0 || g.height <= 0)
        return AVERROR(EINVAL);
    // The pad colour is drawn in the format's usual range, so a full-range picture is brought
    // into it before the pad rather than padded with a grey "black": scaled in its own range,
    // then converted pixel by pixel, the same steps and sums the yuvj formats went through.
    const bool toVideoRange =
        isFullRangeYuv(src) && withoutJ(AVPixelFormat(src->format)) == src->format;
    const QString desc =
        QStringLiteral("scale=%1:%2%8,pad=w=%3:h=%4:x=%5:y=%6:color=%7")
            .arg(g.width)
            .arg(g.height)
            .arg(targetWidth)
            .arg(targetHeight)
            .arg(g.x)
            .arg(g.y)
            .arg(szPadColor.isEmpty() ? QStringLiteral("black") : szPadColor,
                 toVideoRange ? QStringLiteral(":out_range=pc,scale=out_range=tv") : QString());
    av::FilterGraphPtr graph =
        createFilterGraph(desc, {videoSource(src, QStringLiteral("in"))},
                          {SinkPadSpec{src->format, QStringLiteral("out"), 0}});
    if (!graph)
        return AVERROR(EINVAL);
    return runOneShot(graph.get(), {{QStringLiteral("in"), src}}, dst);
}

int convertPixelFormat(const AVFrame *src, AVFrame *dst, AVPixelFormat format)
{
    if (!src || !dst)
        return AVERROR(EINVAL);
    // A full-range picture is brought into the video range even when the format is the same.
    if (src->format == format && !(isFullRangeYuv(src) && isYuvFormat(format))) {
        if (src == dst)
            return 0;
        av_frame_unref(dst);
        return av_frame_ref(dst, src);
    }
    return scaleTo(src, dst, src->width, src->height, format, false);
}

int scaleFrame(const AVFrame *src, AVFrame *dst, int width, int height)
{
    if (!src)
        return AVERROR(EINVAL);
    return scaleTo(src, dst, width, height, AVPixelFormat(src->format), true);
}

int convertWithGraph(const AVFrame *src, AVFrame *dst, AVPixelFormat format)
{
    if (!src || !dst)
        return AVERROR(EINVAL);
    if (src->format == format) {
        if (src != dst) {
            av_frame_unref(dst);
            return av_frame_ref(dst, src);
        }
        return 0;
    }
    const char *name = av_get_pix_fmt_name(format);
    if (!name)
        return AVERROR(EINVAL);
    av::FilterGraphPtr graph = createFilterGraph(
        QStringLiteral("format=pix_fmts='%1'").arg(QString::fromUtf8(name)),
        {videoSource(src, QStringLiteral("in"))}, {SinkPadSpec{format, QStringLiteral("out"), 0}});
    if (!graph)
        return AVERROR(EINVAL);
    const int64_t pts = src->pts;
    const int ret = runOneShot(graph.get(), {{QStringLiteral("in"), src}}, dst);
    if (ret >= 0)
        dst->pts = pts;
    return ret;
}

QSize fitEvenSizeExact(int64_t srcWidth, int64_t srcHeight, int64_t boxWidthNum,
                       int64_t boxWidthDen, int64_t boxHeightNum, int64_t boxHeightDen)
{
    if (srcWidth <= 0 || srcHeight <= 0 || boxWidthNum <= 0 || boxWidthDen <= 0 ||
        boxHeightNum <= 0 || boxHeightDen <= 0)
        return QSize(0, 0);
    // w = bw, h = srcH x bw / srcW; if h > bh: h = bh, w = srcW x bh / srcH.
    int w = floorDiv(__int128(boxWidthNum), boxWidthDen);
    int h = floorDiv(__int128(srcHeight) * boxWidthNum, __int128(srcWidth) * boxWidthDen);
    if (__int128(srcHeight) * boxWidthNum * boxHeightDen >
        __int128(boxHeightNum) * boxWidthDen * srcWidth) {
        h = floorDiv(__int128(boxHeightNum), boxHeightDen);
        w = floorDiv(__int128(srcWidth) * boxHeightNum, __int128(srcHeight) * boxHeightDen);
    }
    return QSize(makeEven(w), makeEven(h));
}

QSize fitEvenSize(int64_t srcWidth, int64_t srcHeight, int64_t boxWidth, int64_t boxHeight)
{
    return fitEvenSizeExact(srcWidth, srcHeight, boxWidth, 1, boxHeight, 1);
}

QSize evenOutputSize(int height, AVRational ratio)
{
    const int h = makeEven(height);
    if (h <= 0 || ratio.num <= 0 || ratio.den <= 0)
        return QSize(0, h);
    const int w = static_cast<int>(av_rescale(h, ratio.num, ratio.den));
    return QSize(makeEven(w), h);
}

AVRational reduceRatio(int width, int height)
{
    AVRational r{0, 1};
    av_reduce(&r.num, &r.den, width, height, 2147483647);
    return r;
}

QByteArray ffmpegPath(const QString &szPath)
{
    if (szPath.isEmpty())
        return QByteArray();
    return QFileInfo(szPath).absoluteFilePath().toUtf8();
}

namespace {

// The first picture of a file FFmpeg reads, with the pixel limit its header allows. 1 when the
// file ends before any picture.
int decodeWithFFmpeg(const QString &szPath, const PictureHeader &hdr, int lowres, AVFrame *frame,
                     QSize *refusedSize)
{
    constexpr int64_t kAlignSlack = 128; // pixels each way, more than any decoder pads
    // The decoders check their buffers' size, padded for alignment, against the limit.
    const int64_t maxPixels =
        hdr.known ? std::max(kMaxDecodePixels, (int64_t(hdr.width) + kAlignSlack) *
                                                   (int64_t(hdr.height) + kAlignSlack))
                  : kMaxDecodePixels;

    av::PacketPtr packet = av::makePacket();
    if (!packet)
        return AVERROR(ENOMEM);

    // A single file, never a numbered sequence: "frame%03d.jpg" and "100% done.jpg" open as named.
    av::Dict openOptions;
    av_dict_set(&openOptions.raw, "pattern_type", "none", 0);
    AVFormatContext *rawInput = nullptr;
    int ret =
        avformat_open_input(&rawInput, ffmpegPath(szPath).constData(), nullptr, &openOptions.raw);
    if (ret < 0)
        return ret; // the real cause: no such file, permission denied, not a picture
    av::InputContextPtr input(rawInput);

    // The still-picture demuxers name the codec when they open; probing the stream further would
    // decode the whole picture once more, so it is only done when they could not.
    auto firstVideo = [&]() -> int {
        for (unsigned i = 0; i < input->nb_streams; ++i)
            if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                input->streams[i]->codecpar->codec_id != AV_CODEC_ID_NONE)
                return int(i);
        return -1;
    };
    int streamIndex = firstVideo();
    if (streamIndex < 0) {
        // Probing decodes too: with the same pixel limit as our own decoder.
        std::vector<AVDictionary *> probeOptions(input->nb_streams, nullptr);
        for (AVDictionary *&d : probeOptions)
            av_dict_set_int(&d, "max_pixels", maxPixels, 0);
        avformat_find_stream_info(input.get(), probeOptions.data());
        for (AVDictionary *&d : probeOptions)
            av_dict_free(&d);
        for (unsigned i = 0; i < input->nb_streams && streamIndex < 0; ++i)
            if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
                streamIndex = int(i);
    }
    if (streamIndex < 0)
        return AVERROR_STREAM_NOT_FOUND;
    // A film's first frame is not a picture of the album.
    if (isVideoClip(input.get()))
        return AVERROR_INVALIDDATA;
    const AVCodecParameters *par = input->streams[streamIndex]->codecpar;
    // Containers that carry the size (unlike the bare picture formats) are judged before decoding.
    if (par->width > 0 && par->height > 0 && int64_t(par->width) * par->height > maxPixels) {
        if (refusedSize)
            *refusedSize = QSize(par->width, par->height);
        return AVERROR(EINVAL);
    }
    const AVCodec *codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return AVERROR_DECODER_NOT_FOUND;
    av::CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder)
        return AVERROR(ENOMEM);
    // The pixel limit below refuses a picture before its buffers exist; the size it refused is
    // kept, so that the caller can say the picture is too large rather than broken.
    RefusedSizeWatch watch(decoder.get());
    struct ReportRefused
    {
        const RefusedSizeWatch &watch;
        QSize *out;
        ~ReportRefused()
        {
            if (out && watch.size().isValid())
                *out = watch.size();
        }
    } reportRefused{watch, refusedSize};
    ret = avcodec_parameters_to_context(decoder.get(), par);
    if (ret < 0)
        return ret;
    // One picture: slice threads only, so the frame comes out of the first packet.
    decoder->thread_type = FF_THREAD_SLICE;
    av::Dict codecOptions;
    av_dict_set_int(&codecOptions.raw, "max_pixels", maxPixels, 0);
    if (lowres > 0 && codec->max_lowres > 0)
        av_dict_set_int(&codecOptions.raw, "lowres", std::min<int>(lowres, codec->max_lowres), 0);
    if (avcodec_open2(decoder.get(), codec, &codecOptions.raw) < 0)
        return AVERROR_DECODER_NOT_FOUND;

    for (;;) {
        ret = av_read_frame(input.get(), packet.get());
        if (ret == AVERROR(EAGAIN))
            continue;
        if (ret == AVERROR_EOF)
            return 1; // no picture in the file: nothing to give
        if (ret < 0)
            return ret;
        if (packet->stream_index != streamIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        // The decoder makes up the rows of a cut JPEG (it only logs it), so the data itself is
        // checked: a picture it decodes must reach its end-of-image marker.
        const bool cut =
            par->codec_id == AV_CODEC_ID_MJPEG && !jpegImageComplete(packet->data, packet->size);
        ret = avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        if (ret < 0)
            return ret;
        ret = avcodec_receive_frame(decoder.get(), frame);
        if (ret == AVERROR(EAGAIN)) {
            // Decoders with a delay give the picture at end of stream.
            avcodec_send_packet(decoder.get(), nullptr);
            ret = avcodec_receive_frame(decoder.get(), frame);
        }
        if (ret == AVERROR_EOF)
            return AVERROR(EAGAIN);
        if (ret < 0)
            return ret;
        if (cut)
            return AVERROR_INVALIDDATA;
        break;
    }
    return 0;
}

} // namespace

// A film rather than a picture: its demuxer is not one of the still
// picture ones (the image pipes, the image file reader, GIF and APNG) and it has a video stream
// that is not a cover picture.
bool isVideoClip(const AVFormatContext *input)
{
    const char *name = input->iformat ? input->iformat->name : nullptr;
    if (!name)
        return false;
    const QByteArray demuxer(name);
    if (demuxer.endsWith("_pipe") || demuxer == "image2" || demuxer == "gif" || demuxer == "apng")
        return false;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream *st = input->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return true;
    }
    return false;
}

bool isVideoClipFile(const QString &szPath)
{
    installEngineLogCallback();
    av::Dict openOptions;
    av_dict_set(&openOptions.raw, "pattern_type", "none", 0);
    AVFormatContext *rawInput = nullptr;
    if (avformat_open_input(&rawInput, ffmpegPath(szPath).constData(), nullptr, &openOptions.raw) <
        0)
        return false;
    av::InputContextPtr input(rawInput);
    // Streams that only show up once packets are read (MPEG-TS, say) need a look at them.
    if (input->nb_streams == 0 && avformat_find_stream_info(input.get(), nullptr) < 0)
        return false;
    return isVideoClip(input.get());
}

int decodePictureFile(const QString &szPath, AVFrame *dst, int lowres, bool *transposed,
                      QSize *refusedSize, int64_t *refusedBytes, QSize thumbnailEnough)
{
    if (transposed)
        *transposed = false;
    if (refusedSize)
        *refusedSize = QSize();
    if (refusedBytes)
        *refusedBytes = 0;
    auto refuseBytes = [refusedBytes](int64_t bytes) {
        if (refusedBytes)
            *refusedBytes = bytes;
        return AVERROR(EINVAL);
    };
    installEngineLogCallback();
    if (szPath.isEmpty() || !dst)
        return AVERROR(EINVAL);
    // Judged from the header before anything is allocated: a picture above its kind's limit is
    // refused, a JPEG above the kept size decodes reduced, and the decoders may allocate the
    // header's size and no more (a file whose header cannot be read, the old 4096 x 4096).
    const PictureHeader hdr = readPictureHeader(szPath);
    const int maxSide = maxSideFor(hdr);
    if (hdr.known && (hdr.width > maxSide || hdr.height > maxSide)) {
        if (refusedSize)
            *refusedSize = QSize(hdr.width, hdr.height);
        return AVERROR(EINVAL);
    }
    lowres = std::max(lowres, leastLowres(hdr));
    // Memory follows pixels and their depth, not the sides: judged before the decoder allocates.
    const int64_t needBytes = decodedBytesFor(hdr, lowres);
    if (needBytes > kMaxDecodedBytes)
        return refuseBytes(needBytes);

    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return AVERROR(ENOMEM);
    int ret = 0;
    // A HEIF or WebP whose header is not known is cut or broken (see readPictureHeader).
    if ((hdr.kind == PictureHeader::Heic || hdr.kind == PictureHeader::Avif ||
         hdr.kind == PictureHeader::Webp) &&
        !hdr.known)
        ret = AVERROR_INVALIDDATA;
    else if (hdr.kind == PictureHeader::Heic || hdr.kind == PictureHeader::Avif)
        ret = decodeHeifFile(szPath, frame.get(), thumbnailEnough);
    else if (hdr.kind == PictureHeader::Webp && hdr.animated)
        ret = decodeAnimatedWebpFile(szPath, frame.get());
    else
        ret = decodeWithFFmpeg(szPath, hdr, lowres, frame.get(), refusedSize);
    if (ret != 0)
        return std::min(ret, 0);
    // swscale warns on every use of the yuvj formats; the same planes as plain YUV with the
    // full range marked mean the same to every conversion that follows.
    const AVPixelFormat plain = withoutJ(AVPixelFormat(frame->format));
    if (plain != frame->format) {
        frame->format = plain;
        frame->color_range = AVCOL_RANGE_JPEG;
    }
    // A format whose header we do not read is judged by what it took.
    const int64_t decodedBytes =
        av_image_get_buffer_size(AVPixelFormat(frame->format), frame->width, frame->height, 1);
    if (decodedBytes > kMaxDecodedBytes)
        return refuseBytes(decodedBytes);
    ret = toEightBits(frame.get());
    if (ret < 0)
        return ret;
    ret = applyDisplayMatrix(frame.get(), transposed);
    if (ret < 0)
        return ret;
    // A PNG decodes whole: what is kept is scaled down at once.
    if (frame->width > kMaxKeptSide || frame->height > kMaxKeptSide) {
        const QSize kept = fitEvenSize(frame->width, frame->height, kMaxKeptSide, kMaxKeptSide);
        ret = scaleFrame(frame.get(), frame.get(), kept.width(), kept.height());
        if (ret < 0)
            return ret;
    }
    av_frame_unref(dst);
    av_frame_move_ref(dst, frame.get());
    return 0;
}

av::FramePtr imageToFrame(const QImage &image)
{
    if (image.isNull())
        return nullptr;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return nullptr;
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = argb.width();
    frame->height = argb.height();
    if (av_frame_get_buffer(frame.get(), 1) < 0)
        return nullptr;
    // ARGB32 rows are 4-byte pixels without padding, so one block copy fills the frame.
    if (frame->linesize[0] != argb.bytesPerLine())
        return nullptr;
    std::memcpy(frame->data[0], argb.constBits(), size_t(argb.sizeInBytes()));
    frame->pts = 0;
    return frame;
}

QImage frameToImage(const AVFrame *frame)
{
    if (!frame || (frame->width <= 0 && frame->height <= 0))
        return QImage();
    av::FramePtr clone(av_frame_clone(frame));
    if (!clone)
        return QImage();
    if (clone->format != AV_PIX_FMT_BGRA &&
        convertPixelFormat(clone.get(), clone.get(), AV_PIX_FMT_BGRA) < 0)
        return QImage();
    const QImage wrapped(clone->data[0], clone->width, clone->height, clone->linesize[0],
                         QImage::Format_ARGB32);
    return wrapped.copy();
}

QPixmap frameToPixmap(const AVFrame *frame)
{
    QPixmap pixmap;
    pixmap.convertFromImage(frameToImage(frame));
    return pixmap;
}

int flattenAlpha(AVFrame *frame, AVPixelFormat workFormat)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return AVERROR(EINVAL);
    // The grey backdrop shows through transparent parts only; an opaque picture is unchanged
    // by it, so it is composited only when the picture has an alpha channel.
    if (!hasAlpha(frame->format))
        return 0;
    av::FramePtr backdrop = av::makeFrame();
    if (!backdrop)
        return AVERROR(ENOMEM);
    // A colour source rounds an odd size down to its chroma grid (a 1 x 1 picture would get
    // no backdrop at all, a 641 x 479 one would lose its last row and column), so odd sizes
    // are composited at full chroma resolution.
    AVPixelFormat backdropFormat = workFormat;
    const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(workFormat);
    if (d && ((frame->width & ((1 << d->log2_chroma_w) - 1)) ||
              (frame->height & ((1 << d->log2_chroma_h) - 1))))
        backdropFormat = AV_PIX_FMT_YUV444P;
    int ret = makeColorFrame(backdrop.get(), frame->width, frame->height, backdropFormat,
                             QStringLiteral("#D9D9D9"));
    if (ret < 0)
        return ret;
    return overlayFrames(backdrop.get(), frame, frame, 0, 0);
}

int preparePicture(AVFrame *frame, int outputWidth, int outputHeight, AVPixelFormat workFormat)
{
    const int ret = flattenAlpha(frame, workFormat);
    if (ret < 0)
        return ret;
    return scaleAndPad(frame, frame, outputWidth, outputHeight, QStringLiteral("black"));
}

av::FilterGraphPtr createFrameFilter(const QString &szDescription, const AVFrame *like,
                                     AVPixelFormat format)
{
    if (!like)
        return nullptr;
    return createFilterGraph(szDescription, {videoSource(like, QStringLiteral("in"))},
                             {SinkPadSpec{format, QStringLiteral("out"), 0}});
}

int filterOnce(const QString &szDescription, const AVFrame *src, AVFrame *dst, AVPixelFormat format)
{
    if (!src || !dst)
        return AVERROR(EINVAL);
    av::FilterGraphPtr graph = createFrameFilter(szDescription, src, format);
    if (!graph)
        return AVERROR(EINVAL);
    return runOneShot(graph.get(), {{QStringLiteral("in"), src}}, dst);
}
