// The date taken and camera from EXIF: byte orders, offsets, containers, and hostile bytes.
#include "albumops.h"
#include "exifreader.h"
#include "picturefacts.h"
#include "picturerenderer.h"

#include "testexif.h"
#include "testmedia.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

using testexif::Tags;

namespace {
const Tags kTags{"Canon", "Canon EOS R6", "2023:07:14 18:05:09", "+09:00"};

ExifFacts factsOf(const QByteArray &file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    return parseExif(findExifBlock(buffer));
}

QByteArray pngBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    testmedia::pattern(16, 12).save(&buffer, "PNG");
    return bytes;
}
QByteArray jpegBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    testmedia::pattern(16, 12).save(&buffer, "JPEG");
    return bytes;
}
} // namespace

class TestExifReader : public QObject
{
    Q_OBJECT
private slots:
    void tiffBlocks_data()
    {
        QTest::addColumn<bool>("little");
        QTest::addColumn<QByteArray>("offset");
        QTest::addColumn<QDateTime>("taken");
        const QDate d(2023, 7, 14);
        const QTime t(18, 5, 9);
        QTest::newRow("little endian, offset")
            << true << QByteArray("+09:00") << QDateTime(d, t, Qt::OffsetFromUTC, 9 * 3600);
        QTest::newRow("big endian, offset")
            << false << QByteArray("-03:30") << QDateTime(d, t, Qt::OffsetFromUTC, -12600);
        QTest::newRow("little endian, local")
            << true << QByteArray() << QDateTime(d, t, Qt::LocalTime);
        QTest::newRow("big endian, local")
            << false << QByteArray() << QDateTime(d, t, Qt::LocalTime);
        QTest::newRow("offset out of range: local")
            << false << QByteArray("+25:00") << QDateTime(d, t, Qt::LocalTime);
    }
    void tiffBlocks()
    {
        QFETCH(bool, little);
        QFETCH(QByteArray, offset);
        QFETCH(QDateTime, taken);
        Tags tags = kTags;
        tags.offset = offset;
        const ExifFacts facts = parseExif(testexif::tiff(tags, little));
        QCOMPARE(facts.make, QStringLiteral("Canon"));
        QCOMPARE(facts.model, QStringLiteral("Canon EOS R6"));
        QCOMPARE(facts.taken, taken);
        QCOMPARE(facts.taken.toMSecsSinceEpoch(), taken.toMSecsSinceEpoch());
        // Short values (four bytes or fewer) lie in the entry itself.
        tags.make = "Ab";
        QCOMPARE(parseExif(testexif::tiff(tags, little)).make, QStringLiteral("Ab"));
    }

    void datesThatAreNot_data()
    {
        QTest::addColumn<QByteArray>("date");
        QTest::newRow("blank") << QByteArray("    :  :     :  :  ");
        QTest::newRow("zeroed") << QByteArray("0000:00:00 00:00:00");
        QTest::newRow("no such day") << QByteArray("2023:02:30 10:00:00");
        QTest::newRow("short") << QByteArray("2023:07:14");
        QTest::newRow("letters") << QByteArray("2023:07:1x 18:05:09");
    }
    void datesThatAreNot()
    {
        QFETCH(QByteArray, date);
        Tags tags = kTags;
        tags.date = date;
        const ExifFacts facts = parseExif(testexif::tiff(tags, true));
        QVERIFY(!facts.taken.isValid());
        QCOMPARE(facts.model, QStringLiteral("Canon EOS R6"));
    }

