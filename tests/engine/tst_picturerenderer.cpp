// Picture looks: motion that moves by fractions of a pixel, fills, captions, and the album's
// settings resolved per picture.
#include "album.h"
#include "framegraph.h"
#include "picturerenderer.h"
#include "pixelblend.h"
#include "testalbum.h"
#include "testmedia.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <thread>

using namespace testmedia;

namespace {

// A dark picture with one bright disc of radius r at (x, y), as a decoded frame.
av::FramePtr discPicture(int w, int h, double x, double y, double r)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(QColor(20, 20, 20));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(x, y), r, r);
    p.end();
    return imageToFrame(img);
}

// Luma centroid of the disc: found roughly by a threshold, then measured linearly (the
// background's level taken off, nothing clipped) in a window around it, as a tracker would.
QPointF centroid(const AVFrame *f)
{
    auto at = [f](int x, int y) { return double(f->data[0][y * f->linesize[0] + x]); };
    double sx = 0, sy = 0, s = 0;
    for (int y = 0; y < f->height; ++y)
        for (int x = 0; x < f->width; ++x) {
            const double v = at(x, y) > 80 ? 1 : 0;
            sx += v * x;
            sy += v * y;
            s += v;
        }
    if (s <= 0)
        return QPointF(-1, -1);
    const int cx = int(sx / s), cy = int(sy / s);
    const double background = at(0, 0);
    sx = sy = s = 0;
    for (int y = std::max(0, cy - 12); y <= std::min(f->height - 1, cy + 12); ++y)
        for (int x = std::max(0, cx - 12); x <= std::min(f->width - 1, cx + 12); ++x) {
            const double v = at(x, y) - background;
            sx += v * x;
            sy += v * y;
            s += v;
        }
    return QPointF(sx / s, sy / s);
}

int luma(const AVFrame *f, int x, int y)
{
    return f->data[0][y * f->linesize[0] + x];
}

int chromaV(const AVFrame *f, int x, int y)
{
    return f->data[2][(y / 2) * f->linesize[2] + x / 2];
}

// A bright picture with a gradient, so that any black column or row at a frame's edge is a bar.
av::FramePtr brightPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(150 + x * 100 / w, 180, 150 + y * 100 / h));
    return imageToFrame(img);
}

// The darkest luma on the frame's outermost columns and rows.
int darkestEdge(const AVFrame *f, bool columns)
{
    int darkest = 255;
    if (columns)
        for (int y = 0; y < f->height; ++y)
            darkest = std::min({darkest, luma(f, 0, y), luma(f, f->width - 1, y)});
    else
        for (int x = 0; x < f->width; ++x)
            darkest = std::min({darkest, luma(f, x, 0), luma(f, x, f->height - 1)});
    return darkest;
}

// Rows of a frame from its top (or bottom) that are black all across.
int blackRows(const AVFrame *f, bool fromTop)
{
    int rows = 0;
    for (int i = 0; i < f->height; ++i, ++rows) {
        const int y = fromTop ? i : f->height - 1 - i;
        for (int x = 0; x < f->width; ++x)
            if (luma(f, x, y) > 24)
                return rows;
    }
    return rows;
}

// A YUV420P picture of random samples: any slip of a tap or a rounding shows.
av::FramePtr noisyPicture(int w, int h, quint32 seed)
{
    av::FramePtr f = av::makeFrame();
    f->format = AV_PIX_FMT_YUV420P;
    f->width = w;
    f->height = h;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    QRandomGenerator random(seed);
    for (int plane = 0; plane < 3; ++plane)
        for (int y = 0; y < (plane ? (h + 1) / 2 : h); ++y)
            for (int x = 0; x < (plane ? (w + 1) / 2 : w); ++x)
                f->data[plane][y * f->linesize[plane] + x] = uint8_t(random.bounded(256));
    return f;
}

// The visible samples of a YUV420P frame, plane after plane.
QByteArray samples(const AVFrame *f)
{
    QByteArray all;
    for (int plane = 0; plane < 3; ++plane)
        for (int y = 0; y < (plane ? (f->height + 1) / 2 : f->height); ++y)
            all.append(reinterpret_cast<const char *>(f->data[plane] + y * f->linesize[plane]),
                       plane ? (f->width + 1) / 2 : f->width);
    return all;
}

// Frames 0, 3, 6 ... of a life of n, in the kernels of `level`.
QVector<QByteArray> drawnSteps(const PictureFrames &frames, int n, const char *level)
{
    pixelblend::forceLevel(level);
    QVector<QByteArray> out;
    av::FramePtr f = av::makeFrame();
    for (int step = 0; step < n; step += 3)
        out << (frames.render(step, n, f.get()) == 0 ? samples(f.get()) : QByteArray());
    pixelblend::forcePlainC(false);
    return out;
}

