// The album editor's live preview with music, through the real player window and playback
// engine: after each of ten slider seeks, how far the music that is heard and the picture that
// is shown are from the player's clock and from each other. Needs an X server and SDL audio
// (run-bench uses Xvfb and SDL's disk driver, which plays in real time into a file).
//
// Before the seeks it plays for --play seconds and reports the CPU time per previewed second of
// this process (all threads) and of the X server (an Xvfb of the same machine: presenting in
// software costs it as much as us).
//
// usage: bench_editor_preview [--seeks N] [--transitions] [--motion] [--play S] [--window WxH]
//                             -m MUSIC.mp3 PICTURE...
// --transitions: every seek lands in the middle of a transition (the costliest place to start);
// --motion: every picture moves (the album's gentle motion), so a transition joins two moving
// pictures. Each seek also reports the time from the release to the first picture of its place.
// --window: the main window's size (default 902x580, the program's first size on a 1920x1080
// screen).
#include "editorharness.h"
#include "previewcontroller.h"

#include "album.h"
#include "albumdocument.h"
#include "audiodecoder.h"
#include "cqcombobox.h"
#include "cqslider.h"
#include "cqvideoplay.h"
#include "cqvideoshow.h"
#include "videoctl.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * (v.size() - 1) + 0.5))];
}

// Music time as album time: the music loops, so take the repetition nearest the clock.
double musicOnAlbum(double musicMs, double lengthMs, double clockMs)
{
    if (lengthMs <= 0)
        return musicMs;
    const double k = std::round((clockMs - musicMs) / lengthMs);
    return musicMs + k * lengthMs;
}

