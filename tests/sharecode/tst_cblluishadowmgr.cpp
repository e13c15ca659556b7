// While a dialog shadows the main window, the main window takes no input and stays below the
// dialog: with a compositor (shadow on the click-through anchor) and without (shadow inside).
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqdlgtipsimple.h"
#include "cqquitdialog.h"
#include "qtinversionwidget.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

using namespace ShareCode;

// Xvfb has no compositor; this definition replaces the display's answer in this test.
static bool g_bComposited = false;
namespace platform {
bool windowTranslucencySupported()
{
    return g_bComposited;
}
} // namespace platform

namespace {
// Counts presses; it has an X window of its own, as the player's video surface does.
class NativeSurface : public QWidget
{
public:
    explicit NativeSurface(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_NativeWindow);
        setMinimumSize(200, 150);
    }
    int iPresses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++iPresses; }
};

// A click where the display sends it: to the X window that holds the widget (the main window's
// own, since the anchor above it takes no input, or the surface's).
void clickOn(QWidget *pWidget)
{
    QWidget *pNative = pWidget->internalWinId() ? pWidget : pWidget->nativeParentWidget();
    QTest::mouseClick(pNative->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      pWidget->mapTo(pNative, pWidget->rect().center()));
}

bool isAbove(QWidget *pDialog, QWidget *pMain)
{
    // The X server's own answer: the window on top at the dialog's centre.
    const QPoint stCentre = pDialog->mapToGlobal(pDialog->rect().center());
    return pMain->geometry().contains(stCentre) &&
           QGuiApplication::topLevelAt(stCentre) == pDialog->windowHandle();
}
} // namespace

class TstCBLLUIShadowMgr : public QObject
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

    void mainWindowIsShielded_data()
    {
        QTest::addColumn<bool>("composited");
        QTest::addColumn<bool>("modal");
        QTest::newRow("quit dialog, composited") << true << false;
        QTest::newRow("quit dialog, plain") << false << false;
        QTest::newRow("stacked dialog, composited") << true << true;
        QTest::newRow("stacked dialog, plain") << false << true;
    }
    void mainWindowIsShielded()
    {
        QFETCH(bool, composited);
        QFETCH(bool, modal);
        g_bComposited = composited;
        CFramelessWindow frame;
        auto *pContent = new QWidget;
        auto *pLayout = new QHBoxLayout(pContent);
        auto *pExport = new QPushButton(QStringLiteral("Export"), pContent);
        auto *pSurface = new NativeSurface(pContent);
        pLayout->addWidget(pExport);
        pLayout->addWidget(pSurface);
        frame.addContentWidget(pContent);
        frame.setGeometry(100, 80, 1000, 700);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.dialogAnchor()->isVisible(), composited);
        QSignalSpy exports(pExport, &QPushButton::clicked);
        QSignalSpy closes(&frame, &CFramelessWindow::signal_close);
        auto *pClose = frame.findChild<QPushButton *>(QStringLiteral("btnClose"));
        // Reachable before: the checks below would prove nothing otherwise.
        clickOn(pExport);
        clickOn(pSurface);
        QCOMPARE(exports.count(), 1);
        QCOMPARE(pSurface->iPresses, 1);

        QDialog *pDialog = nullptr;
        if (modal)
            pDialog = new CQDlgTipSimple(frame.dialogAnchor());
        else
            pDialog = new CQQuitDialog(frame.dialogAnchor());
        QPointer<QDialog> guard(pDialog);
        auto shielded = [&] {
            QVERIFY(QTest::qWaitForWindowExposed(pDialog));
            QVERIFY(m_pShadow->shadow());
            clickOn(pExport);
            clickOn(pClose);
            clickOn(pSurface);
            QTest::mouseDClick(frame.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                               QPoint(400, 20)); // title bar
            pExport->setFocus();
            QTest::keyClick(frame.windowHandle(), Qt::Key_Space);
            QCOMPARE(exports.count(), 1);
            QCOMPARE(closes.count(), 0);
            QCOMPARE(pSurface->iPresses, 1);
            QVERIFY(!frame.isMaximized());

            // What a second start does to the main window: the dialog comes back on top.
            frame.raise();
            frame.activateWindow();
            QTRY_VERIFY(isAbove(pDialog, &frame));
            QTRY_COMPARE(QApplication::activeWindow(), pDialog);
            clickOn(pDialog->findChild<QPushButton *>(QStringLiteral("btnCancel")));
        };
        if (modal) {
            QTimer::singleShot(0, pDialog, [&] {
                shielded();
                if (pDialog->isVisible()) // a check above failed
                    pDialog->reject();
            });
            pDialog->exec();
        } else {
            pDialog->show();
            shielded();
        }
        if (QTest::currentTestFailed()) {
            delete guard.data();
            return;
        }
        QTRY_VERIFY(guard.isNull() || !guard->isVisible());
        delete guard.data();
        QVERIFY(!m_pShadow->shadow());

        // Free again once the dialog is gone.
        clickOn(pExport);
        QCOMPARE(exports.count(), 2);
    }

private:
    CQDialogExMgr *m_pStack = nullptr;
    CBLLUIShadowMgr *m_pShadow = nullptr;
};

QTEST_MAIN(TstCBLLUIShadowMgr)
#include "tst_cblluishadowmgr.moc"
