// SPDX-License-Identifier: GPL-3.0-or-later
// The waveform with beat marks: drawing and the mouse.
#include "beatwaveform.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMinSpan = 2.0;
constexpr int kLegendHeight = 18;
constexpr int kPickPixels = 5;
// Marks closer than this are not drawn one by one: a whole song at once would be a grey wash.
constexpr double kMinBeatSpacing = 4.0;

QString timeText(double seconds)
{
    const int64_t ms = std::llround(std::max(seconds, 0.0) * 1000);
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000)
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// The mark colours: the palette's highlight for the bars, its text for the beats, and a warm
// contrast for the changes of picture that reads on light and dark palettes alike.
QColor barColour(const QPalette &palette, const QColor &accent)
{
    return accent.isValid() ? accent : palette.color(QPalette::Highlight);
}
QColor beatColour(const QPalette &palette)
{
    QColor c = palette.color(QPalette::Text);
    c.setAlphaF(0.35);
    return c;
}
QColor changeColour()
{
    return QColor(0xF0, 0x8A, 0x24);
}
QColor waveColour(const QPalette &palette, const QColor &accent)
{
    QColor c = barColour(palette, accent);
    c.setAlphaF(0.45);
    return c;
}
} // namespace

BeatWaveform::BeatWaveform(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("beatWaveform"));
    setAccessibleName(tr("Music waveform with beat marks"));
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize BeatWaveform::sizeHint() const
{
    return {560, 150};
}

QSize BeatWaveform::minimumSizeHint() const
{
    return {240, 150};
}

void BeatWaveform::setTrack(const std::vector<float> &peaks, double lengthSeconds)
{
    m_peaks = peaks;
    m_length = std::max(lengthSeconds, 0.0);
    setView(m_viewStart, m_viewSpan);
    update();
}

void BeatWaveform::setGrid(const BeatGrid &grid)
{
    m_grid = grid;
    update();
}

void BeatWaveform::setChanges(const std::vector<double> &changes)
{
    m_changes = changes;
    update();
}

void BeatWaveform::setAccent(const QColor &colour)
{
    m_accent = colour;
    update();
}

void BeatWaveform::setMessage(const QString &szText)
{
    m_szMessage = szText;
    update();
}

double BeatWaveform::length() const
{
    if (m_length > 0)
        return m_length;
    return m_grid.beats.empty() ? 0.0 : m_grid.beats.back();
}

void BeatWaveform::setView(double start, double span)
{
    const double total = length();
    m_viewSpan = std::max(kMinSpan, total > 0 ? std::min(span, total) : span);
    m_viewStart = std::clamp(start, 0.0, std::max(0.0, total - m_viewSpan));
    update();
}

QRectF BeatWaveform::waveRect() const
{
    return QRectF(rect()).adjusted(1, kLegendHeight + 2, -1, -1);
}

double BeatWaveform::xOf(double seconds) const
{
    const QRectF r = waveRect();
    return r.left() + (seconds - m_viewStart) / m_viewSpan * r.width();
}

double BeatWaveform::timeAt(double x) const
{
    const QRectF r = waveRect();
    return m_viewStart + (x - r.left()) / std::max(1.0, r.width()) * m_viewSpan;
}

int BeatWaveform::nearestBeat(double seconds) const
{
    const auto &beats = m_grid.beats;
    if (beats.empty())
        return -1;
    const auto it = std::lower_bound(beats.begin(), beats.end(), seconds);
    int i = int(it - beats.begin());
    if (i == int(beats.size()) ||
        (i > 0 && seconds - beats[size_t(i) - 1] < beats[size_t(i)] - seconds))
        --i;
    return i;
}

int BeatWaveform::beatNear(double x, bool bBarsOnly) const
{
    const int i = nearestBeat(timeAt(x));
    if (i < 0 || std::abs(xOf(m_grid.beats[size_t(i)]) - x) > kPickPixels)
        return -1;
    if (bBarsOnly &&
        !std::binary_search(m_grid.bars.begin(), m_grid.bars.end(), m_grid.beats[size_t(i)]))
        return -1;
    return i;
}

