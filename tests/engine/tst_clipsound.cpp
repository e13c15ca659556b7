// SPDX-License-Identifier: GPL-3.0-or-later
// The clips' sound in the album: where it plays, trimmed and at speed, and the music under it.
#include "albumops.h"
#include "clipsound.h"
#include "musicshape.h"

#include "../support/testalbum.h"
#include "../support/testmedia.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 44100;

MaterialItem still(const QString &name)
{
    return MaterialItem{QStringLiteral("/album/") + name, {4, 3}, QSize(400, 300)};
}

MaterialItem clipItem(const QString &path, int64_t duration, bool bSound = true)
{
    MaterialItem item{path, {16, 9}, QSize(160, 90)};
    item.clip.duration = duration;
    item.clip.hasSound = bSound;
    item.clip.frameRate = {25, 1};
    return item;
}

// Picture (2 s), clip, picture (2 s), joined by cuts: the clip is heard from 2 s on.
Album albumAround(const MaterialItem &clip, const ClipOptions &options = ClipOptions())
{
    Album job;
    appendPicture(job, still(QStringLiteral("a.jpg")));
    appendPicture(job, clip);
    appendPicture(job, still(QStringLiteral("b.jpg")));
    for (int i = 0; i < 3; ++i) {
        PictureOptions o;
        o.transition = TransitionChoice::None;
        if (i == 1)
            o.clip = options;
        else
            o.duration = 2000000;
        setPictureOptions(job, i, o);
    }
    return job;
}

// Every album sample of channel `channel` from 0 to `count`, read in uneven pieces as a worker
// would.
std::vector<float> render(ClipSound &sound, int64_t count, int channel = 0, int channels = 2)
{
    std::vector<std::vector<float>> planes(static_cast<size_t>(channels),
                                           std::vector<float>(static_cast<size_t>(count)));
    int64_t at = 0;
    for (int piece = 700; at < count; piece = piece == 700 ? 1024 : 700) {
        const int n = int(std::min<int64_t>(piece, count - at));
        std::vector<float *> p;
        for (auto &plane : planes)
            p.push_back(plane.data() + at);
        if (sound.mixInto(p.data(), at, n) < 0)
            return {};
        at += n;
    }
    return planes[size_t(channel)];
}

double rmsAt(const std::vector<float> &s, double seconds, double window = 0.1)
{
    const auto from = size_t(seconds * kRate);
    const auto n = size_t(window * kRate);
    double sum = 0;
    for (size_t i = from; i < from + n && i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(n));
}

} // namespace

