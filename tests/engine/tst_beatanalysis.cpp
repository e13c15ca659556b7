// SPDX-License-Identifier: GPL-3.0-or-later
// The beat of drum tracks synthesised at test time with known hit times: tempo, beats, bars,
// tempo changes, silence, the cache and failures.
#include "beatanalysis.h"

#include "../support/testmedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

namespace {

using testmedia::ffmpeg;
using testmedia::writeBytes;

constexpr int kRate = 44100;
constexpr double kTolS = 0.030;

// A mono drum track with the beat times it was built on.
struct Drums
{
    std::vector<float> samples;
    std::vector<double> beats;
    std::vector<double> downbeats;
    std::mt19937 noise{7};

    void add(double at, double seconds, const std::function<double(double)> &shape)
    {
        const size_t from = size_t(at * kRate), count = size_t(seconds * kRate);
        if (samples.size() < from + count)
            samples.resize(from + count, 0.0f);
        for (size_t i = 0; i < count; ++i)
            samples[from + i] += float(shape(double(i) / kRate));
    }
    double white() { return std::uniform_real_distribution<double>(-1.0, 1.0)(noise); }
    // A decaying 55 Hz sine.
    void kick(double at, double gain)
    {
        add(at, 0.3,
            [gain](double t) { return gain * std::sin(2 * M_PI * 55 * t) * std::exp(-t / 0.09); });
    }
    // A noise burst with a 185 Hz tone.
    void snare(double at)
    {
        add(at, 0.25, [this](double t) {
            return (0.35 * white() + 0.35 * std::sin(2 * M_PI * 185 * t)) * std::exp(-t / 0.06);
        });
    }
    // Noise through a 4th-order 3 kHz high-pass, as a hi-hat has little below 2 kHz.
    void hat(double at, double gain)
    {
        // RBJ biquad high-pass, Q = 0.707, run twice.
        const double w = 2 * M_PI * 3000 / kRate, alpha = std::sin(w) / (2 * 0.7071);
        const double a0 = 1 + alpha, c = std::cos(w);
        const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, a1 = -2 * c / a0,
                     a2 = (1 - alpha) / a0;
        double s[2][4] = {}; // x1, x2, y1, y2 of each stage
        add(at, 0.08, [&](double t) {
            double x = white();
            for (auto &st : s) {
                const double y = b0 * x + b1 * st[0] + b0 * st[1] - a1 * st[2] - a2 * st[3];
                st[1] = st[0];
                st[0] = x;
                st[3] = st[2];
                st[2] = y;
                x = y;
            }
            return gain * x * std::exp(-t / 0.025);
        });
    }
    // `count` beats at `bpm` from `start`, the first of them beat `first` + 1 of its bar: kick on
    // 1 (louder) and 3, snare on 2 and 4, and optionally a hi-hat half-way between beats.
    double bars(double start, double bpm, int count, double hatGain, int first = 0)
    {
        const double beat = 60.0 / bpm;
        for (int i = first; i < first + count; ++i) {
            const double at = start + (i - first) * beat;
            beats.push_back(at);
            if (i % 4 == 0)
                downbeats.push_back(at);
            if (i % 2 == 0)
                kick(at, i % 4 == 0 ? 0.9 : 0.55);
            else
                snare(at);
            if (hatGain > 0)
                hat(at + beat / 2, hatGain);
        }
        return start + count * beat;
    }
    // 16-bit WAV through ffmpeg, from the raw float samples.
    bool writeWav(const QString &path) const
    {
        const QString raw = path + QStringLiteral(".f32");
        return writeBytes(raw, QByteArray(reinterpret_cast<const char *>(samples.data()),
                                          int(samples.size() * sizeof(float)))) &&
               ffmpeg({QStringLiteral("-f"), QStringLiteral("f32le"), QStringLiteral("-ar"),
                       QString::number(kRate), QStringLiteral("-ac"), QStringLiteral("1"),
                       QStringLiteral("-i"), raw, QStringLiteral("-c:a"),
                       QStringLiteral("pcm_s16le"), path}) &&
               QFile::remove(raw);
    }
};

double nearest(const std::vector<double> &times, double t)
{
    double best = 1e9;
    for (double x : times)
        best = std::min(best, std::abs(x - t));
    return best;
}

// Share of `truth` with a found time within the tolerance.
double recall(const std::vector<double> &truth, const std::vector<double> &found)
{
    int hit = 0;
    for (double t : truth)
        hit += nearest(found, t) <= kTolS;
    return truth.empty() ? 0.0 : double(hit) / truth.size();
}

// Every found time within the tolerance of a true one.
bool allNear(const std::vector<double> &found, const std::vector<double> &truth)
{
    for (double t : found)
        if (nearest(truth, t) > kTolS) {
            qWarning("%.3f s is %.3f s from any true time", t, nearest(truth, t));
            return false;
        }
    return true;
}

BeatOptions noCache()
{
    BeatOptions o;
    o.bUseCache = false;
    return o;
}

} // namespace

class TestBeatAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void steadyTempo_data();
    void steadyTempo();
    void tempoChange();
    void cacheByContent();
    void failures();

