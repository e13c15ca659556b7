// SPDX-License-Identifier: GPL-3.0-or-later
// Antialiased push button.
#include "cquipushbutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace ShareCode {

void CQUIPushButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButton, option);
}

} // namespace ShareCode
