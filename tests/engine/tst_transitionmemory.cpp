// A transition thread that cannot have memory ends the export with a report, not the program.
// operator new is replaced in this program: it refuses on the transition's thread on demand.
#include "album.h"
#include "albumops.h"
#include "mediaencoder.h"
#include "testalbum.h"
#include "testmedia.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
std::atomic<bool> g_refuseOnTransitionThread{false};

bool onTransitionThread()
{
    char name[16] = {};
    return pthread_getname_np(pthread_self(), name, sizeof name) == 0 &&
           std::strcmp(name, "Transition") == 0;
}

void *allocate(std::size_t size)
{
    if (g_refuseOnTransitionThread.load() && onTransitionThread())
        throw std::bad_alloc();
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void *operator new(std::size_t size)
{
    return allocate(size);
}
void *operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}

class TestTransitionMemory : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void outOfMemoryFailsTheExport()
    {
        av_log_set_level(AV_LOG_ERROR);
        Album &job = testAlbum();
        clearAlbum(job);
        job.height = 120;
        job.updateWidth();
        for (int i = 0; i < 2; ++i) {
            const QString path = dir.filePath(QStringLiteral("%1.jpg").arg(i));
            QVERIFY(testmedia::writeJpeg(path, 320, 180, QColor::fromHsv(i * 120, 200, 200)));
            MaterialItem item;
            item.path = path;
            appendPicture(job, item);
        }
        job.frameRate = {24, 1};
        job.exportFormat = QStringLiteral("MP4");
        job.fileName = QStringLiteral("album");
        job.exportDirectory = dir.path();

        MediaEncoder encoder; // on this thread: the request runs at once, to its end
        QSignalSpy done(&encoder, &MediaEncoder::sig_succeeded);
        QSignalSpy failed(&encoder, &MediaEncoder::sig_exportFail);
        g_refuseOnTransitionThread = true;
        encoder.setAlbum(snapshotOf(testAlbum()));
        emit encoder.sig_exportVideo();
        g_refuseOnTransitionThread = false;
        QCOMPARE(done.size(), 0);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(),
                 QStringLiteral("Out of memory(Cannot allocate memory)"));
        QVERIFY(!QFile::exists(job.outputFilePath()));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.part")}, QDir::Hidden).size(), 0);

        // With memory to be had, the same album exports.
        encoder.setAlbum(snapshotOf(testAlbum()));
        emit encoder.sig_exportVideo();
        QCOMPARE(done.size(), 1);
    }
};

QTEST_MAIN(TestTransitionMemory)
#include "tst_transitionmemory.moc"
