// SPDX-License-Identifier: GPL-3.0-or-later
// Shows one shared shadow over the main window while a dialog is open, and keeps the main window
// out of reach meanwhile.
#pragma once

#include "cqwidgetshadow.h"
#include "singletoncls.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <vector>

namespace ShareCode {

class CBLLUIShadowMgr : public QObject, public SingletonCls<CBLLUIShadowMgr>
{
    Q_OBJECT
public:
    // The dialog stack must exist already: its push and pop drive the shadow.
    explicit CBLLUIShadowMgr(QObject *parent = nullptr);
    ~CBLLUIShadowMgr() override;

    CQWidgetShadow *shadow() const { return m_pShadow; }

    // For dialogs that are not run through the dialog stack (the modeless quit dialog): the
    // shadow stays while any of them, or any stacked dialog, is open; they are kept above the
    // main window like the stacked ones.
    void pushDialog(QWidget *pDialog);
    void popDialog(QWidget *pDialog);

public slots:
    void sltDlgPush();
    void sltDlgPop();

protected:
    // While the shadow is up: input meant for the main window is dropped, and a main window
    // that comes to the front puts the dialogs back above it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isShielded(QObject *pReceiver, QEvent::Type type) const;
    void scheduleRaise();
    void keepDialogsAbove();
    void removeShadow();

    // Guarded: the shadow is a child of the dialog anchor (or of the main window) and dies with
    // the main window, which goes before this manager at shut-down.
    QPointer<CQWidgetShadow> m_pShadow;
    std::vector<QPointer<QWidget>> m_vecDialogs; // pushDialog order
    // Windows left uncovered by an in-window shadow, dimming themselves meanwhile.
    std::vector<QPointer<QWidget>> m_vecDimmed;
    bool m_bRaisePending = false;
};

} // namespace ShareCode
