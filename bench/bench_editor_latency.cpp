// The album editor's answer to a seek and to an edit while its preview plays with music, through
// the real main window, player and playback engine. Needs an X server and SDL audio (run it under
// Xvfb with SDL's disk driver, as run-bench does for bench_editor_preview).
//
// Seek: a slider press, move and release as a drag makes them; timed from the release until the
// player hands the playback engine the first picture of the new position.
// Edit: a change of the text watermark as the user makes it (the text typed, then editing
// finished), or with --edit position a click on another watermark position. Timed: the
// user-interface thread inside that one call, until the preview has stopped (clock stopped, play
// icon back), until the cover is handed over, the longest stall of the user-interface thread
// meanwhile; then play is pressed again and timed until the first picture of the new run.
//
// The editor is driven only through its form, its player and the bench harness, so that the same
// source builds against older editors too and their figures compare.
//
// usage: bench_editor_latency [--seeks N] [--edits N] [--edit text|position] [--window WxH]
//                             -m MUSIC.mp3 PICTURE...
#include "editorharness.h"

#include "cqcombobox.h"
#include "cqslider.h"
#include "cqvideoplay.h"
#include "videoctl.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The preview's pictures are numbered at 25 per second.
constexpr double kFrameMs = 40.0;

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double maximum(const std::vector<double> &v)
{
    return v.empty() ? NAN : *std::max_element(v.begin(), v.end());
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The picture the player handed to the playback engine last and when (wall-clock ms).
struct HandedPicture
{
    int64_t pts = -1;
    qint64 atMs = 0;
};

HandedPicture lastHanded(const CQVideoPlay *pPlayer)
{
    HandedPicture picture;
    pPlayer->lastPicture(picture.pts, picture.atMs);
    return picture;
}

// Runs the event loop until bDone() holds or iTimeoutMs passes. Polls every 2 ms, finer than the
// harness's 5 ms: the answers measured here are tens of ms.
bool pollUntil(const std::function<bool()> &bDone, int iTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (bDone() || clock.elapsed() > iTimeoutMs)
            loop.quit();
    });
    if (bDone())
        return true;
    poll.start(2);
    loop.exec();
    return bDone();
}

void pause(int iMs)
{
    pollUntil([] { return false; }, iMs);
}

bool previewRunning(const CQVideoPlay *pPlayer)
{
    return pPlayer->isPlaying() && pPlayer->clockRunning() && !pPlayer->clockPaused();
}

// Stopped as the editor stops a preview at its end: clock gone, play offered again.
bool previewStopped(const CQVideoPlay *pPlayer)
{
    return !pPlayer->isPlaying() && !pPlayer->clockRunning();
}

void printSeries(const char *szWhat, const std::vector<double> &v, int iMissing)
{
    std::printf("%-34s median %7.1f ms  max %7.1f ms  (%zu", szWhat, median(v), maximum(v),
                v.size());
    if (iMissing > 0)
        std::printf(", %d timed out", iMissing);
    std::printf(")\n");
}

