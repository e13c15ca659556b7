// Soak: the editor imports 200 pictures, previews them with seeks, exports, imports again, for
// several rounds. Open files must come back to where they were and memory must stay flat; under
// AddressSanitizer, LeakSanitizer checks at exit that nothing was lost on the way.
#include "albumdocument.h"
#include "beatkeeper.h"
#include "editorfixture.h"
#include "previewcontroller.h"

#include "album.h"
#include "cqcombobox.h"
#include "cqslider.h"
#include "cqvideoplay.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "imageviewer.h"
#include "probe.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "successdialog.h"
#include "testmedia.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <malloc.h>

class TestSoak : public QObject
{
    Q_OBJECT

    static constexpr int kPictures = 200;
    // Rounds of a test run; VM_SOAK_ROUNDS asks for more, for a longer soak by hand.
    static int rounds()
    {
        const int asked = qEnvironmentVariableIntValue("VM_SOAK_ROUNDS");
        return asked >= 2 ? asked : 3;
    }
    // Pictures left for the export, one second each: seven seconds of video with the transitions.
    static constexpr int kExportRows = 3;
    // What the last round may hold beyond the first (KiB). One import kept alive by mistake
    // (200 thumbnails and rows) costs about 8 MiB. With one malloc arena (the test's
    // environment) rounds agree within a few hundred KiB; AddressSanitizer's allocator keeps
    // a quarantine and a record of every allocating stack, which grows slowly (~3 MiB a round).
#if defined(__SANITIZE_ADDRESS__)
    static constexpr qint64 kRssGrowthKiB = 16 * 1024;
#else
    static constexpr qint64 kRssGrowthKiB = 4 * 1024;
#endif

    QTemporaryDir m_dir;
    EditorFixture m_fixture;
    QStringList m_pictures;
    QString m_music;
    QStringList m_failures;

    Ui::ZodoZadarClass *form() const
    {
        return m_fixture.form();
    }
    QAbstractItemModel *rows() const
    {
        return form()->imageSourceList->model();
    }
    template <class T> static T *dialog()
    {
        return ShareCode::QtInversionWidget::instance()->findChild<T *>();
    }

    // What this process has open: the picture files it holds, the event loops' wake-up files
    // (one per Qt thread with an event loop; idle pool threads retire), and the rest by target
    // (music, sockets, pipes, devices).
    struct OpenFiles
    {
        int pictures = 0;
        int wakeUps = 0;
        QStringList others;
    };
    OpenFiles openFiles() const
    {
        OpenFiles open;
        const QDir fds(QStringLiteral("/proc/self/fd"));
        for (const QFileInfo &fd :
             fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = fd.symLinkTarget();
            if (m_pictures.contains(target))
                ++open.pictures;
            else if (target.endsWith(QLatin1String("anon_inode:[eventfd]")))
                ++open.wakeUps;
            else if (!target.isEmpty() && target != fds.absolutePath())
                open.others << target;
        }
        open.others.sort();
        return open;
    }
    // Exactly iPictures held, the other files as at the start, and no thread more than then.
    void checkOpenFiles(int iPictures, const OpenFiles &base, const char *szWhen)
    {
        // A cover being drawn may hold a picture open for a moment: the count settles.
        OpenFiles now;
        (void)QTest::qWaitFor(
            [&] {
                now = openFiles();
                return now.pictures == iPictures && now.others == base.others &&
                       now.wakeUps <= base.wakeUps;
            },
            5000);
        QVERIFY2(
            now.pictures == iPictures && now.others == base.others && now.wakeUps <= base.wakeUps,
            qPrintable(QStringLiteral("%1: %2 pictures held (%3 expected), %4 event loops "
                                      "(%5 at the start), other files\n"
                                      "  now:    %6\n  before: %7")
                           .arg(QLatin1String(szWhen), QString::number(now.pictures),
                                QString::number(iPictures), QString::number(now.wakeUps),
                                QString::number(base.wakeUps), now.others.join(QLatin1Char(' ')),
                                base.others.join(QLatin1Char(' ')))));
    }

