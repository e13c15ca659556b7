// The frame-operation layer: geometry, graphs, conversions, decoding and watermark placement.
#include "framegraph.h"
#include "logcapture.h"
#include "testmedia.h"
#include "watermark.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

// PSNR in dB over all planes of two frames of one format and size (inf when equal).
double psnr(const AVFrame *a, const AVFrame *b)
{
    auto bytes = [](const AVFrame *f) {
        const auto format = AVPixelFormat(f->format);
        QByteArray out(av_image_get_buffer_size(format, f->width, f->height, 1), '\0');
        av_image_copy_to_buffer(reinterpret_cast<uint8_t *>(out.data()), int(out.size()), f->data,
                                f->linesize, format, f->width, f->height, 1);
        return out;
    };
    const QByteArray x = bytes(a), y = bytes(b);
    if (x.isEmpty() || x.size() != y.size())
        return 0;
    double squares = 0;
    for (int i = 0; i < x.size(); ++i)
        squares += std::pow(uchar(x[i]) - uchar(y[i]), 2);
    return squares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * x.size() / squares);
}

av::FramePtr bgraFrame(int w, int h, QColor color)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(color);
    return imageToFrame(img);
}

QColor pixelAt(const AVFrame *frame, int x, int y)
{
    return frameToImage(frame).pixelColor(x, y);
}

bool near(QColor a, QColor b, int tol = 6)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
           std::abs(a.blue() - b.blue()) <= tol;
}

} // namespace

class TestFrameGraph : public QObject
{
    Q_OBJECT
private slots:
    void letterbox_data()
    {
        QTest::addColumn<QSize>("src");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("wide 1000x500")
            << QSize(1000, 500) << QSize(1920, 1080) << QRect(0, 60, 1920, 960);
        QTest::newRow("tall 600x1000")
            << QSize(600, 1000) << QSize(1920, 1080) << QRect(636, 0, 648, 1080);
        QTest::newRow("same ratio")
            << QSize(3840, 2160) << QSize(1920, 1080) << QRect(0, 0, 1920, 1080);
        QTest::newRow("odd heights evened")
            << QSize(1001, 500) << QSize(1280, 720) << QRect(0, 41, 1280, 638);
        QTest::newRow("portrait output")
            << QSize(4000, 3000) << QSize(608, 1080) << QRect(0, 312, 608, 456);
    }
    void letterbox()
    {
        QFETCH(QSize, src);
        QFETCH(QSize, target);
        QFETCH(QRect, placed);
        const LetterboxGeometry g =
            letterboxGeometry(src.width(), src.height(), target.width(), target.height());
        QCOMPARE(QRect(g.x, g.y, g.width, g.height), placed);
    }

    // The real graph: content where the geometry says, black bars elsewhere.
    void scaleAndPadDrawsTheBars()
    {
        av::FramePtr src = bgraFrame(1000, 500, Qt::red);
        av::FramePtr dst = av::makeFrame();
        QCOMPARE(scaleAndPad(src.get(), dst.get(), 1920, 1080, QString()), 0);
        QCOMPARE(dst->width, 1920);
        QCOMPARE(dst->height, 1080);
        QCOMPARE(dst->format, int(AV_PIX_FMT_BGRA));
        QVERIFY(near(pixelAt(dst.get(), 960, 30), Qt::black));
        QVERIFY(near(pixelAt(dst.get(), 960, 61), Qt::red));
        QVERIFY(near(pixelAt(dst.get(), 960, 1018), Qt::red));
        QVERIFY(near(pixelAt(dst.get(), 960, 1021), Qt::black));
        QCOMPARE(scaleAndPad(src.get(), dst.get(), 640, 360, QStringLiteral("white")), 0);
        QVERIFY(near(pixelAt(dst.get(), 320, 5), Qt::white));
    }

