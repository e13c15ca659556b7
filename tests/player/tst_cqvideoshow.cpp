// A real playback on an X server: pictures pushed through the player appear in the surface's
// window, letterboxed with the engine's dark grey, in every upload path; a still picture is not
// presented again until something changes; the surface's newest size in device pixels wins.
#include "cqvideoplay.h"
#include "cqvideoshow.h"
#include "displayrect.h"
#include "testframes.h"
#include "videoctl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

namespace {

bool near(QRgb pixel, const QColor &expected, int tolerance)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance &&
           qAbs(qGreen(pixel) - expected.green()) <= tolerance &&
           qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QString describe(QRgb pixel)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

} // namespace

class TestCQVideoShow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void placeholderBeforeAttach();
    void picturesReachTheWindow_data();
    void picturesReachTheWindow();
    void bottomUpPictureShownUpright();
    void resizeRecentres();
    void stillPictureNotPresentedAgain();
    void sizeReportedBeforeTheWindowWins();
    void scaleChangeReportsDevicePixels();
    void detachHandsTheWindowBack();
    void onlyWindowsOfTheSameSystem();
    void cleanupTestCase();

private:
    QImage grabSurface();
    bool showAndCheck(AVFrame *frame, const QColor &colour, QString *why, QSize surface = QSize());
    CQVideoPlay *m_player = nullptr;
};

void TestCQVideoShow::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
    qunsetenv("SDL_VIDEODRIVER");
    QVERIFY(VideoCtl::instance());
    m_player = new CQVideoPlay;
    QVERIFY(m_player->connectControls());
    m_player->resize(800, 500);
    m_player->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_player));
}

// SDL's X11 driver draws into X11 windows only: an id from Qt's offscreen platform (a test with
// DISPLAY set) would end the program with BadWindow.
void TestCQVideoShow::onlyWindowsOfTheSameSystem()
{
    VideoCtl *engine = VideoCtl::instance();
    QVERIFY(engine->showsInWindowsOf(QStringLiteral("xcb")));
    QVERIFY(!engine->showsInWindowsOf(QStringLiteral("offscreen")));
    QVERIFY(!engine->showsInWindowsOf(QStringLiteral("minimal")));
}

void TestCQVideoShow::cleanupTestCase()
{
    if (m_player)
        m_player->detachEngine();
    if (VideoCtl *engine = VideoCtl::instance())
        engine->waitDisplayLoop();
    delete m_player;
}

QImage TestCQVideoShow::grabSurface()
{
    CQVideoShow *show = m_player->videoShow();
    return QGuiApplication::primaryScreen()->grabWindow(show->winId()).toImage();
}

void TestCQVideoShow::placeholderBeforeAttach()
{
    QTRY_VERIFY(!grabSurface().isNull());
    const QImage before = grabSurface();
    QVERIFY2(near(before.pixel(5, 5), QColor(0x2f, 0x2f, 0x2f), 2),
             qPrintable(describe(before.pixel(5, 5))));
    // The placeholder image sits in the centre, lighter than the background.
    bool lighter = false;
    for (int x = before.width() / 2 - 54; x < before.width() / 2 + 54 && !lighter; x++)
        for (int y = before.height() / 2 - 10; y < before.height() / 2 + 10 && !lighter; y++)
            lighter = qGray(before.pixel(x, y)) > 90;
    QVERIFY(lighter);
}

