// SPDX-License-Identifier: GPL-3.0-or-later
// Watermark frames, placement and the overlay graph.
#include "watermark.h"

#include "framegraph.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>

#include <cmath>

QPoint watermarkPlacement(int code, int W, int H, int w, int h)
{
    const int mx = static_cast<int>(W * 0.01);
    const int my = static_cast<int>(H * 0.01);
    const int cx = W / 2 - w / 2;
    const int cy = H / 2 - h / 2;
    switch (code) {
    case 1:
        return {mx, my};
    case 2:
        return {cx, my};
    case 4:
        return {W - mx - w, my};
    case 8:
        return {mx, cy};
    case 16:
        return {cx, cy};
    case 32:
        return {W - mx - w, cy};
    case 64:
        return {mx, H - my - h};
    case 128:
        return {cx, H - my - h};
    case 256:
        return {W - mx - w, H - my - h};
    default:
        return {0, 0};
    }
}

int pictureWatermarkPerMille(int W, int H)
{
    struct Row
    {
        int num, den, perMille;
    };
    static const Row table[] = {{16, 9, 175}, {4, 3, 311}, {2, 1, 210},
                                {9, 16, 414}, {3, 4, 311}, {1, 1, 311}};
    if (W <= 0 || H <= 0)
        return table[0].perMille;
    const double ratio = double(W) / H;
    const Row *best = &table[0];
    double bestDiff = std::fabs(ratio - double(best->num) / best->den);
    for (const Row &row : table) {
        const double diff = std::fabs(ratio - double(row.num) / row.den);
        if (diff < bestDiff) {
            bestDiff = diff;
            best = &row;
        }
    }
    return best->perMille;
}

TextBox watermarkTextBox(int W, int H)
{
    TextBox box;
    if (W <= 0 || H <= 0)
        return box;
    // The position rule's margins.
    const int mx = static_cast<int>(W * 0.01), my = static_cast<int>(H * 0.01);
    box.size = QSize(W - 2 * mx, H - 2 * my);
    box.maxLines = kMaxWatermarkLines;
    return box;
}

av::FramePtr makeTextWatermarkFrame(const QString &text, const QFont &font, const QColor &color,
                                    TextEffect effect, QSize frame)
{
    const TextBox box = watermarkTextBox(frame.width(), frame.height());
    if (effect != TextEffect::Plain)
        return imageToFrame(drawTextImage(text, font, color, effect, box));
    const QRect bounds = QFontMetrics(font).boundingRect(text);
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return nullptr;
    // A text that fits is drawn as it always was; a longer one is wrapped within the frame.
    if (box.size.isValid() &&
        (bounds.width() > box.size.width() || bounds.height() > box.size.height()))
        return imageToFrame(drawTextImage(text, font, color, effect, box));
    QImage image(bounds.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(0, QFontMetrics(font).ascent(), text);
    }
    return imageToFrame(image);
}

