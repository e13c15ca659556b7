// SPDX-License-Identifier: GPL-3.0-or-later
// The player's progress slider: a click jumps to the clicked place and reports it as a ratio.
#pragma once

#include <QSlider>

class CQSlider : public QSlider
{
    Q_OBJECT
public:
    explicit CQSlider(QWidget *parent = nullptr);

    // Clamps `perc` to [0, 1] and shows it (value perc x 1000).
    void setRatio(double perc);
    // Ratio of the x position to the slider's width, clamped to [0, 1].
    double ratioAt(int x) const;

signals:
    void cSliderPressSignal(double perc);
    void cSliderMoveSignal(double perc);
    void cSliderReleaseSignal(double perc);

protected:
    // QSlider's own handling (page steps, handle dragging) is replaced entirely.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
