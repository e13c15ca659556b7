// SPDX-License-Identifier: GPL-3.0-or-later
// The player's progress slider: a click jumps to the clicked place and reports it as a ratio.
#include "cqslider.h"

#include <QMouseEvent>

#include <algorithm>

namespace {
// The slider's resolution: its value runs over [0, kSliderSteps].
constexpr int kSliderSteps = 1000;
} // namespace

CQSlider::CQSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, kSliderSteps);
}

double CQSlider::ratioAt(int x) const
{
    if (width() <= 0)
        return 0.0;
    return std::clamp(double(x) / double(width()), 0.0, 1.0);
}

void CQSlider::setRatio(double perc)
{
    setValue(qRound(std::clamp(perc, 0.0, 1.0) * kSliderSteps));
}

void CQSlider::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit cSliderPressSignal(ratioAt(event->pos().x()));
}

void CQSlider::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (event->buttons() == Qt::NoButton)
        return;
    const double perc = ratioAt(event->pos().x());
    setRatio(perc);
    emit cSliderMoveSignal(perc);
}

void CQSlider::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const double perc = ratioAt(event->pos().x());
    setRatio(perc);
    emit cSliderReleaseSignal(perc);
}
