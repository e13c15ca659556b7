// Question dialog results, texts and its place on the dialog stack.
#include "accessiblenames.h"
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdlgtipsimple.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace ShareCode;

class TstCQDlgTipSimple : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_pStack = new CQDialogExMgr;
        m_pShadow = new CBLLUIShadowMgr;
    }
    void cleanupTestCase()
    {
        delete m_pShadow;
        delete m_pStack;
    }

    void result_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("ok") << "btnOK" << int(QDialog::Accepted);
        QTest::newRow("cancel") << "btnCancel" << int(QDialog::Rejected);
        QTest::newRow("close") << "btnClose" << int(QDialog::Rejected);
    }
    void result()
    {
        QFETCH(QString, button);
        QFETCH(int, expected);
        CFramelessWindow frame;
        frame.show();
        CQDlgTipSimple dialog;
        int iDepth = -1;
        bool bShadowed = false;
        QTimer::singleShot(0, &dialog, [&] {
            iDepth = m_pStack->count();
            bShadowed = m_pShadow->shadow() != nullptr;
            dialog.findChild<QPushButton *>(button)->click();
        });
        QCOMPARE(dialog.exec(), expected);
        QCOMPARE(iDepth, 1);
        QVERIFY(bShadowed);
        QCOMPARE(m_pStack->count(), 0);
        QVERIFY(!m_pShadow->shadow());
    }

    void formAndTexts()
    {
        CQDlgTipSimple dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("CQDlgTipSimple"));
        QCOMPARE(dialog.size(), QSize(320, 204));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("checkUpdate"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog.isWindow());
        QVERIFY(!dialog.findChild<QWidget *>("uiBottom1")->isHidden());
        QVERIFY(dialog.findChild<QWidget *>("uiBottom2")->isHidden());
        dialog.setTitle(QStringLiteral("Tips"));
        dialog.setMessage(QStringLiteral("Do you want to delete this material?"));
        dialog.setOkText(QStringLiteral("Yes"));
        dialog.setCancelText(QStringLiteral("Cancel"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tips"));
        QCOMPARE(dialog.findChild<QLabel *>("labAppTilte")->text(), QStringLiteral("Tips"));
        QCOMPARE(dialog.findChild<QLabel *>("uiTip")->text(),
                 QStringLiteral("Do you want to delete this material?"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnOK")->text(), QStringLiteral("Yes"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnOK_2")->text(), QStringLiteral("Yes"));
        QCOMPARE(dialog.findChild<QPushButton *>("btnCancel")->text(), QStringLiteral("Cancel"));
        for (const char *name : {"btnOK", "btnCancel", "btnOK_2"})
            QCOMPARE(dialog.findChild<QPushButton *>(name)->size(), QSize(76, 30));
        QCOMPARE(accessible::unnamedControls(&dialog), QStringList());
    }

    void centredOnMainWindow()
    {
        CFramelessWindow frame;
        frame.setGeometry(40, 20, 902, 580);
        CQDlgTipSimple dialog;
        QCOMPARE(dialog.pos(), QPoint(40 + (902 - 320) / 2, 20 + (580 - 204) / 2));
    }

private:
    CQDialogExMgr *m_pStack = nullptr;
    CBLLUIShadowMgr *m_pShadow = nullptr;
};

QTEST_MAIN(TstCQDlgTipSimple)
#include "tst_cqdlgtipsimple.moc"
