// SPDX-License-Identifier: GPL-3.0-or-later
// The transitions on 4:2:0 pictures. Positions are worked out in luma samples: a chroma sample
// stands for the centre of its 2 x 2 luma samples, so an edge falls where it falls in the
// full-chroma picture that xfade would draw and the video would take down to 4:2:0.
#include "yuvtransition.h"

#include "pixelblend.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <list>
#include <mutex>

enum class YuvTransition::Kind
{
    FadeBlack,
    FadeWhite,
    RectCrop,
    Radial,
    HBlur,
    Pixelize,
    ZoomIn,
    SlideDown,
    SlideLeft,
    SlideRight,
    WipeUp,
    WipeDown,
    WipeLeft,
    WipeRight,
    SmoothUp,
    SmoothDown,
    SmoothLeft,
    SmoothRight,
    CircleClose,
    CircleOpen,
    VertClose,
    VertOpen,
    HorzClose,
};

using Kind = YuvTransition::Kind;

namespace {

struct NamedKind
{
    const char *name;
    Kind kind;
};

const NamedKind kNamedKinds[] = {
    {"fadeblack", Kind::FadeBlack},
    {"fadewhite", Kind::FadeWhite},
    {"rectcrop", Kind::RectCrop},
    {"radial", Kind::Radial},
    {"hblur", Kind::HBlur},
    {"pixelize", Kind::Pixelize},
    {"zoomin", Kind::ZoomIn},
    {"slidedown", Kind::SlideDown},
    {"slideleft", Kind::SlideLeft},
    {"slideright", Kind::SlideRight},
    {"wipeup", Kind::WipeUp},
    {"wipedown", Kind::WipeDown},
    {"wipeleft", Kind::WipeLeft},
    {"wiperight", Kind::WipeRight},
    {"smoothup", Kind::SmoothUp},
    {"smoothdown", Kind::SmoothDown},
    {"smoothleft", Kind::SmoothLeft},
    {"smoothright", Kind::SmoothRight},
    {"circleclose", Kind::CircleClose},
    {"circleopen", Kind::CircleOpen},
    {"vertclose", Kind::VertClose},
    {"vertopen", Kind::VertOpen},
    {"horzclose", Kind::HorzClose},
};

const NamedKind *findKind(const char *name)
{
    if (!name)
        return nullptr;
    for (const NamedKind &named : kNamedKinds)
        if (std::strcmp(named.name, name) == 0)
            return &named;
    return nullptr;
}

float smoothstep(float edge0, float edge1, float x)
{
    const float t = std::min(std::max((x - edge0) / (edge1 - edge0), 0.f), 1.f);
    return t * t * (3.f - 2.f * t);
}

// A weight of 0..1 as the kernels take it.
int weightOf(float w)
{
    return int(std::lrint(std::min(std::max(w, 0.f), 1.f) * pixelblend::kOne));
}

// xfade's black and white on YUV pictures, whatever their range.
constexpr int kBlack[2] = {0, 127};
constexpr int kWhite[2] = {255, 127};

} // namespace

struct YuvTransition::Plane
{
    uint8_t *dst;
    const uint8_t *a; // the outgoing picture
    const uint8_t *b; // the incoming one
    int dstStride;
    int aStride;
    int bStride;
    int w;
    int h;
    int scale;      // luma samples per sample: 1 or 2
    int fieldIndex; // 0 luma, 1 chroma

    // Where sample i lies, in luma samples.
    float pos(int i) const { return float(i * scale) + float(scale - 1) * 0.5f; }
    uint8_t *d(int y) const { return dst + ptrdiff_t(y) * dstStride; }
    const uint8_t *ra(int y) const { return a + ptrdiff_t(y) * aStride; }
    const uint8_t *rb(int y) const { return b + ptrdiff_t(y) * bStride; }
    int black() const { return kBlack[fieldIndex]; }
    int white() const { return kWhite[fieldIndex]; }
};

