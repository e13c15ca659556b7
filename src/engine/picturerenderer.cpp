// SPDX-License-Identifier: GPL-3.0-or-later
// PictureFrames: sub-pixel motion, fills and captions over one picture's life.
#include "picturerenderer.h"
#include "clipsource.h"

#include "album.h"
#include "framegraph.h"
#include "pictureheader.h"
#include "pixelblend.h"
#include "watermark.h"

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/macros.h>
}

#include <QFont>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Preset motion: a fifth of the picture travelled or zoomed, enough to read as movement over
// a few seconds, little enough to keep most of the picture in view.
constexpr double kPresetView = 0.8;
constexpr double kGentleView = 0.9; // a tenth: felt more than seen
// The most a rectangle may enlarge its part of the picture (a tenth of the picture's side).
constexpr double kMaxZoom = 10.0;
// Fill: blurred at an eighth of the output size, where a small blur is cheap and becomes a wide
// one when enlarged; darkened so that the picture stands out against its copy.
constexpr int kBlurReduction = 8;

// Keys' cubic (a = -0.5): sharp, and interpolating, so a still at scale 1 is drawn unchanged.
double cubicWeight(double x)
{
    x = std::fabs(x);
    if (x < 1)
        return (1.5 * x - 2.5) * x * x + 1;
    if (x < 2)
        return ((-0.5 * x + 2.5) * x - 4) * x + 2;
    return 0;
}

// The taps of each output sample: source positions first .. first + count - 1, not clamped
// (the drawing clamps rows and pads columns), and weights in fixed point that sum to one.
struct Taps
{
    int count = 0;
    std::vector<int> first;
    std::vector<int16_t> weight; // count per sample
};

// For output samples 0..n-1 whose centres map to source centre positions centre(i).
template <typename Centre> Taps makeTaps(int n, double sourcePerOutput, Centre centre)
{
    const double stretch = std::max(1.0, sourcePerOutput); // widen the kernel when reducing
    const double support = 2 * stretch;
    constexpr int one = 1 << pixelblend::kTapBits;
    Taps t;
    // The integers strictly within `support` of a centre: at most ceil(2 support) of them.
    t.count = std::max(1, int(std::ceil(2 * support)));
    t.first.assign(size_t(n), 0);
    t.weight.assign(size_t(n) * t.count, 0);
    std::vector<double> w(size_t(t.count));
    for (int i = 0; i < n; ++i) {
        const double c = centre(i);
        const int first = int(std::floor(c - support + 1e-9)) + 1;
        t.first[size_t(i)] = first;
        double sum = 0;
        for (int k = 0; k < t.count; ++k) {
            w[size_t(k)] = cubicWeight((first + k - c) / stretch);
            sum += w[size_t(k)];
        }
        // What rounding leaves over goes to the largest weight, so that the weights sum to one
        // exactly and a flat area stays flat.
        int16_t *out = &t.weight[size_t(i) * t.count];
        int total = 0, largest = 0;
        for (int k = 0; k < t.count; ++k) {
            out[k] = int16_t(sum != 0 ? std::lrint(w[size_t(k)] / sum * one) : 0);
            total += out[k];
            if (out[k] > out[largest])
                largest = k;
        }
        out[largest] = int16_t(out[largest] + one - total);
    }
    return t;
}

// The taps across as resampleAcross takes them: a window of `span` columns for each pair of
// outputs, from start[p], and the columns lo..hi that the windows read.
struct Across
{
    int span = 0;
    std::vector<int> start;
    std::vector<int16_t> weight;
    int lo = 0, hi = 0;
};

Across acrossTaps(const Taps &t)
{
    const int n = int(t.first.size());
    Across a;
    a.start.resize(size_t(n + 1) / 2);
    int widest = 0;
    for (int i = 0; i < n; i += 2) {
        const int f0 = t.first[size_t(i)], f1 = i + 1 < n ? t.first[size_t(i + 1)] : f0;
        a.start[size_t(i / 2)] = std::min(f0, f1);
        widest = std::max(widest, std::max(f0, f1) - std::min(f0, f1) + t.count);
    }
    a.span = (widest + 7) / 8 * 8;
    a.weight.assign(pixelblend::acrossWeightCount(n, a.span), 0);
    for (int i = 0; i < n; ++i) {
        const int offset = t.first[size_t(i)] - a.start[size_t(i / 2)];
        for (int k = 0; k < t.count; ++k)
            a.weight[pixelblend::acrossWeightIndex(i, offset + k, a.span)] =
                t.weight[size_t(i) * t.count + k];
    }
    const auto [lo, hi] = std::minmax_element(a.start.begin(), a.start.end());
    a.lo = *lo;
    a.hi = *hi + a.span - 1;
    return a;
}

