// One workflow at a time in the real editor: an export, an import or a watermark check that is
// under way refuses whatever else arrives, by any road (a slot called directly, a signal the
// disabled controls would not send, a drop), and the controls show it.
#include "albumdocument.h"
#include "editorfixture.h"
#include "previewcontroller.h"

#include "addimagebutton.h"
#include "album.h"
#include "audiodecoder.h"
#include "cqcombobox.h"
#include "cqtoast.h"
#include "cqvideoplay.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "imageviewer.h"
#include "mediaencoder.h"
#include "musicformats.h"
#include "musicpanel.h"
#include "probe.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "successdialog.h"
#include "testmedia.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>

class TestZodoZadarWorkflows : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;

    ZodoZadar *editor() const { return m_fixture.editor; }
    Ui::ZodoZadarClass *form() const { return m_fixture.form(); }
    template <class T> static QList<T *> dialogs()
    {
        return ShareCode::QtInversionWidget::instance()->findChildren<T *>();
    }
    template <class T> static T *dialog() { return dialogs<T>().value(0); }
    template <class T> static int visible(const QList<T *> &widgets)
    {
        return int(std::count_if(widgets.begin(), widgets.end(),
                                 [](T *pWidget) { return pWidget->isVisible(); }));
    }

    void importPictures(int iCount)
    {
        m_fixture.importPictures(m_dir.path(), iCount, QSize(320, 240), 60);
        m_fixture.answerChooser();
    }
    QString toastText(QWidget *pOver) const
    {
        for (auto *pToast : pOver->findChildren<ShareCode::CQToast *>()) {
            if (pToast->isVisible())
                return pToast->text();
        }
        return QString();
    }
    // The controls that start a workflow or edit the album, by name, with their enabled flags.
    QStringList enabledControls() const
    {
        QStringList enabled;
        const QList<QWidget *> controls{form()->btnExport,       form()->btnAddImageAgain,
                                        form()->imageSourceList, form()->divSetting,
                                        form()->comboVideoRatio, form()->comboVideoHeight,
                                        form()->divPlayer};
        for (QWidget *pControl : controls) {
            if (pControl->isEnabled())
                enabled << pControl->objectName();
        }
        return enabled;
    }
    ExportSettingDialog *openExportDialog(const QString &szName)
    {
        form()->btnExport->click();
        auto *pDialog = dialog<ExportSettingDialog>();
        if (pDialog) {
            pDialog->changeFileDirectory(QDir::toNativeSeparators(m_dir.path()));
            pDialog->changeFileName(szName);
        }
        return pDialog;
    }
    void useMusic()
    {
        Album &job = m_fixture.album();
        const QString music = m_dir.filePath(QStringLiteral("music.mp3"));
        if (!QFileInfo::exists(music))
            QVERIFY(testmedia::writeMp3(music, 8));
        job.musicType = MusicCustom;
        job.musicPath = music;
    }

