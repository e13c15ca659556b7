// Progress dialog: the label's arithmetic and clamping, self-closing, which hides report
// sig_hided, the question before a user's stop, dragging and placement.
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqdlgtipsimple.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

namespace {
QString labelText(const ProgressDialog &dialog)
{
    return dialog.findChild<QLabel *>(QStringLiteral("labelContent"))->text();
}

// Counts the hide events that reach a widget, and how many came from the window system.
struct HideCounter : QObject
{
    int iHides = 0;
    int iSpontaneous = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide) {
            ++iHides;
            iSpontaneous += event->spontaneous() ? 1 : 0;
        }
        return false;
    }
};
} // namespace

class TstProgressDialog : public QObject
{
    Q_OBJECT
private slots:
    void label_data();
    void label();
    void startsAtZero();
    void closeAfterTime_data();
    void closeAfterTime();
    void escapeEndsItLikeTheCloseButton();
    void hides_data();
    void hides();
    void hideRemovesTheShadow();
    void stopAsksFirst_data();
    void stopAsksFirst();
    void closingFromCodeNeverAsks();
    void dragsWithTheMouse();
    void cardAndPlacement();
};

void TstProgressDialog::label_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bar");
    const QString szImport = QStringLiteral("importing material... ");
    QTest::newRow("in range") << szImport << 42 << "importing material...  (42%)" << 42;
    QTest::newRow("above 100") << szImport << 130 << "importing material...  (100%)" << 100;
    QTest::newRow("below 0") << szImport << -5 << "importing material...  (0%)" << 0;
    QTest::newRow("no prefix") << QString() << 42 << "42%" << 42;
    QTest::newRow("no prefix, clamped") << QString() << 1000 << "100%" << 100;
    QTest::newRow("percent signs in the prefix stay")
        << "100%1 done %2" << 7 << "100%1 done %2 (7%)" << 7;
}

void TstProgressDialog::label()
{
    QFETCH(QString, prefix);
    QFETCH(int, value);
    QFETCH(QString, text);
    QFETCH(int, bar);
    // Both orders: a value before the prefix, and after it.
    ProgressDialog valueFirst;
    valueFirst.setValue(value);
    valueFirst.setTextPrefix(prefix);
    QCOMPARE(labelText(valueFirst), text);
    ProgressDialog prefixFirst;
    prefixFirst.setTextPrefix(prefix);
    prefixFirst.setValue(value);
    QCOMPARE(labelText(prefixFirst), text);
    QCOMPARE(prefixFirst.value(), bar);
}

void TstProgressDialog::startsAtZero()
{
    ProgressDialog dialog;
    QCOMPARE(labelText(dialog), QStringLiteral("0%"));
    dialog.setTextPrefix(QStringLiteral("exporting... "));
    QCOMPARE(labelText(dialog), QStringLiteral("exporting...  (0%)"));
    auto *pBar = dialog.findChild<QProgressBar *>(QStringLiteral("barProgress"));
    QCOMPARE(pBar->value(), 0);
    QVERIFY(!pBar->isTextVisible());
}

void TstProgressDialog::closeAfterTime_data()
{
    QTest::addColumn<QList<int>>("calls");
    QTest::newRow("0 ms") << QList<int>{0};
    QTest::newRow("negative is at once") << QList<int>{-20};
    QTest::newRow("50 ms") << QList<int>{50};
    QTest::newRow("a later call replaces a pending one") << QList<int>{600000, 0};
}

void TstProgressDialog::closeAfterTime()
{
    QFETCH(QList<int>, calls);
    QPointer<ProgressDialog> dialog = new ProgressDialog;
    QSignalSpy hided(dialog.data(), &ProgressDialog::sig_hided);
    dialog->show();
    for (int iMs : calls)
        dialog->closeAfterTime(iMs);
    // Never synchronous: the caller may still use the dialog after asking.
    QVERIFY(dialog->isVisible());
    QCOMPARE(hided.count(), 0);
    QTRY_VERIFY(dialog.isNull()); // closed, and deleted on close
    QCOMPARE(hided.count(), 1);
}

