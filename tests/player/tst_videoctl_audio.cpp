// VideoCtl's audio: device opening with fallbacks, the callback's silence and resampling, a
// real device (SDL's disk driver) receiving pushed sound while audio starts and stops, and a slow
// audio server that the user-interface thread never waits for.
#include "testframes.h"
#include "videoctl.h"
#include "videostate.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdarg>
#include <thread>

namespace {

// The scripted stand-in for SDL_OpenAudio.
struct OpenScript
{
    QStringList attempts;
    int succeedAt = -1;       // attempt index that succeeds; -1: none
    int obtainedChannels = 0; // 0: as asked
    SDL_AudioFormat obtainedFormat = 0;
} g_script;

int scriptedOpen(SDL_AudioSpec *desired, SDL_AudioSpec *obtained)
{
    const int index = int(g_script.attempts.size());
    g_script.attempts << QStringLiteral("%1@%2").arg(desired->channels).arg(desired->freq);
    if (index != g_script.succeedAt)
        return SDL_SetError("scripted refusal");
    *obtained = *desired;
    if (g_script.obtainedChannels)
        obtained->channels = Uint8(g_script.obtainedChannels);
    if (g_script.obtainedFormat)
        obtained->format = g_script.obtainedFormat;
    obtained->size =
        Uint32(obtained->samples * obtained->channels * (SDL_AUDIO_BITSIZE(obtained->format) / 8));
    return 0;
}

// An audio server that takes two seconds to open the device.
std::atomic<int> g_slowOpens{0};
int slowOpen(SDL_AudioSpec *desired, SDL_AudioSpec *obtained)
{
    g_slowOpens++;
    SDL_Delay(2000);
    return SDL_OpenAudio(desired, obtained);
}

QStringList g_log;
void captureLog(void *, int level, const char *fmt, va_list args)
{
    if (level > AV_LOG_WARNING)
        return;
    char line[1024];
    std::vsnprintf(line, sizeof line, fmt, args);
    g_log << QString::fromUtf8(line);
}

void setTarget(AudioParams &p, int rate, int channels, AVSampleFormat fmt)
{
    p.freq = rate;
    p.channels = channels;
    av_channel_layout_uninit(&p.chLayout);
    av_channel_layout_default(&p.chLayout, channels);
    p.fmt = fmt;
    p.frameSize = av_samples_get_buffer_size(nullptr, channels, 1, fmt, 1);
}

// Queues `frame` in the state's sample queue, as pushAudioFrame does.
void queue(VideoState &is, AVFrame *frame)
{
    QueuedFrame *slot = is.sampq.peekWritable();
    av_frame_move_ref(slot->frame, frame);
    av_frame_free(&frame);
    is.sampq.push();
}

// Runs the callback in device-sized pieces and returns what it wrote.
QVector<int16_t> play(VideoState &is, int bytes, int piece = 1024)
{
    QByteArray out(bytes, '\x55');
    for (int done = 0; done < bytes; done += piece)
        vmplayer::audioCallback(&is, reinterpret_cast<Uint8 *>(out.data()) + done,
                                std::min(piece, bytes - done));
    QVector<int16_t> samples(bytes / 2);
    std::memcpy(samples.data(), out.constData(), size_t(bytes));
    return samples;
}

struct ChannelStats
{
    int peak = 0;
    int nonSilent = 0;
    int risingCrossings = 0;
};

ChannelStats stats(const QVector<int16_t> &s, int channels, int channel)
{
    ChannelStats st;
    int previous = 0;
    for (int i = channel; i < s.size(); i += channels) {
        st.peak = std::max(st.peak, std::abs(int(s[i])));
        if (s[i] != 0)
            st.nonSilent++;
        if (previous < 0 && s[i] >= 0)
            st.risingCrossings++;
        previous = s[i];
    }
    return st;
}

} // namespace

class TestVideoCtlAudio : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void openFallbacks_data();
    void openFallbacks();
    void starvedCallbackPlaysSilenceInBlocks_data();
    void starvedCallbackPlaysSilenceInBlocks();
    void matchingFramesPassThrough();
    void resamples_data();
    void resamples();
    void diskDeviceReceivesPushedSound();
    void slowDeviceNeverHoldsTheCaller();
    void cleanupTestCase();

private:
    QTemporaryDir m_dir;
};

void TestVideoCtlAudio::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("SDL_VIDEODRIVER", "dummy");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("out.raw"))));
    QVERIFY(VideoCtl::instance() != nullptr);
}

void TestVideoCtlAudio::init()
{
    g_log.clear();
    av_log_set_callback(captureLog);
}