// The share of output sample i (units of `unit` output pixels) that the picture covers, which
// spans [lo, hi) in output pixels: sub-pixel edges, so a moving edge glides rather than steps.
std::vector<float> coverage(int n, int unit, double lo, double hi)
{
    std::vector<float> c(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double a = std::max(double(i) * unit, lo);
        const double b = std::min(double(i + 1) * unit, hi);
        c[size_t(i)] = float(std::clamp((b - a) / unit, 0.0, 1.0));
    }
    return c;
}

uint8_t toByte(float v)
{
    return uint8_t(std::clamp(int(v + 0.5f), 0, 255)); // negatives clamp to 0 either way
}

// The first and one past the last of the samples [from, to) that are 1: the picture covers a
// run of whole samples with at most a part-covered one at each end.
std::pair<int, int> wholeRun(const std::vector<float> &cover, int from, int to)
{
    int a = from, b = to;
    while (a < to && cover[size_t(a)] < 1)
        ++a;
    while (b > a && cover[size_t(b - 1)] < 1)
        --b;
    return {a, b};
}

// A plane of the backdrop copied everywhere but in [x0, x1) x [y0, y1), which the picture
// covers whole and the drawing writes anyway.
void copyAround(const uint8_t *src, int srcStride, uint8_t *dst, int dstStride, int w, int h,
                int x0, int x1, int y0, int y1)
{
    if (x0 >= x1 || y0 >= y1)
        x0 = x1 = y0 = y1 = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t *s = src + size_t(y) * srcStride;
        uint8_t *d = dst + size_t(y) * dstStride;
        if (y < y0 || y >= y1) {
            std::memcpy(d, s, size_t(w));
        } else {
            std::memcpy(d, s, size_t(x0));
            std::memcpy(d + x1, s + x1, size_t(w - x1));
        }
    }
}

// Scratch of one drawing thread, kept between frames: allocating it per frame costs a page
// fault per 4 KiB.
thread_local std::vector<int16_t> t_columns; // one row resampled down, at kDownBits
thread_local std::vector<uint8_t> t_under;   // backdrop under the part-covered samples
thread_local std::vector<const uint8_t *> t_rows;
thread_local std::vector<int16_t> t_rowWeights;

QRectF interpolate(const QRectF &a, const QRectF &b, double t)
{
    return QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t,
                  a.width() + (b.width() - a.width()) * t,
                  a.height() + (b.height() - a.height()) * t);
}

QString colourText(QRgb c)
{
    return QColor::fromRgb(c).name(QColor::HexRgb);
}

int makeBackdrop(const Fill &fill, const AVFrame *picture, int W, int H, AVFrame *dst)
{
    // Behind a crop, seen only where faces too far apart leave bars, as behind a blur fill.
    if (fill.kind != FillKind::Blur && fill.kind != FillKind::Crop)
        return makeColorFrame(dst, W, H, AV_PIX_FMT_YUV420P,
                              fill.kind == FillKind::Colour ? colourText(fill.colour)
                                                            : QStringLiteral("black"));
    const int w = std::max(2, (W / kBlurReduction) & ~1);
    const int h = std::max(2, (H / kBlurReduction) & ~1);
    const QString desc =
        QStringLiteral("scale=w=%1:h=%2:force_original_aspect_ratio=increase:flags=area,"
                       "crop=%1:%2,gblur=sigma=4:steps=3,"
                       "lutyuv=y=16+(val-16)*0.55:u=128+(val-128)*0.85:v=128+(val-128)*0.85,"
                       "scale=w=%3:h=%4:flags=bicubic,format=yuv420p")
            .arg(QString::number(w), QString::number(h), QString::number(W), QString::number(H));
    return filterOnce(desc, picture, dst, AV_PIX_FMT_YUV420P);
}

// Caption margins: clear of the edge by a share of the output, more than a watermark's 1 %,
// so that text does not crowd the frame.
constexpr double kCaptionMarginX = 0.03;
constexpr double kCaptionMarginY = 0.04;
QPoint captionPlacement(int code, int W, int H, int w, int h)
{
    const int mx = int(W * kCaptionMarginX), my = int(H * kCaptionMarginY);
    const int cx = (W - w) / 2, cy = (H - h) / 2;
    int x = cx, y = H - my - h;
    switch (code) {
    case LeftTop:
        x = mx;
        y = my;
        break;
    case Top:
        x = cx;
        y = my;
        break;
    case RightTop:
        x = W - mx - w;
        y = my;
        break;
    case Left:
        x = mx;
        y = cy;
        break;
    case Center:
        x = cx;
        y = cy;
        break;
    case Right:
        x = W - mx - w;
        y = cy;
        break;
    case LeftBottom:
        x = mx;
        y = H - my - h;
        break;
    case RightBottom:
        x = W - mx - w;
        y = H - my - h;
        break;
    default:
        break;
    }
    return {x, y};
}

} // namespace

