// The album file: what a round trip keeps, how paths travel, what a hostile file gets, and that
// a failed save leaves the old file alone.
#include "album.h"
#include "albumfile.h"
#include "albumops.h"
#include "testalbum.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(StoredAlbum)

namespace {

// Every member away from its default.
StoredAlbum textAlbum(const QString &szDir)
{
    StoredAlbum a;
    a.pictures = {{szDir + QStringLiteral("/beach/IMG_0001.JPG"), 3},
                  {szDir + QStringLiteral("/frame%03d %1 ü.jpg"), -1},
                  {QStringLiteral("/elsewhere/last.png"), 22}};
    a.durationSeconds = 17;
    a.transitionStart = 11;
    a.ratio = QStringLiteral("9:16");
    a.height = QStringLiteral("2K");
    a.music = szDir + QStringLiteral("/song.mp3");
    a.watermarkType = WatermarkText;
    a.watermarkText = QStringLiteral("Sommer \"%1\"\n2026 — 夏");
    a.watermarkFamily = QStringLiteral("DejaVu Serif");
    a.watermarkPixelSize = 126;
    a.watermarkColor = QColor(0xff, 0x88, 0x00);
    a.watermarkPosition = RightBottom;
    a.exportChoices = AlbumExportChoices{
        QStringLiteral("WEBM"),    60, 768, 256, 22050, QStringLiteral("/videos/out"),
        QStringLiteral("Album %1")};
    return a;
}

// Pictures with settings of their own: durations (fitted ones are not whole), a chosen
// transition with its length, a cut, a drawn one made longer, one left as the album has it.
StoredAlbum storyAlbum(const QString &szDir)
{
    StoredAlbum a;
    a.pictures = {{szDir + QStringLiteral("/a.jpg"), 4},
                  {szDir + QStringLiteral("/b.jpg"), -1},
                  {szDir + QStringLiteral("/c.jpg"), 7},
                  {szDir + QStringLiteral("/d.jpg"), -1},
                  {szDir + QStringLiteral("/e.jpg"), -1}};
    a.pictures[0].duration = 500000;
    a.pictures[0].transition = TransitionChoice::Chosen;
    a.pictures[0].transitionLength = 1500000;
    a.pictures[1].transition = TransitionChoice::None;
    a.pictures[2].duration = 2345678;
    a.pictures[2].transitionLength = 3000000;
    a.pictures[3].transitionLength = 500000;
    return a;
}

StoredAlbum pictureAlbum(const QString &szDir)
{
    StoredAlbum a;
    a.pictures = {{szDir + QStringLiteral("/a.jpg"), -1}};
    a.ratio = QStringLiteral("auto");
    a.watermarkType = WatermarkPicture;
    a.watermarkImage = szDir + QStringLiteral("/logo.png");
    a.watermarkPosition = Center;
    a.exportChoices = AlbumExportChoices();
    a.exportChoices->folder = szDir; // the album's own folder
    return a;
}

QByteArray readAll(const QString &szPath)
{
    QFile f(szPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList leftovers(const QString &szDir)
{
    return QDir(szDir).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

// The file text of textAlbum, byte for byte.
const char kTextAlbumFile[] =
    "{\n"
    "    \"velmoraalbum\": 1,\n"
    "    \"pictures\": [\n"
    "        {\"file\": \"beach/IMG_0001.JPG\", \"transition\": {\"kind\": \"radial\"}},\n"
    "        {\"file\": \"frame%03d %1 ü.jpg\"},\n"
    "        {\"file\": \"/elsewhere/last.png\", \"transition\": {\"kind\": \"horzclose\"}}\n"
    "    ],\n"
    "    \"duration\": 17,\n"
    "    \"transitionStart\": 11,\n"
    "    \"ratio\": \"9:16\",\n"
    "    \"height\": \"2K\",\n"
    "    \"music\": {\"file\": \"song.mp3\"},\n"
    "    \"watermark\": {\"text\": \"Sommer \\\"%1\\\"\\n2026 — 夏\", \"family\": \"DejaVu "
    "Serif\", "
    "\"pixelSize\": 126, \"color\": \"#ff8800\", \"position\": \"rightbottom\"},\n"
    "    \"export\": {\"format\": \"WEBM\", \"fps\": 60, \"videoBitrate\": 768, "
    "\"audioBitrate\": 256, \"sampleRate\": 22050, \"folder\": \"/videos/out\", "
    "\"name\": \"Album %1\"}\n"
    "}\n";

} // namespace

class TestAlbumFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void roundTripKeepsEveryField_data()
    {
        QTest::addColumn<StoredAlbum>("album");
        QTest::newRow("text watermark, music, export") << textAlbum(m_dir.path());
        QTest::newRow("picture watermark, auto ratio") << pictureAlbum(m_dir.path());
        QTest::newRow("a new album") << StoredAlbum();
        QTest::newRow("pictures with their own settings") << storyAlbum(m_dir.path());
        StoredAlbum shaped = textAlbum(m_dir.path());
        shaped.musicShape = MusicShape{12500000, 1250000, 3000000, 0.8};
        QTest::newRow("shaped music") << shaped;
        shaped.musicShape = MusicShape{kMaxMusicStart, kMaxMusicFade, 1, 0};
        QTest::newRow("shaping at its bounds") << shaped;
        StoredAlbum list = textAlbum(m_dir.path());
        list.musicMore = QStringList{m_dir.filePath(QStringLiteral("two.ogg")),
                                     QStringLiteral("/elsewhere/3.flac")};
        list.musicCrossfade = 3500000;
        list.musicShape = MusicShape{500000, 1000000, 2000000, 1.2};
        QTest::newRow("a music list") << list;
        list.beatCut = BeatCut::TwoBars;
        list.beatCorrections = {BeatCorrection{-20000, 1, 0}, BeatCorrection(),
                                BeatCorrection{kMaxBeatShift, -1, 3}};
        QTest::newRow("a music list cut on the beat, corrected") << list;
        StoredAlbum beat = textAlbum(m_dir.path());
        beat.beatCut = BeatCut::Auto;
        beat.beatCorrections = {BeatCorrection{-kMaxBeatShift, 0, 2}};
        QTest::newRow("one track cut on the beat, corrected") << beat;
    }
    void roundTripKeepsEveryField()
    {
        QFETCH(StoredAlbum, album);
        const QString path = m_dir.filePath(QStringLiteral("round.vmalbum"));
        QString error;
        QVERIFY2(writeAlbumFile(path, album, &error), qPrintable(error));
        const AlbumReadResult read = readAlbumFile(path);
        QVERIFY2(read.ok && read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.album.pictures, album.pictures);
        QVERIFY(read.album == album);
        QVERIFY(leftovers(m_dir.path()).isEmpty());
    }

    // The names and the order other tools and our own checks read.
    void fileText()
    {
        const QByteArray json = serializeAlbum(textAlbum(QStringLiteral("/albums/summer")),
                                               QStringLiteral("/albums/summer"));
        QCOMPARE(json, QByteArray(kTextAlbumFile));
        QVERIFY(serializeAlbum(StoredAlbum(), QString())
                    .endsWith("\"music\": null,\n    \"watermark\": null\n}\n"));
    }

    // Beneath the album's folder a path is stored relative to it, anywhere else absolute; a
    // relative path is read against the folder the album is read from.
    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("readElsewhere");
        QTest::newRow("beside") << "/albums/summer/a.jpg"
                                << "a.jpg"
                                << "/moved/a.jpg";
        QTest::newRow("beneath") << "/albums/summer/beach/day 1/IMG_0001.JPG"
                                 << "beach/day 1/IMG_0001.JPG"
                                 << "/moved/beach/day 1/IMG_0001.JPG";
        QTest::newRow("a folder whose name starts alike") << "/albums/summer-2/a.jpg"
                                                          << "/albums/summer-2/a.jpg"
                                                          << "/albums/summer-2/a.jpg";
        QTest::newRow("above") << "/albums/a.jpg"
                               << "/albums/a.jpg"
                               << "/albums/a.jpg";
        QTest::newRow("unclean") << "/albums/summer/./x/../b%1.jpg"
                                 << "b%1.jpg"
                                 << "/moved/b%1.jpg";
        // Qt would take it for one of its resources (found by fuzz_album).
        QTest::newRow("a name that starts with a colon") << "/albums/summer/:beach.jpg"
                                                         << ":beach.jpg"
                                                         << "/moved/:beach.jpg";
    }
    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, stored);
        StoredAlbum album;
        album.pictures = {{path, -1}};
        album.music = path;
        const QByteArray json = serializeAlbum(album, QStringLiteral("/albums/summer"));
        const QByteArray quoted = "\"file\": \"" + stored.toUtf8() + '"';
        QCOMPARE(json.count(quoted), 2);
        const AlbumReadResult moved = parseAlbum(json, QStringLiteral("/moved"));
        QVERIFY2(moved.ok, qPrintable(moved.error));
        QTEST(moved.album.pictures.at(0).file, "readElsewhere");
        QTEST(moved.album.music, "readElsewhere");
    }

    // Every refusal names what is wrong and where, and hands back no album.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        // A well-formed album but for the members given.
        const auto album = [](const char *szMembers) {
            return QByteArray(R"({"velmoraalbum": 1, "pictures": [{"file": "a.jpg"}], )") +
                   szMembers + '}';
        };
        const struct
        {
            const char *name;
            QByteArray json;
            const char *error;
        } cases[] = {
            {"empty", QByteArray(), "Not valid JSON: "},
            {"broken JSON", QByteArray(R"({"velmoraalbum": 1, "pictures": [)"), "Not valid JSON: "},
            {"nested too deep", QByteArray(5000, '['), "Not valid JSON: "},
            {"a list", "[1, 2]", "Not an album file: it holds no JSON object"},
            {"no version", R"({"pictures": []})",
             R"(Not an album file: "velmoraalbum" is missing)"},
            {"version as text", R"({"velmoraalbum": "1"})", R"("velmoraalbum": a whole number)"},
            {"unknown version", R"({"velmoraalbum": 2})",
             R"("velmoraalbum": version 2 is not one this program reads (it reads version 1))"},
            {"no pictures", R"({"velmoraalbum": 1})",
             R"(Not an album file: "pictures" is missing)"},
            {"pictures an object", R"({"velmoraalbum": 1, "pictures": {}})",
             R"("pictures": a list)"},
            {"picture a text", R"({"velmoraalbum": 1, "pictures": ["a"]})",
             R"("pictures[0]": an object)"},
            {"file a number", R"({"velmoraalbum": 1, "pictures": [{"file": "a"}, {"file": 5}]})",
             R"("pictures[1].file": a text)"},
            {"no file", R"({"velmoraalbum": 1, "pictures": [{}]})",
             R"("pictures[0].file" is missing)"},
            {"empty file", R"({"velmoraalbum": 1, "pictures": [{"file": ""}]})",
             R"("pictures[0].file": a file name, not an empty text)"},
            {"newline in a file", R"({"velmoraalbum": 1, "pictures": [{"file": "a\nb.jpg"}]})",
             R"("pictures[0].file": a file name without line breaks or NUL characters)"},
            {"NUL in a file", R"({"velmoraalbum": 1, "pictures": [{"file": "a\u0000"}]})",
             R"("pictures[0].file": a file name without line breaks or NUL characters)"},
            {"unknown kind with % in it",
             R"({"velmoraalbum":1,"pictures":[{"file":"a","transition":{"kind":"%1 %03d"}}]})",
             R"("pictures[0].transition.kind": "%1 %03d" is not a known transition)"},
            {"transition a text",
             R"({"velmoraalbum":1,"pictures":[{"file":"a","transition":"radial"}]})",
             R"("pictures[0].transition": null or an object)"},
            {"picture duration 0.4",
             R"({"velmoraalbum":1,"pictures":[{"file":"a","duration":0.4}]})",
             R"("pictures[0].duration": seconds from 0.5 to 60)"},
            {"picture duration a text",
             R"({"velmoraalbum":1,"pictures":[{"file":"a","duration":"2"}]})",
             R"("pictures[0].duration": seconds from 0.5 to 60)"},
            {"transition of 5 s",
             R"({"velmoraalbum":1,"pictures":[{"file":"a","transition":{"kind":"fade","seconds":5}}]})",
             R"("pictures[0].transition.seconds": seconds from 0.5 to 3)"},
            {"chosen as a text",
             R"({"velmoraalbum":1,"pictures":[{"file":"a","transition":{"kind":"fade","chosen":"yes"}}]})",
             R"("pictures[0].transition.chosen": true or false)"},
            {"duration 1e9", album(R"("duration": 1e9)"),
             R"("duration": a whole number from 1 to 60)"},
            {"duration 1e300", album(R"("duration": 1e300)"),
             R"("duration": a whole number from 1 to 60)"},
            {"duration 2.5", album(R"("duration": 2.5)"),
             R"("duration": a whole number from 1 to 60)"},
            {"duration a text", album(R"("duration": "3")"),
             R"("duration": a whole number from 1 to 60)"},
            {"transitionStart 23", album(R"("transitionStart": 23)"),
             R"("transitionStart": a whole number from 0 to 22)"},
            {"ratio 5:4", album(R"("ratio": "5:4")"),
             R"("ratio": one of 16:9 4:3 2:1 9:16 3:4 1:1 auto)"},
            {"height a number", album(R"("height": 1080)"), R"("height": a text)"},
            {"music a text", album(R"("music": "a.mp3")"), R"("music": null or an object)"},
            {"music without file", album(R"("music": {})"), R"("music.file" is missing)"},
            {"music start below 0", album(R"("music": {"file": "a.mp3", "start": -0.5})"),
             R"("music.start": seconds from 0 to 3600)"},
            {"music start past an hour", album(R"("music": {"file": "a.mp3", "start": 3600.001})"),
             R"("music.start": seconds from 0 to 3600)"},
            {"fade in past 30 s", album(R"("music": {"file": "a.mp3", "fadeIn": 31})"),
             R"("music.fadeIn": seconds from 0 to 30)"},
            {"fade out as text", album(R"("music": {"file": "a.mp3", "fadeOut": "2"})"),
             R"("music.fadeOut": seconds from 0 to 30)"},
            {"volume past 2", album(R"("music": {"file": "a.mp3", "volume": 2.5})"),
             R"("music.volume": a number from 0 to 2)"},
            {"volume below 0", album(R"("music": {"file": "a.mp3", "volume": -0.1})"),
             R"("music.volume": a number from 0 to 2)"},
            {"volume true", album(R"("music": {"file": "a.mp3", "volume": true})"),
             R"("music.volume": a number from 0 to 2)"},
            {"volume huge", album(R"("music": {"file": "a.mp3", "volume": 1e308})"),
             R"("music.volume": a number from 0 to 2)"},
            {"two watermarks", album(R"("watermark": {"text": "a", "image": "b"})"),
             R"("watermark": either "text" or "image", not both)"},
            {"no watermark kind", album(R"("watermark": {"position": "top"})"),
             R"("watermark": an object with "text" or "image")"},
            {"huge text size", album(R"("watermark": {"text": "a", "pixelSize": 1e7})"),
             R"("watermark.pixelSize": a whole number from 1 to 1000)"},
            {"colour by name", album(R"("watermark": {"text": "a", "color": "red"})"),
             R"("watermark.color": a colour written #rrggbb)"},
            {"position", album(R"("watermark": {"image": "b", "position": "middle"})"),
             R"("watermark.position": one of lefttop top righttop left center right )"},
            {"fps 50", album(R"("export": {"fps": 50})"),
             R"("export.fps": one of 24 25 30 60 120)"},
            {"format", album(R"("export": {"format": "mp4"})"),
             R"("export.format": one of MP4 AVI WMV FLV MKV MOV GIF WEBM M4V)"},
            {"negative bit rate", album(R"("export": {"videoBitrate": -5})"),
             R"("export.videoBitrate": a whole number from 0 to 1000000)"},
            {"name with a slash", album(R"("export": {"name": "../x"})"),
             R"("export.name": a file name without "/", line breaks or NUL characters)"},
        };
        for (const auto &c : cases)
            QTest::newRow(c.name) << c.json << QString::fromUtf8(c.error);

        // Bounded: more pictures than an album may hold, counted before any is read.
        QByteArray many(R"({"velmoraalbum": 1, "pictures": [{})");
        many += QByteArray(",{}").repeated(kMaxAlbumPictures) + "]}";
        QTest::newRow("10001 pictures")
            << many << R"("pictures": at most 10000 pictures, not 10001)";
        // Ten million pictures cannot fit under the byte limit; a text one byte over it stands
        // for them (and for a 2 GB file) without building either.
        QByteArray over = album("");
        over += QByteArray(int(kMaxAlbumFileBytes) + 1 - over.size(), ' ');
        QTest::newRow("one byte over the limit")
            << over << "It is larger than an album file can be (16777217 bytes; at most 16777216)";
    }
    void hostile()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        const AlbumReadResult r = parseAlbum(json, QStringLiteral("/albums"));
        QVERIFY(!r.ok);
        QVERIFY2(r.error.startsWith(error), qPrintable(r.error));
        QVERIFY(r.album == StoredAlbum());
    }

    // Unknown keys are for newer versions; missing keys take a new album's values.
    void lenientWhereItShouldBe()
    {
        const AlbumReadResult r = parseAlbum(
            QByteArray("\xEF\xBB\xBF") + R"({"velmoraalbum": 1.0, "pictures": [{"file": "a.jpg",
            "transition": null, "subtitle": "later"}], "music": null, "watermark": {"text": ""},
            "export": {"format": "MKV", "folder": ""}, "camera": {"zoom": true}})",
            QStringLiteral("/albums"));
        QVERIFY2(r.ok, qPrintable(r.error));
        StoredAlbum expected;
        expected.pictures = {{QStringLiteral("/albums/a.jpg"), -1}};
        expected.watermarkType = WatermarkText;
        expected.exportChoices = AlbumExportChoices();
        expected.exportChoices->format = QStringLiteral("MKV");
        QVERIFY(r.album == expected);
    }

    // The per-picture keys as they stand in the file, and the record's settings in the album.
    void pictureSettingsInTheFile()
    {
        const QByteArray json =
            serializeAlbum(storyAlbum(QStringLiteral("/s")), QStringLiteral("/s"));
        const QByteArray row4 = kTransitionKinds[4].transitionName;
        const QByteArray row7 = kTransitionKinds[7].transitionName;
        for (const QByteArray &line :
             {R"({"file": "a.jpg", "duration": 0.5, "transition": {"kind": ")" + row4 +
                  R"(", "seconds": 1.5, "chosen": true}})",
              QByteArray(R"({"file": "b.jpg", "transition": {"kind": "none"}})"),
              R"({"file": "c.jpg", "duration": 2.345678, "transition": {"kind": ")" + row7 +
                  R"(", "seconds": 3}})",
              QByteArray(R"({"file": "d.jpg", "transition": {"kind": "random", "seconds": 0.5}})"),
              QByteArray(R"({"file": "e.jpg"})")})
            QVERIFY2(json.contains(line), line.constData());

        Album &job = testAlbum();
        clearAlbum(job);
        TransitionPicker::reset(0);
        const StoredAlbum story = storyAlbum(QStringLiteral("/s"));
        for (int i = 0; i < story.pictures.size(); ++i) {
            MaterialItem item;
            item.path = story.pictures[i].file;
            appendPicture(job, item, false, i > 0 ? story.transitionKindFor(i - 1) : nullptr);
            setPictureOptions(job, i, story.pictures[i].options());
        }
        const StoredAlbum back = storedAlbumFrom(job, QStringLiteral("16:9"));
        for (int i = 0; i < story.pictures.size(); ++i) {
            QCOMPARE(back.pictures[i].duration, story.pictures[i].duration);
            QCOMPARE(back.pictures[i].transition, story.pictures[i].transition);
            QCOMPARE(back.pictures[i].transitionLength, story.pictures[i].transitionLength);
            QCOMPARE(job.optionsAt(i), story.pictures[i].options());
        }
        QCOMPARE(job.slotKind(0), &kTransitionKinds[4]);
        QCOMPARE(job.slotDuration(0), qint64(500000)); // 1.5 s, within the 0.5 s picture
        QCOMPARE(job.slotKind(1), nullptr);
        clearAlbum(job);
    }

    // Looks in the file: presets and rectangles, captions, fills, the album's gentle motion, fill
    // and watermark edge, each written only when chosen; values outside their ranges refused.
    void looksInTheFile()
    {
        StoredAlbum a;
        a.pictures = {{QStringLiteral("/l/a.jpg")},
                      {QStringLiteral("/l/b.jpg")},
                      {QStringLiteral("/l/c.jpg")}};
        a.pictures[0].motion.kind = MotionKind::PanLeft;
        a.pictures[0].fill = Fill{FillKind::Blur, 0xff000000};
        a.pictures[1].motion =
            Motion{MotionKind::Custom, QRectF(0.1, 0.2, 0.5, 0.5), QRectF(0, 0, 1, 1)};
        a.pictures[1].caption.text = QStringLiteral("海边 \"Beach\"\nday 2");
        a.pictures[1].caption.family = QStringLiteral("Noto Sans");
        a.pictures[1].caption.sizeOfHeight = 0.08;
        a.pictures[1].caption.colour = 0xffffcc00;
        a.pictures[1].caption.position = Top;
        a.pictures[1].caption.effect = TextEffect::Outline;
        a.pictures[2].motion.kind = MotionKind::None;
        a.pictures[2].fill = Fill{FillKind::Colour, 0xff336699};
        a.gentleMotion = true;
        a.fill = Fill{FillKind::Blur, 0xff000000};
        a.watermarkType = WatermarkText;
        a.watermarkText = QStringLiteral("mark");
        a.watermarkEffect = TextEffect::Shadow;
        const QByteArray json = serializeAlbum(a, QStringLiteral("/l"));
        for (const QByteArray &line :
             {QByteArray(R"({"file": "a.jpg", "motion": {"preset": "pan-left"}, "fill": "blur"})"),
              QByteArray(R"("motion": {"from": [0.1, 0.2, 0.5, 0.5], "to": [0, 0, 1, 1]})"),
              // Ordinary literals: escapes or a "#" inside a raw one throw moc off.
              QByteArray("\"caption\": {\"text\": \"海边 \\\"Beach\\\"\\nday 2\", "
                         "\"family\": \"Noto Sans\", \"size\": 0.08, \"color\": \"#ffcc00\", "
                         "\"position\": \"top\", \"effect\": \"outline\"}"),
              QByteArray("{\"file\": \"c.jpg\", \"motion\": {\"preset\": \"none\"}, "
                         "\"fill\": \"#336699\"}"),
              QByteArray("    \"motion\": \"gentle\",\n    \"fill\": \"blur\",\n"),
              QByteArray(R"("effect": "shadow")")})
            QVERIFY2(json.contains(line), line.constData());
        const AlbumReadResult r = parseAlbum(json, QStringLiteral("/l"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.album == a);
        QCOMPARE(r.album.pictures[1].options().caption, a.pictures[1].caption);

        // An album without looks writes none of their keys.
        StoredAlbum plain;
        plain.pictures = {{QStringLiteral("/l/a.jpg")}};
        const QByteArray plainJson = serializeAlbum(plain, QStringLiteral("/l"));
        for (const char *key : {"motion", "fill", "caption", "effect"})
            QVERIFY2(!plainJson.contains(key), key);

        const struct
        {
            const char *json;
            const char *error;
        } bad[] = {
            {R"("pictures": [{"file": "a", "motion": {"preset": "spin"}}])",
             R"("pictures[0].motion.preset": one of none zoom-in)"},
            {R"("pictures": [{"file": "a", "motion": {"from": [0, 0, 1, 1], "to": [0.5, 0.5, 0.8, 0.8]}}])",
             R"("pictures[0].motion.to": [x, y, width, height])"},
            {R"("pictures": [{"file": "a", "motion": {"from": [0, 0, 0.01, 0.01], "to": [0, 0, 1, 1]}}])",
             R"("pictures[0].motion.from": [x, y, width, height])"},
            {R"("pictures": [{"file": "a", "motion": {"from": [0, 0, 1]}}])",
             R"("pictures[0].motion.from": [x, y, width, height])"},
            {R"("pictures": [{"file": "a", "fill": "purple"}])",
             R"("pictures[0].fill": "black", "blur", "crop" or a colour)"},
            {R"("pictures": [{"file": "a", "caption": {"text": "x", "size": 0.9}}])",
             R"("pictures[0].caption.size": a share of the picture height)"},
            {R"("pictures": [{"file": "a", "caption": {"text": "x", "color": "red"}}])",
             R"("pictures[0].caption.color": a colour written #rrggbb)"},
            {R"("pictures": [{"file": "a", "caption": {"text": 5}}])",
             R"("pictures[0].caption.text": a text)"},
            {R"("pictures": [{"file": "a"}], "motion": "wild")", R"("motion": one of none gentle)"},
            {R"("pictures": [{"file": "a"}], "watermark": {"text": "m", "effect": "glow"})",
             R"("watermark.effect": one of plain outline shadow)"},
        };
        for (const auto &c : bad) {
            const AlbumReadResult b =
                parseAlbum(QByteArray(R"({"velmoraalbum": 1, )") + c.json + '}', QString());
            QVERIFY2(!b.ok && b.error.startsWith(QString::fromUtf8(c.error)),
                     qPrintable(c.json + QStringLiteral(" -> ") + b.error));
        }
    }

    // The shaping keys stand beside the file, each only when it differs from the music as it
    // is; the record's shaping comes into the album with its music only.
    void musicShapeInTheFile()
    {
        StoredAlbum album = textAlbum(QStringLiteral("/s"));
        album.musicShape = MusicShape{12500000, 0, 3000000, 0.8};
        QVERIFY(serializeAlbum(album, QStringLiteral("/s"))
                    .contains(R"("music": {"file": "song.mp3", "start": 12.5, "fadeOut": 3, )"
                              R"("volume": 0.8},)"));
        album.musicShape = MusicShape{0, 250000, 0, 1.0};
        QVERIFY(serializeAlbum(album, QStringLiteral("/s"))
                    .contains(R"("music": {"file": "song.mp3", "fadeIn": 0.25},)"));

        Album &job = testAlbum();
        job.musicShape = MusicShape{1000000, 0, 0, 1.5};
        job.musicType = MusicNone;
        job.musicPath.clear();
        QCOMPARE(storedAlbumFrom(job, QStringLiteral("16:9")).musicShape, MusicShape());
        job.musicType = MusicCustom;
        job.musicPath = QStringLiteral("/s/song.mp3");
        QCOMPARE(storedAlbumFrom(job, QStringLiteral("16:9")).musicShape,
                 (MusicShape{1000000, 0, 0, 1.5}));
        job.musicType = MusicNone;
        job.musicPath.clear();
        job.musicShape = MusicShape();
    }

    // A list is written as its tracks and crossfade, with its first track as "file" for older
    // builds; one track as it always was.
    void musicListInTheFile()
    {
        StoredAlbum album = textAlbum(QStringLiteral("/s"));
        album.musicMore = QStringList{QStringLiteral("/s/b.flac")};
        album.musicShape.fadeOut = 3000000;
        QVERIFY(
            serializeAlbum(album, QStringLiteral("/s"))
                .contains(
                    R"("music": {"file": "song.mp3", "tracks": [{"file": "song.mp3"}, {"file": "b.flac"}], )"
                    R"("crossfade": 2, "fadeOut": 3},)"));
        album.musicMore.clear();
        QVERIFY(serializeAlbum(album, QStringLiteral("/s"))
                    .contains(R"("music": {"file": "song.mp3", "fadeOut": 3},)"));
        for (const char *szMusic :
             {R"({"tracks": []})", R"({"tracks": [{"file": "a.mp3"}], "crossfade": 11})"})
            QVERIFY(
                !parseAlbum(R"({"velmoraalbum": 1, "pictures": [{"file": "a.jpg"}], "music": )" +
                                QByteArray(szMusic) + '}',
                            QStringLiteral("/a"))
                     .ok);
    }

    // The cut on the beat in "music", each track's corrections beside it; nothing when unset.
    void beatsInTheFile()
    {
        StoredAlbum album = textAlbum(QStringLiteral("/s"));
        album.beatCut = BeatCut::Auto;
        album.beatCorrections = {BeatCorrection{20000, 1, 1}};
        QVERIFY(serializeAlbum(album, QStringLiteral("/s"))
                    .contains(R"("music": {"file": "song.mp3", "beats": {"shift": 0.02, )"
                              R"("tempo": "double", "barPhase": 1}, "cut": "auto"},)"));
        album.musicMore = QStringList{QStringLiteral("/s/b.flac")};
        album.beatCut = BeatCut::TwoBeats;
        album.beatCorrections = {BeatCorrection(), BeatCorrection{-500000, -1, 0}};
        QVERIFY(
            serializeAlbum(album, QStringLiteral("/s"))
                .contains(R"("tracks": [{"file": "song.mp3"}, {"file": "b.flac", "beats": )"
                          R"({"shift": -0.5, "tempo": "half"}}], "crossfade": 2, "cut": "2"},)"));
        // The fit goes with the cut, and back.
        album.beatFit = true;
        const QByteArray fitted = serializeAlbum(album, QStringLiteral("/s"));
        QVERIFY(fitted.contains(R"("cut": "2", "fit": true)"));
        const AlbumReadResult back = parseAlbum(fitted, QStringLiteral("/s"));
        QVERIFY2(back.ok, qPrintable(back.error));
        QVERIFY(back.album.beatFit);
        album.beatCut = BeatCut::Off;
        album.beatCorrections.clear();
        QVERIFY(!serializeAlbum(album, QStringLiteral("/s")).contains("fit"));
        album.beatFit = false;
        QVERIFY(!serializeAlbum(album, QStringLiteral("/s")).contains("cut"));
        QVERIFY(!serializeAlbum(album, QStringLiteral("/s")).contains("beats"));

        // "off" reads as no cut; a correction that corrects nothing is not kept.
        const AlbumReadResult off = parseAlbum(
            R"({"velmoraalbum": 1, "pictures": [], "music": {"file": "a.mp3", "cut": "off", )"
            R"("beats": {"tempo": "found", "shift": 0}}})",
            QStringLiteral("/a"));
        QVERIFY2(off.ok, qPrintable(off.error));
        QCOMPARE(off.album.beatCut, BeatCut::Off);
        QVERIFY(off.album.beatCorrections.isEmpty());

        const struct
        {
            const char *music;
            const char *error;
        } refused[] = {
            {R"({"file": "a.mp3", "cut": "fast"})",
             R"("music.cut": "beat", "2", "bar", "2bars", "auto" or "off")"},
            {R"({"file": "a.mp3", "cut": 2})",
             R"("music.cut": "beat", "2", "bar", "2bars", "auto" or "off")"},
            {R"({"file": "a.mp3", "cut": ""})",
             R"("music.cut": "beat", "2", "bar", "2bars", "auto" or "off")"},
            {R"({"file": "a.mp3", "beats": [1]})", R"("music.beats": null or an object)"},
            {R"({"file": "a.mp3", "cut": "bar", "fit": 1})", R"("music.fit": true or false)"},
            {R"({"file": "a.mp3", "beats": {"shift": 5.1}})",
             R"("music.beats.shift": seconds from -5 to 5)"},
            {R"({"file": "a.mp3", "beats": {"tempo": "triple"}})",
             R"("music.beats.tempo": one of )"},
            {R"({"file": "a.mp3", "beats": {"barPhase": 4}})",
             R"("music.beats.barPhase": a whole number from 0 to 3)"},
            {R"({"tracks": [{"file": "a.mp3"}, {"file": "b.mp3", "beats": {"barPhase": 1.5}}]})",
             R"("music.tracks[1].beats.barPhase": a whole number from 0 to 3)"},
        };
        for (const auto &c : refused) {
            const AlbumReadResult r = parseAlbum(
                R"({"velmoraalbum": 1, "pictures": [], "music": )" + QByteArray(c.music) + '}',
                QStringLiteral("/a"));
            QVERIFY2(!r.ok && r.error.startsWith(QString::fromUtf8(c.error)), qPrintable(r.error));
        }

        // From the album: the choice and the corrections of its tracks, nothing without music.
        Album &job = testAlbum();
        job.musicType = MusicCustom;
        job.musicPath = QStringLiteral("/s/song.mp3");
        job.beatCut = BeatCut::Bar;
        job.beatCorrections = {BeatCorrection{30000, 0, 0}, BeatCorrection{0, 1, 0}};
        StoredAlbum stored = storedAlbumFrom(job, QStringLiteral("16:9"));
        QCOMPARE(stored.beatCut, BeatCut::Bar);
        QCOMPARE(stored.beatCorrections.size(), 1);
        QVERIFY(stored.beatCorrections.at(0) == (BeatCorrection{30000, 0, 0}));
        // The derived timing is not the user's and never reaches the file.
        for (int i = 0; i < job.materialOrder.size(); ++i) {
            job.beatDurations.append(1234567);
            job.beatSlots.append(0);
        }
        QVERIFY(storedAlbumFrom(job, QStringLiteral("16:9")) == stored);
        job.beatDurations.clear();
        job.beatSlots.clear();
        job.musicType = MusicNone;
        job.musicPath.clear();
        stored = storedAlbumFrom(job, QStringLiteral("16:9"));
        QCOMPARE(stored.beatCut, BeatCut::Off);
        QVERIFY(stored.beatCorrections.isEmpty());
        job.beatCut = BeatCut::Off;
        job.beatCorrections.clear();
    }

    // A clip's trim, sound and speed, and the music's ducking, are written only when set, and
    // read back; values out of range are refused by name.
    void clipsInTheFile()
    {
        StoredAlbum album = textAlbum(QStringLiteral("/s"));
        album.pictures[0].clip = ClipOptions{1500000, 7250000, 150, true, 50};
        album.duckDb = 20;
        const QByteArray text = serializeAlbum(album, QStringLiteral("/s"));
        QVERIFY(text.contains(
            R"("clip": {"in": 1.5, "out": 7.25, "volume": 1.5, "mute": true, "speed": 0.5})"));
        QVERIFY(text.contains(R"("duck": 20)"));
        AlbumReadResult read = parseAlbum(text, QStringLiteral("/s"));
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.pictures[0].clip, album.pictures[0].clip);
        QCOMPARE(read.album.pictures[0].options().clip, album.pictures[0].clip);
        QCOMPARE(read.album.duckDb, 20);
        // Paused, the level chosen before is kept for when ducking is chosen again.
        album.pauseMusicForClips = true;
        read = parseAlbum(serializeAlbum(album, QStringLiteral("/s")), QStringLiteral("/s"));
        QVERIFY(read.ok && read.album.pauseMusicForClips);
        QCOMPARE(read.album.duckDb, 20);
        // Defaults write nothing: albums without clips read as they always did.
        album = textAlbum(QStringLiteral("/s"));
        QVERIFY(!serializeAlbum(album, QStringLiteral("/s")).contains("\"clip\""));
        QVERIFY(!serializeAlbum(album, QStringLiteral("/s")).contains("\"duck\""));
        for (const char *szClip :
             {R"({"in": -1})", R"({"speed": 5})", R"({"speed": 0.1})", R"({"volume": 2.5})",
              R"({"mute": 1})", R"({"in": 5, "out": 4})", R"("fast")"}) {
            const AlbumReadResult bad =
                parseAlbum(R"({"velmoraalbum": 1, "pictures": [{"file": "a.mp4", "clip": )" +
                               QByteArray(szClip) + "}]}",
                           QStringLiteral("/a"));
            QVERIFY2(!bad.ok && bad.error.contains(QLatin1String("pictures[0].clip")), szClip);
        }
        for (const char *szDuck : {"41", "-1", R"("loud")", "true"})
            QVERIFY2(!parseAlbum(R"({"velmoraalbum": 1, "pictures": [], "music": {"file": )"
                                 R"("a.mp3", "duck": )" +
                                     QByteArray(szDuck) + "}}",
                                 QStringLiteral("/a"))
                          .ok,
                     szDuck);
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("a folder named x.vmalbum") << "folder"
                                                  << "It is a folder, not an album file";
        QTest::newRow("2 GB") << "huge"
                              << "It is larger than an album file can be (2147483648 bytes; "
                                 "at most 16777216)";
        QTest::newRow("missing") << "missing"
                                 << "Cannot open it: No such file or directory";
        QTest::newRow("a device") << "device"
                                  << "It is not a regular file";
    }
    void unreadableFiles()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("x.vmalbum"));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("huge")) {
            // Sparse: it takes no space, and a reader that read it would take seconds.
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(2) << 30));
        } else if (kind == QLatin1String("device")) {
            path = QStringLiteral("/dev/zero");
        }
        QElapsedTimer clock;
        clock.start();
        const AlbumReadResult r = readAlbumFile(path);
        QVERIFY(!r.ok);
        QTEST(r.error, "error");
        QVERIFY(clock.elapsed() < 1000);
    }

    // A failed save says why, leaves the old file as it was and nothing beside it.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("a folder named x.vmalbum") << "folder"
                                                  << "It is a folder, not an album file";
        QTest::newRow("missing folder") << "no folder"
                                        << "Cannot create a file in \"%1/gone\": No such file";
        QTest::newRow("through a file") << "through a file"
                                        << "Cannot create a file in \"%1/plain\": Not a dir";
        QTest::newRow("a name that would not read back")
            << "newline"
            << "The album cannot be saved as it is: \"pictures[0].file\": a file name";
        QTest::newRow("the disk refuses the bytes") << "size limit"
                                                    << "Cannot write the file: File too large";
    }
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString folder = dir.path();
        QString target = folder + QStringLiteral("/x.vmalbum");
        const QByteArray old("the old album\n");
        QVERIFY(QFile(folder + QStringLiteral("/plain")).open(QIODevice::WriteOnly));
        StoredAlbum album = textAlbum(folder);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(target + QStringLiteral("/inside")));
        else if (kind == QLatin1String("no folder"))
            target = folder + QStringLiteral("/gone/x.vmalbum");
        else if (kind == QLatin1String("through a file"))
            target = folder + QStringLiteral("/plain/x.vmalbum");
        else {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        }
        if (kind == QLatin1String("newline"))
            album.pictures[0].file = folder + QStringLiteral("/a\nb.jpg");

        // Root writes anywhere; a file size limit makes the write itself fail, for anyone.
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (kind == QLatin1String("size limit")) {
            rlimit small = saved;
            small.rlim_cur = 64;
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        }
        QString why;
        const bool written = writeAlbumFile(target, album, &why);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QVERIFY2(why.startsWith(error.contains(QLatin1String("%1")) ? error.arg(folder) : error),
                 qPrintable(why));
        if (QFileInfo(target).isFile())
            QCOMPARE(readAll(target), old);
        QVERIFY(kind != QLatin1String("folder") || QFileInfo::exists(target + "/inside"));
        QVERIFY(leftovers(folder).isEmpty());
    }

    // A save replaces the old file in one step and keeps its permissions.
    void saveKeepsPermissions()
    {
        const QString target = m_dir.filePath(QStringLiteral("replace.vmalbum"));
        QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
        QString error;
        QVERIFY2(writeAlbumFile(target, pictureAlbum(m_dir.path()), &error), qPrintable(error));
        QCOMPARE(readAll(target), serializeAlbum(pictureAlbum(m_dir.path()), m_dir.path()));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    // A save through a symbolic link (or a chain of them) replaces the real file from beside it
    // and leaves the links as they were; paths in the file are the real file's folder's, and a
    // read through the link finds the same pictures. A dangling link gets its file made.
    void saveThroughLinks_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *szKind : {"relative", "absolute", "chain", "dangling", "linked folder"})
            QTest::newRow(szKind) << QString::fromLatin1(szKind);
    }
    void saveThroughLinks()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QDir root(dir.path());
        for (const char *szFolder : {"real", "link", "deep/inner", "deep/real", "link/real"})
            QVERIFY(root.mkpath(QString::fromLatin1(szFolder)));
        const auto link = [](const QString &szTarget, const QString &szName) {
            return ::symlink(QFile::encodeName(szTarget).constData(),
                             QFile::encodeName(szName).constData()) == 0;
        };
        const QString name = root.filePath(QStringLiteral("link/B.vmalbum"));
        // The folder the real file is in; only "linked folder" finds another than its text.
        QString realFolder = root.filePath(QStringLiteral("real"));
        if (kind == QLatin1String("relative") || kind == QLatin1String("dangling")) {
            QVERIFY(link(QStringLiteral("../real/B.vmalbum"), name));
        } else if (kind == QLatin1String("absolute")) {
            QVERIFY(link(root.filePath(QStringLiteral("real/B.vmalbum")), name));
        } else if (kind == QLatin1String("chain")) {
            QVERIFY(link(QStringLiteral("real/B.vmalbum"), root.filePath("C.vmalbum")));
            QVERIFY(link(QStringLiteral("../C.vmalbum"), name));
        } else {
            // "sub/.." is deep/, not link/: link/real (there too) is not the album's folder.
            QVERIFY(link(QStringLiteral("../deep/inner"), root.filePath("link/sub")));
            QVERIFY(link(QStringLiteral("sub/../real/B.vmalbum"), name));
            realFolder = root.filePath(QStringLiteral("deep/real"));
        }
        const QString real = realFolder + QStringLiteral("/B.vmalbum");
        if (kind != QLatin1String("dangling")) {
            QVERIFY(QFile(real).open(QIODevice::WriteOnly));
            QVERIFY(::chmod(QFile::encodeName(real).constData(), 0640) == 0);
        }
        const QString linkText = QFile::symLinkTarget(name);

        StoredAlbum album;
        album.pictures = {{realFolder + QStringLiteral("/beside the album.jpg"), -1},
                          {root.filePath(QStringLiteral("link/beside the link.jpg")), -1}};
        QString error;
        QVERIFY2(writeAlbumFile(name, album, &error), qPrintable(error));

        QVERIFY(QFileInfo(name).isSymLink());
        QCOMPARE(QFile::symLinkTarget(name), linkText);
        const QByteArray text = readAll(real);
        QVERIFY2(text.contains("\"file\": \"beside the album.jpg\""), text.constData());
        QVERIFY2(text.contains(QFile::encodeName(album.pictures[1].file)), text.constData());
        const AlbumReadResult back = readAlbumFile(name);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(back.album.pictures, album.pictures);
        if (kind != QLatin1String("dangling")) {
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(real).constData(), &st) == 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0640));
        }
        QVERIFY(leftovers(realFolder).isEmpty());
        QVERIFY(QDir(root.filePath(QStringLiteral("link")))
                    .entryList(QDir::Files | QDir::Hidden)
                    .filter(QStringLiteral(".part"))
                    .isEmpty());
    }

    // Links that lead nowhere a file can be: a loop is refused with the reason, nothing made.
    void saveThroughALinkLoop()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.vmalbum"));
        const QString b = dir.filePath(QStringLiteral("b.vmalbum"));
        QVERIFY(QFile::link(QStringLiteral("b.vmalbum"), a));
        QVERIFY(QFile::link(QStringLiteral("a.vmalbum"), b));
        QString error;
        QVERIFY(!writeAlbumFile(a, pictureAlbum(dir.path()), &error));
        QCOMPARE(error, QStringLiteral("Cannot follow the link \"%1\": Too many levels of "
                                       "symbolic links")
                            .arg(a));
        QCOMPARE(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{QStringLiteral("a.vmalbum"), QStringLiteral("b.vmalbum")}));
        QVERIFY(QFileInfo(a).isSymLink() && QFileInfo(b).isSymLink());
    }

    // The record as a file: pictures in order with the slot after each, the list texts, the
    // watermark, music and export fields.
    void albumFromJobRecordsTheAlbum()
    {
        Album &job = testAlbum();
        TransitionPicker::reset(5);
        const QString a = QStringLiteral("/p/a.jpg"), b = QStringLiteral("/p/b.jpg");
        for (const QString &path : {a, b, a})
            appendPicture(job, MaterialItem{path, {4, 3}, QSize(400, 300)});
        setUniformDurationSeconds(job, 7);
        job.height = 720;
        job.musicPath = QStringLiteral("/p/song.mp3");
        job.musicType = MusicCustom;
        job.watermarkType = WatermarkText;
        job.watermarkText = QStringLiteral("hello");
        job.watermarkFont.setPixelSize(30);
        job.watermarkColor = QColor(1, 2, 3);
        job.watermarkPosition = Bottom;

        StoredAlbum expected;
        expected.pictures = {{a, 5}, {b, 8}, {a, -1}};
        expected.transitionStart = 5;
        expected.durationSeconds = 7;
        expected.ratio = QStringLiteral("auto");
        expected.height = QStringLiteral("720P");
        expected.music = job.musicPath;
        expected.watermarkType = WatermarkText;
        expected.watermarkText = QStringLiteral("hello");
        expected.watermarkPixelSize = 30;
        expected.watermarkColor = QColor(1, 2, 3);
        expected.watermarkPosition = Bottom;
        // The export dialog was never opened: no export choices.
        QVERIFY(storedAlbumFrom(job, QStringLiteral("self-adaption(default)")) == expected);

        job.musicType = MusicNone; // a path kept from before is no music
        job.exportFormat = QStringLiteral("MOV");
        job.frameRate = {30, 1};
        job.videoBitRate = 512000;
        job.audioBitRate = 128000;
        job.sampleRate = 48000;
        job.exportDirectory = QStringLiteral("/videos");
        job.fileName = QStringLiteral("trip");
        expected.ratio = QStringLiteral("4:3");
        expected.music.clear();
        expected.exportChoices = AlbumExportChoices{
            QStringLiteral("MOV"), 30, 512, 128, 48000, QStringLiteral("/videos"),
            QStringLiteral("trip")};
        QVERIFY(storedAlbumFrom(job, QStringLiteral("4:3")) == expected);
    }
};

int main(int argc, char **argv)
{
    // QFont in the record needs a GUI application; the offscreen platform is enough.
    QGuiApplication app(argc, argv);
    TestAlbumFile test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_albumfile.moc"