// A value per sample of one plane, and for each run of kBlock samples of a row its least and
// greatest, so that a frame reads the values only where the weight is not all 0 or all 1.
struct YuvTransition::Field
{
    static constexpr int kBlock = 32;
    int w = 0;
    int h = 0;
    int blocks = 0;
    std::vector<float> values;
    std::vector<float> low;
    std::vector<float> high;

    const float *row(int y) const { return values.data() + ptrdiff_t(y) * w; }
};

namespace {

enum class FieldShape
{
    Angle,
    Distance
};

std::shared_ptr<const YuvTransition::Field> makeField(FieldShape shape, int W, int H,
                                                      const YuvTransition::Plane &plane)
{
    auto field = std::make_shared<YuvTransition::Field>();
    field->w = plane.w;
    field->h = plane.h;
    field->blocks = (plane.w + YuvTransition::Field::kBlock - 1) / YuvTransition::Field::kBlock;
    field->values.resize(size_t(plane.w) * size_t(plane.h));
    field->low.resize(size_t(field->blocks) * size_t(plane.h));
    field->high.resize(field->low.size());
    // The centre and scale as xfade takes them: halves of the luma size in whole samples.
    const float cx = float(W / 2);
    const float cy = float(H / 2);
    const float radius = std::hypot(float(W / 2), float(H / 2));
    for (int y = 0; y < plane.h; ++y) {
        float *row = field->values.data() + ptrdiff_t(y) * plane.w;
        const float dy = plane.pos(y) - cy;
        for (int x = 0; x < plane.w; ++x) {
            const float dx = plane.pos(x) - cx;
            row[x] = shape == FieldShape::Angle ? std::atan2(dx, dy) : std::hypot(dx, dy) / radius;
        }
        for (int j = 0; j < field->blocks; ++j) {
            const int x0 = j * YuvTransition::Field::kBlock;
            const int x1 = std::min(plane.w, x0 + YuvTransition::Field::kBlock);
            const auto range = std::minmax_element(row + x0, row + x1);
            field->low[size_t(y) * field->blocks + j] = *range.first;
            field->high[size_t(y) * field->blocks + j] = *range.second;
        }
    }
    return field;
}

// A field is shared by the transitions that draw at once (the preview's and one rendered ahead)
// and goes with the last of them: worked out again, it costs a few milliseconds per transition,
// and nothing stays behind in a long session.
std::shared_ptr<const YuvTransition::Field> sharedField(FieldShape shape, int W, int H,
                                                        const YuvTransition::Plane &plane)
{
    struct Entry
    {
        FieldShape shape;
        int W, H, index;
        std::weak_ptr<const YuvTransition::Field> field;
    };
    static std::mutex mutex;
    static std::list<Entry> entries;
    std::lock_guard<std::mutex> lock(mutex);
    entries.remove_if([](const Entry &e) { return e.field.expired(); });
    for (const Entry &e : entries)
        if (e.shape == shape && e.W == W && e.H == H && e.index == plane.fieldIndex)
            if (std::shared_ptr<const YuvTransition::Field> field = e.field.lock())
                return field;
    std::shared_ptr<const YuvTransition::Field> field = makeField(shape, W, H, plane);
    entries.push_back(Entry{shape, W, H, plane.fieldIndex, field});
    return field;
}

void copyRow(uint8_t *dst, const uint8_t *src, int n)
{
    if (n > 0)
        std::memcpy(dst, src, size_t(n));
}

} // namespace

YuvTransition::YuvTransition(Kind kind, int width, int height)
    : m_kind(kind), m_width(width), m_height(height)
{
}

YuvTransition::~YuvTransition() = default;

bool YuvTransition::draws(const char *transitionName)
{
    return findKind(transitionName) != nullptr;
}

std::unique_ptr<YuvTransition> YuvTransition::create(const char *transitionName, int width,
                                                     int height)
{
    const NamedKind *named = findKind(transitionName);
    if (!named || width < 2 || height < 2 || width % 2 || height % 2)
        return nullptr;
    return std::unique_ptr<YuvTransition>(new YuvTransition(named->kind, width, height));
}