// The kernel versions this processor runs, plain C last.
QVector<const char *> kernelLevels()
{
    QVector<const char *> levels;
    for (const char *level : {"avx2", "sse2", "c"})
        if (pixelblend::forceLevel(level))
            levels << level;
    pixelblend::forcePlainC(false);
    return levels;
}

} // namespace

class TstPictureRenderer : public QObject
{
    Q_OBJECT
private slots:
    void albumSettingsResolvePerPicture();
    void motionMovesByFractionsOfAPixel();
    void stillLookMatchesTheLetterbox();
    void fillsAndCaption();
    void prepareKeepsPlainPicturesExact();
    void fixedCropIsDrawnSharp_data();
    void fixedCropIsDrawnSharp();
    void nearShapesFillTheFrameWhileMoving_data();
    void nearShapesFillTheFrameWhileMoving();
    void otherShapesKeepTheirFill();
    void captionsWrapWithinTheFrame_data();
    void captionsWrapWithinTheFrame();
    void resamplingKernelsAgree();
    void stillAtScaleOneIsUnchanged();
    void everyKernelVersionDrawsTheSameFrame_data();
    void everyKernelVersionDrawsTheSameFrame();
    void pooledFramesAreDrawnWhole();
    void slivers();
};

void TstPictureRenderer::albumSettingsResolvePerPicture()
{
    Album &job = testAlbum();
    job.materialOrder = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    job.pictureOptions.clear();
    job.gentleMotion = false;
    job.albumFill = Fill{FillKind::Black, 0xff000000};
    QVERIFY(resolveLook(job, 0).isPlain());

    job.gentleMotion = true;
    const ResolvedLook g0 = resolveLook(job, 0), g1 = resolveLook(job, 1);
    QVERIFY(g0.moving && g1.moving);
    QVERIFY(motionRectValid(g0.from) && motionRectValid(g0.to));
    // By turns in and out, so neighbours do not repeat each other.
    QCOMPARE(g0.from, QRectF(0, 0, 1, 1));
    QCOMPARE(g1.to, QRectF(0, 0, 1, 1));

    PictureOptions own;
    own.motion.kind = MotionKind::None;
    own.fill = Fill{FillKind::Colour, 0xff336699};
    job.pictureOptions = {PictureOptions(), own};
    QVERIFY(!resolveLook(job, 1).moving); // still, though the album moves
    QCOMPARE(resolveLook(job, 1).fill.colour, QRgb(0xff336699));
    job.albumFill = Fill{FillKind::Blur, 0};
    QCOMPARE(resolveLook(job, 0).fill.kind, FillKind::Blur);
    QCOMPARE(resolveLook(job, 2).fill.kind, FillKind::Blur); // past the list: the album's

    // A custom rectangle outside the picture is not used.
    own.motion = Motion{MotionKind::Custom, QRectF(0.5, 0.5, 0.8, 0.8), QRectF(0, 0, 1, 1)};
    job.pictureOptions = {own};
    job.gentleMotion = false;
    QVERIFY(!resolveLook(job, 0).moving);
    own.motion.from = QRectF(0.1, 0.1, 0.5, 0.5);
    job.pictureOptions = {own};
    QVERIFY(resolveLook(job, 0).moving);
    QCOMPARE(motionZoom(resolveLook(job, 0)), 2.0);

    // Every preset moves, stays within the picture, and ends where its opposite starts.
    const MotionKind presets[] = {MotionKind::ZoomIn,   MotionKind::ZoomOut, MotionKind::PanLeft,
                                  MotionKind::PanRight, MotionKind::PanUp,   MotionKind::PanDown};
    for (MotionKind k : presets) {
        QRectF a, b;
        QVERIFY(presetRects(k, &a, &b));
        QVERIFY(a != b && motionRectValid(a) && motionRectValid(b));
    }
    QRectF in0, in1, out0, out1;
    presetRects(MotionKind::ZoomIn, &in0, &in1);
    presetRects(MotionKind::ZoomOut, &out0, &out1);
    QCOMPARE(in0, out1);
    QCOMPARE(in1, out0);
    QCOMPARE(easeMotion(0), 0.0);
    QCOMPARE(easeMotion(1), 1.0);
    QVERIFY(std::abs(easeMotion(0.5) - 0.5) < 1e-12);
    job.pictureOptions.clear();
    job.albumFill = Fill{FillKind::Black, 0xff000000};
}

