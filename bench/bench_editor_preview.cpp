// The album editor's live preview with music, through the real player window and playback
// engine: after each of ten slider seeks, how far the music that is heard and the picture that
// is shown are from the player's clock and from each other. Needs an X server and SDL audio
// (run-bench uses Xvfb and SDL's disk driver, which plays in real time into a file).
//
// usage: bench_editor_preview [--seeks N] -m MUSIC.mp3 PICTURE...
#include "editorharness.h"

#include "audiodecoder.h"
#include "cqcombobox.h"
#include "cqslider.h"
#include "cqvideoplay.h"
#include "renderjob.h"
#include "videoctl.h"

#include <QDateTime>

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

} // namespace

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv, false);
    QStringList pictures;
    QString music;
    int seeks = 10;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("-m") && i + 1 < argc)
            music = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--seeks") && i + 1 < argc)
            seeks = std::max(1, atoi(argv[++i]));
        else
            pictures << arg;
    }
    if (pictures.isEmpty() || music.isEmpty()) {
        std::fprintf(stderr, "usage: %s [--seeks N] -m MUSIC.mp3 PICTURE...\n", argv[0]);
        return 2;
    }

    EditorHarness harness;
    ZodoZadar *pEditor = harness.editor;
    harness.startImport(pictures);
    if (!EditorHarness::waitFor(
            [&] { return harness.rows() == pictures.size() && harness.importDone(); }, 120000)) {
        std::fprintf(stderr, "import did not finish\n");
        return 1;
    }
    pEditor->form()->boxImageDuration->setValue(2);
    pEditor->form()->comboVideoHeight->setCurrentText(QStringLiteral("1080P"));
    RenderJob &job = RenderJob::instance();
    job.musicType = MusicCustom;
    job.musicPath = music;

    CQVideoPlay *pPlayer = pEditor->player();
    pPlayer->vp_VideoPlayOrPauseSlots();
    EditorHarness::waitFor([&] { return pEditor->audioDecoder()->durationMs > 0; }, 5000);
    EditorHarness::waitFor([] { return false; }, 2000);

    const double totalMs = pPlayer->totalDurationMs();
    const double musicLength = pEditor->audioDecoder()->durationMs;
    std::vector<double> allMusicPicture, allMusicClock, allPictureClock;
    int missing = 0;
    std::printf("seek  position  music-clock(ms) median/max  picture-clock  music-picture\n");
    for (int s = 0; s < seeks; ++s) {
        // Forwards and backwards over stills and transitions.
        const double ratio = std::fmod(0.13 + s * 0.37, 0.85);
        // As a drag does it: press, the slider moves, release.
        pPlayer->vp_cSliderPressSlots(ratio);
        EditorHarness::waitFor([] { return false; }, 150);
        pPlayer->form()->PlaySlider->setValue(int(ratio * 1000));
        pPlayer->vp_cSliderReleaseSlots(ratio);
        // The position is settled once a picture of it and its music arrive; measure after that.
        EditorHarness::waitFor([] { return false; }, 400);
        std::vector<double> musicClock, pictureClock, musicPicture;
        QElapsedTimer window;
        window.start();
        while (window.elapsed() < 1200 && pEditor->playerState == ZodoZadar::PlayerPlaying) {
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
    std::printf("music against picture over %d seeks: median %.0f ms, 95th percentile %.0f ms, "
                "max %.0f ms (%zu samples, %d without sound or picture)\n",
                seeks, percentile(allMusicPicture, 0.5), percentile(allMusicPicture, 0.95),
                percentile(allMusicPicture, 1.0), allMusicPicture.size(), missing);
    pPlayer->vp_VideoPlayOrPauseSlots();
    job.musicType = MusicNone;
    job.musicPath.clear();
    return allMusicPicture.empty() ? 1 : 0;
}