void TstProgressDialog::escapeEndsItLikeTheCloseButton()
{
    // The editor's import ends when the dialog is destroyed: Escape must get there too.
    QPointer<ProgressDialog> dialog = new ProgressDialog;
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    QTest::keyClick(dialog.data(), Qt::Key_Escape);
    QTRY_VERIFY(dialog.isNull());
}

void TstProgressDialog::hides_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("emits");
    QTest::newRow("hide()") << "hide" << 1;
    QTest::newRow("close()") << "close" << 1;
    QTest::newRow("close button") << "button" << 1;
    QTest::newRow("Escape") << "escape" << 1;
    QTest::newRow("Enter does not close") << "enter" << 0;
    QTest::newRow("minimised by the window system") << "minimise" << 0;
}

void TstProgressDialog::hides()
{
    QFETCH(QString, how);
    QFETCH(int, emits);
    QPointer<ProgressDialog> dialog = new ProgressDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->findChild<QPushButton *>(QStringLiteral("btnClose"))->setFocus();
    HideCounter counter;
    dialog->installEventFilter(&counter);
    QSignalSpy hided(dialog.data(), &ProgressDialog::sig_hided);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    if (how == QLatin1String("hide"))
        dialog->hide();
    else if (how == QLatin1String("close"))
        dialog->close();
    else if (how == QLatin1String("button"))
        dialog->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
    else if (how == QLatin1String("escape"))
        QTest::keyClick(dialog.data(), Qt::Key_Escape);
    else if (how == QLatin1String("enter"))
        QTest::keyClick(dialog.data(), Qt::Key_Return);
    else
        dialog->setWindowState(Qt::WindowMinimized);
    QCOMPARE(counter.iHides, how == QLatin1String("enter") ? 0 : 1);
    QCOMPARE(counter.iSpontaneous, how == QLatin1String("minimise") ? 1 : 0);
    QCOMPARE(hided.count(), emits);
    delete dialog.data();
}

void TstProgressDialog::hideRemovesTheShadow()
{
    ShareCode::CQDialogExMgr stack;
    ShareCode::CBLLUIShadowMgr shadow;
    ShareCode::CFramelessWindow frame;
    frame.show();
    shadow.sltDlgPush();
    QVERIFY(shadow.shadow());
    ProgressDialog dialog(frame.dialogAnchor());
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    dialog.hide();
    QVERIFY(!shadow.shadow());
}

void TstProgressDialog::stopAsksFirst_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("stop");
    for (const char *how : {"escape", "button", "window manager"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, Stop").arg(QLatin1String(how))))
            << QString::fromLatin1(how) << true;
        QTest::newRow(qPrintable(QStringLiteral("%1, Continue").arg(QLatin1String(how))))
            << QString::fromLatin1(how) << false;
    }
}

