// SPDX-License-Identifier: GPL-3.0-or-later
// Faces: found in a picture, kept in view by every preset and the gentle motion, and the crop
// fill cut around them.
#include "album.h"
#include "albumfile.h"
#include "facedetect.h"
#include "framegraph.h"
#include "imagedecoder.h"
#include "picturerenderer.h"
#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

// Photographs with faces from Debian's opencv-doc, and where their faces are (pixels).
const QString kFacePhoto =
    QStringLiteral("/usr/share/doc/opencv-doc/opencv4/html/face_swapped.jpg");
const QRect kFaceInPhoto(105, 60, 130, 155);

const MotionKind kPresets[] = {MotionKind::ZoomIn,   MotionKind::ZoomOut, MotionKind::PanLeft,
                               MotionKind::PanRight, MotionKind::PanUp,   MotionKind::PanDown};

ResolvedLook presetLook(MotionKind kind)
{
    ResolvedLook look;
    look.fitsFrame = presetRects(kind, &look.from, &look.to);
    look.moving = look.from != look.to;
    return look;
}

ResolvedLook gentleLook(int index)
{
    ResolvedLook look;
    gentleRects(index, &look.from, &look.to);
    look.fitsFrame = true;
    look.moving = true;
    return look;
}

// The part of the picture in the frame when `view` (fractions) is drawn: the renderer centres
// the view and shows it as large as fits, so the frame's shape around it is in view.
QRectF inFrame(const QRectF &view, QSize picture, int W, int H)
{
    const double vw = view.width() * picture.width(), vh = view.height() * picture.height();
    const double scale = std::min(W / vw, H / vh);
    const double w = W / scale / picture.width(), h = H / scale / picture.height();
    return QRectF(view.center().x() - w / 2, view.center().y() - h / 2, w, h);
}

bool holds(const QRectF &outer, const QRectF &inner, double slack = 1e-9)
{
    return inner.left() >= outer.left() - slack && inner.top() >= outer.top() - slack &&
           inner.right() <= outer.right() + slack && inner.bottom() <= outer.bottom() + slack;
}

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2, %3 x %4)")
        .arg(r.x(), 0, 'f', 3)
        .arg(r.y(), 0, 'f', 3)
        .arg(r.width(), 0, 'f', 3)
        .arg(r.height(), 0, 'f', 3);
}

// Checks the faces, with their margin, in the frame at every frame of a life of `frames`; with
// `filled`, the frame is all picture throughout. With `picture`, the look is drawn through the
// renderer and its views checked; without, the resolved rectangles of a picture of `size`.
void checkEveryFrame(const ResolvedLook &look, const AVFrame *picture, QSize size, int W, int H,
                     int frames, bool filled, const QString &what)
{
    std::shared_ptr<const PictureFrames> p;
    ResolvedLook resolved;
    if (picture) {
        int error = 0;
        p = PictureFrames::create(picture, W, H, look, &error);
        QVERIFY2(p, qPrintable(what));
        size = p->sourceSize();
    } else {
        resolved = fitToFrame(look, size, W, H);
    }
    const QRectF keep = facesInView(look.faces);
    for (int step = 0; step < frames; ++step) {
        const double t = easeMotion(double(step) / (frames - 1));
        QRectF view;
        if (p) {
            const QRectF px = p->viewAt(t);
            view = QRectF(px.x() / size.width(), px.y() / size.height(), px.width() / size.width(),
                          px.height() / size.height());
        } else {
            const QRectF &a = resolved.from, &b = resolved.to;
            view = QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t,
                          a.width() + (b.width() - a.width()) * t,
                          a.height() + (b.height() - a.height()) * t);
        }
        const QRectF shown = inFrame(view, size, W, H);
        QVERIFY2(holds(shown, keep, 1e-6), qPrintable(QStringLiteral("%1, frame %2: %3 outside %4")
                                                          .arg(what)
                                                          .arg(step)
                                                          .arg(describe(keep), describe(shown))));
        // Within a source pixel's rounding: the renderer keeps the source at the size it needs.
        if (filled)
            QVERIFY2(holds(QRectF(0, 0, 1, 1), shown, 1.0 / std::min(size.width(), size.height())),
                     qPrintable(QStringLiteral("%1, frame %2: bars, %3 shown")
                                    .arg(what)
                                    .arg(step)
                                    .arg(describe(shown))));
    }
}

