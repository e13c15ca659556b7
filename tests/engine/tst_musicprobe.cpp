// The music probe: sound of every format is found by what the file holds, not by its name, and
// a file without sound that plays is refused with the reason.
#include "musicformats.h"
#include "musicprobe.h"
#include "testmedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestMusicProbe : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() { av_log_set_level(AV_LOG_QUIET); }

    void everyFormatPlays_data()
    {
        QTest::addColumn<int>("row");
        const QVector<musicformats::Format> formats = musicformats::all();
        for (int i = 0; i < formats.size(); ++i)
            QTest::newRow(qPrintable(formats[i].name)) << i;
    }
    void everyFormatPlays()
    {
        QFETCH(int, row);
        const musicformats::Format format = musicformats::all().at(row);
        const QString music = dir.filePath(format.file);
        QVERIFY(musicformats::write(music, format));
        MusicProbe probe = probeMusicFile(music);
        QVERIFY(probe.playable());
        QCOMPARE(probe.code, 0);
        QCOMPARE(probe.isMp3(), format.file.endsWith(QLatin1String(".mp3")));
        // By content: the same sound under a wrong name still plays.
        const QString renamed = dir.filePath(QStringLiteral("named wrong %1.mp3").arg(row));
        QVERIFY(QFile::copy(music, renamed));
        probe = probeMusicFile(renamed);
        QVERIFY(probe.playable());
        QCOMPARE(probe.isMp3(), format.file.endsWith(QLatin1String(".mp3")));
    }

    void refusedWithTheReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("fault");
        QTest::newRow("missing") << "missing" << int(MusicFault::NotMedia);
        QTest::newRow("text named .ogg") << "text" << int(MusicFault::NotMedia);
        QTest::newRow("picture") << "picture" << int(MusicFault::NoSound);
        QTest::newRow("video without sound") << "silent video" << int(MusicFault::NoSound);
        QTest::newRow("unknown sound codec") << "unknown codec" << int(MusicFault::NoDecoder);
        QTest::newRow("FLAC without its frames") << "no frames" << int(MusicFault::Undecodable);
    }
    void refusedWithTheReason()
    {
        QFETCH(QString, kind);
        QFETCH(int, fault);
        QString path = dir.filePath(QStringLiteral("refused %1").arg(kind));
        if (kind == QLatin1String("text")) {
            path += QStringLiteral(".ogg");
            QVERIFY(testmedia::writeBytes(path, QByteArray("la la la\n").repeated(300)));
        } else if (kind == QLatin1String("picture")) {
            path += QStringLiteral(".png");
            QVERIFY(testmedia::pattern(64, 48).save(path, "PNG"));
        } else if (kind == QLatin1String("silent video")) {
            path += QStringLiteral(".mp4");
            QVERIFY(testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"),
                                       QStringLiteral("-i"),
                                       QStringLiteral("testsrc=size=64x48:rate=10:duration=1"),
                                       QStringLiteral("-c:v"), QStringLiteral("libx264"), path}));
        } else if (kind == QLatin1String("unknown codec")) {
            // A WAV whose format tag names no codec this FFmpeg knows.
            path += QStringLiteral(".wav");
            QVERIFY(testmedia::writeSound(path, QStringLiteral("0.5*sin(2*PI*440*t)"), 8000, 0.5,
                                          {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(20));
            QCOMPARE(f.write(QByteArray("\x34\x12", 2)), qint64(2));
        } else if (kind == QLatin1String("no frames")) {
            // The stream's header is there; what follows is no FLAC.
            path += QStringLiteral(".flac");
            QVERIFY(testmedia::writeSound(path, QStringLiteral("0.5*sin(2*PI*440*t)"), 8000, 2,
                                          {QStringLiteral("-c:a"), QStringLiteral("flac")}));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QByteArray header = f.read(42); // "fLaC" and the stream info block
            f.close();
            header[4] = char(header[4] | 0x80); // the last block of the header
            QVERIFY(testmedia::writeBytes(path, header + QByteArray(20000, '\x11')));
        }
        const MusicProbe probe = probeMusicFile(path);
        QVERIFY(!probe.playable());
        QCOMPARE(int(probe.fault), fault);
        QVERIFY(!probe.isMp3());
    }
};

QTEST_GUILESS_MAIN(TestMusicProbe)
#include "tst_musicprobe.moc"
