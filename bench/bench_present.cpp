// Cost of presenting pictures through the playback engine: upload, draw and present of each new
// 1920x1080 YUV420P picture. Needs an X server, e.g.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bin/bench_present [--frames N] [--window WxH]
// The renderer waits for vertical sync (SDL paces presents at the display's 60 Hz when the driver
// cannot); SDL_RENDER_VSYNC=0 in the environment measures without that wait.
// With --player SECONDS it instead shows the player window with a test picture for that long.
// With --scenes SECONDS it shows a 1920x1080 player window and measures the whole process's CPU
// time over SECONDS of each scene: a still cover, moving playback at 25 pictures per second, and
// that playback paused (the figure `pidstat` would give, as a share of one core).
#include "cqvideoplay.h"
#include "cqvideoshow.h"
#include "videoctl.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/time.h>
}

#include <QApplication>
#include <QEventLoop>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <atomic>
#include <thread>

namespace {

// A moving diagonal gradient with colour bars, so every picture differs and looks like video.
AVFrame *testPicture(int width, int height, int index)
{
    AVFrame *frame = av_frame_alloc();
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->sample_aspect_ratio = AVRational{1, 1};
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    for (int y = 0; y < height; y++) {
        uint8_t *row = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < width; x++)
            row[x] = uint8_t(16 + ((x + y + index * 8) % 440) / 2);
    }
    static const uint8_t bars[][2] = {{128, 128}, {44, 142},  {156, 44}, {72, 58},
                                      {184, 198}, {100, 212}, {212, 114}};
    for (int y = 0; y < (height + 1) / 2; y++) {
        for (int x = 0; x < (width + 1) / 2; x++) {
            const int bar = x * 7 / ((width + 1) / 2);
            frame->data[1][y * frame->linesize[1] + x] = bars[bar][0];
            frame->data[2][y * frame->linesize[2] + x] = bars[bar][1];
        }
    }
    frame->pts = index;
    return frame;
}

int showPlayer(int seconds)
{
    CQVideoPlay player;
    player.connectControls();
    player.resize(800, 500);
    player.setTotalDurationMs(65000);
    player.show();
    player.showPauseIcon();
    QTimer::singleShot(qEnvironmentVariableIntValue("VM_ATTACH_DELAY_MS") > 0
                           ? qEnvironmentVariableIntValue("VM_ATTACH_DELAY_MS")
                           : 300,
                       &player, [&player] {
                           player.attachEngine();
                           player.startClock();
                           std::thread([&player] {
                               for (int i = 0; i < 3; i++) {
                                   AVFrame *frame = testPicture(1280, 720, i * 20);
                                   player.pushVideoFrame(frame);
                                   av_frame_free(&frame);
                               }
                           }).detach();
                       });
    QTimer::singleShot(seconds * 1000, &player, [&player] {
        player.detachEngine();
        QApplication::quit();
    });
    const int ret = QApplication::exec();
    VideoCtl::instance()->waitDisplayLoop();
    return ret;
}