    // Resident memory once freed blocks have gone back to the system.
    static qint64 settledRssKiB()
    {
        QTest::qWait(200); // deferred deletes and queued results
        malloc_trim(0);
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        return -1;
    }

    void importAll()
    {
        QVERIFY(QMetaObject::invokeMethod(m_fixture.editor, "selectImageSources"));
        QTRY_VERIFY_WITH_TIMEOUT(rows()->rowCount() == kPictures &&
                                     !m_fixture.editor->decoder()->running &&
                                     !dialog<ProgressDialog>(),
                                 120000);
        QCOMPARE(m_fixture.album().materialOrder.size(), kPictures);
    }

    void deleteRow(int iRow)
    {
        const QString path = rows()->index(iRow, 0).data().toString();
        rows()->removeRow(iRow);
        emit form()->imageSourceList->sig_itemDeleted(path, iRow);
    }

    // Plays, then clicks the slider at several places, the way a user looks through an album.
    void previewWithSeeks()
    {
        CQVideoPlay *player = m_fixture.editor->player();
        ImageViewer *viewer = m_fixture.editor->viewer();
        player->form()->PlayOrPauseBtn->click();
        QTRY_VERIFY_WITH_TIMEOUT(viewer->previewing, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(player->sliderPositionMs() > 0, 10000);
        CQSlider *slider = player->form()->PlaySlider;
        const int total = player->totalDurationMs();
        for (double ratio : {0.5, 0.1, 0.9, 0.25, 0.75, 0.0}) {
            const QPoint at(qRound(ratio * slider->width()), slider->height() / 2);
            QTest::mousePress(slider, Qt::LeftButton, {}, at);
            QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
            const double target = ratio * total;
            QVERIFY2(qAbs(player->sliderPositionMs() - target) < total / 100.0 + 1000,
                     qPrintable(QStringLiteral("at %1 ms after a seek to %2 ms")
                                    .arg(player->sliderPositionMs())
                                    .arg(target)));
            QTest::qWait(150);
            QCOMPARE(m_fixture.editor->preview()->state(), int(PreviewController::Playing));
        }
        player->form()->PlayOrPauseBtn->click();
        QCOMPARE(m_fixture.editor->preview()->state(), int(PreviewController::Paused));
    }

    void exportAndProbe(int iRound)
    {
        const QString folder = m_dir.filePath(QStringLiteral("out"));
        QDir().mkpath(folder);
        const QString name = QStringLiteral("round%1").arg(iRound);
        form()->boxImageDuration->setValue(1);
        form()->btnExport->click();
        auto *pDialog = dialog<ExportSettingDialog>();
        QVERIFY(pDialog);
        pDialog->changeFileDirectory(QDir::toNativeSeparators(folder));
        pDialog->changeFileName(name);
        pDialog->startExport();
        QTRY_VERIFY_WITH_TIMEOUT(dialog<SuccessDialog>(), 120000);
        QVERIFY(!dialog<FailDialog>());
        for (QWidget *pWidget : ShareCode::QtInversionWidget::instance()->findChildren<QDialog *>())
            delete pWidget;
        const QString file = QStringLiteral("%1/%2.mp4").arg(folder, name);
        const QList<probe::Stream> streams = probe::streams(file);
        const probe::Stream *video = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(video && probe::first(streams, AVMEDIA_TYPE_AUDIO));
        QCOMPARE(video->height, 480);
        QCOMPARE(video->packets, qint64(24 * (kExportRows + 2 * (kExportRows - 1))));
        QFile::remove(file);
    }

private slots:
    void initTestCase()
    {
        qputenv("SDL_VIDEODRIVER", "dummy");
        m_fixture.createManagers();
        // Any failure report fails the soak; it is read and closed so that nothing waits on it.
        auto *pTimer = new QTimer(this);
        connect(pTimer, &QTimer::timeout, this, [this] {
            if (auto *pFail = qobject_cast<FailDialog *>(QApplication::activeModalWidget())) {
                m_failures
                    << pFail->findChild<QLabel *>(QStringLiteral("labelErrorMessage"))->text();
                pFail->reject();
            }
        });
        pTimer->start(50);

        // Small pictures, a few of them PNG and portrait, each of its own colour.
        for (int i = 0; i < kPictures; ++i) {
            const bool png = i % 10 == 9;
            const QString path =
                m_dir.filePath(QStringLiteral("pic%1.%2")
                                   .arg(i, 3, 10, QLatin1Char('0'))
                                   .arg(png ? QStringLiteral("png") : QStringLiteral("jpg")));
            const QImage img = testmedia::pattern(i % 7 == 3 ? 240 : 320, i % 7 == 3 ? 320 : 240,
                                                  QColor::fromHsv(i * 37 % 360, 180, 220));
            QVERIFY(testmedia::writeImage(path, img, png ? "PNG" : "JPEG"));
            m_pictures << path;
        }
        m_music = m_dir.filePath(QStringLiteral("music.mp3"));
        QVERIFY(testmedia::writeMp3(m_music, 5));
        m_fixture.createEditor();
        // The settings open once there is a picture: one is imported to choose the music.
        QStringList chosen = m_pictures.mid(0, 1);
        FileChooser::setOpenFilesOverride(
            [this, &chosen](const QString &, const QString &, const QString &, bool bMultiple) {
                return bMultiple ? chosen : QStringList{m_music};
            });
        QVERIFY(QMetaObject::invokeMethod(m_fixture.editor, "selectImageSources"));
        QTRY_VERIFY(rows()->rowCount() == 1 && !m_fixture.editor->decoder()->running);
        form()->comboVideoHeight->setCurrentText(QStringLiteral("480P"));
        form()->ratioCustomMusic->click();
        QCOMPARE(m_fixture.album().musicPath, m_music);
        // The music's beat is looked for on a worker that reads the file for a while: the files
        // held are counted once it is done.
        auto *pBeats = m_fixture.editor->findChild<BeatKeeper *>();
        QVERIFY(pBeats);
        QTRY_VERIFY_WITH_TIMEOUT(pBeats->track(m_music), 30000);
        deleteRow(0);
        FileChooser::setOpenFilesOverride(
            [this](const QString &, const QString &, const QString &, bool bMultiple) {
                return bMultiple ? m_pictures : QStringList{m_music};
            });
    }

    void cleanupTestCase()
    {
        m_fixture.destroyEditor();
        QVERIFY(!EditorFixture::holdsFilesIn(m_dir.path()));
    }

    void importPreviewExportReimport()
    {
        const OpenFiles base = openFiles();
        QList<qint64> rss;
        for (int round = 0, count = rounds(); round < count; ++round) {
            importAll();
            checkOpenFiles(kPictures, base, "after the import"); // one held file per picture
            previewWithSeeks();
            while (rows()->rowCount() > kExportRows)
                deleteRow(rows()->rowCount() / 2);
            checkOpenFiles(kExportRows, base, "after the removals");
            exportAndProbe(round);
            if (QTest::currentTestFailed())
                return;
            importAll(); // clears first
            checkOpenFiles(kPictures, base, "after the export and the new import");
            while (rows()->rowCount() > 0)
                deleteRow(0);
            QVERIFY(m_fixture.album().materials.isEmpty());
            checkOpenFiles(0, base, "after the clear");
            QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
            rss << settledRssKiB();
            qInfo("round %d: %lld KiB resident", round + 1, rss.last());
        }
        QVERIFY2(rss.last() - rss.first() <= kRssGrowthKiB,
                 qPrintable(QStringLiteral("resident memory grew from %1 KiB to %2 KiB")
                                .arg(rss.first())
                                .arg(rss.last())));
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