    void colourFrames()
    {
        av::FramePtr f = av::makeFrame();
        QCOMPARE(makeColorFrame(f.get(), 64, 48, AV_PIX_FMT_BGRA, QString()), 0);
        QCOMPARE(f->width, 64);
        QCOMPARE(f->height, 48);
        QVERIFY(near(pixelAt(f.get(), 10, 10), Qt::white)); // empty colour text is white
        QCOMPARE(makeColorFrame(f.get(), 64, 48, AV_PIX_FMT_YUV420P, QStringLiteral("#D9D9D9")), 0);
        QCOMPARE(f->format, int(AV_PIX_FMT_YUV420P));
        QVERIFY(near(pixelAt(f.get(), 5, 5), QColor(0xD9, 0xD9, 0xD9)));
        QVERIFY(makeColorFrame(f.get(), 0, 48, AV_PIX_FMT_BGRA, QString()) < 0);
        QCOMPARE(makeColorFrame(f.get(), 8, 8, AV_PIX_FMT_BGRA, QStringLiteral("nosuchcolour")),
                 AVERROR(EINVAL));
    }

    void overlayPlacesTheTopFrame()
    {
        av::FramePtr base = bgraFrame(200, 100, Qt::blue);
        av::FramePtr top = bgraFrame(20, 10, Qt::green);
        av::FramePtr out = av::makeFrame();
        QCOMPARE(overlayFrames(base.get(), out.get(), top.get(), 150, 40), 0);
        QCOMPARE(out->width, 200);
        QVERIFY(near(pixelAt(out.get(), 155, 45), Qt::green));
        QVERIFY(near(pixelAt(out.get(), 149, 45), Qt::blue));
        QVERIFY(near(pixelAt(out.get(), 170, 45), Qt::blue));
        // A half-transparent top blends; the base is untouched.
        av::FramePtr glass = bgraFrame(20, 10, QColor(255, 255, 255, 128));
        QCOMPARE(overlayFrames(base.get(), out.get(), glass.get(), 0, 0), 0);
        const QColor mixed = pixelAt(out.get(), 5, 5);
        QVERIFY(mixed.red() > 100 && mixed.red() < 160);
        QVERIFY(near(pixelAt(base.get(), 5, 5), Qt::blue));
        // An audio frame is no destination.
        av::FramePtr audio = av::makeFrame();
        audio->nb_samples = 16;
        QCOMPARE(overlayFrames(base.get(), audio.get(), top.get(), 0, 0), AVERROR_INVALIDDATA);
    }

    void conversions()
    {
        av::FramePtr src = bgraFrame(64, 32, Qt::red);
        src->pts = 42;
        av::FramePtr dst = av::makeFrame();
        QCOMPARE(convertPixelFormat(src.get(), dst.get(), AV_PIX_FMT_BGRA), 0); // nothing to do
        QCOMPARE(convertPixelFormat(src.get(), dst.get(), AV_PIX_FMT_YUV420P), 32);
        QCOMPARE(dst->format, int(AV_PIX_FMT_YUV420P));
        QCOMPARE(dst->pts, qint64(42));
        QVERIFY(near(pixelAt(dst.get(), 30, 10), Qt::red, 10));
        QCOMPARE(scaleFrame(src.get(), dst.get(), 16, 8), 8);
        QCOMPARE(QSize(dst->width, dst->height), QSize(16, 8));
        QCOMPARE(dst->format, int(AV_PIX_FMT_BGRA));
        QVERIFY(scaleFrame(src.get(), dst.get(), 0, 8) < 0);
    }