class TestClipSound : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString rising; // a clip whose tone grows by 0.05 of full scale a second: its level is its time

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        rising = dir.filePath(QStringLiteral("rising.mp4"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("color=c=gray:s=160x90:r=25:d=10"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='0.05*t*sin(2*PI*440*t)':s=48000:d=10"),
             QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-c:a"),
             QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("192k"), rising}));
    }

    void musicDucksAndPauses()
    {
        Album job = albumAround(clipItem(QStringLiteral("/album/clip.mp4"), 6000000));
        ClipSound sound;
        sound.setUp(job, kRate, 2);
        QVERIFY(!sound.isEmpty());
        const int64_t begin = 2 * kRate;
        const int64_t end = 8 * kRate;
        const int64_t ramp = kDuckRamp * kRate / 1000000;
        const double floor = std::pow(10.0, -kDefaultDuckDb / 20.0);
        QCOMPARE(sound.musicGain(begin - 1), 1.0);
        QCOMPARE(sound.musicGain(end), 1.0);
        QVERIFY(qAbs(sound.musicGain(begin + ramp / 2) - (1 + floor) / 2) < 0.01);
        QVERIFY(qAbs(sound.musicGain(begin + 3 * kRate) - floor) < 1e-9);
        QVERIFY(qAbs(sound.musicGain(end - ramp / 2) - (1 + floor) / 2) < 0.01);
        QCOMPARE(sound.pausedBefore(end), int64_t(0));

        // Pausing: silent between the ramps, and the music stands still that long.
        job.pauseMusicForClips = true;
        sound.setUp(job, kRate, 2);
        QCOMPARE(sound.musicGain(begin + 3 * kRate), 0.0);
        QVERIFY(!sound.musicPaused(begin + ramp - 1));
        QVERIFY(sound.musicPaused(begin + ramp));
        QVERIFY(!sound.musicPaused(end - ramp));
        QCOMPARE(sound.pausedBefore(end), end - begin - 2 * ramp);
        QCOMPARE(sound.pausedBefore(begin + ramp + 10), int64_t(10));

        // No ducking at 0 dB; a muted clip, or one without sound, changes nothing.
        job.pauseMusicForClips = false;
        job.duckDb = 0;
        sound.setUp(job, kRate, 2);
        QCOMPARE(sound.musicGain(begin + 3 * kRate), 1.0);
        ClipOptions muted;
        muted.mute = true;
        sound.setUp(albumAround(clipItem(QStringLiteral("/album/clip.mp4"), 6000000), muted), kRate,
                    2);
        QVERIFY(sound.isEmpty());
        QCOMPARE(sound.musicGain(begin + 3 * kRate), 1.0);
        sound.setUp(albumAround(clipItem(QStringLiteral("/album/clip.mp4"), 6000000, false)), kRate,
                    2);
        QVERIFY(sound.isEmpty());
    }

    // The sound heard at album time t is the file's at in + (t - start) x speed, at the clip's
    // volume, alike in both channels of a mono source, and nothing outside the clip.
    void soundFollowsTrimSpeedAndVolume_data()
    {
        QTest::addColumn<int>("inMs");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("volume");
        QTest::newRow("trimmed") << 2000 << 100 << 100;
        QTest::newRow("double speed, half volume") << 1000 << 200 << 50;
        QTest::newRow("half speed, loud") << 3000 << 50 << 180;
    }
    void soundFollowsTrimSpeedAndVolume()
    {
        QFETCH(int, inMs);
        QFETCH(int, speed);
        QFETCH(int, volume);
        ClipOptions options;
        options.in = inMs * 1000;
        options.out = options.in + 3000000;
        options.speed = speed;
        options.volume = volume;
        const Album job = albumAround(clipItem(rising, 10000000), options);
        const double length = 3.0 * 100 / speed;
        QCOMPARE(job.clipLength(1), int64_t(std::llround(length * 1e6)));
        ClipSound sound;
        sound.setUp(job, kRate, 2);
        const int64_t total = int64_t((2 + length + 2) * kRate);
        const std::vector<float> left = render(sound, total, 0);
        const std::vector<float> right = render(sound, total, 1);
        QCOMPARE(int64_t(left.size()), total);
        QVERIFY(rmsAt(left, 1.0) < 1e-4);
        QVERIFY(rmsAt(left, 2 + length + 0.5) < 1e-4);
        for (const double into : {0.2, length / 2, length - 0.3}) {
            const double fileTime = inMs / 1000.0 + into * speed / 100;
            // A mono source reaches each side of the stereo mix at -3 dB (equal power), as music
            // does; the sine's RMS is its amplitude over root 2.
            const double expected = 0.05 * fileTime * volume / 100 / 2;
            const double got = rmsAt(left, 2 + into - 0.05);
            QVERIFY2(qAbs(got - expected) < 0.08 * expected,
                     qPrintable(QStringLiteral("%1 s into the clip: %2, not %3")
                                    .arg(into)
                                    .arg(got)
                                    .arg(expected)));
            QVERIFY(qAbs(rmsAt(right, 2 + into - 0.05) - got) < 1e-6);
        }
        QCOMPARE(sound.openVoices(), 0); // the clip has ended: its decoder is gone
    }

    // A seek lands on the same sound as playing through, and a 5.1 source at 48 kHz comes down
    // to the mix's stereo.
    void seekAndSurroundSource()
    {
        const QString surround = dir.filePath(QStringLiteral("surround.mkv"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("color=c=gray:s=160x90:r=25:d=4"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='0.3*sin(2*PI*440*t)|0.3*sin(2*PI*440*t)|0.3*sin(2*PI*"
                            "440*t)|0|0.3*sin(2*PI*440*t)|0.3*sin(2*PI*440*t)':s=48000:d=4"),
             QStringLiteral("-channel_layout"), QStringLiteral("5.1"), QStringLiteral("-c:v"),
             QStringLiteral("libx264"), QStringLiteral("-c:a"), QStringLiteral("flac"), surround}));
        ClipSound sound;
        sound.setUp(albumAround(clipItem(surround, 4000000)), kRate, 2);
        const std::vector<float> through = render(sound, 6 * kRate);
        const double level = rmsAt(through, 3.0);
        QVERIFY2(level > 0.05 && level < 1.0, qPrintable(QString::number(level)));
        std::vector<float> jumped(size_t(kRate) / 10);
        std::vector<float> other(jumped.size());
        float *plane[2] = {jumped.data(), other.data()};
        QCOMPARE(sound.mixInto(plane, 3 * kRate, int(jumped.size())), 0);
        double diff = 0;
        for (size_t i = 0; i < jumped.size(); ++i)
            diff = std::max(diff, double(std::abs(jumped[i] - through[size_t(3 * kRate) + i])));
        QVERIFY2(diff < 0.02, qPrintable(QString::number(diff)));
    }
};

QTEST_GUILESS_MAIN(TestClipSound)
#include "tst_clipsound.moc"
