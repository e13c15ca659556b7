// CQVideoPlay: time format, position display, the 30 ms clock, slider interplay, the button,
// pushes without a playback, and end-of-playback reports that arrive late.
#include "accessiblenames.h"
#include "cqslider.h"
#include "cqvideoplay.h"
#include "cqvideoshow.h"
#include "testframes.h"
#include "videoctl.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QtTest>

class TestCQVideoPlay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void displayTime_data();
    void displayTime();
    void formAndSprites();
    void totalAndPosition();
    void zeroTotalNeverMoves();
    void clockDrivesSliderAndTime();
    void pressFreezesDisplay_data();
    void pressFreezesDisplay();
    void endOfTimelineOnce();
    void playPauseButton();
    void stopSlotResets();
    void pushesWithoutPlayback();
    void lateEndOfPlaybackReport_data();
    void lateEndOfPlaybackReport();
};

void TestCQVideoPlay::initTestCase()
{
    qputenv("SDL_VIDEODRIVER", "dummy");
    QVERIFY(VideoCtl::instance());
}

void TestCQVideoPlay::displayTime_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << 0 << "00:00:00";
    QTest::newRow("just under a second") << 999 << "00:00:00";
    QTest::newRow("65 s") << 65000 << "00:01:05";
    QTest::newRow("an hour, two minutes, three seconds") << 3723000 << "01:02:03";
}

void TestCQVideoPlay::displayTime()
{
    QFETCH(int, ms);
    QFETCH(QString, shown);
    QCOMPARE(CQVideoPlay::msToDisplayTime(ms).toString(QStringLiteral("HH:mm:ss")), shown);
    CQVideoPlay player;
    player.setTotalDurationMs(ms);
    QCOMPARE(player.form()->VideoTotalTimeEdit->text(), shown);
}

void TestCQVideoPlay::formAndSprites()
{
    CQVideoPlay player;
    QCOMPARE(player.objectName(), QStringLiteral("CQVideoPlayClass"));
    QCOMPARE(player.minimumSize(), QSize(462, 300));
    QCOMPARE(player.videoShow()->objectName(), QStringLiteral("ShowWid"));
    QVERIFY(player.findChild<QWidget *>(QStringLiteral("videoDisplayLabel")));
    QCOMPARE(player.form()->PlayOrPauseBtn->size(), QSize(24, 24));
    QVERIFY(player.form()->PlayOrPauseBtn->styleSheet().contains(
        QStringLiteral(":/theme_local/imgs/play_normal.png")));
    for (const char *kind : {"play", "pause"}) {
        for (const char *state : {"normal", "hover", "click", "disable"}) {
            const QString path = QStringLiteral(":/theme_local/imgs/%1_%2.png")
                                     .arg(QLatin1String(kind), QLatin1String(state));
            QCOMPARE(QImage(path).size(), QSize(24, 24));
        }
    }
    QCOMPARE(QImage(QStringLiteral(":/theme_local/imgs/video_text.png")).size(), QSize(108, 20));
    // The button shows pictures only; the slider has no text either.
    QCOMPARE(accessible::unnamedControls(&player), QStringList());
    QVERIFY(player.connectControls());
}

void TestCQVideoPlay::totalAndPosition()
{
    CQVideoPlay player;
    player.setTotalDurationMs(10000);
    player.showPosition(2500);
    QCOMPARE(player.form()->PlaySlider->value(), 250);
    QCOMPARE(player.form()->VideoPlayTimeEdit->text(), QStringLiteral("00:00:02"));
    QCOMPARE(player.sliderPositionMs(), 2500.0);
    player.showPosition(12000);
    QCOMPARE(player.form()->VideoPlayTimeEdit->text(), QStringLiteral("00:00:10"));
    QCOMPARE(player.form()->PlaySlider->value(), 1000);
    player.resetPosition();
    QCOMPARE(player.form()->PlaySlider->value(), 0);
    QCOMPARE(player.sliderPositionMs(), 0.0);
}

