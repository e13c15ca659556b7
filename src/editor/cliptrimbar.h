// SPDX-License-Identifier: GPL-3.0-or-later
// A clip's scrub bar: its trim's in and out points and the position shown, on frame times.
#pragma once

#include <QWidget>

#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

// In and out are dragged by their handles or set at the position with I and O; a press elsewhere
// moves the position, the arrow keys step it a frame. Every time is a frame's start (the file's
// end is one too), in microseconds of the file, and in and out stay kMinClipLength apart.
class ClipTrimBar : public QWidget
{
    Q_OBJECT
public:
    explicit ClipTrimBar(QWidget *parent = nullptr);

    // durationUs: the whole file; frameRate: its average rate (an unknown one counts as 30).
    void setClip(int64_t durationUs, AVRational frameRate);
    // Shows this trim (out 0: the file's end), kept within the file; emits nothing.
    void setTrim(int64_t in, int64_t out);
    void setPosition(int64_t at);

    int64_t trimIn() const { return m_in; }
    int64_t trimOut() const { return m_out; }
    int64_t position() const { return m_position; }
    int64_t duration() const { return m_duration; }
    // The start of the frame nearest `at` (or the file's end), within the file.
    int64_t snapped(int64_t at) const;
    // One frame later or earlier than the frame time `at`.
    int64_t stepped(int64_t at, int frames) const;

    // In or out moved to the position (as I and O do), emitting sig_trimmed when it moved.
    bool markIn();
    bool markOut();

    // "0:03.250", or "1:02:03.250" past an hour.
    static QString timeText(int64_t us);

signals:
    // The user moved in or out: once per release of a handle or press of I or O.
    void sig_trimmed();
    // The position moved; bSettled when it rests (a release, a key), else while dragging.
    void sig_positionMoved(int64_t at, bool bSettled);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    enum Drag
    {
        None,
        In,
        Out,
        Position
    };
    QRectF groove() const;
    double xOf(int64_t at) const;
    int64_t timeAt(double x) const;
    // Moves in or out to `at`, kept in the file and clear of the other; whether it moved.
    bool moveIn(int64_t at);
    bool moveOut(int64_t at);
    void movePosition(int64_t at, bool bSettled);
    int64_t lastFrame() const;

    int64_t m_duration = 0;
    AVRational m_rate{30, 1};
    int64_t m_in = 0;
    int64_t m_out = 0;
    int64_t m_position = 0;
    Drag m_drag = None;
    int64_t m_pressedIn = 0;
    int64_t m_pressedOut = 0;
};