    void imageRoundTrip()
    {
        QImage img(7, 5, QImage::Format_ARGB32); // odd width: rows must not be padded
        img.fill(Qt::transparent);
        img.setPixelColor(3, 2, QColor(10, 200, 30, 255));
        av::FramePtr f = imageToFrame(img);
        QVERIFY(f);
        QCOMPARE(f->format, int(AV_PIX_FMT_BGRA));
        QCOMPARE(f->pts, qint64(0));
        const QImage back = frameToImage(f.get());
        QCOMPARE(back.size(), img.size());
        QCOMPARE(back.pixelColor(3, 2), QColor(10, 200, 30, 255));
        QCOMPARE(back.pixelColor(0, 0).alpha(), 0);
        QVERIFY(!frameToPixmap(f.get()).isNull());
        av::FramePtr empty = av::makeFrame();
        QVERIFY(frameToImage(empty.get()).isNull());
        QVERIFY(!imageToFrame(QImage()));
    }

    void sizes_data()
    {
        QTest::addColumn<QSize>("src");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("fit");
        QTest::newRow("1920x1080 thumb") << QSize(1920, 1080) << QSize(120, 80) << QSize(120, 66);
        QTest::newRow("portrait thumb") << QSize(1080, 1920) << QSize(120, 80) << QSize(44, 80);
        QTest::newRow("5000x3 flat") << QSize(5000, 3) << QSize(120, 80) << QSize(120, 0);
        QTest::newRow("4097x10") << QSize(4097, 10) << QSize(120, 80) << QSize(120, 0);
        QTest::newRow("4096x4096") << QSize(4096, 4096) << QSize(120, 80) << QSize(80, 80);
    }
    void sizes()
    {
        QFETCH(QSize, src);
        QFETCH(QSize, box);
        QTEST(fitEvenSize(src.width(), src.height(), box.width(), box.height()), "fit");
    }

    void outputSizeAndRatio()
    {
        QCOMPARE(evenOutputSize(1080, {16, 9}), QSize(1920, 1080));
        QCOMPARE(evenOutputSize(1081, {16, 9}), QSize(1920, 1080));
        QCOMPARE(evenOutputSize(480, {16, 9}), QSize(852, 480));
        QCOMPARE(reduceRatio(1920, 1080).num, 16);
        QCOMPARE(reduceRatio(1920, 1080).den, 9);
        QCOMPARE(reduceRatio(4000, 3000).num, 4);
    }