float YuvTransition::progressAt(int64_t step, int64_t steps)
{
    if (steps <= 0)
        return 0.f;
    return std::min(std::max(1.f - float(step) / float(steps), 0.f), 1.f);
}

int YuvTransition::draw(const AVFrame *from, const AVFrame *to, float progress, AVFrame *out)
{
    for (const AVFrame *frame : {from, to})
        if (!frame || frame->format != AV_PIX_FMT_YUV420P || frame->width != m_width ||
            frame->height != m_height || !frame->data[0])
            return AVERROR(EINVAL);
    if (!out->data[0]) {
        out->format = AV_PIX_FMT_YUV420P;
        out->width = m_width;
        out->height = m_height;
        const int ret = av_frame_get_buffer(out, 0);
        if (ret < 0)
            return ret;
    } else if (out->format != AV_PIX_FMT_YUV420P || out->width != m_width ||
               out->height != m_height) {
        return AVERROR(EINVAL);
    }
    out->color_range = from->color_range;
    out->colorspace = from->colorspace;
    out->color_primaries = from->color_primaries;
    out->color_trc = from->color_trc;
    out->sample_aspect_ratio = from->sample_aspect_ratio;
    for (int i = 0; i < 3; ++i) {
        const int scale = i ? 2 : 1;
        const Plane plane{out->data[i],     from->data[i],     to->data[i],
                          out->linesize[i], from->linesize[i], to->linesize[i],
                          m_width / scale,  m_height / scale,  scale,
                          i ? 1 : 0};
        // The ends are the pictures themselves, whatever a kind's formula gives there.
        if (progress >= 1.f || progress <= 0.f) {
            for (int y = 0; y < plane.h; ++y)
                copyRow(plane.d(y), progress >= 1.f ? plane.ra(y) : plane.rb(y), plane.w);
            continue;
        }
        drawPlane(plane, progress);
    }
    return 0;
}

