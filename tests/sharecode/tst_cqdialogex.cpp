// Dialog stack and the shared shadow over the main window.
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "qtinversionwidget.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace ShareCode;

class TstCQDialogEx : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pStack = new CQDialogExMgr;
        m_pShadow = new CBLLUIShadowMgr;
    }
    void cleanup()
    {
        delete m_pShadow;
        delete m_pStack;
    }

    void stackPushPop()
    {
        CQDialogEx a, b;
        QSignalSpy pushes(m_pStack, &CQDialogExMgr::sigDlgPush);
        QSignalSpy pops(m_pStack, &CQDialogExMgr::sigDlgPop);
        m_pStack->push(&a);
        m_pStack->push(&a); // already there: announced again, not stored twice
        m_pStack->push(&b);
        QCOMPARE(m_pStack->count(), 2);
        QCOMPARE(pushes.count(), 3);
        m_pStack->pop(&a);
        QCOMPARE(m_pStack->count(), 1);
        QVERIFY(m_pStack->contains(&b));
        m_pStack->pop(&a); // not on the stack: still announced
        QCOMPARE(pops.count(), 2);
        QCOMPARE(m_pStack->count(), 1);
    }

    void nestedDialogsShareOneShadow()
    {
        CFramelessWindow frame;
        frame.setGeometry(40, 30, 1000, 640);
        frame.show();
        CQDialogEx outer(frame.dialogAnchor());
        CQDialogEx inner(frame.dialogAnchor());
        CQWidgetShadow *shadowInOuter = nullptr, *shadowInInner = nullptr,
                       *shadowAfterInner = nullptr;
        QPointer<CQWidgetShadow> shadowGuard;
        int iDepthInInner = 0;
        QRect stShadowRect;
        QWidget *pShadowParent = nullptr;

        QTimer::singleShot(0, &outer, [&] {
            shadowInOuter = m_pShadow->shadow();
            shadowGuard = shadowInOuter;
            if (shadowInOuter) {
                stShadowRect = shadowInOuter->geometry();
                pShadowParent = shadowInOuter->parentWidget();
            }
            QTimer::singleShot(0, &inner, [&] {
                shadowInInner = m_pShadow->shadow();
                iDepthInInner = m_pStack->count();
                inner.accept();
            });
            QCOMPARE(inner.exec(), int(QDialog::Accepted));
            shadowAfterInner = m_pShadow->shadow();
            outer.reject();
        });
        QCOMPARE(outer.exec(), int(QDialog::Rejected));

        QVERIFY(shadowInOuter);
        QCOMPARE(pShadowParent, static_cast<QWidget *>(frame.dialogAnchor()));
        QCOMPARE(stShadowRect, QRect(0, 0, 1000, 640));
        QCOMPARE(iDepthInInner, 2);
        QCOMPARE(shadowInInner, shadowInOuter);
        QCOMPARE(shadowAfterInner, shadowInOuter);
        QVERIFY(!m_pShadow->shadow());
        QVERIFY(shadowGuard.isNull()); // deleted, not just hidden
        QCOMPARE(m_pStack->count(), 0);
        QCOMPARE(frame.dialogAnchor()->size(), frame.size());
    }

    void deleteOnCloseDialogLeavesStack()
    {
        CFramelessWindow frame;
        frame.show();
        auto *pDialog = new CQDialogEx(frame.dialogAnchor());
        pDialog->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<CQDialogEx> guard(pDialog);
        QTimer::singleShot(0, pDialog, &QDialog::accept);
        QCOMPARE(pDialog->exec(), int(QDialog::Accepted));
        QVERIFY(guard.isNull());
        QCOMPARE(m_pStack->count(), 0);
        QVERIFY(!m_pShadow->shadow());
    }

    void shadowOutlivedByManagerIsNotFreedTwice()
    {
        // The main window (and with it the anchor and the shadow) goes first at shut-down.
        auto *pFrame = new CFramelessWindow;
        pFrame->show();
        m_pShadow->sltDlgPush();
        QVERIFY(m_pShadow->shadow());
        delete pFrame;
        QVERIFY(!m_pShadow->shadow());
    }

    void noShadowWithoutMainWindow()
    {
        m_pShadow->sltDlgPush();
        QVERIFY(!m_pShadow->shadow());
    }

private:
    CQDialogExMgr *m_pStack = nullptr;
    CBLLUIShadowMgr *m_pShadow = nullptr;
};

QTEST_MAIN(TstCQDialogEx)
#include "tst_cqdialogex.moc"
