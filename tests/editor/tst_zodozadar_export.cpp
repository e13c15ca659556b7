// The editor's export road with the real dialogs and encoder: overwrite and rename, cancel through
// the progress dialog, a named album's video under its name with the success dialog saying where,
// and one whole export probed and rendered again from its saved album.
#include "albumdocument.h"
#include "editorfixture.h"

#include "album.h"
#include "cqcombobox.h"
#include "cqdlgtipsimple.h"
#include "cqtoast.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "mediaencoder.h"
#include "probe.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "successdialog.h"
#include "testmedia.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestZodoZadarExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;
    QStringList m_failDetails;

    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    template <class T> static T *dialog()
    {
        return ShareCode::QtInversionWidget::instance()->findChild<T *>();
    }

    void importPictures(int iCount)
    {
        m_fixture.importPictures(m_dir.path(), iCount, QSize(640, 480), 70);
    }

    // Opens the export dialog on szFolder with the name szName.
    ExportSettingDialog *openExportDialog(const QString &szFolder, const QString &szName)
    {
        form()->btnExport->click();
        auto *pDialog = dialog<ExportSettingDialog>();
        if (pDialog) {
            pDialog->changeFileDirectory(QDir::toNativeSeparators(szFolder));
            pDialog->changeFileName(szName);
        }
        return pDialog;
    }

