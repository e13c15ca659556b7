// The exporter's command line: what is accepted, what is refused and with which words.
#include "exportoptions.h"

#include <QtTest>

class TestExportOptions : public QObject
{
    Q_OBJECT
private slots:
    void accepted()
    {
        const ParseResult r = parseExportArguments({QStringLiteral("a.jpg"),
                                                    QStringLiteral("-d"),
                                                    QStringLiteral("5"),
                                                    QStringLiteral("-o"),
                                                    QStringLiteral("out/Album.MKV"),
                                                    QStringLiteral("b.png"),
                                                    QStringLiteral("-H"),
                                                    QStringLiteral("2K"),
                                                    QStringLiteral("-r"),
                                                    QStringLiteral("9:16"),
                                                    QStringLiteral("--fps"),
                                                    QStringLiteral("60"),
                                                    QStringLiteral("--video-bitrate"),
                                                    QStringLiteral("512"),
                                                    QStringLiteral("-m"),
                                                    QStringLiteral("Song.MP3"),
                                                    QStringLiteral("--watermark-position"),
                                                    QStringLiteral("RightBottom"),
                                                    QStringLiteral("--watermark-color"),
                                                    QStringLiteral("#FF8800"),
                                                    QStringLiteral("--seed"),
                                                    QStringLiteral("22"),
                                                    QStringLiteral("--"),
                                                    QStringLiteral("-dash.jpg"),
                                                    QStringLiteral("-q")});
        QVERIFY2(r.ok, qPrintable(r.error));
        const ExportOptions &o = r.options;
        QCOMPARE(o.pictures, (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.png"),
                                          QStringLiteral("-dash.jpg"), QStringLiteral("-q")}));
        QVERIFY(!o.quiet); // after "--" it is a picture
        QCOMPARE(o.format(), QStringLiteral("MKV"));
        QCOMPARE(o.durationSeconds, 5);
        QCOMPARE(o.height, 2048);
        QCOMPARE(o.aspectNum, 9);
        QCOMPARE(o.aspectDen, 16);
        QCOMPARE(o.fps, 60);
        QCOMPARE(o.videoKbps, 512);
        QCOMPARE(o.watermarkPosition, 256);
        QCOMPARE(o.watermarkColor, QColor(255, 136, 0));
        QCOMPARE(o.seed, 22);

        const ParseResult d = parseExportArguments(
            {QStringLiteral("x.jpg"), QStringLiteral("-o"), QStringLiteral("y.mp4")});
        QVERIFY(d.ok);
        QCOMPARE(d.options.durationSeconds, 3);
        QCOMPARE(d.options.height, 1080);
        QCOMPARE(d.options.fps, 24);
        QCOMPARE(d.options.sampleRateHz, 44100);
        QCOMPARE(d.options.seed, -1);

