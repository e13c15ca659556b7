// SPDX-License-Identifier: GPL-3.0-or-later
// vmalbum-export: the headless exporter over the rendering engine.
#include "exportoptions.h"

#include "album.h"
#include "albumfile.h"
#include "albumops.h"
#include "autofilm.h"
#include "averror.h"
#include "beatcut.h"
#include "facedetect.h"
#include "imagedecoder.h"
#include "mediaencoder.h"
#include "picturefacts.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPair>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <unistd.h>
#include <utility>

namespace {

// Every way of stopping the exporter (Ctrl-C however often, SIGTERM, a closed terminal's SIGHUP)
// only asks: the work in hand ends at its next step, and an export ends through the engine's
// own interruption path, which removes its temporary file and leaves the target alone. Dying
// by the default action instead would leave the temporary file behind.
std::atomic<int> g_stopSignal{0}; // the first stop signal taken, 0 while none came
std::atomic<MediaEncoder *> g_encoder{nullptr};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flags are set from a signal");
static_assert(std::atomic<MediaEncoder *>::is_always_lock_free, "read from a signal handler");

extern "C" void onStopSignal(int signo)
{
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signo);
    if (MediaEncoder *enc = g_encoder.load())
        enc->running.store(false);
}

void installStopHandlers()
{
    struct sigaction sa = {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signo : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signo, &sa, nullptr);
    // A reader that went away (a closed pipe) makes writes fail, not the process die mid-export.
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested()
{
    return g_stopSignal.load() != 0;
}

void printErr(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
}

// A stop the user asked for is no failure: it is said so, with the engine's own words for an
// interruption, and the exit status tells the signal as a shell would.
int cancelled(const QString &szWhat)
{
    printErr(
        QStringLiteral("vmalbum-export: %1 cancelled: %2")
            .arg(szWhat, avErrorReport(MediaEncoder::tr("Operation interrupted"), AVERROR(EINTR))));
    return ExitSignalBase + g_stopSignal.load();
}
void printOut(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
}

QString clock(qint64 ms)
{
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void drawProgress(int64_t done, int64_t total, qint64 elapsedMs)
{
    const int width = 30;
    const double frac = total > 0 ? std::min(1.0, double(done) / double(total)) : 0.0;
    const int filled = int(frac * width);
    QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
    QString eta = QStringLiteral("--:--");
    if (done > 0 && total > done)
        eta = clock(qint64(double(elapsedMs) * double(total - done) / double(done)));
    else if (done >= total && total > 0)
        eta = clock(0);
    std::fprintf(stderr, "\r[%s] %3d%%  frames %lld/%lld  elapsed %s  ETA %s ", qPrintable(bar),
                 int(frac * 100), static_cast<long long>(done), static_cast<long long>(total),
                 qPrintable(clock(elapsedMs)), qPrintable(eta));
    std::fflush(stderr);
}

int runCheck(const ExportOptions &o)
{
    bool allOk = true;
    for (const QString &picture : o.pictures) {
        if (stopRequested())
            return cancelled(QStringLiteral("check"));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(picture, false);
        if (r.ok) {
            // One step: a later arg() would rewrite any %1 or %03d in the name.
            const auto n = [](int v) { return QString::number(v); };
            printOut(QStringLiteral("OK\t%1\t%2x%3\t%4/%5\t%6x%7")
                         .arg(picture, n(r.srcSize.width()), n(r.srcSize.height()),
                              n(r.widthToHeight.num), n(r.widthToHeight.den),
                              n(r.thumbnail.width()), n(r.thumbnail.height())));
        } else {
            allOk = false;
            printOut(QStringLiteral("REFUSED\t%1\t%2").arg(picture, r.report));
        }
    }
    return allOk ? ExitWritten : ExitNoPicture;
}

// Finds the beat of each track (a track analysed before comes from the user's cache) and puts
// every change of picture on it, after every other setting, the fit included. bLenient (the
// one-step film): music the cut cannot follow leaves the album's own timing, with a note.
int cutToBeat(Album &job, bool bFit, bool bLenient)
{
    QList<BeatGrid> grids;
    QList<int64_t> lengths;
    for (const QString &track : job.musicTracks()) {
        const BeatResult found = BeatAnalysis::analyse(track);
        if (found.error != BeatError::None) {
            printErr(QStringLiteral("vmalbum-export: cannot find the beat of \"%1\": %2")
                         .arg(track, found.reason));
            return ExitUsage;
        }
        const int64_t length = decodedMusicLength(track);
        if (length <= 0) {
            printErr(QStringLiteral("vmalbum-export: cannot read the music file \"%1\": %2")
                         .arg(track, avErrorText(int(length))));
            return ExitUsage;
        }
        grids << found.grid;
        lengths << length;
    }
    // Beats enough for the album even where every picture waits for a later one.
    const int64_t untilUs = 2 * job.pictureStart(job.materialOrder.size()) + 120000000;
    const BeatCutResult cut = applyBeatCut(job, heardBeats(job, grids, lengths, untilUs), bFit);
    if (!cut.ok && bLenient) {
        printErr(QStringLiteral("vmalbum-export: note: not cut to the beat: %1").arg(cut.error));
        job.beatCut = BeatCut::Off;
        job.beatFit = false;
        return ExitWritten;
    }
    if (!cut.ok) {
        printErr(QStringLiteral("vmalbum-export: cannot cut to the beat: %1").arg(cut.error));
        return ExitUsage;
    }
    return ExitWritten;
}

// Builds the album as the album editor and the export dialog would.
int buildAlbum(const ExportOptions &o, Album &job)
{
    if (o.seed >= 0)
        TransitionPicker::reset(o.seed);
    setUniformDurationSeconds(job, o.durationSeconds);
    job.height = o.height;
    job.aspectNum = o.aspectNum;
    job.aspectDen = o.aspectDen;

    // The watermark picture is a usage question: answered before the pictures take their time.
    if (o.watermarkText.isEmpty() && !o.watermarkImage.isEmpty()) {
        const QString path = QFileInfo(o.watermarkImage).absoluteFilePath();
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, true);
        // A film is an item of the album, never a watermark.
        const QString report =
            r.ok && r.clip.duration > 0
                ? QCoreApplication::translate("ImageDecoder", "a video clip, not a picture")
                : r.report;
        if (!r.ok || r.clip.duration > 0) {
            printErr(QStringLiteral("vmalbum-export: watermark picture %1 refused: %2")
                         .arg(o.watermarkImage, report));
            return ExitUsage;
        }
        job.watermarkType = WatermarkPicture;
        job.watermarkImagePath = path;
    }

    // An album's transitions are replayed: each slot takes the kind stored with the picture
    // appended before it, so a picture left out takes its own transition with it.
    const TransitionKind *joining = nullptr;
    // Each notice (an animated picture's first frame, say) is said once, with its files.
    QList<QPair<QString, QStringList>> notices;
    for (int i = 0; i < o.pictures.size(); ++i) {
        const QString &picture = o.pictures.at(i);
        if (stopRequested())
            return ExitSignalBase; // runExport reports the stop
        const QString path = QFileInfo(picture).absoluteFilePath();
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        if (!r.ok) {
            printErr(QStringLiteral("vmalbum-export: skipping %1: %2").arg(picture, r.report));
            continue;
        }
        if (o.autoRatio && job.materialOrder.isEmpty()) {
            job.aspectNum = r.widthToHeight.num;
            job.aspectDen = r.widthToHeight.den;
        }
        if (!r.notice.isEmpty()) {
            auto known = std::find_if(notices.begin(), notices.end(),
                                      [&](const auto &n) { return n.first == r.notice; });
            if (known == notices.end())
                notices.append({r.notice, {picture}});
            else
                known->second << picture;
        }
        MaterialItem item;
        item.path = path;
        item.widthToHeight = r.widthToHeight;
        item.srcSize = r.srcSize;
        item.facts = readPictureFacts(path);
        item.clip = r.clip;
        // Faces are looked for only where the look will use them: it takes a decode.
        if (r.clip.duration <= 0 && (o.keepFaces || o.fill.kind == FillKind::Crop ||
                                     o.pictureOptions.value(i).fill.kind == FillKind::Crop))
            item.facts.faces = detectFaces(path);
        appendPicture(job, item, false, joining);
        // A picture's own settings go with it; one left out takes them along.
        setPictureOptions(job, job.materialOrder.size() - 1, o.pictureOptions.value(i));
        if (i < o.transitionRows.size())
            joining = &kTransitionKinds[o.transitionRows.at(i)];
    }
    for (const auto &[szNotice, files] : std::as_const(notices))
        printErr(QStringLiteral("vmalbum-export: %1: %2")
                     .arg(files.join(QStringLiteral(", ")), szNotice));
    if (job.materialOrder.isEmpty()) {
        printErr(QStringLiteral("vmalbum-export: no picture could be used"));
        return ExitNoPicture;
    }
    job.updateWidth();
    if (job.width <= 0) {
        printErr(QStringLiteral("vmalbum-export: the first picture's ratio gives no usable width"));
        return ExitNoPicture;
    }

    job.watermarkFont.setPixelSize(
        o.watermarkPixelSize > 0 ? o.watermarkPixelSize : Album::watermarkPixelSizeFor(job.height));
    if (!o.watermarkFont.isEmpty())
        job.watermarkFont.setFamily(o.watermarkFont);
    if (o.watermarkColor.isValid())
        job.watermarkColor = o.watermarkColor;
    job.watermarkPosition = o.watermarkPosition;
    job.watermarkEffect = o.watermarkEffect;
    job.gentleMotion = o.gentleMotion;
    job.albumFill = o.fill;
    job.keepFaces = o.keepFaces;
    if (!o.watermarkText.isEmpty()) {
        job.watermarkType = WatermarkText;
        job.watermarkText = o.watermarkText;
    }
    if (!o.music.isEmpty()) {
        job.musicType = MusicCustom;
        job.musicPath = QFileInfo(o.music).absoluteFilePath();
        for (const QString &track : o.musicMore)
            job.musicMore.append(QFileInfo(track).absoluteFilePath());
        job.musicCrossfade = o.musicCrossfade;
        job.duckDb = o.duckDb;
        job.pauseMusicForClips = o.pauseMusicForClips;
        job.musicShape = o.musicShape;
    }
    if (job.hasMusic()) {
        job.beatCut = o.beatCut;
        job.beatCorrections = o.beatCorrections;
        job.beatFit = o.beatCut != BeatCut::Off && (o.fitToMusic || o.beatFit);
    }
    if (o.autoFilm) {
        makeFilm(job, o.autoRatio);
        // Options named beside --auto take the place of its choices.
        const auto named = [&o](const char *szOption) {
            return o.given.contains(QLatin1String(szOption));
        };
        if (named("--motion"))
            job.gentleMotion = o.gentleMotion;
        if (named("--fill"))
            job.albumFill = o.fill;
        if (named("--cut-to-beat"))
            job.beatCut = o.beatCut;
        if (named("--fade-in"))
            job.musicShape.fadeIn = o.musicShape.fadeIn;
        if (named("--fade-out"))
            job.musicShape.fadeOut = o.musicShape.fadeOut;
    }
    // The film's cut fits the pictures itself (their own durations stay); a film whose music
    // has no beat to follow is fitted plainly.
    const bool bFilmCut = o.autoFilm && job.beatCut != BeatCut::Off && job.hasMusic();
    if (o.fitToMusic && !bFilmCut) {
        const MusicFitResult fit = fitPicturesToMusic(job);
        if (!fit.ok) {
            printErr(QStringLiteral("vmalbum-export: cannot fit the pictures to the music: %1")
                         .arg(fit.error));
            return ExitUsage;
        }
    }
    if (job.beatCut != BeatCut::Off && job.hasMusic()) {
        const int code = cutToBeat(job, job.beatFit, o.autoFilm);
        if (code != ExitWritten)
            return code;
    }
    if (o.autoFilm && job.hasMusic() && job.beatCut == BeatCut::Off && !o.fitToMusic) {
        const MusicFitResult fit = fitPicturesToMusic(job);
        if (!fit.ok)
            printErr(QStringLiteral("vmalbum-export: note: the pictures are not fitted to the "
                                    "music: %1")
                         .arg(fit.error));
    }

    // An album saved without -o has no output: its export choices are made by runSaveAlbum.
    if (!o.output.isEmpty()) {
        const QFileInfo out(o.output);
        job.exportFormat = o.format();
        job.fileName = out.completeBaseName();
        job.exportDirectory = QDir::toNativeSeparators(out.absolutePath());
    }
    job.frameRate = {o.fps, 1};
    job.videoBitRate = int64_t(o.videoKbps) * 1000;
    job.audioBitRate = int64_t(o.audioKbps) * 1000;
    job.sampleRate = o.sampleRateHz;
    return ExitWritten;
}

// Writes the album the options describe, built as an export builds it, so that rendering the
// file gives the video a direct export with the same options gives.
int runSaveAlbum(const ExportOptions &o)
{
    Album job;
    const int code = buildAlbum(o, job);
    if (stopRequested())
        return cancelled(QStringLiteral("saving"));
    if (code != ExitWritten)
        return code;
    StoredAlbum album = storedAlbumFrom(job, o.ratioText());
    if (o.output.isEmpty()) {
        // Export options without -o still belong to the album, beside its own folder and name.
        static const char *const kExportOptions[] = {"--fps", "--video-bitrate", "--audio-bitrate",
                                                     "--sample-rate"};
        bool bNamed = false;
        for (const char *option : kExportOptions)
            bNamed = bNamed || o.given.contains(QLatin1String(option));
        if (o.albumExport || bNamed) {
            AlbumExportChoices c = o.albumExport.value_or(AlbumExportChoices());
            c.fps = o.fps;
            c.videoBitrateKbps = o.videoKbps;
            c.audioBitrateKbps = o.audioKbps;
            c.sampleRate = o.sampleRateHz;
            album.exportChoices = c;
        }
    }
    QString error;
    if (!writeAlbumFile(o.saveAlbum, album, &error)) {
        printErr(QStringLiteral("vmalbum-export: cannot save the album \"%1\": %2")
                     .arg(o.saveAlbum, error));
        return ExitFailed;
    }
    if (!o.quiet)
        printErr(QStringLiteral("vmalbum-export: wrote %1 (%2 pictures)")
                     .arg(QDir::toNativeSeparators(QFileInfo(o.saveAlbum).absoluteFilePath()),
                          QString::number(album.pictures.size())));
    return ExitWritten;
}

int runExport(QGuiApplication &app, const ExportOptions &o)
{
    auto album = std::make_shared<Album>();
    int code = buildAlbum(o, *album);
    if (stopRequested())
        return cancelled(QStringLiteral("export"));
    if (code != ExitWritten)
        return code;
    const Album &job = *album;
    const int writtenFps = job.fileFrameRate().num;
    if (writtenFps != o.fps)
        printErr(QStringLiteral("vmalbum-export: note: %1 is written at %2 fps, not %3: its frame "
                                "times are hundredths of a second")
                     .arg(o.format(), QString::number(writtenFps), QString::number(o.fps)));

    QThread thread;
    thread.setObjectName(QStringLiteral("MediaEncoder"));
    auto *encoder = new MediaEncoder;
    encoder->setAlbum(album);
    encoder->moveToThread(&thread);
    // Stop signals are taken on this thread only, never beside the encoder's deletion below: the
    // encoder's thread, and every thread it starts, inherit a mask that blocks them.
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (int signo : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stops, signo);
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    thread.start(QThread::InheritPriority);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    const bool showProgress = !o.quiet && ::isatty(STDERR_FILENO);
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer progress;
    if (showProgress) {
        QObject::connect(&progress, &QTimer::timeout, &app, [&] {
            drawProgress(encoder->framesDone.load(), encoder->totalFrames.load(),
                         elapsed.elapsed());
        });
        progress.start(200);
    }
    code = ExitFailed;
    QObject::connect(encoder, &MediaEncoder::sig_succeeded, &app, [&] {
        code = ExitWritten;
        app.quit();
    });
    QObject::connect(encoder, &MediaEncoder::sig_exportFail, &app, [&](const QString &szError) {
        if (showProgress)
            std::fputs("\n", stderr);
        printErr(QStringLiteral("vmalbum-export: export failed: %1").arg(szError));
        code = ExitFailed;
        app.quit();
    });
    bool wasCancelled = false;
    QObject::connect(encoder, &MediaEncoder::sig_exportCancelled, &app, [&] {
        if (showProgress)
            std::fputs("\n", stderr);
        wasCancelled = true;
        app.quit();
    });

    // The request arms the encoder's cancel flag; only then may a signal clear it. A signal
    // that came before is seen here, one that comes after is seen by the handler (both sides
    // store, then load, so at least one of them sees the other).
    emit encoder->sig_exportVideo();
    g_encoder.store(encoder);
    if (stopRequested())
        encoder->running.store(false);
    app.exec();
    g_encoder.store(nullptr);

    emit encoder->sig_close(0);
    thread.wait();
    const int64_t total = encoder->totalFrames.load();
    delete encoder;
    if (wasCancelled)
        return cancelled(QStringLiteral("export"));

    if (code == ExitWritten && !o.quiet) {
        if (showProgress) {
            drawProgress(total, total, elapsed.elapsed());
            std::fputs("\n", stderr);
        }
        printErr(QStringLiteral("vmalbum-export: wrote %1 (%2 pictures, %3 x %4, %5 fps) in %6 s")
                     .arg(QDir::toNativeSeparators(job.outputFilePath()),
                          QString::number(job.materialOrder.size()), QString::number(job.width),
                          QString::number(job.height), QString::number(writtenFps),
                          QString::number(double(elapsed.elapsed()) / 1000.0, 'f', 1)));
    }
    return code;
}

} // namespace