private:
    QTemporaryDir m_dir;
};

void TestBeatAnalysis::steadyTempo_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("hatGain");
    QTest::addColumn<double>("introS");
    QTest::addColumn<bool>("bFlac");
    QTest::newRow("62") << 62.0 << 0.0 << 0.5 << false;
    QTest::newRow("95") << 95.0 << 0.0 << 0.5 << false;
    QTest::newRow("128 flac") << 128.0 << 0.0 << 0.5 << true;
    // Fast enough for its half to sit nearer 120 BPM.
    QTest::newRow("174") << 174.0 << 0.0 << 0.5 << false;
    QTest::newRow("188") << 188.0 << 0.0 << 0.5 << false;
    // Hi-hats between the beats, far louder than the kick above 2 kHz.
    QTest::newRow("120 off-beat hats") << 120.0 << 2.0 << 0.5 << false;
    QTest::newRow("90 off-beat hats") << 90.0 << 2.0 << 0.5 << false;
    QTest::newRow("128 after 4 s of silence") << 128.0 << 0.3 << 4.0 << false;
}

void TestBeatAnalysis::steadyTempo()
{
    QFETCH(double, bpm);
    QFETCH(double, hatGain);
    QFETCH(double, introS);
    QFETCH(bool, bFlac);
    Drums d;
    const int beats = int(std::ceil(20.0 * bpm / 60.0 / 4)) * 4;
    // Beginning on the bar's second beat, so that the first beat heard is no downbeat.
    d.bars(introS, bpm, beats, hatGain, 1);
    const QString wav = m_dir.filePath(QStringLiteral("steady.wav"));
    QVERIFY(d.writeWav(wav));
    QString file = wav;
    if (bFlac) {
        file = m_dir.filePath(QStringLiteral("steady.flac"));
        QVERIFY(ffmpeg(
            {QStringLiteral("-i"), wav, QStringLiteral("-c:a"), QStringLiteral("flac"), file}));
    }

    const BeatResult r = BeatAnalysis::analyse(file, noCache());
    QCOMPARE(r.error, BeatError::None);
    {
        double sum = 0, mx = 0;
        for (double t : r.grid.beats) {
            double b = 1e9, sg = 0;
            for (double x : d.beats)
                if (std::abs(t - x) < b) {
                    b = std::abs(t - x);
                    sg = t - x;
                }
            sum += sg;
            mx = std::max(mx, b);
        }
        qInfo("DBG bpm %.3f n %zu mean %.4f max %.4f recall %.3f bars %zu first %.3f", r.grid.bpm,
              r.grid.beats.size(), sum / r.grid.beats.size(), mx, recall(d.beats, r.grid.beats),
              r.grid.bars.size(), r.grid.beats.front());
    }
    QVERIFY2(std::abs(r.grid.bpm - bpm) <= 0.02 * bpm, qPrintable(QString::number(r.grid.bpm)));
    QVERIFY(allNear(r.grid.beats, d.beats));
    QVERIFY2(recall(d.beats, r.grid.beats) >= 0.9,
             qPrintable(QString::number(recall(d.beats, r.grid.beats))));
    QVERIFY(!r.grid.beats.empty() && r.grid.beats.front() >= introS - kTolS);
    QVERIFY(allNear(r.grid.bars, d.downbeats));
    QVERIFY(recall(d.downbeats, r.grid.bars) >= 0.8);
}

void TestBeatAnalysis::tempoChange()
{
    Drums d;
    const double change = d.bars(0.5, 95.0, 28, 0.3);
    d.bars(change, 140.0, 40, 0.3);
    const QString file = m_dir.filePath(QStringLiteral("change.wav"));
    QVERIFY(d.writeWav(file));

    const BeatResult r = BeatAnalysis::analyse(file, noCache());
    QCOMPARE(r.error, BeatError::None);
    // Both tempos, each away from the change, at their own period.
    for (const auto &[from, to, period] :
         {std::tuple{2.0, change - 3.0, 60.0 / 95}, std::tuple{change + 3.0, 30.0, 60.0 / 140}}) {
        std::vector<double> in;
        for (double t : r.grid.beats)
            if (t >= from && t <= to)
                in.push_back(t);
        QVERIFY(in.size() >= 5);
        const double mean = (in.back() - in.front()) / double(in.size() - 1);
        QVERIFY2(std::abs(mean - period) <= 0.02 * period, qPrintable(QString::number(mean)));
    }
    QVERIFY(allNear(r.grid.beats, d.beats));
    QVERIFY2(recall(d.beats, r.grid.beats) >= 0.85,
             qPrintable(QString::number(recall(d.beats, r.grid.beats))));
}

