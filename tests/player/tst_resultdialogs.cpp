// Success and failure dialogs: the error text wrapped whole onto a few lines (elided only beyond
// them), the folder button that asks every time, and the names screen readers read.
#include "faildialog.h"
#include "progressdialog.h"
#include "successdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

#include <algorithm>

class TstResultDialogs : public QObject
{
    Q_OBJECT
private slots:
    void errorMessage_data();
    void errorMessage();
    void folderButtonAsksEachTime();
    void successSaysWhereTheFileWent();
    void cardsAndNames();
    void chineseTexts();
};

void TstResultDialogs::errorMessage_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown"); // the label's text with its lines joined; empty: elided
    QTest::addColumn<int>("lines");     // 0: more than one, at most four (as the font falls)
    QTest::newRow("short") << "Image decode failed(End of file)"
                           << "Image decode failed(End of file)" << 1;
    // The export's report on a folder it may not write: the folder is what the user needs.
    const QString szFolder = QStringLiteral(
        "/home/someone/Videos/VMAlbum/Holidays/2024 summer in the mountains with the family/"
        "exports-for-grandparents-and-cousins");
    const QString szReport =
        QStringLiteral("Could not create the video file (Operation not permitted) — ") + szFolder;
    QTest::newRow("export failure with its folder") << szReport << szReport << 0;
    const QString szShortReport = QStringLiteral(
        "Could not create the video file (Operation not permitted) — /home/someone/Videos");
    QTest::newRow("export failure, the folder on a line of its own")
        << szShortReport << szShortReport << 2;
    const QString szPath = QStringLiteral(
        "/media/someone/USB-DISK/Photos/2024-summer-holiday-in-the-mountains/exports/album.mp4");
    QTest::newRow("a path without spaces") << szPath << szPath << 0;
    QTest::newRow("too long for four lines")
        << QStringLiteral("Image decode failed(") + QString(300, QLatin1Char('x')) +
               QLatin1Char(')')
        << QString() << 4;
    QTest::newRow("long without spaces, CJK") << QString(200, QChar(0x56FE)) << QString() << 4;
    QTest::newRow("line breaks become spaces") << "first line\nsecond line"
                                               << "first line second line" << 1;
    QTest::newRow("markup stays text") << "<b>bold</b> <img src=x>"
                                       << "<b>bold</b> <img src=x>" << 1;
    QTest::newRow("empty") << QString() << QString("") << 1;
}

void TstResultDialogs::errorMessage()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    FailDialog dialog;
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    auto *pLabel = dialog.findChild<QLabel *>(QStringLiteral("labelErrorMessage"));
    dialog.setErrorMessage(message);
    const QStringList shownLines = pLabel->text().split(QLatin1Char('\n'));
    QVERIFY2(lines ? shownLines.size() == lines : shownLines.size() > 1 && shownLines.size() <= 4,
             qPrintable(shownLines.join(QStringLiteral(" | "))));
    if (shown.isNull()) {
        QVERIFY(shownLines.last().endsWith(QChar(0x2026)));
        QCOMPARE(pLabel->toolTip(), message);
    } else {
        // Nothing lost: the lines put together are the message (a break at a space drops it).
        QString szJoined;
        for (const QString &line : shownLines) {
            if (!szJoined.isEmpty() && message.at(szJoined.size()) == QLatin1Char(' '))
                szJoined += QLatin1Char(' ');
            szJoined += line;
        }
        szJoined.replace(QChar(0x00A0), QLatin1Char(' '));
        QCOMPARE(szJoined, shown);
        // A folder after a dash starts its line with the dash, not with a lone "/" left behind;
        // one that fits a line has that line to itself.
        if (message.contains(QStringLiteral(" — /")) && shownLines.size() > 1)
            QVERIFY2(std::any_of(shownLines.begin(), shownLines.end(),
                                 [](const QString &line) {
                                     return line.startsWith(QStringLiteral("—\u00A0/")) ||
                                            line.startsWith(QStringLiteral("— /"));
                                 }),
                     qPrintable(shownLines.join(QStringLiteral(" | "))));
        if (message.endsWith(QStringLiteral(" — /home/someone/Videos")))
            QCOMPARE(shownLines.last(), QStringLiteral("— /home/someone/Videos"));
        QVERIFY(pLabel->toolTip().isEmpty());
    }
    QCOMPARE(pLabel->textFormat(), Qt::PlainText);
    for (const QString &line : shownLines)
        QVERIFY(QFontMetrics(pLabel->font()).horizontalAdvance(line) <= 404);
    QCOMPARE(pLabel->font().pixelSize(), 14);
    QCOMPARE(pLabel->width(), 404);
    // One line keeps the card's size; each further line makes it taller, never wider.
    const int iExtra = pLabel->height() - 18;
    QCOMPARE(iExtra == 0, shownLines.size() == 1);
    QVERIFY(pLabel->height() >= shownLines.size() * QFontMetrics(pLabel->font()).height());
    QCOMPARE(dialog.size(), QSize(502, 352 + iExtra));
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