bool presetRects(MotionKind kind, QRectF *from, QRectF *to)
{
    const double v = kPresetView, m = (1 - v) / 2, e = 1 - v;
    const QRectF whole(0, 0, 1, 1);
    switch (kind) {
    case MotionKind::ZoomIn:
        *from = whole;
        *to = QRectF(m, m, v, v);
        return true;
    case MotionKind::ZoomOut:
        *from = QRectF(m, m, v, v);
        *to = whole;
        return true;
    case MotionKind::PanLeft:
        *from = QRectF(e, m, v, v);
        *to = QRectF(0, m, v, v);
        return true;
    case MotionKind::PanRight:
        *from = QRectF(0, m, v, v);
        *to = QRectF(e, m, v, v);
        return true;
    case MotionKind::PanUp:
        *from = QRectF(m, e, v, v);
        *to = QRectF(m, 0, v, v);
        return true;
    case MotionKind::PanDown:
        *from = QRectF(m, 0, v, v);
        *to = QRectF(m, e, v, v);
        return true;
    default:
        return false;
    }
}

void gentleRects(int index, QRectF *from, QRectF *to)
{
    // Towards the four quarters in turn, zooming in on even pictures and out on odd ones.
    static const double anchors[4][2] = {{0.3, 0.35}, {0.7, 0.35}, {0.7, 0.65}, {0.3, 0.65}};
    const double *a = anchors[(index / 2) % 4];
    const double v = kGentleView;
    const QRectF whole(0, 0, 1, 1);
    const QRectF part((1 - v) * a[0], (1 - v) * a[1], v, v);
    *from = index % 2 == 0 ? whole : part;
    *to = index % 2 == 0 ? part : whole;
}

bool motionRectValid(const QRectF &r)
{
    constexpr double slack = 1e-9;
    return r.width() >= 1 / kMaxZoom - slack && r.height() >= 1 / kMaxZoom - slack &&
           r.x() >= -slack && r.y() >= -slack && r.right() <= 1 + slack && r.bottom() <= 1 + slack;
}

ResolvedLook resolveLook(const Album &job, int index)
{
    const PictureOptions o = job.optionsAt(index);
    ResolvedLook look;
    switch (o.motion.kind) {
    case MotionKind::Album:
        if (job.gentleMotion) {
            gentleRects(index, &look.from, &look.to);
            look.fitsFrame = true;
        }
        break;
    case MotionKind::None:
        break;
    case MotionKind::Custom:
        if (motionRectValid(o.motion.from) && motionRectValid(o.motion.to)) {
            look.from = o.motion.from;
            look.to = o.motion.to;
        }
        break;
    default:
        look.fitsFrame = presetRects(o.motion.kind, &look.from, &look.to);
        break;
    }
    if (job.isClip(index)) {
        // A clip moves by itself: no motion over it.
        look.from = look.to = QRectF(0, 0, 1, 1);
        look.fitsFrame = false;
        look.isClip = true;
        look.clipIn = job.clipIn(index);
        look.clipOut = job.clipOut(index);
    }
    look.moving = look.from != look.to;
    look.fill = o.fill.kind == FillKind::Album ? job.albumFill : o.fill;
    if (look.fill.kind == FillKind::Album)
        look.fill.kind = FillKind::Black;
    look.caption = o.caption;
    if (index >= 0 && index < job.materialOrder.size() &&
        (job.keepFaces || look.fill.kind == FillKind::Crop))
        look.faces = job.materials.value(job.materialOrder[index]).facts.faces;
    look.keepFaces = job.keepFaces;
    // Fields are kept in the album as typed and filled in here, so that every picture shows its
    // own date and name and the interface language of the moment.
    if (hasCaptionFields(o.caption.text) && index >= 0 && index < job.materialOrder.size()) {
        const QString &szPath = job.materialOrder[index];
        look.caption.text =
            expandCaptionFields(o.caption.text, szPath, job.materials.value(szPath).facts);
    }
    return look;
}

bool nearFrameShape(QSize picture, int W, int H)
{
    if (picture.width() <= 0 || picture.height() <= 0 || W <= 0 || H <= 0)
        return false;
    // The two shapes as pw / ph and W / H, compared exactly: pw H against ph W.
    const int64_t a = int64_t(picture.width()) * H, b = int64_t(picture.height()) * W;
    return 10 * std::min(a, b) >= 9 * std::max(a, b);
}

