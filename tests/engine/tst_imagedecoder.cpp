// ImageDecoder: limits, messages, thumbnails, and the worker thread round trip.
#include "album.h"
#include "framegraph.h"
#include "imagedecoder.h"
#include "pictureheader.h"
#include "testmedia.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <QImageWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <unistd.h>

namespace {

// A PNG that claims a size in its header but carries no picture data worth the name; with a
// bit depth and colour type, and a tRNS chunk (a transparent colour) before its data if asked.
QByteArray pngHeaderClaiming(quint32 w, quint32 h, int depth = 8, int colourType = 2,
                             bool transparentColour = false)
{
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    b += QByteArray("\x00\x00\x00\x0dIHDR", 8);
    for (quint32 v : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            b += char((v >> s) & 0xFF);
    b += char(depth);
    b += char(colourType);
    b += QByteArray(3, '\0');
    b += QByteArray(4, '\0'); // CRC: never checked before the size is refused
    if (transparentColour) {
        b += QByteArray("\x00\x00\x00\x06tRNS", 8) + QByteArray(6, '\0');
        b += QByteArray(4, '\0');
    }
    b += QByteArray("\x00\x00\x00\x10IDAT", 8);
    b += QByteArray(200, 'x');
    return b;
}

// A progressive JPEG whose frame header claims another size.
QByteArray progressiveJpegClaiming(int w, int h);

QByteArray jpegBytes(int w, int h, int exifOrientation = 0, bool progressive = false)
{
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    QImageWriter writer(&buf, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(testmedia::pattern(w, h));
    return exifOrientation ? testmedia::withExifOrientation(jpeg, exifOrientation) : jpeg;
}

// A small JPEG whose frame header claims another size (the decoder never gets that far).
QByteArray jpegClaiming(int w, int h)
{
    QByteArray b = jpegBytes(64, 48);
    const int sof = b.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        qFatal("no baseline frame header");
    b[sof + 5] = char(h >> 8);
    b[sof + 6] = char(h & 0xFF);
    b[sof + 7] = char(w >> 8);
    b[sof + 8] = char(w & 0xFF);
    return b;
}

QByteArray progressiveJpegClaiming(int w, int h)
{
    QByteArray b = jpegBytes(64, 48, 0, true);
    const int sof = b.indexOf(QByteArray("\xFF\xC2", 2));
    if (sof < 0)
        qFatal("no progressive frame header");
    b[sof + 5] = char(h >> 8);
    b[sof + 6] = char(h & 0xFF);
    b[sof + 7] = char(w >> 8);
    b[sof + 8] = char(w & 0xFF);
    return b;
}

QByteArray pngBytes(int w, int h)
{
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    testmedia::pattern(w, h).save(&buf, "PNG");
    return png;
}

// "%1(%2) — words": the step's message, FFmpeg's text in parentheses, then the plain words.
void verifyReport(const QString &report, const QString &message, const QString &reason)
{
    QVERIFY2(report.startsWith(message + QLatin1Char('(')), qPrintable(report));
    const QString tail = QStringLiteral(") — ") + reason;
    QVERIFY2(report.endsWith(tail), qPrintable(report));
    QVERIFY2(report.size() > message.size() + tail.size() + 1, qPrintable(report));
}

} // namespace

class TestImageDecoder : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    QString picture(const QString &name, int w, int h, const char *format = nullptr)
    {
        const QString path = dir.filePath(name);
        if (!testmedia::pattern(w, h).save(path, format))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void accepted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("thumb");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::newRow("1920x1080 jpeg")
            << "hd.jpg" << QSize(1920, 1080) << QSize(120, 66) << 16 << 9;
        QTest::newRow("portrait png") << "tall.png" << QSize(600, 1000) << QSize(48, 80) << 3 << 5;
        QTest::newRow("4096x4096 at the limit")
            << "max.jpg" << QSize(4096, 4096) << QSize(80, 80) << 1 << 1;
        QTest::newRow("odd 333x777 jpeg")
            << "odd.jpg" << QSize(333, 777) << QSize(34, 80) << 3 << 7;
    }
    void accepted()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QString path = picture(name, size.width(), size.height());
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, size);
        QTEST(r.thumbnail.size(), "thumb");
        QTEST(r.widthToHeight.num, "num");
        QTEST(r.widthToHeight.den, "den");
        // Check-only mode: the same answers without a thumbnail.
        const ImageDecoder::Result c = ImageDecoder::decodeFile(path, true);
        QVERIFY(c.ok);
        QVERIFY(c.thumbnail.isNull());
        QCOMPARE(c.srcSize, size);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: a real picture of `size`
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        const QByteArray real;
        const QString tooLarge = QStringLiteral("larger than 4096 × 4096 pixels");
        const QString tooLargePng =
            QStringLiteral("larger than 8192 × 8192 pixels, the largest PNG");
        const QString tooLargeJpeg =
            QStringLiteral("larger than 16384 × 16384 pixels, the largest JPEG");
        const QString abnormal = QStringLiteral("far too wide or too tall to show");
        QTest::newRow("header claims 8193x4000 png")
            << "big.png" << pngHeaderClaiming(8193, 4000) << QSize() << "Image is too large"
            << tooLargePng;
        QTest::newRow("header claims 16385x9000 jpeg")
            << "big.jpg" << jpegClaiming(16385, 9000) << QSize() << "Image is too large"
            << tooLargeJpeg;
        QTest::newRow("4097x10 ratio first")
            << "strip.png" << real << QSize(4097, 10) << "Image ratio is abnormal" << abnormal;
        QTest::newRow("5000x3 flat")
            << "flat.png" << real << QSize(5000, 3) << "Image ratio is abnormal" << abnormal;
        QTest::newRow("3x2000 narrow")
            << "narrow.png" << real << QSize(3, 2000) << "Image ratio is abnormal" << abnormal;
        QTest::newRow("header claims 30000x30000")
            << "liar.png" << pngHeaderClaiming(30000, 30000) << QSize() << "Image is too large"
            << tooLargePng;
        // Memory follows pixels and their depth: judged from the header, before any decode.
        const QString sixteenBits =
            QStringLiteral("needs %1 MiB of memory at 16 bits a channel, more than the 256 MiB a "
                           "picture may use; saved with 8 bits a channel it would fit");
        QTest::newRow("16-bit RGB png 8192x8192")
            << "deep.png" << pngHeaderClaiming(8192, 8192, 16, 2) << QSize() << "Image is too large"
            << sixteenBits.arg(384);
        QTest::newRow("16-bit RGBA png 8192x8192")
            << "deep-alpha.png" << pngHeaderClaiming(8192, 8192, 16, 6) << QSize()
            << "Image is too large" << sixteenBits.arg(512);
        // 7000 x 6000 x 6 bytes fit; with a transparent colour the decoder adds an alpha channel.
        QTest::newRow("16-bit RGB png 7000x6000, transparent colour")
            << "deep-trns.png" << pngHeaderClaiming(7000, 6000, 16, 2, true) << QSize()
            << "Image is too large" << sixteenBits.arg(321);
        QTest::newRow("16-bit RGB png 7000x6000 is decoded")
            << "deep-ok.png" << pngHeaderClaiming(7000, 6000, 16, 2) << QSize()
            << "Image decode failed"
            << "damaged picture";
        // A progressive JPEG keeps the coefficients of the whole picture, however reduced.
        QTest::newRow("progressive jpeg 12000x12000")
            << "prog.jpg" << progressiveJpegClaiming(12000, 12000) << QSize()
            << "Image is too large"
            << "needs 425 MiB of memory, more than the 256 MiB a picture may use (a progressive "
               "JPEG is decoded at its full size)";
        QTest::newRow("baseline jpeg 12000x12000 is decoded")
            << "base.jpg" << jpegClaiming(12000, 12000) << QSize() << "Image decode failed"
            << "damaged picture";
        // The size checks judge the upright picture: 4200 x 70 stored, turned to 70 x 4200.
        QTest::newRow("4200x70 stored, upright 70x4200")
            << "turned-strip.jpg" << jpegBytes(4200, 70, 6) << QSize() << "Image ratio is abnormal"
            << abnormal;
        QTest::newRow("300x16400 stored, upright 16400x300")
            << "turned-tall.jpg" << jpegBytes(300, 16400, 8) << QSize() << "Image is too large"
            << tooLargeJpeg;
        // Formats without a header we read: the size the decoder refused to allocate.
        QTest::newRow("5000x4000 tiff") << "big.tif" << QByteArray("ffmpeg:5000x4000") << QSize()
                                        << "Image is too large" << tooLarge;
        QTest::newRow("40000x500 tga, ratio first")
            << "band.tga" << QByteArray("ffmpeg:40000x500") << QSize() << "Image ratio is abnormal"
            << abnormal;
        // Decode failures: the words come from the file's content, not its name.
        const QString notPicture = QStringLiteral("not a JPEG, PNG, HEIC, AVIF or WebP picture");
        QTest::newRow("text named .jpg") << "text.jpg" << QByteArray("hello world\n").repeated(100)
                                         << QSize() << "Image decode failed" << notPicture;
        QTest::newRow("empty file")
            << "empty.png" << QByteArray("") << QSize() << "Image decode failed"
            << "empty file";
        QTest::newRow("missing file") << "" << QByteArray() << QSize() << "Image decode failed"
                                      << "file not found";
        QTest::newRow("unreadable")
            << "locked.png" << QByteArray("locked") << QSize() << "Image decode failed"
            << "cannot be read: permission denied";
        QTest::newRow("a folder") << "folder.jpg" << QByteArray("dir") << QSize()
                                  << "Image decode failed"
                                  << "a folder, not a picture file";
        // A fine picture, but no album file could hold its name.
        const QString lineBreak = QStringLiteral(
            "its name has a line break, which an album cannot keep; rename the file");
        QTest::newRow("line feed in the name")
            << "two\nlines.jpg" << real << QSize(320, 240) << "Image decode failed" << lineBreak;
        QTest::newRow("carriage return in the name")
            << "old\rmac.png" << real << QSize(64, 48) << "Image decode failed" << lineBreak;
        QTest::newRow("PNG signature, junk after")
            << "junk.jpg" << QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 'j') << QSize()
            << "Image decode failed"
            << "damaged picture";
    }
    void refused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        QString path = dir.filePath(name.isEmpty() ? QStringLiteral("does-not-exist.jpg") : name);
        if (size.isValid())
            path = picture(name, size.width(), size.height());
        else if (bytes.startsWith("ffmpeg:"))
            QVERIFY(testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"),
                                       QStringLiteral("-i"),
                                       QStringLiteral("color=c=red:s=") + bytes.mid(7),
                                       QStringLiteral("-frames:v"), QStringLiteral("1"), path}));
        else if (bytes == "dir")
            QVERIFY(QDir(dir.path()).mkpath(name));
        else if (bytes == "locked" && ::geteuid() == 0)
            QSKIP("root reads every file");
        else if (bytes == "locked")
            QVERIFY(testmedia::writeJpeg(path, 64, 48) &&
                    QFile::setPermissions(path, QFileDevice::WriteOwner));
        else if (!name.isEmpty())
            QVERIFY(testmedia::writeBytes(path, bytes));
        for (bool justCheck : {false, true}) {
            const ImageDecoder::Result r = ImageDecoder::decodeFile(path, justCheck);
            QVERIFY(!r.ok);
            QCOMPARE(r.reason, reason);
            verifyReport(r.report, message, reason);
        }
    }

    // A JPEG cut before its end-of-image marker decodes with its lower part made up by the
    // decoder; it is refused as damaged, in both modes. Whatever follows a whole picture is
    // fine. A PNG whose picture data is cut is refused by FFmpeg itself.
    void cutPictures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted");
        const QByteArray small = jpegBytes(64, 48);
        for (bool progressive : {false, true}) {
            const QByteArray whole = jpegBytes(800, 600, 0, progressive);
            QVERIFY(whole.endsWith("\xFF\xD9"));
            const char *kind = progressive ? "progressive" : "baseline";
            QTest::addRow("%s whole", kind) << whole << true;
            QTest::addRow("%s + zero padding", kind) << whole + QByteArray(4096, '\0') << true;
            QTest::addRow("%s + a second picture", kind) << whole + small << true;
            QTest::addRow("%s cut at 50 %%", kind) << whole.left(whole.size() / 2) << false;
            QTest::addRow("%s cut at 90 %%", kind) << whole.left(whole.size() * 9 / 10) << false;
            QTest::addRow("%s cut before EOI", kind) << whole.chopped(2) << false;
            QTest::addRow("%s cut inside EOI", kind) << whole.chopped(1) << false;
            QTest::addRow("%s cut before EOI, zero padded", kind)
                << whole.chopped(2) + QByteArray(100, '\0') << false;
        }
        const QByteArray png = pngBytes(800, 600);
        QTest::newRow("png cut at 50 %") << png.left(png.size() / 2) << false;
        QTest::newRow("png cut at 90 %") << png.left(png.size() * 9 / 10) << false;
        // Only the end chunk is missing: every pixel is there.
        QTest::newRow("png without IEND") << png.chopped(12) << true;
    }
    void cutPictures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        const QString path = dir.filePath(QStringLiteral("cut.jpg"));
        QVERIFY(testmedia::writeBytes(path, bytes));
        for (bool justCheck : {false, true}) {
            const ImageDecoder::Result r = ImageDecoder::decodeFile(path, justCheck);
            QCOMPARE(r.ok, accepted);
            if (accepted)
                QCOMPARE(r.srcSize, QSize(800, 600));
            else
                verifyReport(r.report, QStringLiteral("Image decode failed"),
                             QStringLiteral("damaged picture"));
        }
    }

    // The segment walk itself, on hand-made marker sequences.
    void jpegCompleteness_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("complete");
        const QByteArray soi("\xFF\xD8", 2);
        const QByteArray eoi("\xFF\xD9", 2);
        const QByteArray app0("\xFF\xE0\x00\x06JFIF", 8);
        const QByteArray sos("\xFF\xDA\x00\x04\x01\x00", 6);
        // Stuffed zero and a restart marker inside the entropy-coded data.
        const QByteArray scan("\x12\x34\xFF\x00\x56\xFF\xD0\x78", 8);
        QTest::newRow("whole") << soi + app0 + sos + scan + eoi << true;
        QTest::newRow("bytes before SOI and after EOI")
            << QByteArray("junk") + soi + sos + scan + QByteArray("\xFF\xFF", 2) + eoi + "junk"
            << true;
        QTest::newRow("no EOI") << soi + app0 + sos + scan << false;
        QTest::newRow("ends on a lone 0xFF") << soi + sos + scan + QByteArray("\xFF", 1) << false;
        QTest::newRow("EOI inside a segment only")
            << soi + QByteArray("\xFF\xE1\x00\x04", 4) + eoi + sos + scan << false;
    }
    void jpegCompleteness()
    {
        QFETCH(QByteArray, bytes);
        QTEST(jpegImageComplete(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()),
              "complete");
    }

    // A file cut inside its start-of-frame segment has no size to trust: it goes through the
    // normal decode, and its message, whatever the memory beyond the cut held.
    void jpegCutInsideFrameHeader_data()
    {
        QTest::addColumn<int>("segmentBytes"); // bytes of the SOF segment left after its marker
        for (int n : {2, 3, 4, 5, 6})
            QTest::addRow("%d bytes of SOF", n) << n;
    }
    void jpegCutInsideFrameHeader()
    {
        QFETCH(int, segmentBytes);
        const QByteArray bytes = jpegBytes(800, 600);
        int sof = -1;
        for (int i = 2; i + 1 < bytes.size() && sof < 0; ++i)
            if (uchar(bytes[i]) == 0xFF && (uchar(bytes[i + 1]) & 0xF0) == 0xC0 &&
                uchar(bytes[i + 1]) != 0xC4 && uchar(bytes[i + 1]) != 0xC8 &&
                uchar(bytes[i + 1]) != 0xCC)
                sof = i;
        QVERIFY(sof > 0);
        const QString cut = dir.filePath(QStringLiteral("cut%1.jpg").arg(segmentBytes));
        QVERIFY(testmedia::writeBytes(cut, bytes.left(sof + 2 + segmentBytes)));
        QVERIFY(!readPictureHeader(cut).known);
        const ImageDecoder::Result r = ImageDecoder::decodeFile(cut, false);
        QVERIFY2(r.report.startsWith(QStringLiteral("Image decode failed(")), qPrintable(r.report));
        // The whole segment is enough, and the EXIF orientation before it is read too.
        const QString turned = dir.filePath(QStringLiteral("turned.jpg"));
        QVERIFY(testmedia::writeBytes(turned, jpegBytes(800, 600, 6)));
        QCOMPARE(readPictureHeader(turned).upright(), QSize(600, 800));
    }

    void fileSizeLimit()
    {
        // 64 MiB is accepted by size (and then fails as no picture); one byte more is too large.
        const QString path = dir.filePath(QStringLiteral("huge.jpg"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(ImageDecoder::kMaxFileBytes));
        f.close();
        ImageDecoder::Result r = ImageDecoder::decodeFile(path, true);
        verifyReport(r.report, QStringLiteral("Image decode failed"),
                     QStringLiteral("not a JPEG, PNG, HEIC, AVIF or WebP picture"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(ImageDecoder::kMaxFileBytes + 1));
        f.close();
        r = ImageDecoder::decodeFile(path, true);
        verifyReport(r.report, QStringLiteral("Image is too large"),
                     QStringLiteral("larger than 64 MiB"));
    }

    // The photos of today's cameras and phones: accepted up to their kind's limit, reported at
    // their own size, and kept no larger than 4096 a side whoever decodes them.
    void todaysPhotos_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("48 MP jpeg") << "phone.jpg" << QSize(8000, 6000) << QSize(4000, 3000);
        QTest::newRow("jpeg at its limit") << "pano.jpg" << QSize(16384, 4000) << QSize(4096, 1000);
        QTest::newRow("odd 4097x3001 jpeg, halved rounding up")
            << "odd.jpg" << QSize(4097, 3001) << QSize(2049, 1501);
        QTest::newRow("png at its limit") << "wide.png" << QSize(8192, 2000) << QSize(4096, 1000);
        QTest::newRow("5000x4000 png, scaled to fit")
            << "big.png" << QSize(5000, 4000) << QSize(4096, 3276);
    }
    void todaysPhotos()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QString path = dir.filePath(name);
        // testsrc and 4:4:4 keep odd sizes odd.
        const QString format = name.endsWith(QLatin1String(".jpg")) ? QStringLiteral("yuvj444p")
                                                                    : QStringLiteral("rgb24");
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc=s=%1x%2")
                 .arg(QString::number(size.width()), QString::number(size.height())),
             QStringLiteral("-pix_fmt"), format, QStringLiteral("-frames:v"), QStringLiteral("1"),
             path}));
        for (bool justCheck : {false, true}) {
            const ImageDecoder::Result r = ImageDecoder::decodeFile(path, justCheck);
            QVERIFY2(r.ok, qPrintable(r.report));
            QCOMPARE(r.srcSize, size);
            QCOMPARE(r.thumbnail.isNull(), justCheck);
        }
        av::FramePtr frame = av::makeFrame();
        QCOMPARE(decodePictureFile(path, frame.get()), 0);
        QTEST(QSize(frame->width, frame->height), "kept");
    }

    // 16-bit pictures come out of the decoder with 8 bits a channel, scaled down in the same
    // pass when larger than the kept size; the export refuses what the import would.
    void sixteenBitPicturesDecodeToEightBits_data()
    {
        QTest::addColumn<QString>("format"); // as ffmpeg writes the PNG
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("decoded");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("rgb48") << "rgb48be" << QSize(600, 400) << int(AV_PIX_FMT_RGB24)
                               << QSize(600, 400);
        QTest::newRow("rgba64") << "rgba64be" << QSize(600, 400) << int(AV_PIX_FMT_RGBA)
                                << QSize(600, 400);
        QTest::newRow("gray16") << "gray16be" << QSize(600, 400) << int(AV_PIX_FMT_GRAY8)
                                << QSize(600, 400);
        QTest::newRow("ya16") << "ya16be" << QSize(600, 400) << int(AV_PIX_FMT_YA8)
                              << QSize(600, 400);
        QTest::newRow("rgb48 above the kept size")
            << "rgb48be" << QSize(5000, 200) << int(AV_PIX_FMT_RGB24) << QSize(4096, 162);
    }
    void sixteenBitPicturesDecodeToEightBits()
    {
        QFETCH(QString, format);
        QFETCH(QSize, size);
        QFETCH(int, decoded);
        // The same picture written with 16 and with 8 bits a channel.
        auto write = [&](const QString &pixelFormat) {
            const QString path = dir.filePath(
                QStringLiteral("deep-%1-%2.png").arg(pixelFormat, QString::number(size.width())));
            const bool ok = testmedia::ffmpeg(
                {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("testsrc=s=%1x%2")
                     .arg(QString::number(size.width()), QString::number(size.height())),
                 QStringLiteral("-pix_fmt"), pixelFormat, QStringLiteral("-frames:v"),
                 QStringLiteral("1"), path});
            return ok ? path : QString();
        };
        const QString deep = write(format);
        const QString shallow =
            write(QString::fromUtf8(av_get_pix_fmt_name(AVPixelFormat(decoded))));
        QVERIFY(!deep.isEmpty() && !shallow.isEmpty());
        QCOMPARE(readPictureHeader(deep).bitsPerSample, 16);
        av::FramePtr frame = av::makeFrame(), reference = av::makeFrame();
        QCOMPARE(decodePictureFile(deep, frame.get()), 0);
        QCOMPARE(frame->format, decoded);
        QTEST(QSize(frame->width, frame->height), "kept");
        QCOMPARE(decodePictureFile(shallow, reference.get()), 0);
        QCOMPARE(reference->format, decoded);
        // The same picture: every byte within two steps of the 8-bit file's (ffmpeg rounds its
        // own grey conversion differently).
        const int rowBytes = av_image_get_linesize(AVPixelFormat(decoded), frame->width, 0);
        int worst = 0;
        for (int y = 0; y < frame->height; ++y)
            for (int i = 0; i < rowBytes; ++i)
                worst =
                    std::max(worst, std::abs(int(frame->data[0][y * frame->linesize[0] + i]) -
                                             reference->data[0][y * reference->linesize[0] + i]));
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(deep, false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, size);
    }

    void exportRefusesWhatTheImportWould()
    {
        const QString path = dir.filePath(QStringLiteral("deep-export.png"));
        QVERIFY(testmedia::writeBytes(path, pngHeaderClaiming(8192, 8192, 16, 2)));
        av::FramePtr frame = av::makeFrame();
        QSize refused;
        int64_t bytes = 0;
        QCOMPARE(decodePictureFile(path, frame.get(), 3, nullptr, &refused, &bytes),
                 AVERROR(EINVAL));
        QCOMPARE(bytes, int64_t(8192) * 8192 * 6);
        QVERIFY(!refused.isValid());
        QCOMPARE(frame->width, 0);
    }

    void exifRotatedPictureReportsUprightSize()
    {
        QByteArray jpeg;
        QBuffer buf(&jpeg);
        buf.open(QIODevice::WriteOnly);
        QVERIFY(testmedia::pattern(1600, 900).save(&buf, "JPEG"));
        const QString path = dir.filePath(QStringLiteral("rotated.jpg"));
        QVERIFY(testmedia::writeBytes(path, testmedia::withExifOrientation(jpeg, 6)));
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
        QVERIFY(r.ok);
        QCOMPARE(r.srcSize, QSize(900, 1600));
        QCOMPARE(r.widthToHeight.num, 9);
        QCOMPARE(r.widthToHeight.den, 16);
        QCOMPARE(r.thumbnail.size(), QSize(44, 80));
    }

    // The worker on its own thread: one queued request, one queued answer each.
    void workerThread()
    {
        QThread thread;
        thread.setObjectName(QStringLiteral("ImageDecoder"));
        auto *decoder = new ImageDecoder;
        decoder->moveToThread(&thread);
        connect(&thread, &QThread::finished, decoder, &QObject::deleteLater);
        thread.start(QThread::InheritPriority);
        QSignalSpy decoded(decoder, &ImageDecoder::sig_decoded);
        QSignalSpy failed(decoder, &ImageDecoder::sig_decodeFailed);
        const QString good = picture(QStringLiteral("w1.png"), 300, 200);
        emit decoder->sig_decode(good, false);
        emit decoder->sig_decode(dir.filePath(QStringLiteral("nope.png")), false);
        emit decoder->sig_decode(good, true);
        QTRY_COMPARE(decoded.size() + failed.size(), 3);
        QCOMPARE(decoded.size(), 2);
        QCOMPARE(decoded.at(0).at(0).toString(), good);
        QCOMPARE(decoded.at(0).at(1).value<QPixmap>().size(), QSize(120, 80));
        QCOMPARE(decoded.at(0).at(2).value<AVRational>().num, 3);
        QCOMPARE(decoded.at(0).at(3).toSize(), QSize(300, 200));
        QVERIFY(decoded.at(1).at(1).value<QPixmap>().isNull());
        // The signal carries the whole report, plain words included.
        verifyReport(failed.at(0).at(1).toString(), QStringLiteral("Image decode failed"),
                     QStringLiteral("file not found"));
        // Once stopped, requests are ignored.
        decoder->running.store(false);
        emit decoder->sig_decode(good, false);
        emit decoder->sig_close(0);
        QVERIFY(thread.wait(10000));
        QCOMPARE(decoded.size(), 2);
    }
};

QTEST_MAIN(TestImageDecoder)
#include "tst_imagedecoder.moc"
