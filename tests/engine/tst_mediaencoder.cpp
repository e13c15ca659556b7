// MediaEncoder: whole exports probed with libavformat, and the failure paths with the disk checked.
#include "album.h"
#include "albumops.h"
#include "exportstate.h"
#include "fittedalbum.h"
#include "framegraph.h"
#include "imagedecoder.h"
#include "logcapture.h"
#include "mediaencoder.h"
#include "musicformats.h"
#include "musicshape.h"
#include "probe.h"
#include "testalbum.h"
#include "testmedia.h"
#include "xfadereference.h"

extern "C" {
#include <libavutil/cpu.h>
#include <libavutil/frame.h>
}

#include <QCryptographicHash>
#include <QDir>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <dlfcn.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <thread>

// Thread creation that fails on demand, for the threads std::thread and std::async start (told
// apart by their start routine, learnt once): as when a process has no threads left to start.
namespace threadcap {
std::atomic<bool> learning{false};
std::atomic<void *(*)(void *)> stdRoutine{nullptr};
std::atomic<bool> refuse{false};
} // namespace threadcap

extern "C" int pthread_create(pthread_t *thread, const pthread_attr_t *attr, void *(*start)(void *),
                              void *arg)
{
    using Real = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "pthread_create"));
    if (threadcap::learning.load())
        threadcap::stdRoutine.store(start);
    else if (threadcap::refuse.load() && start == threadcap::stdRoutine.load())
        return EAGAIN;
    return real(thread, attr, start, arg);
}

namespace {

struct Outcome
{
    bool ok = false;
    bool cancelled = false;
    QString error;
    QList<int> progress;
};

} // namespace