bool TestCQVideoShow::showAndCheck(AVFrame *frame, const QColor &colour, QString *why,
                                   QSize surface)
{
    VideoCtl *engine = VideoCtl::instance();
    const int width = frame->width, height = frame->height;
    if (m_player->pushVideoFrame(frame) != 0) {
        *why = QStringLiteral("push refused");
        return false;
    }
    if (surface.isEmpty())
        surface = m_player->videoShow()->deviceSize();
    const SDL_Rect r =
        vmplayer::displayRect(0, 0, surface.width(), surface.height(), width, height, {1, 1});
    // Inside the picture, a little away from its edges (linear scaling blends them); outside.
    const QPoint inside[] = {
        {r.x + r.w / 2, r.y + r.h / 2}, {r.x + 3, r.y + 3}, {r.x + r.w - 4, r.y + r.h - 4}};
    QVector<QPoint> outside;
    if (r.y >= 3)
        outside << QPoint(r.x + r.w / 2, 1) << QPoint(r.x + r.w / 2, surface.height() - 2);
    if (r.x >= 3)
        outside << QPoint(1, r.y + r.h / 2) << QPoint(surface.width() - 2, r.y + r.h / 2);
    QImage image;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        QTest::qWait(50);
        if (!engine->isPlaying()) {
            *why = QStringLiteral("playback ended");
            return false;
        }
        image = grabSurface();
        bool ok = image.size() == surface;
        for (const QPoint &p : inside)
            ok = ok && near(image.pixel(p), colour, 14);
        for (const QPoint &p : outside)
            ok = ok && image.pixel(p) == qRgb(47, 47, 47);
        if (ok)
            return true;
    }
    image.save(QDir::temp().filePath(QStringLiteral("tst_cqvideoshow_failed.png")));
    *why = QStringLiteral("centre %1, corner %2, outside %3 (rect %4,%5 %6x%7, window %8x%9)")
               .arg(describe(image.pixel(inside[0])), describe(image.pixel(inside[1])),
                    outside.isEmpty() ? QString() : describe(image.pixel(outside[0])))
               .arg(r.x)
               .arg(r.y)
               .arg(r.w)
               .arg(r.h)
               .arg(image.width())
               .arg(image.height());
    return false;
}

void TestCQVideoShow::picturesReachTheWindow_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("c0");
    QTest::addColumn<int>("c1");
    QTest::addColumn<int>("c2");
    // BT.601 limited range red.
    QTest::newRow("yuv420p wide, bars above and below")
        << int(AV_PIX_FMT_YUV420P) << QSize(1000, 400) << QColor(255, 0, 0) << 81 << 90 << 240;
    QTest::newRow("bgra narrow, bars left and right")
        << int(AV_PIX_FMT_BGRA) << QSize(300, 400) << QColor(30, 200, 60) << 60 << 200 << 30;
    QTest::newRow("rgb24 converted, 4:3")
        << int(AV_PIX_FMT_RGB24) << QSize(640, 480) << QColor(40, 80, 220) << 40 << 80 << 220;
    QTest::newRow("yuv420p 1080p") << int(AV_PIX_FMT_YUV420P) << QSize(1920, 1080)
                                   << QColor(235, 235, 235) << 219 << 128 << 128;
}

void TestCQVideoShow::picturesReachTheWindow()
{
    QFETCH(int, format);
    QFETCH(QSize, size);
    QFETCH(QColor, colour);
    QFETCH(int, c0);
    QFETCH(int, c1);
    QFETCH(int, c2);
    m_player->attachEngine();
    QVERIFY(m_player->engineAttached());
    AVFrame *frame =
        testframes::solidPicture(size.width(), size.height(), AVPixelFormat(format), c0, c1, c2);
    QString why;
    const bool shown = showAndCheck(frame, colour, &why);
    QVERIFY(frame->buf[0] == nullptr); // moved into the engine
    av_frame_free(&frame);
    QVERIFY2(shown, qPrintable(why));
}

