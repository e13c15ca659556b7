// vmalbum-export as a user runs it: exit codes, messages and what is left on disk.
#include "testmedia.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// True once the process catches `signo` (its handlers are in place), from /proc.
bool catches(qint64 pid, int signo)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signo - 1)) & 1;
    return false;
}

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run exporter(const QStringList &args, const QString &cwd = QString())
{
    QProcess p;
    if (!cwd.isEmpty())
        p.setWorkingDirectory(cwd);
    p.start(QStringLiteral(VMALBUM_EXPORT), args);
    Run r;
    if (!p.waitForFinished(300000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestExportCli : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString good1, good2, odd, broken, percent, cut;

    QStringList parts() const
    {
        return QDir(dir.path())
            .entryList(QStringList{QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase()
    {
        good1 = dir.filePath(QStringLiteral("holiday photo ü.jpg"));
        good2 = dir.filePath(QStringLiteral("-beach.png"));
        odd = dir.filePath(QStringLiteral("strip.png"));
        broken = dir.filePath(QStringLiteral("broken.jpg"));
        QVERIFY(testmedia::writeJpeg(good1, 640, 480));
        QVERIFY(testmedia::pattern(300, 400).save(good2));
        QVERIFY(testmedia::pattern(4097, 10).save(odd));
        QVERIFY(testmedia::writeBytes(broken, "not a picture"));
        // Names that a chained QString::arg() would rewrite.
        percent = dir.filePath(QStringLiteral("frame%03d %1 %2.jpg"));
        QVERIFY(testmedia::writeJpeg(percent, 320, 240));
        // A JPEG that ends before its last rows: the decoder would make them up.
        cut = dir.filePath(QStringLiteral("cut.jpg"));
        QFile whole(good1);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QVERIFY(testmedia::writeBytes(cut, whole.readAll().chopped(300)));
    }

    void helpAndUsage()
    {
        Run r = exporter({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        for (const char *word :
             {"-o FILE", "--check", "--watermark-position", "--seed", "Exit status"})
            QVERIFY2(r.out.contains(QLatin1String(word)), word);
        r = exporter({good1, QStringLiteral("-o"), dir.filePath(QStringLiteral("a.mpg"))});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("must end in")));
        r = exporter({});
        QCOMPARE(r.code, 2);
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral("a.*")}).isEmpty());
    }

    void checkMode()
    {
        Run r = exporter({QStringLiteral("--check"), good1, QStringLiteral("--"), good2});
        QCOMPARE(r.code, 0);
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0), QStringLiteral("OK\t%1\t640x480\t4/3\t106x80").arg(good1));
        QCOMPARE(lines.at(1), QStringLiteral("OK\t%1\t300x400\t3/4\t60x80").arg(good2));
        r = exporter({QStringLiteral("--check"), good1, odd, broken, cut});
        QCOMPARE(r.code, 3);
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("OK\t")));
        // The engine's report, then the plain words.
        QCOMPARE(lines.at(1), QStringLiteral("REFUSED\t%1\tImage ratio is abnormal(Invalid "
                                             "argument) — far too wide or too tall to show")
                                  .arg(odd));
        QCOMPARE(lines.at(2), QStringLiteral("REFUSED\t%1\tImage decode failed(Invalid data found "
                                             "when processing input) — not a JPEG or PNG picture")
                                  .arg(broken));
        QCOMPARE(lines.at(3), QStringLiteral("REFUSED\t%1\tImage decode failed(Invalid data found "
                                             "when processing input) — damaged picture")
                                  .arg(cut));
        // The refusal says it all: FFmpeg's own lines only with -v.
        QVERIFY2(!r.err.contains(QStringLiteral(" @ 0x")), qPrintable(r.err)); // "[mjpeg @ 0x…]"
        r = exporter({QStringLiteral("-v"), QStringLiteral("--check"), broken});
        QVERIFY2(r.err.contains(QStringLiteral("@ 0x")), qPrintable(r.err));
        // A name holding %1, %2 and %03d comes out as it is.
        r = exporter({QStringLiteral("--check"), percent});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString(QStringLiteral("OK\t") + percent +
                                QStringLiteral("\t320x240\t4/3\t106x80\n")));
    }

    void exportsAndSkipsRefusedPictures()
    {
        // Relative names, a leading dash after "--", an upper-case extension, % in the name.
        const Run r = exporter({QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-d"),
                                QStringLiteral("1"), QStringLiteral("--fps"), QStringLiteral("25"),
                                QStringLiteral("-o"), QStringLiteral("My %1 Album %03d.MP4"),
                                QStringLiteral("holiday photo ü.jpg"), QStringLiteral("broken.jpg"),
                                QStringLiteral("--"), QStringLiteral("-beach.png")},
                               dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(QStringLiteral("skipping broken.jpg: Image decode failed(")),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral(") — not a JPEG or PNG picture\n")),
                 qPrintable(r.err));
        const QString written = dir.filePath(QStringLiteral("My %1 Album %03d.mp4"));
        QVERIFY(QFileInfo(written).size() > 1000);
        QVERIFY2(r.err.contains(QStringLiteral("wrote ") + written +
                                QStringLiteral(" (2 pictures, 852 x 480, 25 fps) in ")),
                 qPrintable(r.err));
        QVERIFY(parts().isEmpty());
    }

    void exitCodes()
    {
        // No usable picture: 3, nothing written.
        Run r =
            exporter({odd, broken, QStringLiteral("-o"), dir.filePath(QStringLiteral("none.mp4"))});
        QCOMPARE(r.code, 3);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.mp4"))));
        // The export fails: 1 with the engine's report naming the cause and the folder, nothing
        // left behind.
        r = exporter({good1, QStringLiteral("-o"), dir.filePath(QStringLiteral("missing/x.mp4"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("export failed: Create output file failed(No such "
                                               "file or directory) — %1\n")
                                    .arg(dir.filePath(QStringLiteral("missing")))),
                 qPrintable(r.err));
        // Music that is no sound at all, named .mp3: found readable, then refused by the engine.
        const QString words = dir.filePath(QStringLiteral("words.mp3"));
        QVERIFY(testmedia::writeBytes(words, QByteArray("not a song\n").repeated(200)));
        r = exporter({good1, QStringLiteral("-m"), words, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("words.mp4"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("export failed: Open mp3 file failed(")),
                 qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("words.mp4"))));
        // A music or watermark file that cannot be read is a usage error naming it, found
        // before any picture is looked at (the broken one would be reported as skipped).
        const QString folder = dir.filePath(QStringLiteral("a folder.mp3"));
        QVERIFY(QDir(dir.path()).mkpath(folder));
        const QString nosong = dir.filePath(QStringLiteral("nosong.mp3"));
        const QString nomark = dir.filePath(QStringLiteral("nomark.png"));
        const QList<QStringList> unreadable = {{QStringLiteral("-m"), nosong},
                                               {QStringLiteral("-m"), folder},
                                               {QStringLiteral("--watermark-image"), nomark}};
        for (const QStringList &option : unreadable) {
            r = exporter(
                QStringList{broken, good1} + option +
                QStringList{QStringLiteral("-o"), dir.filePath(QStringLiteral("song.mp4"))});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains(QLatin1Char('"') + option.at(1) + QLatin1Char('"')),
                     qPrintable(r.err));
            QVERIFY2(!r.err.contains(QStringLiteral("skipping")), qPrintable(r.err));
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("song.mp4"))));
        }
        // A refused watermark picture is a usage error too.
        r = exporter({good1, QStringLiteral("--watermark-image"), broken, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("w.mp4"))});
        QCOMPARE(r.code, 2);
        QVERIFY(parts().isEmpty());
    }

    // However the exporter is stopped, and whenever: it says it was cancelled (not that it
    // failed), exits with 128 + the signal, leaves no temporary file and keeps the file it was
    // to replace.
    void stopSignals_data()
    {
        QTest::addColumn<int>("signo");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("moment");
        // "start": as soon as the process exists, perhaps before it can catch anything;
        // "handlers": as soon as it catches signals, while it reads the pictures;
        // "file": as soon as the temporary file exists; "frames": once frames are written.
        QTest::newRow("Ctrl-C x3 at start") << int(SIGINT) << 3 << "start";
        QTest::newRow("Ctrl-C, pictures being read") << int(SIGINT) << 1 << "handlers";
        QTest::newRow("Ctrl-C x2, pictures being read") << int(SIGINT) << 2 << "handlers";
        QTest::newRow("SIGHUP, pictures being read") << int(SIGHUP) << 1 << "handlers";
        QTest::newRow("Ctrl-C, file created") << int(SIGINT) << 1 << "file";
        QTest::newRow("Ctrl-C x3, file created") << int(SIGINT) << 3 << "file";
        QTest::newRow("SIGTERM, file created") << int(SIGTERM) << 1 << "file";
        QTest::newRow("Ctrl-C x2, frames written") << int(SIGINT) << 2 << "frames";
        QTest::newRow("SIGHUP, frames written") << int(SIGHUP) << 1 << "frames";
        QTest::newRow("SIGTERM, frames written") << int(SIGTERM) << 1 << "frames";
    }
    void stopSignals()
    {
        QFETCH(int, signo);
        QFETCH(int, count);
        QFETCH(QString, moment);
        const QString target = dir.filePath(QStringLiteral("long.mp4"));
        QVERIFY(testmedia::writeBytes(target, "keep me"));
        QProcess p;
        p.start(QStringLiteral(VMALBUM_EXPORT),
                {good1, good2, good1, good2, QStringLiteral("-d"), QStringLiteral("60"),
                 QStringLiteral("-H"), QStringLiteral("720"), QStringLiteral("-o"), target});
        QVERIFY(p.waitForStarted());
        const qint64 pid = p.processId();
        if (moment == QLatin1String("handlers"))
            QTRY_VERIFY_WITH_TIMEOUT(catches(pid, signo), 60000);
        else if (moment == QLatin1String("file"))
            QTRY_VERIFY_WITH_TIMEOUT(!parts().isEmpty(), 60000);
        else if (moment == QLatin1String("frames"))
            QTRY_VERIFY_WITH_TIMEOUT(!parts().isEmpty() &&
                                         QFileInfo(dir.filePath(parts().first())).size() > 20000,
                                     60000);
        for (int i = 0; i < count; ++i) {
            ::kill(pid_t(pid), signo);
            QThread::msleep(5);
        }
        QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        if (moment == QLatin1String("start") && p.exitStatus() == QProcess::CrashExit) {
            // Killed before it could catch the signal: nothing had been created yet.
        } else {
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 128 + signo);
            QVERIFY2(err.contains(QStringLiteral("vmalbum-export: export cancelled: Operation "
                                                 "interrupted(Interrupted system call)\n")),
                     qPrintable(err));
            QVERIFY2(!err.contains(QStringLiteral("failed")), qPrintable(err));
        }
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        QVERIFY(parts().isEmpty());
    }
};

QTEST_MAIN(TestExportCli)
#include "tst_exportcli.moc"