void TstResultDialogs::successSaysWhereTheFileWent()
{
    SuccessDialog dialog;
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    const QString szPath =
        QStringLiteral("/home/someone/Videos/VMAlbum/Holidays/2024-summer-in-the-mountains/"
                       "with-the-family/Summer trip to the lakes and the old town.mp4");
    dialog.setFilePath(szPath);
    auto *pPath = dialog.findChild<QLabel *>(QStringLiteral("labelFilePath"));
    auto *pNote = dialog.findChild<QLabel *>(QStringLiteral("labelFolderNote"));
    auto *pCopy = dialog.findChild<QPushButton *>(QStringLiteral("btnCopyPath"));
    auto *pFolder = dialog.findChild<QPushButton *>(QStringLiteral("btnExportFolder"));
    // The whole path, on as many lines as it needs, in a card as wide as ever.
    QVERIFY(pPath->isVisible());
    QCOMPARE(pPath->text().remove(QChar(0x200B)), szPath);
    QCOMPARE(pPath->accessibleDescription(), szPath);
    QCOMPARE(dialog.width(), 502);
    QVERIFY2(
        pPath->height() >= pPath->heightForWidth(pPath->width()),
        qPrintable(QStringLiteral("%1 %2 %3 %4")
                       .arg(QString::number(pPath->height()),
                            QString::number(pPath->heightForWidth(pPath->width())),
                            QString::number(pPath->width()), QString::number(dialog.height()))));
    QVERIFY(!pNote->isVisible());
    QVERIFY(!pCopy->isVisible());
    const int iBefore = dialog.height();
    QVERIFY(iBefore > 352);

    // Nothing opened the folder: the dialog says so and offers the path instead.
    dialog.showFolderNotOpened();
    QVERIFY(pNote->isVisible());
    QCOMPARE(pNote->text(),
             QStringLiteral("No file manager opened the folder. You can copy the path."));
    QVERIFY(pCopy->isVisible());
    QVERIFY(pFolder->isVisible());
    QVERIFY(dialog.height() > iBefore);
    QCOMPARE(dialog.width(), 502);
    // Everything inside the card, the buttons below the texts.
    for (QWidget *pWidget : {static_cast<QWidget *>(pPath), static_cast<QWidget *>(pNote),
                             static_cast<QWidget *>(pCopy), static_cast<QWidget *>(pFolder)}) {
        const QRect r(pWidget->mapTo(&dialog, QPoint(0, 0)), pWidget->size());
        QVERIFY2(dialog.rect().contains(r), qPrintable(pWidget->objectName()));
    }
    QVERIFY(pCopy->mapTo(&dialog, QPoint(0, 0)).y() >
            pNote->mapTo(&dialog, QPoint(0, pNote->height())).y());
    pCopy->click();
    QCOMPARE(QApplication::clipboard()->text(), szPath);
    QCOMPARE(pCopy->text(), QStringLiteral("Copied"));
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