void TstPictureRenderer::motionMovesByFractionsOfAPixel()
{
    // A pan over 60 frames moves the disc about 45 output pixels: most steps are fractions of
    // a pixel. Whole-pixel stepping shows as second differences of a pixel or more.
    av::FramePtr pic = discPicture(640, 360, 320, 180, 6);
    ResolvedLook look;
    look.moving = true;
    presetRects(MotionKind::PanRight, &look.from, &look.to);
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), 320, 180, look, &error);
    QVERIFY2(frames, qPrintable(QString::number(error)));
    QVERIFY(frames->moving());
    const int n = 60;
    QVector<double> xs;
    av::FramePtr f = av::makeFrame();
    for (int i = 0; i < n; ++i) {
        QCOMPARE(frames->render(i, n, f.get()), 0);
        QCOMPARE(f->width, 320);
        QCOMPARE(f->format, int(AV_PIX_FMT_YUV420P));
        const QPointF c = centroid(f.get());
        QVERIFY(c.x() > 0);
        QVERIFY(std::abs(c.y() - 90) < 0.6); // a pan right keeps the height
        xs.append(c.x());
    }
    // The view moves right, so the disc moves left, at rest at both ends.
    QVERIFY(xs.first() - xs.last() > 30);
    // The judder measure: second differences less their 15-frame moving average (the ease's
    // own acceleration), worst case. Whole-pixel stepping gives about half a pixel.
    QVector<double> d2;
    for (int i = 1; i + 1 < n; ++i) {
        QVERIFY(xs[i + 1] <= xs[i] + 1e-6);
        d2.append(xs[i + 1] - 2 * xs[i] + xs[i - 1]);
    }
    double worst = 0;
    for (int i = 7; i + 7 < d2.size(); ++i) {
        double mean = 0;
        for (int k = i - 7; k <= i + 7; ++k)
            mean += d2[k] / 15;
        worst = std::max(worst, std::abs(d2[i] - mean));
    }
    QVERIFY2(worst < 0.03, qPrintable(QString::number(worst)));
    QVERIFY(xs[1] - xs[0] > -0.2); // starts gently
}

void TstPictureRenderer::stillLookMatchesTheLetterbox()
{
    // A 4:3 grey picture in a 16:9 frame: the still path's letterbox, drawn by the resampler,
    // keeps the picture's level and the bars' black, with edges where the letterbox has them.
    av::FramePtr pic = av::makeFrame();
    QVERIFY(makeColorFrame(pic.get(), 400, 300, AV_PIX_FMT_YUV420P, QStringLiteral("#808080")) ==
            0);
    av::FramePtr plain(av_frame_clone(pic.get()));
    QVERIFY(preparePicture(plain.get(), 320, 180, AV_PIX_FMT_YUV420P) >= 0);
    ResolvedLook look;
    look.fill = Fill{FillKind::Colour, 0xff000000}; // black, but through the drawn path
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), 320, 180, look, &error);
    QVERIFY(frames);
    av::FramePtr drawn = av::makeFrame();
    QCOMPARE(frames->render(0, 1, drawn.get()), 0);
    int differing = 0;
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 320; ++x)
            differing += std::abs(luma(drawn.get(), x, y) - luma(plain.get(), x, y)) > 2;
    QVERIFY2(differing <= 2 * 180, qPrintable(QString::number(differing))); // edge columns only
}

void TstPictureRenderer::fillsAndCaption()
{
    // A bright square picture: a blurred fill is a darkened copy, a colour fill is the colour.
    QImage img(300, 300, QImage::Format_ARGB32);
    img.fill(QColor(230, 200, 60));
    av::FramePtr pic = imageToFrame(img);
    ResolvedLook look;
    look.fill = Fill{FillKind::Blur, 0};
    int error = 0;
    av::FramePtr f = av::makeFrame();
    auto blur = PictureFrames::create(pic.get(), 320, 180, look, &error);
    QVERIFY(blur);
    QCOMPARE(blur->render(0, 1, f.get()), 0);
    const int inside = luma(f.get(), 160, 90), bar = luma(f.get(), 10, 90);
    QVERIFY2(bar > 40 && bar < inside - 30,
             qPrintable(QStringLiteral("%1 %2").arg(bar).arg(inside)));

    look.fill = Fill{FillKind::Colour, 0xff0000ff};
    auto blue = PictureFrames::create(pic.get(), 320, 180, look, &error);
    QVERIFY(blue);
    QCOMPARE(blue->render(0, 1, f.get()), 0);
    QVERIFY(f->data[1][45 * f->linesize[1] + 5] > 200); // Cb of blue

    // A caption at the bottom centre, on the picture, leaves the top alone; Chinese included.
    look.fill = Fill{FillKind::Black, 0xff000000};
    look.caption.text = QStringLiteral("海边 Beach");
    look.caption.colour = 0xff000000;
    look.caption.effect = TextEffect::Plain;
    look.caption.sizeOfHeight = 0.1;
    auto captioned = PictureFrames::create(pic.get(), 320, 180, look, &error);
    QVERIFY(captioned);
    QCOMPARE(captioned->render(0, 1, f.get()), 0);
    int darkBottom = 0, darkTop = 0;
    for (int x = 100; x < 220; ++x) {
        for (int y = 150; y < 172; ++y)
            darkBottom += luma(f.get(), x, y) < 100;
        for (int y = 5; y < 27; ++y)
            darkTop += luma(f.get(), x, y) < 100;
    }
    QVERIFY2(darkBottom > 60, qPrintable(QString::number(darkBottom)));
    QCOMPARE(darkTop, 0);
}

