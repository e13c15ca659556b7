// VideoCtl: display rectangle, pushes with and without a playback, release of blocked producers,
// a playback that ends by itself, and quick stop/start cycles with producers running.
#include "displayrect.h"
#include "testframes.h"
#include "videoctl.h"

#include <QtTest>

#include <atomic>
#include <thread>

class TestVideoCtl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void displayRect_data();
    void displayRect();
    void pushWithoutPlayback();
    void blockedProducerReleasedOnStop();
    void failedWindowEndsPlaybackByItself();
    void restartRightAfterStopWithProducers();
    void cleanup();
};

void TestVideoCtl::initTestCase()
{
    // No X server needed here: the dummy video driver refuses native windows, which is what
    // the window-failure case wants.
    qputenv("SDL_VIDEODRIVER", "dummy");
    QVERIFY(VideoCtl::instance() != nullptr);
}

void TestVideoCtl::cleanup()
{
    VideoCtl::instance()->stopPlay();
    VideoCtl::instance()->waitDisplayLoop();
}

void TestVideoCtl::displayRect_data()
{
    QTest::addColumn<QSize>("display");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("sarNum");
    QTest::addColumn<int>("sarDen");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("same aspect") << QSize(1920, 1080) << QSize(1920, 1080) << 1 << 1
                                 << QRect(0, 0, 1920, 1080);
    QTest::newRow("wide picture: bars above and below")
        << QSize(1920, 1080) << QSize(1000, 500) << 1 << 1 << QRect(0, 60, 1920, 960);
    QTest::newRow("4:3 picture: bars left and right")
        << QSize(1920, 1080) << QSize(640, 480) << 1 << 1 << QRect(240, 0, 1440, 1080);
    // 262 x 16/9 = 465.8 -> 466, too wide: 462 / (16/9) = 259.875 -> 260.
    QTest::newRow("1080p into the player's surface")
        << QSize(462, 262) << QSize(1920, 1080) << 1 << 1 << QRect(0, 1, 462, 260);
    QTest::newRow("width rounded down to even")
        << QSize(500, 101) << QSize(100, 100) << 1 << 1 << QRect(200, 0, 100, 101);
    QTest::newRow("sample aspect widens the picture")
        << QSize(400, 100) << QSize(100, 100) << 2 << 1 << QRect(100, 0, 200, 100);
    QTest::newRow("unknown sample aspect counts as square")
        << QSize(400, 100) << QSize(100, 100) << 0 << 1 << QRect(150, 0, 100, 100);
    QTest::newRow("tiny display still gets one pixel")
        << QSize(1, 1) << QSize(1920, 1080) << 1 << 1 << QRect(0, 0, 1, 1);
}

void TestVideoCtl::displayRect()
{
    QFETCH(QSize, display);
    QFETCH(QSize, picture);
    QFETCH(int, sarNum);
    QFETCH(int, sarDen);
    QFETCH(QRect, expected);
    const SDL_Rect r = vmplayer::displayRect(0, 0, display.width(), display.height(),
                                             picture.width(), picture.height(), {sarNum, sarDen});
    QCOMPARE(QRect(r.x, r.y, r.w, r.h), expected);
}

void TestVideoCtl::pushWithoutPlayback()
{
    VideoCtl *engine = VideoCtl::instance();
    QVERIFY(!engine->isPlaying());
    AVFrame *picture = testframes::solidPicture(64, 36, AV_PIX_FMT_YUV420P, 200, 128, 128);
    AVFrame *sound = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 1024, 440, 0.5);
    QCOMPARE(engine->pushVideoFrame(picture), -1);
    QCOMPARE(engine->pushAudioFrame(sound), -1);
    // Left with the caller, untouched.
    QVERIFY(picture->buf[0] != nullptr);
    QCOMPARE(picture->width, 64);
    QCOMPARE(picture->data[0][0], uint8_t(200));
    QVERIFY(sound->buf[0] != nullptr);
    QCOMPARE(sound->nb_samples, 1024);
    QCOMPARE(engine->pushVideoFrame(nullptr), -1);
    av_frame_free(&picture);
    av_frame_free(&sound);
}