void TestVideoCtlAudio::cleanupTestCase()
{
    av_log_set_callback(av_log_default_callback);
}

void TestVideoCtlAudio::openFallbacks_data()
{
    QTest::addColumn<QByteArray>("envChannels");
    QTest::addColumn<int>("wantedRate");
    QTest::addColumn<int>("succeedAt");
    QTest::addColumn<int>("obtainedChannels");
    QTest::addColumn<int>("obtainedFormat");
    QTest::addColumn<QString>("attempts");
    QTest::addColumn<int>("targetChannels"); // 0: the open fails
    QTest::addColumn<int>("targetFormat");
    QTest::addColumn<QString>("lastMessage");

    const QString refused =
        QStringLiteral("SDL_OpenAudio (2 channels, 44100 Hz): scripted refusal\n");
    QTest::newRow("stereo refused, mono refused, nothing left")
        << QByteArray() << 44100 << -1 << 0 << 0 << "2@44100,1@44100" << 0 << 0
        << "No more combinations to try, audio open failed\n";
    QTest::newRow("mono accepted after stereo")
        << QByteArray() << 44100 << 1 << 0 << 0 << "2@44100,1@44100" << 1 << int(AV_SAMPLE_FMT_S16)
        << refused;
    QTest::newRow("SDL_AUDIO_CHANNELS=6 asks for six first")
        << QByteArray("6") << 44100 << 0 << 0 << 0 << "6@44100" << 6 << int(AV_SAMPLE_FMT_S16)
        << QString();
    QTest::newRow("six channels step down to mono")
        << QByteArray("6") << 44100 << -1 << 0 << 0 << "6@44100,4@44100,2@44100,1@44100" << 0 << 0
        << "No more combinations to try, audio open failed\n";
    QTest::newRow("48 kHz falls back to 44.1 kHz")
        << QByteArray() << 48000 << 2 << 0 << 0 << "2@48000,1@48000,2@44100" << 2
        << int(AV_SAMPLE_FMT_S16) << "SDL_OpenAudio (1 channels, 48000 Hz): scripted refusal\n";
    QTest::newRow("device advises mono") << QByteArray() << 44100 << 0 << 1 << 0 << "2@44100" << 1
                                         << int(AV_SAMPLE_FMT_S16) << QString();
    QTest::newRow("device advises float") << QByteArray() << 44100 << 0 << 0 << int(AUDIO_F32SYS)
                                          << "2@44100" << 2 << int(AV_SAMPLE_FMT_FLT) << QString();
    QTest::newRow("device advises nine channels")
        << QByteArray() << 44100 << 0 << 9 << 0 << "2@44100" << 0 << 0
        << "SDL advised channel count 9 is not supported!\n";
    QTest::newRow("no rate") << QByteArray() << 0 << 0 << 0 << 0 << "" << 0 << 0
                             << "Invalid sample rate or channel count!\n";
}

void TestVideoCtlAudio::openFallbacks()
{
    QFETCH(QByteArray, envChannels);
    QFETCH(int, wantedRate);
    QFETCH(int, succeedAt);
    QFETCH(int, obtainedChannels);
    QFETCH(int, obtainedFormat);
    QFETCH(QString, attempts);
    QFETCH(int, targetChannels);
    QFETCH(int, targetFormat);
    QFETCH(QString, lastMessage);

    g_script = OpenScript();
    g_script.succeedAt = succeedAt;
    g_script.obtainedChannels = obtainedChannels;
    g_script.obtainedFormat = SDL_AudioFormat(obtainedFormat);
    if (envChannels.isEmpty())
        qunsetenv("SDL_AUDIO_CHANNELS");
    else
        qputenv("SDL_AUDIO_CHANNELS", envChannels);

    VideoState is;
    AudioParams target;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const int ret = vmplayer::openAudioDevice(&is, &stereo, wantedRate, &target, scriptedOpen);
    qunsetenv("SDL_AUDIO_CHANNELS");

    QCOMPARE(g_script.attempts.join(QLatin1Char(',')), attempts);
    if (!lastMessage.isEmpty()) {
        QVERIFY(!g_log.isEmpty());
        QCOMPARE(g_log.last(), lastMessage);
    }
    if (targetChannels == 0) {
        QCOMPARE(ret, -1);
        return;
    }
    QVERIFY(ret > 0);
    QCOMPARE(target.channels, targetChannels);
    QCOMPARE(target.chLayout.nb_channels, targetChannels);
    QCOMPARE(int(target.fmt), targetFormat);
    QCOMPARE(target.frameSize,
             targetChannels * av_get_bytes_per_sample(AVSampleFormat(targetFormat)));
    // 44100 / 30 = 1470 -> 2 << 10 = 2048 samples per device buffer.
    QCOMPARE(ret, 2048 * target.frameSize);
    av_channel_layout_uninit(&target.chLayout);
}