void TstPictureRenderer::prepareKeepsPlainPicturesExact()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.jpg"));
    QVERIFY(writeJpeg(path, 640, 480));
    // The plain look is the letterboxed still of always, byte for byte.
    PreparedLook p = prepareLook(path, 320, 180, ResolvedLook());
    QCOMPARE(p.code, 0);
    QVERIFY(p.still && !p.frames);
    av::FramePtr expected = av::makeFrame();
    QVERIFY(decodePictureFile(path, expected.get(), lowresFor(path, 320, 180)) >= 0);
    QVERIFY(preparePicture(expected.get(), 320, 180, AV_PIX_FMT_YUV420P) >= 0);
    QCOMPARE(p.still->format, expected->format);
    for (int y = 0; y < 180; ++y)
        QVERIFY(std::memcmp(p.still->data[0] + y * p.still->linesize[0],
                            expected->data[0] + y * expected->linesize[0], 320) == 0);
    // A moving look gives frames and no still; a still with a fill gives a still.
    ResolvedLook moving;
    moving.moving = true;
    presetRects(MotionKind::ZoomIn, &moving.from, &moving.to);
    p = prepareLook(path, 320, 180, moving);
    QVERIFY(p.code == 0 && p.frames && !p.still);
    // Decoded large enough for the zoom: the source covers 1.25 times the letterbox.
    const auto *movingFrames = dynamic_cast<const PictureFrames *>(p.frames.get());
    QVERIFY(movingFrames && movingFrames->sourceSize().height() >= 180 * 1.25 - 1);
    ResolvedLook filled;
    filled.fill = Fill{FillKind::Blur, 0};
    p = prepareLook(path, 320, 180, filled);
    QVERIFY(p.code == 0 && p.still && !p.frames);
    // A broken picture names its step.
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("bad.jpg")), QByteArray("not a picture")));
    p = prepareLook(dir.filePath(QStringLiteral("bad.jpg")), 320, 180, moving);
    QVERIFY(p.code < 0 && p.message);
}

// A custom motion whose start and end are the same rectangle is a fixed crop: it shows that part
// of the picture, decoded large enough to be drawn sharp, with or without a caption.
void TstPictureRenderer::fixedCropIsDrawnSharp_data()
{
    QTest::addColumn<bool>("caption");
    QTest::newRow("alone") << false;
    QTest::newRow("with a caption") << true;
}

void TstPictureRenderer::fixedCropIsDrawnSharp()
{
    QFETCH(bool, caption);
    // Red around the crop; inside it, stripes two pixels wide, which survive only a decode at
    // least half the picture's size (the crop's own pixels, one for one, at 320 x 180).
    QImage img(1280, 720, QImage::Format_RGB32);
    img.fill(Qt::red);
    for (int y = 180; y < 540; ++y)
        for (int x = 320; x < 960; ++x)
            img.setPixel(x, y, (x / 2) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("crop.jpg"));
    QVERIFY(img.save(path, "JPEG", 98));

    Album &job = testAlbum();
    job.materialOrder = {path};
    job.gentleMotion = false;
    job.albumFill = Fill{FillKind::Black, 0xff000000};
    PictureOptions own;
    own.motion =
        Motion{MotionKind::Custom, QRectF(0.25, 0.25, 0.5, 0.5), QRectF(0.25, 0.25, 0.5, 0.5)};
    if (caption) {
        own.caption.text = QStringLiteral("Crop");
        own.caption.position = 2; // top centre: the rows below are the crop's alone
    }
    job.pictureOptions = {own};
    const ResolvedLook look = resolveLook(job, 0);
    job.pictureOptions.clear();
    QVERIFY(!look.moving);
    QVERIFY(!look.isPlain());
    QCOMPARE(motionZoom(look), 2.0);

    const PreparedLook p = prepareLook(path, 320, 180, look);
    QCOMPARE(p.code, 0);
    QVERIFY(p.still);
    const AVFrame *f = p.still.get();
    int red = 0;
    double contrast = 0;
    int samples = 0;
    for (int y = 60; y < 178; ++y)
        for (int x = 2; x < 317; ++x) {
            red += chromaV(f, x, y) > 170;
            contrast += std::abs(luma(f, x + 1, y) - luma(f, x, y));
            ++samples;
        }
    QCOMPARE(red, 0); // the crop, not the whole picture
    // Stripes of one output pixel: neighbours differ by most of the range when sharp, by next
    // to nothing when magnified from a decode of the letterbox's size.
    QVERIFY2(contrast / samples > 100, qPrintable(QString::number(contrast / samples)));
}