namespace {

// The largest part of a picture of `picture` pixels with a W x H frame's shape, as fractions
// of the picture, centred on `centre` as far as the picture allows.
QRectF frameShapedPart(QSize picture, int W, int H, QPointF centre)
{
    const double shape = double(picture.width()) * H / (double(picture.height()) * W);
    QRectF part(0, 0, 1, 1);
    if (shape > 1)
        part.setWidth(1 / shape);
    else if (shape < 1)
        part.setHeight(shape);
    part.moveLeft(std::clamp(centre.x() - part.width() / 2, 0.0, 1 - part.width()));
    part.moveTop(std::clamp(centre.y() - part.height() / 2, 0.0, 1 - part.height()));
    return part;
}

// `r` moved as little as it takes to hold `keep`, enlarged first about its centre and in its
// shape when smaller; within the picture, where a side that reaches the picture's stops.
QRectF holding(QRectF r, const QRectF &keep)
{
    if (r.isEmpty() || keep.isEmpty())
        return r;
    const double grow = std::max({1.0, keep.width() / r.width(), keep.height() / r.height()});
    const QPointF centre = r.center();
    r.setSize(QSizeF(std::min(1.0, r.width() * grow), std::min(1.0, r.height() * grow)));
    r.moveCenter(centre);
    // Within the picture and over the box: both ranges meet, as the box lies in the picture.
    auto place = [](double at, double size, double lo, double hi) {
        return std::clamp(at, std::max(hi - size, 0.0), std::min(lo, 1 - size));
    };
    r.moveLeft(place(r.left(), r.width(), keep.left(), keep.right()));
    r.moveTop(place(r.top(), r.height(), keep.top(), keep.bottom()));
    return r;
}

} // namespace

namespace {

// A look whose rectangles are placed by its faces or cropped to the frame: see fitToFrame.
ResolvedLook fitAroundFaces(const ResolvedLook &look, QSize picture, int W, int H, bool crop,
                            const QRectF &keep)
{
    const QRectF whole(0, 0, 1, 1);
    const QPointF centre = keep.isEmpty() ? whole.center() : keep.center();
    const QRectF base =
        crop || nearFrameShape(picture, W, H) ? frameShapedPart(picture, W, H, centre) : whole;
    auto inBase = [&base](const QRectF &r) {
        return QRectF(base.x() + r.x() * base.width(), base.y() + r.y() * base.height(),
                      r.width() * base.width(), r.height() * base.height());
    };
    ResolvedLook shaped = look;
    shaped.from = inBase(look.from);
    shaped.to = inBase(look.to);
    if (!keep.isEmpty()) {
        // Towards the faces: a zoom's near end is centred on them, a pan runs through them
        // across its way.
        const bool fromWhole = look.from == whole, toWhole = look.to == whole;
        if (fromWhole != toWhole) {
            QRectF &part = fromWhole ? shaped.to : shaped.from;
            part.moveCenter(centre);
        } else if (!fromWhole) {
            if (std::fabs(look.from.x() - look.to.x()) < 1e-9) {
                shaped.from.moveLeft(centre.x() - shaped.from.width() / 2);
                shaped.to.moveLeft(centre.x() - shaped.to.width() / 2);
            }
            if (std::fabs(look.from.y() - look.to.y()) < 1e-9) {
                shaped.from.moveTop(centre.y() - shaped.from.height() / 2);
                shaped.to.moveTop(centre.y() - shaped.to.height() / 2);
            }
        }
        // Every rectangle between the two is their mix, so holding the faces at both ends
        // holds them throughout.
        shaped.from = holding(shaped.from, keep);
        shaped.to = holding(shaped.to, keep);
    }
    shaped.moving = shaped.from != shaped.to;
    return shaped;
}

} // namespace

QRectF facesInView(const QVector<QRectF> &faces)
{
    QRectF box;
    for (const QRectF &f : faces) {
        if (f.width() <= 0 || f.height() <= 0)
            continue;
        const QRectF margin =
            f.adjusted(-f.width() / 10, -f.height() / 10, f.width() / 10, f.height() / 10);
        box = box.isNull() ? margin : box.united(margin);
    }
    return box.isNull() ? box : box.intersected(QRectF(0, 0, 1, 1));
}

ResolvedLook fitToFrame(const ResolvedLook &look, QSize picture, int W, int H)
{
    const bool crop = look.fill.kind == FillKind::Crop && !look.isClip && W > 0 && H > 0 &&
                      picture.width() > 0 && picture.height() > 0;
    const QRectF keep = facesInView(look.faces);
    // A custom motion is drawn as it is, crop or not.
    if ((crop && (look.fitsFrame || !look.moving)) ||
        (look.keepFaces && !keep.isEmpty() && look.fitsFrame))
        return fitAroundFaces(look, picture, W, H, crop, keep);
    if (!look.fitsFrame || !nearFrameShape(picture, W, H))
        return look;
    // The largest part of the picture with the frame's shape, centred; the rectangles, made for
    // the whole picture, are taken into it.
    const double shape = double(picture.width()) * H / (double(picture.height()) * W);
    QRectF base(0, 0, 1, 1);
    if (shape > 1)
        base = QRectF((1 - 1 / shape) / 2, 0, 1 / shape, 1);
    else if (shape < 1)
        base = QRectF(0, (1 - shape) / 2, 1, shape);
    auto inBase = [&base](const QRectF &r) {
        return QRectF(base.x() + r.x() * base.width(), base.y() + r.y() * base.height(),
                      r.width() * base.width(), r.height() * base.height());
    };
    ResolvedLook shaped = look;
    shaped.from = inBase(look.from);
    shaped.to = inBase(look.to);
    return shaped;
}

