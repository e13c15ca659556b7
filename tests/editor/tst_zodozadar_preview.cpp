// The preview player's state machine in the real main window, with the real renderer, music
// decoder and playback engine under an X server, and the music played through SDL's disk driver:
// every trigger in each state it can meet, one real preview from play to the album's end.
#include "albumdocument.h"
#include "editorfixture.h"
#include "previewcontroller.h"

#include "album.h"
#include "audiodecoder.h"
#include "cqquitdialog.h"
#include "cqslider.h"
#include "cqvideoplay.h"
#include "exportsettingdialog.h"
#include "imagedecoder.h"
#include "imageviewer.h"
#include "qtinversionwidget.h"
#include "testmedia.h"
#include "videoctl.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavutil/mathematics.h>
}

#include <cmath>

class TestZodoZadarPreview : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    EditorFixture m_fixture;
    QString m_music;

    ZodoZadar *editor() const { return m_fixture.editor; }
    CQVideoPlay *player() const { return m_fixture.editor->player(); }
    int state() const { return m_fixture.editor->preview()->state(); }

    static bool dummyVideo() { return qgetenv("SDL_VIDEODRIVER") == "dummy"; }

    void importPictures(int iCount)
    {
        m_fixture.importPictures(m_dir.path(), iCount, QSize(640, 360), 90);
        // SDL's dummy video refuses the window at the cover picture: the engine gives up before
        // the test plays, not at some moment during it.
        if (dummyVideo())
            QTRY_VERIFY(!player()->engineAttached());
    }

    void pressPlayButton(bool bPlay) { emit player()->vp_PlayOrPauseVideoSignal(bPlay); }
    // The slider moved by a drag; the press and release come separately.
    void moveSlider(double lfRatio) { player()->form()->PlaySlider->setValue(int(lfRatio * 1000)); }

    // Paused: the clock, the renderer and the music all hold, and the button offers play.
    void verifyPaused(int iState)
    {
        QCOMPARE(state(), iState);
        QVERIFY(player()->clockPaused());
        QVERIFY(editor()->viewer()->paused);
        QVERIFY(editor()->audioDecoder()->paused);
        QVERIFY(!player()->isPlaying());
    }
    void verifyPlaying()
    {
        QCOMPARE(state(), int(PreviewController::Playing));
        QVERIFY(player()->clockRunning() && !player()->clockPaused());
        QVERIFY(!editor()->viewer()->paused);
        QVERIFY(!editor()->audioDecoder()->paused);
        QVERIFY(player()->isPlaying());
    }
    void verifyStopped()
    {
        QTRY_COMPARE_WITH_TIMEOUT(state(), int(PreviewController::Stopped), 10000);
        QVERIFY(!player()->clockRunning());
        QVERIFY(!player()->isPlaying());
        QTRY_VERIFY(!editor()->viewer()->previewing);
        QTRY_VERIFY(!editor()->audioDecoder()->active);
    }