        // Music of any kind: its name decides nothing, the engine reads what it holds.
        for (const char *music : {"song.wav", "song.OGG", "song.m4a", "clip.mp4", "song"}) {
            const ParseResult m = parseExportArguments(
                {QStringLiteral("x.jpg"), QStringLiteral("-o"), QStringLiteral("y.mp4"),
                 QStringLiteral("-m"), QString::fromLatin1(music)});
            QVERIFY2(m.ok, qPrintable(m.error));
            QCOMPARE(m.options.music, QString::fromLatin1(music));
        }
        QVERIFY(parseExportArguments({QStringLiteral("--check"), QStringLiteral("x.jpg")}).ok);
        QVERIFY(parseExportArguments({QStringLiteral("--help")}).options.help);
    }

    // The album's choices, each option named on the command line in its place.
    void applyAlbumOverrides()
    {
        StoredAlbum album;
        album.pictures = {{QStringLiteral("/p/a.jpg"), 4},
                          {QStringLiteral("/p/b.jpg"), -1},
                          {QStringLiteral("/p/c.jpg"), -1}};
        album.transitionStart = 21;
        album.durationSeconds = 9;
        album.ratio = QStringLiteral("auto");
        album.height = QStringLiteral("720P");
        album.music = QStringLiteral("/p/song.mp3");
        album.watermarkType = WatermarkText;
        album.watermarkText = QStringLiteral("hi");
        album.watermarkFamily = QStringLiteral("Serif");
        album.watermarkPixelSize = 30; // 720's size: it follows a new height
        album.watermarkPosition = Center;
        album.exportChoices =
            AlbumExportChoices{QStringLiteral("MOV"), 60, 512, 128, 48000, QStringLiteral("/v"),
                               QStringLiteral("trip")};

        ParseResult cli = parseExportArguments({QStringLiteral("t.vmalbum")});
        ParseResult r = applyAlbum(cli.options, album);
        QVERIFY2(r.ok, qPrintable(r.error));
        const ExportOptions &o = r.options;
        QCOMPARE(o.pictures, (QStringList{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
        // Stored, then (21 + 3) mod 23 and (21 + 6) mod 23.
        QCOMPARE(o.transitionRows, (QList<int>{4, 1, 4}));
        QCOMPARE(o.seed, 21);
        QVERIFY(o.autoRatio);
        QCOMPARE(o.height, 720);
        QCOMPARE(o.watermarkPixelSize, 30);
        QCOMPARE(o.output, QStringLiteral("/v/trip.mov"));
        QCOMPARE(o.fps, 60);
        QCOMPARE(o.sampleRateHz, 48000);
        QCOMPARE(o.watermarkFont, QStringLiteral("Serif"));

        cli = parseExportArguments(
            {QStringLiteral("t.vmalbum"), QStringLiteral("--seed"), QStringLiteral("0"),
             QStringLiteral("-r"), QStringLiteral("3:4"), QStringLiteral("-H"),
             QStringLiteral("480"), QStringLiteral("--watermark-image"), QStringLiteral("l.png"),
             QStringLiteral("--fps"), QStringLiteral("24"), QStringLiteral("-o"),
             QStringLiteral("x.mkv")});
        r = applyAlbum(cli.options, album);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.options.transitionRows, (QList<int>{4, 3, 6}));
        QVERIFY(!r.options.autoRatio);
        QCOMPARE(r.options.aspectNum, 3);
        QCOMPARE(r.options.height, 480);
        QVERIFY(r.options.watermarkText.isEmpty()); // the album's text gives way to the picture
        QCOMPARE(r.options.watermarkImage, QStringLiteral("l.png"));
        QCOMPARE(r.options.watermarkPixelSize, 0); // followed 720, so it follows 480 now
        QCOMPARE(r.options.fps, 24);
        QCOMPARE(r.options.sampleRateHz, 48000);
        QCOMPARE(r.options.output, QStringLiteral("x.mkv"));

        // No output anywhere; music an album cannot carry into a GIF.
        album.exportChoices->name.clear();
        r = applyAlbum(parseExportArguments({QStringLiteral("t.vmalbum")}).options, album);
        QVERIFY(!r.ok);
        QCOMPARE(r.error,
                 QStringLiteral("no output file given (-o FILE), and the album names none"));
        r = applyAlbum(parseExportArguments({QStringLiteral("t.vmalbum"), QStringLiteral("-o"),
                                             QStringLiteral("a.gif")})
                           .options,
                       album);
        QCOMPARE(r.error, QStringLiteral("GIF files cannot carry music; choose another format"));
    }

    // The album's cut on the beat and its tracks' corrections, unless the command line says
    // otherwise: other music starts from its own grids.
    void cutToBeatFromAlbumAndOptions()
    {
        StoredAlbum album;
        album.pictures = {{QStringLiteral("/p/a.jpg"), -1}};
        album.music = QStringLiteral("/p/song.mp3");
        album.beatCut = BeatCut::TwoBars;
        album.beatCorrections = {BeatCorrection{40000, 1, 2}};
        const QStringList out = {QStringLiteral("t.vmalbum"), QStringLiteral("-o"),
                                 QStringLiteral("x.mkv")};
        ParseResult r = applyAlbum(parseExportArguments(out).options, album);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.options.beatCut, BeatCut::TwoBars);
        QCOMPARE(r.options.beatCorrections.size(), 1);
        QVERIFY(r.options.beatCorrections.at(0) == (BeatCorrection{40000, 1, 2}));

        r = applyAlbum(parseExportArguments(out + QStringList{QStringLiteral("--cut-to-beat"),
                                                              QStringLiteral("off")})
                           .options,
                       album);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.options.beatCut, BeatCut::Off);
        QCOMPARE(r.options.beatCorrections.size(), 1);

        r = applyAlbum(parseExportArguments(
                           out + QStringList{QStringLiteral("-m"), QStringLiteral("other.mp3"),
                                             QStringLiteral("--cut-to-beat"), QStringLiteral("2")})
                           .options,
                       album);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.options.beatCut, BeatCut::TwoBeats);
        QVERIFY(r.options.beatCorrections.isEmpty());

        // An album without music cannot be cut to a beat from the command line.
        album.music.clear();
        r = applyAlbum(parseExportArguments(out + QStringList{QStringLiteral("--cut-to-beat"),
                                                              QStringLiteral("bar")})
                           .options,
                       album);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("--cut-to-beat needs music (-m FILE)"));
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("words");
        const QString p = QStringLiteral("p.jpg");
        const QString o = QStringLiteral("-o");
        QTest::newRow("nothing") << QStringList{} << "no picture";
        QTest::newRow("no output") << QStringList{p} << "no output file";
        QTest::newRow("unknown format")
            << QStringList{p, o, QStringLiteral("x.mpg")} << "must end in";
        QTest::newRow("no name") << QStringList{p, o, QStringLiteral("dir/.mp4")} << "needs a name";
        QTest::newRow("unknown option")
            << QStringList{p, QStringLiteral("--fast")} << "unknown option";
        QTest::newRow("missing value") << QStringList{p, o} << "needs a value";
        QTest::newRow("duration 0")
            << QStringList{p, QStringLiteral("-d"), QStringLiteral("0")} << "-d";
        QTest::newRow("duration 61")
            << QStringList{p, QStringLiteral("-d"), QStringLiteral("61")} << "-d";
        QTest::newRow("ratio") << QStringList{p, QStringLiteral("-r"), QStringLiteral("5:4")}
                               << "-r";
        QTest::newRow("height") << QStringList{p, QStringLiteral("-H"), QStringLiteral("1000")}
                                << "-H";
        QTest::newRow("fps") << QStringList{p, QStringLiteral("--fps"), QStringLiteral("50")}
                             << "--fps";
        QTest::newRow("rate") << QStringList{p, QStringLiteral("--sample-rate"),
                                             QStringLiteral("96000")}
                              << "--sample-rate";
        QTest::newRow("bitrate") << QStringList{p, QStringLiteral("--video-bitrate"),
                                                QStringLiteral("-5")}
                                 << "--video-bitrate";
        QTest::newRow("colour") << QStringList{p, QStringLiteral("--watermark-color"),
                                               QStringLiteral("red")}
                                << "#RRGGBB";
        QTest::newRow("position") << QStringList{p, QStringLiteral("--watermark-position"),
                                                 QStringLiteral("middle")}
                                  << "--watermark-position";
        QTest::newRow("seed") << QStringList{p, QStringLiteral("--seed"), QStringLiteral("23")}
                              << "--seed";
        QTest::newRow("cut without music")
            << QStringList{p, o, QStringLiteral("a.mp4"), QStringLiteral("--cut-to-beat"),
                           QStringLiteral("beat")}
            << "--cut-to-beat needs music (-m FILE)";
        for (const char *szBad : {"", "Beat", "4", "bars"})
            QTest::newRow(qPrintable(QStringLiteral("cut %1").arg(QLatin1String(szBad))))
                << QStringList{p,
                               o,
                               QStringLiteral("a.mp4"),
                               QStringLiteral("-m"),
                               QStringLiteral("s.mp3"),
                               QStringLiteral("--cut-to-beat"),
                               QString::fromLatin1(szBad)}
                << QStringLiteral(
                       "--cut-to-beat takes beat, 2, bar, 2bars, auto or off, not \"%1\"")
                       .arg(QLatin1String(szBad));
        QTest::newRow("two watermarks") << QStringList{p,
                                                       o,
                                                       QStringLiteral("a.mp4"),
                                                       QStringLiteral("--watermark-text"),
                                                       QStringLiteral("t"),
                                                       QStringLiteral("--watermark-image"),
                                                       p}
                                        << "either a text or a picture";
        QTest::newRow("gif with music")
            << QStringList{p, o, QStringLiteral("a.gif"), QStringLiteral("-m"),
                           QStringLiteral("song.mp3")}
            << "GIF files cannot carry music";
        QTest::newRow("m4v with music")
            << QStringList{p, o, QStringLiteral("a.M4V"), QStringLiteral("-m"),
                           QStringLiteral("song.mp3")}
            << "M4V files cannot carry music";
        QTest::newRow("album over a picture")
            << QStringList{p, QStringLiteral("--save-album"), QStringLiteral("q.jpg")}
            << "--save-album takes a file ending in .vmalbum, not \"q.jpg\"";
        QTest::newRow("album and pictures")
            << QStringList{p, QStringLiteral("trip.VMALBUM"), o, QStringLiteral("a.mp4")}
            << "an album file is given on its own, without pictures: \"trip.VMALBUM\"";
        QTest::newRow("check and save")
            << QStringList{p, QStringLiteral("--check"), QStringLiteral("--save-album"),
                           QStringLiteral("a.vmalbum")}
            << "--check and --save-album do not go together";
    }
    void refused()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, words);
        const ParseResult r = parseExportArguments(args);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(words), qPrintable(r.error));
    }
};

QTEST_MAIN(TestExportOptions)
#include "tst_exportoptions.moc"
