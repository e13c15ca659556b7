// Preview renderer under load: a 1080p album with transitions and a text watermark played into
// a headless player whose clock runs in real time. Measures frames dropped as late, first-frame
// latency, seek latency and the cost of a paused preview. See bench/README.md.
//
// usage: bench_preview [--seed N] [--seconds S] [--motion] [--shown WxH] photo.jpg|clip.mp4...
//        (8 photos at 2 s: 30 s; a clip plays its whole length)
// --motion: gentle motion and a blurred fill on every picture, the costliest storytelling look.
// --shown: the player's surface in device pixels (488x262 in the program's first window); the
// preview renders at that size. Without it, at the album's 1080 lines.
#include "album.h"
#include "albumops.h"
#include "imagedecoder.h"
#include "imageviewer.h"
#include "playerinterface.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <vector>

#include <sys/resource.h>

namespace {

int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The player's clock as the player window keeps it: an elapsed counter plus a base, advanced in
// 30 ms ticks and read back through a slider of 1000 steps.
class ClockSink : public PlayerInterface
{
public:
    struct Push
    {
        int64_t pts;
        int64_t atMs;
        double clockMs; // the unquantised clock at the hand-off
    };

    explicit ClockSink(int64_t totalMs) : totalMs(totalMs) {}

    void start(int64_t baseMs)
    {
        std::lock_guard<std::mutex> lock(mutex);
        base = baseMs;
        startedAt = nowMs();
        paused = false;
    }
    void pause()
    {
        std::lock_guard<std::mutex> lock(mutex);
        base = clockLocked();
        paused = true;
    }
    void resume() { start(positionMs()); }
    double positionMs()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return clockLocked();
    }

    int pushVideoFrame(AVFrame *frame) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        pushes.push_back({frame->pts, nowMs(), clockLocked()});
        av_frame_unref(frame);
        return 0;
    }
    int pushAudioFrame(AVFrame *frame) override
    {
        av_frame_unref(frame);
        return 0;
    }
    double sliderPositionMs() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const double ticks = std::floor((clockLocked() - base) / 30.0) * 30.0 + base;
        const double slider = std::round(std::clamp(ticks / totalMs, 0.0, 1.0) * 1000.0);
        return slider / 1000.0 * totalMs;
    }
    std::vector<Push> take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Push> out;
        out.swap(pushes);
        return out;
    }

private:
    double clockLocked() const
    {
        return paused ? double(base) : double(nowMs() - startedAt + base);
    }

    const int64_t totalMs;
    std::mutex mutex;
    int64_t base = 0;
    int64_t startedAt = 0;
    bool paused = true;
    std::vector<Push> pushes;
};

void sleepMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * (v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int seed = 0;
    int seconds = 2;
    bool motion = false;
    QSize shown;
    QStringList photos;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seed") && i + 1 < args.size())
            seed = args[++i].toInt();
        else if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = args[++i].toInt();
        else if (args[i] == QLatin1String("--motion"))
            motion = true;
        else if (args[i] == QLatin1String("--shown") && i + 1 < args.size()) {
            const QStringList wh = args[++i].split(QLatin1Char('x'));
            if (wh.size() == 2)
                shown = QSize(wh[0].toInt(), wh[1].toInt());
        } else
            photos << args[i];
    }
    if (photos.size() < 2) {
        std::fprintf(stderr,
                     "usage: bench_preview [--seed N] [--seconds S] [--motion] [--shown WxH] "
                     "photo...\n");
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);

    static Album job;
    clearAlbum(job);
    setUniformDurationSeconds(job, seconds);
    job.aspectNum = 16;
    job.aspectDen = 9;
    job.height = 1080;
    job.updateWidth();
    TransitionPicker::reset(seed % kTransitionKindCount);
    for (const QString &p : photos) {
        // As an import reads it, so that a clip plays as a clip.
        const ImageDecoder::Result r = ImageDecoder::decodeFile(p, false);
        if (!r.ok) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(p), qPrintable(r.report));
            return 1;
        }
        MaterialItem item;
        item.path = p;
        item.widthToHeight = r.widthToHeight;
        item.srcSize = r.srcSize;
        item.clip = r.clip;
        appendPicture(job, item);
    }
    job.gentleMotion = motion;
    job.albumFill = motion ? Fill{FillKind::Blur, 0} : Fill{FillKind::Black, 0xff000000};
    job.watermarkType = WatermarkText;
    job.watermarkText = QStringLiteral("VelmoraAlbum preview");
    job.watermarkFont.setPixelSize(48);
    job.watermarkColor = Qt::white;
    job.watermarkPosition = RightBottom;
    const int64_t totalMs = job.totalDuration / 1000;
    const int64_t totalFrames = totalMs / 40;
    ClockSink sink(totalMs);
    QStringList kinds;
    for (const TransitionSlot &slot : job.transitions)
        kinds << QString::fromUtf8(slot.kind->transitionName);
    const QSize rendered =
        ImageViewer::previewSizeFor(job.width, job.height, job.aspectNum, job.aspectDen, shown);
    std::printf("album: %d photos, %d s each, %lld s, %lld frames at 1920x1080 (previewed at "
                "%dx%d)%s; transitions %s\n",
                int(photos.size()), seconds, static_cast<long long>(totalMs / 1000),
                static_cast<long long>(totalFrames), rendered.width(), rendered.height(),
                motion ? ", gentle motion and blurred fill" : "",
                qPrintable(kinds.join(QLatin1Char(' '))));

    QThread thread;
    thread.setObjectName(QStringLiteral("ImageViewer"));
    auto *viewer = new ImageViewer;
    viewer->setShownSize(shown);
    viewer->player = &sink;
    viewer->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, viewer, &QObject::deleteLater);
    thread.start(QThread::InheritPriority);
    bool finished = false;
    QObject::connect(viewer, &ImageViewer::sig_previewFinished, &app, [&] { finished = true; });
    auto waitFinished = [&] {
        while (!finished)
            sleepMs(20);
        finished = false;
    };

    // Run 1: the whole album, as pressing play does: request the run, start the clock.
    double cpu0 = cpuSeconds();
    int64_t t0 = nowMs();
    viewer->setAlbum(std::make_shared<const Album>(job));
    emit viewer->sig_previewVideo();
    sink.start(0);
    waitFinished();
    const double wall = (nowMs() - t0) / 1000.0;
    const double cpu = cpuSeconds() - cpu0;
    std::vector<ClockSink::Push> run = sink.take();
    std::vector<double> lag;
    for (const auto &p : run)
        lag.push_back(p.clockMs - p.pts * 40.0);
    const int64_t handed = int64_t(run.size());
    std::printf("playback: %lld of %lld frames handed, %lld dropped as late (%.2f %%)\n",
                static_cast<long long>(handed), static_cast<long long>(totalFrames),
                static_cast<long long>(totalFrames - handed),
                100.0 * (totalFrames - handed) / totalFrames);
    // Where the late frames were: the frame numbers skipped, in runs.
    QStringList gaps;
    for (size_t i = 1; i < run.size(); ++i)
        if (run[i].pts > run[i - 1].pts + 1)
            gaps << QStringLiteral("%1-%2").arg(run[i - 1].pts + 1).arg(run[i].pts - 1);
    if (!gaps.isEmpty())
        std::printf("late frames: %s\n", qPrintable(gaps.join(QLatin1Char(' '))));
    // Handed, but a whole frame or more after the clock had passed the frame's own time.
    const auto handedLate =
        std::count_if(lag.begin(), lag.end(), [](double l) { return l >= 40.0; });
    std::printf("handed late (clock a frame or more past it): %lld; late in all: %.2f %%\n",
                static_cast<long long>(handedLate),
                100.0 * (totalFrames - handed + handedLate) / totalFrames);
    std::printf("first frame: %lld ms after play\n",
                static_cast<long long>(run.empty() ? -1 : run.front().atMs - t0));
    std::printf("clock minus frame time at hand-off: median %.0f ms, p95 %.0f ms, max %.0f ms\n",
                percentile(lag, 0.5), percentile(lag, 0.95), percentile(lag, 1.0));
    std::printf("cpu: %.2f s in %.1f s (%.0f %% of one core)\n", cpu, wall, 100.0 * cpu / wall);

    // Run 2: ten seeks as the slider's release does them, then a pause.
    const int targetsMs[] = {21500, 3300, 12700, 27100, 7900, 16400, 1000, 24800, 9800, 18200};
    viewer->playPosition = 0;
    viewer->setAlbum(std::make_shared<const Album>(job));
    emit viewer->sig_previewVideo();
    sink.start(0);
    sleepMs(1500);
    std::vector<double> seekLatency;
    QStringList missed;
    QStringList each;
    for (int targetMs : targetsMs) {
        const int64_t target = std::min<int64_t>(targetMs, totalMs - 1000);
        sink.take();
        const int64_t asked = nowMs();
        sink.start(target);
        viewer->playPosition = target * 1000;
        viewer->seekRequested = true;
        sleepMs(1500);
        const int64_t frame = target / 40;
        bool shown = false;
        for (const auto &p : sink.take()) {
            if (p.pts >= frame && p.pts < frame + 25) {
                seekLatency.push_back(double(p.atMs - asked));
                each << QStringLiteral("%1:%2").arg(target / 1000.0).arg(p.atMs - asked);
                shown = true;
                break;
            }
        }
        if (!shown)
            missed << QString::number(target);
    }
    std::printf(
        "seek: shows the new position after median %.0f ms, max %.0f ms (%d seeks%s)\n",
        percentile(seekLatency, 0.5), percentile(seekLatency, 1.0), int(seekLatency.size()),
        missed.isEmpty()
            ? ""
            : qPrintable(QStringLiteral(", missed at %1").arg(missed.join(QLatin1Char(' ')))));
    std::printf("seek delays (s:ms): %s\n", qPrintable(each.join(QLatin1Char(' '))));
    viewer->paused = true;
    sink.pause();
    sleepMs(500);
    cpu0 = cpuSeconds();
    t0 = nowMs();
    sleepMs(5000);
    const double pausedCpu = cpuSeconds() - cpu0;
    const double pausedWall = (nowMs() - t0) / 1000.0;
    std::printf("paused: %.1f %% of one core\n", 100.0 * pausedCpu / pausedWall);
    viewer->requestStop();
    waitFinished();

    emit viewer->sig_close(0);
    thread.wait();
    return 0;
}