void TstProgressDialog::stopAsksFirst()
{
    QFETCH(QString, how);
    QFETCH(bool, stop);
    QPointer<ProgressDialog> dialog = new ProgressDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setStopQuestion(QStringLiteral("Tips"), QStringLiteral("Stop the export?"),
                            QStringLiteral("Stop"), QStringLiteral("Continue"));
    QSignalSpy hided(dialog.data(), &ProgressDialog::sig_hided);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    auto request = [&] {
        if (how == QLatin1String("escape")) {
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        } else if (how == QLatin1String("button")) {
            dialog->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        } else {
            // Goes through the window system's close, as the window manager's button does.
            dialog->windowHandle()->close();
        }
    };
    request();
    // Asked, and nothing ended meanwhile: the operation reports on.
    QPointer<ShareCode::CQDlgTipSimple> question = dialog->stopQuestion();
    QVERIFY(question);
    QVERIFY(question->isVisible());
    QCOMPARE(question->findChild<QLabel *>(QStringLiteral("uiTip"))->text(),
             QStringLiteral("Stop the export?"));
    QCOMPARE(question->findChild<QPushButton *>(QStringLiteral("btnOK"))->text(),
             QStringLiteral("Stop"));
    QCOMPARE(question->findChild<QPushButton *>(QStringLiteral("btnCancel"))->text(),
             QStringLiteral("Continue"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(hided.count(), 0);
    dialog->setValue(57);
    QCOMPARE(dialog->value(), 57);
    // Asking again raises the same question.
    request();
    QCOMPARE(dialog->stopQuestion(), question.data());
    if (stop) {
        question->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(hided.count(), 1);
    } else {
        // Enter answers with Continue: a reflex key press never ends the work.
        QTest::keyClick(question.data(), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QCOMPARE(hided.count(), 0);
    }
    QTRY_VERIFY(question.isNull());
    delete dialog.data();
}

void TstProgressDialog::closingFromCodeNeverAsks()
{
    // The operation's own end closes at once, and takes a pending question with it.
    QPointer<ProgressDialog> dialog = new ProgressDialog;
    dialog->setStopQuestion(QStringLiteral("Tips"), QStringLiteral("Stop the export?"),
                            QStringLiteral("Stop"), QStringLiteral("Continue"));
    QSignalSpy hided(dialog.data(), &ProgressDialog::sig_hided);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    QTest::keyClick(dialog.data(), Qt::Key_Escape);
    QPointer<ShareCode::CQDlgTipSimple> question = dialog->stopQuestion();
    QVERIFY(question);
    dialog->close();
    QCOMPARE(hided.count(), 1);
    QTRY_VERIFY(question.isNull());
    QTRY_VERIFY(dialog.isNull());

    // closeAfterTime too.
    dialog = new ProgressDialog;
    dialog->setStopQuestion(QStringLiteral("Tips"), QStringLiteral("Stop the export?"),
                            QStringLiteral("Stop"), QStringLiteral("Continue"));
    dialog->show();
    dialog->closeAfterTime(0);
    QTRY_VERIFY(dialog.isNull());
}

void TstProgressDialog::dragsWithTheMouse()
{
    ProgressDialog dialog;
    dialog.move(200, 150);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint stStart = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, Qt::NoModifier, QPoint(100, 300));
    QMouseEvent move(QEvent::MouseMove, QPoint(130, 320), dialog.mapToGlobal(QPoint(130, 320)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &move);
    QCOMPARE(dialog.pos(), stStart + QPoint(30, 20));
    QTest::mouseRelease(&dialog, Qt::LeftButton, Qt::NoModifier, QPoint(130, 320));
    // With the button up, moving the mouse leaves the dialog where it is.
    QMouseEvent hover(QEvent::MouseMove, QPoint(10, 10), dialog.mapToGlobal(QPoint(10, 10)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &hover);
    QCOMPARE(dialog.pos(), stStart + QPoint(30, 20));
}

void TstProgressDialog::cardAndPlacement()
{
    QWidget parent;
    parent.setGeometry(100, 100, 902, 580);
    ProgressDialog dialog(&parent);
    QVERIFY(dialog.isWindow());
    QCOMPARE(dialog.size(), QSize(502, 352));
    QCOMPARE(dialog.pos(), QPoint(100 + (902 - 502) / 2, 100 + (580 - 352) / 2));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog.testAttribute(Qt::WA_DeleteOnClose));
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    auto *pClose = dialog.findChild<QPushButton *>(QStringLiteral("btnClose"));
    QCOMPARE(pClose->geometry(), QRect(465, 5, 30, 30));
    QCOMPARE(pClose->accessibleName(), QStringLiteral("Close"));
    QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("uiFrame3"))->height(), 106);
    QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("divBackground"))->size(), QSize(500, 244));
}

QTEST_MAIN(TstProgressDialog)
#include "tst_progressdialog.moc"