private slots:
    void initTestCase() { m_fixture.createManagers(); }

    void init() { m_fixture.createEditor(); }

    void cleanup()
    {
        for (QWidget *pWidget : dialogs<QDialog>())
            delete pWidget;
        m_fixture.destroyEditor();
        for (const QString &szName : QDir(m_dir.path()).entryList({QStringLiteral("*.mp4")}))
            QFile::remove(m_dir.filePath(szName));
    }

    // From the export settings to the result, nothing previews, imports or edits, whatever road
    // the request takes (with music, a preview started here used to freeze the export for good);
    // the export then writes every picture, and the controls come back with the result closed.
    void exportHoldsTheAlbum()
    {
        Album &job = m_fixture.album();
        importPictures(2);
        form()->boxImageDuration->setValue(1);
        useMusic();
        const QStringList idleControls = enabledControls();
        QCOMPARE(idleControls.size(), 7);

        ExportSettingDialog *pDialog = openExportDialog(QStringLiteral("held"));
        QVERIFY(pDialog);
        QCOMPARE(enabledControls(), QStringList());
        QVERIFY(!form()->btnAddImage->isEnabled());

        // Play, pressed by a road around the disabled button: refused, the button offers play.
        emit editor()->player()->vp_PlayOrPauseVideoSignal(true);
        QCOMPARE(editor()->preview()->state(), int(PreviewController::Stopped));
        QVERIFY(!editor()->player()->isPlaying());
        QVERIFY(!editor()->viewer()->runAskedOrActive());
        QVERIFY(!editor()->audioDecoder()->askedOrActive());
        // Deleting, reordering, a new duration, a new import: refused, the album as it was.
        QVERIFY(editor()->workflow().is(Workflow::Export, WorkflowPhase::Asking));
        QVERIFY(!form()->imageSourceList->isEnabled()); // else the question below would wait
        QVERIFY(
            !form()->imageSourceList->requestDelete(form()->imageSourceList->model()->index(0, 0)));
        QVERIFY(QMetaObject::invokeMethod(editor(), "imageSourceDeleted",
                                          Q_ARG(QString, job.materialOrder.first()),
                                          Q_ARG(int, 0)));
        QVERIFY(QMetaObject::invokeMethod(editor(), "dragedImageSources",
                                          Q_ARG(QString, job.materialOrder.first()), Q_ARG(int, 0),
                                          Q_ARG(int, 1)));
        form()->boxImageDuration->setValue(7);
        QCOMPARE(form()->boxImageDuration->value(), 1);
        QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
        QCOMPARE(m_fixture.chooserCalls, 0);
        QCOMPARE(job.materials.size(), 2);
        QCOMPARE(job.materialOrder.size(), 2);
        QCOMPARE(job.uniformDurationValue, int64_t(1000000));
        QCOMPARE(form()->imageSourceList->model()->rowCount(), 2);

        pDialog->startExport();
        QTRY_VERIFY(dialog<ProgressDialog>());
        emit editor()->player()->vp_PlayOrPauseVideoSignal(true);
        QVERIFY(!editor()->viewer()->runAskedOrActive());
        QCOMPARE(enabledControls(), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(dialog<SuccessDialog>(), 60000);
        QCOMPARE(enabledControls(), QStringList()); // until the result is closed
        const probe::Stream *video = nullptr;
        const QList<probe::Stream> streams = probe::streams(m_dir.filePath("held.mp4"));
        video = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(video && probe::first(streams, AVMEDIA_TYPE_AUDIO));
        QCOMPARE(video->packets, qint64(24 * (1 + 1 + 2)));
        dialog<SuccessDialog>()->close();
        QTRY_COMPARE(enabledControls(), idleControls);
        QVERIFY(editor()->workflow().idle());
    }

    // One export settings dialog at a time: asking again shows the open one, with the choices
    // made in it; closing it ends the workflow.
    void oneExportSettingsDialog()
    {
        importPictures(1);
        ExportSettingDialog *pDialog = openExportDialog(QStringLiteral("first"));
        QVERIFY(pDialog);
        const QString folder = pDialog->fileDirectory();
        QVERIFY(QMetaObject::invokeMethod(editor(), "prepareExport"));
        QVERIFY(QMetaObject::invokeMethod(editor(), "exportSetting"));
        QCOMPARE(dialogs<ExportSettingDialog>().size(), 1);
        QCOMPARE(dialog<ExportSettingDialog>(), pDialog);
        QCOMPARE(pDialog->fileDirectory(), folder);
        QCOMPARE(pDialog->fileName(), QStringLiteral("first"));
        QCOMPARE(m_fixture.album().fileName, QStringLiteral("first"));
        QVERIFY(editor()->workflow().is(Workflow::Export, WorkflowPhase::Asking));
        pDialog->close();
        QTRY_VERIFY(dialogs<ExportSettingDialog>().isEmpty());
        QVERIFY(editor()->workflow().idle());
        QVERIFY(form()->btnExport->isEnabled());
    }

    // A second export asked for while one runs starts nothing: one progress dialog, no second
    // settings dialog. A cancel is not a failure: a short notice, nothing left behind.
    void oneExportAtATimeAndCancel()
    {
        importPictures(2);
        form()->boxImageDuration->setValue(30);
        ExportSettingDialog *pDialog = openExportDialog(QStringLiteral("long"));
        pDialog->startExport();
        QTRY_VERIFY(dialog<ProgressDialog>());
        QVERIFY(editor()->workflow().is(Workflow::Export, WorkflowPhase::Running));
        QVERIFY(!form()->btnExport->isEnabled());
        QVERIFY(QMetaObject::invokeMethod(editor(), "prepareExport"));
        QVERIFY(QMetaObject::invokeMethod(editor(), "exportSetting"));
        QVERIFY(QMetaObject::invokeMethod(editor(), "exportVideo"));
        QCOMPARE(visible(dialogs<ExportSettingDialog>()), 0);
        QCOMPARE(visible(dialogs<ProgressDialog>()), 1);

        QTRY_VERIFY_WITH_TIMEOUT(dialog<ProgressDialog>()->value() >= 1, 30000);
        dialog<ProgressDialog>()->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        QVERIFY(dialog<ProgressDialog>()->stopQuestion());
        dialog<ProgressDialog>()->stopQuestion()->accept(); // "Stop"
        QTRY_VERIFY_WITH_TIMEOUT(editor()->workflow().idle(), 30000);
        QCOMPARE(toastText(editor()), QStringLiteral("Export cancelled"));
        QTest::qWait(100);
        QVERIFY(dialogs<FailDialog>().isEmpty());
        QVERIFY(dialogs<SuccessDialog>().isEmpty());
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("long*")}, QDir::Files),
                 QStringList());
        QVERIFY(form()->btnExport->isEnabled());
    }

    // The music settings stay shut while the export settings are up: the menu entry is off,
    // and neither a change nor the fit reaches the album by another road.
    void musicSettingsWaitForTheWorkflow()
    {
        importPictures(2);
        useMusic();
        ExportSettingDialog *pDialog = openExportDialog(QStringLiteral("music"));
        QVERIFY(pDialog);
        QAction *pMusic = nullptr;
        for (QAction *pAction : editor()->actions()) {
            if (pAction->text() == QStringLiteral("Music settings…"))
                pMusic = pAction;
        }
        QVERIFY(pMusic && !pMusic->isEnabled());
        Album &job = m_fixture.album();
        const int64_t total = job.totalDuration;
        editor()->showMusicPanel();
        QVERIFY(dialogs<MusicPanel>().isEmpty());
        editor()->changeMusicShape(MusicShape{1000000, 0, 0, 1.0});
        QCOMPARE(job.musicShape, MusicShape());
        QVERIFY(editor()->fitPicturesToMusicNow().isEmpty());
        QCOMPARE(job.totalDuration, total);
        QVERIFY(editor()->workflow().is(Workflow::Export, WorkflowPhase::Asking));
        pDialog->close();
        QTRY_VERIFY(editor()->workflow().idle());
        QVERIFY(pMusic->isEnabled());
        job.musicShape = MusicShape();
    }

    // No export starts without pictures, whichever road the request takes.
    void noExportWithoutPictures()
    {
        QVERIFY(!form()->btnExport->isEnabled());
        QVERIFY(QMetaObject::invokeMethod(editor(), "prepareExport"));
        QVERIFY(dialogs<ExportSettingDialog>().isEmpty());
        Album &job = m_fixture.album();
        job.exportDirectory = m_dir.path();
        job.fileName = QStringLiteral("empty");
        job.exportFormat = QStringLiteral("MP4");
        QVERIFY(QMetaObject::invokeMethod(editor(), "exportVideo"));
        QVERIFY(dialogs<ProgressDialog>().isEmpty());
        QTest::qWait(300);
        QVERIFY(dialogs<SuccessDialog>().isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("empty.mp4"))));
        QVERIFY(editor()->workflow().idle());
    }

    // While an import runs (the decoder still busy with its files) another import, by the
    // button's slot or by a drop, is refused; the first one ends with its own files only.
    void oneImportAtATime()
    {
        QStringList first;
        for (int i = 0; i < 3; ++i) {
            first << m_dir.filePath(QStringLiteral("first%1.jpg").arg(i));
            QVERIFY(
                testmedia::writeJpeg(first.last(), 320, 240, QColor::fromHsv(i * 90, 200, 200)));
        }
        const QString second = m_dir.filePath(QStringLiteral("second.jpg"));
        QVERIFY(testmedia::writeJpeg(second, 320, 240));
        m_fixture.answerChooser();
        m_fixture.chosen = first;
        {
            ThreadGate busy(editor()->decoder());
            QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
            QVERIFY(editor()->workflow().is(Workflow::Import, WorkflowPhase::Running));
            QVERIFY(dialog<ProgressDialog>());
            QVERIFY(!form()->btnAddImage->isEnabled());
            m_fixture.chosen = QStringList{second};
            QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
            QCOMPARE(m_fixture.chooserCalls, 1);
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(second)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(editor(), &enter);
            QVERIFY(!enter.isAccepted());
        }
        QTRY_COMPARE(m_fixture.album().materialOrder, first);
        QTRY_VERIFY(editor()->workflow().idle());
        QCOMPARE(form()->imageSourceList->filePaths(), first);
        QVERIFY(form()->btnExport->isEnabled());
        QVERIFY(!editor()->decoder()->running);
    }

    // The failure report names every refused file with its reason, in a box that scrolls and
    // whose text can be copied; the pictures that could be used are in the album.
    void importReportListsEveryRefusedFile()
    {
        const QString good = m_dir.filePath(QStringLiteral("good.jpg"));
        QVERIFY(testmedia::writeJpeg(good, 320, 240));
        QStringList chosen{good};
        for (const char *szName : {"notes.jpg", "empty.png", "100%1 broken.jpg"}) {
            chosen << m_dir.filePath(QString::fromLatin1(szName));
            QVERIFY(testmedia::writeBytes(chosen.last(),
                                          szName[0] == 'e' ? QByteArray() : QByteArray("text")));
        }
        m_fixture.answerChooser();
        m_fixture.chosen = chosen;
        QStringList listed;
        QString title;
        bool bSelectable = false;
        bool bReporting = false;
        // The report is modal: it is read and closed from the event loop it runs.
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] {
            auto *pFail = qobject_cast<FailDialog *>(QApplication::activeModalWidget());
            if (!pFail || !pFail->errorList())
                return;
            bReporting = editor()->workflow().is(Workflow::Import, WorkflowPhase::Reporting);
            bSelectable = pFail->errorList()->isReadOnly() &&
                          (pFail->errorList()->textInteractionFlags() & Qt::TextSelectableByMouse);
            listed = pFail->errorList()->toPlainText().split(QLatin1Char('\n'));
            title = pFail->findChild<QLabel *>(QStringLiteral("labelContent"))->text();
            pFail->reject();
        });
        reader.start(20);
        QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
        QTRY_VERIFY(!listed.isEmpty());
        QTRY_VERIFY(editor()->workflow().idle());
        QVERIFY(bReporting);
        QVERIFY(bSelectable);
        QCOMPARE(title, QStringLiteral("Partial import failed..."));
        QCOMPARE(listed.size(), 3);
        QVERIFY2(listed[0].startsWith(QStringLiteral("notes.jpg: Image decode failed(")),
                 qPrintable(listed[0]));
        QVERIFY2(listed[1].startsWith(QStringLiteral("empty.png: ")), qPrintable(listed[1]));
        QVERIFY2(listed[2].startsWith(QStringLiteral("100%1 broken.jpg: ")), qPrintable(listed[2]));
        QCOMPARE(m_fixture.album().materialOrder, QStringList{good});
    }

    // A watermark check answers only its own request: a stray answer of the decoder (another
    // file, another request) changes nothing, and nothing else starts while it waits.
    void watermarkCheckMatchesItsAnswer()
    {
        Album &job = m_fixture.album();
        importPictures(1);
        const QString logo = m_dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(testmedia::writeImage(logo, testmedia::pattern(300, 100)));
        m_fixture.chosen = QStringList{logo};
        {
            ThreadGate busy(editor()->decoder());
            form()->radioImageWatermark->click();
            QTRY_VERIFY(editor()->workflow().is(Workflow::WatermarkImage, WorkflowPhase::Running));
            QCOMPARE(m_fixture.chooserCalls, 1);
            // Around the disabled button, as a queued click would come.
            emit form()->btnAddImageWatermark->clicked();
            QVERIFY(QMetaObject::invokeMethod(editor(), "selectImageSources"));
            QCOMPARE(m_fixture.chooserCalls, 1);
            const QString picture = job.materialOrder.first();
            emit editor()->decoder()->sig_decoded(picture, QPixmap(), AVRational{4, 3},
                                                  QSize(320, 240));
            emit editor()->decoder()->sig_answered(12345, picture, true, QPixmap(),
                                                   AVRational{4, 3}, QSize(320, 240), QString());
            QTest::qWait(50);
            QVERIFY(job.watermarkImagePath.isEmpty());
        }
        QTRY_COMPARE(job.watermarkImagePath, logo);
        QVERIFY(editor()->workflow().idle());
        QCOMPARE(form()->labelImageWatermarkName->text(), QStringLiteral("logo.png"));
        QCOMPARE(job.materialOrder.size(), 1);
    }

    // Music is checked when it is chosen: a file without MP3 sound is refused with a notice,
    // and the music chosen before stays.
    void musicCheckedWhenChosen()
    {
        Album &job = m_fixture.album();
        importPictures(1);
        const QString good = m_dir.filePath(QStringLiteral("good.mp3"));
        QVERIFY(testmedia::writeMp3(good, 1));
        const QString text = m_dir.filePath(QStringLiteral("text.mp3"));
        QVERIFY(testmedia::writeBytes(text, "these are not the sounds you are looking for"));
        m_fixture.chosen = QStringList{good};
        form()->ratioCustomMusic->click();
        QCOMPARE(job.musicPath, good);
        m_fixture.chosen = QStringList{text};
        form()->btnAddBackgroundMusic->click();
        QCOMPARE(job.musicPath, good);
        QCOMPARE(form()->labelBackgroundMusicName->text(), QStringLiteral("good.mp3"));
        QCOMPARE(toastText(editor()),
                 QStringLiteral("Failed to add background music, because the file has no MP3 "
                                "sound"));
        QVERIFY(editor()->workflow().idle());
    }

    // Music of any format is offered and taken, a video's sound as well; a file without sound
    // that plays is refused with the reason, whatever its name says.
    void musicOfAnyFormat()
    {
        Album &job = m_fixture.album();
        importPictures(1);
        const QVector<musicformats::Format> formats = musicformats::all();
        const auto make = [this](const musicformats::Format &f) {
            const QString path = m_dir.filePath(f.file);
            return musicformats::write(path, f) ? path : QString();
        };
        const QString ogg = make(formats.at(1));
        const QString clip = make(formats.last());
        QVERIFY(!ogg.isEmpty() && !clip.isEmpty());
        const QString words = m_dir.filePath(QStringLiteral("words.opus"));
        QVERIFY(testmedia::writeBytes(words, QByteArray("la la la\n").repeated(300)));
        const QString silent = m_dir.filePath(QStringLiteral("silent.mp4"));
        QVERIFY(
            testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc=size=64x48:rate=10:duration=1"),
                               QStringLiteral("-c:v"), QStringLiteral("libx264"), silent}));

        QString filter;
        FileChooser::setOpenFilesOverride(
            [&](const QString &, const QString &, const QString &szFilter, bool) {
                filter = szFilter;
                return m_fixture.chosen;
            });
        m_fixture.chosen = QStringList{ogg};
        form()->ratioCustomMusic->click();
        const QStringList filters = filter.split(QStringLiteral(";;"));
        QVERIFY(filters.size() >= 2);
        QCOMPARE(filters.at(0),
                 QStringLiteral("Music (*.mp3 *.m4a *.aac *.ogg *.oga *.opus *.flac *.wav)"));
        QCOMPARE(filters.at(1), QStringLiteral("MP3 File(*.mp3)"));
        QCOMPARE(job.musicPath, ogg);
        QCOMPARE(form()->labelBackgroundMusicName->text(), QStringLiteral("tone.ogg"));

        const QList<QPair<QString, QString>> refused{
            {words, QStringLiteral("Failed to add background music, because the file is not a "
                                   "sound or video file")},
            {silent, QStringLiteral("Failed to add background music, because the file has no "
                                    "sound")}};
        for (const auto &r : refused) {
            // Only the notice of this choice is shown.
            qDeleteAll(editor()->findChildren<ShareCode::CQToast *>());
            m_fixture.chosen = QStringList{r.first};
            form()->btnAddBackgroundMusic->click();
            QCOMPARE(job.musicPath, ogg);
            QCOMPARE(toastText(editor()), r.second);
        }
        m_fixture.chosen = QStringList{clip};
        form()->btnAddBackgroundMusic->click();
        QCOMPARE(job.musicPath, clip);
        m_fixture.answerChooser();
        QVERIFY(editor()->workflow().idle());
    }
};

QTEST_MAIN(TestZodoZadarWorkflows)
#include "tst_zodozadar_workflows.moc"
