// vmalbum-export as a user runs it: exit codes, messages and what is left on disk.
#include "testmedia.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

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
    QString good1, good2, odd, broken;

    QStringList parts() const
    {
        return QDir(dir.path()).entryList(QStringList{QStringLiteral("*.part")},
                                          QDir::Files | QDir::Hidden);
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
    }

    void helpAndUsage()
    {
        Run r = exporter({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        for (const char *word : {"-o FILE", "--check", "--watermark-position", "--seed", "Exit status"})
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
        r = exporter({QStringLiteral("--check"), good1, odd, broken});
        QCOMPARE(r.code, 3);
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("OK\t")));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("REFUSED\t%1\tImage ratio is abnormal(").arg(odd)));
        QVERIFY(lines.at(2).startsWith(QStringLiteral("REFUSED\t%1\tImage decode failed(").arg(broken)));
    }

    void exportsAndSkipsRefusedPictures()
    {
        // Relative names, a leading dash after "--", an upper-case extension.
        const Run r = exporter({QStringLiteral("-q"), QStringLiteral("-H"), QStringLiteral("480"),
                                QStringLiteral("-d"), QStringLiteral("1"), QStringLiteral("--fps"),
                                QStringLiteral("25"), QStringLiteral("-o"),
                                QStringLiteral("My Album.MP4"), QStringLiteral("holiday photo ü.jpg"),
                                QStringLiteral("broken.jpg"), QStringLiteral("--"),
                                QStringLiteral("-beach.png")},
                               dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.contains(QStringLiteral("skipping broken.jpg: Image decode failed(")));
        const QString written = dir.filePath(QStringLiteral("My Album.mp4"));
        QVERIFY(QFileInfo(written).size() > 1000);
        QVERIFY(parts().isEmpty());
    }

    void exitCodes()
    {
        // No usable picture: 3, nothing written.
        Run r = exporter({odd, broken, QStringLiteral("-o"), dir.filePath(QStringLiteral("none.mp4"))});
        QCOMPARE(r.code, 3);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.mp4"))));
        // The export fails: 1 with the engine's report, nothing left behind.
        r = exporter({good1, QStringLiteral("-o"), dir.filePath(QStringLiteral("missing/x.mp4"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Create output file failed(")), qPrintable(r.err));
        r = exporter({good1, QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-m"),
                      dir.filePath(QStringLiteral("nosong.mp3")), QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("song.mp4"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Open mp3 file failed(")), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("song.mp4"))));
        // A refused watermark picture is a usage error.
        r = exporter({good1, QStringLiteral("--watermark-image"), broken, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("w.mp4"))});
        QCOMPARE(r.code, 2);
        QVERIFY(parts().isEmpty());
    }

    // Ctrl-C cancels through the engine: exit 1, "Operation interrupted", the old file kept.
    void interrupt()
    {
        const QString target = dir.filePath(QStringLiteral("long.mp4"));
        QVERIFY(testmedia::writeBytes(target, "keep me"));
        QProcess p;
        p.start(QStringLiteral(VMALBUM_EXPORT),
                {good1, good2, good1, good2, QStringLiteral("-d"), QStringLiteral("60"),
                 QStringLiteral("-H"), QStringLiteral("720"), QStringLiteral("-o"), target});
        QVERIFY(p.waitForStarted());
        // Wait until the export is under way (its temporary file exists), then interrupt.
        QTRY_VERIFY_WITH_TIMEOUT(!parts().isEmpty(), 60000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("Operation interrupted(")));
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        QVERIFY(parts().isEmpty());
    }
};

QTEST_MAIN(TestExportCli)
#include "tst_exportcli.moc"
