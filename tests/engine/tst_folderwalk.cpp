// The folder walk: what it leaves out, where it stops, and the order taken.
#include "folderwalk.h"

#include "testexif.h"
#include "testmedia.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
bool isPicture(const QString &szName)
{
    return szName.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
           szName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
}

QStringList names(const QStringList &paths, const QString &szRoot)
{
    QStringList out;
    for (const QString &szPath : paths)
        out << QDir(szRoot).relativeFilePath(szPath);
    return out;
}

bool touch(const QString &szPath)
{
    return QDir().mkpath(QFileInfo(szPath).absolutePath()) && testmedia::writeBytes(szPath, "x");
}

QByteArray jpegTaken(const QByteArray &date)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    testmedia::pattern(8, 8).save(&buffer, "JPEG");
    return testexif::inJpeg(bytes, testexif::tiff({"", "", date, "+00:00"}, true));
}

bool setChanged(const QString &szPath, const QDateTime &when)
{
    QFile file(szPath);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(when, QFileDevice::FileModificationTime);
}
} // namespace

class TestFolderWalk : public QObject
{
    Q_OBJECT
private slots:
    void leavesOutHiddenAndOthers()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char *name : {"b.jpg", "a10.png", "a9.JPG", "notes.txt", ".hidden.jpg",
                                 ".thumbs/t.jpg", "sub/c.jpg", "sub/deeper/d.png", "Alpha/e.jpg"})
            QVERIFY(touch(QDir(root).filePath(QLatin1String(name))));
        const FolderWalk walk = walkPictureFolder(root, isPicture);
        // Depth first, names as people read numbers, case aside.
        QCOMPARE(names(walk.pictures, root),
                 QStringList({"a9.JPG", "a10.png", "b.jpg", "Alpha/e.jpg", "sub/c.jpg",
                              "sub/deeper/d.png"}));
        QVERIFY(!walk.capped);
        QCOMPARE(walk.filesLooked, 7); // hidden ones are not looked at
        QVERIFY(folderHasPictures(root, isPicture, 10));
        QVERIFY(
            !folderHasPictures(QDir(root).filePath(QStringLiteral(".thumbs/none")), isPicture, 10));
    }

    void linksAndLoops()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(touch(QDir(root).filePath(QStringLiteral("a/p.jpg"))));
        QVERIFY(touch(QDir(root).filePath(QStringLiteral("a/b/q.jpg"))));
        // A loop back to the top, a second road to "a", and a link that leads nowhere.
        QVERIFY(QFile::link(root, QDir(root).filePath(QStringLiteral("a/b/up"))));
        QVERIFY(QFile::link(QDir(root).filePath(QStringLiteral("a")),
                            QDir(root).filePath(QStringLiteral("z"))));
        QVERIFY(QFile::link(QDir(root).filePath(QStringLiteral("gone")),
                            QDir(root).filePath(QStringLiteral("dangling.jpg"))));
        const FolderWalk walk = walkPictureFolder(root, isPicture);
        // Each folder once, whichever road reaches it first; a link to nothing is no picture.
        QCOMPARE(names(walk.pictures, root), QStringList({"a/p.jpg", "a/b/q.jpg"}));
    }

    void stopsAtTheCap()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (int i = 0; i < kMaxFolderFiles + 5; ++i)
            QVERIFY(touch(QDir(root).filePath(QStringLiteral("f%1.%2").arg(
                QString::number(i), i % 2 ? QStringLiteral("txt") : QStringLiteral("jpg")))));
        const FolderWalk walk = walkPictureFolder(root, isPicture);
        QVERIFY(walk.capped);
        QCOMPARE(walk.filesLooked, kMaxFolderFiles);
        QCOMPARE(walk.pictures.size(), kMaxFolderFiles / 2);
        // Exactly the cap is no cut.
        const FolderWalk small = walkPictureFolder(root, isPicture, kMaxFolderFiles + 5);
        QVERIFY(!small.capped);
    }

    void orderTaken()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        auto path = [&root](const char *name) { return QDir(root).filePath(QLatin1String(name)); };
        // EXIF dates, a file time standing in for a missing one, and ties broken by name.
        QVERIFY(testmedia::writeBytes(path("late.jpg"), jpegTaken("2022:05:01 12:00:00")));
        QVERIFY(testmedia::writeBytes(path("early.jpg"), jpegTaken("2021:01:01 08:00:00")));
        QVERIFY(testmedia::writeBytes(path("IMG_10.jpg"), jpegTaken("2021:06:01 08:00:00")));
        QVERIFY(testmedia::writeBytes(path("IMG_9.jpg"), jpegTaken("2021:06:01 08:00:00")));
        QVERIFY(touch(path("scan.png")));
        QVERIFY(setChanged(path("scan.png"), QDateTime(QDate(2021, 3, 1), QTime(0, 0), Qt::UTC)));
        // The file time of a picture with an EXIF date does not count.
        QVERIFY(setChanged(path("late.jpg"), QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC)));
        QList<PictureFacts> facts;
        const QStringList ordered =
            orderByDateTaken(walkPictureFolder(root, isPicture).pictures, &facts);
        QCOMPARE(names(ordered, root),
                 QStringList({"early.jpg", "scan.png", "IMG_9.jpg", "IMG_10.jpg", "late.jpg"}));
        QCOMPARE(facts.size(), 5);
        QVERIFY(!facts[1].takenByCamera);
        QVERIFY(facts[4].takenByCamera);
        // An unknown date goes last.
        QVERIFY(takenBefore(QStringLiteral("b"), facts[0], QStringLiteral("a"), PictureFacts()));
        QVERIFY(!takenBefore(QStringLiteral("a"), PictureFacts(), QStringLiteral("b"), facts[0]));
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