    void watermarkPlacementGrid_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QPoint>("at");
        // 1920 x 1080 output, 200 x 40 box: margins 19 and 10.
        QTest::newRow("LeftTop") << 1 << QPoint(19, 10);
        QTest::newRow("Top") << 2 << QPoint(860, 10);
        QTest::newRow("RightTop") << 4 << QPoint(1701, 10);
        QTest::newRow("Left") << 8 << QPoint(19, 520);
        QTest::newRow("Center") << 16 << QPoint(860, 520);
        QTest::newRow("Right") << 32 << QPoint(1701, 520);
        QTest::newRow("LeftBottom") << 64 << QPoint(19, 1030);
        QTest::newRow("Bottom") << 128 << QPoint(860, 1030);
        QTest::newRow("RightBottom") << 256 << QPoint(1701, 1030);
        QTest::newRow("unknown") << 3 << QPoint(0, 0);
    }
    void watermarkPlacementGrid()
    {
        QFETCH(int, code);
        QTEST(watermarkPlacement(code, 1920, 1080, 200, 40), "at");
    }

    void pictureWatermarkShare()
    {
        QCOMPARE(pictureWatermarkPerMille(1920, 1080), 175);
        QCOMPARE(pictureWatermarkPerMille(1440, 1080), 311);
        QCOMPARE(pictureWatermarkPerMille(2160, 1080), 210);
        QCOMPARE(pictureWatermarkPerMille(608, 1080), 414);
        QCOMPARE(pictureWatermarkPerMille(1080, 1080), 311);
        // 1080 x 1920: 1080 x 0.414 = 447.12, evened to 446.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mark.png"));
        QVERIFY(testmedia::pattern(1000, 500).save(path));
        av::FramePtr mark = av::makeFrame();
        QVERIFY(makePictureWatermarkFrame(path, 1080, 1920, mark.get()) >= 0);
        QCOMPARE(QSize(mark->width, mark->height), QSize(446, 222));
    }

    void textWatermarkFrame()
    {
        QFont font;
        font.setPixelSize(48);
        av::FramePtr f = makeTextWatermarkFrame(QStringLiteral("Velmora"), font, Qt::white);
        QVERIFY(f);
        const QRect box = QFontMetrics(font).boundingRect(QStringLiteral("Velmora"));
        QCOMPARE(QSize(f->width, f->height), box.size());
        const QImage img = frameToImage(f.get());
        int opaque = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                opaque += img.pixelColor(x, y).alpha() > 200;
        QVERIFY(opaque > 50); // the glyphs were drawn
        QVERIFY(!makeTextWatermarkFrame(QString(), font, Qt::white));
    }

    // The long-lived overlay: repeated timestamps (every transition frame has pts 0) still
    // give one watermarked frame per frame pushed.
    void watermarkOverlayRepeatsTimestamps()
    {
        av::FramePtr mark = bgraFrame(10, 10, Qt::white);
        WatermarkOverlay overlay;
        QVERIFY(overlay.create(mark.get(), QPoint(5, 5), 64, 48, AV_PIX_FMT_YUV420P, {0, 1}));
        av::FramePtr canvas = av::makeFrame();
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(
                makeColorFrame(canvas.get(), 64, 48, AV_PIX_FMT_YUV420P, QStringLiteral("black")),
                0);
            canvas->pts = 0;
            QCOMPARE(overlay.apply(canvas.get()), 0);
            QCOMPARE(canvas->pts, qint64(0));
            QVERIFY(near(pixelAt(canvas.get(), 8, 8), Qt::white, 12));
            QVERIFY(near(pixelAt(canvas.get(), 30, 30), Qt::black, 12));
        }
    }

    void graphBuilderFailures()
    {
        SinkPadSpec sink{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0};
        QVERIFY(!createFilterGraph(QStringLiteral("nosuchfilter"), {}, {sink}));
        SourcePadSpec bad;
        bad.mediaType = 7;
        bad.label = QStringLiteral("in");
        QVERIFY(!createFilterGraph(QStringLiteral("null"), {bad}, {sink}));
        av::FramePtr f = av::makeFrame();
        QCOMPARE(sendFrameToGraph(nullptr, QStringLiteral("in"), f.get()), AVERROR(EINVAL));
        av::FilterGraphPtr g = createFilterGraph(
            QStringLiteral("color=size=8x8:color=red,format=pix_fmts='yuv420p'"), {}, {sink});
        QVERIFY(g);
        QCOMPARE(sendFrameToGraph(g.get(), QStringLiteral("nosuchlabel"), f.get()),
                 AVERROR(EINVAL));
        bool got = true;
        QCOMPARE(receiveFrameFromGraph(g.get(), QStringLiteral("nosuchlabel"), f.get(), &got),
                 AVERROR(EINVAL));
        QCOMPARE(receiveFrameFromGraph(g.get(), QStringLiteral("out"), f.get(), &got), 0);
        QVERIFY(got);
    }

    void decodePictures()
    {
        QTemporaryDir dir;
        av::FramePtr f = av::makeFrame();
        QCOMPARE(decodePictureFile(QString(), f.get()), AVERROR(EINVAL));
        QCOMPARE(decodePictureFile(dir.filePath(QStringLiteral("missing.jpg")), f.get()),
                 AVERROR(ENOENT));
        const QString text = dir.filePath(QStringLiteral("notes.jpg"));
        QVERIFY(
            testmedia::writeBytes(text, QByteArray("this is not a picture at all\n").repeated(40)));
        QVERIFY(decodePictureFile(text, f.get()) < 0);

        // Names that look like numbered sequences, protocols or options open the file itself.
        for (const QString &name :
             {QStringLiteral("frame%03d.jpg"), QStringLiteral("100% done.jpg"),
              QStringLiteral("pipe:1.jpg"), QStringLiteral("-dash é.png")}) {
            const QString path = dir.filePath(name);
            QVERIFY(testmedia::writeImage(path, testmedia::pattern(64, 48)));
            QCOMPARE(decodePictureFile(path, f.get()), 0);
            QCOMPARE(QSize(f->width, f->height), QSize(64, 48));
        }
        // Reduced decoding of a JPEG.
        const QString big = dir.filePath(QStringLiteral("big.jpg"));
        QVERIFY(testmedia::writeJpeg(big, 800, 600));
        QCOMPARE(decodePictureFile(big, f.get(), 2), 0);
        QCOMPARE(QSize(f->width, f->height), QSize(200, 150));
    }

    // EXIF orientation: the picture comes out upright. The source is wide with a red left
    // half; orientation 6 (rotate clockwise) puts the red on top, 8 at the bottom, 3 on the right.
    void exifOrientation_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("redAt");
        QTest::newRow("1 upright") << 1 << QSize(160, 80) << QPoint(20, 40);
        QTest::newRow("3 upside down") << 3 << QSize(160, 80) << QPoint(140, 40);
        QTest::newRow("6 rotate cw") << 6 << QSize(80, 160) << QPoint(40, 20);
        QTest::newRow("8 rotate ccw") << 8 << QSize(80, 160) << QPoint(40, 140);
        QTest::newRow("2 mirrored") << 2 << QSize(160, 80) << QPoint(140, 40);
    }
    void exifOrientation()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, size);
        QFETCH(QPoint, redAt);
        QTemporaryDir dir;
        QImage img(160, 80, QImage::Format_RGB32);
        img.fill(Qt::blue);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
                img.setPixelColor(x, y, Qt::red);
        QByteArray jpeg;
        QBuffer buf(&jpeg);
        buf.open(QIODevice::WriteOnly);
        QVERIFY(img.save(&buf, "JPEG", 95));
        const QString path = dir.filePath(QStringLiteral("exif.jpg"));
        QVERIFY(testmedia::writeBytes(path, testmedia::withExifOrientation(jpeg, orientation)));
        av::FramePtr f = av::makeFrame();
        bool transposed = false;
        QCOMPARE(decodePictureFile(path, f.get(), 0, &transposed), 0);
        QCOMPARE(QSize(f->width, f->height), size);
        QCOMPARE(transposed, size.width() < size.height());
        QVERIFY(near(pixelAt(f.get(), redAt.x(), redAt.y()), Qt::red, 40));
    }

    // A JPEG comes out as plain YUV marked full range. Through the import's, the export's and
    // the picture watermark's steps it gives what the decoder's own yuvj format gave (the frame
    // relabelled so takes the old path), above 54 dB, and swscale warns about nothing.
    void fullRangeJpegConversions_data()
    {
        QTest::addColumn<QString>("decoderFormat");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("use");
        for (const char *format : {"yuvj420p", "yuvj422p", "yuvj444p"}) {
            QTest::addRow("%s letterboxed, scaled", format)
                << format << QSize(640, 480) << "export";
            QTest::addRow("%s letterboxed, own size", format)
                << format << QSize(320, 180) << "export";
            QTest::addRow("%s thumbnail", format) << format << QSize(640, 480) << "thumbnail";
            QTest::addRow("%s watermark", format) << format << QSize(300, 200) << "watermark";
        }
    }
    void fullRangeJpegConversions()
    {
        QFETCH(QString, decoderFormat);
        QFETCH(QSize, size);
        QFETCH(QString, use);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc2=size=%1x%2:duration=1").arg(size.width()).arg(size.height()),
             QStringLiteral("-pix_fmt"), decoderFormat, QStringLiteral("-frames:v"),
             QStringLiteral("1"), path}));
        av::FramePtr decoded = av::makeFrame();
        QCOMPARE(decodePictureFile(path, decoded.get()), 0);
        QCOMPARE(decoded->color_range, AVCOL_RANGE_JPEG);
        av::FramePtr legacy(av_frame_clone(decoded.get()));
        legacy->format = av_get_pix_fmt(qPrintable(decoderFormat));
        QVERIFY(decoded->format != legacy->format);

        auto run = [&use](AVFrame *f) {
            int ret = 0;
            if (use == QLatin1String("thumbnail")) {
                ret = convertPixelFormat(f, f, AV_PIX_FMT_BGRA);
                ret = ret < 0 ? ret : scaleFrame(f, f, 120, 90);
            } else if (use == QLatin1String("watermark")) {
                av::FramePtr canvas = av::makeFrame();
                WatermarkOverlay overlay;
                ret = scaleFrame(f, f, 56, 38);
                ret =
                    ret < 0 ? ret : makeColorFrame(canvas.get(), 320, 180, AV_PIX_FMT_YUV420P, {});
                if (ret < 0 ||
                    !overlay.create(f, QPoint(10, 10), 320, 180, AV_PIX_FMT_YUV420P, {0, 1}))
                    return AVERROR(EINVAL);
                ret = overlay.apply(canvas.get());
                av_frame_unref(f);
                av_frame_move_ref(f, canvas.get());
            } else {
                ret = preparePicture(f, 320, 180, AV_PIX_FMT_YUV420P);
                ret = ret < 0 ? ret : convertPixelFormat(f, f, AV_PIX_FMT_YUV420P);
            }
            return ret;
        };
        {
            logcapture::DeprecatedFormatLog log;
            QVERIFY(run(legacy.get()) >= 0);
            QVERIFY(log.lines() > 0); // the log is really watched: the old formats do warn
        }
        logcapture::DeprecatedFormatLog log;
        QVERIFY(run(decoded.get()) >= 0);
        QCOMPARE(log.lines(), 0);
        QCOMPARE(decoded->format, legacy->format);
        if (use != QLatin1String("thumbnail"))
            QVERIFY(decoded->color_range != AVCOL_RANGE_JPEG); // the range encoders expect
        const double db = psnr(legacy.get(), decoded.get());
        QVERIFY2(db > 54, qPrintable(QStringLiteral("%1 dB").arg(db)));
    }

    void preparedPictureHasBackdropAndBars()
    {
        // A half-transparent PNG over the grey backdrop, letterboxed into 16:9.
        QImage img(100, 100, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        av::FramePtr f = imageToFrame(img);
        QCOMPARE(preparePicture(f.get(), 320, 180, AV_PIX_FMT_YUV420P), 0);
        QCOMPARE(QSize(f->width, f->height), QSize(320, 180));
        QVERIFY(near(pixelAt(f.get(), 160, 90), QColor(0xD9, 0xD9, 0xD9), 8));
        QVERIFY(near(pixelAt(f.get(), 10, 90), Qt::black, 8));

        // Odd sizes keep every pixel, down to a single one.
        for (const QSize &size : {QSize(1, 1), QSize(641, 479)}) {
            QImage odd(size, QImage::Format_ARGB32);
            odd.fill(QColor(255, 0, 0, 255));
            av::FramePtr g = imageToFrame(odd);
            QCOMPARE(preparePicture(g.get(), 320, 180, AV_PIX_FMT_YUV420P), 0);
            QCOMPARE(QSize(g->width, g->height), QSize(320, 180));
            // Red stays red. A single pixel only has to come through at all: the scalers
            // stretch it with filters wider than the picture.
            const QColor c = pixelAt(g.get(), 160, 90);
            if (size.width() > 1)
                QVERIFY2(near(c, Qt::red, 40), qPrintable(c.name()));
        }
    }
};

QTEST_MAIN(TestFrameGraph)
#include "tst_framegraph.moc"