// CPU seconds (user + system) this process has used, all threads.
double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of every running Xvfb (the bench's own, under xvfb-run); -1 when there is none.
double xServerCpuSeconds()
{
    double total = -1;
    const long ticks = sysconf(_SC_CLK_TCK);
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (!pid.front().isDigit() || !comm.open(QIODevice::ReadOnly) ||
            comm.readAll().trimmed() != "Xvfb")
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // Fields after the command's closing parenthesis: utime and stime are the 12th and 13th.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            total = std::max(0.0, total) +
                    (fields[11].toLongLong() + fields[12].toLongLong()) / double(ticks);
    }
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv, false);
    QStringList pictures;
    QString music;
    int seeks = 10;
    bool intoTransitions = false;
    bool motion = false;
    int playSeconds = 10;
    QSize window(902, 580);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("-m") && i + 1 < argc)
            music = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--seeks") && i + 1 < argc)
            seeks = std::max(1, atoi(argv[++i]));
        else if (arg == QLatin1String("--motion"))
            motion = true;
        else if (arg == QLatin1String("--transitions"))
            intoTransitions = true;
        else if (arg == QLatin1String("--play") && i + 1 < argc)
            playSeconds = std::max(0, atoi(argv[++i]));
        else if (arg == QLatin1String("--window") && i + 1 < argc) {
            const QStringList wh = QString::fromLocal8Bit(argv[++i]).split(QLatin1Char('x'));
            if (wh.size() == 2)
                window = QSize(wh[0].toInt(), wh[1].toInt());
        } else
            pictures << arg;
    }
    if (pictures.isEmpty() || music.isEmpty()) {
        std::fprintf(stderr,
                     "usage: %s [--seeks N] [--transitions] [--play S] [--window WxH] "
                     "-m MUSIC.mp3 PICTURE...\n",
                     argv[0]);
        return 2;
    }

    EditorHarness harness;
    harness.resizeWindow(window);
    ZodoZadar *pEditor = harness.editor;
    harness.startImport(pictures);
    if (!EditorHarness::waitFor(
            [&] { return harness.rows() == pictures.size() && harness.importDone(); }, 120000)) {
        std::fprintf(stderr, "import did not finish\n");
        return 1;
    }
    pEditor->form()->boxImageDuration->setValue(2);
    pEditor->form()->comboVideoHeight->setCurrentText(QStringLiteral("1080P"));
    Album &job = pEditor->document()->edit();
    job.musicType = MusicCustom;
    job.musicPath = music;
    job.gentleMotion = motion;

    CQVideoPlay *pPlayer = pEditor->player();
    pPlayer->vp_VideoPlayOrPauseSlots();
    EditorHarness::waitFor([&] { return pEditor->audioDecoder()->durationMs > 0; }, 5000);
    EditorHarness::waitFor([] { return false; }, 2000);

    const double totalMs = pPlayer->totalDurationMs();
    const double musicLength = pEditor->audioDecoder()->durationMs;
    if (playSeconds > 0) {
        const double cpu0 = processCpuSeconds(), x0 = xServerCpuSeconds();
        const double clock0 = pPlayer->clockMs();
        EditorHarness::waitFor([] { return false; }, playSeconds * 1000);
        const double previewed = (pPlayer->clockMs() - clock0) / 1000;
        const QSize surface = pPlayer->form()->ShowWid->deviceSize();
        const double cpu = processCpuSeconds() - cpu0, x = xServerCpuSeconds() - x0;
        std::printf("window %dx%d, picture surface %dx%d: per previewed second %.3f s of CPU "
                    "here, %.3f s in the X server (%.1f s previewed)\n",
                    window.width(), window.height(), surface.width(), surface.height(),
                    cpu / previewed, x0 >= 0 ? x / previewed : NAN, previewed);
    }
    // The middle of each transition, as a share of the album.
    std::vector<double> transitionMiddles;
    {
        int64_t frame = 0;
        for (int i = 0; i + 1 < job.materialOrder.size(); ++i) {
            frame += job.pictureFrameCount(i, {25, 1});
            const int64_t slot = job.slotFrameCount(i, {25, 1});
            if (slot > 0)
                transitionMiddles.push_back((frame + slot / 2) * 40.0 / totalMs);
            frame += slot;
        }
    }
    std::vector<double> allMusicPicture, allMusicClock, allPictureClock, releaseToPicture;
    int missing = 0;
    std::printf("seek  position  music-clock(ms) median/max  picture-clock  music-picture\n");
    for (int s = 0; s < seeks; ++s) {
        // Forwards and backwards over stills and transitions.
        const double ratio = intoTransitions && !transitionMiddles.empty()
                                 ? transitionMiddles[(s * 3) % transitionMiddles.size()]
                                 : std::fmod(0.13 + s * 0.37, 0.85);
        // As a drag does it: press, the slider moves, release.
        pPlayer->vp_cSliderPressSlots(ratio);
        EditorHarness::waitFor([] { return false; }, 150);
        pPlayer->form()->PlaySlider->setValue(int(ratio * 1000));
        const qint64 releasedAt = QDateTime::currentMSecsSinceEpoch();
        pPlayer->vp_cSliderReleaseSlots(ratio);
        // The first picture at or past the place, shown after the release.
        const double targetMs = ratio * totalMs;
        qint64 landedAt = -1;
        EditorHarness::waitFor(
            [&] {
                int64_t pts = -1;
                qint64 atMs = 0;
                pPlayer->lastPicture(pts, atMs);
                if (pts >= 0 && atMs >= releasedAt && pts * 40.0 >= targetMs - 80)
                    landedAt = atMs;
                return landedAt >= 0;
            },
            3000);
        if (landedAt >= 0)
            releaseToPicture.push_back(double(landedAt - releasedAt));
        // The position is settled once a picture of it and its music arrive; measure after that.
        EditorHarness::waitFor(
            [] { return false; },
            std::max<qint64>(0, releasedAt + 400 - QDateTime::currentMSecsSinceEpoch()));
        std::vector<double> musicClock, pictureClock, musicPicture;
        QElapsedTimer window;
        window.start();
        while (window.elapsed() < 1200 &&
               pEditor->preview()->state() == PreviewController::Playing) {
            EditorHarness::waitFor([] { return false; }, 30);
            const double clock = pPlayer->clockMs();
            const double heard =
                VideoCtl::instance() ? VideoCtl::instance()->audioPositionMs() : NAN;
            int64_t pts = -1;
            qint64 atMs = 0;
            pPlayer->lastPicture(pts, atMs);
            if (std::isnan(heard) || pts < 0) {
                ++missing;
                continue;
            }
            // The picture on screen stays until the next: its time plus what passed since.
            const double picture =
                pts * 40.0 + std::min<qint64>(40, QDateTime::currentMSecsSinceEpoch() - atMs);
            const double musicMs = musicOnAlbum(heard, musicLength, clock);
            musicClock.push_back(musicMs - clock);
            pictureClock.push_back(picture - clock);
            musicPicture.push_back(std::fabs(musicMs - picture));
        }
        auto absMax = [](const std::vector<double> &v) {
            double m = 0;
            for (double x : v)
                m = std::max(m, std::fabs(x));
            return m;
        };
        std::printf("%4d  %6.0f ms  %+6.0f / %5.0f      %+6.0f / %4.0f   %5.0f / %4.0f\n", s + 1,
                    ratio * totalMs, percentile(musicClock, 0.5), absMax(musicClock),
                    percentile(pictureClock, 0.5), absMax(pictureClock),
                    percentile(musicPicture, 0.5), absMax(musicPicture));
        allMusicClock.insert(allMusicClock.end(), musicClock.begin(), musicClock.end());
        allPictureClock.insert(allPictureClock.end(), pictureClock.begin(), pictureClock.end());
        allMusicPicture.insert(allMusicPicture.end(), musicPicture.begin(), musicPicture.end());
    }
    std::vector<double> pictureClockAbs;
    for (double d : allPictureClock)
        pictureClockAbs.push_back(std::fabs(d));
    std::printf("picture against clock over %d seeks: median %.0f ms, 95th percentile %.0f ms, "
                "max %.0f ms\n",
                seeks, percentile(pictureClockAbs, 0.5), percentile(pictureClockAbs, 0.95),
                percentile(pictureClockAbs, 1.0));
    std::printf("release to picture over %d seeks: median %.0f ms, 90th percentile %.0f ms, "
                "max %.0f ms (%zu landed)\n",
                seeks, percentile(releaseToPicture, 0.5), percentile(releaseToPicture, 0.9),
                percentile(releaseToPicture, 1.0), releaseToPicture.size());
    std::printf("music against picture over %d seeks: median %.0f ms, 95th percentile %.0f ms, "
                "max %.0f ms (%zu samples, %d without sound or picture)\n",
                seeks, percentile(allMusicPicture, 0.5), percentile(allMusicPicture, 0.95),
                percentile(allMusicPicture, 1.0), allMusicPicture.size(), missing);
    pPlayer->vp_VideoPlayOrPauseSlots();
    job.musicType = MusicNone;
    job.musicPath.clear();
    return allMusicPicture.empty() ? 1 : 0;
}
