// AudioDecoder with a recording player: looping, seeking modulo the length, pause, start-up
// failures and music whose length nobody states.
#include "album.h"
#include "albumops.h"
#include "audiodecoder.h"
#include "mediainfoloader.h"
#include "musicformats.h"
#include "musicprobe.h"
#include "musicshape.h"
#include "peaklimiter.h"
#include "playerinterface.h"
#include "testalbum.h"
#include "testmedia.h"

#include <QImage>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

struct Heard
{
    double ms = 0;    // music position of the frame
    double endMs = 0; // and of its end
    int loop = 0;     // the decoder's loop count when it was handed over
    int length = 0;
    double level = 0; // rms of the first channel (float samples only)
    double peak = 0;  // largest sample of the first channel (float and 16-bit samples)
};

// Takes a frame a millisecond, about 25 times faster than real time.
class MusicSink : public PlayerInterface
{
public:
    AudioDecoder *decoder = nullptr;

    int pushVideoFrame(AVFrame *frame) override
    {
        av_frame_unref(frame);
        return 0;
    }
    int pushAudioFrame(AVFrame *frame) override
    {
        Heard h;
        h.ms = frame->pts * av_q2d(frame->time_base) * 1000.0;
        h.endMs = h.ms + frame->nb_samples * 1000.0 / std::max(1, frame->sample_rate);
        h.loop = decoder->loopCount;
        h.length = decoder->durationMs;
        if (frame->format == AV_SAMPLE_FMT_FLTP || frame->format == AV_SAMPLE_FMT_FLT) {
            const int step = frame->format == AV_SAMPLE_FMT_FLT ? frame->ch_layout.nb_channels : 1;
            const float *p = reinterpret_cast<const float *>(frame->extended_data[0]);
            double sum = 0;
            for (int i = 0; i < frame->nb_samples; ++i)
                sum += double(p[i * step]) * p[i * step];
            h.level = frame->nb_samples > 0 ? std::sqrt(sum / frame->nb_samples) : 0;
            for (int i = 0; i < frame->nb_samples; ++i)
                h.peak = std::max(h.peak, double(std::fabs(p[i * step])));
        } else if (frame->format == AV_SAMPLE_FMT_S16 || frame->format == AV_SAMPLE_FMT_S16P) {
            const int step = frame->format == AV_SAMPLE_FMT_S16 ? frame->ch_layout.nb_channels : 1;
            const int16_t *p = reinterpret_cast<const int16_t *>(frame->extended_data[0]);
            for (int i = 0; i < frame->nb_samples; ++i)
                h.peak = std::max(h.peak, std::abs(p[i * step]) / 32768.0);
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            heard.push_back(h);
        }
        av_frame_unref(frame);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
    double sliderPositionMs() override { return 0; }
    int audioLatencyMs() override { return latencyMs; }
    int latencyMs = 0;

    QVector<Heard> frames()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return heard;
    }
    void reset()
    {
        std::lock_guard<std::mutex> lock(mutex);
        heard.clear();
    }
    bool waitFor(const std::function<bool(const QVector<Heard> &)> &pred, int ms = 20000)
    {
        return QTest::qWaitFor([&] { return pred(frames()); }, ms);
    }

private:
    std::mutex mutex;
    QVector<Heard> heard;
};

int firstWithLoop(const QVector<Heard> &heard, int loop)
{
    for (int i = 0; i < heard.size(); ++i)
        if (heard[i].loop == loop)
            return i;
    return -1;
}

} // namespace

class TestAudioDecoder : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString short2s, long60s, lengthless, picture;
    QThread thread;
    AudioDecoder *decoder = nullptr;
    MusicSink sink;

    QObject *echo = nullptr; // lives on the decoder's thread and answers pings in turn
    std::atomic<int> pongs{0};

    // Returns once every request queued so far has been served.
    bool idle()
    {
        const int before = pongs;
        emit ping();
        return QTest::qWaitFor([&] { return pongs > before; }, 20000) && !decoder->active;
    }
    void play(const QString &path)
    {
        sink.reset();
        decoder->setAlbum(snapshotOf(testAlbum()));
        emit decoder->sig_decode(path);
        QVERIFY(QTest::qWaitFor([&] { return decoder->active.load(); }, 10000));
    }
    void stopAndWait()
    {
        decoder->stop();
        QVERIFY(idle());
    }

