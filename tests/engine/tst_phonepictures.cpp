// Pictures from a phone's camera roll: HEIC and AVIF through libheif, WebP still and animated,
// and files that only look like pictures (video clips, cut files).
#include "framegraph.h"
#include "heifmedia.h"
#include "imagedecoder.h"
#include "pictureheader.h"
#include "testmedia.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Blue, with a red square in its top-left corner, so that a turn or a mirror shows.
QImage markedPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    QPainter(&img).fillRect(0, 0, w / 5, h / 5, QColor(255, 0, 0));
    return img;
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QString colourText(QColor c)
{
    return QStringLiteral("%1,%2,%3,%4").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

// "%1(%2) — words", as every refusal reads.
void verifyReport(const QString &report, const QString &message, const QString &reason)
{
    QVERIFY2(report.startsWith(message + QLatin1Char('(')), qPrintable(report));
    QVERIFY2(report.endsWith(QStringLiteral(") — ") + reason), qPrintable(report));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the size an `ispe` box gives, as a file that claims a larger picture would.
QByteArray claimingSize(QByteArray heif, quint32 w, quint32 h)
{
    const int at = heif.indexOf("ispe");
    if (at < 0)
        qFatal("no ispe box");
    for (int i = 0; i < 4; ++i) {
        heif[at + 8 + i] = char((w >> (24 - 8 * i)) & 0xFF);
        heif[at + 12 + i] = char((h >> (24 - 8 * i)) & 0xFF);
    }
    return heif;
}

const char *formatName(heif_compression_format format)
{
    return format == heif_compression_AV1 ? "AVIF (aom)" : "HEIC (x265)";
}

} // namespace

class TestPhonePictures : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    // Writes a HEIF picture, or skips the test when this libheif cannot encode the format.
    bool writeHeif(const QString &path, const QImage &image, const heifmedia::Picture &p)
    {
        QString error;
        switch (heifmedia::write(path, image, p, &error)) {
        case heifmedia::Written::Ok:
            return true;
        case heifmedia::Written::NoEncoder:
            QTest::qSkip(qPrintable(QStringLiteral("libheif has no %1 encoder here")
                                        .arg(QLatin1String(formatName(p.format)))),
                         __FILE__, __LINE__);
            return false;
        case heifmedia::Written::Failed:
            break;
        }
        QTest::qFail(qPrintable(QStringLiteral("cannot write %1: %2").arg(path, error)), __FILE__,
                     __LINE__);
        return false;
    }

    bool ffmpegPicture(const QString &path, const QString &source, const QStringList &codec)
    {
        return testmedia::ffmpeg(QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"),
                                             QStringLiteral("-i"), source} +
                                 codec + QStringList{path});
    }

    static QImage decodeWhole(const QString &path)
    {
        av::FramePtr frame = av::makeFrame();
        if (decodePictureFile(path, frame.get()) < 0)
            return QImage();
        return frameToImage(frame.get());
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void brands_data()
    {
        QTest::addColumn<QByteArray>("ftyp");
        QTest::addColumn<int>("kind");
        auto box = [](const QByteArray &major, const QByteArray &compatible) {
            QByteArray b = major + QByteArray(4, '\0') + compatible;
            const int size = b.size() + 8;
            return QByteArray(1, char(0)) + char(0) + char(size >> 8) + char(size & 0xFF) + "ftyp" +
                   b;
        };
        QTest::newRow("iPhone heic") << box("heic", "mif1heic") << int(PictureHeader::Heic);
        QTest::newRow("generic mif1 with heic")
            << box("mif1", "mif1heic") << int(PictureHeader::Heic);
        QTest::newRow("avif") << box("avif", "avifmif1miafMA1B") << int(PictureHeader::Avif);
        QTest::newRow("mif1 that is avif") << box("mif1", "mif1avif") << int(PictureHeader::Avif);
        QTest::newRow("mp4 video") << box("isom", "isomiso2avc1mp41") << int(PictureHeader::Other);
        QTest::newRow("quicktime video") << box("qt  ", "qt  ") << int(PictureHeader::Other);
    }
    void brands()
    {
        QFETCH(QByteArray, ftyp);
        QTEST(int(heifKind(ftyp + QByteArray(64, '\0'))), "kind");
    }

    // The picture's own rotation is applied; an EXIF orientation inside a HEIF is not (the
    // decoders of the platforms that write these files show them that way too).
    void upright_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("exif");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("markAtRight");
        for (auto format : {heif_compression_HEVC, heif_compression_AV1}) {
            const char *name = format == heif_compression_AV1 ? "avif" : "heic";
            QTest::addRow("%s turned by irot", name)
                << int(format) << int(heif_orientation_rotate_90_cw) << 0 << QSize(240, 320)
                << true;
            QTest::addRow("%s with EXIF orientation 6 only", name)
                << int(format) << int(heif_orientation_normal) << 6 << QSize(320, 240) << false;
        }
    }
    void upright()
    {
        QFETCH(int, format);
        QFETCH(int, orientation);
        QFETCH(int, exif);
        QFETCH(QSize, size);
        QFETCH(bool, markAtRight);
        heifmedia::Picture p;
        p.format = heif_compression_format(format);
        p.orientation = heif_orientation(orientation);
        p.exifOrientation = exif;
        const QString path = dir.filePath(
            QStringLiteral("upright-%1-%2-%3.heif").arg(format).arg(orientation).arg(exif));
        if (!writeHeif(path, markedPicture(320, 240), p))
            return;
        const PictureHeader hdr = readPictureHeader(path);
        QVERIFY(hdr.known);
        QCOMPARE(int(hdr.kind),
                 int(format == heif_compression_AV1 ? PictureHeader::Avif : PictureHeader::Heic));
        QCOMPARE(hdr.upright(), size);

        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, size);
        QCOMPARE(r.thumbnail.size(), fitEvenSize(size.width(), size.height(), 120, 80));
        QVERIFY(r.notice.isEmpty());

        const QImage whole = decodeWhole(path);
        QCOMPARE(whole.size(), size);
        const QPoint left(size.width() / 20, size.height() / 20);
        const QPoint right(size.width() - 1 - size.width() / 20, size.height() / 20);
        const QColor red(255, 0, 0), blue(0, 0, 255);
        const QColor atLeft = whole.pixelColor(left), atRight = whole.pixelColor(right);
        QVERIFY2(near(atLeft, markAtRight ? blue : red, 40), qPrintable(colourText(atLeft)));
        QVERIFY2(near(atRight, markAtRight ? red : blue, 40), qPrintable(colourText(atRight)));
    }

    // The strip takes the file's own thumbnail when it covers the tile, and decodes the picture
    // otherwise; the size reported is the picture's either way.
    void thumbnailFromFile_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QColor>("seen");
        QTest::newRow("320 thumbnail, taken") << 320 << QColor(0, 255, 0);
        QTest::newRow("64 thumbnail, smaller than a tile") << 64 << QColor(0, 0, 255);
    }
    void thumbnailFromFile()
    {
        QFETCH(int, box);
        QFETCH(QColor, seen);
        heifmedia::Picture p;
        p.thumbnailBox = box;
        // A thumbnail that differs from its picture tells which of them was decoded.
        p.thumbnailImage = QImage(1600, 1200, QImage::Format_RGB32);
        p.thumbnailImage.fill(QColor(0, 255, 0));
        QImage primary(1600, 1200, QImage::Format_RGB32);
        primary.fill(QColor(0, 0, 255));
        const QString path = dir.filePath(QStringLiteral("thumb%1.heic").arg(box));
        if (!writeHeif(path, primary, p))
            return;
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(1600, 1200));
        QCOMPARE(r.thumbnail.size(), QSize(106, 80));
        const QColor centre = r.thumbnail.pixelColor(53, 40);
        QVERIFY2(near(centre, seen, 30), qPrintable(colourText(centre)));
        // The export decodes the picture itself.
        const QColor exported = decodeWhole(path).pixelColor(800, 600);
        QVERIFY2(near(exported, QColor(0, 0, 255), 30), qPrintable(colourText(exported)));
    }

    void tenBitHeic()
    {
        heifmedia::Picture p;
        p.bitDepth = 10;
        const QString path = dir.filePath(QStringLiteral("deep.heic"));
        QImage img(320, 240, QImage::Format_RGB32);
        img.fill(QColor(40, 120, 200));
        QString error;
        switch (heifmedia::write(path, img, p, &error)) {
        case heifmedia::Written::Ok:
            break;
        case heifmedia::Written::NoEncoder:
            QSKIP("libheif has no HEVC encoder here");
        case heifmedia::Written::Failed:
            QSKIP(qPrintable(QStringLiteral("this x265 cannot write 10 bits: %1").arg(error)));
        }
        {
            // The file is what it claims to be: 10 bits a sample.
            heif_context *ctx = heif_context_alloc();
            heif_image_handle *handle = nullptr;
            const bool read =
                heif_context_read_from_file(ctx, QFile::encodeName(path).constData(), nullptr)
                        .code == heif_error_Ok &&
                heif_context_get_primary_image_handle(ctx, &handle).code == heif_error_Ok;
            const int bits = read ? heif_image_handle_get_luma_bits_per_pixel(handle) : 0;
            if (handle)
                heif_image_handle_release(handle);
            heif_context_free(ctx);
            QCOMPARE(bits, 10);
        }
        const QImage whole = decodeWhole(path);
        QCOMPARE(whole.size(), QSize(320, 240));
        const QColor centre = whole.pixelColor(160, 120);
        QVERIFY2(near(centre, QColor(40, 120, 200), 12), qPrintable(colourText(centre)));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(320, 240));
    }

    // Alpha is kept, to lie over the backdrop as a PNG's does.
    void alphaKept_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("lossy webp") << "alpha-lossy.webp";
        QTest::newRow("lossless webp") << "alpha-lossless.webp";
        QTest::newRow("heic") << "alpha.heic";
    }
    void alphaKept()
    {
        QFETCH(QString, name);
        const QString path = dir.filePath(name);
        if (name.endsWith(QLatin1String(".heic"))) {
            QImage img(64, 48, QImage::Format_ARGB32);
            img.fill(QColor(255, 0, 0, 128));
            heifmedia::Picture p;
            p.alpha = true;
            if (!writeHeif(path, img, p))
                return;
        } else {
            QVERIFY(ffmpegPicture(
                path, QStringLiteral("color=c=red@0.5:s=64x48,format=rgba"),
                {QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-c:v"),
                 QStringLiteral("libwebp"), QStringLiteral("-lossless"),
                 name.contains(QLatin1String("lossless")) ? QStringLiteral("1")
                                                          : QStringLiteral("0")}));
        }
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(64, 48));
        QVERIFY(r.thumbnail.hasAlphaChannel());
        const int alpha =
            r.thumbnail.pixelColor(r.thumbnail.width() / 2, r.thumbnail.height() / 2).alpha();
        QVERIFY2(std::abs(alpha - 128) <= 12, qPrintable(QString::number(alpha)));
    }

    // Its first frame, and a notice that the others are not shown.
    void animatedWebp()
    {
        const QString path = dir.filePath(QStringLiteral("animated.webp"));
        QVERIFY(ffmpegPicture(path,
                              QStringLiteral("nullsrc=s=64x48:r=5:d=0.6,format=rgb24,"
                                             "geq=r='if(eq(N,0),255,0)':g=0:b='if(eq(N,0),0,255)'"),
                              {QStringLiteral("-c:v"), QStringLiteral("libwebp_anim"),
                               QStringLiteral("-lossless"), QStringLiteral("1"),
                               QStringLiteral("-loop"), QStringLiteral("0")}));
        const PictureHeader hdr = readPictureHeader(path);
        QVERIFY(hdr.animated);
        QVERIFY2(hdr.frames >= 2, qPrintable(QString::number(hdr.frames)));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(64, 48));
        QCOMPARE(r.notice, QStringLiteral("an animated picture: only its first frame is shown"));
        const QColor first = decodeWhole(path).pixelColor(32, 24);
        QVERIFY2(near(first, QColor(255, 0, 0), 8), qPrintable(colourText(first)));

        // A still WebP has nothing to say.
        const QString still = dir.filePath(QStringLiteral("still.webp"));
        QVERIFY(ffmpegPicture(still, QStringLiteral("testsrc=s=64x48"),
                              {QStringLiteral("-frames:v"), QStringLiteral("1"),
                               QStringLiteral("-c:v"), QStringLiteral("libwebp")}));
        const ImageDecoder::Result s = ImageDecoder::decodeFile(still, false);
        QVERIFY2(s.ok, qPrintable(s.report));
        QVERIFY(s.notice.isEmpty());
    }

    // A film is never taken for a still of its first frame, whatever its name says: it comes in
    // as a clip.
    void videoRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("mp4") << "clip.mp4";
        QTest::newRow("mp4 named .jpg") << "clip-mp4.jpg";
        QTest::newRow("matroska named .webp") << "clip-mkv.webp";
    }
    void videoRefused()
    {
        QFETCH(QString, name);
        const QString path = dir.filePath(name);
        const bool mkv = name.contains(QLatin1String("mkv"));
        QVERIFY(ffmpegPicture(
            path, QStringLiteral("testsrc=s=64x48:r=10:d=1"),
            {QStringLiteral("-c:v"), mkv ? QStringLiteral("mpeg4") : QStringLiteral("libx264"),
             QStringLiteral("-f"), mkv ? QStringLiteral("matroska") : QStringLiteral("mp4")}));
        for (bool justCheck : {false, true}) {
            const ImageDecoder::Result r = ImageDecoder::decodeFile(path, justCheck);
            QVERIFY2(r.ok, qPrintable(r.report));
            QVERIFY(r.clip.duration > 0);
            QCOMPARE(r.srcSize, QSize(64, 48));
        }
        av::FramePtr frame = av::makeFrame();
        QVERIFY(decodePictureFile(path, frame.get()) < 0);
    }

    // Content decides: a HEIC saved as .jpg is a HEIC.
    void heicNamedJpg()
    {
        const QString path = dir.filePath(QStringLiteral("IMG_0001.jpg"));
        if (!writeHeif(path, markedPicture(320, 240), heifmedia::Picture()))
            return;
        QCOMPARE(int(readPictureHeader(path).kind), int(PictureHeader::Heic));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(320, 240));
    }

    // The limits of each kind are named in the refusal, judged before anything is decoded; what
    // is kept is no more than 4096 a side.
    void limits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("claimed");
        QTest::addColumn<QString>("words");
        QTest::newRow("heic") << "big.heic" << QSize(9000, 6000)
                              << "larger than 8192 × 8192 pixels, the largest HEIC";
        QTest::newRow("avif") << "big.avif" << QSize(6000, 8200)
                              << "larger than 8192 × 8192 pixels, the largest AVIF";
        QTest::newRow("webp") << "big.webp" << QSize(8200, 6000)
                              << "larger than 8192 × 8192 pixels, the largest WebP";
    }
    void limits()
    {
        QFETCH(QString, name);
        QFETCH(QSize, claimed);
        QFETCH(QString, words);
        const QString path = dir.filePath(name);
        if (name.endsWith(QLatin1String(".webp"))) {
            // An extended header: its canvas size, less one, in 24 bits each.
            QByteArray b("RIFF\0\0\0\0WEBPVP8X\x0a\0\0\0\0\0\0\0", 24);
            for (int v : {claimed.width() - 1, claimed.height() - 1})
                b += QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF) + char(v >> 16);
            QVERIFY(testmedia::writeBytes(path, b + QByteArray(64, '\0')));
        } else {
            heifmedia::Picture p;
            if (name.endsWith(QLatin1String(".avif")))
                p.format = heif_compression_AV1;
            const QString small = dir.filePath(QStringLiteral("small-") + name);
            if (!writeHeif(small, markedPicture(64, 64), p))
                return;
            QVERIFY(
                testmedia::writeBytes(path, claimingSize(readAll(small), quint32(claimed.width()),
                                                         quint32(claimed.height()))));
        }
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY(!r.ok);
        verifyReport(r.report, QStringLiteral("Image is too large"), words);
    }
    void keptSize()
    {
        const QString path = dir.filePath(QStringLiteral("wide.heic"));
        if (!writeHeif(path, markedPicture(5000, 320), heifmedia::Picture()))
            return;
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(5000, 320));
        QCOMPARE(decodeWhole(path).size(), fitEvenSize(5000, 320, kMaxKeptSide, kMaxKeptSide));
    }

    // Cut or garbled files are damaged pictures, never shown half made.
    void damaged_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("heic cut in half") << "cut.heic";
        QTest::newRow("avif cut in half") << "cut.avif";
        QTest::newRow("heic with no boxes after its brands") << "bare.heic";
        QTest::newRow("webp cut in half") << "cut.webp";
        QTest::newRow("animated webp cut in half") << "cut-anim.webp";
    }
    void damaged()
    {
        QFETCH(QString, name);
        const QString whole = dir.filePath(QStringLiteral("whole-") + name);
        if (name == QLatin1String("cut.heic") || name == QLatin1String("bare.heic") ||
            name == QLatin1String("cut.avif")) {
            heifmedia::Picture p;
            if (name.endsWith(QLatin1String(".avif")))
                p.format = heif_compression_AV1;
            if (!writeHeif(whole, markedPicture(320, 240), p))
                return;
        } else {
            const bool animated = name.contains(QLatin1String("anim"));
            QVERIFY(ffmpegPicture(
                whole, QStringLiteral("testsrc=s=320x240:r=5:d=0.6"),
                animated ? QStringList{QStringLiteral("-c:v"), QStringLiteral("libwebp_anim")}
                         : QStringList{QStringLiteral("-frames:v"), QStringLiteral("1"),
                                       QStringLiteral("-c:v"), QStringLiteral("libwebp")}));
        }
        const QByteArray bytes = readAll(whole);
        QVERIFY(bytes.size() > 100);
        const QByteArray broken = name.startsWith(QLatin1String("bare"))
                                      ? bytes.left(bytes.indexOf("meta") - 4)
                                      : bytes.left(bytes.size() / 2);
        const QString path = dir.filePath(name);
        QVERIFY(testmedia::writeBytes(path, broken));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY(!r.ok);
        verifyReport(r.report, QStringLiteral("Image decode failed"),
                     QStringLiteral("damaged picture"));
    }
};

QTEST_MAIN(TestPhonePictures)
#include "tst_phonepictures.moc"