PictureLife pictureLife(const Album &job, int index, AVRational fps)
{
    PictureLife life;
    const int count = job.materialOrder.size();
    life.before = index > 0 ? job.slotFrameCount(index - 1, fps) : 0;
    life.alone = job.pictureFrameCount(index, fps);
    life.after = index + 1 < count ? job.slotFrameCount(index, fps) : 0;
    return life;
}

double easeMotion(double p)
{
    p = std::clamp(p, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(M_PI * p);
}

double motionZoom(const ResolvedLook &look)
{
    if (look.showsWhole())
        return 1.0;
    const double smallest =
        std::min({look.from.width(), look.from.height(), look.to.width(), look.to.height()});
    return std::clamp(1.0 / std::max(smallest, 1e-6), 1.0, kMaxZoom);
}

int lowresFor(const QString &path, int W, int H, double zoom)
{
    const PictureHeader hdr = readPictureHeader(path);
    const int w = int(std::ceil(W * zoom)), h = int(std::ceil(H * zoom));
    const LetterboxGeometry stored = letterboxGeometry(hdr.width, hdr.height, w, h);
    const LetterboxGeometry turned = letterboxGeometry(hdr.height, hdr.width, w, h);
    return lowresKeeping(hdr, QSize(stored.width, stored.height),
                         QSize(turned.width, turned.height));
}

std::shared_ptr<const PictureFrames> PictureFrames::create(const AVFrame *decoded, int W, int H,
                                                           const ResolvedLook &look, int *error)
{
    int ret = 0;
    auto fail = [&](int code) {
        if (error)
            *error = code;
        return nullptr;
    };
    if (!decoded || decoded->width <= 0 || decoded->height <= 0 || W <= 0 || H <= 0)
        return fail(AVERROR(EINVAL));
    const ResolvedLook shaped = fitToFrame(look, QSize(decoded->width, decoded->height), W, H);
    std::shared_ptr<PictureFrames> p(new PictureFrames);
    p->W = W;
    p->H = H;
    p->isMoving = shaped.moving;
    p->from = shaped.from;
    p->to = shaped.to;
    p->source = av::makeFrame();
    p->backdrop = av::makeFrame();
    if (!p->source || !p->backdrop || av_frame_ref(p->source.get(), decoded) < 0)
        return fail(AVERROR(ENOMEM));
    ret = flattenAlpha(p->source.get(), AV_PIX_FMT_YUV420P);
    if (ret >= 0)
        ret = convertPixelFormat(p->source.get(), p->source.get(), AV_PIX_FMT_YUV420P);
    if (ret < 0)
        return fail(ret);
    // Kept no larger than the motion needs: the draw's cost follows the source's rows.
    const double zoom = motionZoom(shaped);
    const LetterboxGeometry need = letterboxGeometry(
        p->source->width, p->source->height, int(std::ceil(W * zoom)), int(std::ceil(H * zoom)));
    if (need.width > 0 && need.height > 0 && need.width < p->source->width &&
        need.height < p->source->height) {
        ret = scaleFrame(p->source.get(), p->source.get(), need.width, need.height);
        if (ret < 0)
            return fail(ret);
        // Placed again on the source as kept, whose rounded size would otherwise leave a sliver
        // of backdrop along the edges of a crop.
        if (look.fill.kind == FillKind::Crop || (look.keepFaces && !look.faces.isEmpty())) {
            const ResolvedLook kept =
                fitToFrame(look, QSize(p->source->width, p->source->height), W, H);
            p->from = kept.from;
            p->to = kept.to;
        }
    }
    ret = makeBackdrop(look.fill, p->source.get(), W, H, p->backdrop.get());
    if (ret >= 0)
        ret = p->prepareFramePool();
    if (ret >= 0)
        ret = p->prepareCaption(look.caption);
    if (ret < 0)
        return fail(ret);
    return p;
}

int PictureFrames::prepareFramePool()
{
    // YUV420P in one buffer, rows aligned for the vector kernels and the encoder, and padded at
    // the end as FFmpeg pads its own buffers.
    constexpr int align = 64;
    const int cw = (W + 1) / 2, ch = (H + 1) / 2;
    planeStride[0] = FFALIGN(W, align);
    planeStride[1] = planeStride[2] = FFALIGN(cw, align);
    planeOffset[0] = 0;
    planeOffset[1] = planeStride[0] * H;
    planeOffset[2] = planeOffset[1] + planeStride[1] * ch;
    const size_t size = size_t(planeOffset[2]) + size_t(planeStride[2]) * ch + align;
    framePool.reset(av_buffer_pool_init(size, av_buffer_alloc));
    return framePool ? 0 : AVERROR(ENOMEM);
}

int PictureFrames::prepareCaption(const Caption &caption)
{
    if (caption.isEmpty())
        return 0;
    QFont font(caption.family.isEmpty() ? QGuiApplication::font().family() : caption.family);
    font.setPixelSize(std::max(
        6,
        int(std::lround(std::clamp(caption.sizeOfHeight, kMinCaptionSize, kMaxCaptionSize) * H))));
    font.setWeight(QFont::DemiBold);
    // Within the frame less the caption's margins: wrapped, then shrunk, then cut short.
    TextBox box;
    box.size = QSize(W - 2 * int(W * kCaptionMarginX), H - 2 * int(H * kCaptionMarginY));
    box.maxLines = kMaxCaptionLines;
    box.minPixelSize = std::max(6, int(std::lround(kMinCaptionSize * H)));
    // Kept premultiplied and straightened pixel by pixel below: Qt converts a large image on
    // its global thread pool, whose threads would outlive the picture.
    const QImage image =
        drawTextImage(caption.text, font, QColor::fromRgba(caption.colour), caption.effect, box)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return 0;
    // Clipped to the frame, at even coordinates so that the chroma lines up.
    const QPoint at = captionPlacement(caption.position, W, H, image.width(), image.height());
    const int x0 = std::max(0, at.x()) & ~1, y0 = std::max(0, at.y()) & ~1;
    const int sx = x0 - at.x(), sy = y0 - at.y(); // first image column and row used
    captionX = x0;
    captionY = y0;
    captionW = std::min(W - x0, image.width() - std::max(0, sx)) & ~1;
    captionH = std::min(H - y0, image.height() - std::max(0, sy)) & ~1;
    if (captionW <= 0 || captionH <= 0) {
        captionW = captionH = 0;
        return 0;
    }
    const size_t n = size_t(captionW) * captionH;
    captionLuma.assign(n, 0);
    captionAlpha.assign(n, 0);
    std::vector<float> u(n), v(n);
    for (int y = 0; y < captionH; ++y) {
        const int iy = y + std::max(0, sy);
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(iy));
        for (int x = 0; x < captionW; ++x) {
            const int ix = x + std::max(0, sx);
            const QRgb px = ix < image.width() && iy < image.height() ? qUnpremultiply(row[ix]) : 0;
            const double r = qRed(px), g = qGreen(px), b = qBlue(px);
            const size_t k = size_t(y) * captionW + x;
            // BT.601 in the video range: the encoder's frames carry no other colour matrix.
            captionLuma[k] = toByte(float(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255));
            u[k] = float(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255);
            v[k] = float(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255);
            captionAlpha[k] = uint8_t(qAlpha(px));
        }
    }
    const int cw = captionW / 2, ch = captionH / 2;
    captionU.assign(size_t(cw) * ch, 128);
    captionV.assign(size_t(cw) * ch, 128);
    captionChromaAlpha.assign(size_t(cw) * ch, 0);
    for (int y = 0; y < ch; ++y) {
        for (int x = 0; x < cw; ++x) {
            float a = 0, su = 0, sv = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const size_t k = size_t(2 * y + dy) * captionW + 2 * x + dx;
                    a += captionAlpha[k];
                    su += captionAlpha[k] * u[k];
                    sv += captionAlpha[k] * v[k];
                }
            const size_t c = size_t(y) * cw + x;
            if (a > 0) {
                captionU[c] = toByte(su / a);
                captionV[c] = toByte(sv / a);
            }
            captionChromaAlpha[c] = toByte(a / 4);
        }
    }
    return 0;
}