void TestVideoCtl::blockedProducerReleasedOnStop()
{
    VideoCtl *engine = VideoCtl::instance();
    engine->startPlay(0);
    QVERIFY(engine->isPlaying());
    // Audio is never started, so nothing drains the nine sample slots.
    for (int i = 0; i < 9; i++) {
        AVFrame *frame = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 256, 440, 0.5);
        QCOMPARE(engine->pushAudioFrame(frame), 0);
        QVERIFY(frame->buf[0] == nullptr); // moved, not copied
        av_frame_free(&frame);
    }
    std::atomic<int> result{1};
    AVFrame *tenth = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 256, 440, 0.5);
    std::thread producer([&] { result = engine->pushAudioFrame(tenth); });
    QTest::qWait(100);
    QCOMPARE(result.load(), 1); // still blocked
    engine->stopPlay();
    producer.join();
    QCOMPARE(result.load(), -1);
    QVERIFY(tenth->buf[0] != nullptr);
    av_frame_free(&tenth);
    QVERIFY(!engine->isPlaying());
}

void TestVideoCtl::failedWindowEndsPlaybackByItself()
{
    VideoCtl *engine = VideoCtl::instance();
    // Counted on this thread: the signal comes from the display loop's thread.
    int stopped = 0;
    QMetaObject::Connection counter =
        connect(engine, &VideoCtl::StopPlaySingle, this, [&stopped] { stopped++; });
    engine->startPlay(0);
    // The first picture makes the loop create its window, which the dummy driver refuses.
    std::atomic<int> accepted{0}, refused{0};
    std::thread producer([&] {
        for (int i = 0; i < 8; i++) {
            AVFrame *frame = testframes::solidPicture(32, 18, AV_PIX_FMT_YUV420P, 90, 60, 200);
            if (engine->pushVideoFrame(frame) == 0)
                accepted++;
            else
                refused++;
            av_frame_free(&frame);
        }
    });
    producer.join(); // no push may stay blocked once the loop has given up
    QTRY_VERIFY_WITH_TIMEOUT(!engine->isPlaying(), 5000);
    QVERIFY(accepted >= 1);
    QVERIFY(accepted <= 4); // one shown and three queued at most before the loop ended
    QCOMPARE(accepted + refused, 8);
    QTRY_COMPARE(stopped, 1);

    // A later playback starts afresh.
    engine->startPlay(0);
    QVERIFY(engine->isPlaying());
    engine->stopPlay();
    engine->waitDisplayLoop();
    QTest::qWait(50);
    QCOMPARE(stopped, 1); // stopPlay is not reported back
    disconnect(counter);
}

void TestVideoCtl::restartRightAfterStopWithProducers()
{
    VideoCtl *engine = VideoCtl::instance();
    std::atomic<bool> done{false};
    std::atomic<int> pushes{0};
    auto produce = [&](bool video) {
        while (!done) {
            AVFrame *frame =
                video ? testframes::solidPicture(16, 16, AV_PIX_FMT_YUV420P, 16, 128, 128)
                      : testframes::tone(22050, 1, AV_SAMPLE_FMT_S16, 256, 440, 0.3);
            const int ret = video ? engine->pushVideoFrame(frame) : engine->pushAudioFrame(frame);
            av_frame_free(&frame);
            if (ret < 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            else
                pushes++;
        }
    };
    std::thread videoProducer(produce, true);
    std::thread audioProducer(produce, false);
    for (int i = 0; i < 40; i++) {
        engine->startPlay(0);
        if (i % 2)
            engine->startAudio();
        QTest::qWait(2);
        engine->stopAudio();
        if (i % 3 == 0)
            engine->startAudio();
        engine->stopPlay();
    }
    done = true;
    videoProducer.join();
    audioProducer.join();
    QVERIFY(pushes > 0);
}

QTEST_GUILESS_MAIN(TestVideoCtl)
#include "tst_videoctl.moc"