// Gentle motion and the presets on a picture within a tenth of the frame's shape (a 16:10
// photo in 16:9): the picture fills the frame in every frame, whichever corner it moves to.
void TstPictureRenderer::nearShapesFillTheFrameWhileMoving_data()
{
    QTest::addColumn<int>("preset"); // MotionKind; Album for the gentle motion
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("frame");
    const QSize hd(320, 180), tall(180, 320);
    QTest::newRow("gentle, 16:10 in 16:9") << int(MotionKind::Album) << QSize(640, 400) << hd;
    QTest::newRow("gentle, 17:9 in 16:9") << int(MotionKind::Album) << QSize(680, 360) << hd;
    QTest::newRow("gentle, 10:16 in 9:16") << int(MotionKind::Album) << QSize(400, 640) << tall;
    QTest::newRow("zoom in, 16:10") << int(MotionKind::ZoomIn) << QSize(640, 400) << hd;
    QTest::newRow("zoom out, 16:10") << int(MotionKind::ZoomOut) << QSize(640, 400) << hd;
    QTest::newRow("pan left, 16:10") << int(MotionKind::PanLeft) << QSize(640, 400) << hd;
    QTest::newRow("pan up, 17:9") << int(MotionKind::PanUp) << QSize(680, 360) << hd;
}

void TstPictureRenderer::nearShapesFillTheFrameWhileMoving()
{
    QFETCH(int, preset);
    QFETCH(QSize, picture);
    QFETCH(QSize, frame);
    QVERIFY(nearFrameShape(picture, frame.width(), frame.height()));
    Album &job = testAlbum();
    job.materialOrder.clear();
    for (int i = 0; i < 8; ++i)
        job.materialOrder << QStringLiteral("p");
    job.gentleMotion = preset == int(MotionKind::Album);
    job.albumFill = Fill{FillKind::Black, 0xff000000};
    PictureOptions own;
    own.motion.kind = MotionKind(preset);
    job.pictureOptions.clear();
    for (int i = 0; i < 8; ++i)
        job.pictureOptions << own;
    av::FramePtr pic = brightPicture(picture.width(), picture.height());
    av::FramePtr f = av::makeFrame();
    // Eight pictures: the gentle motion's four corners, in and out.
    for (int index = 0; index < 8; ++index) {
        const ResolvedLook look = resolveLook(job, index);
        QVERIFY(look.moving && look.fitsFrame);
        int error = 0;
        auto frames = PictureFrames::create(pic.get(), frame.width(), frame.height(), look, &error);
        QVERIFY2(frames, qPrintable(QString::number(error)));
        const int n = 12;
        for (int i = 0; i < n; ++i) {
            QCOMPARE(frames->render(i, n, f.get()), 0);
            for (bool columns : {true, false}) {
                const int darkest = darkestEdge(f.get(), columns);
                QVERIFY2(darkest > 100,
                         qPrintable(QStringLiteral("picture %1, frame %2: %3 %4")
                                        .arg(QString::number(index), QString::number(i),
                                             QString::number(darkest),
                                             columns ? QStringLiteral("columns")
                                                     : QStringLiteral("rows"))));
            }
        }
    }
    job.pictureOptions.clear();
    job.gentleMotion = false;
}

// A much wider picture keeps the fill on both sides, evenly at rest; a custom motion is shown as
// drawn, whatever the picture's shape.
void TstPictureRenderer::otherShapesKeepTheirFill()
{
    QVERIFY(!nearFrameShape(QSize(4, 3), 1920, 1080));
    QVERIFY(!nearFrameShape(QSize(3, 2), 1920, 1080));
    QVERIFY(!nearFrameShape(QSize(2, 1), 1920, 1080));
    QVERIFY(nearFrameShape(QSize(1600, 1000), 852, 480)); // 16:10 in the 480p frame
    Album &job = testAlbum();
    job.materialOrder = QStringList{QStringLiteral("p"), QStringLiteral("q")};
    job.gentleMotion = true;
    job.albumFill = Fill{FillKind::Black, 0xff000000};
    job.pictureOptions.clear();
    av::FramePtr wide = brightPicture(660, 220); // 3:1
    av::FramePtr f = av::makeFrame();
    for (int index = 0; index < 2; ++index) {
        int error = 0;
        auto frames = PictureFrames::create(wide.get(), 320, 180, resolveLook(job, index), &error);
        QVERIFY(frames);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(frames->render(i, 12, f.get()), 0);
            const int top = blackRows(f.get(), true), bottom = blackRows(f.get(), false);
            QVERIFY2(top >= 2 && bottom >= 2, qPrintable(QStringLiteral("%1 %2").arg(
                                                  QString::number(top), QString::number(bottom))));
            // The whole picture, at its start or end: the letterbox, even on both sides.
            if ((index == 0 && i == 0) || (index == 1 && i == 11))
                QVERIFY(std::abs(top - bottom) <= 1);
        }
    }
    job.gentleMotion = false;

    // A custom zoom on the 16:10 picture starts on the whole picture: bars left and right.
    PictureOptions own;
    own.motion = Motion{MotionKind::Custom, QRectF(0, 0, 1, 1), QRectF(0.1, 0.1, 0.8, 0.8)};
    job.pictureOptions = {own};
    const ResolvedLook custom = resolveLook(job, 0);
    job.pictureOptions.clear();
    QVERIFY(!custom.fitsFrame);
    av::FramePtr pic = brightPicture(640, 400);
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), 320, 180, custom, &error);
    QVERIFY(frames);
    QCOMPARE(frames->render(0, 12, f.get()), 0);
    QVERIFY(luma(f.get(), 0, 90) < 24 && luma(f.get(), 319, 90) < 24);
}

