// YuvTransition against FFmpeg's xfade, and the row kernels' versions against each other.
#include "album.h"
#include "framegraph.h"
#include "pixelblend.h"
#include "xfadereference.h"
#include "yuvtransition.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <vector>

namespace {

// A picture with smooth parts, hard edges, colour and fine detail, in 4:2:0.
av::FramePtr picture(int w, int h, quint32 seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, w, h);
    gradient.setColorAt(0, QColor::fromHsv(int(seed * 37 % 360), 200, 230));
    gradient.setColorAt(1, QColor::fromHsv(int(seed * 91 % 360), 255, 60));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate()));
        painter.drawEllipse(QPoint(random.bounded(w), random.bounded(h)), random.bounded(w / 4) + 4,
                            random.bounded(h / 4) + 4);
    }
    painter.end();
    av::FramePtr rgb = imageToFrame(image);
    av::FramePtr yuv = av::makeFrame();
    if (!rgb || !yuv || convertPixelFormat(rgb.get(), yuv.get(), AV_PIX_FMT_YUV420P) < 0)
        return nullptr;
    return yuv;
}

using xfadereference::psnr;

bool samePicture(const AVFrame *x, const AVFrame *y)
{
    return psnr(x, y) >= 99.0;
}

av::FramePtr drawn(YuvTransition &t, const AVFrame *from, const AVFrame *to, float progress)
{
    av::FramePtr out = av::makeFrame();
    return t.draw(from, to, progress, out.get()) < 0 ? nullptr : std::move(out);
}

} // namespace