// Qt's own notices (platform plugin, runtime folder) are noise for a command-line tool.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(msg));
}

int main(int argc, char **argv)
{
    installStopHandlers();
    qInstallMessageHandler(quietMessages);
    // The exporter reports every failure in its own words; FFmpeg's lines only on request.
    av_log_set_level(AV_LOG_QUIET);
    // No window is ever shown; fonts for the text watermark still need QtGui.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vmalbum-export"));
    registerEngineMetaTypes();

    QStringList args = app.arguments();
    args.removeFirst();
    ParseResult parsed = parseExportArguments(args);
    if (parsed.ok && !parsed.options.help && !parsed.options.album.isEmpty()) {
        const QString &szAlbum = parsed.options.album;
        const AlbumReadResult album = readAlbumFile(szAlbum);
        if (!album.ok) {
            printErr(QStringLiteral("vmalbum-export: cannot read the album \"%1\": %2")
                         .arg(szAlbum, album.error));
            return ExitUsage;
        }
        parsed = applyAlbum(parsed.options, album.album);
    }
    if (!parsed.ok) {
        printErr(QStringLiteral("vmalbum-export: %1").arg(parsed.error));
        printErr(QStringLiteral("Try 'vmalbum-export --help' for more information."));
        return ExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(qPrintable(exportUsage()), stdout);
        return ExitWritten;
    }
    if (parsed.options.verbose)
        av_log_set_level(AV_LOG_INFO);
    if (parsed.options.album.isEmpty()) {
        // A folder stands for its pictures and those of its subfolders, in the order taken.
        for (const QString &szNote : expandPictureFolders(parsed.options))
            printErr(QStringLiteral("vmalbum-export: %1").arg(szNote));
        if (parsed.options.pictures.isEmpty()) {
            printErr(QStringLiteral("vmalbum-export: no picture could be used"));
            return ExitNoPicture;
        }
    }
    if (stopRequested())
        return cancelled(parsed.options.check ? QStringLiteral("check") : QStringLiteral("export"));
    if (parsed.options.check)
        return runCheck(parsed.options);
    const QString unreadable = checkInputFiles(parsed.options);
    if (!unreadable.isEmpty()) {
        printErr(QStringLiteral("vmalbum-export: %1").arg(unreadable));
        return ExitUsage;
    }
    if (!parsed.options.saveAlbum.isEmpty())
        return runSaveAlbum(parsed.options);
    return runExport(app, parsed.options);
}