// User plus system CPU time of the whole process, in milliseconds.
double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Runs the event loop for `seconds` and prints the process's CPU share and what was shown.
void measureScene(QTextStream &out, const char *szScene, int seconds)
{
    VideoCtl *engine = VideoCtl::instance();
    const VideoCtl::PresentStats before = engine->presentStats();
    const double cpuStart = processCpuMs();
    const int64_t start = av_gettime_relative();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double wallMs = double(av_gettime_relative() - start) / 1000.0;
    const double cpuMs = processCpuMs() - cpuStart;
    const VideoCtl::PresentStats after = engine->presentStats();
    out << QStringLiteral("%1: %2 % of one core over %3 s; %4 new pictures/s, %5 presents/s\n")
               .arg(QLatin1String(szScene))
               .arg(100.0 * cpuMs / wallMs, 0, 'f', 2)
               .arg(wallMs / 1000.0, 0, 'f', 1)
               .arg(double(after.pictures - before.pictures) * 1000.0 / wallMs, 0, 'f', 1)
               .arg(double(after.presents - before.presents) * 1000.0 / wallMs, 0, 'f', 1);
    out.flush();
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int showScenes(int seconds)
{
    QTextStream out(stdout);
    VideoCtl *engine = VideoCtl::instance();
    CQVideoPlay player;
    player.connectControls();
    player.setTotalDurationMs(3600 * 1000);
    player.resize(1920, 1080);
    player.show();
    settle(300);
    player.attachEngine();
    const QSize surface = player.videoShow()->deviceSize();
    out << "player window 1920x1080, video surface " << surface.width() << "x" << surface.height()
        << "\n";

    // The cover: one picture, then nothing new.
    AVFrame *cover = testPicture(1920, 1080, 0);
    player.pushVideoFrame(cover);
    av_frame_free(&cover);
    settle(1000);
    measureScene(out, "still cover   ", seconds);

    // Moving playback: a picture every 40 ms, as the preview renderer's feeder hands them over.
    QVector<AVFrame *> pictures;
    for (int i = 0; i < 8; i++)
        pictures << testPicture(1920, 1080, i);
    std::atomic<bool> moving{true};
    std::thread feeder([&] {
        AVFrame *frame = av_frame_alloc();
        for (int i = 0; moving; i++) {
            av_frame_ref(frame, pictures[i % pictures.size()]);
            player.pushVideoFrame(frame);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        av_frame_free(&frame);
    });
    player.showPauseIcon();
    player.startClock();
    settle(500);
    measureScene(out, "moving (25/s) ", seconds);

    // Paused: the feeder stops, the clock is paused (its timer keeps ticking).
    moving = false;
    feeder.join();
    player.pauseClock();
    player.showPlayIcon();
    settle(1000);
    measureScene(out, "paused        ", seconds);

    player.stopClock();
    player.detachEngine();
    engine->waitDisplayLoop();
    for (AVFrame *f : pictures)
        av_frame_free(&f);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    VideoCtl *engine = VideoCtl::instance();
    if (!engine) {
        out << "SDL could not start (no X server?)\n";
        return 1;
    }
    int frames = 250;
    QSize window(1920, 1080);
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i++) {
        if (args.at(i) == QLatin1String("--frames"))
            frames = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--window"))
            window = QSize(args.at(i + 1).section(QLatin1Char('x'), 0, 0).toInt(),
                           args.at(i + 1).section(QLatin1Char('x'), 1, 1).toInt());
        else if (args.at(i) == QLatin1String("--player"))
            return showPlayer(args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--scenes"))
            return showScenes(args.at(i + 1).toInt());
    }

    CQVideoShow surface;
    surface.setMinimumSize(1, 1);
    surface.resize(window);
    surface.show();
    QApplication::processEvents();
    QThread::msleep(200);
    QApplication::processEvents();
    surface.setEngineOwned(true);
    engine->startPlay(surface.winId());

    // Pictures are made beforehand so that the producer only pushes.
    QVector<AVFrame *> pictures;
    for (int i = 0; i < 8; i++)
        pictures << testPicture(1920, 1080, i);
    engine->resetPresentStats();
    const int64_t start = av_gettime_relative();
    std::thread producer([&] {
        AVFrame *frame = av_frame_alloc();
        for (int i = 0; i < frames; i++) {
            av_frame_ref(frame, pictures[i % pictures.size()]);
            engine->pushVideoFrame(frame);
            av_frame_unref(frame);
        }
        av_frame_free(&frame);
    });
    producer.join();
    // The last pictures are still queued: wait until they are shown.
    while (engine->presentStats().pictures < frames &&
           av_gettime_relative() - start < 60 * 1000000LL)
        QThread::msleep(5);
    const double seconds = double(av_gettime_relative() - start) / 1e6;
    const VideoCtl::PresentStats stats = engine->presentStats();
    engine->stopPlay();
    engine->waitDisplayLoop();
    for (AVFrame *f : pictures)
        av_frame_free(&f);

    out << "1920x1080 YUV420P into a " << window.width() << "x" << window.height()
        << " window: " << stats.pictures << " pictures\n";
    out << QStringLiteral("present (upload + draw + present): mean %1 ms, max %2 ms\n")
               .arg(stats.pictures ? stats.totalMs / double(stats.pictures) : 0.0, 0, 'f', 2)
               .arg(stats.maxMs, 0, 'f', 2);
    out << QStringLiteral("display thread CPU per picture: mean %1 ms\n")
               .arg(stats.pictures ? stats.cpuMs / double(stats.pictures) : 0.0, 0, 'f', 2);
    out << QStringLiteral("throughput: %1 pictures per second\n")
               .arg(double(stats.pictures) / seconds, 0, 'f', 1);
    return stats.pictures == frames ? 0 : 1;
}