av::FramePtr solid(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 60));
    return imageToFrame(image);
}

// A 12 MP picture (4:3 unless told) with the photograph's face placed at `at`, `faceSide`
// pixels high.
QImage composed(const QImage &photo, QPoint at, int faceSide, QRect *face,
                QSize size = QSize(4000, 3000))
{
    QImage canvas = testmedia::pattern(size.width(), size.height(), QColor(70, 90, 110));
    const double scale = double(faceSide) / kFaceInPhoto.height();
    const QImage scaled = photo.scaled(int(photo.width() * scale), int(photo.height() * scale),
                                       Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QPoint topLeft(at.x() - int(kFaceInPhoto.x() * scale),
                         at.y() - int(kFaceInPhoto.y() * scale));
    QPainter painter(&canvas);
    painter.drawImage(topLeft, scaled);
    painter.end();
    *face = QRect(at, QSize(int(kFaceInPhoto.width() * scale), faceSide));
    return canvas;
}

} // namespace

class TestFaces : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Every preset and both gentle zooms, at three frame shapes, on pictures of three shapes,
    // with a face at each edge, each corner and the middle: the face and its margin are in
    // every frame, and a crop never shows bars. The renderer draws the wide picture cropped in
    // the tall frame; the rest is checked on the resolved rectangles.
    void facesInEveryFrame()
    {
        const QSize frames[] = {{320, 180}, {180, 320}, {240, 240}};
        const QSize pictures[] = {{400, 300}, {300, 400}, {640, 360}};
        const double places[] = {0.02, 0.5, 0.98};
        std::vector<ResolvedLook> looks;
        for (MotionKind kind : kPresets)
            looks.push_back(presetLook(kind));
        for (int i = 0; i < 8; ++i)
            looks.push_back(gentleLook(i));
        int checked = 0;
        for (const QSize &picture : pictures) {
            const av::FramePtr drawn = picture.width() == 640 ? solid(picture) : nullptr;
            for (const QSize &out : frames)
                for (double fx : places)
                    for (double fy : places)
                        for (size_t l = 0; l < looks.size(); ++l)
                            for (FillKind fill : {FillKind::Black, FillKind::Crop}) {
                                ResolvedLook look = looks[l];
                                look.keepFaces = true;
                                look.fill.kind = fill;
                                // A face a tenth of the picture's height, centred at fx, fy
                                // as far as the picture allows.
                                const double h = 0.1, w = h * picture.height() / picture.width();
                                const QRectF face(std::clamp(fx - w / 2, 0.0, 1 - w),
                                                  std::clamp(fy - h / 2, 0.0, 1 - h), w, h);
                                look.faces = {face};
                                const QString what =
                                    QStringLiteral("picture %1x%2 in %3x%4, look %5, fill %6, "
                                                   "face %7")
                                        .arg(QString::number(picture.width()),
                                             QString::number(picture.height()),
                                             QString::number(out.width()),
                                             QString::number(out.height()), QString::number(l),
                                             QString::number(int(fill)), describe(face));
                                // Drawn: the wide picture cropped into the tall frame.
                                const bool draw = fill == FillKind::Crop && out.height() == 320;
                                checkEveryFrame(look, draw ? drawn.get() : nullptr, picture,
                                                out.width(), out.height(), 24,
                                                fill == FillKind::Crop, what);
                                if (QTest::currentTestFailed())
                                    return;
                                ++checked;
                            }
        }
        QCOMPARE(checked, 3 * 3 * 9 * 14 * 2);
    }

    // Two faces far apart, wider together than the preset's part: the part widens to hold
    // both rather than cut one off.
    void facesWiderThanThePart()
    {
        const av::FramePtr frame = solid({400, 300});
        for (MotionKind kind : kPresets) {
            ResolvedLook look = presetLook(kind);
            look.keepFaces = true;
            look.faces = {QRectF(0.02, 0.3, 0.1, 0.13), QRectF(0.88, 0.5, 0.1, 0.13)};
            checkEveryFrame(look, frame.get(), QSize(400, 300), 320, 240, 12, false,
                            QStringLiteral("preset %1").arg(int(kind)));
        }
    }

    // The motion goes to the faces: a zoom in ends centred on them, a zoom out starts there, a
    // pan keeps its way; without faces, or with the option off, the look is as it always was.
    void motionTowardsTheFaces()
    {
        const QSize picture(400, 300);
        const QRectF face(0.22, 0.25, 0.08, 0.1);
        ResolvedLook in = presetLook(MotionKind::ZoomIn);
        in.keepFaces = true;
        in.faces = {face};
        const ResolvedLook zoomed = fitToFrame(in, picture, 320, 240);
        QCOMPARE(zoomed.from, QRectF(0, 0, 1, 1));
        QVERIFY(std::hypot(zoomed.to.center().x() - face.center().x(),
                           zoomed.to.center().y() - face.center().y()) < 0.2);
        QVERIFY(zoomed.to.width() < 0.81); // still a zoom, not the whole picture
        // Nearer the face than the plain zoom's end, which is the middle.
        const QRectF plainEnd = presetLook(MotionKind::ZoomIn).to;
        QVERIFY(QLineF(zoomed.to.center(), face.center()).length() <
                QLineF(plainEnd.center(), face.center()).length());

        ResolvedLook out = presetLook(MotionKind::ZoomOut);
        out.keepFaces = true;
        out.faces = {face};
        QCOMPARE(fitToFrame(out, picture, 320, 240).from, zoomed.to);

        ResolvedLook left = presetLook(MotionKind::PanLeft);
        left.keepFaces = true;
        left.faces = {QRectF(0.45, 0.1, 0.1, 0.1)};
        const ResolvedLook panned = fitToFrame(left, picture, 320, 240);
        QVERIFY(panned.moving);
        QVERIFY(panned.to.x() < panned.from.x());
        QVERIFY(panned.from.top() < 0.1); // moved up across its way, to the face

        // Gentle motion zooms towards the face rather than its corner of turn.
        ResolvedLook gentle = gentleLook(0);
        gentle.keepFaces = true;
        gentle.faces = {QRectF(0.8, 0.8, 0.1, 0.1)};
        const ResolvedLook g = fitToFrame(gentle, picture, 320, 240);
        QVERIFY(g.to.center().x() > gentleLook(0).to.center().x());
        QVERIFY(g.to.center().y() > gentleLook(0).to.center().y());

        // Off, or no faces: the same rectangles as without the option, on both paths.
        for (MotionKind kind : kPresets)
            for (QSize shape : {QSize(400, 300), QSize(320, 180)}) {
                const ResolvedLook plain = presetLook(kind);
                ResolvedLook withFaces = plain;
                withFaces.faces = {face};
                ResolvedLook noFaces = plain;
                noFaces.keepFaces = true;
                for (const ResolvedLook &l : {withFaces, noFaces}) {
                    const ResolvedLook a = fitToFrame(plain, shape, 320, 180);
                    const ResolvedLook b = fitToFrame(l, shape, 320, 180);
                    QCOMPARE(b.from, a.from);
                    QCOMPARE(b.to, a.to);
                }
            }

        // A custom motion is the user's own.
        ResolvedLook custom;
        custom.from = QRectF(0.5, 0.5, 0.5, 0.5);
        custom.to = QRectF(0.6, 0.6, 0.4, 0.4);
        custom.moving = true;
        custom.keepFaces = true;
        custom.faces = {QRectF(0, 0, 0.1, 0.1)};
        for (FillKind fill : {FillKind::Black, FillKind::Crop}) {
            custom.fill.kind = fill;
            const ResolvedLook c = fitToFrame(custom, picture, 320, 240);
            QCOMPARE(c.from, custom.from);
            QCOMPARE(c.to, custom.to);
        }
    }

    // The crop: a still wide picture in a 9:16 frame is cut to the frame's shape around its
    // face, at either edge; without faces around its middle; a face too wide for the cut shows
    // whole, with bars.
    void cropAroundTheFaces()
    {
        const QSize wide(1600, 900);
        const int W = 270, H = 480;
        ResolvedLook still;
        still.fill.kind = FillKind::Crop;
        const ResolvedLook middle = fitToFrame(still, wide, W, H);
        QVERIFY(!middle.moving);
        QVERIFY(std::fabs(middle.from.center().x() - 0.5) < 1e-9);
        QVERIFY(
            std::fabs(middle.from.width() * wide.width() / (middle.from.height() * wide.height()) -
                      double(W) / H) < 1e-6);
        for (const QRectF &face : {QRectF(0.9, 0.3, 0.08, 0.14), QRectF(0.01, 0.6, 0.08, 0.14)}) {
            ResolvedLook look = still;
            look.faces = {face};
            const ResolvedLook cut = fitToFrame(look, wide, W, H);
            QVERIFY2(holds(cut.from, facesInView(look.faces)), qPrintable(describe(cut.from)));
            QVERIFY(holds(QRectF(0, 0, 1, 1), cut.from));
            QCOMPARE(cut.from.height(), 1.0);
            // The option to keep faces is not needed for a crop to hold them.
            QVERIFY(!look.keepFaces);
        }
        ResolvedLook apart = still;
        apart.faces = {QRectF(0.05, 0.4, 0.08, 0.14), QRectF(0.85, 0.4, 0.08, 0.14)};
        const ResolvedLook both = fitToFrame(apart, wide, W, H);
        QVERIFY(holds(both.from, facesInView(apart.faces)));
        QVERIFY(holds(QRectF(0, 0, 1, 1), both.from));

        // Drawn: the crop of a still fills the frame, with no backdrop left.
        QImage image(wide, QImage::Format_RGB32);
        image.fill(Qt::white);
        const av::FramePtr picture = imageToFrame(image);
        ResolvedLook drawnLook = still;
        drawnLook.faces = {QRectF(0.9, 0.3, 0.08, 0.14)};
        int error = 0;
        const auto frames = PictureFrames::create(picture.get(), W, H, drawnLook, &error);
        QVERIFY(frames);
        av::FramePtr out = av::makeFrame();
        QCOMPARE(frames->render(0, 1, out.get()), 0);
        for (int y : {0, H / 2, H - 1})
            for (int x : {0, W / 2, W - 1})
                QVERIFY2(out->data[0][y * out->linesize[0] + x] > 200,
                         qPrintable(QStringLiteral("%1,%2: %3, view %4")
                                        .arg(x)
                                        .arg(y)
                                        .arg(out->data[0][y * out->linesize[0] + x])
                                        .arg(describe(frames->viewAt(0)))));
    }

    // The album: resolved looks carry the faces only when the album uses them; the file keeps
    // "faces" and the crop fill, and refuses a "faces" that is not true or false.
    void albumAndFile()
    {
        Album job;
        MaterialItem item;
        item.path = QStringLiteral("/p/a.jpg");
        item.facts.faces = {QRectF(0.1, 0.1, 0.1, 0.1)};
        job.materials.insert(item.path, item);
        job.materialOrder << item.path;
        job.pictureOptions.append(PictureOptions());
        QVERIFY(resolveLook(job, 0).faces.isEmpty());
        job.keepFaces = true;
        QCOMPARE(resolveLook(job, 0).faces, item.facts.faces);
        QVERIFY(resolveLook(job, 0).keepFaces);
        job.keepFaces = false;
        job.albumFill.kind = FillKind::Crop;
        QCOMPARE(resolveLook(job, 0).fill.kind, FillKind::Crop);
        QCOMPARE(resolveLook(job, 0).faces, item.facts.faces);

        StoredAlbum a;
        a.pictures = {{QStringLiteral("/l/a.jpg")}};
        a.pictures[0].fill = Fill{FillKind::Crop, 0xff000000};
        a.fill = Fill{FillKind::Crop, 0xff000000};
        a.keepFaces = true;
        const QByteArray json = serializeAlbum(a, QStringLiteral("/l"));
        QVERIFY2(json.contains(R"({"file": "a.jpg", "fill": "crop"})"), json.constData());
        QVERIFY2(json.contains("    \"fill\": \"crop\",\n    \"faces\": true,\n"),
                 json.constData());
        const AlbumReadResult r = parseAlbum(json, QStringLiteral("/l"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.album == a);
        StoredAlbum plain;
        plain.pictures = a.pictures;
        QVERIFY(!serializeAlbum(plain, QStringLiteral("/l")).contains("faces"));
        QVERIFY(
            !(parseAlbum(serializeAlbum(plain, QStringLiteral("/l")), QStringLiteral("/l")).album ==
              a));

        const AlbumReadResult bad =
            parseAlbum(R"({"velmoraalbum": 1, "pictures": [{"file": "a"}], "faces": "yes"})",
                       QStringLiteral("/l"));
        QVERIFY(!bad.ok);
        QVERIFY2(bad.error.contains(QStringLiteral("\"faces\": true or false")),
                 qPrintable(bad.error));
    }

    // A real face, placed near the edge of a 12 MP picture, is found where it is and nothing
    // else is; the answer is cached per file content; a blank or broken picture has none.
    void detection()
    {
        const QString cache = dir.filePath(QStringLiteral("cache"));
        const QString blank = dir.filePath(QStringLiteral("blank.jpg"));
        QVERIFY(testmedia::writeJpeg(blank, 1200, 800));
        QVERIFY(detectFaces(blank, cache).isEmpty());
        QVERIFY(detectFaces(dir.filePath(QStringLiteral("none.jpg")), cache).isEmpty());
        const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
        QVERIFY(testmedia::writeBytes(broken, "not a picture"));
        QVERIFY(detectFaces(broken, cache).isEmpty());
        QVERIFY(detectFacesInGrey(nullptr, 10, 10, 10).isEmpty());

        QString lastPicture;
        QImage photo(kFacePhoto);
        if (photo.isNull())
            QSKIP("opencv-doc's sample photograph is not installed");
        for (const QPoint at : {QPoint(3550, 1200), QPoint(60, 2450)}) {
            QRect face;
            const QImage picture = composed(photo, at, 420, &face);
            const QString path = dir.filePath(QStringLiteral("face-%1.jpg").arg(at.x()));
            QVERIFY(picture.save(path, "JPG", 90));
            const QVector<QRectF> found = detectFaces(path, cache);
            QCOMPARE(found.size(), 1);
            const QPointF centre(found[0].center().x() * 4000, found[0].center().y() * 3000);
            QVERIFY2(face.contains(centre.toPoint()),
                     qPrintable(QStringLiteral("%1,%2 not in the face at %3,%4")
                                    .arg(centre.x())
                                    .arg(centre.y())
                                    .arg(face.x())
                                    .arg(face.y())));
            // The box is about the face's size.
            QVERIFY(found[0].width() * 4000 > face.width() / 2 &&
                    found[0].width() * 4000 < face.width() * 2);
            // A second look comes from the cache, and a damaged cache is not trusted.
            const QStringList cached = QDir(cache).entryList({QStringLiteral("*.json")});
            QVERIFY(!cached.isEmpty());
            QCOMPARE(detectFaces(path, cache), found);
            for (const QString &name : cached) {
                QFile f(QDir(cache).filePath(name));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(R"({"faces": [[0.5, 0.5, 2, 2]]})");
            }
            QCOMPARE(detectFaces(path, cache), found);
            lastPicture = path;
        }

        // A panorama's people are small against its long side: its copy for the detector is
        // longer than a 4:3 photo's, so a face of a twentieth of its width is still found.
        QRect small;
        const QString wide = dir.filePath(QStringLiteral("panorama.jpg"));
        QVERIFY(composed(photo, QPoint(5500, 700), 330, &small, QSize(6000, 2000))
                    .save(wide, "JPG", 90));
        const QVector<QRectF> inWide = detectFaces(wide, cache);
        QCOMPARE(inWide.size(), 1);
        QVERIFY(small.contains(
            QPointF(inWide[0].center().x() * 6000, inWide[0].center().y() * 2000).toPoint()));
        QCOMPARE(faceDetectSize(6000, 2000), QSize(1897, 632));
        QCOMPARE(faceDetectSize(800, 600), QSize(800, 600));

        // The import's worker sends the faces with the picture's facts, cached in the user's
        // cache folder.
        qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("xdg")).toUtf8());
        qRegisterMetaType<PictureFacts>();
        ImageDecoder decoder;
        QSignalSpy facts(&decoder, &ImageDecoder::sig_factsRead);
        decoder.decodeRequestImpl(1, lastPicture, false);
        QCOMPARE(facts.size(), 1);
        QCOMPARE(facts[0][2].value<PictureFacts>().faces.size(), 1);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("xdg/VelmoraAlbum/faces")))
                     .entryList({QStringLiteral("*.json")})
                     .size(),
                 1);
    }
};

QTEST_MAIN(TestFaces)
#include "tst_faces.moc"
