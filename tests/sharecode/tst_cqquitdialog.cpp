// Quit dialog signals, self-deletion and the shadow it shows while visible.
#include "accessiblenames.h"
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqquitdialog.h"
#include "qtinversionwidget.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace ShareCode;

class TstCQQuitDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_pStack = new CQDialogExMgr;
        m_pShadow = new CBLLUIShadowMgr;
        m_pFrame = new CFramelessWindow;
        m_pFrame->show();
    }
    void cleanupTestCase()
    {
        delete m_pFrame;
        delete m_pShadow;
        delete m_pStack;
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("oks");
        QTest::addColumn<int>("cancels");
        QTest::newRow("close emits nothing") << "btnClose" << 0 << 0;
        QTest::newRow("cancel") << "btnCancel" << 0 << 1;
        QTest::newRow("ok") << "btnOK" << 1 << 0;
    }
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(int, oks);
        QFETCH(int, cancels);
        QPointer<CQQuitDialog> dialog = new CQQuitDialog(m_pFrame->dialogAnchor());
        QSignalSpy okSpy(dialog.data(), &CQQuitDialog::okSignal);
        QSignalSpy cancelSpy(dialog.data(), &CQQuitDialog::cancelSignal);
        bool bVisibleAtSignal = true;
        auto record = [&] { bVisibleAtSignal = dialog->isVisible(); };
        connect(dialog.data(), &CQQuitDialog::okSignal, this, record);
        connect(dialog.data(), &CQQuitDialog::cancelSignal, this, record);
        dialog->show();
        QVERIFY(m_pShadow->shadow());
        dialog->findChild<QPushButton *>(button)->click();
        QCOMPARE(okSpy.count(), oks);
        QCOMPARE(cancelSpy.count(), cancels);
        if (oks + cancels)
            QVERIFY(!bVisibleAtSignal); // closed first, then told
        QVERIFY(!m_pShadow->shadow());
        QTRY_VERIFY(dialog.isNull()); // deletes itself on close
    }

    void shadowStaysWhileAnotherDialogIsOpen()
    {
        CQDialogEx modal;
        m_pStack->push(&modal);
        m_pShadow->sltDlgPush();
        auto *pQuit = new CQQuitDialog(m_pFrame->dialogAnchor());
        pQuit->show();
        pQuit->close();
        QVERIFY(m_pShadow->shadow());
        m_pStack->pop(&modal);
        QVERIFY(!m_pShadow->shadow());

        // And the other way round: the quit dialog keeps the shadow when a stacked one closes.
        pQuit = new CQQuitDialog(m_pFrame->dialogAnchor());
        pQuit->show();
        m_pStack->push(&modal);
        m_pStack->pop(&modal);
        QVERIFY(m_pShadow->shadow());
        pQuit->close();
        QVERIFY(!m_pShadow->shadow());
    }

    void deletedWhileShownTakesTheShadowAlong()
    {
        auto *pQuit = new CQQuitDialog(m_pFrame->dialogAnchor());
        pQuit->show();
        QVERIFY(m_pShadow->shadow());
        delete pQuit;
        QVERIFY(!m_pShadow->shadow());
    }

    void formAndTexts()
    {
        CQQuitDialog dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("CQQuitDialogClass"));
        QCOMPARE(dialog.size(), QSize(320, 232));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tips"));
        QCOMPARE(dialog.findChild<QLabel *>("labAppTilte")->text(), QStringLiteral("Tips"));
        QCOMPARE(dialog.findChild<QLabel *>("uiTip2")->text(), QStringLiteral("label2"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnOK")->text(), QStringLiteral("Comfirm"));
        dialog.setTitle(QStringLiteral("Tips"));
        dialog.setTip(
            QStringLiteral("Editing electronic photo album, do you want to exit the software?"));
        dialog.setTip2(QStringLiteral("Exit will not save the file"));
        dialog.setOkText(QStringLiteral("ok"));
        dialog.setCancelText(QStringLiteral("cancel"));
        QCOMPARE(dialog.findChild<QLabel *>("uiTip2")->text(),
                 QStringLiteral("Exit will not save the file"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnOK")->text(), QStringLiteral("ok"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnCancel")->text(), QStringLiteral("cancel"));
        QVERIFY(dialog.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(accessible::unnamedControls(&dialog), QStringList());
        dialog.setAttribute(Qt::WA_DeleteOnClose, false); // on the stack here
    }

private:
    CQDialogExMgr *m_pStack = nullptr;
    CBLLUIShadowMgr *m_pShadow = nullptr;
    CFramelessWindow *m_pFrame = nullptr;
};

QTEST_MAIN(TstCQQuitDialog)
#include "tst_cqquitdialog.moc"
