// Export settings dialog: file-name rules, signals, music-dependent formats, folder, editing look,
// dragging and the Chinese form.
#include "cqcombobox.h"
#include "cqcomboboxlistview.h"
#include "cqtoast.h"
#include "exportsettingdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

using ShareCode::CQComboBox;
using ShareCode::CQToast;

namespace {
// The folder under the test's own home that the dialog picks by default.
QString g_szHome;

QStringList toastTexts(const QWidget *pDialog)
{
    QStringList texts;
    for (const CQToast *pToast : pDialog->findChildren<CQToast *>())
        texts << pToast->text();
    return texts;
}

QString cjk(int iCount)
{
    return QString(iCount, QChar(0x6C34)); // 3 bytes in UTF-8
}
} // namespace

class TstExportSettingDialog : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        // The name rules are plain functions: no dialog needed.
        const QByteArray function = QTest::currentTestFunction();
        if (function == "nameRules" || function == "nameLimit")
            return;
        m_pDialog = new ExportSettingDialog;
        m_pDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDialog));
        m_pEdit = m_pDialog->findChild<QLineEdit *>(QStringLiteral("editFileName"));
        QVERIFY(m_pEdit);
    }
    void cleanup()
    {
        delete m_pDialog;
        m_pDialog = nullptr;
        ExportSettingDialog::setDirectoryChooser({});
    }

    void defaultsAndFolder()
    {
        QCOMPARE(m_pDialog->exportFormat(), QStringLiteral("MP4"));
        QCOMPARE(m_pDialog->frameRate(), QStringLiteral("24fps"));
        QCOMPARE(m_pDialog->videoBitRate(), QStringLiteral("self-adaption"));
        QCOMPARE(m_pDialog->audioBitRate(), QStringLiteral("self-adaption"));
        // Starts at the fourth item, not at the list's 8000Hz.
        QCOMPARE(m_pDialog->sampleRate(), QStringLiteral("44100Hz"));
        QVERIFY(m_pDialog->fileName().isEmpty());
        // Neither Videos nor its sub-folder existed: both were made.
        const QString szExpected = g_szHome + QStringLiteral("/Videos/VMAlbum");
        QCOMPARE(m_pDialog->fileDirectory(), szExpected);
        QVERIFY(QFileInfo(szExpected).isDir());
        auto *pBox = m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboExportFormat"));
        QCOMPARE(pBox->count(), 9);
        QCOMPARE(pBox->maxVisibleItems(), 6);
        QVERIFY(!pBox->isEditable());
    }

    // The editor connects right after construction; nothing may arrive from the start-up.
    void initialSelectionsEmitNothing()
    {
        delete m_pDialog;
        m_pDialog = new ExportSettingDialog;
        QList<QSignalSpy *> spies;
        for (const char *szSignal :
             {SIGNAL(sig_exportFormatChanged(QString)), SIGNAL(sig_frameRateChanged(QString)),
              SIGNAL(sig_videoBitRateChanged(QString)), SIGNAL(sig_audioBitRateChanged(QString)),
              SIGNAL(sig_sampleRateChanged(QString)), SIGNAL(sig_fileNameChanged(QString)),
              SIGNAL(sig_exportRequest())})
            spies << new QSignalSpy(m_pDialog, szSignal);
        m_pDialog->setAudioSettingsEnabled(true);
        m_pDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDialog));
        QTest::qWait(20);
        for (QSignalSpy *pSpy : spies)
            QCOMPARE(pSpy->count(), 0);
        qDeleteAll(spies);

        // A real change reports the item text, once.
        QSignalSpy rateSpy(m_pDialog, &ExportSettingDialog::sig_sampleRateChanged);
        m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboAudioSampleRate"))
            ->setCurrentIndex(4);
        QCOMPARE(rateSpy.count(), 1);
        QCOMPARE(rateSpy.at(0).at(0).toString(), QStringLiteral("48000Hz"));
    }

    void audioFormats_data()
    {
        QTest::addColumn<bool>("music");
        QTest::addColumn<bool>("clipSound");
        QTest::newRow("with music") << true << false;
        QTest::newRow("with music and clips' sound") << true << true;
        QTest::newRow("clips' sound only") << false << true;
        QTest::newRow("without sound") << false << false;
    }
    void audioFormats()
    {
        QFETCH(bool, music);
        QFETCH(bool, clipSound);
        // The callers' older form says the same as the new one without clips.
        if (clipSound)
            m_pDialog->setAudioSources(music, true);
        else
            m_pDialog->setAudioSettingsEnabled(music);
        auto *pBox = m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboExportFormat"));
        auto *pModel = qobject_cast<QStandardItemModel *>(pBox->model());
        for (int i = 0; i < pBox->count(); ++i) {
            const bool bSilentOnly = pBox->itemText(i) == QLatin1String("GIF") ||
                                     pBox->itemText(i) == QLatin1String("M4V");
            QCOMPARE(pModel->item(i)->isEnabled(), !(music && bSilentOnly));
        }
        const bool bAudio = music || clipSound;
        QCOMPARE(m_pDialog->findChild<QWidget *>(QStringLiteral("divAudioSetting"))->isEnabled(),
                 bAudio);
        QCOMPARE(
            m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboAudioBitRate"))->isEnabled(),
            bAudio);

        // The keyboard steps over the formats that cannot carry the music.
        pBox->setCurrentIndex(5); // MOV
        pBox->setFocus();
        QTest::keyClick(pBox, Qt::Key_Down);
        QCOMPARE(pBox->currentText(), music ? QStringLiteral("WEBM") : QStringLiteral("GIF"));
        pBox->setCurrentIndex(7); // WEBM
        QTest::keyClick(pBox, Qt::Key_Down);
        QCOMPARE(pBox->currentText(), music ? QStringLiteral("WEBM") : QStringLiteral("M4V"));
        // Only a sound the format could have carried is worth a note.
        QCOMPARE(m_pDialog->findChild<QLabel *>(QStringLiteral("labelClipSoundNote"))->isVisible(),
                 !music && clipSound);
    }

    // With the clips' sound alone, a silent format says that it leaves the sound out, under the
    // format, in full, and goes with the format or with the sound.
    void clipSoundNote()
    {
        auto *pBox = m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboExportFormat"));
        auto *pNote = m_pDialog->findChild<QLabel *>(QStringLiteral("labelClipSoundNote"));
        QVERIFY(pNote);
        m_pDialog->setAudioSources(false, true);
        QVERIFY(!pNote->isVisible());
        const QWidget *pFormat =
            m_pDialog->findChild<QWidget *>(QStringLiteral("divFormatSetting"));
        const QWidget *pColumns = m_pDialog->findChild<QWidget *>(QStringLiteral("divMpegSetting"));
        for (const char *szFormat : {"GIF", "M4V"}) {
            pBox->setCurrentText(QLatin1String(szFormat));
            QVERIFY(m_pDialog->clipSoundLeftOut());
            QVERIFY(pNote->isVisible());
            QCOMPARE(pNote->text(), QStringLiteral("The clips' sound is left out of %1 files.")
                                        .arg(QLatin1String(szFormat)));
            const QRect noteRect(pNote->mapTo(m_pDialog, QPoint(0, 0)), pNote->size());
            QVERIFY(noteRect.top() >= pFormat->mapTo(m_pDialog, QPoint(0, pFormat->height())).y());
            QVERIFY(noteRect.bottom() < pColumns->mapTo(m_pDialog, QPoint(0, 0)).y());
            QVERIFY(pNote->heightForWidth(pNote->width()) <= pNote->height());
        }
        // GIF at 60 fps: both notes in the card, the name band still clear.
        pBox->setCurrentText(QStringLiteral("GIF"));
        m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboVideoFrameRate"))
            ->setCurrentText(QStringLiteral("60fps"));
        auto *pRateNote = m_pDialog->findChild<QLabel *>(QStringLiteral("labelGifRateNote"));
        QVERIFY(pRateNote->isVisible() && pNote->isVisible());
        const QWidget *pBand =
            m_pDialog->findChild<QWidget *>(QStringLiteral("divExportpLocation"));
        QVERIFY(pRateNote->mapTo(m_pDialog, QPoint(0, pRateNote->height())).y() <=
                pBand->mapTo(m_pDialog, QPoint(0, 0)).y());
        QVERIFY(pRateNote->heightForWidth(pRateNote->width()) <= pRateNote->height());

        pBox->setCurrentText(QStringLiteral("MP4"));
        QVERIFY(!pNote->isVisible());
    }

    void nameRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "album" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("colon") << "a:b" << false;
        QTest::newRow("question mark") << "why?" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("tab") << "a\tb" << false;
        QTest::newRow("escape") << QStringLiteral("a\x1b") << false;
        QTest::newRow("NUL would cut the path")
            << QString(QStringLiteral("ab")).insert(1, QChar(0)) << false;
        QTest::newRow("DEL") << QStringLiteral("a\x7f") << true;
        QTest::newRow("Latin-1 letter") << QStringLiteral("caf\u00e9") << true;
        QTest::newRow("Latin-1 multiplication sign") << QStringLiteral("2\u00d73") << true;
        QTest::newRow("Chinese") << QStringLiteral("\u6C34\u5370") << true;
        QTest::newRow("con") << "con" << false;
        QTest::newRow("CON") << "CON" << false;
        QTest::newRow("Lpt9") << "Lpt9" << false;
        QTest::newRow("com0") << "com0" << false;
        QTest::newRow("con1") << "con1" << true;
        QTest::newRow("com10") << "com10" << true;
        QTest::newRow("aux.x") << "aux.x" << true;
        QTest::newRow("trailing space") << "album " << false;
        QTest::newRow("leading space") << " album" << true;
        QTest::newRow("260 characters") << QString(260, QLatin1Char('a')) << true;
        QTest::newRow("261 characters") << QString(261, QLatin1Char('a')) << false;
        // Counted as typed: upper-casing would make 262 characters of it.
        QTest::newRow("131 sharp s") << QString(131, QChar(0x00DF)) << true;
    }
    void nameRules()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(ExportSettingDialog::isValidFileName(name), valid);
    }

    // The encoder's ".<name>.<ext>.<7 random>.part" must stay within 255 bytes.
    void nameLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("fits");
        QTest::newRow("237 ASCII, mp4") << QString(237, QLatin1Char('a')) << "MP4" << true;
        QTest::newRow("238 ASCII, mp4") << QString(238, QLatin1Char('a')) << "MP4" << false;
        QTest::newRow("237 ASCII, webm") << QString(237, QLatin1Char('a')) << "WEBM" << false;
        QTest::newRow("236 ASCII, webm") << QString(236, QLatin1Char('a')) << "WEBM" << true;
        QTest::newRow("79 CJK = 237 bytes") << cjk(79) << "MP4" << true;
        QTest::newRow("79 CJK + 1 = 238 bytes") << cjk(79) + QLatin1Char('a') << "MP4" << false;
        QTest::newRow("59 emoji = 236 bytes")
            << QString::fromUcs4(QVector<uint>(59, 0x1F600).constData(), 59) << "MP4" << true;
        QTest::newRow("260 characters") << QString(260, QLatin1Char('a')) << "MP4" << false;
    }
    void nameLimit()
    {
        QFETCH(QString, name);
        QFETCH(QString, format);
        QFETCH(bool, fits);
        QCOMPARE(ExportSettingDialog::fitsNameLimit(name, format), fits);
    }

    // Whole names put into the field, as the editor's "%1(%2)" renaming does.
    void nameField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << "album" << true << "album";
        QTest::newRow("three trailing spaces") << "abc   " << true << "abc";
        QTest::newRow("tab before the spaces") << "abc\t " << true << "abc";
        QTest::newRow("tab last") << "abc \t" << false << "prev";
        QTest::newRow("only spaces") << "   " << true << "";
        QTest::newRow("colon") << "a:b" << false << "prev";
        QTest::newRow("con") << "con" << false << "prev";
        QTest::newRow("Con") << "Con" << false << "prev";
        QTest::newRow("con1") << "con1" << true << "con1";
        QTest::newRow("next free name") << "album(2)" << true << "album(2)";
        QTest::newRow("percent signs") << "100%1 %2" << true << "100%1 %2";
        QTest::newRow("260: too long for the file system")
            << QString(260, QLatin1Char('a')) << false << "prev";
        QTest::newRow("261") << QString(261, QLatin1Char('a')) << false << "prev";
        QTest::newRow("237 bytes") << cjk(79) << true << cjk(79);
    }
    void nameField()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, stored);
        m_pDialog->changeFileName(QStringLiteral("prev"));
        QSignalSpy nameSpy(m_pDialog, &ExportSettingDialog::sig_fileNameChanged);
        m_pDialog->changeFileName(text);
        QCOMPARE(m_pDialog->fileName(), stored);
        if (accepted) {
            QCOMPARE(m_pEdit->text(), text);
            QCOMPARE(nameSpy.count(), 1);
            QCOMPARE(nameSpy.at(0).at(0).toString(), stored);
            QVERIFY(toastTexts(m_pDialog).isEmpty());
        } else {
            QCOMPARE(m_pEdit->text(), QStringLiteral("prev"));
            QCOMPARE(nameSpy.count(), 0); // the name put back was reported already
            QCOMPARE(toastTexts(m_pDialog), QStringList{QStringLiteral("Invalid file name!")});
        }
    }

    void typingAColon()
    {
        QSignalSpy nameSpy(m_pDialog, &ExportSettingDialog::sig_fileNameChanged);
        m_pEdit->setFocus();
        QTest::keyClicks(m_pEdit, QStringLiteral("ab:c"));
        QCOMPARE(m_pEdit->text(), QStringLiteral("abc"));
        QCOMPARE(m_pDialog->fileName(), QStringLiteral("abc"));
        QCOMPARE(toastTexts(m_pDialog), QStringList{QStringLiteral("Invalid file name!")});
        QStringList reported;
        for (const QList<QVariant> &args : nameSpy)
            reported << args.at(0).toString();
        QCOMPARE(reported, (QStringList{"a", "ab", "abc"}));
    }

    // The toast that a refused character brings up takes the focus for a moment; the field
    // stays in its editing look and gets the focus back.
    void typingContinuesAfterAToast()
    {
        m_pDialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pDialog));
        m_pDialog->startEditText();
        QVERIFY(m_pEdit->hasFocus());
        QTest::keyClicks(m_pEdit, QStringLiteral("a|"));
        QCOMPARE(toastTexts(m_pDialog).size(), 1);
        QVERIFY(m_pEdit->property("editing").toBool());
        m_pDialog->findChild<CQToast *>()->close();
        QTRY_VERIFY(m_pEdit->hasFocus());
        QVERIFY(m_pEdit->property("editing").toBool());
    }

    void tabOrder()
    {
        m_pDialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pDialog));
        m_pDialog->findChild<QWidget *>(QStringLiteral("comboExportFormat"))->setFocus();
        QStringList order;
        for (int i = 0; i < 10; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order,
                 (QStringList{"comboExportFormat", "comboVideoFrameRate", "comboVideoBitRate",
                              "comboAudioBitRate", "comboAudioSampleRate", "editFileName",
                              "btnEditFileName", "btnChangeFileDir", "btnExport", "btnClose"}));
    }

    void exportRequest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("toast"); // empty: the request goes out
        QTest::newRow("empty") << "" << 0 << "Please enter a file name";
        QTest::newRow("plain") << "album" << 0 << "";
        QTest::newRow("trailing spaces still shown") << "abc   " << 0 << "Invalid file name!";
        QTest::newRow("con1") << "con1" << 0 << "";
        QTest::newRow("237 bytes as MP4") << cjk(79) << 0 << "";
        // Accepted while MP4 was chosen; WEBM's longer extension no longer fits.
        QTest::newRow("237 bytes as WEBM") << cjk(79) << 7 << "Invalid file name!";
    }
    void exportRequest()
    {
        QFETCH(QString, text);
        QFETCH(int, format);
        QFETCH(QString, toast);
        m_pDialog->changeFileName(text);
        m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboExportFormat"))
            ->setCurrentIndex(format);
        QSignalSpy requestSpy(m_pDialog, &ExportSettingDialog::sig_exportRequest);
        m_pDialog->findChild<QPushButton *>(QStringLiteral("btnExport"))->click();
        QCOMPARE(requestSpy.count(), toast.isEmpty() ? 1 : 0);
        QCOMPARE(toastTexts(m_pDialog), toast.isEmpty() ? QStringList() : QStringList{toast});
    }

    void folderChooser()
    {
        QString szCaption, szStart;
        QString szAnswer = QDir::tempPath();
        ExportSettingDialog::setDirectoryChooser([&](const QString &c, const QString &s) {
            szCaption = c;
            szStart = s;
            return szAnswer;
        });
        QSignalSpy dirSpy(m_pDialog, &ExportSettingDialog::sig_fileDirectoryChanged);
        const QString szDefault = m_pDialog->fileDirectory();
        m_pDialog->findChild<QPushButton *>(QStringLiteral("btnChangeFileDir"))->click();
        QCOMPARE(szCaption, QStringLiteral("VMAlbum"));
        QCOMPARE(szStart, szDefault);
        QCOMPARE(m_pDialog->fileDirectory(), QDir::tempPath());
        QCOMPARE(dirSpy.count(), 1);

        // Cancelled: nothing changes.
        szAnswer.clear();
        m_pDialog->changeFileDirectory();
        QCOMPARE(m_pDialog->fileDirectory(), QDir::tempPath());
        QCOMPARE(dirSpy.count(), 1);

        // A folder that went away: the chooser starts at home (this home has no desktop folder),
        // never at the working directory.
        QTemporaryDir gone;
        m_pDialog->changeFileDirectory(gone.path());
        gone.remove();
        m_pDialog->changeFileDirectory();
        QCOMPARE(szStart, g_szHome);
    }

    // Elided in the middle: the start says which disk and home, the end which folder.
    void longFolderElidedWithFullTooltip()
    {
        const QString szLong = g_szHome + QStringLiteral("/") + QString(120, QLatin1Char('x')) +
                               QStringLiteral("/summer-videos");
        m_pDialog->changeFileDirectory(szLong);
        auto *pLabel = m_pDialog->findChild<QLabel *>(QStringLiteral("labelFileDir"));
        const QString szShown = pLabel->text();
        QVERIFY2(szShown.contains(QChar(0x2026)), qPrintable(szShown));
        QVERIFY2(szShown.startsWith(g_szHome.left(6)), qPrintable(szShown));
        QVERIFY2(szShown.endsWith(QStringLiteral("summer-videos")), qPrintable(szShown));
        QVERIFY(pLabel->fontMetrics().horizontalAdvance(szShown) <= pLabel->contentsRect().width());
        // The whole path, without waiting for the first hover.
        QCOMPARE(pLabel->toolTip(), szLong);
        QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), pLabel->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(pLabel, &tip);
        QCOMPARE(pLabel->toolTip(), szLong);
        // And readable: dark text on the white ground of the program's own tooltips, whatever
        // the desktop's tooltip colours are.
        QWidget *pTip = nullptr;
        QTRY_VERIFY((pTip = [] {
            for (QWidget *pWidget : QApplication::topLevelWidgets())
                if (pWidget->objectName() == QLatin1String("qtooltip_label") &&
                    pWidget->isVisible())
                    return pWidget;
            return static_cast<QWidget *>(nullptr);
        }()));
        const QImage tipImage = pTip->grab().toImage();
        QVERIFY2(tipImage.pixel(tipImage.width() / 2, 2) == qRgb(255, 255, 255),
                 qPrintable(QString::number(tipImage.pixel(tipImage.width() / 2, 2), 16)));
        QVERIFY(qGray(pTip->palette().color(QPalette::WindowText).rgb()) < 100);
    }

    // The notices about the name cover none of the dialog's settings, fields or buttons.
    void toastCoversNothingNeeded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty name") << "";
        QTest::newRow("invalid name") << "abc   ";
    }
    void toastCoversNothingNeeded()
    {
        QFETCH(QString, text);
        m_pDialog->changeFileName(text);
        m_pDialog->findChild<QPushButton *>(QStringLiteral("btnExport"))->click();
        auto *pToast = m_pDialog->findChild<CQToast *>();
        QVERIFY(pToast && pToast->isVisible());
        const QRect toast = pToast->frameGeometry();
        for (const char *szName : {"labelTitle", "divFormatSetting", "comboExportFormat",
                                   "divMpegSetting", "editFileName", "labelFileDir", "btnExport",
                                   "btnClose", "btnEditFileName", "btnChangeFileDir"}) {
            auto *pWidget = m_pDialog->findChild<QWidget *>(QLatin1String(szName));
            QVERIFY(pWidget);
            const QRect covered(pWidget->mapToGlobal(QPoint(0, 0)), pWidget->size());
            QVERIFY2(!toast.intersects(covered), szName);
        }
        // Still over the dialog, where it is read.
        QVERIFY(m_pDialog->frameGeometry().contains(toast.center()));
    }

    // GIF at 60 or 120 fps: a note beside the rates says what is written.
    void gifRateNote_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("note");
        QTest::newRow("GIF 24") << "GIF"
                                << "24fps" << false;
        QTest::newRow("GIF 30") << "GIF"
                                << "30fps" << false;
        QTest::newRow("GIF 60") << "GIF"
                                << "60fps" << true;
        QTest::newRow("GIF 120") << "GIF"
                                 << "120fps" << true;
        QTest::newRow("MP4 120") << "MP4"
                                 << "120fps" << false;
    }
    void gifRateNote()
    {
        QFETCH(QString, format);
        QFETCH(QString, rate);
        QFETCH(bool, note);
        auto *pNote = m_pDialog->findChild<QLabel *>(QStringLiteral("labelGifRateNote"));
        QVERIFY(pNote);
        QVERIFY(!pNote->isVisible());
        // Either order of choosing.
        for (bool bFormatFirst : {true, false}) {
            auto *pFormat = m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboExportFormat"));
            auto *pRate = m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboVideoFrameRate"));
            pFormat->setCurrentIndex(0);
            pRate->setCurrentIndex(0);
            if (bFormatFirst)
                pFormat->setCurrentText(format);
            pRate->setCurrentText(rate);
            if (!bFormatFirst)
                pFormat->setCurrentText(format);
            QCOMPARE(m_pDialog->gifRateLimited(), note);
            QCOMPARE(pNote->isVisible(), note);
        }
        QCOMPARE(pNote->text(), QStringLiteral("GIF plays at 50 fps at most: exported at 50 fps"));
        // Visible in full, inside the card and clear of the name below.
        if (note) {
            const QRect noteRect(pNote->mapTo(m_pDialog, QPoint(0, 0)), pNote->size());
            const QWidget *pBand =
                m_pDialog->findChild<QWidget *>(QStringLiteral("divExportpLocation"));
            QVERIFY(noteRect.bottom() < pBand->mapTo(m_pDialog, QPoint(0, 0)).y());
            QVERIFY(pNote->heightForWidth(pNote->width()) <= pNote->height());
        }
    }

    void editingLook()
    {
        const auto editing = [this] { return m_pEdit->property("editing").toBool(); };
        QVERIFY(!editing());
        m_pDialog->findChild<QPushButton *>(QStringLiteral("btnEditFileName"))->click();
        QVERIFY(editing());
        // A click on the dialog's background returns the field to its plain look.
        QTest::mousePress(m_pDialog, Qt::LeftButton, Qt::NoModifier, QPoint(300, 290));
        QTest::mouseRelease(m_pDialog, Qt::LeftButton, Qt::NoModifier, QPoint(300, 290));
        QVERIFY(!editing());
        QTest::mousePress(m_pEdit, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(editing());
        emit m_pEdit->editingFinished();
        QVERIFY(!editing());
        QVERIFY(!m_pEdit->hasFocus());
    }

    void dragging()
    {
        const QPoint stStart = m_pDialog->pos();
        const QPoint stLocal(300, 20); // the title row
        const QPoint stGlobal = m_pDialog->mapToGlobal(stLocal);
        QMouseEvent press(QEvent::MouseButtonPress, stLocal, stGlobal, Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_pDialog, &press);
        QMouseEvent move(QEvent::MouseMove, stLocal + QPoint(40, 25), stGlobal + QPoint(40, 25),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_pDialog, &move);
        QCOMPARE(m_pDialog->pos(), stStart + QPoint(40, 25));
        QMouseEvent release(QEvent::MouseButtonRelease, stLocal, stGlobal + QPoint(40, 25),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_pDialog, &release);
        // Moving without a press after the release does nothing.
        QMouseEvent stray(QEvent::MouseMove, stLocal, stGlobal + QPoint(90, 90), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_pDialog, &stray);
        QCOMPARE(m_pDialog->pos(), stStart + QPoint(40, 25));
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("parent");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("centred on the parent") << QRect(20, 20, 700, 500) << QPoint(85, 69);
        // The offscreen screen is 800 x 600: kept above its bottom edge.
        QTest::newRow("kept on screen") << QRect(0, 400, 570, 402) << QPoint(0, 600 - 402);
    }
    void placement()
    {
        QFETCH(QRect, parent);
        QFETCH(QPoint, expected);
        QWidget anchor;
        anchor.setGeometry(parent);
        anchor.show();
        auto *pDialog = new ExportSettingDialog(&anchor);
        QCOMPARE(pDialog->pos(), expected);
    }

    void closeDeletes()
    {
        QPointer<ExportSettingDialog> dialog(m_pDialog);
        m_pDialog->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        QTRY_VERIFY(dialog.isNull());
        m_pDialog = nullptr;
    }

    void chineseForm()
    {
        QTranslator translator;
        if (!translator.load(QStringLiteral(VM_TRANSLATIONS_DIR "/app_zh_CN.qm")))
            QSKIP("the translations were not built (lrelease missing)");
        QCoreApplication::installTranslator(&translator);
        delete m_pDialog;
        m_pDialog = new ExportSettingDialog;
        QCOMPARE(m_pDialog->findChild<QLabel *>(QStringLiteral("labelTitle"))->text(),
                 QStringLiteral("\u5BFC\u51FA\u8BBE\u7F6E"));
        // The format text becomes the extension and the rates are read from their leading
        // digits: the translation keeps both.
        QCOMPARE(m_pDialog->exportFormat(), QStringLiteral("MP4"));
        QVERIFY(m_pDialog->frameRate().startsWith(QLatin1String("24")));
        QVERIFY(m_pDialog->sampleRate().startsWith(QLatin1String("44100")));
        QVERIFY(!m_pDialog->videoBitRate().at(0).isDigit());
        const auto boxes = m_pDialog->findChildren<QComboBox *>();
        for (QComboBox *pBox : boxes) {
            for (int i = 1; i < pBox->count(); ++i) {
                if (pBox->objectName() == QLatin1String("comboExportFormat"))
                    QVERIFY(pBox->itemText(i).at(0).isUpper());
                else
                    QVERIFY2(pBox->itemText(i).at(0).isDigit(), qPrintable(pBox->itemText(i)));
            }
        }
        // Every control a user acts on is named, in Chinese.
        QList<QWidget *> controls;
        for (QWidget *pWidget : m_pDialog->findChildren<QWidget *>()) {
            if (qobject_cast<QComboBox *>(pWidget) || qobject_cast<QPushButton *>(pWidget) ||
                qobject_cast<QLineEdit *>(pWidget))
                controls << pWidget;
        }
        QCOMPARE(controls.size(), 5 + 4 + 1);
        for (QWidget *pControl : controls) {
            const QString szName = pControl->accessibleName();
            QVERIFY2(!szName.isEmpty() && szName.at(0).unicode() > 0x2E80,
                     qPrintable(pControl->objectName() + QLatin1Char(' ') + szName));
        }
        m_pDialog->changeFileName(QStringLiteral("a:"));
        QCOMPARE(toastTexts(m_pDialog),
                 QStringList{QStringLiteral("\u6587\u4EF6\u540D\u65E0\u6548\uFF01")});
        QCoreApplication::removeTranslator(&translator);
    }

    // The pop-up lists take their look from the dialog's style sheet.
    void comboLook()
    {
        auto *pBox = m_pDialog->findChild<CQComboBox *>(QStringLiteral("comboVideoFrameRate"));
        pBox->showPopup();
        auto *pView = qobject_cast<ShareCode::CQComboBoxListView *>(pBox->view());
        QVERIFY(pView);
        QCOMPARE(pBox->spacingBetweenBoxAndListView(), 4);
        QCOMPARE(pView->itemWidth(), 160);
        QCOMPARE(pView->itemHeight(), 32);
        QCOMPARE(pView->itemContentLeftPadding(), 37);
        QCOMPARE(pView->checkedIconPosition(), ShareCode::CQComboBoxItemDelegate::LeftPosition);
        QCOMPARE(pView->itemTextAlignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(pView->itemTextElideMode(), Qt::ElideRight);
        QVERIFY(!pView->checkedIcon().isNull());
        pBox->hidePopup();
    }

private:
    ExportSettingDialog *m_pDialog = nullptr;
    QLineEdit *m_pEdit = nullptr;
};

int main(int argc, char **argv)
{
    // The dialog makes its folder under the user's Videos folder: give it a home of its own.
    QTemporaryDir home;
    g_szHome = home.path();
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    QApplication app(argc, argv);
    TstExportSettingDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exportsettingdialog.moc"
