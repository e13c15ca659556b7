// The album file: what a round trip keeps, how paths travel, what a hostile file gets, and that
// a failed save leaves the old file alone.
#include "albumfile.h"
#include "albumops.h"
#include "renderjob.h"

#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

Q_DECLARE_METATYPE(AlbumDocument)

namespace {

// Every member away from its default.
AlbumDocument textAlbum(const QString &szDir)
{
    AlbumDocument a;
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

AlbumDocument pictureAlbum(const QString &szDir)
{
    AlbumDocument a;
    a.pictures = {{szDir + QStringLiteral("/a.jpg"), -1}};
    a.ratio = QStringLiteral("auto");
    a.height = QStringLiteral("480P");
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

// A well-formed album whose `key` holds `value` (JSON text), for the refusals below.
QByteArray albumWith(const char *key, const char *value)
{
    QByteArray json = R"({"velmoraalbum": 1, "pictures": [{"file": "a.jpg"}, {"file": "b.jpg"}])";
    if (key)
        json += QByteArray(", \"") + key + "\": " + value;
    return json + '}';
}

} // namespace

class TestAlbumFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void roundTripKeepsEveryField_data()
    {
        QTest::addColumn<AlbumDocument>("album");
        QTest::newRow("text watermark, music, export") << textAlbum(m_dir.path());
        QTest::newRow("picture watermark, auto ratio") << pictureAlbum(m_dir.path());
        QTest::newRow("a new album") << AlbumDocument();
    }
    void roundTripKeepsEveryField()
    {
        QFETCH(AlbumDocument, album);
        const QString path = m_dir.filePath(QStringLiteral("round.vmalbum"));
        QString error;
        QVERIFY2(writeAlbumFile(path, album, &error), qPrintable(error));
        const AlbumReadResult read = readAlbumFile(path);
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY(read.error.isEmpty());
        QCOMPARE(read.album.pictures, album.pictures);
        QVERIFY(read.album == album);
        QVERIFY(leftovers(m_dir.path()).isEmpty());
    }

    // The names other tools and our own checks read.
    void fileUsesTheDocumentedNames()
    {
        const QByteArray json = serializeAlbum(textAlbum(QStringLiteral("/albums/summer")),
                                               QStringLiteral("/albums/summer"));
        QVERIFY(json.startsWith("{\n    \"velmoraalbum\": 1,\n"));
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        QCOMPARE(o.value(QStringLiteral("velmoraalbum")).toInt(), 1);
        const QJsonArray pictures = o.value(QStringLiteral("pictures")).toArray();
        QCOMPARE(pictures.size(), 3);
        QCOMPARE(pictures.at(0).toObject().value(QStringLiteral("file")).toString(),
                 QStringLiteral("beach/IMG_0001.JPG"));
        QCOMPARE(pictures.at(0).toObject()[QStringLiteral("transition")].toObject().value(
                     QStringLiteral("kind")),
                 QJsonValue(QStringLiteral("radial")));
        QVERIFY(!pictures.at(1).toObject().contains(QStringLiteral("transition")));
        QCOMPARE(o.value(QStringLiteral("duration")).toInt(), 17);
        QCOMPARE(o.value(QStringLiteral("transitionStart")).toInt(), 11);
        QCOMPARE(o.value(QStringLiteral("ratio")).toString(), QStringLiteral("9:16"));
        QCOMPARE(o.value(QStringLiteral("height")).toString(), QStringLiteral("2K"));
        QCOMPARE(o.value(QStringLiteral("music")).toObject().value(QStringLiteral("file")),
                 QJsonValue(QStringLiteral("song.mp3")));
        const QJsonObject mark = o.value(QStringLiteral("watermark")).toObject();
        QCOMPARE(mark.keys(), (QStringList{"color", "family", "pixelSize", "position", "text"}));
        QCOMPARE(mark.value(QStringLiteral("color")).toString(), QStringLiteral("#ff8800"));
        QCOMPARE(mark.value(QStringLiteral("position")).toString(), QStringLiteral("rightbottom"));
        QCOMPARE(mark.value(QStringLiteral("pixelSize")).toInt(), 126);
        const QJsonObject e = o.value(QStringLiteral("export")).toObject();
        QCOMPARE(e.keys(), (QStringList{"audioBitrate", "folder", "format", "fps", "name",
                                        "sampleRate", "videoBitrate"}));
        QCOMPARE(e.value(QStringLiteral("videoBitrate")).toInt(), 768);
        // A new album: no music, no watermark, no export choices yet.
        const QJsonObject fresh =
            QJsonDocument::fromJson(serializeAlbum(AlbumDocument(), QString())).object();
        QVERIFY(fresh.value(QStringLiteral("music")).isNull());
        QVERIFY(fresh.value(QStringLiteral("watermark")).isNull());
        QVERIFY(!fresh.contains(QStringLiteral("export")));
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
        QTest::newRow("percent signs") << "/albums/summer/frame%03d %1.jpg"
                                       << "frame%03d %1.jpg"
                                       << "/moved/frame%03d %1.jpg";
        QTest::newRow("unclean") << "/albums/summer/./x/../b.jpg"
                                 << "b.jpg"
                                 << "/moved/b.jpg";
    }
    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, stored);
        AlbumDocument album;
        album.pictures = {{path, -1}};
        album.music = path;
        const QByteArray json = serializeAlbum(album, QStringLiteral("/albums/summer"));
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        QCOMPARE(o[QStringLiteral("pictures")][0][QStringLiteral("file")].toString(), stored);
        QCOMPARE(o[QStringLiteral("music")][QStringLiteral("file")].toString(), stored);
        const AlbumReadResult moved = parseAlbum(json, QStringLiteral("/moved"));
        QVERIFY2(moved.ok, qPrintable(moved.error));
        QTEST(moved.album.pictures.at(0).file, "readElsewhere");
        QTEST(moved.album.music, "readElsewhere");
    }

    // A folder of photos with its album, moved: the album opens with the photos' new paths.
    void movedFolderKeepsItsPictures()
    {
        const QString a = m_dir.filePath(QStringLiteral("trip"));
        const QString b = m_dir.filePath(QStringLiteral("elsewhere/trip"));
        QVERIFY(QDir().mkpath(a + QStringLiteral("/photos")));
        QVERIFY(QDir().mkpath(QFileInfo(b).path()));
        AlbumDocument album = pictureAlbum(a);
        album.pictures.append({a + QStringLiteral("/photos/b.jpg"), 9});
        QString error;
        QVERIFY2(writeAlbumFile(a + QStringLiteral("/trip.vmalbum"), album, &error),
                 qPrintable(error));
        QVERIFY(QDir().rename(a, b));
        const AlbumReadResult read = readAlbumFile(b + QStringLiteral("/trip.vmalbum"));
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.pictures,
                 (QList<AlbumPicture>{{b + QStringLiteral("/a.jpg"), -1},
                                      {b + QStringLiteral("/photos/b.jpg"), 9}}));
        QCOMPARE(read.album.watermarkImage, b + QStringLiteral("/logo.png"));
        QCOMPARE(read.album.exportChoices->folder, b);
    }

    // Every refusal names what is wrong and where, and hands back no album.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << "Not valid JSON: ";
        QTest::newRow("broken JSON")
            << QByteArray(R"({"velmoraalbum": 1, "pictures": [)") << "Not valid JSON: ";
        QTest::newRow("nested too deep") << QByteArray(5000, '[') << "Not valid JSON: ";
        QTest::newRow("a list") << QByteArray("[1, 2]")
                                << "Not an album file: it holds no JSON object";
        QTest::newRow("no version") << QByteArray(R"({"pictures": []})")
                                    << R"(Not an album file: "velmoraalbum" is missing)";
        QTest::newRow("version as text") << QByteArray(R"({"velmoraalbum": "1", "pictures": []})")
                                         << R"("velmoraalbum": a whole number)";
        QTest::newRow("unknown version")
            << QByteArray(R"({"velmoraalbum": 2, "pictures": []})")
            << R"("velmoraalbum": version 2 is not one this program reads (it reads version 1))";
        QTest::newRow("no pictures") << QByteArray(R"({"velmoraalbum": 1})")
                                     << R"(Not an album file: "pictures" is missing)";
        QTest::newRow("pictures an object")
            << QByteArray(R"({"velmoraalbum": 1, "pictures": {}})") << R"("pictures": a list)";
        QTest::newRow("picture a text")
            << QByteArray(R"({"velmoraalbum": 1, "pictures": ["a.jpg"]})")
            << R"("pictures[0]": an object)";
        QTest::newRow("file a number")
            << QByteArray(R"({"velmoraalbum": 1, "pictures": [{"file": "a"}, {"file": "b"},
                          {"file": "c"}, {"file": 5}]})")
            << R"("pictures[3].file": a text)";
        QTest::newRow("no file") << QByteArray(R"({"velmoraalbum": 1, "pictures": [{}]})")
                                 << R"("pictures[0].file" is missing)";
        QTest::newRow("empty file") << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":""}]})")
                                    << R"("pictures[0].file": a file name, not an empty text)";
        QTest::newRow("newline in a file")
            << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a\nb.jpg"}]})")
            << R"("pictures[0].file": a file name without line breaks or NUL characters)";
        QTest::newRow("NUL in a file")
            << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a\u0000.jpg"}]})")
            << R"("pictures[0].file": a file name without line breaks or NUL characters)";
        QTest::newRow("unknown kind, % in it")
            << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a.jpg"},
                          {"file":"b.jpg","transition":{"kind":"%1 %03d"}}]})")
            << R"("pictures[1].transition.kind": "%1 %03d" is not a known transition)";
        QTest::newRow("kind a number")
            << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a","transition":{"kind":3}}]})")
            << R"("pictures[0].transition.kind": a text)";
        QTest::newRow("transition a text")
            << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a","transition":"radial"}]})")
            << R"("pictures[0].transition": null or an object)";
        QTest::newRow("duration 1e9")
            << albumWith("duration", "1e9") << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("duration 1e300")
            << albumWith("duration", "1e300") << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("duration 0")
            << albumWith("duration", "0") << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("duration 2.5")
            << albumWith("duration", "2.5") << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("duration a text")
            << albumWith("duration", R"("3")") << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("duration null")
            << albumWith("duration", "null") << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("transitionStart 23") << albumWith("transitionStart", "23")
                                            << R"("transitionStart": a whole number from 0 to 22)";
        QTest::newRow("ratio 5:4") << albumWith("ratio", R"("5:4")")
                                   << R"("ratio": one of 16:9 4:3 2:1 9:16 3:4 1:1 auto)";
        QTest::newRow("height a number") << albumWith("height", "1080") << R"("height": a text)";
        QTest::newRow("music a text")
            << albumWith("music", R"("song.mp3")") << R"("music": null or an object)";
        QTest::newRow("music without file")
            << albumWith("music", "{}") << R"("music.file" is missing)";
        QTest::newRow("two watermarks") << albumWith("watermark", R"({"text":"a","image":"b"})")
                                        << R"("watermark": either "text" or "image", not both)";
        QTest::newRow("no watermark kind") << albumWith("watermark", R"({"position":"top"})")
                                           << R"("watermark": an object with "text" or "image")";
        QTest::newRow("huge text size")
            << albumWith("watermark", R"({"text":"a","pixelSize":1e7})")
            << R"("watermark.pixelSize": a whole number from 1 to 1000)";
        QTest::newRow("colour by name") << albumWith("watermark", R"({"text":"a","color":"red"})")
                                        << R"("watermark.color": a colour written #rrggbb)";
        QTest::newRow("position") << albumWith("watermark", R"({"image":"b","position":"middle"})")
                                  << R"("watermark.position": one of lefttop top righttop left )";
        QTest::newRow("fps 50") << albumWith("export", R"({"fps":50})")
                                << R"("export.fps": one of 24 25 30 60 120)";
        QTest::newRow("format")
            << albumWith("export", R"({"format":"mpg"})")
            << R"("export.format": one of MP4 AVI WMV FLV MKV MOV GIF WEBM M4V)";
        QTest::newRow("negative bit rate")
            << albumWith("export", R"({"videoBitrate":-5})")
            << R"("export.videoBitrate": a whole number from 0 to 1000000)";
        QTest::newRow("sample rate") << albumWith("export", R"({"sampleRate":96000})")
                                     << R"("export.sampleRate": one of 8000 11025 22050 44100)";
        QTest::newRow("name with a slash")
            << albumWith("export", R"({"name":"../x"})")
            << R"("export.name": a file name without "/", line breaks or NUL characters)";
        QTest::newRow("folder with a newline")
            << albumWith("export", R"({"folder":"/tmp/a\nb"})")
            << R"("export.folder": a file name without line breaks or NUL characters)";

        // Bounded: more pictures than an album may hold, counted before any is read.
        QByteArray many(R"({"velmoraalbum":1,"pictures":[)");
        for (int i = 0; i <= kMaxAlbumPictures; ++i)
            many += i ? ",{}" : "{}";
        QTest::newRow("10001 pictures") << many + "]}"
                                        << R"("pictures": at most 10000 pictures, not 10001)";
        // Ten million pictures cannot fit under the byte limit; a text one byte over it stands
        // for them (and for a 2 GB file) without building either.
        QByteArray over = albumWith(nullptr, nullptr);
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
        QVERIFY(r.album == AlbumDocument());
    }

    // Unknown keys are for newer versions; missing keys take a new album's values.
    void lenientWhereItShouldBe()
    {
        const AlbumReadResult r = parseAlbum(
            QByteArray("\xEF\xBB\xBF") + R"({"velmoraalbum": 1.0, "pictures": [{"file": "a.jpg",
            "transition": null, "caption": "later"}], "music": null, "watermark": {"text": ""},
            "export": {"format": "MKV", "folder": ""}, "motion": {"zoom": true}})",
            QStringLiteral("/albums"));
        QVERIFY2(r.ok, qPrintable(r.error));
        AlbumDocument expected;
        expected.pictures = {{QStringLiteral("/albums/a.jpg"), -1}};
        expected.watermarkType = WatermarkText;
        expected.exportChoices = AlbumExportChoices();
        expected.exportChoices->format = QStringLiteral("MKV");
        QVERIFY(r.album == expected);
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
        QString path = m_dir.filePath(QStringLiteral("x.vmalbum"));
        QDir(path).removeRecursively();
        QFile::remove(path);
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
        QDir(m_dir.filePath(QStringLiteral("x.vmalbum"))).removeRecursively();
        QFile::remove(m_dir.filePath(QStringLiteral("x.vmalbum")));
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
                                        << "Cannot create a file in \"%1/plain.txt\": Not a dir";
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
        const QString folder = m_dir.filePath(QStringLiteral("saves"));
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QString target = folder + QStringLiteral("/x.vmalbum");
        const QByteArray old("the old album\n");
        AlbumDocument album = textAlbum(folder);
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(target + QStringLiteral("/inside")));
        } else if (kind == QLatin1String("no folder")) {
            target = folder + QStringLiteral("/gone/x.vmalbum");
        } else if (kind == QLatin1String("through a file")) {
            QFile plain(folder + QStringLiteral("/plain.txt"));
            QVERIFY(plain.open(QIODevice::WriteOnly));
            target = folder + QStringLiteral("/plain.txt/x.vmalbum");
        } else {
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
        if (kind == QLatin1String("folder"))
            QVERIFY(QFileInfo::exists(target + QStringLiteral("/inside")));
        QVERIFY(leftovers(folder).isEmpty());
    }

    // A save replaces the old file in one step and keeps its permissions.
    void saveReplacesTheOldFile()
    {
        const QString target = m_dir.filePath(QStringLiteral("replace.vmalbum"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
        f.close();
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
        QString error;
        QVERIFY2(writeAlbumFile(target, pictureAlbum(m_dir.path()), &error), qPrintable(error));
        QCOMPARE(readAll(target), serializeAlbum(pictureAlbum(m_dir.path()), m_dir.path()));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QVERIFY(leftovers(m_dir.path()).isEmpty());
    }

    // The record as a file: pictures in order with the slot after each, the list texts, the
    // watermark, music and export fields.
    void albumFromJobRecordsTheAlbum()
    {
        RenderJob &job = RenderJob::instance();
        clearAlbum(job);
        TransitionPicker::reset(5);
        const QString a = m_dir.filePath(QStringLiteral("j1.jpg"));
        const QString b = m_dir.filePath(QStringLiteral("j2.jpg"));
        for (const QString &path : {a, b, a})
            appendPicture(job, MaterialItem{path, {4, 3}, QSize(400, 300), nullptr});
        setUniformDurationSeconds(job, 7);
        job.height = 720;
        job.musicType = MusicCustom;
        job.musicPath = m_dir.filePath(QStringLiteral("song.mp3"));
        job.watermarkType = WatermarkText;
        job.watermarkText = QStringLiteral("hello");
        job.watermarkFont.setPixelSize(30);
        job.watermarkColor = QColor(1, 2, 3);
        job.watermarkPosition = Bottom;
        job.exportFormat.clear();

        AlbumDocument album = albumFromJob(job, QStringLiteral("self-adaption(default)"));
        QCOMPARE(album.pictures, (QList<AlbumPicture>{{a, 5}, {b, 8}, {a, -1}}));
        QCOMPARE(album.transitionStart, 5);
        QCOMPARE(album.durationSeconds, 7);
        QCOMPARE(album.ratio, QStringLiteral("auto"));
        QCOMPARE(album.height, QStringLiteral("720P"));
        QCOMPARE(album.music, job.musicPath);
        QCOMPARE(album.watermarkType, int(WatermarkText));
        QCOMPARE(album.watermarkText, QStringLiteral("hello"));
        QCOMPARE(album.watermarkFamily, QStringLiteral("Microsoft YaHei UI"));
        QCOMPARE(album.watermarkPixelSize, 30);
        QCOMPARE(album.watermarkColor, QColor(1, 2, 3));
        QCOMPARE(album.watermarkPosition, int(Bottom));
        QVERIFY(!album.exportChoices); // the export dialog was never opened

        job.musicType = MusicNone; // a path kept from before does not make music
        job.exportFormat = QStringLiteral("MOV");
        job.frameRate = {30, 1};
        job.videoBitRate = 512000;
        job.audioBitRate = 128000;
        job.sampleRate = 48000;
        job.exportDirectory = QStringLiteral("/videos");
        job.fileName = QStringLiteral("trip");
        album = albumFromJob(job, QStringLiteral("4:3"));
        QCOMPARE(album.ratio, QStringLiteral("4:3"));
        QVERIFY(album.music.isEmpty());
        QVERIFY(album.exportChoices ==
                (AlbumExportChoices{QStringLiteral("MOV"), 30, 512, 128, 48000,
                                    QStringLiteral("/videos"), QStringLiteral("trip")}));
        clearAlbum(job);
        job.exportFormat.clear();
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
