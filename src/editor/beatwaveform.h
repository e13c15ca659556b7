// SPDX-License-Identifier: GPL-3.0-or-later
// A music track's waveform with its beat and bar marks and the album's changes of picture, and
// the user's corrections of the grid made on it with the mouse.
#pragma once

#include "beatanalysis.h"

#include <QWidget>

#include <cstdint>
#include <vector>

// Times are seconds of the track. The view shows a window of the track: the wheel scrolls it,
// Ctrl with the wheel zooms. Shift-dragging moves the whole grid; dragging a bar mark onto
// another beat makes the bars start there.
class BeatWaveform : public QWidget
{
    Q_OBJECT
public:
    explicit BeatWaveform(QWidget *parent = nullptr);

    // peaks: min, max pairs spread evenly over lengthSeconds.
    void setTrack(const std::vector<float> &peaks, double lengthSeconds);
    void setGrid(const BeatGrid &grid);
    void setChanges(const std::vector<double> &changes);
    // Shown in place of the waveform while there is none ("Finding the beat… 40 %").
    void setMessage(const QString &szText);
    // The window shown: from `start`, `span` seconds long (kept within the track).
    void setView(double start, double span);
    // The bar marks' colour; the palette's highlight until set.
    void setAccent(const QColor &colour);
    double viewStart() const { return m_viewStart; }
    double viewSpan() const { return m_viewSpan; }

    // Where time `seconds` is drawn, and the time at x; valid for any x.
    double xOf(double seconds) const;
    double timeAt(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The grid moved by this many microseconds (a Shift-drag).
    void sig_shifted(qint64 deltaUs);
    // A bar mark dropped this many beats later (negative: earlier).
    void sig_barMoved(int beats);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF waveRect() const;
    // The index in the grid's beats nearest x within a few pixels; -1 when none.
    int beatNear(double x, bool bBarsOnly) const;
    int nearestBeat(double seconds) const;
    double length() const;

    std::vector<float> m_peaks;
    double m_length = 0.0;
    BeatGrid m_grid;
    std::vector<double> m_changes;
    QString m_szMessage;
    QColor m_accent;
    double m_viewStart = 0.0;
    double m_viewSpan = 20.0;

    enum class Drag
    {
        None,
        Shift,
        Bar,
    };
    Drag m_drag = Drag::None;
    double m_pressTime = 0.0;  // the time under the pointer when the drag began
    double m_dragOffset = 0.0; // seconds the marks are drawn off while dragging
    int m_iDragBar = -1;       // the beat index of the bar mark dragged
    int m_iDropBeat = -1;      // the beat it would land on
};