void YuvTransition::drawPlane(const Plane &P, float p)
{
    const float W = float(m_width);
    const float H = float(m_height);
    m_weights.resize(size_t(P.w));
    uint16_t *weights = m_weights.data();
    // A row from `a` for its first n samples and from `b` after them, or the other way.
    // A row from one picture for its first luma samples and from the other after them; a
    // chroma sample the edge cuts in two is half of each.
    const auto split = [&P](int y, int lumaCount, bool bFirstFromA) {
        const int n = lumaCount / P.scale;
        const int half = lumaCount % P.scale;
        const uint8_t *first = bFirstFromA ? P.ra(y) : P.rb(y);
        const uint8_t *second = bFirstFromA ? P.rb(y) : P.ra(y);
        uint8_t *d = P.d(y);
        copyRow(d, first, n);
        if (half)
            d[n] = uint8_t((first[n] + second[n] + 1) >> 1);
        copyRow(d + n + half, second + n + half, P.w - n - half);
    };
    // Rows weighted by a value per column: 256 * smoothstep(0, 1, f(x) + k), inverted when
    // the formula's weight is the incoming picture's.
    const auto byColumns = [&](auto columnValue, float k, bool invert) {
        std::vector<float> &values = m_columnValues;
        values.resize(size_t(P.w));
        for (int x = 0; x < P.w; ++x)
            values[size_t(x)] = columnValue(P.pos(x));
        pixelblend::smoothWeights(weights, values.data(), k, invert, P.w);
        for (int y = 0; y < P.h; ++y)
            pixelblend::blend(P.d(y), P.ra(y), P.rb(y), weights, P.w);
    };
    // Rows of one weight each.
    const auto byRows = [&](auto rowValue, float k, bool invert) {
        for (int y = 0; y < P.h; ++y) {
            const int w = weightOf(smoothstep(0.f, 1.f, rowValue(P.pos(y)) + k));
            pixelblend::blendConst(P.d(y), P.ra(y), P.rb(y), invert ? pixelblend::kOne - w : w,
                                   P.w);
        }
    };

    switch (m_kind) {
    case Kind::FadeBlack:
    case Kind::FadeWhite: {
        // mix(mix(a, c, s1), mix(c, b, s2), p): constant weights of a, b and the colour.
        const float s1 = smoothstep(0.8f, 1.f, p);
        const float s2 = smoothstep(0.2f, 1.f, p);
        const int ma = weightOf(p * s1);
        const int mb = std::min(weightOf((1.f - p) * (1.f - s2)), pixelblend::kOne - ma);
        const int colour = m_kind == Kind::FadeBlack ? P.black() : P.white();
        for (int y = 0; y < P.h; ++y)
            pixelblend::blend3Const(P.d(y), P.ra(y), P.rb(y), ma, mb, colour,
                                    pixelblend::kOne - ma - mb, P.w);
        break;
    }
    case Kind::RectCrop: {
        // Black around a centred rectangle that shrinks to nothing and grows again; the
        // outgoing picture inside it for the first half, the incoming one after.
        const int zh = int(std::fabs(p - 0.5f) * H);
        const int zw = int(std::fabs(p - 0.5f) * W);
        const float cx = float(m_width / 2);
        const float cy = float(m_height / 2);
        int x0 = P.w;
        int x1 = 0;
        for (int x = 0; x < P.w; ++x)
            if (std::fabs(P.pos(x) - cx) < float(zw)) {
                x0 = std::min(x0, x);
                x1 = x + 1;
            }
        for (int y = 0; y < P.h; ++y) {
            uint8_t *d = P.d(y);
            if (x0 >= x1 || !(std::fabs(P.pos(y) - cy) < float(zh))) {
                std::memset(d, P.black(), size_t(P.w));
                continue;
            }
            std::memset(d, P.black(), size_t(x0));
            copyRow(d + x0, (p < 0.5f ? P.rb(y) : P.ra(y)) + x0, x1 - x0);
            std::memset(d + x1, P.black(), size_t(P.w - x1));
        }
        break;
    }
    case Kind::Radial:
    case Kind::CircleOpen:
    case Kind::CircleClose: {
        const bool bRadial = m_kind == Kind::Radial;
        std::shared_ptr<const Field> &field = m_fields[P.fieldIndex];
        if (!field)
            field = sharedField(bRadial ? FieldShape::Angle : FieldShape::Distance, m_width,
                                m_height, P);
        // smoothstep(0, 1, field + k) is the incoming picture's weight, except for the
        // opening circle, where it is the outgoing one's.
        const float k = bRadial                      ? -(p - 0.5f) * float(M_PI * 2.5)
                        : m_kind == Kind::CircleOpen ? (p - 0.5f) * 3.f
                                                     : (1.f - p - 0.5f) * 3.f;
        const bool invert = m_kind != Kind::CircleOpen;
        for (int y = 0; y < P.h; ++y) {
            uint8_t *d = P.d(y);
            const float *values = field->row(y);
            const float *low = field->low.data() + size_t(y) * field->blocks;
            const float *high = field->high.data() + size_t(y) * field->blocks;
            for (int j = 0; j < field->blocks; ++j) {
                const int x0 = j * Field::kBlock;
                const int n = std::min(P.w - x0, Field::kBlock);
                const bool bNone = high[j] + k <= 0.f; // smoothstep is 0 all along
                const bool bAll = low[j] + k >= 1.f;   // and here 1
                if (bNone || bAll) {
                    const bool bFromA = bNone == invert;
                    copyRow(d + x0, (bFromA ? P.ra(y) : P.rb(y)) + x0, n);
                } else {
                    pixelblend::smoothWeights(weights, values + x0, k, invert, n);
                    pixelblend::blend(d + x0, P.ra(y) + x0, P.rb(y) + x0, weights, n);
                }
            }
        }
        break;
    }
    case Kind::HBlur: {
        // A box blur along the rows, widest half-way, of the crossfaded pictures (the blur of
        // a mix is the mix of the blurs). Its window runs from the sample rightwards.
        const float prog = p <= 0.5f ? p * 2.f : (1.f - p) * 2.f;
        const int size = std::max(1, int(1.f + float(P.w / 2) * prog));
        const int ma = weightOf(p);
        m_rowA.resize(size_t(P.w));
        m_sums.resize(size_t(P.w) + 1);
        uint8_t *mixed = m_rowA.data();
        uint32_t *sums = m_sums.data();
        const float inv = 1.f / float(size);
        for (int y = 0; y < P.h; ++y) {
            pixelblend::blendConst(mixed, P.ra(y), P.rb(y), ma, P.w);
            sums[0] = 0;
            for (int x = 0; x < P.w; ++x)
                sums[x + 1] = sums[x] + mixed[x];
            uint8_t *d = P.d(y);
            const int whole = std::max(0, P.w - size + 1); // windows that fit
            for (int x = 0; x < whole; ++x)
                d[x] = uint8_t(float(sums[x + size] - sums[x]) * inv + 0.5f);
            for (int x = whole; x < P.w; ++x)
                d[x] = uint8_t((sums[P.w] - sums[x] + uint32_t(P.w - x) / 2) / uint32_t(P.w - x));
        }
        break;
    }
    case Kind::Pixelize: {
        // Squares growing to the middle and back, each the colour at its centre, under a
        // crossfade. Positions are found in luma samples, as the squares are sized.
        const float dist = std::ceil(std::min(p, 1.f - p) * 50.f) / 50.f;
        const float sq = 2.f * dist * float(std::min(m_width, m_height)) / 20.f;
        const auto source = [&](int i, int luma) {
            const int at = int(P.pos(i));
            if (!(dist > 0.f))
                return i;
            const int s = std::min(int((std::floor(float(at) / sq) + 0.5f) * sq), luma - 1);
            return std::min(s / P.scale, (luma / P.scale) - 1);
        };
        m_columns.resize(size_t(P.w));
        for (int x = 0; x < P.w; ++x)
            m_columns[size_t(x)] = source(x, m_width);
        m_rowA.resize(size_t(P.w));
        m_rowB.resize(size_t(P.w));
        const int ma = weightOf(p);
        int lastRow = -1;
        for (int y = 0; y < P.h; ++y) {
            const int sy = source(y, m_height);
            if (sy == lastRow) {
                copyRow(P.d(y), P.d(y - 1), P.w);
                continue;
            }
            lastRow = sy;
            const uint8_t *a = P.ra(sy);
            const uint8_t *b = P.rb(sy);
            for (int x = 0; x < P.w; ++x) {
                m_rowA[size_t(x)] = a[m_columns[size_t(x)]];
                m_rowB[size_t(x)] = b[m_columns[size_t(x)]];
            }
            pixelblend::blendConst(P.d(y), m_rowA.data(), m_rowB.data(), ma, P.w);
        }
        break;
    }
    case Kind::ZoomIn: {
        // The outgoing picture magnified about its centre, fading into the incoming one.
        const float zf = smoothstep(0.5f, 1.f, p);
        const int ma = weightOf(smoothstep(0.f, 0.5f, p));
        const auto source = [zf](int i, int n) {
            const float u = 0.5f + (float(i) / float(n) - 0.5f) * zf;
            return std::min(std::max(int(std::ceil(u * float(n - 1))), 0), n - 1);
        };
        m_columns.resize(size_t(P.w));
        for (int x = 0; x < P.w; ++x)
            m_columns[size_t(x)] = source(x, P.w);
        m_rowA.resize(size_t(P.w));
        int lastRow = -1;
        for (int y = 0; y < P.h; ++y) {
            const int sy = source(y, P.h);
            if (sy != lastRow) {
                const uint8_t *a = P.ra(sy);
                for (int x = 0; x < P.w; ++x)
                    m_rowA[size_t(x)] = a[m_columns[size_t(x)]];
                lastRow = sy;
            }
            pixelblend::blendConst(P.d(y), m_rowA.data(), P.rb(y), ma, P.w);
        }
        break;
    }
    case Kind::WipeLeft:
    case Kind::WipeRight: {
        // xfade takes the first picture up to and including sample z.
        const bool bLeft = m_kind == Kind::WipeLeft;
        const int z = int(W * (bLeft ? p : 1.f - p));
        const int lumaCount = std::min(std::max(z + 1, 0), m_width);
        for (int y = 0; y < P.h; ++y)
            split(y, lumaCount, bLeft);
        break;
    }
    case Kind::WipeUp:
    case Kind::WipeDown: {
        const bool bUp = m_kind == Kind::WipeUp;
        const int z = int(H * (bUp ? p : 1.f - p));
        const int lumaCount = std::min(std::max(z + 1, 0), m_height);
        const int n = lumaCount / P.scale;
        const bool bHalf = lumaCount % P.scale != 0;
        for (int y = 0; y < P.h; ++y) {
            if (bHalf && y == n)
                pixelblend::blendConst(P.d(y), P.ra(y), P.rb(y), 128, P.w);
            else
                copyRow(P.d(y), (y < n) == bUp ? P.ra(y) : P.rb(y), P.w);
        }
        break;
    }
    case Kind::SlideLeft:
    case Kind::SlideRight:
    case Kind::SlideDown: {
        // Both pictures move; the incoming one follows the outgoing one in. Sample j of the
        // strip they make is the outgoing picture's before 0 and from n on, the incoming
        // one's between. An odd shift of luma samples puts chroma half-way between two
        // samples: the two are averaged.
        const bool bDown = m_kind == Kind::SlideDown;
        const int z = bDown ? int(p * H) : m_kind == Kind::SlideLeft ? int(-p * W) : int(p * W);
        const int k = z >= 0 ? z / P.scale : -((-z + P.scale - 1) / P.scale);
        const bool bHalf = P.scale == 2 && z % 2 != 0;
        if (bDown) {
            const auto strip = [&P](int j) { return j < P.h ? P.rb(j) : P.ra(j - P.h); };
            for (int y = 0; y < P.h; ++y) {
                if (bHalf)
                    pixelblend::blendConst(P.d(y), strip(k + y), strip(k + y + 1), 128, P.w);
                else
                    copyRow(P.d(y), strip(k + y), P.w);
            }
            break;
        }
        const auto strip = [&P](int y, int j, uint8_t *out, int n) {
            const int w = P.w;
            for (int end = j + n; j < end;) {
                const uint8_t *src = j < 0   ? P.ra(y) + w + j
                                     : j < w ? P.rb(y) + j
                                             : P.ra(y) + j - w;
                const int run = std::min(end, j < 0 ? 0 : j < w ? w : 2 * w) - j;
                copyRow(out, src, run);
                out += run;
                j += run;
            }
        };
        m_rowA.resize(size_t(P.w) + 1);
        for (int y = 0; y < P.h; ++y) {
            if (bHalf) {
                strip(y, k, m_rowA.data(), P.w + 1);
                pixelblend::blendConst(P.d(y), m_rowA.data(), m_rowA.data() + 1, 128, P.w);
            } else {
                strip(y, k, P.d(y), P.w);
            }
        }
        break;
    }
    case Kind::SmoothLeft:
        byColumns([W](float x) { return x / W; }, 1.f - p * 2.f, true);
        break;
    case Kind::SmoothRight:
        byColumns([W](float x) { return (W - 1.f - x) / W; }, 1.f - p * 2.f, true);
        break;
    case Kind::VertOpen:
        byColumns([W](float x) { return -std::fabs((x - W / 2.f) / (W / 2.f)); }, 2.f - p * 2.f,
                  true);
        break;
    case Kind::VertClose:
        byColumns([W](float x) { return std::fabs((x - W / 2.f) / (W / 2.f)); }, 1.f - p * 2.f,
                  true);
        break;
    case Kind::SmoothUp:
        byRows([H](float y) { return y / H; }, 1.f - p * 2.f, true);
        break;
    case Kind::SmoothDown:
        byRows([H](float y) { return (H - 1.f - y) / H; }, 1.f - p * 2.f, true);
        break;
    case Kind::HorzClose:
        byRows([H](float y) { return std::fabs((y - H / 2.f) / (H / 2.f)); }, 1.f - p * 2.f, true);
        break;
    }
}