// Captions wrap to the frame less its margins, shrink to keep to their lines, and are drawn
// no larger than the frame, at any length.
void TstPictureRenderer::captionsWrapWithinTheFrame_data()
{
    QTest::addColumn<int>("chars");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<bool>("wraps"); // more than one line
    QTest::newRow("61 characters at 480p") << 61 << QSize(852, 480) << true;
    QTest::newRow("a few words at 480p") << 12 << QSize(852, 480) << false;
    QTest::newRow("1000 characters at 1080p") << 1000 << QSize(1920, 1080) << true;
    QTest::newRow("1000 characters at 4K") << 1000 << QSize(3840, 2160) << true;
}

void TstPictureRenderer::captionsWrapWithinTheFrame()
{
    QFETCH(int, chars);
    QFETCH(QSize, frame);
    QFETCH(bool, wraps);
    const int W = frame.width(), H = frame.height();
    const QString words = QStringLiteral("Sunset over the harbour at Velmora, with boats ");
    QString text;
    while (text.size() < chars)
        text += words;
    text.truncate(chars);
    // A dark grey picture filling the frame; white, plain text.
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(QColor(40, 40, 40));
    av::FramePtr pic = imageToFrame(img);
    ResolvedLook look;
    look.caption.text = text;
    look.caption.colour = 0xffffffff;
    look.caption.effect = TextEffect::Plain;
    look.caption.sizeOfHeight = 0.05;
    QElapsedTimer timer;
    timer.start();
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), W, H, look, &error);
    QVERIFY(frames);
    av::FramePtr f = av::makeFrame();
    QCOMPARE(frames->render(0, 1, f.get()), 0);
    const qint64 ms = timer.elapsed();
    const int mx = int(W * 0.03);
    int inMargins = 0, text0 = -1, text1 = -1, left = W, right = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (luma(f.get(), x, y) < 160)
                continue;
            if (x < mx || x >= W - mx)
                ++inMargins;
            text0 = text0 < 0 ? y : text0;
            text1 = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    QCOMPARE(inMargins, 0);
    QVERIFY2(text0 >= 0, "the caption is missing");
    const int fontPixels = int(std::lround(0.05 * H));
    const int rows = text1 - text0 + 1;
    if (wraps) {
        QVERIFY2(rows > fontPixels * 1.5, qPrintable(QString::number(rows)));
        // Wrapped lines fill most of the width, centred.
        QVERIFY2(right - left > (W - 2 * mx) * 0.7, qPrintable(QString::number(right - left)));
    } else {
        QVERIFY2(rows < fontPixels * 1.5, qPrintable(QString::number(rows)));
    }
    // At most four lines of the chosen size.
    QVERIFY2(rows < 4 * fontPixels * 1.5, qPrintable(QString::number(rows)));
    // Drawn into a picture no larger than the frame: a long text costs no more than a frame.
    QVERIFY2(ms < 5000, qPrintable(QString::number(ms)));
}