private slots:
    void initTestCase()
    {
        // No file manager of the desktop may answer "Open folder" here.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        m_fixture.createManagers();
    }

    void init() { m_fixture.createEditor(); }

    void cleanup()
    {
        for (QWidget *pWidget : ShareCode::QtInversionWidget::instance()->findChildren<QDialog *>())
            delete pWidget;
        m_fixture.destroyEditor();
    }

    // "Uncover" gives album(1), or album(2) when album(1) exists too, and shows the dialog again.
    void uncoverFindsTheNextFreeName()
    {
        importPictures(1);
        const QString folder = m_dir.filePath(QStringLiteral("taken"));
        QDir().mkpath(folder);
        testmedia::writeBytes(folder + QStringLiteral("/album.mp4"), "old");
        testmedia::writeBytes(folder + QStringLiteral("/album(1).mp4"), "old");
        ExportSettingDialog *pDialog = openExportDialog(folder, QStringLiteral("album"));
        QVERIFY(pDialog);
        QCOMPARE(m_fixture.album().exportFormat, QStringLiteral("MP4"));
        QCOMPARE(m_fixture.album().frameRate.num, 24);
        QCOMPARE(m_fixture.album().sampleRate, qint64(44100));
        EditorFixture::answerQuestion(false); // "Uncover"
        pDialog->startExport();
        QCOMPARE(pDialog->fileName(), QStringLiteral("album(2)"));
        QCOMPARE(m_fixture.album().fileName, QStringLiteral("album(2)"));
        QVERIFY(pDialog->isVisible());
        QVERIFY(!dialog<ProgressDialog>());
        pDialog->close();
    }

    // Closing the progress dialog asks first, and the export goes on while it asks; "Stop"
    // cancels: a notice says so (a cancel is no failure), no file is left and the file that was
    // to be overwritten is untouched.
    void cancelThroughTheProgressDialog()
    {
        importPictures(3);
        form()->boxImageDuration->setValue(20);
        const QString folder = m_dir.filePath(QStringLiteral("cancel"));
        QDir().mkpath(folder);
        const QString existing = folder + QStringLiteral("/album.mp4");
        testmedia::writeBytes(existing, "precious");
        ExportSettingDialog *pDialog = openExportDialog(folder, QStringLiteral("album"));
        EditorFixture::answerQuestion(true); // "Cover"
        pDialog->startExport();
        QTRY_VERIFY(dialog<ProgressDialog>());
        ProgressDialog *pProgress = dialog<ProgressDialog>();
        QTRY_VERIFY_WITH_TIMEOUT(pProgress->value() >= 1, 30000);
        pProgress->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        ShareCode::CQDlgTipSimple *pQuestion = pProgress->stopQuestion();
        QVERIFY(pQuestion && pQuestion->isVisible());
        QCOMPARE(pQuestion->findChild<QLabel *>(QStringLiteral("uiTip"))->text(),
                 QStringLiteral("Stop the export?"));
        // Asking stops nothing: frames keep coming.
        const int iAsked = pProgress->value();
        QTRY_VERIFY_WITH_TIMEOUT(pProgress->value() > iAsked, 30000);
        QVERIFY(pProgress->isVisible());
        QVERIFY(!m_fixture.editor->workflow().idle());
        pQuestion->accept(); // "Stop"
        QTRY_VERIFY_WITH_TIMEOUT(m_fixture.editor->workflow().idle(), 30000);
        auto *pToast = m_fixture.editor->findChild<ShareCode::CQToast *>();
        QVERIFY(pToast);
        QCOMPARE(pToast->text(), QStringLiteral("Export cancelled"));
        QVERIFY(!dialog<FailDialog>());
        QTRY_VERIFY(!dialog<ProgressDialog>());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("album.mp4")});
        QFile f(existing);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("precious"));
    }

    // A saved album names its video; the success dialog says where it went and, when nothing
    // opens the folder, says so and copies the path.
    void namedAlbumExportsUnderItsName()
    {
        importPictures(1);
        form()->boxImageDuration->setValue(1);
        form()->comboVideoHeight->setCurrentText(QStringLiteral("480P"));
        // A name left from an earlier export must not be the one written.
        m_fixture.album().fileName = QStringLiteral("stale");
        const QString album = m_dir.filePath(QStringLiteral("Summer trip.vmalbum"));
        FileChooser::setSaveFileOverride(
            [album](const QString &, const QString &, const QString &) { return album; });
        QVERIFY(m_fixture.editor->saveAlbumAs());
        FileChooser::setSaveFileOverride({});
        const QString folder = m_dir.filePath(QStringLiteral("named"));
        QDir().mkpath(folder);
        form()->btnExport->click();
        auto *pDialog = dialog<ExportSettingDialog>();
        QVERIFY(pDialog);
        QCOMPARE(pDialog->findChild<QLineEdit *>(QStringLiteral("editFileName"))->text(),
                 QStringLiteral("Summer trip"));
        QCOMPARE(pDialog->fileName(), QStringLiteral("Summer trip"));
        pDialog->changeFileDirectory(QDir::toNativeSeparators(folder));
        pDialog->startExport();
        QTRY_VERIFY_WITH_TIMEOUT(dialog<SuccessDialog>(), 60000);
        const QString written = folder + QStringLiteral("/Summer trip.mp4");
        QVERIFY(QFileInfo::exists(written));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/stale.mp4")));

        SuccessDialog *pSuccess = dialog<SuccessDialog>();
        QCOMPARE(pSuccess->filePath(), QDir::toNativeSeparators(written));
        auto *pPath = pSuccess->findChild<QLabel *>(QStringLiteral("labelFilePath"));
        QVERIFY(pPath->isVisible());
        QCOMPARE(pPath->text().remove(QChar(0x200B)), QDir::toNativeSeparators(written));
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            // Nothing here opens folders.
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("does not support")));
            pSuccess->findChild<QPushButton *>(QStringLiteral("btnExportFolder"))->click();
            auto *pNote = pSuccess->findChild<QLabel *>(QStringLiteral("labelFolderNote"));
            QTRY_VERIFY(pNote->isVisible());
            auto *pCopy = pSuccess->findChild<QPushButton *>(QStringLiteral("btnCopyPath"));
            QVERIFY(pCopy->isVisible());
            pCopy->click();
            QCOMPARE(QApplication::clipboard()->text(), QDir::toNativeSeparators(written));
        }
        pSuccess->close();
        QTRY_VERIFY(m_fixture.editor->workflow().idle());
    }

    // A whole export from the editor: two pictures, a text watermark and music, probed.
    void wholeExport()
    {
        Album &job = m_fixture.album();
        importPictures(2);
        form()->boxImageDuration->setValue(1);
        {
            job.watermarkType = WatermarkText;
            job.watermarkText = QStringLiteral("100%1 summer");
            job.watermarkColor = Qt::white;
        }
        const QString music = m_dir.filePath(QStringLiteral("music.mp3"));
        QVERIFY(testmedia::writeMp3(music, 10));
        job.musicType = MusicCustom;
        job.musicPath = music;
        form()->comboVideoHeight->setCurrentText(QStringLiteral("480P"));
        const QString folder = m_dir.filePath(QStringLiteral("out"));
        QDir().mkpath(folder);
        ExportSettingDialog *pDialog = openExportDialog(folder, QStringLiteral("holiday"));
        pDialog->startExport();
        QTRY_VERIFY_WITH_TIMEOUT(dialog<SuccessDialog>(), 60000);
        QVERIFY(!dialog<FailDialog>());
        const QList<probe::Stream> streams =
            probe::streams(folder + QStringLiteral("/holiday.mp4"));
        const probe::Stream *video = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        const probe::Stream *audio = probe::first(streams, AVMEDIA_TYPE_AUDIO);
        QVERIFY(video && audio);
        QCOMPARE(QSize(video->width, video->height), QSize(852, 480));
        QCOMPARE(video->packets, qint64(24 * (1 + 1 + 2))); // two 1 s pictures and a transition
        QVERIFY(qAbs(audio->endSeconds - 4.0) < 0.1);

        // Saved, the album renders the very same file in the headless exporter.
        const QString album = m_dir.filePath(QStringLiteral("holiday.vmalbum"));
        FileChooser::setSaveFileOverride(
            [album](const QString &, const QString &, const QString &) { return album; });
        dialog<SuccessDialog>()->close();
        QTRY_VERIFY(m_fixture.editor->workflow().idle());
        QVERIFY(m_fixture.editor->saveAlbumAs());
        FileChooser::setSaveFileOverride({});
        const QString again = folder + QStringLiteral("/again.mp4");
        QProcess exporter;
        exporter.start(QStringLiteral(VMALBUM_EXPORT),
                       {album, QStringLiteral("-q"), QStringLiteral("-o"), again});
        QVERIFY(exporter.waitForFinished(120000));
        QVERIFY2(exporter.exitCode() == 0, exporter.readAllStandardError().constData());
        QFile a(folder + QStringLiteral("/holiday.mp4")), b(again);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY(a.readAll() == b.readAll());
        job.musicType = MusicNone;
        job.musicPath.clear();
        job.watermarkType = WatermarkNone;
        job.watermarkText.clear();
    }
};

QTEST_MAIN(TestZodoZadarExport)
#include "tst_zodozadar_export.moc"