void TestCQVideoPlay::zeroTotalNeverMoves()
{
    CQVideoPlay player;
    player.showPosition(5000);
    QCOMPARE(player.form()->PlaySlider->value(), 0);
    QCOMPARE(player.form()->VideoPlayTimeEdit->text(), QStringLiteral("00:00:00"));
}

void TestCQVideoPlay::clockDrivesSliderAndTime()
{
    CQVideoPlay player;
    player.setTotalDurationMs(10000);
    QElapsedTimer wall;
    wall.start();
    player.startClock();
    QTest::qWait(1200);
    const qint64 elapsed = wall.elapsed();
    // Slider in thousandths of 10 s: one step per 10 ms, within a few late ticks.
    const int value = player.form()->PlaySlider->value();
    QVERIFY2(qAbs(value - elapsed / 10) <= 15,
             qPrintable(QStringLiteral("%1 vs %2").arg(value).arg(elapsed)));
    QCOMPARE(player.form()->VideoPlayTimeEdit->text(), QStringLiteral("00:00:01"));
    QVERIFY(qAbs(player.sliderPositionMs() - value * 10.0) < 1e-9);

    player.pauseClock();
    QVERIFY(player.clockRunning()); // the timer keeps running, ticks are ignored
    const int paused = player.form()->PlaySlider->value();
    QTest::qWait(150);
    QCOMPARE(player.form()->PlaySlider->value(), paused);
    player.resumeClockFromSlider();
    QTest::qWait(150);
    QVERIFY(player.form()->PlaySlider->value() >= paused + 10);
    player.stopClock();
    QVERIFY(!player.clockRunning());
}

void TestCQVideoPlay::pressFreezesDisplay_data()
{
    QTest::addColumn<bool>("restartFromSlider");
    QTest::newRow("clock keeps its own position") << false;
    QTest::newRow("editor restarts the clock from the slider") << true;
}

void TestCQVideoPlay::pressFreezesDisplay()
{
    QFETCH(bool, restartFromSlider);
    CQVideoPlay player;
    player.resize(600, 300);
    QVERIFY(player.connectControls());
    player.setTotalDurationMs(10000);
    QSignalSpy pressed(&player, &CQVideoPlay::vp_cSliderPressSignal);
    QSignalSpy released(&player, &CQVideoPlay::vp_cSliderReleaseSignal);
    player.startClock();
    QTest::qWait(100);

    CQSlider *slider = player.form()->PlaySlider;
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() * 6 / 10, 5));
    QCOMPARE(pressed.count(), 1);
    const int frozen = slider->value();
    QTest::qWait(200);
    QCOMPARE(slider->value(), frozen); // the clock counts on, the display does not follow

    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier,
                        QPoint(slider->width() * 6 / 10, 5));
    QCOMPARE(released.count(), 1);
    QCOMPARE(slider->value(), 600);
    QCOMPARE(player.form()->VideoPlayTimeEdit->text(), QStringLiteral("00:00:06"));
    QCOMPARE(player.sliderPositionMs(), 6000.0);
    if (restartFromSlider)
        player.resumeClockFromSlider();
    QTest::qWait(100);
    if (restartFromSlider)
        QVERIFY(slider->value() >= 600 && slider->value() < 700);
    else
        QVERIFY(slider->value() < 100); // back at the clock's own position (about 0.4 s)
}

void TestCQVideoPlay::endOfTimelineOnce()
{
    CQVideoPlay player;
    player.setTotalDurationMs(200);
    QSignalSpy ended(&player, &CQVideoPlay::vp_timeLoopEndSignal);
    player.startClock();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 2000);
    QTest::qWait(200);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!player.clockRunning());
    QCOMPARE(player.form()->PlaySlider->value(), 1000);
    QCOMPARE(player.form()->VideoPlayTimeEdit->text(), QStringLiteral("00:00:00"));
    // The clock can run again afterwards.
    player.startClock();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 2000);
}