private slots:
    void initTestCase()
    {
        m_fixture.createManagers();
        m_music = m_dir.filePath(QStringLiteral("music.mp3"));
        QVERIFY(testmedia::writeMp3(m_music, 6));
    }

    void init()
    {
        m_fixture.createEditor();
        importPictures(3);
        editor()->form()->boxImageDuration->setValue(1);
        Album &job = m_fixture.album();
        job.musicType = MusicCustom;
        job.musicPath = m_music;
    }

    void cleanup()
    {
        Album &job = m_fixture.album();
        job.musicType = MusicNone;
        job.musicPath.clear();
        for (QWidget *pWidget : ShareCode::QtInversionWidget::instance()->findChildren<QDialog *>())
            delete pWidget;
        m_fixture.destroyEditor();
    }

    // Every trigger of the player, in the states where it can happen, in one real preview.
    void stateMachine()
    {
        Album &job = m_fixture.album();
        auto *pFrame = qobject_cast<ShareCode::CFramelessWindow *>(editor()->window());
        QVERIFY(pFrame);
        QSignalSpy starts(editor()->viewer(), &ImageViewer::sig_previewVideo);

        // Stopped: a suspend, a slider press and an update request leave it stopped.
        emit pFrame->signal_screenOut();
        emit player()->vp_cSliderPressSignal(0.2);
        QVERIFY(QMetaObject::invokeMethod(editor(), "updateRequest"));
        QCOMPARE(state(), int(PreviewController::Stopped));
        QVERIFY(!player()->clockRunning());
        QCOMPARE(starts.count(), 0);

        // Play from stopped: a new run from the rows, with the clock and the music.
        {
            job.materialOrder.clear();
        }
        pressPlayButton(true);
        verifyPlaying();
        QCOMPARE(starts.count(), 1);
        QTRY_VERIFY(editor()->viewer()->previewing);
        QTRY_VERIFY(editor()->audioDecoder()->active);
        QCOMPARE(job.materialOrder.size(), 3);

        // Play while playing changes nothing.
        pressPlayButton(true);
        verifyPlaying();
        QCOMPARE(starts.count(), 1);

        // Pause, then the triggers a paused player ignores or follows.
        pressPlayButton(false);
        verifyPaused(PreviewController::Paused);
        emit player()->vp_cSliderPressSignal(0.5);
        verifyPaused(PreviewController::Paused);
        moveSlider(0.5);
        emit player()->vp_cSliderReleaseSignal(0.5);
        verifyPaused(PreviewController::Paused); // a release while paused moves, does not play
        const int64_t half =
            av_rescale_q(int(player()->totalDurationMs() * 0.5), job.msTimeBase, job.totalTimeBase);
        QCOMPARE(int64_t(m_fixture.editor->viewer()->playPosition), half);

        // Resume from paused, then hold the slider: paused as "seeking", and playing on release.
        pressPlayButton(true);
        verifyPlaying();
        emit player()->vp_cSliderPressSignal(0.25);
        verifyPaused(PreviewController::Seeking);
        moveSlider(0.25);
        emit player()->vp_cSliderReleaseSignal(0.25);
        verifyPlaying();
        const int64_t quarter = av_rescale_q(int(player()->totalDurationMs() * 0.25),
                                             job.msTimeBase, job.totalTimeBase);
        QCOMPARE(int64_t(m_fixture.editor->viewer()->playPosition), quarter);

        // A suspend and an update request pause a running preview.
        emit pFrame->signal_screenOut();
        verifyPaused(PreviewController::Paused);
        pressPlayButton(true);
        QVERIFY(QMetaObject::invokeMethod(editor(), "updateRequest"));
        verifyPaused(PreviewController::Paused);
        QCOMPARE(starts.count(), 1);

        // Played to the end of the timeline: stopped, the position back at the start.
        pressPlayButton(true);
        verifyStopped();
        QCOMPARE(int(player()->sliderPositionMs()), 0);

        // The next play starts a new run from the first picture.
        pressPlayButton(true);
        verifyPlaying();
        QCOMPARE(starts.count(), 2);
    }

    // Any edit stops a running or paused preview first; so does pressing export.
    void editsStopThePreview()
    {
        pressPlayButton(true);
        QTRY_VERIFY(editor()->viewer()->previewing);
        pressPlayButton(false);
        editor()->form()->boxImageDuration->setValue(2);
        verifyStopped();

        pressPlayButton(true);
        QTRY_VERIFY(editor()->viewer()->previewing);
        editor()->form()->btnExport->click();
        verifyStopped();
        QVERIFY(ShareCode::QtInversionWidget::instance()->findChild<ExportSettingDialog *>());
    }

    // The engine gives up while the preview plays (its window refused): the player went back to
    // the start offering play, and the preview, its clock and its music stop with it.
    void engineGivingUpStopsThePreview()
    {
        if (!dummyVideo())
            QSKIP("needs a video driver that refuses the window");
        pressPlayButton(true);
        verifyPlaying();
        QTRY_VERIFY(editor()->viewer()->previewing);
        player()->attachEngine();
        QVERIFY(player()->engineAttached());
        // The next picture the feeder hands over makes the engine create its window, and fail.
        verifyStopped();
        QCOMPARE(player()->sliderPositionMs(), 0.0);
        pressPlayButton(true);
        verifyPlaying();
    }

    // A halt made while the run and the music decode still wait in their workers' queues
    // reaches them: both end unplayed. Before, the decode started after the halt, filled the
    // player's stopped audio queue and held musicMutex, and the next edit froze the window.
    void haltReachesQueuedRequests()
    {
        Album &job = m_fixture.album();
        QSignalSpy finished(editor()->viewer(), &ImageViewer::sig_previewFinished);
        {
            ThreadGate viewerBusy(editor()->viewer());
            ThreadGate musicBusy(editor()->audioDecoder());
            pressPlayButton(true);
            QVERIFY(editor()->viewer()->runAskedOrActive());
            QVERIFY(editor()->audioDecoder()->askedOrActive());
            editor()->form()->boxImageDuration->setValue(2);
            QCOMPARE(job.uniformDurationValue, int64_t(2000000));
        }
        QTRY_COMPARE(finished.count(), 1);
        verifyStopped();
        QTest::qWait(300); // a decode that started anyway would fill the audio queue meanwhile
        QVERIFY(!editor()->audioDecoder()->active);
        QElapsedTimer edit;
        edit.start();
        editor()->form()->boxImageDuration->setValue(3);
        QVERIFY2(edit.elapsed() < 2000, qPrintable(QString::number(edit.elapsed())));
        QCOMPARE(finished.count(), 1);
    }

    // A seek made when everything is rendered (the last half second) moves the run back; it
    // used to end it, when the feeder saw the emptied queue before the renderer took the seek.
    void seekNearTheEndKeepsPlaying()
    {
        for (int round = 0; round < 3; ++round) {
            pressPlayButton(true);
            const int total = player()->totalDurationMs();
            QTRY_VERIFY_WITH_TIMEOUT(player()->sliderPositionMs() > total - 450, 15000);
            player()->vp_cSliderPressSlots(0.1);
            moveSlider(0.1);
            player()->vp_cSliderReleaseSlots(0.1);
            QTest::qWait(300);
            QCOMPARE(state(), int(PreviewController::Playing));
            QVERIFY(editor()->viewer()->previewing);
            QVERIFY(player()->sliderPositionMs() < total / 2);
            pressPlayButton(false);
            editor()->form()->boxImageDuration->setValue(1 + (round + 1) % 2); // a halt
            verifyStopped();
        }
    }

    // Music after a seek made while stopped starts at the seek's position when play is
    // pressed, not as much later as the user waited before pressing it.
    void musicAfterSeekWhileStopped()
    {
        player()->vp_cSliderPressSlots(0.5);
        moveSlider(0.5);
        player()->vp_cSliderReleaseSlots(0.5);
        QTest::qWait(1500);
        pressPlayButton(true);
        QTRY_VERIFY_WITH_TIMEOUT(
            VideoCtl::instance() && !std::isnan(VideoCtl::instance()->audioPositionMs()), 5000);
        QTest::qWait(200);
        const double heard = VideoCtl::instance()->audioPositionMs();
        const double clock = player()->sliderPositionMs();
        QVERIFY2(qAbs(heard - clock) < 400,
                 qPrintable(QStringLiteral("music %1 ms, clock %2 ms").arg(heard).arg(clock)));
    }

    // Closing the window over an album pauses a running preview and asks; only OK closes.
    void exitAsksFirst()
    {
        pressPlayButton(true);
        QTRY_VERIFY(editor()->viewer()->previewing);
        QTRY_VERIFY(editor()->audioDecoder()->active); // a pause before its start is ignored
        QWidget *pWindow = editor()->window();
        auto quitDialog = [] {
            return ShareCode::QtInversionWidget::instance()->findChild<ShareCode::CQQuitDialog *>();
        };
        editor()->closeRequest();
        verifyPaused(PreviewController::Paused);
        QTRY_VERIFY(quitDialog() && quitDialog()->isVisible());
        QMetaObject::invokeMethod(quitDialog(), "sltCancel");
        QTRY_VERIFY(!quitDialog());
        QVERIFY(pWindow->isVisible());

        editor()->closeRequest();
        QTRY_VERIFY(quitDialog());
        QMetaObject::invokeMethod(quitDialog(), "sltOK");
        QTRY_VERIFY(!pWindow->isVisible());
    }

    // Sound really plays, from the music's own time line, and follows a seek to the clock.
    void musicIsHeardAndFollowsTheSlider()
    {
        const QString sink = qEnvironmentVariable("SDL_DISKAUDIOFILE");
        pressPlayButton(true);
        QTRY_VERIFY_WITH_TIMEOUT(
            VideoCtl::instance() && !std::isnan(VideoCtl::instance()->audioPositionMs()), 5000);
        int64_t pts = -1;
        qint64 at = 0;
        QTRY_VERIFY((player()->lastPicture(pts, at), pts > 0));
        // A seek flushes the sound queued for the old position: what is heard next is of the new
        // one (0.7 of a 7 s album is 4.9 s, inside the 6 s music).
        player()->vp_cSliderPressSlots(0.7);
        moveSlider(0.7);
        player()->vp_cSliderReleaseSlots(0.7);
        QTRY_VERIFY_WITH_TIMEOUT(
            [] {
                const double heard = VideoCtl::instance()->audioPositionMs();
                return heard > 4700 && heard < 6000;
            }(),
            3000);
        if (!sink.isEmpty())
            QTRY_VERIFY(QFileInfo(sink).size() > 44100);
        verifyStopped();
    }
};

QTEST_MAIN(TestZodoZadarPreview)
#include "tst_zodozadar_preview.moc"