// The vector versions of the resampling kernels give the plain version's numbers: random rows and
// weights, odd and even tap counts, lengths around the vectors' widths, sums past 16 bits and
// past the bytes' range (clamped).
void TstPictureRenderer::resamplingKernelsAgree()
{
    QRandomGenerator random(11);
    const int width = 300;
    std::vector<std::vector<uint8_t>> lines(9, std::vector<uint8_t>(width));
    for (auto &line : lines)
        for (uint8_t &v : line)
            v = uint8_t(random.bounded(256));
    std::fill(lines[0].begin(), lines[0].begin() + 40, 255); // saturates with large weights
    std::vector<int16_t> row(width + 64);
    for (int16_t &v : row)
        v = int16_t(random.bounded(-2240, 18560)); // the pass down's range, and more
    const QVector<const char *> levels = kernelLevels();
    QVERIFY(levels.contains("c"));
    for (int taps = 1; taps <= 9; ++taps) {
        std::vector<const uint8_t *> rows;
        std::vector<int16_t> w;
        for (int k = 0; k < taps; ++k) {
            rows.push_back(lines[size_t(k)].data() + k % 3);
            w.push_back(int16_t(random.bounded(-3000, 16385)));
        }
        for (int n : {0, 1, 7, 15, 16, 17, 31, 32, 33, 200}) {
            QByteArray want;
            for (const char *level : levels) {
                pixelblend::forceLevel(level);
                std::vector<int16_t> out(size_t(n) + 1, 0x5555);
                pixelblend::resampleDown(out.data(), rows.data(), w.data(), taps, n);
                QCOMPARE(out[size_t(n)], int16_t(0x5555)); // nothing past the end
                const QByteArray got(reinterpret_cast<const char *>(out.data()), n * 2);
                if (want.isNull())
                    want = got;
                QVERIFY2(got == want, qPrintable(QStringLiteral("down, %1 taps, %2 columns, %3")
                                                     .arg(taps)
                                                     .arg(n)
                                                     .arg(QLatin1String(level))));
            }
        }
    }
    for (int span : {8, 16, 24}) {
        for (int n : {0, 1, 2, 7, 8, 9, 15, 16, 17, 33, 101}) {
            std::vector<int> start(size_t(n + 1) / 2);
            for (int &s : start)
                s = random.bounded(width - span + 1);
            std::vector<int16_t> w(pixelblend::acrossWeightCount(n, span));
            for (int16_t &v : w)
                v = int16_t(random.bounded(-1500, 4000)); // sums within 32 bits
            QByteArray want;
            for (const char *level : levels) {
                pixelblend::forceLevel(level);
                QByteArray got(n + 1, '\x5a');
                pixelblend::resampleAcross(reinterpret_cast<uint8_t *>(got.data()), row.data(),
                                           start.data(), w.data(), span, n);
                QCOMPARE(got.at(n), '\x5a');
                if (want.isNull())
                    want = got;
                QVERIFY2(got == want, qPrintable(QStringLiteral("across, span %1, %2 outputs, %3")
                                                     .arg(span)
                                                     .arg(n)
                                                     .arg(QLatin1String(level))));
            }
        }
    }
    pixelblend::forcePlainC(false);
    // The weights that give a sample alone give it back exactly, through both passes.
    const uint8_t *one[] = {lines[1].data()};
    const int16_t unit[] = {1 << pixelblend::kTapBits};
    std::vector<int16_t> down(64);
    pixelblend::resampleDown(down.data(), one, unit, 1, 64);
    std::vector<int16_t> w(pixelblend::acrossWeightCount(64, 8), 0);
    std::vector<int> start(32);
    for (int i = 0; i < 64; ++i) {
        start[size_t(i / 2)] = i - i % 2;
        w[pixelblend::acrossWeightIndex(i, i % 2, 8)] = unit[0];
    }
    down.resize(72, 0);
    std::vector<uint8_t> back(64);
    pixelblend::resampleAcross(back.data(), down.data(), start.data(), w.data(), 8, 64);
    QVERIFY(std::equal(back.begin(), back.end(), lines[1].begin()));
}

// A still picture of the frame's own size, drawn over a fill, is the picture itself, sample for
// sample: the cubic interpolates, and its fixed-point weights are exact at whole positions.
void TstPictureRenderer::stillAtScaleOneIsUnchanged()
{
    av::FramePtr pic = noisyPicture(322, 182, 5);
    ResolvedLook look;
    look.fill = Fill{FillKind::Colour, 0xff336699};
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), 322, 182, look, &error);
    QVERIFY(frames && !frames->moving());
    for (const char *level : kernelLevels()) {
        pixelblend::forceLevel(level);
        av::FramePtr f = av::makeFrame();
        QCOMPARE(frames->render(0, 1, f.get()), 0);
        QVERIFY2(samples(f.get()) == samples(pic.get()), level);
    }
    pixelblend::forcePlainC(false);
}

// Every version of the kernels draws the same frames, whatever the scale: widths that leave
// tails after the vectors, an odd number of chroma samples, a picture enlarged, one reduced to a
// tenth (wide windows), and edges that fall between samples.
void TstPictureRenderer::everyKernelVersionDrawsTheSameFrame_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRectF>("from");
    QTest::addColumn<QRectF>("to");
    QTest::newRow("gentle zoom") << QSize(500, 300) << QRectF(0, 0, 1, 1)
                                 << QRectF(0.03, 0.06, 0.9, 0.9);
    QTest::newRow("enlarged pan") << QSize(150, 90) << QRectF(0, 0.2, 0.5, 0.5)
                                  << QRectF(0.5, 0.3, 0.5, 0.5);
    QTest::newRow("tenfold zoom out")
        << QSize(1200, 900) << QRectF(0.45, 0.45, 0.1, 0.1) << QRectF(0, 0, 1, 1);
}

