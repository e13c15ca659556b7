// Long albums fitted to their music, exported whole: the video ends within a frame of the
// music, the sound with the video, and a fade-out has reached silence by the last frame.
#include "fittedalbum.h"
#include "mediaencoder.h"
#include "testalbum.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestFittedExports : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QStringList pictures;

private slots:
    void initTestCase()
    {
        av_log_set_level(AV_LOG_ERROR);
        for (int i = 0; i < 4; ++i) {
            const QString p = dir.filePath(QStringLiteral("photo %1.jpg").arg(i));
            QVERIFY(testmedia::writeJpeg(p, 320, 240, QColor::fromHsv(i * 80, 200, 200)));
            pictures << p;
        }
    }

    void fittedAlbums_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("fps");
        QTest::addColumn<double>("seconds"); // of music
        for (int fps : {24, 25, 30, 60})
            QTest::newRow(qPrintable(QStringLiteral("40 pictures, %1 fps").arg(fps)))
                << 40 << fps << 119.58;
        QTest::newRow("100 pictures, 30 fps") << 100 << 30 << 300.04;
    }
    void fittedAlbums()
    {
        QFETCH(int, count);
        QFETCH(int, fps);
        QFETCH(double, seconds);
        const QString music = dir.filePath(QStringLiteral("tone %1.mp3").arg(seconds));
        QVERIFY(fitted::writeTone(music, seconds));
        QVERIFY(fitted::prepare(pictures, count, music, fps, dir.path()));
        // On this thread: the request runs at once, to its end.
        MediaEncoder encoder;
        QSignalSpy done(&encoder, &MediaEncoder::sig_succeeded);
        QSignalSpy failed(&encoder, &MediaEncoder::sig_exportFail);
        encoder.setAlbum(snapshotOf(testAlbum()));
        emit encoder.sig_exportVideo();
        Album &job = testAlbum();
        job.musicShape = MusicShape();
        QVERIFY2(done.size() == 1,
                 failed.isEmpty() ? "no outcome" : qPrintable(failed.first().first().toString()));
        const fitted::Lengths l = fitted::measure(job.outputFilePath(), music);
        const QString text = fitted::describe(count, fps, l);
        qInfo("%s", qPrintable(text));
        QVERIFY2(qAbs(l.video - l.music) <= 1.0 / fps + 1e-6, qPrintable(text));
        QVERIFY2(qAbs(l.audio - l.video) <= l.audioFrame + 1e-6, qPrintable(text));
        QVERIFY2(l.tailDb < -60, qPrintable(text));
        clearAlbum(job);
    }
};

QTEST_MAIN(TestFittedExports)
#include "tst_fittedexports.moc"