QSize PictureFrames::sourceSize() const
{
    return QSize(source->width, source->height);
}

QRectF PictureFrames::viewAt(double p) const
{
    const QRectF r = interpolate(from, to, p);
    return QRectF(r.x() * source->width, r.y() * source->height, r.width() * source->width,
                  r.height() * source->height);
}

int PictureFrames::render(int64_t step, int64_t lifeFrames, AVFrame *dst) const
{
    if (!dst)
        return AVERROR(EINVAL);
    av_frame_unref(dst);
    dst->buf[0] = av_buffer_pool_get(framePool.get());
    if (!dst->buf[0])
        return AVERROR(ENOMEM);
    for (int plane = 0; plane < 3; ++plane) {
        dst->data[plane] = dst->buf[0]->data + planeOffset[plane];
        dst->linesize[plane] = planeStride[plane];
    }
    dst->extended_data = dst->data;
    dst->format = AV_PIX_FMT_YUV420P;
    dst->width = W;
    dst->height = H;
    dst->color_range = AVCOL_RANGE_MPEG;
    const double progress =
        isMoving && lifeFrames > 1
            ? double(std::clamp<int64_t>(step, 0, lifeFrames - 1)) / double(lifeFrames - 1)
            : 0.0;
    drawPicture(viewAt(easeMotion(progress)), dst);
    blendCaption(dst);
    dst->pts = 0;
    return 0;
}

