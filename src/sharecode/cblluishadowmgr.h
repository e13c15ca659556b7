// Shows one shared shadow over the main window while the dialog stack is not empty.
#pragma once

#include "cqwidgetshadow.h"
#include "singletoncls.h"

#include <QObject>
#include <QPointer>

namespace ShareCode {

class CBLLUIShadowMgr : public QObject, public SingletonCls<CBLLUIShadowMgr>
{
    Q_OBJECT
public:
    // The dialog stack must exist already: its push and pop drive the shadow.
    explicit CBLLUIShadowMgr(QObject *parent = nullptr);
    ~CBLLUIShadowMgr() override;

    CQWidgetShadow *shadow() const { return m_pShadow; }

public slots:
    void sltDlgPush();
    void sltDlgPop();

private:
    // Guarded: the shadow is a child of the dialog anchor and dies with the main window, which
    // goes before this manager at shut-down.
    QPointer<CQWidgetShadow> m_pShadow;
};

} // namespace ShareCode