void TestBeatAnalysis::cacheByContent()
{
    const QString file = m_dir.filePath(QStringLiteral("cached.wav"));
    const QString cacheDir = m_dir.filePath(QStringLiteral("cache"));
    Drums a;
    a.bars(0.5, 110.0, 32, 0.0);
    QVERIFY(a.writeWav(file));
    const qint64 size = QFileInfo(file).size();
    BeatOptions options;
    options.cacheDir = cacheDir;
    const QString cached = BeatAnalysis::cacheFileFor(file, cacheDir);
    QVERIFY(!cached.isEmpty() && !QFile::exists(cached));

    const BeatResult first = BeatAnalysis::analyse(file, options);
    QVERIFY(!first.bFromCache && first.error == BeatError::None);
    QVERIFY(QFile::exists(cached));
    const BeatResult second = BeatAnalysis::analyse(file, options);
    QVERIFY(second.bFromCache);
    QCOMPARE(second.grid.beats.size(), first.grid.beats.size());
    QCOMPARE(second.grid.bars.size(), first.grid.bars.size());
    QVERIFY(std::abs(second.grid.bpm - first.grid.bpm) < 0.01);
    for (size_t i = 0; i < first.grid.beats.size(); ++i)
        QVERIFY(std::abs(second.grid.beats[i] - first.grid.beats[i]) < 0.001);

    // A corrupt cache is analysed again and rewritten.
    for (const QByteArray &junk : {QByteArray("{\"version\":1,\"bpm\":"),
                                   QByteArray("{\"version\":1,\"bpm\":120,\"beats\":[2,1]}")}) {
        QVERIFY(writeBytes(cached, junk));
        const BeatResult again = BeatAnalysis::analyse(file, options);
        QVERIFY(!again.bFromCache);
        QCOMPARE(again.grid.beats.size(), first.grid.beats.size());
        QVERIFY(BeatAnalysis::analyse(file, options).bFromCache);
    }

    // Without a folder of its own, the user's cache folder.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
    QCOMPARE(BeatAnalysis::defaultCacheDir(),
             m_dir.filePath(QStringLiteral("xdg/VelmoraAlbum/beats")));
    QVERIFY(BeatAnalysis::analyse(file, BeatOptions()).error == BeatError::None);
    QVERIFY(QFile::exists(BeatAnalysis::cacheFileFor(file, QString())));

    // Same name and size, other music: its own entry.
    Drums b;
    b.bars(0.5, 140.0, 32, 0.0);
    b.samples.resize(a.samples.size());
    QVERIFY(b.writeWav(file));
    QCOMPARE(QFileInfo(file).size(), size);
    const BeatResult other = BeatAnalysis::analyse(file, options);
    QVERIFY(!other.bFromCache);
    QVERIFY(std::abs(other.grid.bpm - 140.0) <= 2.8);
}

void TestBeatAnalysis::failures()
{
    const QString text = m_dir.filePath(QStringLiteral("notes.mp3"));
    QVERIFY(writeBytes(text, QByteArray("not music at all\n").repeated(100)));
    const BeatResult unreadable = BeatAnalysis::analyse(text, noCache());
    QCOMPARE(unreadable.error, BeatError::Unreadable);
    QVERIFY(unreadable.code < 0 && unreadable.reason.contains(text));
    QVERIFY(unreadable.grid.beats.empty());

    // Silence: no beat, and no error.
    Drums quiet;
    quiet.samples.assign(size_t(10 * kRate), 0.0f);
    const QString silent = m_dir.filePath(QStringLiteral("silent.wav"));
    QVERIFY(quiet.writeWav(silent));
    const BeatResult none = BeatAnalysis::analyse(silent, noCache());
    QCOMPARE(none.error, BeatError::None);
    QVERIFY(none.grid.beats.empty() && none.grid.bpm == 0.0);

    // Sound without a pulse (a held tone, noise): no beat either, rather than an arbitrary grid.
    for (const char *source : {"sine=f=220:d=12", "anoisesrc=d=20:c=pink:a=0.3:seed=3"}) {
        const QString steady = m_dir.filePath(QStringLiteral("steady-%1.wav").arg(source[0]));
        QVERIFY(ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QLatin1String(source), steady}));
        const BeatResult flat = BeatAnalysis::analyse(steady, noCache());
        QCOMPARE(flat.error, BeatError::None);
        QVERIFY2(flat.grid.beats.empty(), source);
    }

    // Cancelled part-way: the flag is raised from the progress report.
    Drums d;
    d.bars(0.5, 120.0, 40, 0.0);
    const QString file = m_dir.filePath(QStringLiteral("cancel.wav"));
    QVERIFY(d.writeWav(file));
    std::atomic<bool> cancel{false};
    std::vector<double> reports;
    BeatOptions options = noCache();
    options.cancel = &cancel;
    options.progress = [&](double at) {
        reports.push_back(at);
        if (at > 0.3)
            cancel = true;
    };
    const BeatResult stopped = BeatAnalysis::analyse(file, options);
    QCOMPARE(stopped.error, BeatError::Cancelled);
    QVERIFY(stopped.grid.beats.empty() && !stopped.reason.isEmpty());

    cancel = false;
    reports.clear();
    options.progress = [&](double at) { reports.push_back(at); };
    QCOMPARE(BeatAnalysis::analyse(file, options).error, BeatError::None);
    QVERIFY(std::is_sorted(reports.begin(), reports.end()));
    QCOMPARE(reports.back(), 1.0);
}

QTEST_GUILESS_MAIN(TestBeatAnalysis)
#include "tst_beatanalysis.moc"