// Draws the view of the source centred in the frame, as large as fits, over the backdrop.
// Separable: each output row is resampled down from the source rows it needs, then across,
// with weights from fractional positions, so a view that moves by a tenth of a pixel moves the
// picture by a tenth of a pixel. The backdrop is copied only where the picture does not cover
// whole samples.
void PictureFrames::drawPicture(const QRectF &view, AVFrame *dst) const
{
    const bool shown = view.width() > 0 && view.height() > 0;
    const double scale = shown ? std::min(W / view.width(), H / view.height()) : 1; // per source px
    const double cx = view.center().x(), cy = view.center().y();
    // The picture's edges in output pixels.
    const double left = W / 2.0 - cx * scale, right = W / 2.0 + (source->width - cx) * scale;
    const double top = H / 2.0 - cy * scale, bottom = H / 2.0 + (source->height - cy) * scale;
    for (int plane = 0; plane < 3; ++plane) {
        const int unit = plane ? 2 : 1; // output and source share the 4:2:0 layout
        const int ow = plane ? (W + 1) / 2 : W, oh = plane ? (H + 1) / 2 : H;
        const int sw = plane ? (source->width + 1) / 2 : source->width;
        const int sh = plane ? (source->height + 1) / 2 : source->height;
        const int outStride = dst->linesize[plane];
        const std::vector<float> coverX = coverage(ow, unit, left, right);
        const std::vector<float> coverY = coverage(oh, unit, top, bottom);
        int x0 = 0, x1 = ow, y0 = 0, y1 = oh;
        while (x0 < ow && coverX[size_t(x0)] <= 0)
            ++x0;
        while (x1 > x0 && coverX[size_t(x1 - 1)] <= 0)
            --x1;
        while (y0 < oh && coverY[size_t(y0)] <= 0)
            ++y0;
        while (y1 > y0 && coverY[size_t(y1 - 1)] <= 0)
            --y1;
        if (!shown)
            x0 = x1 = y0 = y1 = 0;
        const auto [wx0, wx1] = wholeRun(coverX, x0, x1);
        const auto [wy0, wy1] = wholeRun(coverY, y0, y1);
        copyAround(backdrop->data[plane], backdrop->linesize[plane], dst->data[plane], outStride,
                   ow, oh, wx0, wx1, wy0, wy1);
        if (x0 >= x1 || y0 >= y1)
            continue;
        const int nx = x1 - x0, ny = y1 - y0;
        // Centre of output sample i, mapped into the source plane's sample grid.
        const Taps tx = makeTaps(nx, 1 / scale, [&](int i) {
            return (cx + ((x0 + i + 0.5) * unit - W / 2.0) / scale) / unit - 0.5;
        });
        const Taps ty = makeTaps(ny, 1 / scale, [&](int i) {
            return (cy + ((y0 + i + 0.5) * unit - H / 2.0) / scale) / unit - 0.5;
        });
        // Down first, into one row of the source's needed columns, then across: the row stays
        // in cache. The row spans every column a tap reads, those beyond the plane's edges
        // holding the edge's sample, so the taps across need no clamp.
        const Across across = acrossTaps(tx);
        const auto [firstLo, firstHi] = std::minmax_element(tx.first.begin(), tx.first.end());
        const int c0 = std::clamp(*firstLo, 0, sw - 1);
        const int c1 = std::clamp(*firstHi + tx.count - 1, 0, sw - 1);
        const int b0 = std::min(across.lo, c0), b1 = std::max(across.hi, c1);
        std::vector<int> start(across.start);
        for (int &f : start)
            f -= b0;
        std::vector<int16_t> &columns = t_columns;
        std::vector<uint8_t> &under = t_under;
        std::vector<const uint8_t *> &rows = t_rows;
        std::vector<int16_t> &rowWeights = t_rowWeights;
        columns.resize(std::max(columns.size(), size_t(b1 - b0 + 1)));
        under.resize(std::max(under.size(), size_t(nx)));
        const uint8_t *src = source->data[plane] + c0;
        const int srcStride = source->linesize[plane];
        int16_t *inside = columns.data() + (c0 - b0);
        for (int j = 0; j < ny; ++j) {
            // The rows this output row reads, each once (clamped at the plane's edges).
            rows.clear();
            rowWeights.clear();
            for (int k = 0; k < ty.count; ++k) {
                const int16_t w = ty.weight[size_t(j) * ty.count + k];
                if (w == 0)
                    continue;
                const uint8_t *line =
                    src + size_t(std::clamp(ty.first[size_t(j)] + k, 0, sh - 1)) * srcStride;
                if (!rows.empty() && rows.back() == line) {
                    rowWeights.back() = int16_t(rowWeights.back() + w);
                } else {
                    rows.push_back(line);
                    rowWeights.push_back(w);
                }
            }
            pixelblend::resampleDown(inside, rows.data(), rowWeights.data(), int(rows.size()),
                                     c1 - c0 + 1);
            std::fill(columns.data(), inside, inside[0]);
            std::fill(inside + (c1 - c0 + 1), columns.data() + (b1 - b0 + 1), inside[c1 - c0]);
            // Across, straight into the frame. Samples the picture covers in part (the row's
            // ends, or the whole of an edge row) are then mixed with the backdrop they hid.
            const int oy = y0 + j;
            uint8_t *out = dst->data[plane] + size_t(oy) * outStride + x0;
            const bool whole = oy >= wy0 && oy < wy1;
            const int e0 = whole ? wx0 - x0 : nx, e1 = whole ? wx1 - x0 : nx;
            std::copy(out, out + e0, under.begin());
            std::copy(out + e1, out + nx, under.begin() + e1);
            pixelblend::resampleAcross(out, columns.data(), start.data(), across.weight.data(),
                                       across.span, nx);
            const float cov = coverY[size_t(oy)];
            auto mix = [&](int i) {
                const float back = under[size_t(i)];
                out[i] = toByte(back + (out[i] - back) * (cov * coverX[size_t(x0 + i)]));
            };
            for (int i = 0; i < e0; ++i)
                mix(i);
            for (int i = e1; i < nx; ++i)
                mix(i);
        }
    }
}