namespace {

// The width of the outline or the shadow's offset.
qreal textEdge(const QFont &font, const QFontMetricsF &metrics)
{
    return std::max<qreal>(1.5, font.pixelSize() > 0 ? font.pixelSize() / 14.0
                                                     : metrics.height() / 14.0);
}

// Room around the letters for the outline or the shadow.
qreal textMargin(const QFont &font, const QFontMetricsF &metrics, TextEffect effect)
{
    return effect == TextEffect::Plain ? 1 : 2 * textEdge(font, metrics);
}

// The lines of `text` no wider than `width`: one per line break, each wrapped where it is
// longer, at word boundaries, or anywhere in a word longer than the line (Chinese has no spaces).
QStringList wrapLines(const QString &text, const QFont &font, qreal width)
{
    const QFontMetricsF metrics(font);
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        if (metrics.horizontalAdvance(paragraph) <= width) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && part.back().isSpace())
                part.chop(1);
            lines << part;
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace

QImage drawTextImage(const QString &text, const QFont &font, const QColor &color, TextEffect effect,
                     const TextBox &box)
{
    const bool bounded = box.size.width() > 0 && box.size.height() > 0;
    QFont used = font;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (bounded) {
        const int basePixels =
            font.pixelSize() > 0 ? font.pixelSize() : std::max(1, QFontInfo(font).pixelSize());
        const int floorPixels =
            std::min(basePixels,
                     std::max({1, box.minPixelSize, int(std::lround(basePixels * box.minScale))}));
        int pixels = basePixels;
        for (;;) {
            const QFontMetricsF metrics(used);
            const qreal margin = textMargin(used, metrics, effect);
            const qreal width = std::max<qreal>(1, box.size.width() - 2 * margin);
            lines = wrapLines(text, used, width);
            int room = int(std::floor((box.size.height() - 2 * margin) / metrics.lineSpacing()));
            if (box.maxLines > 0)
                room = std::min(room, box.maxLines);
            if (lines.size() <= room)
                break;
            // Not even one line in the height: smaller than the floor, as far as it takes.
            const int limit = room >= 1 ? floorPixels : 1;
            if (pixels <= limit) {
                const int keep = std::max(1, room);
                const QString rest = lines.mid(keep - 1).join(QLatin1Char(' '));
                lines = lines.mid(0, keep - 1);
                lines << metrics.elidedText(rest, Qt::ElideRight, width);
                break;
            }
            pixels = std::max(limit, std::min(pixels - 1, int(pixels * 0.9)));
            used.setPixelSize(pixels);
        }
    }
    const QFontMetricsF metrics(used);
    qreal textWidth = 0;
    for (const QString &line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    if (textWidth <= 0)
        return QImage();
    const qreal margin = textMargin(used, metrics, effect);
    const qreal edge = textEdge(used, metrics);
    QSize size(int(std::ceil(textWidth + 2 * margin)),
               int(std::ceil(metrics.lineSpacing() * lines.size() + 2 * margin)));
    if (bounded) // never larger than the box, whatever the rounding of the advances
        size = size.boundedTo(box.size);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainterPath path;
    for (int i = 0; i < lines.size(); ++i) {
        const qreal x = margin + (textWidth - metrics.horizontalAdvance(lines.at(i))) / 2;
        path.addText(x, margin + metrics.ascent() + i * metrics.lineSpacing(), used, lines.at(i));
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The dark edge is chosen against the text: light text gets a black edge, dark text white.
    const QColor edgeColor = color.lightness() >= 96 ? QColor(0, 0, 0) : QColor(255, 255, 255);
    if (effect == TextEffect::Outline) {
        painter.strokePath(path,
                           QPen(edgeColor, 2 * edge, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else if (effect == TextEffect::Shadow) {
        QColor shade = edgeColor;
        shade.setAlpha(150);
        painter.fillPath(path.translated(edge, edge), shade);
        shade.setAlpha(90);
        painter.fillPath(path.translated(edge * 1.6, edge * 1.6), shade);
    }
    painter.fillPath(path, color);
    painter.end();
    return image;
}

int makePictureWatermarkFrame(const QString &szPath, int W, int H, AVFrame *dst)
{
    int ret = decodePictureFile(szPath, dst);
    if (ret < 0)
        return ret;
    if (dst->width <= 0 || dst->height <= 0)
        return AVERROR_INVALIDDATA;
    // Box: (W x fraction) by (picture height x that width / picture width), exactly.
    const int64_t perMille = pictureWatermarkPerMille(W, H);
    const QSize size =
        fitEvenSizeExact(dst->width, dst->height, W * perMille, 1000,
                         int64_t(dst->height) * W * perMille, int64_t(dst->width) * 1000);
    if (size.width() <= 0 || size.height() <= 0)
        return AVERROR(EINVAL);
    return scaleFrame(dst, dst, size.width(), size.height());
}

bool WatermarkOverlay::create(const AVFrame *watermark, QPoint position, int W, int H,
                              AVPixelFormat format, AVRational sampleAspect)
{
    reset();
    const char *name = av_get_pix_fmt_name(format);
    if (!watermark || !name)
        return false;
    mark.reset(av_frame_clone(watermark));
    if (!mark)
        return false;
    const QString desc = QStringLiteral("[in1][in2]overlay=:x=%1:y=%2,format=pix_fmts='%3'")
                             .arg(position.x())
                             .arg(position.y())
                             .arg(QString::fromUtf8(name));
    SourcePadSpec canvas;
    canvas.format = format;
    canvas.width = W;
    canvas.height = H;
    canvas.timeBase = {1, 1000};
    canvas.frameRate = {0, 1};
    canvas.pixelAspect = sampleAspect;
    canvas.label = QStringLiteral("in1");
    SourcePadSpec top = canvas;
    top.format = mark->format;
    top.width = mark->width;
    top.height = mark->height;
    top.pixelAspect = mark->sample_aspect_ratio;
    top.label = QStringLiteral("in2");
    graph = createFilterGraph(desc, {canvas, top}, {SinkPadSpec{format, QStringLiteral("out"), 0}});
    if (!graph) {
        mark.reset();
        return false;
    }
    return true;
}

int WatermarkOverlay::apply(AVFrame *frame)
{
    if (!graph)
        return 0;
    if (!frame)
        return AVERROR(EINVAL);
    const int64_t pts = frame->pts;
    const int64_t ours = counter++;
    frame->pts = ours;
    mark->pts = ours;
    int ret = sendFrameToGraph(graph.get(), QStringLiteral("in1"), frame);
    if (ret >= 0)
        ret = sendFrameToGraph(graph.get(), QStringLiteral("in2"), mark.get());
    frame->pts = pts;
    if (ret < 0)
        return ret;
    bool got = false;
    ret = receiveFrameFromGraph(graph.get(), QStringLiteral("out"), frame, &got);
    if (ret < 0)
        return ret;
    if (!got)
        return AVERROR(EAGAIN);
    frame->pts = pts;
    return 0;
}

void WatermarkOverlay::reset()
{
    graph.reset();
    mark.reset();
    counter = 0;
}