void printSamples(const char *szWhat, const std::vector<double> &v)
{
    std::printf("  %s:", szWhat);
    for (double x : v)
        std::printf(" %.0f", x);
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv, false);
    QStringList pictures;
    QString music;
    int seeks = 10;
    int edits = 10;
    bool editPosition = false;
    QSize window(902, 580);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("-m") && i + 1 < argc)
            music = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--seeks") && i + 1 < argc)
            seeks = std::max(0, atoi(argv[++i]));
        else if (arg == QLatin1String("--edits") && i + 1 < argc)
            edits = std::max(0, atoi(argv[++i]));
        else if (arg == QLatin1String("--edit") && i + 1 < argc)
            editPosition = QLatin1String(argv[++i]) == QLatin1String("position");
        else if (arg == QLatin1String("--window") && i + 1 < argc) {
            const QStringList wh = QString::fromLocal8Bit(argv[++i]).split(QLatin1Char('x'));
            if (wh.size() == 2)
                window = QSize(wh[0].toInt(), wh[1].toInt());
        } else
            pictures << arg;
    }
    if (pictures.isEmpty() || music.isEmpty()) {
        std::fprintf(stderr,
                     "usage: %s [--seeks N] [--edits N] [--edit text|position] [--window WxH] "
                     "-m MUSIC.mp3 PICTURE...\n",
                     argv[0]);
        return 2;
    }

    EditorHarness harness;
    harness.resizeWindow(window);
    ZodoZadar *pEditor = harness.editor;
    auto *pForm = pEditor->form();
    harness.startImport(pictures);
    if (!EditorHarness::waitFor(
            [&] { return harness.rows() == pictures.size() && harness.importDone(); }, 120000)) {
        std::fprintf(stderr, "import did not finish\n");
        return 1;
    }
    pForm->boxImageDuration->setValue(2);
    pForm->comboVideoHeight->setCurrentText(QStringLiteral("1080P"));
    // The music as the user adds it: "custom music", then the file from the chooser.
    FileChooser::setOpenFilesOverride([music](const QString &, const QString &, const QString &,
                                              bool) { return QStringList{music}; });
    pForm->ratioCustomMusic->setChecked(true);
    // A text watermark from the start, so that each edit changes what is drawn.
    pForm->radioTextWatermark->setChecked(true);
    pause(200);
    pForm->editWatermarkText->setText(QStringLiteral("Latency 0"));
    emit pForm->editWatermarkText->editingFinished();
    pause(500);

    CQVideoPlay *pPlayer = pEditor->player();
    pPlayer->vp_VideoPlayOrPauseSlots();
    if (!pollUntil([&] { return previewRunning(pPlayer) && lastHanded(pPlayer).pts > 0; }, 10000)) {
        std::fprintf(stderr, "the preview did not start\n");
        return 1;
    }
    // Music decoding and the first transitions settle first.
    pause(2000);
    // Without music heard the figures would be of a lighter preview than the user's.
    auto heardMs = [] {
        VideoCtl *pEngine = VideoCtl::instance();
        return pEngine ? pEngine->audioPositionMs() : NAN;
    };
    // The music loops: any move of its time counts.
    const double heard0 = heardMs();
    pause(300);
    const double heard1 = heardMs();
    if (!std::isfinite(heard1) || heard1 == heard0) {
        std::fprintf(stderr, "no music is heard\n");
        return 1;
    }
    const double totalMs = pPlayer->totalDurationMs();
    std::printf("%d pictures, %.1f s album, window %dx%d, %s edits\n", int(pictures.size()),
                totalMs / 1000, window.width(), window.height(),
                editPosition ? "watermark position" : "watermark text");

    // Seeks, forwards and backwards over the album, each at least a third of it away.
    std::vector<double> seekPicture, seekRelease;
    int seekMissing = 0;
    for (int s = 0; s < seeks; ++s) {
        if (!previewRunning(pPlayer)) {
            std::fprintf(stderr, "the preview stopped before seek %d\n", s);
            return 1;
        }
        const double ratio = std::fmod(0.13 + s * 0.37, 0.85);
        const double targetMs = ratio * totalMs;
        pPlayer->vp_cSliderPressSlots(ratio);
        pause(150);
        pPlayer->form()->PlaySlider->setValue(int(ratio * 1000));
        const qint64 releasedAt = nowMs();
        QElapsedTimer call;
        call.start();
        pPlayer->vp_cSliderReleaseSlots(ratio);
        seekRelease.push_back(call.nsecsElapsed() / 1e6);
        HandedPicture landed;
        const bool found = pollUntil(
            [&] {
                landed = lastHanded(pPlayer);
                const double ms = landed.pts * kFrameMs;
                return landed.atMs >= releasedAt && ms >= targetMs - 200 && ms <= targetMs + 3000;
            },
            5000);
        if (found)
            seekPicture.push_back(double(landed.atMs - releasedAt));
        else
            ++seekMissing;
        pause(800);
    }

    // Edits while the preview plays, each followed by play.
    std::vector<double> editCall, editStopped, editCover, editStall, playCall, replayPicture;
    int stopMissing = 0, coverMissing = 0, replayMissing = 0;
    StallProbe probe;
    int position = 0;
    for (int e = 0; e < edits; ++e) {
        // Played for a while, so that a run is well under way with its music.
        pause(1500);
        if (!previewRunning(pPlayer)) {
            std::fprintf(stderr, "the preview is not playing before edit %d\n", e);
            return 1;
        }
        if (!editPosition)
            pForm->editWatermarkText->setText(QStringLiteral("Latency %1").arg(e + 1));
        probe.start();
        const qint64 editedAt = nowMs();
        QElapsedTimer clock;
        clock.start();
        if (editPosition) {
            // The nine positions in turn, never the one checked now.
            position = (position + 1) % 9;
            pForm->positionBox(position)->setChecked(true);
        } else {
            // What was typed is in the field already; Enter (or leaving it) finishes the edit.
            emit pForm->editWatermarkText->editingFinished();
        }
        editCall.push_back(clock.nsecsElapsed() / 1e6);
        if (pollUntil([&] { return previewStopped(pPlayer); }, 5000))
            editStopped.push_back(clock.nsecsElapsed() / 1e6);
        else
            ++stopMissing;
        // The cover is the album's first picture, handed over as picture 0.
        HandedPicture cover;
        if (pollUntil(
                [&] {
                    cover = lastHanded(pPlayer);
                    return cover.atMs >= editedAt && cover.pts == 0;
                },
                5000))
            editCover.push_back(double(cover.atMs - editedAt));
        else
            ++coverMissing;
        // Covers asked for meanwhile come before the next run: let them all arrive, so that the
        // next run's first picture (also picture 0) is not taken for one.
        pollUntil([&] { return nowMs() - lastHanded(pPlayer).atMs >= 500; }, 5000);
        probe.stop();
        editStall.push_back(probe.worstMs());

        const qint64 playedAt = nowMs();
        clock.restart();
        pPlayer->vp_VideoPlayOrPauseSlots();
        playCall.push_back(clock.nsecsElapsed() / 1e6);
        HandedPicture first;
        if (pollUntil(
                [&] {
                    first = lastHanded(pPlayer);
                    return first.atMs >= playedAt && first.pts >= 0 && first.pts * kFrameMs < 2000;
                },
                5000))
            replayPicture.push_back(double(first.atMs - playedAt));
        else
            ++replayMissing;
        if (!pollUntil([&] { return previewRunning(pPlayer); }, 2000)) {
            std::fprintf(stderr, "play after edit %d did not start the preview\n", e);
            return 1;
        }
    }

    printSeries("seek: release to picture", seekPicture, seekMissing);
    printSeries("seek: release call", seekRelease, 0);
    printSeries("edit: call (UI thread blocked)", editCall, 0);
    printSeries("edit: to preview stopped", editStopped, stopMissing);
    printSeries("edit: to cover handed over", editCover, coverMissing);
    printSeries("edit: longest UI stall to cover", editStall, 0);
    printSeries("replay: play call", playCall, 0);
    printSeries("replay: play to first picture", replayPicture, replayMissing);
    printSamples("seek to picture", seekPicture);
    printSamples("edit to stopped", editStopped);
    printSamples("edit to cover", editCover);
    printSamples("play to picture", replayPicture);

    pPlayer->vp_VideoPlayOrPauseSlots();
    FileChooser::setOpenFilesOverride(nullptr);
    const bool complete = seekMissing + stopMissing + coverMissing + replayMissing == 0;
    return complete ? 0 : 1;
}
