// SPDX-License-Identifier: GPL-3.0-or-later
// Shadow manager.
#include "cblluishadowmgr.h"

#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqwidgetshadow.h"
#include "qtinversionwidget.h"

#include "translucency.h"

#include <QApplication>
#include <QRegion>
#include <QTimer>
#include <algorithm>

namespace ShareCode {

namespace {
// Windows inside pMain whose pixels another library draws (paint-on-screen: the player's SDL
// surface). Qt's backing store holds nothing of them, so a shadow that is itself a native child
// of pMain would show the bare background in their place; instead it leaves them uncovered and
// they dim their own pictures.
std::vector<QWidget *> foreignWindows(QWidget *pMain)
{
    std::vector<QWidget *> windows;
    for (QWidget *pWidget : pMain->findChildren<QWidget *>()) {
        if (pWidget->testAttribute(Qt::WA_PaintOnScreen) && pWidget->internalWinId() &&
            pWidget->isVisible() && !pWidget->size().isEmpty())
            windows.push_back(pWidget);
    }
    return windows;
}

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}
} // namespace

CBLLUIShadowMgr::CBLLUIShadowMgr(QObject *parent) : QObject(parent)
{
    if (CQDialogExMgr *pStack = CQDialogExMgr::instance()) {
        connect(pStack, &CQDialogExMgr::sigDlgPush, this, &CBLLUIShadowMgr::sltDlgPush);
        connect(pStack, &CQDialogExMgr::sigDlgPop, this, &CBLLUIShadowMgr::sltDlgPop);
    }
}

CBLLUIShadowMgr::~CBLLUIShadowMgr()
{
    removeShadow();
}

void CBLLUIShadowMgr::sltDlgPush()
{
    if (!m_pShadow.isNull())
        return;
    CFramelessWindow *pMain = CFramelessWindow::instance();
    QtInversionWidget *pAnchor = QtInversionWidget::instance();
    if (!pMain || !pAnchor)
        return;
    QWidget *pHost = pAnchor;
    if (!platform::windowTranslucencySupported()) {
        // Without a compositor a see-through top-level shows black: dim inside the window itself.
        pHost = pMain;
    }
    pAnchor->resize(pMain->size());
    m_pShadow = new CQWidgetShadow(pHost);
    if (pHost == pMain) {
        QRegion covered(0, 0, pMain->width(), pMain->height());
        for (QWidget *pWindow : foreignWindows(pMain)) {
            covered -= QRect(pWindow->mapTo(pMain, QPoint(0, 0)), pWindow->size());
            pWindow->setProperty(CQWidgetShadow::kDimmedProperty, true);
            m_vecDimmed.emplace_back(pWindow);
        }
        m_pShadow->setMask(covered);
        // Inside the main window the shadow becomes a native child (beside the player's native
        // surface, which it leaves uncovered); a translucent native child gets a 32-bit visual
        // under a 24-bit parent, which the X server refuses to draw into (BadMatch). The dimming is
        // painted over the parent's pixels either way.
        m_pShadow->setAttribute(Qt::WA_TranslucentBackground, false);
    }
    m_pShadow->setGeometry(0, 0, pMain->width(), pMain->height());
    m_pShadow->raise();
    m_pShadow->show();
    // The shadow alone shields nothing: the anchor lets every click through to the main window,
    // and widgets with windows of their own (the player's surface) lie above a child shadow.
    qApp->installEventFilter(this);
}

void CBLLUIShadowMgr::sltDlgPop()
{
    CQDialogExMgr *pStack = CQDialogExMgr::instance();
    m_vecDialogs.erase(std::remove_if(m_vecDialogs.begin(), m_vecDialogs.end(),
                                      [](const QPointer<QWidget> &p) { return p.isNull(); }),
                       m_vecDialogs.end());
    if (!m_pShadow.isNull() && (!pStack || pStack->count() == 0) && m_vecDialogs.empty())
        removeShadow();
}

void CBLLUIShadowMgr::pushDialog(QWidget *pDialog)
{
    const bool bKnown = std::any_of(m_vecDialogs.begin(), m_vecDialogs.end(),
                                    [pDialog](const QPointer<QWidget> &p) { return p == pDialog; });
    if (pDialog && !bKnown)
        m_vecDialogs.emplace_back(pDialog);
    sltDlgPush();
}

void CBLLUIShadowMgr::popDialog(QWidget *pDialog)
{
    m_vecDialogs.erase(
        std::remove_if(m_vecDialogs.begin(), m_vecDialogs.end(),
                       [pDialog](const QPointer<QWidget> &p) { return p == pDialog; }),
        m_vecDialogs.end());
    sltDlgPop();
}

void CBLLUIShadowMgr::removeShadow()
{
    qApp->removeEventFilter(this);
    for (const QPointer<QWidget> &pWindow : m_vecDimmed) {
        if (pWindow)
            pWindow->setProperty(CQWidgetShadow::kDimmedProperty, false);
    }
    m_vecDimmed.clear();
    if (!m_pShadow.isNull()) {
        m_pShadow->hide();
        delete m_pShadow.data();
    }
}

bool CBLLUIShadowMgr::isShielded(QObject *pReceiver, QEvent::Type type) const
{
    // A shortcut goes to its QShortcut or QAction; it belongs to the widget that owns that.
    QObject *pObject = pReceiver;
    while (type == QEvent::Shortcut && pObject && !pObject->isWidgetType())
        pObject = pObject->parent();
    if (!pObject || !pObject->isWidgetType())
        return false;
    const QWidget *pWindow = static_cast<QWidget *>(pObject)->window();
    return pWindow == CFramelessWindow::instance() || pWindow == QtInversionWidget::instance();
}

bool CBLLUIShadowMgr::eventFilter(QObject *watched, QEvent *event)
{
    // isNull(), not a conversion: this also runs while the shadow itself is being destroyed.
    if (m_pShadow.isNull())
        return false;
    const QEvent::Type type = event->type();
    if ((type == QEvent::WindowActivate || type == QEvent::ZOrderChange) && watched &&
        watched == CFramelessWindow::instance()) {
        scheduleRaise();
        return false;
    }
    return isUserInput(type) && isShielded(watched, type);
}

void CBLLUIShadowMgr::scheduleRaise()
{
    // Later, not from inside the main window's own activation or raise.
    if (m_bRaisePending)
        return;
    m_bRaisePending = true;
    QTimer::singleShot(0, this, [this] {
        m_bRaisePending = false;
        keepDialogsAbove();
    });
}

void CBLLUIShadowMgr::keepDialogsAbove()
{
    if (m_pShadow.isNull())
        return;
    // The anchor carries the shadow where the display composites; then the dialogs, oldest
    // first, so that the newest ends on top and takes the keyboard.
    std::vector<QWidget *> vecOrder;
    if (QtInversionWidget *pAnchor = QtInversionWidget::instance())
        vecOrder.push_back(pAnchor);
    for (const QPointer<QWidget> &pDialog : m_vecDialogs)
        vecOrder.push_back(pDialog);
    if (CQDialogExMgr *pStack = CQDialogExMgr::instance()) {
        const std::vector<CQDialogEx *> &vecStack = pStack->dialogs();
        vecOrder.insert(vecOrder.end(), vecStack.rbegin(), vecStack.rend());
    }
    QWidget *pTop = nullptr;
    for (QWidget *pWidget : vecOrder) {
        if (pWidget && pWidget->isVisible()) {
            pWidget->raise();
            pTop = pWidget;
        }
    }
    if (pTop && pTop != QtInversionWidget::instance())
        pTop->activateWindow();
}

} // namespace ShareCode
