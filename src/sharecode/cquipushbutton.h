// SPDX-License-Identifier: GPL-3.0-or-later
// Push button drawn with antialiasing (smooth rounded style-sheet borders).
#pragma once

#include <QPushButton>

namespace ShareCode {

class CQUIPushButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ShareCode
