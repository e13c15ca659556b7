// SPDX-License-Identifier: GPL-3.0-or-later
// The translucent dark layer laid over the main window while a dialog is open.
#pragma once

#include <QWidget>

class QVBoxLayout;

namespace ShareCode {

class CQWidgetShadow : public QWidget
{
    Q_OBJECT
public:
    explicit CQWidgetShadow(QWidget *parent = nullptr);

private:
    QVBoxLayout *m_pLayout;
    QWidget *m_pBG;
};

} // namespace ShareCode