void PictureFrames::blendCaption(AVFrame *dst) const
{
    if (captionW <= 0)
        return;
    auto blend = [](uint8_t *d, const uint8_t *c, const uint8_t *a, int n) {
        for (int i = 0; i < n; ++i)
            if (a[i])
                d[i] = uint8_t((d[i] * (255 - a[i]) + c[i] * a[i] + 127) / 255);
    };
    for (int y = 0; y < captionH; ++y)
        blend(dst->data[0] + size_t(captionY + y) * dst->linesize[0] + captionX,
              &captionLuma[size_t(y) * captionW], &captionAlpha[size_t(y) * captionW], captionW);
    const int cw = captionW / 2;
    for (int y = 0; y < captionH / 2; ++y) {
        const size_t k = size_t(y) * cw;
        blend(dst->data[1] + size_t(captionY / 2 + y) * dst->linesize[1] + captionX / 2,
              &captionU[k], &captionChromaAlpha[k], cw);
        blend(dst->data[2] + size_t(captionY / 2 + y) * dst->linesize[2] + captionX / 2,
              &captionV[k], &captionChromaAlpha[k], cw);
    }
}

PreparedLook prepareLook(const QString &path, int W, int H, const ResolvedLook &look)
{
    PreparedLook p;
    if (look.isClip) {
        p.frames = ClipFrames::create(path, W, H, look, &p.code);
        if (!p.frames)
            p.message = QT_TRANSLATE_NOOP("MediaEncoder", "Clip decode failed");
        return p;
    }
    av::FramePtr frame = av::makeFrame();
    if (!frame) {
        p.code = AVERROR(ENOMEM);
        return p;
    }
    // The decode size follows the rectangles as they will be drawn.
    const PictureHeader hdr = readPictureHeader(path);
    const double zoom = motionZoom(hdr.known ? fitToFrame(look, hdr.upright(), W, H) : look);
    p.code = decodePictureFile(path, frame.get(), lowresFor(path, W, H, zoom));
    if (p.code >= 0 && (frame->width <= 0 || frame->height <= 0))
        p.code = AVERROR_INVALIDDATA;
    if (p.code < 0) {
        p.message = QT_TRANSLATE_NOOP("MediaEncoder", "Image decode failed");
        return p;
    }
    if (look.isPlain()) {
        p.code = preparePicture(frame.get(), W, H, AV_PIX_FMT_YUV420P);
        if (p.code < 0) {
            p.message = QT_TRANSLATE_NOOP("MediaEncoder", "Image zoom failed");
            return p;
        }
        p.still = std::move(frame);
        p.code = 0;
        return p;
    }
    p.frames = PictureFrames::create(frame.get(), W, H, look, &p.code);
    if (!p.frames) {
        p.message = QT_TRANSLATE_NOOP("MediaEncoder", "Image zoom failed");
        return p;
    }
    if (!p.frames->moving()) {
        p.still = av::makeFrame();
        p.code = p.still ? p.frames->render(0, 1, p.still.get()) : AVERROR(ENOMEM);
        p.frames.reset();
        if (p.code < 0)
            p.message = QT_TRANSLATE_NOOP("MediaEncoder", "Image zoom failed");
    }
    return p;
}
