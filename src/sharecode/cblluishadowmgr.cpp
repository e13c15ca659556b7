// Shadow manager.
#include "cblluishadowmgr.h"

#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqwidgetshadow.h"
#include "qtinversionwidget.h"

#include "translucency.h"

namespace ShareCode {

CBLLUIShadowMgr::CBLLUIShadowMgr(QObject *parent) : QObject(parent)
{
    if (CQDialogExMgr *pStack = CQDialogExMgr::instance()) {
        connect(pStack, &CQDialogExMgr::sigDlgPush, this, &CBLLUIShadowMgr::sltDlgPush);
        connect(pStack, &CQDialogExMgr::sigDlgPop, this, &CBLLUIShadowMgr::sltDlgPop);
    }
}

CBLLUIShadowMgr::~CBLLUIShadowMgr()
{
    delete m_pShadow.data();
}

void CBLLUIShadowMgr::sltDlgPush()
{
    if (m_pShadow)
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
    m_pShadow->setGeometry(0, 0, pMain->width(), pMain->height());
    m_pShadow->raise();
    m_pShadow->show();
}

void CBLLUIShadowMgr::sltDlgPop()
{
    CQDialogExMgr *pStack = CQDialogExMgr::instance();
    if (m_pShadow && (!pStack || pStack->count() == 0)) {
        m_pShadow->hide();
        delete m_pShadow.data();
    }
}

} // namespace ShareCode
