// SPDX-License-Identifier: GPL-3.0-or-later
// Title-bar dragging.
#include "cquiwindowdragger.h"

#include "cframelesswindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOption>
#include <QTimer>

namespace ShareCode {

namespace {
// Delay before re-applying the window state after a drag to another screen: long enough for the
// platform to have delivered the new screen's scale.
constexpr int kScreenChangeDelayMs = 50;
} // namespace

CQUIWindowDragger::CQUIWindowDragger(QWidget *parent) : QWidget(parent) {}

QWidget *CQUIWindowDragger::dragWindow() const
{
    QWidget *pFrame = parentWidget();
    return pFrame && pFrame->parentWidget() ? pFrame->parentWidget() : window();
}

int CQUIWindowDragger::screenLeft() const
{
    QScreen *pScreen = screen();
    return pScreen ? pScreen->geometry().left() : 0;
}

void CQUIWindowDragger::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QWidget *pWindow = dragWindow();
    m_bDragging = true;
    m_stStartPos = event->globalPos();
    m_stWindowPos = pWindow->pos();
    m_stPressRect = pWindow->geometry();
    m_iScreenLeft = screenLeft();
}

void CQUIWindowDragger::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    if (screenLeft() != m_iScreenLeft)
        m_bScreenChanged = true;
    if (!m_bDragging)
        return;
    QWidget *pWindow = dragWindow();
    const QPoint stGlobal = event->globalPos();
    if (pWindow->isMaximized()) {
        // Restore under the mouse, horizontally centred on it, then keep dragging from there.
        auto *pFrameless = qobject_cast<CFramelessWindow *>(pWindow);
        QRect stNormal = pFrameless ? pFrameless->normalGeometryRect() : pWindow->normalGeometry();
        const int iTop = pWindow->geometry().top();
        stNormal.moveLeft(stGlobal.x() - stNormal.width() / 2);
        stNormal.moveTop(iTop);
        pWindow->showNormal();
        pWindow->setGeometry(stNormal);
        m_stStartPos = stGlobal;
        m_stWindowPos = stNormal.topLeft();
        m_stPressRect = stNormal;
        return;
    }
    pWindow->setGeometry(m_stPressRect.translated(stGlobal - m_stStartPos));
}

void CQUIWindowDragger::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    m_bDragging = false;
    auto *pFrameless = qobject_cast<CFramelessWindow *>(dragWindow());
    if (pFrameless && pFrameless->reApplyAfterScreenChange() && m_bScreenChanged)
        QTimer::singleShot(kScreenChangeDelayMs, pFrameless, &CFramelessWindow::sltAdjustDpiHandle);
    m_bScreenChanged = false;
}

void CQUIWindowDragger::mouseDoubleClickEvent(QMouseEvent *event)
{
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void CQUIWindowDragger::paintEvent(QPaintEvent *)
{
    // Plain QWidget subclasses draw no style-sheet background unless asked to.
    QStyleOption opt;
    opt.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &painter, this);
}

} // namespace ShareCode