    void containers_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray block = testexif::tiff(kTags, false);
        QTest::newRow("JPEG APP1 after APP0") << testexif::inJpeg(jpegBytes(), block);
        QTest::newRow("PNG eXIf after IDAT") << testexif::inPng(pngBytes(), block);
        QTest::newRow("WebP EXIF after odd chunk") << testexif::webp(block);
        QTest::newRow("WebP EXIF with Exif header")
            << testexif::webp(QByteArray("Exif\0\0", 6) + block);
        QTest::newRow("HEIF item in mdat") << testexif::heif(block);
        QTest::newRow("HEIF item in idat") << testexif::heif(block, true);
    }
    void containers()
    {
        QFETCH(QByteArray, file);
        const ExifFacts facts = factsOf(file);
        QCOMPARE(facts.model, QStringLiteral("Canon EOS R6"));
        QCOMPARE(facts.taken,
                 QDateTime(QDate(2023, 7, 14), QTime(18, 5, 9), Qt::OffsetFromUTC, 9 * 3600));
    }

    void withoutExif()
    {
        QBuffer closed;
        QVERIFY(findExifBlock(closed).isEmpty());
        QVERIFY(!factsOf(jpegBytes()).taken.isValid());
        QVERIFY(!factsOf(pngBytes()).taken.isValid());
        QVERIFY(!factsOf(QByteArray("GIF89a......")).taken.isValid());
        QVERIFY(!factsOf(QByteArray()).taken.isValid());
    }

    // Every cut of every container, and every cut of the block itself: nothing is read beyond
    // the bytes there are (the sanitizers watch), and a cut never makes up a different date
    // (it may lose the offset, which leaves the camera's clock as it was).
    void truncated()
    {
        const QByteArray block = testexif::tiff(kTags, true);
        const QList<QByteArray> files{block,
                                      testexif::inJpeg(jpegBytes(), block),
                                      testexif::inPng(pngBytes(), block),
                                      testexif::webp(block),
                                      testexif::heif(block),
                                      testexif::heif(block, true)};
        const QDateTime taken(QDate(2023, 7, 14), QTime(18, 5, 9), Qt::OffsetFromUTC, 9 * 3600);
        for (int f = 0; f < files.size(); ++f) {
            for (int n = 0; n < files[f].size(); ++n) {
                const QByteArray cut = files[f].left(n);
                const ExifFacts facts = f == 0 ? parseExif(cut) : factsOf(cut);
                if (facts.taken.isValid()) {
                    QCOMPARE(facts.taken.date(), taken.date());
                    QCOMPARE(facts.taken.time(), taken.time());
                }
            }
        }
    }

    // Offsets and counts that point anywhere, loops, and random bytes in every place.
    void hostile()
    {
        const QByteArray block = testexif::tiff(kTags, false);
        // The EXIF IFD pointer aimed at IFD 0 itself, and at the far end of the address space.
        QByteArray loop = block;
        const int ptr = loop.indexOf(QByteArray("\x87\x69\x00\x04", 4));
        QVERIFY(ptr > 0);
        loop.replace(ptr + 8, 4, testexif::be32(8));
        QVERIFY(!parseExif(loop).taken.isValid());
        loop.replace(ptr + 8, 4, testexif::be32(0xfffffff0u));
        QVERIFY(!parseExif(loop).taken.isValid());
        // A huge entry count and an ASCII count past the end.
        QByteArray counts = block;
        counts.replace(8, 2, QByteArray("\xff\xff", 2));
        parseExif(counts);
        counts = block;
        counts.replace(14, 4, testexif::be32(0x7fffffff));
        QVERIFY(parseExif(counts).make.isEmpty());

        std::mt19937 rng(12345);
        const QList<QByteArray> files{block,
                                      testexif::inJpeg(jpegBytes(), block),
                                      testexif::inPng(pngBytes(), block),
                                      testexif::webp(block),
                                      testexif::heif(block),
                                      testexif::heif(block, true)};
        for (int f = 0; f < files.size(); ++f) {
            for (int round = 0; round < 400; ++round) {
                QByteArray bytes = files[f];
                for (int k = 0; k < 4; ++k)
                    bytes[int(rng() % uint(bytes.size()))] = char(rng());
                f == 0 ? parseExif(bytes) : factsOf(bytes);
            }
        }
        // Box sizes of zero (to the end), of one (64-bit) with a wild value, and below a header.
        QByteArray heif = testexif::heif(block);
        const int meta = heif.indexOf("meta") - 4;
        for (const QByteArray &size : {testexif::be32(0), testexif::be32(1), testexif::be32(3),
                                       testexif::be32(0xffffffffu)}) {
            QByteArray wild = heif;
            wild.replace(meta, 4, size);
            factsOf(wild);
        }
    }

    void pictureFacts()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString withExif = dir.filePath(QStringLiteral("a.jpg"));
        QVERIFY(testmedia::writeBytes(withExif,
                                      testexif::inJpeg(jpegBytes(), testexif::tiff(kTags, true))));
        const PictureFacts facts = readPictureFacts(withExif);
        QVERIFY(facts.takenByCamera);
        QCOMPARE(facts.camera(), QStringLiteral("Canon EOS R6"));

        // No EXIF date: the file's time stands in, and says so.
        const QString plain = dir.filePath(QStringLiteral("b.png"));
        QVERIFY(testmedia::writeBytes(plain, pngBytes()));
        const QDateTime changed(QDate(2020, 1, 2), QTime(3, 4, 5));
        QFile file(plain);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(changed, QFileDevice::FileModificationTime));
        file.close();
        const PictureFacts fallback = readPictureFacts(plain);
        QVERIFY(!fallback.takenByCamera);
        QCOMPARE(fallback.taken, changed);
        QVERIFY(fallback.camera().isEmpty());
        QVERIFY(!readPictureFacts(dir.filePath(QStringLiteral("gone.jpg"))).taken.isValid());

        PictureFacts named;
        named.make = QStringLiteral("NIKON CORPORATION");
        named.model = QStringLiteral("NIKON Z 6");
        QCOMPARE(named.camera(), QStringLiteral("NIKON CORPORATION NIKON Z 6"));
        named.make = QStringLiteral("Apple");
        named.model = QStringLiteral("iPhone 12");
        QCOMPARE(named.camera(), QStringLiteral("Apple iPhone 12"));
    }

    void captionFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<QString>("expected");
        const auto s = [](const char *szText) { return QString::fromUtf8(szText); };
        QTest::newRow("date") << s("{date}") << s("/p/IMG_1.jpg") << true
                              << s("Friday, July 14, 2023");
        QTest::newRow("file") << s("{file}") << s("/p/trip.2023.jpg") << true << s("trip.2023");
        QTest::newRow("both, twice") << s("{file}: {date} ({date})") << s("/p/x.png") << true
                                     << s("x: Friday, July 14, 2023 (Friday, July 14, 2023)");
        QTest::newRow("no date known") << s("On {date}") << s("/p/x.png") << false << s("On ");
        QTest::newRow("fields in the name stay")
            << s("{file}") << s("/p/{date}.jpg") << true << s("{date}");
        QTest::newRow("plain and half fields")
            << s("{dat} {file") << s("/p/x.png") << true << s("{dat} {file");
    }
    void captionFields()
    {
        QFETCH(QString, text);
        QFETCH(QString, path);
        QFETCH(bool, dated);
        QFETCH(QString, expected);
        PictureFacts facts;
        if (dated)
            // Early morning at +09:00: the day is the picture's own, not UTC's (July 13).
            facts.taken = QDateTime(QDate(2023, 7, 14), QTime(3, 0), Qt::OffsetFromUTC, 9 * 3600);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(expandCaptionFields(text, path, facts, english), expected);
        // The interface language's long date.
        if (text == QLatin1String("{date}"))
            QVERIFY(
                expandCaptionFields(text, path, facts, QLocale(QLocale::Chinese, QLocale::China))
                    .startsWith(QStringLiteral("2023年7月14日")));
    }

    // The album keeps the fields; each picture's render fills in its own date and name.
    void captionsAtRenderTime()
    {
        Album job;
        for (int day : {3, 9}) {
            MaterialItem item;
            item.path = QStringLiteral("/p/day%1.jpg").arg(day);
            item.widthToHeight = {4, 3};
            item.srcSize = QSize(400, 300);
            item.facts.taken = QDateTime(QDate(2023, 7, day), QTime(12, 0), Qt::UTC);
            appendPicture(job, item);
        }
        PictureOptions own;
        own.caption.text = QStringLiteral("{file} {date}");
        setPictureOptions(job, 0, own);
        setPictureOptions(job, 1, own);
        QCOMPARE(job.optionsAt(1).caption.text, QStringLiteral("{file} {date}"));
        const QString first = resolveLook(job, 0).caption.text;
        const QString second = resolveLook(job, 1).caption.text;
        QVERIFY(first.startsWith(QStringLiteral("day3 ")));
        QVERIFY(second.startsWith(QStringLiteral("day9 ")));
        QVERIFY(first.contains(QStringLiteral("2023")));
        QCOMPARE(first.mid(5), QLocale().toString(QDate(2023, 7, 3), QLocale::LongFormat));
    }
};

QTEST_GUILESS_MAIN(TestExifReader)
#include "tst_exifreader.moc"