signals:
    void ping();

private slots:
    void initTestCase()
    {
        av_log_set_level(AV_LOG_ERROR);
        short2s = dir.filePath(QStringLiteral("short.mp3"));
        long60s = dir.filePath(QStringLiteral("long.mp3"));
        lengthless = dir.filePath(QStringLiteral("lengthless.nut"));
        picture = dir.filePath(QStringLiteral("cover.png"));
        QVERIFY(testmedia::writeMp3(short2s, 2));
        QVERIFY(testmedia::writeMp3(long60s, 60));
        // NUT states no stream duration.
        QVERIFY(testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"),
                                   QStringLiteral("-i"), QStringLiteral("sine=d=3"),
                                   QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                                   QStringLiteral("-f"), QStringLiteral("nut"), lengthless}));
        QImage img(64, 64, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(picture, "PNG"));
        thread.setObjectName(QStringLiteral("AudioDecoder"));
        decoder = new AudioDecoder;
        decoder->output = &sink;
        sink.decoder = decoder;
        decoder->moveToThread(&thread);
        connect(&thread, &QThread::finished, decoder, &QObject::deleteLater);
        echo = new QObject;
        echo->moveToThread(&thread);
        connect(&thread, &QThread::finished, echo, &QObject::deleteLater);
        connect(
            this, &TestAudioDecoder::ping, echo, [this] { ++pongs; }, Qt::QueuedConnection);
        thread.start(QThread::InheritPriority);
    }
    void cleanupTestCase()
    {
        // The echo goes with the thread; it must not reach back to this object on its way.
        disconnect(this, &TestAudioDecoder::ping, nullptr, nullptr);
        emit decoder->sig_close(0);
        QVERIFY(thread.wait(30000));
    }
    void cleanup()
    {
        decoder->stop();
        QVERIFY(idle());
        decoder->setSeekRequest(-1);
        MediaInfoLoader::instance().setLibraryName(QStringLiteral("libmediainfo.so.0"));
    }

    // The end of the music starts it again at 0, with no gap of more than a frame.
    void loopsAtTheEnd()
    {
        play(short2s);
        QVERIFY(sink.waitFor(
            [](const QVector<Heard> &h) { return !h.isEmpty() && h.last().loop >= 2; }));
        stopAndWait();
        const QVector<Heard> heard = sink.frames();
        QVERIFY(qAbs(heard.first().length - 2000) <= 60);
        for (int loop = 1; loop <= 2; ++loop) {
            const int wrap = firstWithLoop(heard, loop);
            QVERIFY(wrap > 0);
            QVERIFY2(heard[wrap].ms < 30, qPrintable(QString::number(heard[wrap].ms)));
            QVERIFY2(heard[wrap - 1].ms > 1940, qPrintable(QString::number(heard[wrap - 1].ms)));
        }
        QCOMPARE(decoder->loopCount.load(), 0); // reset when the request ends
    }

    // A seek that follows the clock starts the music later by the player's audio latency (and
    // the time the request waited); a plain one lands exactly.
    void seekFollowingTheClock()
    {
        sink.latencyMs = 400;
        decoder->setSeekRequest(10000, true);
        play(long60s);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 5; }));
        const double landed = sink.frames().first().ms;
        QVERIFY2(landed >= 10400 - 30 && landed < 12000, qPrintable(QString::number(landed)));
        decoder->setSeekRequest(20000);
        // Frames of the old position may still arrive first; the seek's are past 15 s.
        auto afterSeek = [](const QVector<Heard> &h) {
            return std::find_if(h.begin(), h.end(), [](const Heard &x) { return x.ms > 15000; });
        };
        QVERIFY(sink.waitFor([&](const QVector<Heard> &h) { return afterSeek(h) != h.end(); }));
        const QVector<Heard> heard = sink.frames();
        const double plain = afterSeek(heard)->ms;
        QVERIFY2(qAbs(plain - 20000) <= 30, qPrintable(QString::number(plain)));
        sink.latencyMs = 0;
    }

    // Preview positions beyond the music's end land at the same place within it (the length
    // is what the file states, a little over 60 s with the encoder's padding).
    void seekModuloLength()
    {
        decoder->setSeekRequest(75000);
        play(long60s);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 5; }));
        QVector<Heard> heard = sink.frames();
        const int length = heard.first().length;
        QVERIFY(qAbs(length - 60000) <= 60);
        QVERIFY2(qAbs(heard.first().ms - 75000 % length) <= 30,
                 qPrintable(QString::number(heard.first().ms)));
        QCOMPARE(heard.first().loop, 1);

        decoder->setSeekRequest(130500);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return firstWithLoop(h, 2) >= 0; }));
        heard = sink.frames();
        const double landed = heard[firstWithLoop(heard, 2)].ms;
        QVERIFY2(qAbs(landed - 130500 % length) <= 30, qPrintable(QString::number(landed)));
        stopAndWait();
    }

    void pauseAndResume()
    {
        decoder->pause(); // nothing plays yet: ignored
        QVERIFY(!decoder->paused);
        play(short2s);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 5; }));
        decoder->pause();
        QTest::qWait(50);
        const int atPause = sink.frames().size();
        QTest::qWait(400);
        QCOMPARE(sink.frames().size(), atPause);
        decoder->resume();
        QVERIFY(sink.waitFor([=](const QVector<Heard> &h) { return h.size() > atPause + 5; }));
        const QVector<Heard> heard = sink.frames();
        // Nothing skipped over the pause: the frame after it follows the one before.
        QVERIFY(heard[atPause].ms - heard[atPause - 1].ms < 30);
        stopAndWait();
        QVERIFY(!decoder->paused && decoder->running);
    }

    // A request waiting in the decoder's queue (its thread busy) counts as asked for: a stop
    // cancels it, so it never plays, and a pause holds for it when it starts.
    void requestsWaitingInTheQueue()
    {
        QSemaphore entered, open;
        auto holdThread = [&] {
            QMetaObject::invokeMethod(
                decoder,
                [&] {
                    entered.release();
                    open.acquire();
                },
                Qt::QueuedConnection);
            entered.acquire();
        };
        sink.reset();
        holdThread();
        decoder->setAlbum(snapshotOf(testAlbum()));
        emit decoder->sig_decode(short2s);
        QVERIFY(decoder->askedOrActive() && !decoder->active);
        decoder->stop();
        open.release();
        QVERIFY(idle());
        QTest::qWait(100);
        QCOMPARE(sink.frames().size(), 0);
        QVERIFY(!decoder->askedOrActive());

        holdThread();
        decoder->setAlbum(snapshotOf(testAlbum()));
        emit decoder->sig_decode(short2s);
        decoder->pause();
        QVERIFY(decoder->paused);
        open.release();
        QVERIFY(QTest::qWaitFor([&] { return decoder->active.load(); }, 10000));
        QTest::qWait(300);
        QCOMPARE(sink.frames().size(), 0);
        decoder->resume();
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 5; }));
        stopAndWait();
        QVERIFY(!decoder->paused && decoder->running);
    }

    // Requests that cannot play end at once, silently, leaving the decoder ready for the next.
    void startFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no audio stream") << "cover.png";
        QTest::newRow("missing file") << "gone.mp3";
        QTest::newRow("empty path") << "";
        QTest::newRow("not media") << "noise.mp3";
    }
    void startFailures()
    {
        QFETCH(QString, file);
        const QString path = file.isEmpty() ? QString() : dir.filePath(file);
        if (file == QLatin1String("noise.mp3"))
            QVERIFY(testmedia::writeBytes(path, QByteArray(2048, '\x5a')));
        sink.reset();
        decoder->setAlbum(snapshotOf(testAlbum()));
        emit decoder->sig_decode(path);
        QVERIFY(idle());
        QCOMPARE(sink.frames().size(), 0);
        QCOMPARE(decoder->durationMs.load(), -1);
    }

    // Neither the file nor MediaInfo (absent) knows the length: it plays and loops, and a seek
    // never divides by an unknown length; the first end of the file tells the length.
    void unknownLength()
    {
        MediaInfoLoader::instance().setLibraryName(QStringLiteral("libvm-absent.so.0"));
        play(lengthless);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return firstWithLoop(h, 1) >= 0; }));
        QVector<Heard> heard = sink.frames();
        QCOMPARE(heard.first().length, -1);
        const Heard wrapped = heard[firstWithLoop(heard, 1)];
        QVERIFY(wrapped.ms < 30);
        QVERIFY2(qAbs(wrapped.length - 3000) <= 60, qPrintable(QString::number(wrapped.length)));

        decoder->setSeekRequest(7500);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return firstWithLoop(h, 2) >= 0; }));
        heard = sink.frames();
        const double landed = heard[firstWithLoop(heard, 2)].ms;
        // To the sample: the frame the demuxer lands on is cut at the target.
        const double expected = 7500 % wrapped.length + wrapped.ms;
        QVERIFY2(qAbs(landed - expected) <= 1, qPrintable(QString::number(landed)));
        stopAndWait();

        // A seek before the length is known goes past the end: the music starts over.
        decoder->setSeekRequest(75000);
        play(lengthless);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 5; }));
        heard = sink.frames();
        QCOMPARE(heard.first().loop, 1);
        QVERIFY(heard.first().ms < 30);
    }

    // The preview plays the music as the export shapes it: from the start offset (every pass),
    // fading in from the album's start, at the chosen volume.
    void shapedMusic()
    {
        Album &job = testAlbum();
        job.totalDuration = 30000000;
        job.musicShape = MusicShape{1500000, 0, 0, 1.0};
        play(short2s);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 10; }));
        stopAndWait();
        const double full = sink.frames().at(9).level;
        QVERIFY(full > 0.01);

        job.musicShape = MusicShape{1500000, 400000, 0, 0.5};
        play(short2s);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return firstWithLoop(h, 2) >= 0; }));
        stopAndWait();
        job.musicShape = MusicShape();
        job.totalDuration = 0;
        const QVector<Heard> heard = sink.frames();
        // Times are the stream's, which begins 25 ms in (the encoder's delay).
        const double begin = heard.first().ms;
        QVERIFY2(qAbs(begin - 1525) <= 30, qPrintable(QString::number(begin)));
        const int wrap = firstWithLoop(heard, 1);
        QCOMPARE(heard[wrap].ms, begin);
        // The first frames after a seek are silent (the MP3 decoder has no reservoir yet); past
        // them the fade in rises linearly to half the level, where the next pass (0.5 s into
        // the album) stays.
        for (int i : {4, 8, 12}) {
            const double albumMs = heard[i].ms - begin + 13; // the middle of the frame
            QVERIFY2(qAbs(heard[i].level / (0.5 * full) - albumMs / 400) < 0.03,
                     qPrintable(QStringLiteral("%1 at %2 ms").arg(heard[i].level).arg(albumMs)));
        }
        QVERIFY2(qAbs(heard[wrap + 4].level / (0.5 * full) - 1) < 0.03,
                 qPrintable(QString::number(heard[wrap + 4].level)));
    }

    // A list plays as the export has it: one piece as long as its tracks less the crossfades,
    // on the album's clock without a gap at the track boundary, looping as a whole.
    void listPlaysAsOnePiece()
    {
        const QString second = dir.filePath(QStringLiteral("second.mp3"));
        QVERIFY(testmedia::writeMp3(second, 3));
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.setMusicTracks({short2s, second});
        job.musicCrossfade = 500000;
        play(short2s);
        QVERIFY(sink.waitFor(
            [](const QVector<Heard> &h) { return !h.isEmpty() && h.last().loop >= 1; }));
        stopAndWait();
        job.setMusicTracks({});
        job.musicType = MusicNone;
        job.musicCrossfade = kDefaultMusicCrossfade;
        const QVector<Heard> heard = sink.frames();
        QVERIFY2(qAbs(heard.last().length - 4500) <= 60,
                 qPrintable(QString::number(heard.last().length)));
        QCOMPARE(heard.first().ms, 0.0);
        for (int i = 1; i < heard.size(); ++i)
            QVERIFY2(qAbs(heard[i].ms - heard[i - 1].endMs) < 0.05,
                     qPrintable(QStringLiteral("frame %1 at %2 ms").arg(i).arg(heard[i].ms)));
        const int wrap = firstWithLoop(heard, 1);
        QVERIFY(wrap > 0);
        QVERIFY2(qAbs(heard[wrap].ms - heard.last().length) <= 60,
                 qPrintable(QString::number(heard[wrap].ms)));
    }

    // Clips with sound play in the preview without music, at their place on the album's
    // clock, and again after a seek; the music's decoder is what plays them.
    void clipsSoundInThePreview()
    {
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(
            testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("color=c=gray:s=160x90:r=25:d=4"),
                               QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("aevalsrc=exprs='0.5*sin(2*PI*440*t)':s=44100:d=4"),
                               QStringLiteral("-c:v"), QStringLiteral("libx264"),
                               QStringLiteral("-c:a"), QStringLiteral("aac"), clip}));
        Album job;
        MaterialItem item{clip, {16, 9}, QSize(160, 90)};
        item.clip.duration = 4000000;
        item.clip.hasSound = true;
        appendPicture(job, MaterialItem{picture, {1, 1}, QSize(64, 64)});
        appendPicture(job, item);
        for (int i = 0; i < 2; ++i) {
            PictureOptions o;
            o.transition = TransitionChoice::None;
            o.duration = i == 0 ? 2000000 : 0;
            setPictureOptions(job, i, o);
        }
        job.totalDuration = job.computeTotalDuration();
        QCOMPARE(job.totalDuration, int64_t(6000000));
        sink.reset();
        decoder->setAlbum(snapshotOf(job));
        emit decoder->sig_decode(QString());
        QVERIFY(sink.waitFor(
            [](const QVector<Heard> &h) { return !h.isEmpty() && h.last().ms > 5000; }));
        decoder->setSeekRequest(3000);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) {
            return h.size() > 2 && h.last().ms > 3200 && h.last().ms < 4000;
        }));
        stopAndWait();
        const QVector<Heard> heard = sink.frames();
        QCOMPARE(heard.first().ms, 0.0);
        bool seeked = false;
        for (int i = 1; i < heard.size(); ++i) {
            const Heard &h = heard[i];
            // A seek starts the limiter afresh: its first few milliseconds come out silent.
            const bool jumped = qAbs(h.ms - heard[i - 1].endMs) > 1;
            seeked = seeked || (jumped && h.ms > 2900 && h.ms < 3100);
            // Silence under the picture, the clip's tone (-3 dB per side) under the clip.
            if (h.endMs < 1900)
                QVERIFY2(h.level < 1e-3, qPrintable(QString::number(h.level)));
            else if (!jumped && h.ms > 2100 && h.endMs < 5900)
                QVERIFY2(qAbs(h.level - 0.25) < 0.03,
                         qPrintable(QStringLiteral("%1 at %2 ms").arg(h.level).arg(h.ms)));
        }
        QVERIFY(seeked);
    }

    // Every format plays on the same clock: each pass from the start offset to the music's end,
    // frame after frame without a gap or an overlap, and none of an encoder's padding (AAC)
    // after the end.
    void everyFormatKeepsTime_data()
    {
        QTest::addColumn<int>("row");
        const QVector<musicformats::Format> formats = musicformats::all();
        for (int i = 0; i < formats.size(); ++i)
            QTest::newRow(qPrintable(formats[i].name)) << i;
    }
    void everyFormatKeepsTime()
    {
        QFETCH(int, row);
        const musicformats::Format format = musicformats::all().at(row);
        const QString music = dir.filePath(format.file);
        QVERIFY(musicformats::write(music, format));
        double beginMs = 0; // where the stream's time begins (MP3: after the encoder's delay)
        {
            av::InputContextPtr input;
            AVStream *stream = nullptr;
            QCOMPARE(openMusicInput(music, input, stream), 0);
            if (stream->start_time != AV_NOPTS_VALUE)
                beginMs = stream->start_time * av_q2d(stream->time_base) * 1000.0;
        }
        Album &job = testAlbum();
        job.totalDuration = 30000000;
        job.musicShape.start = 700000;
        play(music);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return firstWithLoop(h, 2) >= 0; }));
        stopAndWait();
        job.musicShape = MusicShape();
        job.totalDuration = 0;
        const QVector<Heard> heard = sink.frames();
        // The length the file states, within the MP3 tests' margin (a stated MP3 length
        // includes its padding); the passes themselves are exact.
        QVERIFY2(qAbs(heard.first().length - 3300) <= 60,
                 qPrintable(QString::number(heard.first().length)));
        constexpr double kSampleMs = 0.05; // about two samples at the lowest rate
        for (int loop = 0; loop <= 1; ++loop) {
            const int first = firstWithLoop(heard, loop);
            const int next = firstWithLoop(heard, loop + 1);
            QVERIFY(first >= 0 && next > first);
            const QString pass = QStringLiteral("pass %1: %2 .. %3 ms")
                                     .arg(loop)
                                     .arg(heard[first].ms - beginMs)
                                     .arg(heard[next - 1].endMs - beginMs);
            QVERIFY2(qAbs(heard[first].ms - beginMs - 700) <= kSampleMs, qPrintable(pass));
            QVERIFY2(qAbs(heard[next - 1].endMs - beginMs - 3300) <= kSampleMs, qPrintable(pass));
            for (int i = first + 1; i < next; ++i)
                QVERIFY2(qAbs(heard[i].ms - heard[i - 1].endMs) <= kSampleMs,
                         qPrintable(QStringLiteral("%1, gap at %2 ms").arg(pass).arg(heard[i].ms)));
        }
    }

    // Turned up to 200 %, the preview's music is limited after the gain, as the export's is: no
    // sample passes the ceiling (16-bit samples would be clipped at full scale), and the music
    // is held near it rather than crushed.
    void loudMusicIsLimited()
    {
        const QString loud = dir.filePath(QStringLiteral("loud.wav"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='0.6*sin(2*PI*110*t)+0.35*sin(2*PI*1750*t)|"
                            "0.6*sin(2*PI*110*t)+0.35*sin(2*PI*1750*t)':s=44100:d=3"),
             loud}));
        Album &job = testAlbum();
        job.totalDuration = 30000000;
        job.musicShape.volume = 2.0;
        play(loud);
        QVERIFY(sink.waitFor([](const QVector<Heard> &h) { return h.size() >= 60; }));
        stopAndWait();
        job.musicShape = MusicShape();
        job.totalDuration = 0;
        double peak = 0;
        for (const Heard &h : sink.frames())
            peak = std::max(peak, h.peak);
        QVERIFY2(peak <= kLimiterCeiling + 1e-3 && peak > 0.8, qPrintable(QString::number(peak)));
    }

    // The length is what decoding gives, not what the file states: a VBR MP3 without its
    // header is guessed from its first (silent, small) frames at three times its length.
    void decodedLength()
    {
        QCOMPARE(decodedMusicLength(dir.filePath(QStringLiteral("absent.mp3"))), AVERROR(EINVAL));
        QCOMPARE(decodedMusicLength(picture), AVERROR_STREAM_NOT_FOUND);
        const int64_t plain = decodedMusicLength(short2s);
        QVERIFY2(qAbs(plain - 2000000) <= 30000, qPrintable(QString::number(plain)));

        const QString headerless = dir.filePath(QStringLiteral("headerless.mp3"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='if(lt(t,3),0,0.5*random(0))':s=44100:d=10"),
             QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-q:a"),
             QStringLiteral("0"), QStringLiteral("-write_xing"), QStringLiteral("0"), headerless}));
        av::InputContextPtr input;
        AVStream *stream = nullptr;
        QCOMPARE(openMusicInput(headerless, input, stream), 0);
        const int64_t stated = av_rescale_q(stream->duration, stream->time_base, {1, 1000000});
        QVERIFY2(stated > 15000000, qPrintable(QString::number(stated)));
        const int64_t decoded = decodedMusicLength(headerless);
        // Without the header nothing says to drop the encoder's delay and padding (< 60 ms).
        QVERIFY2(decoded >= 10000000 && decoded < 10060000, qPrintable(QString::number(decoded)));
    }
};

QTEST_GUILESS_MAIN(TestAudioDecoder)
#include "tst_audiodecoder.moc"