void TestVideoCtlAudio::starvedCallbackPlaysSilenceInBlocks_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("block");
    QTest::newRow("s16 stereo") << 2 << int(AV_SAMPLE_FMT_S16) << 512;
    QTest::newRow("s16 5.1: whole frames only") << 6 << int(AV_SAMPLE_FMT_S16) << 504;
    QTest::newRow("float stereo") << 2 << int(AV_SAMPLE_FMT_FLT) << 512;
}

void TestVideoCtlAudio::starvedCallbackPlaysSilenceInBlocks()
{
    QFETCH(int, channels);
    QFETCH(int, format);
    QFETCH(int, block);
    VideoState is;
    QCOMPARE(is.sampq.init(9, true), 0);
    setTarget(is.audioTgt, 44100, channels, AVSampleFormat(format));
    is.audioVolume = SDL_MIX_MAXVOLUME;

    const int length = 2000;
    QByteArray out(length, '\x55');
    vmplayer::audioCallback(&is, reinterpret_cast<Uint8 *>(out.data()), length);
    QCOMPARE(out, QByteArray(length, '\0'));
    QCOMPARE(int(is.audioBufSize), block);
    QVERIFY(is.audioBuf == nullptr);
    // Written in whole blocks: what is left of the last block is the write buffer size.
    QCOMPARE(is.audioWriteBufSize, length % block ? block - length % block : 0);
}

void TestVideoCtlAudio::matchingFramesPassThrough()
{
    VideoState is;
    QCOMPARE(is.sampq.init(9, true), 0);
    setTarget(is.audioTgt, 44100, 2, AV_SAMPLE_FMT_S16);
    is.audioVolume = SDL_MIX_MAXVOLUME;
    AVFrame *frame = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 441, 1000, 0.5);
    const QByteArray expected(reinterpret_cast<const char *>(frame->data[0]), 441 * 4);
    queue(is, frame);
    const QVector<int16_t> out = play(is, 441 * 4, 441 * 4);
    QVERIFY(is.swr == nullptr);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.constData()), 441 * 4), expected);
}

void TestVideoCtlAudio::resamples_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("samples");
    QTest::addColumn<double>("leftPeak");
    QTest::addColumn<bool>("rightFollowsLeft");
    // Mono goes to both sides at -3 dB.
    QTest::newRow("22050 Hz mono s16")
        << 22050 << 1 << int(AV_SAMPLE_FMT_S16) << 1024 << 0.5 * M_SQRT1_2 << true;
    QTest::newRow("48000 Hz stereo float planar")
        << 48000 << 2 << int(AV_SAMPLE_FMT_FLTP) << 960 << 0.5 << false;
}

void TestVideoCtlAudio::resamples()
{
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(int, format);
    QFETCH(int, samples);
    QFETCH(double, leftPeak);
    QFETCH(bool, rightFollowsLeft);

    VideoState is;
    QCOMPARE(is.sampq.init(9, true), 0);
    setTarget(is.audioTgt, 44100, 2, AV_SAMPLE_FMT_S16);
    is.audioVolume = SDL_MIX_MAXVOLUME;
    const int frames = 3;
    for (int i = 0; i < frames; i++)
        queue(is, testframes::tone(rate, channels, AVSampleFormat(format), samples, 1000, 0.5,
                                   int64_t(i) * samples));
    const QVector<int16_t> out = play(is, 44100 * 4 / 4); // a quarter of a second
    QVERIFY(is.swr != nullptr);

    const double seconds = double(frames * samples) / rate;
    const int expectedFrames = int(seconds * 44100);
    const ChannelStats left = stats(out, 2, 0);
    const ChannelStats right = stats(out, 2, 1);
    QVERIFY2(qAbs(left.peak - leftPeak * 32767) < 0.05 * 32767,
             qPrintable(QString::number(left.peak)));
    // All of the sound, at the device's rate (the resampler may hold back a few samples).
    QVERIFY2(left.nonSilent > expectedFrames - 64 && left.nonSilent <= expectedFrames + 8,
             qPrintable(QStringLiteral("%1 vs %2").arg(left.nonSilent).arg(expectedFrames)));
    // A 1 kHz tone keeps its pitch: one rising zero crossing per millisecond.
    const int cycles = int(seconds * 1000);
    QVERIFY2(qAbs(left.risingCrossings - cycles) <= 2,
             qPrintable(QString::number(left.risingCrossings)));
    if (rightFollowsLeft) {
        for (int i = 0; i + 1 < out.size(); i += 2)
            QCOMPARE(out[i + 1], out[i]);
    } else {
        QVERIFY2(right.peak < 100, qPrintable(QString::number(right.peak)));
    }
}

