// The beat in the editor: the worker's analysis and waveform of a generated drum track, the cut
// on the beat chosen in the music panel as one undo step, corrections of the grid made with the
// buttons and the mouse, and the cut taking effect when the beat arrives late.
#include "beatkeeper.h"
#include "beatsection.h"
#include "beatwaveform.h"
#include "beatworker.h"
#include "cqtoast.h"
#include "editorfixture.h"
#include "musicpanel.h"
#include "settingspanel.h"

#include "album.h"
#include "albumfile.h"
#include "averror.h"
#include "cqvideoplay.h"
#include "testmedia.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {
constexpr double kBeat = 0.5; // 120 BPM
constexpr double kBar = 4 * kBeat;
// How far a change may sit from a beat: the frame grid and the analysis's own error.
constexpr double kTolerance = 0.03;

// A kick on every beat, louder on the first of each bar, for `seconds`.
bool writeDrums(const QString &path, double seconds)
{
    return testmedia::writeSound(
        path,
        QStringLiteral("(if(lt(mod(t,2),0.25),0.95,0.55))*sin(2*PI*55*t)*exp(-28*mod(t,0.5))"),
        44100, seconds, {QStringLiteral("-c:a"), QStringLiteral("libmp3lame")});
}

// Seconds from `t` to the nearest multiple of `step` (after `phase`).
double offGrid(double t, double step, double phase = 0.0)
{
    const double r = std::fmod(t - phase, step);
    const double d = r < 0 ? r + step : r;
    return std::min(d, step - d);
}
} // namespace

