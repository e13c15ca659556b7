// SPDX-License-Identifier: GPL-3.0-or-later
// MusicList, sample for sample: a start offset inside the crossfade, seeks, and the loop.
#include "musiclist.h"
#include "probe.h"
#include "testmedia.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

class TestMusicList : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString a, b;
    QVector<float> soundA, soundB;
    static constexpr int kRate = 44100;

private slots:
    void initTestCase()
    {
        a = dir.filePath(QStringLiteral("a.wav"));
        b = dir.filePath(QStringLiteral("b.wav"));
        const QStringList wav{QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")};
        QVERIFY(testmedia::writeSound(a, QStringLiteral("0.5*sin(2*PI*440*t)"), kRate, 2.5, wav));
        QVERIFY(testmedia::writeSound(b, QStringLiteral("0.4*sin(2*PI*660*t)"), kRate, 2.5, wav));
        int rate = 0;
        soundA = probe::audioMono(a, &rate);
        soundB = probe::audioMono(b, &rate);
        QVERIFY(soundA.size() == int(2.5 * kRate) && soundB.size() == int(2.5 * kRate));
    }

    // Each pass begins at the start offset, here 0.3 s into the 1 s crossfade; a seek lands
    // where reading on would have been.
    void startInsideTheCrossfade_data()
    {
        QTest::addColumn<int64_t>("seekUs");
        QTest::newRow("no seek") << int64_t(-1);
        QTest::newRow("later in the crossfade") << int64_t(300000);
        QTest::newRow("in b") << int64_t(1000000);
        QTest::newRow("past a pass") << int64_t(2500000);
    }
    void startInsideTheCrossfade()
    {
        QFETCH(int64_t, seekUs);
        const int start = int(1.8 * kRate), startB = int(1.5 * kRate), pass = 4 * kRate - start;
        MusicList list;
        QCOMPARE(list.open({a, b}, 1000000, 1800000, kRate, 1), 0);
        QCOMPARE(list.passSamples(), int64_t(pass));
        const int from = seekUs >= 0 ? int(seekUs * kRate / 1000000) : 0;
        if (seekUs >= 0)
            QCOMPARE(list.seek(seekUs), 0);
        av::FramePtr frame = av::makeFrame();
        for (int i = 0; i < 5 * kRate; av_frame_unref(frame.get())) {
            QCOMPARE(list.read(frame.get(), 1000), 0);
            for (int k = 0; k < frame->nb_samples; ++k, ++i) {
                const int q = start + (from + i) % pass;
                const double t = std::clamp(double(q - startB) / kRate, 0.0, 1.0);
                const double want = (q < soundA.size() ? soundA[q] * (1 - t) : 0) +
                                    (q >= startB ? soundB[q - startB] * t : 0);
                const float heard = reinterpret_cast<const float *>(frame->data[0])[k];
                QVERIFY2(std::fabs(heard - want) < 1e-3,
                         qPrintable(QStringLiteral("%1 for %2 at %3").arg(heard).arg(want).arg(i)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestMusicList)
#include "tst_musiclist.moc"