void TestCQVideoPlay::playPauseButton()
{
    CQVideoPlay player;
    QVERIFY(player.connectControls());
    QSignalSpy toggled(&player, &CQVideoPlay::vp_PlayOrPauseVideoSignal);
    QPushButton *button = player.form()->PlayOrPauseBtn;
    button->click();
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QVERIFY(player.isPlaying());
    QVERIFY(button->styleSheet().contains(QStringLiteral("pause_normal.png")));
    QVERIFY(button->styleSheet().contains(QStringLiteral("pause_disable.png")));
    button->click();
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
    QVERIFY(button->styleSheet().contains(QStringLiteral("play_hover.png")));
    player.showPauseIcon();
    QVERIFY(player.isPlaying());
    player.showPlayIcon();
    QVERIFY(!player.isPlaying());
}

void TestCQVideoPlay::stopSlotResets()
{
    CQVideoPlay player;
    QSignalSpy stopped(&player, &CQVideoPlay::vp_videoStopPlaySignal);
    player.setTotalDurationMs(10000);
    player.showPosition(4000);
    player.showPauseIcon();
    player.vp_videoStopPlaySlots();
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(player.form()->PlaySlider->value(), 0);
    QVERIFY(!player.isPlaying());
    QVERIFY(!player.engineAttached());
    QVERIFY(player.videoShow()->updatesEnabled());

    // While the user holds the slider, the position is left alone.
    player.showPosition(4000);
    player.vp_cSliderPressSlots(0.4);
    player.vp_videoStopPlaySlots();
    QCOMPARE(player.form()->PlaySlider->value(), 400);
}

void TestCQVideoPlay::pushesWithoutPlayback()
{
    CQVideoPlay player;
    QCOMPARE(player.pushVideoFrame(nullptr), -1);
    QCOMPARE(player.pushAudioFrame(nullptr), -1);
    AVFrame *picture = testframes::solidPicture(32, 18, AV_PIX_FMT_YUV420P, 100, 128, 128);
    AVFrame *sound = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 512, 440, 0.5);
    QCOMPARE(player.pushVideoFrame(picture), -1);
    QCOMPARE(player.pushAudioFrame(sound), -1);
    // The player releases the caller's frame in every case.
    QVERIFY(picture->buf[0] == nullptr);
    QVERIFY(sound->buf[0] == nullptr);
    av_frame_free(&picture);
    av_frame_free(&sound);
}

void TestCQVideoPlay::lateEndOfPlaybackReport_data()
{
    QTest::addColumn<bool>("reattach");
    QTest::newRow("nothing since: the window is reset") << false;
    QTest::newRow("detached and attached again meanwhile: the new playback stays") << true;
}

void TestCQVideoPlay::lateEndOfPlaybackReport()
{
    QFETCH(bool, reattach);
    VideoCtl *engine = VideoCtl::instance();
    CQVideoPlay player;
    QVERIFY(player.connectControls());
    QSignalSpy stopped(&player, &CQVideoPlay::vp_videoStopPlaySignal);
    player.attachEngine();
    QVERIFY(player.engineAttached());
    // The dummy video driver refuses the window at the first picture: the playback ends by itself.
    AVFrame *frame = testframes::solidPicture(32, 18, AV_PIX_FMT_YUV420P, 100, 128, 128);
    QCOMPARE(player.pushVideoFrame(frame), 0);
    av_frame_free(&frame);
    // No event loop here, so the engine's report stays queued.
    QElapsedTimer waited;
    waited.start();
    while (engine->isPlaying() && waited.elapsed() < 5000)
        QThread::msleep(5);
    QVERIFY(!engine->isPlaying());
    engine->waitDisplayLoop(); // the report is sent before the loop ends
    if (reattach) {
        player.detachEngine();
        player.attachEngine();
        QVERIFY(engine->isPlaying());
    }
    QTest::qWait(50);
    QCOMPARE(player.engineAttached(), reattach);
    QCOMPARE(stopped.count(), reattach ? 0 : 1);
    QCOMPARE(engine->isPlaying(), reattach);
    player.detachEngine();
    engine->waitDisplayLoop();
}

QTEST_MAIN(TestCQVideoPlay)
#include "tst_cqvideoplay.moc"
