// Success and failure dialogs: the error text kept to one elided line, the folder button that
// asks every time, and the names screen readers read.
#include "faildialog.h"
#include "progressdialog.h"
#include "successdialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

class TstResultDialogs : public QObject
{
    Q_OBJECT
private slots:
    void errorMessage_data();
    void errorMessage();
    void folderButtonAsksEachTime();
    void cardsAndNames();
    void chineseTexts();
};

void TstResultDialogs::errorMessage_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown"); // empty: elided
    QTest::newRow("short") << "Image decode failed(End of file)"
                           << "Image decode failed(End of file)";
    QTest::newRow("long") << QStringLiteral("Image decode failed(") +
                                 QString(300, QLatin1Char('x')) + QLatin1Char(')')
                          << QString();
    QTest::newRow("long without spaces, CJK") << QString(120, QChar(0x56FE)) << QString();
    QTest::newRow("line breaks become spaces") << "first line\nsecond line"
                                               << "first line second line";
    QTest::newRow("markup stays text") << "<b>bold</b> <img src=x>"
                                       << "<b>bold</b> <img src=x>";
    QTest::newRow("empty") << QString() << QString("");
}

void TstResultDialogs::errorMessage()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    FailDialog dialog;
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    auto *pLabel = dialog.findChild<QLabel *>(QStringLiteral("labelErrorMessage"));
    dialog.setErrorMessage(message);
    const QString szText = pLabel->text();
    if (shown.isNull()) {
        QVERIFY(szText.endsWith(QChar(0x2026)));
        QCOMPARE(pLabel->toolTip(), message);
    } else {
        QCOMPARE(szText, shown);
        QVERIFY(pLabel->toolTip().isEmpty());
    }
    QCOMPARE(pLabel->textFormat(), Qt::PlainText);
    QVERIFY(QFontMetrics(pLabel->font()).horizontalAdvance(szText) <= 404);
    QCOMPARE(pLabel->font().pixelSize(), 14);
    QCOMPARE(pLabel->size(), QSize(404, 18));
    QCOMPARE(dialog.size(), QSize(502, 352));
    QCOMPARE(pLabel->accessibleDescription(), message);
}

void TstResultDialogs::folderButtonAsksEachTime()
{
    SuccessDialog dialog;
    dialog.show();
    QSignalSpy spy(&dialog, &SuccessDialog::sig_explorerFolderRequest);
    auto *pButton = dialog.findChild<QPushButton *>(QStringLiteral("btnExportFolder"));
    QTest::mouseClick(pButton, Qt::LeftButton);
    QTest::mouseClick(pButton, Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QVERIFY(dialog.isVisible());
    // The keyboard starts on it, and Enter asks too.
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), pButton);
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(spy.count(), 3);
    QVERIFY(dialog.isVisible());
}

void TstResultDialogs::cardsAndNames()
{
    QWidget parent;
    parent.setGeometry(100, 100, 902, 580);
    SuccessDialog success(&parent);
    FailDialog fail(&parent);
    for (QDialog *pDialog : {static_cast<QDialog *>(&success), static_cast<QDialog *>(&fail)}) {
        QCOMPARE(pDialog->size(), QSize(502, 352));
        QCOMPARE(pDialog->pos(), QPoint(300, 214));
        QVERIFY(pDialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(pDialog->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(pDialog->findChild<QPushButton *>(QStringLiteral("btnClose"))->accessibleName(),
                 QStringLiteral("Close"));
    }
    QCOMPARE(success.objectName(), QStringLiteral("SuccessDialogClass"));
    QCOMPARE(fail.objectName(), QStringLiteral("FailDialogClass"));
    auto *pFolder = success.findChild<QPushButton *>(QStringLiteral("btnExportFolder"));
    QCOMPARE(pFolder->text(), QStringLiteral("Open the export folder"));
    QCOMPARE(pFolder->accessibleName(), QStringLiteral("Open the export folder"));
    QCOMPARE(pFolder->height(), 36);
    QVERIFY(pFolder->minimumWidth() >= 180);
    QCOMPARE(success.accessibleName(), QStringLiteral("Export succeeded"));
    // The title shows on the card and names the dialog for screen readers.
    fail.setTitle(QStringLiteral("Partial import failed..."));
    QCOMPARE(fail.findChild<QLabel *>(QStringLiteral("labelContent"))->text(),
             QStringLiteral("Partial import failed..."));
    QCOMPARE(fail.accessibleName(), QStringLiteral("Partial import failed..."));
}

void TstResultDialogs::chineseTexts()
{
    QTranslator translator;
    if (!translator.load(QStringLiteral(VM_APP_QM)))
        QSKIP("the Chinese catalogue was not built (no lrelease)");
    QCoreApplication::installTranslator(&translator);
    ProgressDialog progress;
    SuccessDialog success;
    FailDialog fail;
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(progress.findChild<QPushButton *>(QStringLiteral("btnClose"))->accessibleName(),
             QStringLiteral("关闭"));
    QCOMPARE(progress.accessibleName(), QStringLiteral("进度"));
    QCOMPARE(success.findChild<QPushButton *>(QStringLiteral("btnExportFolder"))->text(),
             QStringLiteral("打开导出文件夹"));
    QCOMPARE(success.findChild<QLabel *>(QStringLiteral("labelContent"))->text(),
             QStringLiteral("导出成功"));
    QCOMPARE(fail.findChild<QLabel *>(QStringLiteral("labelContent"))->text(),
             QStringLiteral("导出失败..."));
    QCOMPARE(fail.findChild<QPushButton *>(QStringLiteral("btnClose"))->accessibleName(),
             QStringLiteral("关闭"));
}

QTEST_MAIN(TstResultDialogs)
#include "tst_resultdialogs.moc"
