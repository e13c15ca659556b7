// SPDX-License-Identifier: GPL-3.0-or-later
// Modal dialog base and the process-wide dialog stack.
#pragma once

#include "singletoncls.h"

#include <QDialog>
#include <vector>

namespace ShareCode {

class CQDialogEx : public QDialog
{
    Q_OBJECT
public:
    explicit CQDialogEx(QWidget *parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());

    // Runs modally while registered on the dialog stack (which shadows the main window).
    int exec() override;
    bool applyTheme();
};

class CQDialogExMgr : public QObject, public SingletonCls<CQDialogExMgr>
{
    Q_OBJECT
public:
    explicit CQDialogExMgr(QObject *parent = nullptr);

    void push(CQDialogEx *pDialog);
    void pop(CQDialogEx *pDialog);
    int count() const { return static_cast<int>(m_vecStack.size()); }
    bool contains(const CQDialogEx *pDialog) const;
    const std::vector<CQDialogEx *> &dialogs() const { return m_vecStack; } // newest first

signals:
    void sigDlgPush();
    void sigDlgPop();

private:
    std::vector<CQDialogEx *> m_vecStack; // newest first; not owned
};

} // namespace ShareCode