void TestCQVideoShow::bottomUpPictureShownUpright()
{
    // A BGRA picture stored bottom-up (negative line size): red in its upper half, blue below.
    m_player->attachEngine();
    const int w = 320, h = 240;
    AVFrame *frame = testframes::solidPicture(w, h, AV_PIX_FMT_BGRA, 0, 0, 0);
    for (int y = 0; y < h; y++) {
        uint8_t *row = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < w; x++) {
            const bool upper = y < h / 2;
            row[x * 4] = upper ? 0 : 255;     // B
            row[x * 4 + 2] = upper ? 255 : 0; // R
        }
    }
    frame->data[0] += frame->linesize[0] * (h - 1);
    frame->linesize[0] = -frame->linesize[0];
    // Logical row y is now memory row h - 1 - y: the upper half holds blue.
    QVERIFY(m_player->pushVideoFrame(frame) == 0);
    av_frame_free(&frame);

    const QSize surface =
        m_player->videoShow()->size() * m_player->videoShow()->devicePixelRatioF();
    const SDL_Rect r = vmplayer::displayRect(0, 0, surface.width(), surface.height(), w, h, {1, 1});
    const QPoint top(r.x + r.w / 2, r.y + r.h / 4), bottom(r.x + r.w / 2, r.y + r.h * 3 / 4);
    QTRY_VERIFY_WITH_TIMEOUT(near(grabSurface().pixel(top), QColor(0, 0, 255), 14) &&
                                 near(grabSurface().pixel(bottom), QColor(255, 0, 0), 14),
                             5000);
}

void TestCQVideoShow::resizeRecentres()
{
    m_player->attachEngine();
    m_player->resize(1000, 420);
    QTest::qWait(300);
    AVFrame *frame = testframes::solidPicture(400, 400, AV_PIX_FMT_YUV420P, 81, 90, 240);
    QString why;
    const bool shown = showAndCheck(frame, QColor(255, 0, 0), &why);
    av_frame_free(&frame);
    QVERIFY2(shown, qPrintable(why));
}

void TestCQVideoShow::stillPictureNotPresentedAgain()
{
    VideoCtl *engine = VideoCtl::instance();
    m_player->attachEngine();
    AVFrame *frame = testframes::solidPicture(320, 180, AV_PIX_FMT_YUV420P, 145, 54, 34);
    QString why;
    const bool shown = showAndCheck(frame, QColor(0, 255, 0), &why);
    av_frame_free(&frame);
    QVERIFY2(shown, qPrintable(why));
    QTest::qWait(200);
    const qint64 settled = engine->presentStats().presents;
    QTest::qWait(500);
    QCOMPARE(engine->presentStats().presents, settled);
    // An explicit request is served once.
    engine->requestRefresh();
    QTRY_COMPARE(engine->presentStats().presents, settled + 1);
    QTest::qWait(300);
    QCOMPARE(engine->presentStats().presents, settled + 1);
    QVERIFY(engine->isPlaying());
}

void TestCQVideoShow::sizeReportedBeforeTheWindowWins()
{
    // A new playback has no SDL window until its first picture. A size the surface reports
    // before then is newer than what the window is found to have when it is made. (A surface of
    // its own: the engine resizes the X window to the reported size, behind Qt's back.)
    VideoCtl *engine = VideoCtl::instance();
    m_player->detachEngine();
    engine->waitDisplayLoop();
    CQVideoShow surface;
    surface.setMinimumSize(1, 1);
    surface.resize(400, 300);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    surface.setEngineOwned(true);
    engine->startPlay(surface.winId());
    const QSize reported = surface.deviceSize() - QSize(120, 60);
    engine->notifyWindowResized(surface.winId(), reported.width(), reported.height());
    AVFrame *frame = testframes::solidPicture(400, 400, AV_PIX_FMT_YUV420P, 81, 90, 240);
    QCOMPARE(engine->pushVideoFrame(frame), 0);
    av_frame_free(&frame);
    const SDL_Rect r =
        vmplayer::displayRect(0, 0, reported.width(), reported.height(), 400, 400, {1, 1});
    auto shown = [&] {
        const QImage image =
            QGuiApplication::primaryScreen()->grabWindow(surface.winId()).toImage();
        return image.size() == reported &&
               near(image.pixel(r.x + 3, r.y + 3), QColor(255, 0, 0), 14) &&
               near(image.pixel(r.x + r.w - 4, r.y + r.h - 4), QColor(255, 0, 0), 14) &&
               image.pixel(r.x - 2, r.y + r.h / 2) == qRgb(47, 47, 47);
    };
    QTRY_VERIFY_WITH_TIMEOUT(shown(), 5000);
    engine->stopPlay();
    engine->waitDisplayLoop();
}

