// SPDX-License-Identifier: GPL-3.0-or-later
// Centring and style-property helpers.
#include "cqwidgetex.h"

#include "cframelesswindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace ShareCode {

CQWidgetEx::CQWidgetEx(QWidget *parent, Qt::WindowFlags f) : QWidget(parent, f) {}

bool CQWidgetEx::centerWidget(QWidget *pWidget, QWidget *pParent)
{
    if (!pWidget)
        return false;
    QRect stRef;
    if (pParent) {
        stRef = pParent->geometry();
    } else {
        QScreen *pPrimary = QGuiApplication::primaryScreen();
        QScreen *pScreen = nullptr;
        if (QWidget *pMain = CFramelessWindow::instance()) {
            // qRound rounds halves away from zero, which for these non-negative sizes is upwards.
            const QPoint stCentre =
                pMain->pos() + QPoint(qRound(pMain->width() * 0.5), qRound(pMain->height() * 0.5));
            if (pPrimary)
                pScreen = pPrimary->virtualSiblingAt(stCentre);
        }
        if (!pScreen)
            pScreen = pPrimary;
        if (pScreen)
            stRef = pScreen->availableGeometry();
    }
    pWidget->move((stRef.width() - pWidget->width()) / 2 + stRef.left(),
                  (stRef.height() - pWidget->height()) / 2 + stRef.top());
    return true;
}

bool CQWidgetEx::setStyleProperty(QWidget *pWidget, const char *szName, const QString &szValue)
{
    if (!pWidget || !szName)
        return false;
    pWidget->setProperty(szName, szValue);
    QStyle *pStyle = pWidget->style();
    pStyle->unpolish(pWidget);
    pStyle->polish(pWidget);
    pWidget->update();
    return true;
}

QPoint CQWidgetEx::keepOnScreen(const QPoint &stPos, const QSize &stSize, const QRect &stAvailable)
{
    QPoint stResult = stPos;
    // Compared with the area's real bottom, so a screen that does not start at y 0 works too.
    const int iBottom = stAvailable.y() + stAvailable.height();
    if (iBottom < stResult.y() + stSize.height())
        stResult.setY(iBottom - stSize.height());
    if (stResult.x() < stAvailable.left())
        stResult.setX(stAvailable.left());
    return stResult;
}

} // namespace ShareCode
