// MediaInfoLoader: the library loaded at run time, its absence, and reading its duration text.
#include "mediainfoloader.h"
#include "testmedia.h"

#include <QTemporaryDir>
#include <QtTest>

#include <clocale>

class TestMediaInfoLoader : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString mp3;

private slots:
    void initTestCase()
    {
        // A non-ASCII name: the path must reach the library as 32-bit wide characters.
        mp3 = dir.filePath(QStringLiteral("musique é 音乐 100%.mp3"));
        QVERIFY(testmedia::writeMp3(mp3, 7));
    }

    // Absent: the fixed text, and the next call tries again.
    void absentThenRetried()
    {
        MediaInfoLoader &loader = MediaInfoLoader::instance();
        loader.setLibraryName(QStringLiteral("libvm-absent.so.0"));
        QCOMPARE(loader.audioDurationText(mp3), QStringLiteral("Unable to load libvm-absent.so.0"));
        QVERIFY(!loader.isLoaded());
        QCOMPARE(MediaInfoLoader::parseDecimal(loader.audioDurationText(mp3)), int64_t(-1));
        loader.setLibraryName(QStringLiteral("libmediainfo.so.0"));
        QVERIFY(loader.load());
        QVERIFY(loader.isLoaded());
    }

    void readsTheDuration()
    {
        MediaInfoLoader &loader = MediaInfoLoader::instance();
        const int64_t ms = MediaInfoLoader::parseDecimal(loader.audioDurationText(mp3));
        QVERIFY2(qAbs(ms - 7000) <= 100, qPrintable(QString::number(ms)));
        // Not a media file: no duration, no crash.
        const QString text = dir.filePath(QStringLiteral("notes.mp3"));
        QVERIFY(testmedia::writeBytes(text, QByteArray(100, 'a')));
        QCOMPARE(MediaInfoLoader::parseDecimal(loader.audioDurationText(text)), int64_t(-1));
    }

    void parseDecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "60034" << qint64(60034);
        QTest::newRow("blanks, sign, fraction") << " \t+60034.627" << qint64(60034);
        QTest::newRow("negative") << "-7" << qint64(-7);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("no digits first") << "ms 100" << qint64(-1);
        QTest::newRow("absent library") << "Unable to load libmediainfo.so.0" << qint64(-1);
        QTest::newRow("overflow") << "99999999999999999999" << qint64(-1);
    }
    void parseDecimal()
    {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QCOMPARE(MediaInfoLoader::parseDecimal(text), int64_t(value));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The library turns wide paths into bytes with the C library's locale.
    std::setlocale(LC_ALL, "C.UTF-8");
    TestMediaInfoLoader test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mediainfoloader.moc"
