// The music's levels: the envelope's fades and the limiter that keeps loud music under its
// ceiling, on generated sound.
#include "musicshape.h"
#include "peaklimiter.h"

#include <QtTest>

#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 48000;

// Two channels of `seconds` of sound from f(channel, sample).
template <typename F> std::vector<std::vector<float>> sound(double seconds, F f)
{
    std::vector<std::vector<float>> s(2, std::vector<float>(size_t(seconds * kRate)));
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < s[0].size(); ++i)
            s[size_t(c)][i] = float(f(c, int64_t(i)));
    return s;
}

// Runs the sound through the limiter in blocks of uneven length, as decoders hand it over.
void limit(PeakLimiter &limiter, std::vector<std::vector<float>> &s)
{
    size_t at = 0;
    for (int block = 0; at < s[0].size(); ++block) {
        const int n = int(std::min<size_t>(s[0].size() - at, block % 2 ? 1152 : 1024));
        float *planes[2] = {s[0].data() + at, s[1].data() + at};
        limiter.process(planes, n);
        at += size_t(n);
    }
}

// The largest level of the sound between its samples too (8 times oversampled, a windowed sinc
// twice as long as the limiter's own).
double truePeak(const std::vector<float> &x, size_t from)
{
    constexpr int kHalf = 24;
    double peak = 0;
    for (size_t i = std::max<size_t>(from, kHalf); i + kHalf < x.size(); ++i)
        for (int k = 0; k < 8; ++k) {
            const double t = k / 8.0;
            double v = 0;
            for (int j = 1 - kHalf; j <= kHalf; ++j) {
                const double d = t - j;
                const double window = 0.5 * (1 + std::cos(M_PI * d / (kHalf + 0.5)));
                v += x[size_t(int64_t(i) + j)] * window *
                     (d == 0 ? 1.0 : std::sin(M_PI * d) / (M_PI * d));
            }
            peak = std::max(peak, std::fabs(v));
        }
    return peak;
}

} // namespace

class TestMusicShape : public QObject
{
    Q_OBJECT
private slots:
    // A fade-out longer than the album spans the album: it starts at full level and still ends
    // in silence at the album's end.
    void fadeOutLongerThanTheAlbum()
    {
        MusicShape shape;
        shape.fadeOut = 10000000; // 10 s under a 4-second album
        const MusicEnvelope envelope(shape, 4000000, 1000);
        QCOMPARE(envelope.gainAt(0), 1.0);
        QCOMPARE(envelope.gainAt(2000), 0.5);
        QCOMPARE(envelope.gainAt(4000), 0.0);
        // A fade-out that fits is left as it is.
        shape.fadeOut = 1000000;
        const MusicEnvelope fits(shape, 4000000, 1000);
        QCOMPARE(fits.gainAt(2999), 1.0);
        QCOMPARE(fits.gainAt(3500), 0.5);
    }

    // Music twice as loud as full scale comes out under the ceiling, between its samples too,
    // and the limiter lowers it no further than it must: a steady tone is held just under it.
    void loudMusicStaysUnderTheCeiling_data()
    {
        QTest::addColumn<double>("frequency");
        QTest::newRow("bass") << 110.0;
        QTest::newRow("voice") << 997.0;
        // A quarter of the rate at 45 degrees: the samples reach only 71 % of the wave's peak.
        QTest::newRow("between the samples") << 12000.0;
    }
    void loudMusicStaysUnderTheCeiling()
    {
        QFETCH(double, frequency);
        // Rising over its first 10 ms, as music does: a jump from silence rings on its own.
        auto s = sound(0.5, [frequency](int c, int64_t i) {
            return std::min(1.0, i / 480.0) * 2.0 *
                   std::sin(2 * M_PI * frequency * i / kRate + M_PI / 4 + c);
        });
        PeakLimiter limiter(kRate, 2, kLimiterCeiling);
        limit(limiter, s);
        for (const auto &channel : s) {
            const double peak = truePeak(channel, 0);
            QVERIFY2(peak <= kLimiterCeiling * 1.01, qPrintable(QString::number(peak)));
            // Held, not crushed: the steady part sits within a decibel of the ceiling.
            const double steady = truePeak(channel, kRate / 4);
            QVERIFY2(steady > kLimiterCeiling * 0.89, qPrintable(QString::number(steady)));
        }
    }

    // A sudden burst after quiet: the gain is already down when it comes (the limiter looks
    // ahead), and recovers afterwards, so the quiet part after it is heard at its level again.
    void burstsAreCaughtAndReleased()
    {
        auto s = sound(1.0, [](int, int64_t i) {
            const double level = i >= kRate / 4 && i < kRate / 4 + 480 ? 3.0 : 0.3;
            return level * std::sin(2 * M_PI * 440.0 * i / kRate);
        });
        const auto before = s;
        PeakLimiter limiter(kRate, 2, kLimiterCeiling);
        limit(limiter, s);
        const int lag = limiter.latency();
        QVERIFY(lag > 0 && lag < kRate / 100); // a few milliseconds
        double peak = 0;
        for (float v : s[0])
            peak = std::max(peak, double(std::fabs(v)));
        QVERIFY2(peak <= kLimiterCeiling * 1.001, qPrintable(QString::number(peak)));
        // The quiet part before the burst and long after it: the input, delayed.
        for (size_t i : {size_t(kRate / 8), size_t(kRate * 7 / 8)})
            QVERIFY2(std::fabs(s[0][i + size_t(lag)] - before[0][i]) < 1e-4,
                     qPrintable(QString::number(i)));
    }

    // Below the ceiling nothing changes but the delay.
    void quietMusicPassesUnchanged()
    {
        auto s = sound(0.5, [](int c, int64_t i) {
            return 0.85 * std::sin(2 * M_PI * (300.0 + 200 * c) * i / kRate);
        });
        const auto before = s;
        PeakLimiter limiter(kRate, 2, kLimiterCeiling);
        limit(limiter, s);
        const size_t lag = size_t(limiter.latency());
        for (int c = 0; c < 2; ++c) {
            for (size_t i = 0; i < lag; ++i)
                QCOMPARE(s[size_t(c)][i], 0.0f);
            for (size_t i = 0; i + lag < s[0].size(); ++i)
                QCOMPARE(s[size_t(c)][i + lag], before[size_t(c)][i]);
        }
        // After a reset it starts again from silence.
        limiter.reset();
        float one[1] = {0.5f};
        float *planes[2] = {one, one};
        limiter.process(planes, 1);
        QCOMPARE(one[0], 0.0f);
    }
};

QTEST_APPLESS_MAIN(TestMusicShape)
#include "tst_musicshape.moc"