class TestBeatPanel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;
    QString m_drums;

    ZodoZadar *editor() const { return m_fixture.editor; }
    Album &album() const { return m_fixture.album(); }
    QUndoStack *stack() const { return editor()->undoStack(); }
    BeatKeeper *keeper() const { return editor()->findChild<BeatKeeper *>(); }

    void importPictures(int iCount)
    {
        m_fixture.importPictures(m_dir.path(), iCount, QSize(320, 240), 60);
        m_fixture.answerChooser();
    }
    void chooseMusic(const QString &szFile)
    {
        m_fixture.chosen = QStringList{szFile};
        m_fixture.form()->ratioCustomMusic->click();
        QCOMPARE(album().musicPath, szFile);
    }
    // Runs fn on the music panel once it is up, then closes it.
    void withPanel(const std::function<void(MusicPanel *)> &fn)
    {
        bool bRan = false;
        QTimer::singleShot(50, this, [&] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            fn(pPanel);
            bRan = true;
            pPanel->accept();
        });
        editor()->showMusicPanel();
        QVERIFY(bRan);
    }
    // Every change of picture on the grid of `step` seconds (after `phase`).
    void verifyChangesOn(double step, double phase = 0.0)
    {
        const std::vector<int64_t> changes = BeatKeeper::changeTimes(album());
        QVERIFY(!changes.empty());
        for (int64_t us : changes) {
            const double t = double(us) / 1e6;
            QVERIFY2(offGrid(t, step, phase) <= kTolerance,
                     qPrintable(QStringLiteral("change at %1 s").arg(t)));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Analyses are cached where the test says, not in the user's folder.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
        m_fixture.createManagers();
        m_drums = m_dir.filePath(QStringLiteral("drums.mp3"));
        QVERIFY(writeDrums(m_drums, 16));
    }
    void init() { m_fixture.createEditor(); }
    void cleanup() { m_fixture.destroyEditor(); }

    // The overview covers the whole sound: its length, a pair per bucket, loud at the kicks and
    // near silence between them; a file without sound and a cancelled read say so.
    void waveformOverview()
    {
        const WaveformResult wave = readWaveform(m_drums, 2000);
        QCOMPARE(wave.error, 0);
        QVERIFY2(std::abs(wave.lengthUs - 16000000) < 80000,
                 qPrintable(QString::number(wave.lengthUs)));
        QCOMPARE(wave.peaks.size(), size_t(4000));
        // The loudest of the buckets between two times.
        const auto amplitude = [&](double from, double to) {
            float peak = 0;
            for (size_t i = size_t(from / 16.0 * 2000); i < size_t(to / 16.0 * 2000); ++i)
                peak = std::max({peak, -wave.peaks[2 * i], wave.peaks[2 * i + 1]});
            return peak;
        };
        for (double beat : {2.0, 4.5, 9.0}) {
            QVERIFY2(amplitude(beat, beat + 0.05) > 0.4, qPrintable(QString::number(beat)));
            QVERIFY2(amplitude(beat + 0.3, beat + 0.45) < 0.05, qPrintable(QString::number(beat)));
        }
        for (float v : wave.peaks)
            QVERIFY(v >= -1.0f && v <= 1.0f);

        const QString text = m_dir.filePath(QStringLiteral("notes.mp3"));
        QVERIFY(testmedia::writeBytes(text, "no sound in here"));
        QVERIFY(readWaveform(text, 2000).error < 0);
        const std::atomic<bool> cancel{true};
        QCOMPARE(readWaveform(m_drums, 2000, &cancel).error, AVERROR_EXIT);
    }

    // On its own thread, the worker reports rising progress to the end and answers with the
    // beat, the waveform and the length; an unreadable file is answered with its reason.
    void workerAnswers()
    {
        BeatWorker worker;
        worker.cacheDir = m_dir.filePath(QStringLiteral("workercache"));
        QThread thread;
        worker.moveToThread(&thread);
        thread.start();
        QList<double> progress;
        // Answers still queued when the test ends go with this.
        QObject context;
        connect(&worker, &BeatWorker::sig_progress, &context, [&](const QString &szFile, double f) {
            if (szFile == m_drums)
                progress.append(f);
        });
        QSignalSpy done(&worker, &BeatWorker::sig_done);
        QMetaObject::invokeMethod(&worker, "analyse", Q_ARG(QString, m_drums));
        const QString missing = m_dir.filePath(QStringLiteral("gone.mp3"));
        QMetaObject::invokeMethod(&worker, "analyse", Q_ARG(QString, missing));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 30000);
        thread.quit();
        thread.wait();
        // The spy counts on the worker's thread: the progress still queued here comes first.
        QCoreApplication::sendPostedEvents(&context);

        const auto first = done.at(0).at(0).value<TrackBeats>();
        QCOMPARE(first.file, m_drums);
        QVERIFY2(first.ok(), qPrintable(first.error));
        QVERIFY2(std::abs(first.grid.bpm - 120) < 1.5, qPrintable(QString::number(first.grid.bpm)));
        for (double b : first.grid.beats)
            QVERIFY2(offGrid(b, kBeat) < kTolerance, qPrintable(QString::number(b)));
        QCOMPARE(first.peaks.size(), size_t(2 * BeatWorker::kWaveformBuckets));
        QVERIFY(std::abs(first.lengthUs - 16000000) < 80000);
        QVERIFY(!progress.isEmpty());
        QString szProgress;
        for (double f : progress)
            szProgress += QString::number(f) + QLatin1Char(' ');
        QVERIFY2(std::is_sorted(progress.begin(), progress.end()), qPrintable(szProgress));
        QCOMPARE(progress.last(), 1.0);

        const auto second = done.at(1).at(0).value<TrackBeats>();
        QCOMPARE(second.file, missing);
        QVERIFY(!second.ok());
        QVERIFY(second.error.contains(QStringLiteral("gone.mp3")));
    }

    // Where the album is heard in its music: from the start offset, looping back to it, and
    // through a crossfade the next track from its middle.
    void albumTimeInTheMusic()
    {
        Album a;
        a.musicShape.start = 2000000;
        auto at = BeatKeeper::heardAt(a, {10000000}, 3000000);
        QCOMPARE(at.first, 0);
        QCOMPARE(at.second, 5.0);
        at = BeatKeeper::heardAt(a, {10000000}, 9000000); // 8 s a pass: 1 s into the second
        QCOMPARE(at.second, 3.0);
        a.musicShape.start = 0;
        a.musicCrossfade = 2000000;
        // Two 10 s tracks overlapping by 2 s: the second begins at 8 s, is heard from 9 s.
        at = BeatKeeper::heardAt(a, {10000000, 10000000}, 8900000);
        QCOMPARE(at.first, 0);
        at = BeatKeeper::heardAt(a, {10000000, 10000000}, 9100000);
        QCOMPARE(at.first, 1);
        QVERIFY(std::abs(at.second - 1.1) < 1e-9);
        QCOMPARE(BeatKeeper::heardAt(a, {}, 0).first, -1);
        QCOMPARE(BeatKeeper::heardAt(a, {0}, 0).first, -1);
    }

    // The choice in the panel: disabled without music, enabled with it; choosing puts every
    // change of picture on a bar as one undo step, which undo takes back whole; a change of the
    // album's duration afterwards is snapped again within its own step.
    void chosenCutIsOneUndoStep()
    {
        BeatSection alone;
        alone.showCut(BeatCut::Off, false, false);
        auto *pAloneCombo = alone.findChild<QComboBox *>(QStringLiteral("comboBeatCut"));
        QVERIFY(!pAloneCombo->isEnabled());
        QVERIFY(!pAloneCombo->toolTip().isEmpty());

        importPictures(4);
        chooseMusic(m_drums);
        QTRY_VERIFY_WITH_TIMEOUT(keeper()->track(m_drums), 30000);
        const int64_t own = album().pictureDuration(1);
        const int iSteps = stack()->count();
        withPanel([](MusicPanel *pPanel) {
            auto *pCombo = pPanel->findChild<QComboBox *>(QStringLiteral("comboBeatCut"));
            QVERIFY(pCombo && pCombo->isEnabled());
            QCOMPARE(pCombo->count(), 6);
            const int i = pCombo->findData(int(BeatCut::Bar));
            pCombo->setCurrentIndex(i);
            emit pCombo->activated(i);
            auto *pStatus = pPanel->findChild<QLabel *>(QStringLiteral("labelBeatStatus"));
            QVERIFY2(pStatus->text().contains(QStringLiteral("BPM")), qPrintable(pStatus->text()));
        });
        QCOMPARE(album().beatCut, BeatCut::Bar);
        QCOMPARE(stack()->count(), iSteps + 1);
        QVERIFY(album().hasBeatTiming());
        const BeatGrid grid = keeper()->track(m_drums)->grid;
        QVERIFY(!grid.bars.empty());
        verifyChangesOn(kBar, grid.bars.front());
        QCOMPARE(int64_t(editor()->player()->totalDurationMs()), totalDurationMs(album()));

        editor()->undo();
        QCOMPARE(album().beatCut, BeatCut::Off);
        QVERIFY(!album().hasBeatTiming());
        QCOMPARE(album().pictureDuration(1), own);
        editor()->redo();
        QCOMPARE(album().beatCut, BeatCut::Bar);
        QVERIFY(album().hasBeatTiming());
        verifyChangesOn(kBar, grid.bars.front());

        // The user's duration changes: snapped again from it, one step.
        const std::vector<int64_t> before = BeatKeeper::changeTimes(album());
        m_fixture.form()->boxImageDuration->setValue(7);
        QCOMPARE(stack()->count(), iSteps + 2);
        verifyChangesOn(kBar, grid.bars.front());
        QVERIFY(BeatKeeper::changeTimes(album()) != before);
        editor()->undo();
        QCOMPARE(BeatKeeper::changeTimes(album()), before);
    }

    // "Make a film from these": one undo step with every choice of the film, the cut fitted to
    // the music's last bar; the fit is then a check box of its own, one step again.
    void filmInOneStep()
    {
        auto *pFilm = editor()->findChild<QAction *>(QStringLiteral("actionMakeFilm"));
        QVERIFY(pFilm);
        importPictures(5);
        chooseMusic(m_drums);
        QTRY_VERIFY_WITH_TIMEOUT(keeper()->track(m_drums), 30000);
        const Album before = album();
        const int iSteps = stack()->count();
        QVERIFY(pFilm->isEnabled());
        pFilm->trigger();
        QCOMPARE(stack()->count(), iSteps + 1);
        QVERIFY(album().gentleMotion && album().keepFaces);
        QCOMPARE(album().albumFill.kind, FillKind::Blur);
        QCOMPARE(album().beatCut, BeatCut::Auto);
        QVERIFY(album().beatFit && album().hasBeatTiming());
        QCOMPARE(album().musicShape.fadeIn, int64_t(2000000));
        QCOMPARE(album().musicShape.fadeOut, int64_t(2000000));
        // 16 s of drums: the last bar within them starts at 14 s.
        const auto end = [this] {
            return double(album().pictureStart(album().materialOrder.size())) / 1e6;
        };
        QVERIFY2(std::abs(end() - 14.0) <= kTolerance, qPrintable(QString::number(end())));
        verifyChangesOn(kBeat);

        withPanel([](MusicPanel *pPanel) {
            auto *pFit = pPanel->findChild<QCheckBox *>(QStringLiteral("checkBeatFit"));
            QVERIFY(pFit && pFit->isEnabled() && pFit->isChecked());
            pFit->click();
        });
        QCOMPARE(stack()->count(), iSteps + 2);
        QVERIFY(!album().beatFit);
        QVERIFY2(std::abs(end() - 14.0) > kTolerance, qPrintable(QString::number(end())));
        verifyChangesOn(kBeat);
        editor()->undo();
        editor()->undo();
        QCOMPARE(album().beatCut, BeatCut::Off);
        QVERIFY(album().changedParts(before) == AlbumParts());
    }

    // Corrections: the buttons move the grid by 10 ms, halve its tempo and reset it, each one
    // undo step kept in the album; with the cut on the changes follow the moved grid. Dragging
    // a bar mark onto the next beat moves the bars by one beat; a Shift-drag moves the grid.
    void correctionsChangeTheGrid()
    {
        importPictures(3);
        chooseMusic(m_drums);
        QTRY_VERIFY_WITH_TIMEOUT(keeper()->track(m_drums), 30000);
        keeper()->chooseCut(BeatCut::Beat);
        QVERIFY(album().hasBeatTiming());
        const std::vector<int64_t> snapped = BeatKeeper::changeTimes(album());
        const int iSteps = stack()->count();
        withPanel([&](MusicPanel *pPanel) {
            auto *pWave = pPanel->findChild<BeatWaveform *>();
            QVERIFY(pWave);
            pPanel->findChild<QPushButton *>(QStringLiteral("btnBeatLater"))->click();
            QCOMPARE(album().beatCorrections.value(0).shift, int64_t(10000));
            QCOMPARE(stack()->count(), iSteps + 1);
            const std::vector<int64_t> moved = BeatKeeper::changeTimes(album());
            QCOMPARE(moved.size(), snapped.size());
            for (size_t i = 0; i < moved.size(); ++i)
                QVERIFY2(std::abs(moved[i] - snapped[i] - 10000) <= 1000,
                         qPrintable(QString::number(moved[i] - snapped[i])));

            pPanel->findChild<QPushButton *>(QStringLiteral("btnBeatHalf"))->click();
            QCOMPARE(album().beatCorrections.value(0).tempo, -1);
            QCOMPARE(stack()->count(), iSteps + 2);
            verifyChangesOn(2 * kBeat, keeper()->track(m_drums)->grid.beats.front() + 0.01);

            pPanel->findChild<QPushButton *>(QStringLiteral("btnBeatReset"))->click();
            QVERIFY(album().beatCorrections.isEmpty());
            QCOMPARE(BeatKeeper::changeTimes(album()), snapped);

            // The first bar mark in view, dropped one beat later.
            pWave->setView(0, 8);
            const BeatGrid grid = keeper()->track(m_drums)->grid;
            const double bar = grid.bars.front();
            const auto it = std::upper_bound(grid.beats.begin(), grid.beats.end(), bar + 0.01);
            QVERIFY(it != grid.beats.end());
            const int y = pWave->height() / 2;
            const QPoint from(int(std::lround(pWave->xOf(bar))), y);
            const QPoint to(int(std::lround(pWave->xOf(*it))), y);
            QTest::mousePress(pWave, Qt::LeftButton, Qt::NoModifier, from);
            QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pWave, &move);
            QTest::mouseRelease(pWave, Qt::LeftButton, Qt::NoModifier, to);
            QCOMPARE(album().beatCorrections.value(0).barPhase, 1);

            // A Shift-drag of a quarter of the view.
            const int before = stack()->count();
            QTest::mousePress(pWave, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, y));
            QTest::mouseRelease(pWave, Qt::LeftButton, Qt::ShiftModifier,
                                QPoint(100 + pWave->width() / 40, y));
            QVERIFY(album().beatCorrections.value(0).shift > 0);
            QCOMPARE(stack()->count(), before + 1);
        });
        // Saved beside the track, with the choice.
        const QByteArray json = serializeAlbum(editor()->storedAlbum(), QStringLiteral("/"));
        QVERIFY2(json.contains("\"barPhase\": 1") && json.contains("\"cut\": \"beat\""),
                 json.constData());
        editor()->undo();
        QCOMPARE(album().beatCorrections.value(0).shift, int64_t(0));
        QCOMPARE(album().beatCorrections.value(0).barPhase, 1);
    }

    // The cut chosen while the beat is still being found: the album keeps its own timing until
    // the beat arrives, then takes the cut within the step that chose it.
    void cutWaitsForTheBeat()
    {
        importPictures(3);
        const QString late = m_dir.filePath(QStringLiteral("late.mp3"));
        QVERIFY(writeDrums(late, 12));
        const int64_t own = album().pictureDuration(0);
        {
            ThreadGate gate(keeper()->worker());
            chooseMusic(late);
            keeper()->chooseCut(BeatCut::TwoBeats);
            QCOMPARE(album().beatCut, BeatCut::TwoBeats);
            QVERIFY(!album().hasBeatTiming());
            QCOMPARE(album().pictureDuration(0), own);
            // Meanwhile the panel says the beat is being looked for, with no corrections.
            withPanel([](MusicPanel *pPanel) {
                auto *pStatus = pPanel->findChild<QLabel *>(QStringLiteral("labelBeatStatus"));
                QVERIFY2(pStatus->text().startsWith(QStringLiteral("Finding the beat")),
                         qPrintable(pStatus->text()));
                QVERIFY(
                    !pPanel->findChild<QPushButton *>(QStringLiteral("btnBeatLater"))->isEnabled());
                pPanel->beatSection()->showProgress(0.4);
                QCOMPARE(pStatus->text(), QStringLiteral("Finding the beat… 40 %"));
            });
        }
        const int iSteps = stack()->count();
        QTRY_VERIFY_WITH_TIMEOUT(album().hasBeatTiming(), 30000);
        QCOMPARE(stack()->count(), iSteps);
        verifyChangesOn(kBeat, keeper()->track(late)->grid.beats.front());
        QCOMPARE(int64_t(editor()->player()->totalDurationMs()), totalDurationMs(album()));
        editor()->undo();
        QCOMPARE(album().beatCut, BeatCut::Off);
        QVERIFY(!album().hasBeatTiming());
    }

    // Corrections stay with their tracks when the list changes, and go when a file is replaced.
    void correctionsFollowTheirTracks()
    {
        const BeatCorrection a{10000, 0, 0};
        const BeatCorrection b{0, 1, 2};
        const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
        QCOMPARE(BeatKeeper::followTracks(ab, {a, b}, {QStringLiteral("b"), QStringLiteral("a")}),
                 (QList<BeatCorrection>{b, a}));
        QCOMPARE(BeatKeeper::followTracks(ab, {a, b}, {QStringLiteral("b")}),
                 QList<BeatCorrection>{b});
        // Removing the corrected track leaves none; a track added has none.
        QVERIFY(BeatKeeper::followTracks(ab, {a}, {QStringLiteral("b"), QStringLiteral("c")})
                    .isEmpty());
        // The same file twice: each place keeps its own.
        const QStringList aa{QStringLiteral("a"), QStringLiteral("a")};
        QCOMPARE(BeatKeeper::followTracks(aa, {a, b}, aa), (QList<BeatCorrection>{a, b}));

        importPictures(2);
        const QString other = m_dir.filePath(QStringLiteral("other.mp3"));
        QVERIFY(writeDrums(other, 6));
        chooseMusic(m_drums);
        editor()->changeMusicList({m_drums, other}, album().musicCrossfade);
        keeper()->correct(1, b);
        QCOMPARE(album().beatCorrections, (QList<BeatCorrection>{BeatCorrection(), b}));
        editor()->changeMusicList({other, m_drums}, album().musicCrossfade);
        QCOMPARE(album().beatCorrections, QList<BeatCorrection>{b});
        editor()->undo();
        QCOMPARE(album().beatCorrections, (QList<BeatCorrection>{BeatCorrection(), b}));
        keeper()->correct(0, a);
        // Another first file: its correction goes, the second track's stays.
        const QString third = m_dir.filePath(QStringLiteral("third.mp3"));
        QVERIFY(writeDrums(third, 6));
        editor()->settings()->dropMusic(third);
        QCOMPARE(album().musicPath, third);
        QCOMPARE(album().beatCorrections, (QList<BeatCorrection>{BeatCorrection(), b}));
    }

    // Silence has no beat: the choice is kept (it applies once the music has one), the
    // album keeps its own timing, and the user is told why; the panel offers no corrections.
    void silenceHasNoBeat()
    {
        importPictures(2);
        const QString tone = m_dir.filePath(QStringLiteral("silence.mp3"));
        QVERIFY(testmedia::writeSound(tone, QStringLiteral("0"), 44100, 8,
                                      {QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}));
        chooseMusic(tone);
        QTRY_VERIFY_WITH_TIMEOUT(keeper()->track(tone), 30000);
        const int64_t own = album().pictureDuration(0);
        keeper()->chooseCut(BeatCut::Beat);
        QCOMPARE(album().beatCut, BeatCut::Beat);
        QVERIFY(!album().hasBeatTiming());
        QCOMPARE(album().pictureDuration(0), own);
        QString szToast;
        for (auto *pToast : editor()->findChildren<ShareCode::CQToast *>()) {
            if (pToast->isVisible())
                szToast = pToast->text();
        }
        QVERIFY2(szToast.contains(QStringLiteral("beat")), qPrintable(szToast));
        withPanel([](MusicPanel *pPanel) {
            QVERIFY(!pPanel->findChild<QPushButton *>(QStringLiteral("btnBeatHalf"))->isEnabled());
        });
    }

    // With VM_BEAT_SCREENSHOT naming a PNG (and a real display): the editor with six pictures
    // and a drum loop cut on every bar, the music panel open over it, as the README shows it.
    void screenshot()
    {
        const QString target = qEnvironmentVariable("VM_BEAT_SCREENSHOT");
        if (target.isEmpty() || QGuiApplication::platformName() == QLatin1String("offscreen"))
            QSKIP("VM_BEAT_SCREENSHOT names no file, or no display to grab");
        const QString loop = m_dir.filePath(QStringLiteral("loop.mp3"));
        // Kick on each beat, snare on two and four, hi-hats between.
        QVERIFY(testmedia::writeSound(
            loop,
            QStringLiteral("0.8*sin(2*PI*55*t)*exp(-28*mod(t,0.5))"
                           "+0.35*(2*random(0)-1)*exp(-22*mod(t-0.5,1))*gte(t,0.5)"
                           "+0.12*(2*random(1)-1)*exp(-70*mod(t-0.25,0.5))*gte(t,0.25)"),
            44100, 40, {QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}));
        m_fixture.importPictures(m_dir.path(), 6, QSize(640, 400), 55);
        m_fixture.answerChooser();
        chooseMusic(loop);
        QTRY_VERIFY_WITH_TIMEOUT(keeper()->track(loop), 30000);
        keeper()->chooseCut(BeatCut::Bar);
        QWidget *pWindow = editor()->window();
        pWindow->resize(1500, 940);
        pWindow->move(20, 20);
        bool bSaved = false;
        QTimer::singleShot(600, this, [&] {
            auto *pPanel = qobject_cast<MusicPanel *>(QApplication::activeModalWidget());
            QVERIFY(pPanel);
            pPanel->findChild<BeatWaveform *>()->setView(0, 16);
            QTest::qWait(400);
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0).copy(
                pWindow->frameGeometry().adjusted(-10, -10, 10, 10));
            bSaved = shot.save(target);
            pPanel->accept();
        });
        editor()->showMusicPanel();
        QVERIFY(bSaved);
    }
};

QTEST_MAIN(TestBeatPanel)
#include "tst_beatpanel.moc"