class TestMediaEncoder : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QStringList pictures;
    QThread thread;
    MediaEncoder *encoder = nullptr;

    // Fills the album as the editor and the export dialog would.
    void album(int count, int seconds, int fps, const QString &format, int height = 180)
    {
        Album &job = testAlbum();
        clearAlbum(job);
        job.uniformDurationValue = 3000000;
        setUniformDurationSeconds(job, seconds);
        job.aspectNum = 16;
        job.aspectDen = 9;
        job.height = height;
        job.updateWidth();
        for (int i = 0; i < count; ++i) {
            MaterialItem item;
            item.path = pictures.at(i % pictures.size());
            appendPicture(job, item);
        }
        job.frameRate = {fps, 1};
        job.videoBitRate = 0;
        job.audioBitRate = 0;
        job.sampleRate = 44100;
        job.exportFormat = format;
        job.fileName = QStringLiteral("album");
        job.exportDirectory = dir.path();
        job.watermarkType = WatermarkNone;
        job.musicType = MusicNone;
        job.musicPath.clear();
    }

    Outcome run(std::function<void(MediaEncoder *, int)> onProgress = nullptr)
    {
        Outcome out;
        QSignalSpy ok(encoder, &MediaEncoder::sig_succeeded);
        QSignalSpy fail(encoder, &MediaEncoder::sig_exportFail);
        QSignalSpy cancelled(encoder, &MediaEncoder::sig_exportCancelled);
        QMetaObject::Connection c = connect(
            encoder, &MediaEncoder::sig_exportProgress, this, [&](int v) { out.progress << v; },
            Qt::QueuedConnection);
        QMetaObject::Connection d;
        if (onProgress)
            d = connect(
                encoder, &MediaEncoder::sig_exportProgress, encoder,
                [this, onProgress](int v) { onProgress(encoder, v); }, Qt::DirectConnection);
        encoder->setAlbum(snapshotOf(testAlbum()));
        emit encoder->sig_exportVideo();
        if (!QTest::qWaitFor([&] { return ok.size() + fail.size() + cancelled.size() > 0; },
                             600000))
            qFatal("export did not finish");
        QCoreApplication::processEvents(); // deliver the queued progress
        disconnect(c);
        if (d)
            disconnect(d);
        out.ok = ok.size() == 1;
        out.cancelled = cancelled.size() == 1;
        if (!fail.isEmpty())
            out.error = fail.first().first().toString();
        // Exactly one outcome per export.
        if (ok.size() + fail.size() + cancelled.size() != 1)
            qFatal("an export gave %d outcomes", int(ok.size() + fail.size() + cancelled.size()));
        return out;
    }

    QString output() const { return testAlbum().outputFilePath(); }
    QStringList leftovers() const
    {
        return QDir(dir.path())
            .entryList(QStringList{QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    }

    // A solid picture of the output's shape, so that it fills every frame.
    QString solid(const QString &name, QColor colour)
    {
        const QString path = dir.filePath(name);
        QImage img(320, 180, QImage::Format_RGB32);
        img.fill(colour);
        if (!img.save(path, "PNG"))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Copies the MP3 `from` into a NUT file whose packets hold two MP3 frames each (a container
    // that does not split them again).
    static bool pairPackets(const QString &from, const QString &to)
    {
        AVFormatContext *rawIn = nullptr;
        if (avformat_open_input(&rawIn, from.toUtf8().constData(), nullptr, nullptr) < 0)
            return false;
        av::InputContextPtr in(rawIn);
        avformat_find_stream_info(in.get(), nullptr);
        AVFormatContext *rawOut = nullptr;
        if (avformat_alloc_output_context2(&rawOut, nullptr, "nut", to.toUtf8().constData()) < 0)
            return false;
        av::OutputContextPtr out(rawOut);
        AVStream *stream = avformat_new_stream(out.get(), nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, in->streams[0]->codecpar) < 0)
            return false;
        stream->codecpar->codec_tag = 0;
        stream->time_base = in->streams[0]->time_base;
        if (avio_open(&out->pb, to.toUtf8().constData(), AVIO_FLAG_WRITE) < 0 ||
            avformat_write_header(out.get(), nullptr) < 0)
            return false;
        av::PacketPtr a = av::makePacket(), b = av::makePacket(), both = av::makePacket();
        while (av_read_frame(in.get(), a.get()) >= 0) {
            const bool second = av_read_frame(in.get(), b.get()) >= 0;
            const int size = a->size + (second ? b->size : 0);
            if (av_new_packet(both.get(), size) < 0)
                return false;
            memcpy(both->data, a->data, size_t(a->size));
            if (second)
                memcpy(both->data + a->size, b->data, size_t(b->size));
            both->pts = a->pts;
            both->dts = a->dts;
            both->duration = a->duration + (second ? b->duration : 0);
            av_packet_rescale_ts(both.get(), in->streams[0]->time_base, stream->time_base);
            if (av_interleaved_write_frame(out.get(), both.get()) < 0)
                return false;
            av_packet_unref(a.get());
            av_packet_unref(b.get());
        }
        return av_write_trailer(out.get()) >= 0;
    }

private slots:
    void initTestCase()
    {
        threadcap::learning.store(true);
        std::thread([] {}).join();
        threadcap::learning.store(false);
        QVERIFY(threadcap::stdRoutine.load());
        av_log_set_level(AV_LOG_ERROR); // keep the encoders' banners out of the test log
        const QList<QSize> sizes{QSize(640, 480), QSize(300, 500), QSize(800, 400)};
        for (int i = 0; i < sizes.size(); ++i) {
            const QString p = dir.filePath(QStringLiteral("photo %1.jpg").arg(i));
            QVERIFY(testmedia::writeJpeg(p, sizes[i].width(), sizes[i].height(),
                                         QColor::fromHsv(i * 100, 200, 200)));
            pictures << p;
        }
        thread.setObjectName(QStringLiteral("MediaEncoder"));
        encoder = new MediaEncoder;
        encoder->moveToThread(&thread);
        connect(&thread, &QThread::finished, encoder, &QObject::deleteLater);
        thread.start(QThread::InheritPriority);
        TransitionPicker::reset(0);
    }
    void cleanupTestCase()
    {
        emit encoder->sig_close(0);
        QVERIFY(thread.wait(30000));
    }

    void frameCounts_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("frames");
        QTest::newRow("4 pictures, 3 s, 30 fps") << 4 << 30 << 540;
        QTest::newRow("2 pictures at 25 fps") << 2 << 25 << 200;
        QTest::newRow("one picture, no transition") << 1 << 24 << 72;
    }
    void frameCounts()
    {
        QFETCH(int, pictures);
        QFETCH(int, fps);
        QFETCH(int, frames);
        album(pictures, 3, fps, QStringLiteral("MP4"));
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        const auto streams = probe::streams(output());
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v);
        QCOMPARE(v->packets, qint64(frames));
        QCOMPARE(QSize(v->width, v->height), QSize(320, 180));
        QVERIFY(!probe::first(streams, AVMEDIA_TYPE_AUDIO));
        QVERIFY(qAbs(v->endSeconds - double(frames) / fps) < 1e-6);
        // One progress report per frame, rising to 100, then 100 once more at the end.
        QCOMPARE(o.progress.size(), frames + 1);
        QVERIFY(std::is_sorted(o.progress.begin(), o.progress.end()));
        QCOMPARE(o.progress.last(), 100);
        QVERIFY(leftovers().isEmpty());
    }

    void containers_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio"); // empty: not offered with music
        QTest::newRow("MP4") << "MP4"
                             << "h264"
                             << "aac";
        QTest::newRow("AVI") << "AVI"
                             << "h264"
                             << "mp3";
        QTest::newRow("WMV") << "WMV"
                             << "mpeg4"
                             << "wmav2";
        QTest::newRow("FLV") << "FLV"
                             << "h264"
                             << "mp3";
        QTest::newRow("MKV") << "MKV"
                             << "h264"
                             << "aac";
        QTest::newRow("MOV") << "MOV"
                             << "h264"
                             << "aac";
        QTest::newRow("WEBM") << "WEBM"
                              << "vp8"
                              << "opus";
        QTest::newRow("GIF") << "GIF"
                             << "gif"
                             << "";
        QTest::newRow("M4V") << "M4V"
                             << "h264"
                             << "";
    }
    void containers()
    {
        QFETCH(QString, format);
        QFETCH(QString, video);
        QFETCH(QString, audio);
        // Longer than the 4-second video: it is cut where the video ends.
        const QString music = dir.filePath(QStringLiteral("tone.mp3"));
        if (!QFile::exists(music))
            QVERIFY(testmedia::writeMp3(music, 6));
        album(2, 1, 24, format, 120);
        if (!audio.isEmpty()) {
            testAlbum().musicType = MusicCustom;
            testAlbum().musicPath = music;
        }
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("album.") + format.toLower())));
        const auto streams = probe::streams(output());
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v);
        QCOMPARE(v->codec, video);
        QCOMPARE(v->packets, qint64(24 + 48 + 24));
        if (video == QLatin1String("h264")) {
            // x264 writes the settings it ran with into the stream: veryfast, zerolatency.
            QFile f(output());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            const int at = bytes.indexOf("x264 - core");
            QVERIFY(at >= 0);
            const QString options = QString::fromLatin1(bytes.mid(at, 2000));
            for (const char *setting :
                 {" ref=1 ", " subme=2 ", " me=hex ", " trellis=0 ", " bframes=0 ", " mbtree=0 "})
                QVERIFY2(options.contains(QLatin1String(setting)), setting);
        }
        const probe::Stream *a = probe::first(streams, AVMEDIA_TYPE_AUDIO);
        if (audio.isEmpty()) {
            QVERIFY(!a);
            return;
        }
        QVERIFY(a);
        QCOMPARE(a->codec, audio);
        // The music is cut where the video ends, give or take one encoder frame of samples.
        QVERIFY2(qAbs(a->endSeconds - 4.0) < 0.15,
                 qPrintable(QStringLiteral("audio ends at %1").arg(a->endSeconds)));
        QCOMPARE(a->sampleRate, audio == QLatin1String("opus") ? 48000 : 44100);
    }

    // WEBM and WMV keep a detailed 1080-line picture about as well as MP4 does: VP8 aims at a
    // quality and MPEG-4 Part 2 keeps a fixed quantiser, rather than their 256 and 200 kbit/s
    // defaults, which smear such a picture.
    void detailKeptLikeMp4()
    {
        const QString detail = dir.filePath(QStringLiteral("detail.png"));
        QImage img(1920, 1080, QImage::Format_RGB32);
        QRandomGenerator rng(7);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int v = ((x / 3 + y / 3) % 2) * 120 + int(rng.bounded(60));
                img.setPixel(x, y, qRgb(v, (v + x / 8) & 255, (v + y / 8) & 255));
            }
        QVERIFY(img.save(detail, "PNG"));
        auto psnrOf = [&](const QString &format) {
            album(0, 1, 24, format, 1080);
            MaterialItem item;
            item.path = detail;
            appendPicture(testAlbum(), item);
            QImage before;
            int index = 0;
            encoder->frameObserver = [&](const AVFrame *f) {
                if (index++ == 12)
                    before = frameToImage(f);
            };
            const Outcome o = run();
            encoder->frameObserver = nullptr;
            const QImage after = probe::videoFrame(output(), 12).convertToFormat(before.format());
            if (!o.ok || before.isNull() || after.size() != before.size())
                return 0.0;
            double squares = 0;
            for (int y = 0; y < before.height(); ++y)
                for (int x = 0; x < before.width(); ++x) {
                    const QRgb a = before.pixel(x, y), b = after.pixel(x, y);
                    squares += std::pow(qGreen(a) - qGreen(b), 2);
                }
            return 10 * std::log10(255.0 * 255.0 * before.width() * before.height() / squares);
        };
        const double mp4 = psnrOf(QStringLiteral("MP4"));
        QVERIFY2(mp4 > 20, qPrintable(QString::number(mp4)));
        // MPEG-4 Part 2 is the older codec: on this noise-like picture it stays some 7 dB under
        // H.264 at its quantiser, against 23 dB under at its default rate.
        for (const auto &[format, margin] : {std::pair{"WEBM", 3.0}, std::pair{"WMV", 9.0}}) {
            const double other = psnrOf(QLatin1String(format));
            QVERIFY2(other > mp4 - margin, qPrintable(QStringLiteral("%1 %2 dB, MP4 %3 dB")
                                                          .arg(QLatin1String(format))
                                                          .arg(other)
                                                          .arg(mp4)));
        }
    }

    // GIF: one palette made from the album's pictures, error-diffused, keeps a smooth picture
    // far closer to its colours than a fixed palette of 3-3-2 levels; and a still, mapped once,
    // costs a few bytes for every frame after its first.
    void gifPaletteFromThePictures()
    {
        const QString sky = dir.filePath(QStringLiteral("sky.png"));
        QImage img(1280, 720, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, qRgb(40 + x * 150 / 1280, 90 + y * 120 / 720, 230 - y / 8));
        QVERIFY(img.save(sky, "PNG"));
        album(0, 2, 24, QStringLiteral("GIF"), 480);
        MaterialItem item;
        item.path = sky;
        appendPicture(testAlbum(), item);
        av::FramePtr before;
        encoder->frameObserver = [&](const AVFrame *f) {
            if (!before)
                before.reset(av_frame_clone(f));
        };
        const Outcome o = run();
        encoder->frameObserver = nullptr;
        QVERIFY2(o.ok, qPrintable(o.error));
        QVERIFY(before);
        auto psnr = [](const QImage &a, const QImage &b) {
            double squares = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                    squares += std::pow(qRed(p) - qRed(q), 2) + std::pow(qGreen(p) - qGreen(q), 2) +
                               std::pow(qBlue(p) - qBlue(q), 2);
                }
            return 10 * std::log10(255.0 * 255.0 * 3 * a.width() * a.height() / squares);
        };
        const QImage shown = frameToImage(before.get());
        const QImage gif = probe::videoFrame(output(), 12).convertToFormat(shown.format());
        QCOMPARE(gif.size(), shown.size());
        av::FramePtr fixed(av_frame_clone(before.get()));
        QVERIFY(fixed && convertPixelFormat(fixed.get(), fixed.get(), AV_PIX_FMT_RGB8) >= 0);
        const double ours = psnr(shown, gif), levels332 = psnr(shown, frameToImage(fixed.get()));
        QVERIFY2(ours > 32 && ours > levels332 + 10,
                 qPrintable(QStringLiteral("%1 dB, 3-3-2 levels %2 dB")
                                .arg(QString::number(ours), QString::number(levels332))));

        const QList<probe::Stream> streams = probe::streams(output());
        const probe::Stream *video = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(video);
        QCOMPARE(video->packets, int64_t(48));
        QVERIFY2(video->bytes < int64_t(shown.width()) * shown.height() + 47 * 100,
                 qPrintable(QString::number(video->bytes)));
    }

    // A 10-second tune under a 25-second video starts again at 10 s and at 20 s.
    void musicLoops()
    {
        const QString music = dir.filePath(QStringLiteral("burst.mp3"));
        QVERIFY(testmedia::writeMp3(music, 10, true));
        album(5, 3, 24, QStringLiteral("MKV"), 120); // 5 x 3 + 4 x 2 = 23 s
        setUniformDurationSeconds(testAlbum(), 4);   // 5 x 4 + 4 x 2 = 28 s
        testAlbum().musicType = MusicCustom;
        testAlbum().musicPath = music;
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        int rate = 0;
        const QVector<float> s = probe::audioMono(output(), &rate);
        QCOMPARE(rate, 44100);
        QVERIFY(s.size() > rate * 27);
        const int window = rate / 10;
        for (double t : {0.0, 10.0, 20.0})
            QVERIFY2(probe::rms(s, int(t * rate) + rate / 50, window) > 0.1,
                     qPrintable(QStringLiteral("no beep at %1 s").arg(t)));
        for (double t : {5.0, 15.0, 25.0})
            QVERIFY2(probe::rms(s, int(t * rate), window) < 0.02,
                     qPrintable(QStringLiteral("noise at %1 s").arg(t)));
    }

    // Shaping: the album starts 2 s into the music (its silent lead-in is cut), fades in over
    // 1 s, plays at half volume and fades out to silence at the album's end (6 s).
    void musicShaping()
    {
        const QString music = dir.filePath(QStringLiteral("late tone.mp3"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='if(lt(t,2),0,0.5*sin(2*PI*440*t))':s=44100:d=10"),
             QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-c:a"),
             QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("192k"), music}));
        album(2, 2, 24, QStringLiteral("MP4"), 120); // 2 x 2 + 2 = 6 s
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = music;
        job.musicShape = MusicShape{2000000, 1000000, 2000000, 0.5};
        const Outcome o = run();
        job.musicShape = MusicShape();
        QVERIFY2(o.ok, qPrintable(o.error));
        int rate = 0;
        const QVector<float> s = probe::audioMono(output(), &rate);
        QVERIFY(s.size() >= rate * 6);
        const auto level = [&](double at) { return probe::rms(s, int(at * rate), rate / 20); };
        const double full = 0.5 / std::sqrt(2.0); // the tone's level at volume 1
        const QString levels = QStringLiteral("%1 %2 %3 %4 %5")
                                   .arg(level(0.0))
                                   .arg(level(0.475))
                                   .arg(level(3.0))
                                   .arg(level(4.975))
                                   .arg(level(5.93));
        // The tone is there from the first moment (no lead-in), rising from silence.
        QVERIFY2(level(0.0) < 0.06 * full && level(0.1) > 0.02 * full, qPrintable(levels));
        // Halfway through the fade in and the fade out: half of the half volume.
        QVERIFY2(qAbs(level(0.475) / (0.25 * full) - 1) < 0.12, qPrintable(levels));
        QVERIFY2(qAbs(level(3.0) / (0.5 * full) - 1) < 0.08, qPrintable(levels));
        QVERIFY2(qAbs(level(4.975) / (0.25 * full) - 1) < 0.12, qPrintable(levels));
        QVERIFY2(level(5.93) < 0.05 * full, qPrintable(levels));
    }

    // A start offset holds for every pass of the music: a 3-second tune with its beep at 1 s,
    // started at 1 s, beeps at 0, 2 and 4 s of the album.
    void musicStartOffsetLoops()
    {
        const QString music = dir.filePath(QStringLiteral("beep at 1.mp3"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='if(between(t,1,1.2),0.8*sin(2*PI*440*t),0)':"
                            "s=44100:d=3"),
             QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), music}));
        album(2, 2, 24, QStringLiteral("MP4"), 120);
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = music;
        job.musicShape.start = 1000000;
        const Outcome o = run();
        job.musicShape = MusicShape();
        QVERIFY2(o.ok, qPrintable(o.error));
        int rate = 0;
        const QVector<float> s = probe::audioMono(output(), &rate);
        const int window = rate / 20;
        for (double t : {0.05, 2.05, 4.05})
            QVERIFY2(probe::rms(s, int(t * rate), window) > 0.1,
                     qPrintable(QStringLiteral("no beep at %1 s").arg(t)));
        for (double t : {1.0, 1.5, 3.0, 5.0})
            QVERIFY2(probe::rms(s, int(t * rate), window) < 0.02,
                     qPrintable(QStringLiteral("sound at %1 s").arg(t)));

        // A start past the music's end leaves nothing to play: said so, and nothing is left.
        job.musicType = MusicCustom;
        job.musicPath = music;
        job.musicShape.start = 5000000;
        const Outcome past = run();
        job.musicShape = MusicShape();
        QVERIFY(!past.ok);
        QVERIFY2(past.error.startsWith(QStringLiteral("The music ends before its start offset")),
                 qPrintable(past.error));
        QVERIFY(leftovers().isEmpty());
    }

    // Music of every format plays in the export as it sounds in its file, sample for sample:
    // from the start offset on every pass, converted to the album's rate, at the chosen volume,
    // faded in and out. The encoders' delay and padding (AAC, Opus) neither shift a pass nor
    // lengthen it, and the fit to music reads the same length.
    // A list of two tracks: the sound at their boundary is the crossfade of the two sources at
    // their own offsets, and after the second track the list starts again with the first.
    void musicListCrossfadesAndLoops()
    {
        const QString a = dir.filePath(QStringLiteral("list-a.wav"));
        const QString b = dir.filePath(QStringLiteral("list-b.flac"));
        QVERIFY(testmedia::writeSound(a, QStringLiteral("0.5*sin(2*PI*440*t)"), 44100, 2.5,
                                      {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}));
        // Another rate and layout: the list converts each track to the album's sound.
        QVERIFY(testmedia::writeSound(b, QStringLiteral("0.4*sin(2*PI*660*t)"), 48000, 2.5,
                                      {QStringLiteral("-c:a"), QStringLiteral("flac")}));
        album(2, 2, 24, QStringLiteral("MP4"), 120); // 6 s
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.setMusicTracks({a, b});
        job.musicCrossfade = 1000000;
        const Outcome o = run();
        job.setMusicTracks({});
        job.musicCrossfade = kDefaultMusicCrossfade;
        QVERIFY2(o.ok, qPrintable(o.error));
        int rate = 0;
        const QVector<float> out = probe::audioMono(output(), &rate);
        QCOMPARE(rate, 44100);
        int sourceRate = 0;
        const QVector<float> soundA = probe::audioMono(a, &sourceRate, rate);
        const QVector<float> soundB = probe::audioMono(b, &sourceRate, rate);
        QVERIFY(qAbs(soundA.size() - 110250) <= 64 && qAbs(soundB.size() - 110250) <= 64);
        constexpr int kFade = 44100;   // 1 s
        constexpr int kStartB = 66150; // 2.5 s - 1 s
        constexpr int kPass = 176400;  // 2.5 s + 2.5 s - 1 s
        const auto expected = [&](int i) {
            const int q = i % kPass;
            const float t = std::clamp(float(q - kStartB) / kFade, 0.0f, 1.0f);
            return (q < soundA.size() ? soundA[q] * (1 - t) : 0.0f) +
                   (q >= kStartB && q - kStartB < soundB.size() ? soundB[q - kStartB] * t : 0.0f);
        };
        QVERIFY(out.size() >= 6 * rate - 1024);
        constexpr int kWindow = 2048;
        // a alone, the crossfade's start, middle and end, b alone, and a again after the loop.
        for (double t : {1.0, 1.52, 2.0, 2.45, 3.2, 4.3, 5.5}) {
            const int from = int(t * rate);
            double sum = 0;
            double level = 0;
            for (int i = from; i < from + kWindow; ++i) {
                const double d = out[i] - expected(i);
                sum += d * d;
                level += double(expected(i)) * expected(i);
            }
            const double residual = std::sqrt(sum / level);
            const QString at = QStringLiteral("%1 s: residual %2").arg(t).arg(residual);
            qInfo("%s", qPrintable(at));
            QVERIFY2(residual < 0.05, qPrintable(at));
        }
    }

    void musicOfEveryFormat_data()
    {
        QTest::addColumn<int>("row");
        const QVector<musicformats::Format> formats = musicformats::all();
        for (int i = 0; i < formats.size(); ++i)
            QTest::newRow(qPrintable(formats[i].name)) << i;
    }
    void musicOfEveryFormat()
    {
        QFETCH(int, row);
        const musicformats::Format format = musicformats::all().at(row);
        const QString music = dir.filePath(format.file);
        QVERIFY(musicformats::write(music, format));
        const int64_t length = decodedMusicLength(music);
        QVERIFY2(qAbs(length - 3300000) <= 1000, qPrintable(QString::number(length)));

        album(2, 2, 24, QStringLiteral("MP4"), 120); // 6 s
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = music;
        constexpr float kVolume = 0.8f;
        job.musicShape = MusicShape{700000, 500000, 1000000, kVolume};
        const Outcome o = run();
        job.musicShape = MusicShape();
        QVERIFY2(o.ok, qPrintable(o.error));
        int rate = 0;
        const QVector<float> out = probe::audioMono(output(), &rate);
        QCOMPARE(rate, 44100);
        int sourceRate = 0;
        QVector<float> source = probe::audioMono(music, &sourceRate, rate);
        constexpr int kStart = 30870; // 0.7 s at 44.1 kHz
        constexpr int kPass = 114660; // 2.6 s: from the start offset to the end
        // Read plainly, an AAC in MP4 still has the encoder's padding at its end (up to a
        // frame); what the tone holds is 3.3 s.
        QVERIFY2(source.size() >= kStart + kPass - 64 && source.size() <= kStart + kPass + 1100,
                 qPrintable(QString::number(source.size())));
        source.resize(std::min(source.size(), kStart + kPass));
        QVERIFY(out.size() >= 6 * rate - 1024);
        // What the album should sound like at output sample i.
        const auto expected = [&](int i) {
            const int at = kStart + i % kPass;
            return at < source.size() ? kVolume * source[at] : 0.0f;
        };
        constexpr int kWindow = 2048;
        const auto error = [&](int from, int lag) {
            double sum = 0;
            for (int i = from; i < from + kWindow; ++i) {
                const double d = out[i] - expected(std::max(0, i + lag));
                sum += d * d;
            }
            return std::sqrt(sum / kWindow);
        };
        // Windows of steady volume, the first pass's end and the second's start among them.
        for (double t : {0.6, 1.5, 2.575, 2.6, 3.4, 4.2, 4.85}) {
            const int from = int(t * rate);
            // Far enough to name an encoder's delay (AAC: 1024 samples) if it showed.
            int lag = 0;
            double best = error(from, 0);
            for (int l = -1100; l <= 1100; ++l) {
                const double e = error(from, l);
                if (e < best) {
                    best = e;
                    lag = l;
                }
            }
            std::vector<float> want(kWindow);
            for (int i = 0; i < kWindow; ++i)
                want[size_t(i)] = expected(from + i);
            const double level = probe::rms(QVector<float>(want.begin(), want.end()), 0, kWindow);
            const double residual = error(from, 0) / level;
            const QString at =
                QStringLiteral("%1 s: lag %2 samples, residual %3").arg(t).arg(lag).arg(residual);
            qInfo("%s", qPrintable(at));
            QVERIFY2(lag == 0 && residual < 0.05, qPrintable(at));
        }
        // Halfway through the fade in: half the volume; at the last frame: silence.
        const int mid = int(0.225 * rate);
        std::vector<float> want(size_t(rate / 20));
        for (size_t i = 0; i < want.size(); ++i)
            want[i] = expected(mid + int(i));
        const double faded = probe::rms(out, mid, rate / 20) /
                             probe::rms(QVector<float>(want.begin(), want.end()), 0, rate / 20);
        QVERIFY2(qAbs(faded - 0.5) < 0.06, qPrintable(QString::number(faded)));
        QVERIFY2(probe::rms(out, int(5.93 * rate), rate / 50) < 0.01,
                 qPrintable(QString::number(probe::rms(out, int(5.93 * rate), rate / 50))));
    }

    // Junk before and between MPEG frames is skipped; nearest supported sample rate is used.
    void junkInMusicAndSampleRates()
    {
        const QString clean = dir.filePath(QStringLiteral("clean.mp3"));
        QVERIFY(testmedia::writeMp3(clean, 3, false, 22050, 1));
        QFile f(clean);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QByteArray junk(777, '\x5A');
        const QString dirty = dir.filePath(QStringLiteral("dirty.mp3"));
        QVERIFY(testmedia::writeBytes(dirty, junk + bytes.left(bytes.size() / 2) + junk +
                                                 bytes.mid(bytes.size() / 2) + junk));
        album(2, 2, 24, QStringLiteral("MP4"), 120);
        testAlbum().musicType = MusicCustom;
        testAlbum().musicPath = dirty;
        testAlbum().sampleRate = 11025;
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        const auto streams = probe::streams(output());
        const probe::Stream *a = probe::first(streams, AVMEDIA_TYPE_AUDIO);
        QVERIFY(a);
        QCOMPARE(a->sampleRate, 11025);
        QVERIFY(qAbs(a->endSeconds - 6.0) < 0.2);
    }

    void watermarks()
    {
        album(1, 1, 24, QStringLiteral("MP4"), 180);
        Album &job = testAlbum();
        job.watermarkType = WatermarkText;
        job.watermarkText = QStringLiteral("VELMORA");
        job.watermarkFont.setPixelSize(40);
        job.watermarkColor = Qt::white;
        job.watermarkPosition = RightBottom;
        Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        QImage frame = probe::videoFrame(output(), 5);
        QVERIFY(!frame.isNull());
        int bright = 0;
        for (int y = 130; y < 178; ++y)
            for (int x = 200; x < 318; ++x)
                bright += qGray(frame.pixel(x, y)) > 200;
        QVERIFY2(bright > 30, "the text watermark is missing");

        job.watermarkType = WatermarkPicture;
        const QString mark = dir.filePath(QStringLiteral("mark.png"));
        QImage red(200, 100, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(mark));
        job.watermarkImagePath = mark;
        job.watermarkPosition = LeftTop;
        o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        frame = probe::videoFrame(output(), 5);
        // 320 x 0.175 = 56 wide, at the 1 % margins (3, 1).
        const QColor c = frame.pixelColor(20, 8);
        QVERIFY2(c.red() > 180 && c.green() < 80, qPrintable(c.name()));
        job.watermarkType = WatermarkNone;
    }

    // An album that uses none of the per-picture settings renders, frame for frame before the
    // codec, what it rendered before they existed: pictures of four shapes (letterboxed, one
    // with alpha over the grey backdrop, one smaller than the output), transitions drawn from a
    // fixed start, a picture watermark. FFmpeg is held to its SSE2 code so that the checksum does
    // not depend on the vector units of the machine the suite runs on.
    void seedModeFramesUnchanged()
    {
#if !defined(__x86_64__)
        QSKIP("the checksum was taken with FFmpeg's x86-64 SSE2 code");
#endif
        av_force_cpu_flags(AV_CPU_FLAG_MMX | AV_CPU_FLAG_MMXEXT | AV_CPU_FLAG_SSE |
                           AV_CPU_FLAG_SSE2);
        QStringList shapes;
        const QList<QSize> sizes{QSize(640, 480), QSize(300, 500), QSize(800, 400), QSize(64, 48)};
        for (int i = 0; i < sizes.size(); ++i) {
            QImage img(sizes[i], i == 1 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    img.setPixel(x, y,
                                 qRgba((x * 7 + i * 60) & 255, (y * 5) & 255,
                                       (x + y + i * 90) & 255, i == 1 ? (x * 3) & 255 : 255));
            shapes << dir.filePath(QStringLiteral("seed %1.png").arg(i));
            QVERIFY(img.save(shapes.last(), "PNG"));
        }
        const QString mark = dir.filePath(QStringLiteral("seed mark.png"));
        QImage markImage(120, 60, QImage::Format_ARGB32);
        markImage.fill(QColor(255, 255, 255, 160));
        QVERIFY(markImage.save(mark, "PNG"));

        album(0, 2, 25, QStringLiteral("MP4"), 180);
        Album &job = testAlbum();
        TransitionPicker::reset(7);
        for (const QString &path : shapes) {
            MaterialItem item;
            item.path = path;
            appendPicture(job, item);
        }
        job.watermarkType = WatermarkPicture;
        job.watermarkImagePath = mark;
        job.watermarkPosition = RightBottom;

        // The frames of the pictures alone, and of all; a transition is frames 50 to 99 of each
        // 100 (two seconds of picture, then two of transition).
        QCryptographicHash stills(QCryptographicHash::Sha1);
        QCryptographicHash all(QCryptographicHash::Sha1);
        std::vector<av::FramePtr> seen;
        encoder->frameObserver = [&](const AVFrame *f) {
            const bool bTransition = seen.size() % 100 >= 50;
            for (int plane = 0; plane < 3; ++plane) {
                const int w = plane ? (f->width + 1) / 2 : f->width;
                const int h = plane ? (f->height + 1) / 2 : f->height;
                for (int y = 0; y < h; ++y) {
                    const char *row =
                        reinterpret_cast<const char *>(f->data[plane] + y * f->linesize[plane]);
                    all.addData(row, w);
                    if (!bTransition)
                        stills.addData(row, w);
                }
            }
            av::FramePtr copy = av::makeFrame();
            copy->format = f->format;
            copy->width = f->width;
            copy->height = f->height;
            if (av_frame_get_buffer(copy.get(), 0) >= 0 && av_frame_copy(copy.get(), f) >= 0)
                seen.push_back(std::move(copy));
            else
                seen.push_back(nullptr);
        };
        Outcome o = run();
        av_force_cpu_flags(-1);
        QVERIFY2(o.ok, qPrintable(o.error));
        QCOMPARE(seen.size(), size_t(4 * 50 + 3 * 50));
        // The pictures' frames are what they always were (with xfade drawing the transitions
        // the whole came to c2620ca3ab8eb2ed5e51144501549c6399a10235).
        QCOMPARE(stills.result().toHex(), QByteArray("6fc36aebd8d3e2c3f688ccfec1f59d2278942fe5"));
        QCOMPARE(all.result().toHex(), QByteArray("42c192fd5d2b445d42e039898cc40cb17bf5343a"));

        // The transitions are drawn in 4:2:0, each frame within 40 dB of xfade's on the
        // pictures either side of it: seen without the watermark, which a slide would move.
        job.watermarkType = WatermarkNone;
        seen.clear();
        o = run();
        encoder->frameObserver = nullptr;
        QVERIFY2(o.ok, qPrintable(o.error));
        QCOMPARE(seen.size(), size_t(4 * 50 + 3 * 50));
        for (int slot = 0; slot < 3; ++slot) {
            const int first = 100 * slot + 50;
            const AVFrame *from = seen[size_t(first - 1)].get();
            const AVFrame *to = seen[size_t(first + 50)].get();
            QVERIFY(from && to && job.slotKind(slot));
            const char *kind = job.slotKind(slot)->transitionName;
            const std::vector<av::FramePtr> reference = xfadereference::frames(kind, from, to, 50);
            QCOMPARE(reference.size(), size_t(50));
            // At its first step a transition is exactly the picture before it (xfade leaves a
            // line of black there for one kind).
            QCOMPARE(xfadereference::psnr(seen[size_t(first)].get(), from), 99.0);
            for (int i = 1; i < 50; ++i) {
                const double db =
                    xfadereference::psnr(seen[size_t(first + i)].get(), reference[size_t(i)].get());
                QVERIFY2(db >= 40.0, qPrintable(QStringLiteral("%1 frame %2: %3 dB")
                                                    .arg(QLatin1String(kind))
                                                    .arg(i)
                                                    .arg(db)));
            }
        }
    }

    // Per-picture timing in the file: a cut joins two pictures with no frame between them, a
    // half-second picture shows 12 frames at 25 fps, and the slot beside it lasts half a second.
    void cutsAndShortPictures()
    {
        album(0, 1, 25, QStringLiteral("MP4"));
        Album &job = testAlbum();
        for (const auto &[name, colour] :
             {std::pair{"cut red.png", Qt::red}, std::pair{"cut green.png", Qt::green},
              std::pair{"cut blue.png", Qt::blue}}) {
            MaterialItem item;
            item.path = solid(QString::fromLatin1(name), colour);
            appendPicture(job, item);
        }
        PictureOptions cut;
        cut.transition = TransitionChoice::None;
        setPictureOptions(job, 0, cut);
        PictureOptions quick;
        quick.duration = 500000;
        setPictureOptions(job, 1, quick);
        int frames = 0;
        encoder->frameObserver = [&frames](const AVFrame *) { ++frames; };
        const Outcome o = run();
        encoder->frameObserver = nullptr;
        QVERIFY2(o.ok, qPrintable(o.error));
        QCOMPARE(frames, 25 + 12 + 13 + 25);
        QCOMPARE(o.progress.last(), 100);
        auto colourAt = [this](int frame) {
            const QColor c = probe::videoFrame(output(), frame).pixelColor(160, 90);
            return c.red() > 200 ? 'r' : c.green() > 200 ? 'g' : c.blue() > 200 ? 'b' : '?';
        };
        QCOMPARE(colourAt(24), 'r');
        QCOMPARE(colourAt(25), 'g'); // the cut
        QCOMPARE(colourAt(36), 'g');
        QCOMPARE(colourAt(50), 'b');
        QCOMPARE(probe::first(probe::streams(output()), AVMEDIA_TYPE_VIDEO)->packets, qint64(75));
    }

    // A picture fitted to its music: the video ends within a frame of the music at every rate,
    // the sound ends with the video (to one encoder frame), and the fade-out has reached
    // silence by the last frame. (Longer albums: tst_fittedexports.)
    void fittedPictureKeepsTime_data()
    {
        QTest::addColumn<int>("fps");
        for (int fps : {24, 25, 30, 60})
            QTest::newRow(qPrintable(QStringLiteral("%1 fps").arg(fps))) << fps;
    }
    void fittedPictureKeepsTime()
    {
        QFETCH(int, fps);
        const QString music = dir.filePath(QStringLiteral("fit 7.37.mp3"));
        QVERIFY(fitted::writeTone(music, 7.37));
        QVERIFY(fitted::prepare(pictures, 1, music, fps, dir.path()));
        const Outcome o = run();
        testAlbum().musicShape = MusicShape();
        QVERIFY2(o.ok, qPrintable(o.error));
        const fitted::Lengths l = fitted::measure(output(), music);
        const QString text = fitted::describe(1, fps, l);
        qInfo("%s", qPrintable(text));
        QVERIFY2(qAbs(l.video - l.music) <= 1.0 / fps + 1e-6, qPrintable(text));
        QVERIFY2(qAbs(l.audio - l.video) <= l.audioFrame + 1e-6, qPrintable(text));
        QVERIFY2(l.tailDb < -60, qPrintable(text));
    }

    // GIF times are hundredths of a second: at 24 and 30 fps every frame stays, its delay
    // placed on that grid (uneven delays that add up exactly); 60 and 120 fps are written at
    // 50 (viewers raise a delay under 2 to 10). No delay is under 2, and they add up to the
    // album's length.
    void gifDelays_data()
    {
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("written");
        QTest::newRow("24 fps") << 24 << 24;
        QTest::newRow("30 fps") << 30 << 30;
        QTest::newRow("60 fps") << 60 << 50;
        QTest::newRow("120 fps") << 120 << 50;
    }
    void gifDelays()
    {
        QFETCH(int, fps);
        QFETCH(int, written);
        album(2, 1, fps, QStringLiteral("GIF"), 120); // 1 + 2 + 1 = 4 s
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        const QVector<probe::Packet> frames =
            probe::packets(output(), AVMEDIA_TYPE_VIDEO, nullptr, "min_delay=0");
        QCOMPARE(frames.size(), 4 * written);
        QStringList listing;
        int64_t sum = 0;
        for (const probe::Packet &p : frames) {
            // Each delay is the whole hundredths between the frame's time and the next's.
            const int64_t exact = 100 / written, rest = 100 % written ? 1 : 0;
            QVERIFY2(p.duration >= 2 && p.duration >= exact && p.duration <= exact + rest,
                     qPrintable(QString::number(p.duration)));
            if (listing.size() < 16)
                listing << QString::number(p.duration);
            sum += p.duration;
        }
        QCOMPARE(sum, qint64(400));
        qInfo("GIF at %d fps (written at %d): delays %s ...", fps, written,
              qPrintable(listing.join(QLatin1Char(' '))));
    }

    // WMV (MPEG-4 Part 2) puts a keyframe about every 10 s, as the other formats do, not one
    // every 12 frames.
    void wmvKeyframesTenSecondsApart()
    {
        album(2, 5, 24, QStringLiteral("WMV"), 120); // 5 + 2 + 5 = 12 s
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        const QVector<probe::Packet> frames = probe::packets(output(), AVMEDIA_TYPE_VIDEO);
        QCOMPARE(frames.size(), 12 * 24);
        QList<int> keys;
        for (int i = 0; i < frames.size(); ++i)
            if (frames[i].key)
                keys << i;
        QCOMPARE(keys, (QList<int>{0, 240}));
    }

    // Music turned up to 200 % is limited after the gain: through a lossy codec, the decoded
    // sound stays within half a decibel of full scale (a peak of 1.06). At 100 % the limiter
    // is not there: a loud tune keeps its own peaks.
    void loudMusicIsLimited_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("volume");
        QTest::newRow("WEBM (Opus) at 200 %") << "WEBM" << 2.0;
        QTest::newRow("MP4 (AAC) at 200 %") << "MP4" << 2.0;
        QTest::newRow("MP4 (AAC) at 100 %") << "MP4" << 1.0;
    }
    void loudMusicIsLimited()
    {
        QFETCH(QString, format);
        QFETCH(double, volume);
        const QString loud = dir.filePath(QStringLiteral("loud.wav"));
        if (!QFile::exists(loud))
            QVERIFY(testmedia::ffmpeg(
                {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("aevalsrc=exprs='%1|%1':s=48000:d=5")
                     .arg(QStringLiteral("0.5*sin(2*PI*110*t)+0.3*sin(2*PI*1750*t)+"
                                         "0.15*sin(2*PI*5200*t)")),
                 loud}));
        album(2, 1, 24, format, 120);
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = loud;
        job.sampleRate = 48000;
        job.musicShape.volume = volume;
        const Outcome o = run();
        job.musicShape = MusicShape();
        QVERIFY2(o.ok, qPrintable(o.error));
        const double peak = probe::audioPeak(output());
        const QString text = QStringLiteral("decoded peak %1 dBFS").arg(20 * std::log10(peak));
        qInfo("%s at %d %%: %s", qPrintable(format), int(volume * 100), qPrintable(text));
        if (volume > 1) {
            QVERIFY2(peak <= std::pow(10.0, 0.5 / 20), qPrintable(text));
            QVERIFY2(peak > 0.8, qPrintable(text)); // limited, not crushed
        } else {
            QVERIFY2(peak > 0.92, qPrintable(text)); // the tune's own 0.95, give or take
        }
    }

    // Music started near its end goes straight to its start offset on every pass: a 20-second
    // tune started at 19.5 s under a 4-second album reads about 8 half-second stretches of it,
    // not 8 times the whole file.
    void startNearTheEndReadsOnlyTheRest()
    {
        const QString music = dir.filePath(QStringLiteral("twenty.mp3"));
        QVERIFY(testmedia::writeMp3(music, 20));
        album(2, 1, 24, QStringLiteral("MP4"), 120);
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = music;
        job.musicShape.start = 19500000;
        const Outcome o = run();
        job.musicShape = MusicShape();
        QVERIFY2(o.ok, qPrintable(o.error));
        // 38 MP3 frames a second: 4 s of sound, and a little before each of the 8 starts.
        const int64_t packets = encoder->musicPacketsRead.load();
        QVERIFY2(packets > 4 * 38 && packets < 4 * 38 + 8 * 12,
                 qPrintable(QString::number(packets)));
        int rate = 0;
        const QVector<float> s = probe::audioMono(output(), &rate);
        QVERIFY(s.size() >= rate * 4 - 1024);
        for (double t : {0.2, 1.2, 2.7, 3.7})
            QVERIFY2(probe::rms(s, int(t * rate), rate / 20) > 0.05,
                     qPrintable(QStringLiteral("no sound at %1 s").arg(t)));
    }

    // A packet that holds several frames of music gives all of them: the beep at 2 s of a tune
    // whose packets each hold two MP3 frames is heard at 2 s, nothing is skipped.
    void everyFrameOfAMusicPacket()
    {
        const QString single = dir.filePath(QStringLiteral("beep at 2.mp3"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='if(between(t,2,2.3),0.8*sin(2*PI*440*t),0)':"
                            "s=44100:d=5"),
             QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), single}));
        const QString paired = dir.filePath(QStringLiteral("paired frames.nut"));
        QVERIFY(pairPackets(single, paired));
        album(2, 1, 24, QStringLiteral("MP4"), 120);
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = paired;
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        int rate = 0;
        const QVector<float> s = probe::audioMono(output(), &rate);
        QVERIFY(s.size() >= rate * 4 - 1024);
        QVERIFY2(probe::rms(s, int(2.05 * rate), rate / 10) > 0.2,
                 qPrintable(QString::number(probe::rms(s, int(2.05 * rate), rate / 10))));
        for (double t : {0.5, 1.0, 1.5, 3.0})
            QVERIFY2(probe::rms(s, int(t * rate), rate / 10) < 0.02,
                     qPrintable(QStringLiteral("sound at %1 s").arg(t)));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("report"); // %1: the export folder; "(" at the end: a prefix
        QTest::newRow("folder is a file") << "notadir"
                                          << "Create output file failed(Not a directory) — %1";
        QTest::newRow("missing folder")
            << "nodir"
            << "Create output file failed(No such file or directory) — %1";
        QTest::newRow("read-only folder") << "readonly"
                                          << "Create output file failed(Permission denied) — %1";
        QTest::newRow("missing picture") << "nopicture"
                                         << "Image decode failed(No such file or directory)";
        // A JPEG cut short is not smeared into the video.
        QTest::newRow("damaged picture")
            << "cutpicture"
            << "Image decode failed(Invalid data found when processing input)";
        QTest::newRow("no pictures") << "empty"
                                     << "No pictures to export(Invalid argument)";
        QTest::newRow("music without audio") << "silentmusic"
                                             << "Can not find audio stream on mp3 file(";
        QTest::newRow("music not a media file") << "textmusic"
                                                << "Open mp3 file failed(";
        QTest::newRow("music of another name without audio")
            << "silentogg"
            << "Can not find audio stream on music file(";
        QTest::newRow("music of another name not a media file") << "textogg"
                                                                << "Open music file failed(";
        QTest::newRow("no frame rate") << "nofps"
                                       << "Create output video stream failed(";
    }
    void failures()
    {
        QFETCH(QString, setup);
        QFETCH(QString, report);
        album(3, 1, 24, QStringLiteral("MP4"), 120);
        Album &job = testAlbum();
        if (setup == QLatin1String("notadir")) {
            const QString file = dir.filePath(QStringLiteral("plainfile"));
            QVERIFY(testmedia::writeBytes(file, "x"));
            job.exportDirectory = file;
        } else if (setup == QLatin1String("nodir")) {
            job.exportDirectory = dir.filePath(QStringLiteral("no/such/folder"));
        } else if (setup == QLatin1String("readonly")) {
            if (::geteuid() == 0)
                QSKIP("root writes into every folder");
            job.exportDirectory = dir.filePath(QStringLiteral("read-only"));
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("read-only")));
            QVERIFY(QFile::setPermissions(job.exportDirectory,
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else if (setup == QLatin1String("nopicture")) {
            job.materialOrder[2] = dir.filePath(QStringLiteral("gone.jpg"));
        } else if (setup == QLatin1String("cutpicture")) {
            QFile whole(pictures.at(1));
            QVERIFY(whole.open(QIODevice::ReadOnly));
            job.materialOrder[1] = dir.filePath(QStringLiteral("cut.jpg"));
            QVERIFY(testmedia::writeBytes(job.materialOrder[1], whole.readAll().chopped(2)));
        } else if (setup == QLatin1String("empty")) {
            clearAlbum(job);
        } else if (setup == QLatin1String("silentmusic")) {
            job.musicType = MusicCustom;
            job.musicPath = dir.filePath(QStringLiteral("picture.mp3"));
            QVERIFY(QFile::copy(pictures.first(), job.musicPath) || QFile::exists(job.musicPath));
        } else if (setup == QLatin1String("textmusic")) {
            job.musicType = MusicCustom;
            job.musicPath = dir.filePath(QStringLiteral("words.mp3"));
            QVERIFY(testmedia::writeBytes(job.musicPath, QByteArray(2000, '\0')));
        } else if (setup == QLatin1String("silentogg")) {
            job.musicType = MusicCustom;
            job.musicPath = dir.filePath(QStringLiteral("picture.ogg"));
            QVERIFY(QFile::copy(pictures.first(), job.musicPath) || QFile::exists(job.musicPath));
        } else if (setup == QLatin1String("textogg")) {
            job.musicType = MusicCustom;
            job.musicPath = dir.filePath(QStringLiteral("words.ogg"));
            QVERIFY(testmedia::writeBytes(job.musicPath, QByteArray(2000, '\0')));
        } else if (setup == QLatin1String("nofps")) {
            job.frameRate = {0, 0};
        }
        QFile::remove(output());
        const Outcome o = run();
        QVERIFY(!o.ok && !o.cancelled);
        const QString expected = report.contains(QLatin1String("%1"))
                                     ? report.arg(QDir::toNativeSeparators(job.exportDirectory))
                                     : report;
        if (expected.endsWith(QLatin1Char('(')))
            QVERIFY2(o.error.startsWith(expected) && o.error.endsWith(QLatin1Char(')')),
                     qPrintable(o.error));
        else
            QCOMPARE(o.error, expected);
        QVERIFY(!o.progress.contains(100));
        QVERIFY(!QFile::exists(output()));
        QVERIFY(leftovers().isEmpty());
    }

    // A disk that refuses more bytes part way through (here a file size limit, as a full disk
    // does with ENOSPC): the write's own error and the folder, nothing left behind, and the old
    // file kept.
    void writeRefusedPartWay()
    {
        album(3, 2, 24, QStringLiteral("MP4"), 360);
        QVERIFY(testmedia::writeBytes(output(), "precious"));
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN); // EFBIG instead of death
        rlimit previous = {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit small = previous;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Outcome o = run();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!o.ok && !o.cancelled);
        QCOMPARE(o.error, QStringLiteral("Write video packet failed(File too large) — %1")
                              .arg(QDir::toNativeSeparators(dir.path())));
        QVERIFY(leftovers().isEmpty());
        QFile kept(output());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("precious"));
    }

    // Cancelling at any of its moments is no failure: reported as a cancel, nothing left on
    // disk, and a file the user chose to overwrite still there.
    void cancelled_data()
    {
        QTest::addColumn<int>("atFrame"); // 3 pictures of 24 frames, 2 transitions of 48
        QTest::newRow("still frames") << 10;
        QTest::newRow("first transition") << 24 + 20;
        QTest::newRow("after the last frame") << 3 * 24 + 2 * 48;
    }
    void cancelled()
    {
        QFETCH(int, atFrame);
        album(3, 1, 24, QStringLiteral("MP4"), 120);
        QVERIFY(testmedia::writeBytes(output(), "precious"));
        const Outcome o = run([atFrame](MediaEncoder *enc, int) {
            if (enc->framesDone.load() == atFrame)
                enc->running.store(false);
        });
        QVERIFY(o.cancelled);
        QVERIFY(!o.ok);
        QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
        QCOMPARE(o.progress.size(), atFrame);
        QVERIFY(leftovers().isEmpty());
        QFile kept(output());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("precious"));
        kept.close();
        // The encoder can export again afterwards, and replaces the old file only then.
        const Outcome again = run();
        QVERIFY2(again.ok, qPrintable(again.error));
        QVERIFY(QFileInfo(output()).size() > 1000);
    }

    // A cancel made while the request waits in the encoder's queue wins: nothing is written.
    void cancelWhileQueued()
    {
        album(2, 1, 24, QStringLiteral("MP4"), 120);
        QVERIFY(testmedia::writeBytes(output(), "precious"));
        // An encoder whose thread has not started yet: the request stays queued for certain.
        QThread queued;
        auto *enc = new MediaEncoder;
        enc->moveToThread(&queued);
        connect(&queued, &QThread::finished, enc, &QObject::deleteLater);
        QSignalSpy ok(enc, &MediaEncoder::sig_succeeded);
        QSignalSpy fail(enc, &MediaEncoder::sig_exportFail);
        QSignalSpy cancelled(enc, &MediaEncoder::sig_exportCancelled);
        QSignalSpy progress(enc, &MediaEncoder::sig_exportProgress);
        enc->setAlbum(snapshotOf(testAlbum()));
        emit enc->sig_exportVideo();
        enc->running.store(false);
        queued.start();
        QTRY_VERIFY_WITH_TIMEOUT(ok.size() + fail.size() + cancelled.size() > 0, 60000);
        QCOMPARE(ok.size(), 0);
        QCOMPARE(fail.size(), 0);
        QCOMPARE(cancelled.size(), 1);
        QVERIFY(progress.isEmpty());
        QVERIFY(leftovers().isEmpty());
        QFile kept(output());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("precious"));
        // A new request is not held by the old cancel.
        enc->setAlbum(snapshotOf(testAlbum()));
        emit enc->sig_exportVideo();
        QTRY_VERIFY_WITH_TIMEOUT(ok.size() == 1, 60000);
        emit enc->sig_close(0);
        QVERIFY(queued.wait(30000));
    }

    // No thread to be had for the look-ahead work: the same export, done on the encoder's thread.
    void withoutThreads()
    {
        album(3, 1, 24, QStringLiteral("MP4"), 120);
        threadcap::refuse.store(true);
        bool refused = false;
        try {
            std::thread([] {}).join();
        } catch (const std::system_error &) {
            refused = true;
        }
        QVERIFY(refused);
        const Outcome o = run();
        threadcap::refuse.store(false);
        QVERIFY2(o.ok, qPrintable(o.error));
        const auto streams = probe::streams(output());
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v);
        QCOMPARE(v->packets, qint64(3 * 24 + 2 * 48));
    }

    // The transition frames themselves, between a red and a blue picture: the graph's duration,
    // offset, transition name and input order all show in them.
    void transitionFrames()
    {
        static const TransitionKind fade{"xfade", "fade", "Fade"};
        const TransitionKind *wipeLeft = &kTransitionKinds[12];
        QCOMPARE(QByteArray(wipeLeft->transitionName), QByteArray("wipeleft"));
        album(2, 1, 24, QStringLiteral("MP4"), 180); // 24 still frames, then 48 of transition
        Album &job = testAlbum();
        job.materialOrder[0] = solid(QStringLiteral("red.png"), Qt::red);
        job.materialOrder[1] = solid(QStringLiteral("blue.png"), Qt::blue);
        auto colourAt = [this](int frame, int x) {
            const QImage img = probe::videoFrame(output(), 24 + frame);
            return img.isNull() ? QColor() : img.pixelColor(x, 90);
        };
        auto isRed = [](QColor c) { return c.red() > 200 && c.blue() < 60; };
        auto isBlue = [](QColor c) { return c.blue() > 200 && c.red() < 60; };

        job.transitions[0].kind = &fade;
        Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        QVERIFY(isRed(colourAt(0, 160)));
        const QColor middle = colourAt(24, 160);
        QVERIFY2(middle.red() > 80 && middle.red() < 180 && middle.blue() > 80 &&
                     middle.blue() < 180,
                 qPrintable(middle.name()));
        QVERIFY(isBlue(colourAt(47, 160)));

        // wipeleft: blue comes in from the right, its edge at 3/4 of the width a quarter of the
        // way through and at 1/4 three quarters of the way through.
        job.transitions[0].kind = wipeLeft;
        o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        QVERIFY(isRed(colourAt(12, 40)) && isRed(colourAt(12, 200)) && isBlue(colourAt(12, 280)));
        QVERIFY(isRed(colourAt(36, 40)) && isBlue(colourAt(36, 120)) && isBlue(colourAt(36, 280)));
    }

    // A chosen video bit rate reaches the encoder: pictures of noise, where rate control shows.
    void videoBitRate()
    {
        QRandomGenerator rng(7);
        album(2, 1, 24, QStringLiteral("MP4"), 180);
        Album &job = testAlbum();
        for (int i = 0; i < 2; ++i) {
            QImage noise(320, 180, QImage::Format_RGB32);
            for (int y = 0; y < noise.height(); ++y)
                for (int x = 0; x < noise.width(); ++x)
                    noise.setPixel(x, y, rng.generate() | 0xFF000000u);
            const QString path = dir.filePath(QStringLiteral("noise%1.png").arg(i));
            QVERIFY(noise.save(path));
            job.materialOrder[i] = path;
        }
        job.videoBitRate = 256000;
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        const auto streams = probe::streams(output());
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v && v->endSeconds > 0);
        const double bitRate = double(v->bytes) * 8 / v->endSeconds;
        QVERIFY2(bitRate > 256000 * 0.7 && bitRate < 256000 * 1.3,
                 qPrintable(QString::number(bitRate)));
    }

    void nearestSampleRate_data()
    {
        QTest::addColumn<QList<int>>("listed"); // empty: the encoder lists none
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("chosen");
        const QList<int> three{48000, 44100, 32000};
        QTest::newRow("11025 from 48000/44100/32000") << three << 11025 << 32000;
        QTest::newRow("exact match") << three << 44100 << 44100;
        QTest::newRow("tie takes the first listed") << three << 46050 << 48000;
        QTest::newRow("above every rate") << three << 96000 << 48000;
        QTest::newRow("none listed") << QList<int>() << 22050 << 22050;
    }
    void nearestSampleRate()
    {
        QFETCH(QList<int>, listed);
        QFETCH(int, requested);
        std::vector<int> rates(listed.begin(), listed.end());
        rates.push_back(0);
        QTEST(::nearestSampleRate(listed.isEmpty() ? nullptr : rates.data(), requested), "chosen");
    }

    // Importing and exporting a JPEG album, with a JPEG watermark and transitions, makes
    // swscale warn about no deprecated pixel format. Last: the engine's own log callback is not
    // put back afterwards.
    void quietLogForJpegAlbum()
    {
        album(3, 1, 24, QStringLiteral("MP4"), 180);
        Album &job = testAlbum();
        job.watermarkType = WatermarkPicture;
        job.watermarkImagePath = pictures.at(2);
        logcapture::DeprecatedFormatLog log;
        for (const QString &picture : pictures)
            for (bool justCheck : {false, true})
                QVERIFY(ImageDecoder::decodeFile(picture, justCheck).ok);
        const Outcome o = run();
        QVERIFY2(o.ok, qPrintable(o.error));
        QCOMPARE(log.lines(), 0);
        job.watermarkType = WatermarkNone;
        // The log is really watched: the old formats do warn.
        sws_freeContext(sws_getContext(16, 16, AV_PIX_FMT_YUVJ420P, 16, 16, AV_PIX_FMT_YUV420P,
                                       SWS_BILINEAR, nullptr, nullptr, nullptr));
        QVERIFY(log.lines() > 0);
    }
};

QTEST_MAIN(TestMediaEncoder)
#include "tst_mediaencoder.moc"