void TstPictureRenderer::everyKernelVersionDrawsTheSameFrame()
{
    QFETCH(QSize, picture);
    QFETCH(QRectF, from);
    QFETCH(QRectF, to);
    av::FramePtr pic = noisyPicture(picture.width(), picture.height(), 9);
    ResolvedLook look;
    look.moving = true;
    look.from = from;
    look.to = to;
    look.fill = Fill{FillKind::Blur, 0};
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), 358, 202, look, &error);
    QVERIFY2(frames, qPrintable(QString::number(error)));
    const QVector<QByteArray> plain = drawnSteps(*frames, 20, "c");
    QVERIFY(!plain.contains(QByteArray()));
    for (const char *level : kernelLevels())
        QVERIFY2(drawnSteps(*frames, 20, level) == plain, level);
}

// Frames come from a pool: a buffer used again holds the frame before it until drawn over, so
// every sample must be drawn anew. Frames drawn in one order, then in the other, then from two
// threads at once, are the same.
void TstPictureRenderer::pooledFramesAreDrawnWhole()
{
    av::FramePtr pic = noisyPicture(400, 300, 3); // 4:3 in 16:9: the fill shows at the sides
    ResolvedLook look;
    look.moving = true;
    presetRects(MotionKind::ZoomOut, &look.from, &look.to);
    look.fill = Fill{FillKind::Blur, 0};
    look.caption.text = QStringLiteral("Pool");
    int error = 0;
    auto frames = PictureFrames::create(pic.get(), 320, 180, look, &error);
    QVERIFY(frames);
    const int n = 12;
    QVector<QByteArray> forwards(n), backwards(n);
    av::FramePtr f = av::makeFrame();
    for (int step = 0; step < n; ++step) {
        QCOMPARE(frames->render(step, n, f.get()), 0);
        forwards[step] = samples(f.get());
    }
    av::FramePtr held = av::makeFrame();
    QCOMPARE(frames->render(0, n, held.get()), 0);
    for (int step = n - 1; step >= 0; --step) {
        QCOMPARE(frames->render(step, n, f.get()), 0);
        QVERIFY(f->data[0] != held->data[0]); // a frame still held is not handed out
        backwards[step] = samples(f.get());
    }
    QCOMPARE(backwards, forwards);
    QCOMPARE(samples(held.get()), forwards[0]);
    QVERIFY(forwards[0] != forwards[n - 1]);

    QVector<QByteArray> threaded[2];
    auto draw = [&](int which) {
        av::FramePtr own = av::makeFrame();
        for (int step = which; step < n; step += 2)
            threaded[which] << (frames->render(step, n, own.get()) == 0 ? samples(own.get())
                                                                        : QByteArray());
    };
    std::thread a(draw, 0), b(draw, 1);
    a.join();
    b.join();
    for (int step = 0; step < n; ++step)
        QVERIFY(threaded[step % 2][step / 2] == forwards[step]);
}

// A picture thinner than a sample of the frame covers no sample whole: it is mixed into the
// fill along one or two rows (or columns), and the fill elsewhere is left exactly as it is.
void TstPictureRenderer::slivers()
{
    const QSize shapes[] = {QSize(3000, 2), QSize(2, 3000)};
    for (QSize shape : shapes) {
        QImage img(shape, QImage::Format_RGB32);
        img.fill(Qt::white);
        av::FramePtr pic = imageToFrame(img);
        ResolvedLook look;
        look.fill = Fill{FillKind::Colour, 0xff000000};
        look.moving = true;
        look.to = QRectF(0.4, 0.4, 0.2, 0.2);
        int error = 0;
        auto frames = PictureFrames::create(pic.get(), 320, 180, look, &error);
        QVERIFY(frames);
        av::FramePtr f = av::makeFrame();
        QCOMPARE(frames->render(0, 2, f.get()), 0);
        int touched = 0;
        for (int y = 0; y < 180; ++y)
            for (int x = 0; x < 320; ++x)
                touched += luma(f.get(), x, y) != 16;
        const int across = shape.width() > shape.height() ? 320 : 180;
        QVERIFY2(
            touched > 0 && touched <= 2 * across,
            qPrintable(
                QStringLiteral("%1x%2: %3").arg(shape.width()).arg(shape.height()).arg(touched)));
        QCOMPARE(frames->render(1, 2, f.get()), 0); // zoomed in on a sliver: nothing to crash
    }
}

QTEST_MAIN(TstPictureRenderer)
#include "tst_picturerenderer.moc"
