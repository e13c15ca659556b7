// SPDX-License-Identifier: GPL-3.0-or-later
// The clip's scrub bar: frame times, dragging and keys, and its drawing.
#include "cliptrimbar.h"

#include "album.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

extern "C" {
#include <libavutil/mathematics.h>
}

namespace {
constexpr int kBarHeight = 34; // pixels
constexpr double kMargin = 8;  // pixels either side, so that a handle at an end is whole
constexpr double kGrip = 7;    // pixels around a handle that grab it
constexpr AVRational kFallbackRate{30, 1};
// Rates outside these are a file's mistake, not a film's; frames are then 1/30 s apart.
constexpr int kLowestRate = 1;
constexpr int kHighestRate = 1000;
const QColor kGroove(0x2B, 0x2B, 0x2B);
const QColor kKept(0x5C, 0x46, 0xF4);
const QColor kHandle(0xFF, 0xB0, 0x20);
} // namespace

ClipTrimBar::ClipTrimBar(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(kBarHeight);
    setMinimumWidth(200);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ClipTrimBar::setClip(int64_t durationUs, AVRational frameRate)
{
    m_duration = std::max<int64_t>(0, durationUs);
    const bool bUsable = frameRate.num > 0 && frameRate.den > 0 &&
                         av_cmp_q(frameRate, AVRational{kLowestRate, 1}) >= 0 &&
                         av_cmp_q(frameRate, AVRational{kHighestRate, 1}) <= 0;
    m_rate = bUsable ? frameRate : kFallbackRate;
    setTrim(m_in, m_out);
    setPosition(m_position);
}

int64_t ClipTrimBar::snapped(int64_t at) const
{
    if (at >= m_duration)
        return m_duration;
    if (at <= 0)
        return 0;
    // Frame k starts at k * den / num seconds.
    const int64_t frame =
        av_rescale_rnd(at, m_rate.num, int64_t(1000000) * m_rate.den, AV_ROUND_NEAR_INF);
    const int64_t start =
        av_rescale_rnd(frame, int64_t(1000000) * m_rate.den, m_rate.num, AV_ROUND_NEAR_INF);
    // The file's end is nearer than the frame past it.
    return std::min(start, m_duration);
}

int64_t ClipTrimBar::stepped(int64_t at, int frames) const
{
    const int64_t frame =
        av_rescale_rnd(snapped(at), m_rate.num, int64_t(1000000) * m_rate.den, AV_ROUND_NEAR_INF);
    const int64_t start =
        av_rescale_rnd(std::max<int64_t>(0, frame + frames), int64_t(1000000) * m_rate.den,
                       m_rate.num, AV_ROUND_NEAR_INF);
    return std::clamp<int64_t>(start, 0, m_duration);
}

int64_t ClipTrimBar::lastFrame() const
{
    // The end itself shows no frame: the position stops at the last one that starts before it.
    const int64_t last = snapped(m_duration - 1);
    return last < m_duration ? last : stepped(m_duration, -1);
}

void ClipTrimBar::setTrim(int64_t in, int64_t out)
{
    const int64_t whole = m_duration;
    m_out = out <= 0 || out >= whole ? whole : snapped(out);
    m_in = std::clamp<int64_t>(snapped(in), 0, std::max<int64_t>(0, whole - kMinClipLength));
    // Too near the end: out moves on to a frame time kMinClipLength after in.
    if (m_out - m_in < kMinClipLength) {
        m_out = snapped(m_in + kMinClipLength);
        if (m_out - m_in < kMinClipLength)
            m_out = std::min(whole, stepped(m_out, 1));
    }
    update();
}

bool ClipTrimBar::moveIn(int64_t at)
{
    int64_t in = snapped(at);
    // No nearer than kMinClipLength before out: the frame time at or before that limit.
    if (m_out - in < kMinClipLength) {
        in = snapped(m_out - kMinClipLength);
        if (m_out - in < kMinClipLength)
            in = stepped(in, -1);
    }
    in = std::max<int64_t>(0, in);
    if (in == m_in || m_out - in < kMinClipLength)
        return false;
    m_in = in;
    update();
    return true;
}

bool ClipTrimBar::moveOut(int64_t at)
{
    int64_t out = snapped(at);
    if (out - m_in < kMinClipLength) {
        out = snapped(m_in + kMinClipLength);
        if (out - m_in < kMinClipLength)
            out = stepped(out, 1);
    }
    out = std::min(out, m_duration);
    if (out == m_out || out - m_in < kMinClipLength)
        return false;
    m_out = out;
    update();
    return true;
}

bool ClipTrimBar::markIn()
{
    if (m_drag != None || !moveIn(m_position))
        return false;
    emit sig_trimmed();
    return true;
}

bool ClipTrimBar::markOut()
{
    if (m_drag != None || !moveOut(m_position))
        return false;
    emit sig_trimmed();
    return true;
}

void ClipTrimBar::setPosition(int64_t at)
{
    m_position = std::clamp<int64_t>(snapped(at), 0, std::max<int64_t>(0, lastFrame()));
    update();
}

void ClipTrimBar::movePosition(int64_t at, bool bSettled)
{
    const int64_t before = m_position;
    setPosition(at);
    if (m_position != before || bSettled)
        emit sig_positionMoved(m_position, bSettled);
}

QString ClipTrimBar::timeText(int64_t us)
{
    const int64_t ms = (std::max<int64_t>(0, us) + 500) / 1000;
    const int64_t s = ms / 1000;
    const QString szSeconds = QStringLiteral("%1.%2")
                                  .arg(s % 60, 2, 10, QLatin1Char('0'))
                                  .arg(ms % 1000, 3, 10, QLatin1Char('0'));
    if (s < 3600)
        return QStringLiteral("%1:%2").arg(s / 60).arg(szSeconds);
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(szSeconds);
}

QRectF ClipTrimBar::groove() const
{
    return QRectF(kMargin, 10, std::max(1.0, width() - 2 * kMargin), height() - 20);
}

double ClipTrimBar::xOf(int64_t at) const
{
    const QRectF g = groove();
    return m_duration > 0 ? g.left() + g.width() * double(at) / double(m_duration) : g.left();
}

int64_t ClipTrimBar::timeAt(double x) const
{
    const QRectF g = groove();
    const double fraction = std::clamp((x - g.left()) / g.width(), 0.0, 1.0);
    return int64_t(fraction * double(m_duration) + 0.5);
}

void ClipTrimBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF g = groove();
    p.setPen(Qt::NoPen);
    p.setBrush(kGroove);
    p.drawRoundedRect(g, 3, 3);
    p.setBrush(kKept);
    p.drawRect(QRectF(QPointF(xOf(m_in), g.top()), QPointF(xOf(m_out), g.bottom())));
    // The handles: a bar with a tab pointing into the part kept.
    for (const bool bIn : {true, false}) {
        const double x = xOf(bIn ? m_in : m_out);
        p.setBrush(kHandle);
        p.drawRect(QRectF(x - 1.5, 2, 3, height() - 4));
        QPainterPath tab;
        const double d = bIn ? 6 : -6;
        tab.moveTo(x, 2);
        tab.lineTo(x + d, 2);
        tab.lineTo(x, 9);
        tab.closeSubpath();
        p.drawPath(tab);
    }
    const double x = xOf(m_position);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1));
    p.drawRect(QRectF(x - 1, g.top() - 4, 2, g.height() + 8));
    if (hasFocus()) {
        p.setPen(QPen(kKept, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
}

void ClipTrimBar::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || m_duration <= 0)
        return;
    m_pressedIn = m_in;
    m_pressedOut = m_out;
    const double x = e->localPos().x();
    const double dIn = std::abs(x - xOf(m_in));
    const double dOut = std::abs(x - xOf(m_out));
    if (std::min(dIn, dOut) <= kGrip) {
        // Handles on top of each other: the one that can move that way.
        m_drag = dIn < dOut || (dIn == dOut && x < xOf(m_in)) ? In : Out;
        return;
    }
    m_drag = Position;
    movePosition(timeAt(x), false);
}

void ClipTrimBar::mouseMoveEvent(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    const int64_t at = timeAt(e->localPos().x());
    if (m_drag == In) {
        moveIn(at);
        movePosition(m_in, false);
    } else if (m_drag == Out) {
        moveOut(at);
        movePosition(m_out, false);
    } else if (m_drag == Position) {
        movePosition(at, false);
    }
}

void ClipTrimBar::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || m_drag == None)
        return;
    const Drag drag = m_drag;
    m_drag = None;
    movePosition(m_position, true);
    if (drag != Position && (m_in != m_pressedIn || m_out != m_pressedOut))
        emit sig_trimmed();
}

void ClipTrimBar::keyPressEvent(QKeyEvent *e)
{
    // Ctrl+O and its kind belong to the window, not to the trim.
    if (m_drag != None || m_duration <= 0 ||
        (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QWidget::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_I:
        markIn();
        break;
    case Qt::Key_O:
        markOut();
        break;
    case Qt::Key_Left:
        movePosition(stepped(m_position, -1), true);
        break;
    case Qt::Key_Right:
        movePosition(stepped(m_position, 1), true);
        break;
    case Qt::Key_Home:
        movePosition(m_in, true);
        break;
    case Qt::Key_End:
        movePosition(m_out, true);
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}