void TestVideoCtlAudio::diskDeviceReceivesPushedSound()
{
    VideoCtl *engine = VideoCtl::instance();
    engine->startPlay(0);
    engine->startAudio();

    const int kFrames = 80;
    // About 1.7 s of a 1 kHz tone at 48 kHz float planar; the producer is paced by the queue.
    // Audio is stopped and started again on the way, while the device runs.
    // A push blocked on the full queue when audio stops is refused rather than queued after
    // the flush: at most one per stop.
    std::atomic<int> pushed{0};
    std::atomic<int> refused{0};
    std::thread producer([&] {
        for (int i = 0; i < kFrames; i++) {
            AVFrame *frame =
                testframes::tone(48000, 2, AV_SAMPLE_FMT_FLTP, 1024, 1000, 0.5, int64_t(i) * 1024);
            if (engine->pushAudioFrame(frame) == 0)
                pushed++;
            else
                refused++;
            av_frame_free(&frame);
        }
    });
    for (int i = 0; i < 2; i++) {
        QTest::qWait(150);
        engine->stopAudio();
        engine->startAudio();
    }
    producer.join();
    QTest::qWait(400); // let the device play what is queued
    engine->stopAudio();
    engine->stopPlay();
    engine->waitDisplayLoop(); // closes the device and so the file
    QVERIFY2(refused.load() <= 2, qPrintable(QString::number(refused.load())));
    QCOMPARE(pushed.load() + refused.load(), kFrames);

    QFile file(m_dir.filePath(QStringLiteral("out.raw")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    QVector<int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.constData(), size_t(samples.size()) * 2);
    const ChannelStats left = stats(samples, 2, 0);
    const ChannelStats right = stats(samples, 2, 1);
    QVERIFY2(qAbs(left.peak - 16384) < 800, qPrintable(QString::number(left.peak)));
    QVERIFY(right.peak < 100);
    // stopAudio drops what is queued, so not all of it plays; most of it must.
    QVERIFY2(left.nonSilent > 44100 / 2, qPrintable(QString::number(left.nonSilent)));
}

void TestVideoCtlAudio::slowDeviceNeverHoldsTheCaller()
{
    VideoCtl *engine = VideoCtl::instance();
    engine->setOpenAudioFunction(slowOpen);
    g_slowOpens = 0;
    // Each call returns at once although a device is opening for two seconds meanwhile.
    QStringList slow;
    QElapsedTimer call;
    auto quick = [&](const char *szWhat, const std::function<void()> &fn) {
        call.start();
        fn();
        if (call.elapsed() >= 50)
            slow << QStringLiteral("%1 %2 ms").arg(QLatin1String(szWhat)).arg(call.elapsed());
    };
    quick("startPlay", [&] { engine->startPlay(0); });
    quick("startAudio", [&] { engine->startAudio(); });
    QTest::qWait(100); // the first playback's device is opening now
    quick("stopAudio", [&] { engine->stopAudio(); });
    quick("startAudio again", [&] { engine->startAudio(); });
    // The first playback ends while its device opens; the second one waits its turn.
    quick("startPlay of a new playback", [&] { engine->startPlay(0); });
    quick("startAudio of the new playback", [&] { engine->startAudio(); });
    quick("stopAudio of the new playback", [&] { engine->stopAudio(); });
    quick("startAudio once more", [&] { engine->startAudio(); });
    QVERIFY2(slow.isEmpty(), qPrintable(slow.join(QStringLiteral(", "))));

    // The late device of the ended playback is closed again, so the new playback gets one and
    // plays what is pushed.
    QTRY_VERIFY_WITH_TIMEOUT(SDL_GetAudioStatus() == SDL_AUDIO_PLAYING, 10000);
    QCOMPARE(g_slowOpens.load(), 2); // once per playback
    for (int i = 0; i < 20; i++) {
        AVFrame *frame = testframes::tone(44100, 2, AV_SAMPLE_FMT_S16, 1024, 1000, 0.5);
        QCOMPARE(engine->pushAudioFrame(frame), 0); // blocks while full: the device drains it
        av_frame_free(&frame);
    }
    engine->stopPlay();
    engine->waitDisplayLoop();
    engine->waitAudioOpen();
    QCOMPARE(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED); // no device left open
    engine->setOpenAudioFunction(nullptr);
}

QTEST_GUILESS_MAIN(TestVideoCtlAudio)
#include "tst_videoctl_audio.moc"