void BeatWaveform::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    const QRectF r = waveRect();
    p.setPen(QPen(pal.color(QPalette::Mid), 1));
    p.setBrush(pal.color(QPalette::Base));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    // The legend above the waveform.
    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    double lx = 2;
    const auto legend = [&](const QColor &colour, qreal width, const QString &szText) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(lx + 4, 3), QPointF(lx + 4, kLegendHeight - 3));
        p.setPen(pal.color(QPalette::WindowText));
        const QRectF text(lx + 10, 0, 200, kLegendHeight);
        QRectF used;
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, szText, &used);
        lx = used.right() + 14;
    };
    legend(beatColour(pal), 1, tr("Beat"));
    legend(barColour(pal, m_accent), 2.5, tr("Bar"));
    legend(changeColour(), 2, tr("Picture change"));

    p.save();
    p.setClipRect(r.adjusted(1, 1, -1, -1));
    const double mid = r.center().y();
    const double half = r.height() / 2 - 4;
    if (!m_peaks.empty() && m_length > 0) {
        // One vertical band per pixel column, from the pairs that fall in it: crisp lines,
        // where a filled outline would blur the kicks into a ramp.
        const size_t pairs = m_peaks.size() / 2;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(waveColour(pal, m_accent), 1));
        for (int x = int(r.left()) + 1; x < int(r.right()); ++x) {
            const double t0 = timeAt(x);
            const double t1 = timeAt(x + 1);
            if (t1 < 0 || t0 > m_length)
                continue;
            const auto bucket = [&](double t) {
                return size_t(std::clamp(t / m_length * double(pairs), 0.0, double(pairs - 1)));
            };
            float lo = 0, hi = 0;
            for (size_t i = bucket(t0); i <= bucket(t1); ++i) {
                lo = std::min(lo, m_peaks[2 * i]);
                hi = std::max(hi, m_peaks[2 * i + 1]);
            }
            p.drawLine(QPointF(x, mid - double(hi) * half), QPointF(x, mid - double(lo) * half));
        }
        p.setRenderHint(QPainter::Antialiasing);
    }

    // The marks, offset while a Shift-drag moves them.
    const double offset = m_drag == Drag::Shift ? m_dragOffset : 0.0;
    const auto &beats = m_grid.beats;
    const double beatSpacing =
        beats.size() > 1
            ? r.width() / m_viewSpan * (beats.back() - beats.front()) / double(beats.size() - 1)
            : 0.0;
    if (beatSpacing >= kMinBeatSpacing) {
        p.setPen(QPen(beatColour(pal), 1));
        for (double b : beats) {
            const double x = xOf(b + offset);
            if (x >= r.left() && x <= r.right())
                p.drawLine(QPointF(x, r.top() + 6), QPointF(x, r.bottom() - 6));
        }
    }
    for (size_t i = 0; i < m_grid.bars.size(); ++i) {
        double t = m_grid.bars[i] + offset;
        const bool bDragged =
            m_drag == Drag::Bar && m_iDragBar >= 0 && m_grid.bars[i] == beats[size_t(m_iDragBar)];
        if (bDragged && m_iDropBeat >= 0)
            t = beats[size_t(m_iDropBeat)];
        const double x = xOf(t);
        if (x < r.left() - 2 || x > r.right() + 2)
            continue;
        QColor colour = barColour(pal, m_accent);
        if (bDragged)
            colour = colour.darker(130);
        p.setPen(QPen(colour, bDragged ? 3.5 : 2.5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(x, r.top() + 2), QPointF(x, r.bottom() - 2));
        // A small handle at the top: bar marks can be picked up.
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        QPolygonF handle;
        handle << QPointF(x - 4, r.top() + 1) << QPointF(x + 4, r.top() + 1)
               << QPointF(x, r.top() + 7);
        p.drawPolygon(handle);
    }
    p.setPen(QPen(changeColour(), 2, Qt::DashLine, Qt::FlatCap));
    for (double c : m_changes) {
        const double x = xOf(c);
        if (x >= r.left() && x <= r.right())
            p.drawLine(QPointF(x, r.top() + 10), QPointF(x, r.bottom()));
    }
    p.restore();

    if (!m_szMessage.isEmpty()) {
        p.setPen(pal.color(QPalette::WindowText));
        QFont f = font();
        f.setPixelSize(13);
        p.setFont(f);
        p.drawText(r, Qt::AlignCenter, m_szMessage);
    } else if (m_length > 0) {
        // Where the window is in the track.
        p.setPen(pal.color(QPalette::WindowText));
        p.setFont(small);
        p.drawText(r.adjusted(6, 0, -6, -2), Qt::AlignLeft | Qt::AlignBottom,
                   timeText(m_viewStart));
        p.drawText(r.adjusted(6, 0, -6, -2), Qt::AlignRight | Qt::AlignBottom,
                   timeText(m_viewStart + m_viewSpan));
    }
}