class TestYuvTransition : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { pixelblend::forcePlainC(false); }

    void looksAsXfadeDraws_data()
    {
        QTest::addColumn<QByteArray>("kind");
        for (const TransitionKind &kind : kTransitionKinds)
            QTest::newRow(kind.transitionName) << QByteArray(kind.transitionName);
    }
    // Every kind of the album's table, against xfade a quarter, half and three quarters in,
    // and exactly the two pictures at the ends. The size is not a multiple of the kernels'
    // widths, so their plain tails are drawn too.
    void looksAsXfadeDraws()
    {
        QFETCH(QByteArray, kind);
        const int w = 358;
        const int h = 202;
        av::FramePtr from = picture(w, h, 1);
        av::FramePtr to = picture(w, h, 2);
        QVERIFY(from && to);
        std::unique_ptr<YuvTransition> t = YuvTransition::create(kind.constData(), w, h);
        QVERIFY(t);
        const std::vector<av::FramePtr> reference =
            xfadereference::frames(kind.constData(), from.get(), to.get(), 4);
        QCOMPARE(reference.size(), size_t(4));
        for (int step = 1; step <= 3; ++step) {
            const float progress = YuvTransition::progressAt(step, 4);
            av::FramePtr ours = drawn(*t, from.get(), to.get(), progress);
            QVERIFY(ours);
            const double db = psnr(ours.get(), reference[step].get());
            QVERIFY2(db >= 40.0, qPrintable(QStringLiteral("%1 at %2: %3 dB")
                                                .arg(QString::fromLatin1(kind))
                                                .arg(double(progress))
                                                .arg(db)));
        }
        av::FramePtr start = drawn(*t, from.get(), to.get(), 1.f);
        av::FramePtr end = drawn(*t, from.get(), to.get(), 0.f);
        QVERIFY(start && end);
        QVERIFY(samePicture(start.get(), from.get()));
        QVERIFY(samePicture(end.get(), to.get()));
    }

    // The SIMD kernels give the plain version's bytes, at every length and weight.
    void kernelsAgree()
    {
        QRandomGenerator random(7);
        const int n = 301;
        std::vector<uint8_t> a(n), b(n), fast(n), plain(n);
        std::vector<uint16_t> m(n), mFast(n), mPlain(n);
        std::vector<float> field(n);
        for (int i = 0; i < n; ++i) {
            a[i] = uint8_t(random.bounded(256));
            b[i] = uint8_t(random.bounded(256));
            m[i] = uint16_t(random.bounded(257));
            field[i] = float(random.bounded(4.0) - 2.0);
        }
        m[0] = 0;
        m[1] = pixelblend::kOne;
        a[2] = b[2] = 255;
        m[2] = 255;
        const auto run = [&](bool bPlain, std::vector<uint8_t> &out, std::vector<uint16_t> &w,
                             int len, float k, bool invert) {
            pixelblend::forcePlainC(bPlain);
            pixelblend::blend(out.data(), a.data(), b.data(), m.data(), len);
            QByteArray all(reinterpret_cast<const char *>(out.data()), len);
            pixelblend::blendConst(out.data(), a.data(), b.data(), 77, len);
            all += QByteArray(reinterpret_cast<const char *>(out.data()), len);
            pixelblend::blend3Const(out.data(), a.data(), b.data(), 100, 90, 127, 66, len);
            all += QByteArray(reinterpret_cast<const char *>(out.data()), len);
            pixelblend::smoothWeights(w.data(), field.data(), k, invert, len);
            all += QByteArray(reinterpret_cast<const char *>(w.data()), len * 2);
            return all;
        };
        for (int len : {0, 1, 15, 16, 17, 31, 32, 33, 64, 301})
            for (bool invert : {false, true}) {
                const QByteArray want = run(true, plain, mPlain, len, 0.3f, invert);
                QCOMPARE(run(false, fast, mFast, len, 0.3f, invert), want);
            }
        // Weights are exact at the ends: 256 gives a, 0 gives b.
        pixelblend::blend(fast.data(), a.data(), b.data(), m.data(), 3);
        QCOMPARE(int(fast[0]), int(b[0]));
        QCOMPARE(int(fast[1]), int(a[1]));
        QCOMPARE(int(fast[2]), 255);
    }

    // The same frame whichever version of the kernels draws it, for the kinds that blend.
    void sameFrameWithoutSimd()
    {
        av::FramePtr from = picture(200, 120, 3);
        av::FramePtr to = picture(200, 120, 4);
        for (const char *kind : {"radial", "circleopen", "smoothleft", "fadewhite", "hblur"}) {
            std::unique_ptr<YuvTransition> t = YuvTransition::create(kind, 200, 120);
            av::FramePtr fast = drawn(*t, from.get(), to.get(), 0.4f);
            pixelblend::forcePlainC(true);
            av::FramePtr plain = drawn(*t, from.get(), to.get(), 0.4f);
            pixelblend::forcePlainC(false);
            QVERIFY(fast && plain);
            QVERIFY2(samePicture(fast.get(), plain.get()), kind);
        }
    }

    void refusesWhatItCannotDraw()
    {
        QVERIFY(!YuvTransition::create("dissolve", 64, 48));
        QVERIFY(!YuvTransition::create("fadeblack", 63, 48));
        QVERIFY(!YuvTransition::create(nullptr, 64, 48));
        std::unique_ptr<YuvTransition> t = YuvTransition::create("fadeblack", 64, 48);
        av::FramePtr small = picture(32, 24, 1);
        av::FramePtr right = picture(64, 48, 1);
        av::FramePtr out = av::makeFrame();
        QCOMPARE(t->draw(small.get(), right.get(), 0.5f, out.get()), AVERROR(EINVAL));
        av::FramePtr rgb = av::makeFrame();
        QVERIFY(convertPixelFormat(right.get(), rgb.get(), AV_PIX_FMT_RGB24) >= 0);
        QCOMPARE(t->draw(rgb.get(), right.get(), 0.5f, out.get()), AVERROR(EINVAL));
        // xfade's progress: 1 at the first step, never below 0.
        QCOMPARE(YuvTransition::progressAt(0, 50), 1.f);
        QCOMPARE(YuvTransition::progressAt(25, 50), 0.5f);
        QCOMPARE(YuvTransition::progressAt(60, 50), 0.f);
    }
};

QTEST_GUILESS_MAIN(TestYuvTransition)
#include "tst_yuvtransition.moc"
