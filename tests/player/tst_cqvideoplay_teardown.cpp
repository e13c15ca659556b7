// Tearing down in mid-playback: a player window destroyed while it shows pictures and plays sound
// ends the engine's use of its surface and releases a producer blocked inside it; then the engine
// goes down with the application object, while the display connection is still open.
#include "cqvideoplay.h"
#include "testframes.h"
#include "videoctl.h"

#include <QApplication>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {
bool g_engineStarted = false;
}

class TestTeardown : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void destroyPlayingWindow();
};

void TestTeardown::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
    qunsetenv("SDL_VIDEODRIVER");
    QVERIFY(VideoCtl::instance());
    g_engineStarted = true;
}

void TestTeardown::destroyPlayingWindow()
{
    VideoCtl *engine = VideoCtl::instance();
    auto *player = new CQVideoPlay;
    QVERIFY(player->connectControls());
    player->resize(800, 500);
    player->show();
    QVERIFY(QTest::qWaitForWindowExposed(player));
    player->setTotalDurationMs(60000);
    player->attachEngine();
    QVERIFY(player->engineAttached());
    player->startAudio();
    player->startClock();

    std::atomic<bool> feeding{true};
    std::atomic<int> pictures{0};
    std::thread video([&] {
        for (int i = 0; feeding; i++) {
            AVFrame *frame =
                testframes::solidPicture(640, 360, AV_PIX_FMT_YUV420P, 16 + i % 200, 128, 128);
            if (player->pushVideoFrame(frame) == 0)
                pictures++;
            av_frame_free(&frame);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    // Five-second sound frames: nine fill the queue and the tenth waits inside the window.
    std::atomic<int> sounds{0};
    std::atomic<int> lastResult{1};
    std::thread audio([&] {
        for (;;) {
            AVFrame *frame = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 5 * 44100, 440, 0.3);
            const int ret = player->pushAudioFrame(frame);
            av_frame_free(&frame);
            if (ret < 0) {
                lastResult = ret;
                return;
            }
            sounds++;
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(sounds >= 9 && pictures >= 20, 10000);
    QTest::qWait(100);
    QCOMPARE(lastResult.load(), 1); // still inside
    // The picture producer follows the editor's rule: it stops before the window goes.
    feeding = false;
    video.join();
    QVERIFY(engine->isPlaying());

    delete player;
    QVERIFY(!engine->isPlaying());
    audio.join();
    QCOMPARE(lastResult.load(), -1);
}

int main(int argc, char **argv)
{
    int ret = 0;
    {
        QApplication app(argc, argv);
        TestTeardown test;
        ret = QTest::qExec(&test, argc, argv);
    }
    // SDL must be gone with the application object, not left for the exit handlers.
    if (g_engineStarted && (VideoCtl::instance() || SDL_WasInit(0) != 0)) {
        std::fputs("FAIL!  : the playback engine outlived the application object\n", stderr);
        return 1;
    }
    return ret;
}

#include "tst_cqvideoplay_teardown.moc"
