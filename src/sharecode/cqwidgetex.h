// SPDX-License-Identifier: GPL-3.0-or-later
// QWidget base with the toolkit's centring and style-property helpers.
#pragma once

#include <QWidget>

namespace ShareCode {

class CQWidgetEx : public QWidget
{
    Q_OBJECT
public:
    explicit CQWidgetEx(QWidget *parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());

    // Centres pWidget on pParent's geometry, or without parent on the available area of the
    // screen under the main window's centre. False only for a null widget.
    static bool centerWidget(QWidget *pWidget, QWidget *pParent = nullptr);
    // Sets a dynamic property and re-polishes, so that [name="value"] style-sheet rules apply.
    static bool setStyleProperty(QWidget *pWidget, const char *szName, const QString &szValue);
    // The position that keeps a window of stSize at stPos inside stAvailable's bottom and left.
    static QPoint keepOnScreen(const QPoint &stPos, const QSize &stSize, const QRect &stAvailable);
};

} // namespace ShareCode