void BeatWaveform::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_grid.beats.empty())
        return QWidget::mousePressEvent(event);
    m_pressTime = timeAt(event->pos().x());
    m_dragOffset = 0;
    if (event->modifiers() & Qt::ShiftModifier) {
        m_drag = Drag::Shift;
        setCursor(Qt::SizeHorCursor);
    } else if ((m_iDragBar = beatNear(event->pos().x(), true)) >= 0) {
        m_drag = Drag::Bar;
        m_iDropBeat = m_iDragBar;
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void BeatWaveform::mouseMoveEvent(QMouseEvent *event)
{
    const double t = timeAt(event->pos().x());
    if (m_drag == Drag::Shift) {
        m_dragOffset = t - m_pressTime;
        update();
    } else if (m_drag == Drag::Bar) {
        m_iDropBeat = nearestBeat(t);
        update();
    } else {
        setCursor(beatNear(event->pos().x(), true) >= 0 ? Qt::OpenHandCursor : Qt::ArrowCursor);
    }
}

void BeatWaveform::mouseReleaseEvent(QMouseEvent *event)
{
    const Drag drag = std::exchange(m_drag, Drag::None);
    unsetCursor();
    if (drag == Drag::Shift) {
        const qint64 deltaUs = std::llround((timeAt(event->pos().x()) - m_pressTime) * 1e6);
        m_dragOffset = 0;
        update();
        if (deltaUs != 0)
            emit sig_shifted(deltaUs);
    } else if (drag == Drag::Bar) {
        const int iDrop = nearestBeat(timeAt(event->pos().x()));
        update();
        if (iDrop >= 0 && iDrop != m_iDragBar)
            emit sig_barMoved(iDrop - m_iDragBar);
    }
}

void BeatWaveform::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (event->modifiers() & Qt::ControlModifier) {
        // Zoom about the pointer.
        const double at = timeAt(event->position().x());
        const double span = m_viewSpan * std::pow(0.8, steps);
        const double share = (at - m_viewStart) / m_viewSpan;
        setView(at - share * std::max(span, kMinSpan), span);
    } else {
        setView(m_viewStart - steps * m_viewSpan / 8, m_viewSpan);
    }
    event->accept();
}

bool BeatWaveform::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *pHelp = static_cast<QHelpEvent *>(event);
        const double x = pHelp->pos().x();
        QString szTip;
        for (double c : m_changes) {
            if (std::abs(xOf(c) - x) <= kPickPixels) {
                szTip = tr("Picture change at %1").arg(timeText(c));
                break;
            }
        }
        const int i = szTip.isEmpty() ? beatNear(x, false) : -1;
        if (i >= 0) {
            const double t = m_grid.beats[size_t(i)];
            szTip = std::binary_search(m_grid.bars.begin(), m_grid.bars.end(), t)
                        ? tr("Bar start at %1: drag it onto another beat to move the bars")
                              .arg(timeText(t))
                        : tr("Beat at %1").arg(timeText(t));
        }
        if (szTip.isEmpty())
            szTip = tr("Wheel: scroll; Ctrl+wheel: zoom; Shift+drag: move the beat grid");
        QToolTip::showText(pHelp->globalPos(), szTip, this);
        return true;
    }
    return QWidget::event(event);
}
