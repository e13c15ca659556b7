// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog stack.
#include "cqdialogex.h"

#include "cqthememgr.h"

#include <algorithm>

namespace ShareCode {

CQDialogEx::CQDialogEx(QWidget *parent, Qt::WindowFlags f) : QDialog(parent, f) {}

int CQDialogEx::exec()
{
    // Captured first: a dialog with WA_DeleteOnClose is gone when QDialog::exec returns.
    CQDialogExMgr *pMgr = CQDialogExMgr::instance();
    CQDialogEx *pSelf = this;
    if (pMgr)
        pMgr->push(pSelf);
    const int iResult = QDialog::exec();
    if ((pMgr = CQDialogExMgr::instance()))
        pMgr->pop(pSelf);
    return iResult;
}

bool CQDialogEx::applyTheme()
{
    CQThemeMgr *pTheme = CQThemeMgr::instance();
    return pTheme && pTheme->apply(this);
}

CQDialogExMgr::CQDialogExMgr(QObject *parent) : QObject(parent) {}

void CQDialogExMgr::push(CQDialogEx *pDialog)
{
    if (!contains(pDialog))
        m_vecStack.insert(m_vecStack.begin(), pDialog);
    emit sigDlgPush();
}

void CQDialogExMgr::pop(CQDialogEx *pDialog)
{
    auto it = std::find(m_vecStack.begin(), m_vecStack.end(), pDialog);
    if (it != m_vecStack.end())
        m_vecStack.erase(it);
    emit sigDlgPop();
}

bool CQDialogExMgr::contains(const CQDialogEx *pDialog) const
{
    return std::find(m_vecStack.begin(), m_vecStack.end(), pDialog) != m_vecStack.end();
}

} // namespace ShareCode