void TestCQVideoShow::scaleChangeReportsDevicePixels()
{
    // Needs two screens of different scale (see tst_cqvideoshow_scales in CMakeLists.txt).
    QScreen *from = QGuiApplication::primaryScreen();
    QScreen *to = nullptr;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (!qFuzzyCompare(screen->devicePixelRatio(), from->devicePixelRatio()))
            to = screen;
    }
    if (!to)
        QSKIP("needs a second screen with another scale factor");
    VideoCtl *engine = VideoCtl::instance();
    m_player->detachEngine();
    engine->waitDisplayLoop();

    // A surface of fixed logical size in a window moved to a screen of twice the scale: Qt
    // sends it no resize event and leaves its X window at the old pixel count.
    QWidget window;
    window.resize(1000, 800); // holds the surface at both scales
    CQVideoShow surface(&window);
    surface.setFixedSize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    surface.setEngineOwned(true);
    engine->startPlay(surface.winId());
    auto shows = [&](const QColor &colour, const QSize &device) {
        const SDL_Rect r =
            vmplayer::displayRect(0, 0, device.width(), device.height(), 640, 360, {1, 1});
        const QImage image = from->grabWindow(surface.winId()).toImage();
        return image.size() == device && near(image.pixel(r.x + 3, r.y + 3), colour, 14) &&
               near(image.pixel(r.x + r.w - 4, r.y + r.h - 4), colour, 14) &&
               image.pixel(r.x + r.w / 2, r.y - 2) == qRgb(47, 47, 47);
    };
    AVFrame *frame = testframes::solidPicture(640, 360, AV_PIX_FMT_YUV420P, 145, 54, 34);
    QCOMPARE(engine->pushVideoFrame(frame), 0);
    av_frame_free(&frame);
    const QSize before = surface.deviceSize();
    QTRY_VERIFY_WITH_TIMEOUT(shows(QColor(0, 255, 0), before), 5000);

    window.windowHandle()->setScreen(to);
    window.move(to->geometry().topLeft() + QPoint(20, 20));
    QTRY_COMPARE(surface.devicePixelRatioF(), to->devicePixelRatio());
    frame = testframes::solidPicture(640, 360, AV_PIX_FMT_YUV420P, 81, 90, 240);
    QCOMPARE(engine->pushVideoFrame(frame), 0);
    av_frame_free(&frame);
    // Told of its new device pixels, the engine draws over all of them (and sizes the X window
    // to match); left unaware, it fills a quarter of the surface.
    const QSize expected = QSize(400, 300) * to->devicePixelRatio();
    QTRY_VERIFY_WITH_TIMEOUT(shows(QColor(255, 0, 0), expected), 5000);
    QTest::qWait(300);
    QCOMPARE(surface.deviceSize(), expected);
    QVERIFY(shows(QColor(255, 0, 0), expected));
    engine->stopPlay();
    engine->waitDisplayLoop();
}

void TestCQVideoShow::detachHandsTheWindowBack()
{
    m_player->detachEngine();
    VideoCtl::instance()->waitDisplayLoop();
    QVERIFY(!VideoCtl::instance()->isPlaying());
    QVERIFY(m_player->videoShow()->updatesEnabled());
    m_player->videoShow()->update();
    // Qt paints the placeholder background again.
    QTRY_VERIFY_WITH_TIMEOUT(near(grabSurface().pixel(5, 5), QColor(0x2f, 0x2f, 0x2f), 2), 3000);
    // And a new playback can start on the same window.
    m_player->attachEngine();
    AVFrame *frame = testframes::solidPicture(640, 360, AV_PIX_FMT_YUV420P, 145, 54, 34);
    QString why;
    const bool shown = showAndCheck(frame, QColor(0, 255, 0), &why);
    av_frame_free(&frame);
    QVERIFY2(shown, qPrintable(why));
}

QTEST_MAIN(TestCQVideoShow)
#include "tst_cqvideoshow.moc"
