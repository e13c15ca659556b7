// ImageViewer driven headless: a recording sink stands in for the player and its clock.
#include "album.h"
#include "albumops.h"
#include "imageviewer.h"
#include "mediaencoder.h"
#include "playerinterface.h"
#include "testalbum.h"
#include "testmedia.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <set>

namespace {

constexpr int kWipeLeft = 12; // row of the transition table: the boundary shows its progress

struct Pushed
{
    int64_t pts = 0;
    QSize size;
    int format = -1;
    int centreY = 0;
    qint64 atMs = 0;
};

// Records every frame handed to it; its clock is whatever the test sets.
class SinkPlayer : public PlayerInterface
{
public:
    std::atomic<double> clockMs{0};

    int pushVideoFrame(AVFrame *frame) override
    {
        Pushed p;
        p.pts = frame->pts;
        p.size = QSize(frame->width, frame->height);
        p.format = frame->format;
        p.centreY = frame->data[0][(frame->height / 2) * frame->linesize[0] + frame->width / 2];
        std::lock_guard<std::mutex> lock(mutex);
        p.atMs = timer.elapsed();
        pushed.push_back(p);
        if (keepPts.count(p.pts))
            kept[p.pts] = av::FramePtr(av_frame_clone(frame));
        av_frame_unref(frame);
        return 0;
    }
    int pushAudioFrame(AVFrame *frame) override
    {
        av_frame_unref(frame);
        return 0;
    }
    double sliderPositionMs() override { return clockMs; }

    void reset(std::set<int64_t> keep = {})
    {
        std::lock_guard<std::mutex> lock(mutex);
        pushed.clear();
        kept.clear();
        keepPts = std::move(keep);
        clockMs = 0;
        timer.start();
    }
    QVector<Pushed> frames()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return pushed;
    }
    AVFrame *keptFrame(int64_t pts)
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = kept.find(pts);
        return it == kept.end() ? nullptr : it->second.get();
    }
    // Waits until a frame that `matches` has been handed.
    template <typename Match> bool waitForFrame(Match matches, int ms)
    {
        return QTest::qWaitFor(
            [&] {
                std::lock_guard<std::mutex> lock(mutex);
                return std::any_of(pushed.begin(), pushed.end(), matches);
            },
            ms);
    }
    bool waitForPts(int64_t pts, int ms = 20000)
    {
        return waitForFrame([pts](const Pushed &p) { return p.pts == pts; }, ms);
    }
    bool waitForSize(QSize size, int ms = 10000)
    {
        return waitForFrame([size](const Pushed &p) { return p.size == size; }, ms);
    }
    bool waitForCount(int count, int ms = 20000)
    {
        return QTest::qWaitFor(
            [&] {
                std::lock_guard<std::mutex> lock(mutex);
                return pushed.size() >= count;
            },
            ms);
    }

private:
    std::mutex mutex;
    QVector<Pushed> pushed;
    std::set<int64_t> keepPts;
    std::map<int64_t, av::FramePtr> kept;
    QElapsedTimer timer;
};

QVector<int64_t> ptsOf(const QVector<Pushed> &frames)
{
    QVector<int64_t> out;
    for (const Pushed &p : frames)
        out << p.pts;
    return out;
}

QVector<int64_t> range(int64_t from, int64_t to) // inclusive
{
    QVector<int64_t> out;
    for (int64_t i = from; i <= to; ++i)
        out << i;
    return out;
}

// Frames from `from` on, after the last frame before it (the frames of before a seek).
QVector<int64_t> after(const QVector<int64_t> &pts, int64_t from)
{
    const int at = pts.indexOf(from);
    return at < 0 ? QVector<int64_t>() : pts.mid(at);
}

int64_t usOfFrame(int64_t frame)
{
    return frame * 40000;
}

// The luma of a grey level after the conversion to limited-range YUV.
int lumaOf(int grey)
{
    return 16 + grey * 219 / 255;
}

} // namespace

class TestImageViewer : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QStringList pictures; // solid grey pictures, levels 40, 80, ... 200
    QString garbage;
    QThread thread;
    ImageViewer *viewer = nullptr;
    SinkPlayer sink;

    void album(const QStringList &rows, int seconds, int height = 180)
    {
        Album &job = testAlbum();
        clearAlbum(job);
        setUniformDurationSeconds(job, seconds);
        job.aspectNum = 16;
        job.aspectDen = 9;
        job.height = height;
        job.updateWidth();
        TransitionPicker::reset(kWipeLeft);
        for (const QString &path : rows) {
            MaterialItem item;
            item.path = path;
            appendPicture(job, item);
        }
        job.watermarkType = WatermarkNone;
        viewer->player = &sink;
        viewer->playPosition = 0; // a new album plays from its start
    }

    // Starts a run; returns its finish spy.
    std::unique_ptr<QSignalSpy> start(std::set<int64_t> keep = {})
    {
        sink.reset(std::move(keep));
        auto spy = std::make_unique<QSignalSpy>(viewer, &ImageViewer::sig_previewFinished);
        viewer->setAlbum(snapshotOf(testAlbum()));
        emit viewer->sig_previewVideo();
        return spy;
    }
    bool finished(QSignalSpy &spy, int ms = 30000)
    {
        return QTest::qWaitFor([&] { return spy.size() > 0; }, ms);
    }

private slots:
    void initTestCase()
    {
        av_log_set_level(AV_LOG_ERROR);
        for (int i = 0; i < 5; ++i) {
            const QString p = dir.filePath(QStringLiteral("grey%1.jpg").arg(i));
            QImage img(320, 180, QImage::Format_RGB32);
            img.fill(QColor(40 * (i + 1), 40 * (i + 1), 40 * (i + 1)));
            QVERIFY(img.save(p, "JPEG", 95));
            pictures << p;
        }
        garbage = dir.filePath(QStringLiteral("not a picture.jpg"));
        QVERIFY(testmedia::writeBytes(garbage, QByteArray(4096, 'x')));
        thread.setObjectName(QStringLiteral("ImageViewer"));
        viewer = new ImageViewer;
        viewer->moveToThread(&thread);
        connect(&thread, &QThread::finished, viewer, &QObject::deleteLater);
        thread.start(QThread::InheritPriority);
    }
    void cleanup()
    {
        // A test that failed half-way leaves no size behind for the next.
        viewer->setShownSize(QSize());
    }

    void cleanupTestCase()
    {
        emit viewer->sig_close(0);
        QVERIFY(thread.wait(30000));
    }

    // 1 s pictures and a 2 s transition: frames 0-24 picture A, 25-74 the wipe, 75-99 B.
    void framesInOrderAtPace()
    {
        album({pictures[0], pictures[4]}, 1);
        auto spy = start();
        QVERIFY(finished(*spy));
        QTest::qWait(100);
        const QVector<Pushed> frames = sink.frames();
        QCOMPARE(ptsOf(frames), range(0, 99));
        for (const Pushed &p : frames) {
            QCOMPARE(p.size, QSize(320, 180));
            QCOMPARE(p.format, int(AV_PIX_FMT_YUV420P));
        }
        QVERIFY(qAbs(frames.first().centreY - lumaOf(40)) <= 6);
        QVERIFY(qAbs(frames.last().centreY - lumaOf(200)) <= 6);
        QVERIFY(qAbs(frames[49].centreY - lumaOf(40)) > 20 ||
                qAbs(frames[49].centreY - lumaOf(200)) > 20);
        // 25 per second: never faster than 40 ms a frame (a loaded machine may only be slower).
        const qint64 span = frames.last().atMs - frames.first().atMs;
        QVERIFY2(span >= 99 * 40 * 9 / 10, qPrintable(QString::number(span)));
        QCOMPARE(spy->size(), 1);
        QVERIFY(!viewer->previewing);
        QCOMPARE(viewer->playPosition.load(), int64_t(0));
    }

    // The clock jumps to 2 s (frame 50): frames 50 on are rendered, those the clock passed not.
    void lateFramesAreNotProduced()
    {
        album({pictures[0], pictures[4]}, 1);
        auto spy = start();
        QVERIFY(sink.waitForCount(5));
        sink.clockMs = 2000;
        QVERIFY(finished(*spy));
        const QVector<int64_t> pts = ptsOf(sink.frames());
        const int gap = pts.indexOf(50);
        QVERIFY(gap >= 5);
        QCOMPARE(pts.mid(0, gap), range(0, gap - 1));
        QCOMPARE(pts.mid(gap), range(50, 99));
    }

    // A pause of a second, then the frames resume at 25 per second, none dropped, no burst.
    void pauseIsNotLateness()
    {
        album({pictures[0], pictures[4]}, 1);
        auto spy = start();
        QVERIFY(sink.waitForCount(10));
        viewer->paused = true; // as the editor writes it, without a wake-up
        QTest::qWait(200);
        const int atPause = sink.frames().size();
        QTest::qWait(800);
        QCOMPARE(sink.frames().size(), atPause);
        viewer->paused = false;
        QVERIFY(sink.waitForCount(atPause + 12));
        const QVector<Pushed> frames = sink.frames();
        const qint64 resumedSpan = frames[atPause + 11].atMs - frames[atPause].atMs;
        QVERIFY2(resumedSpan >= 11 * 40 * 9 / 10, qPrintable(QString::number(resumedSpan)));
        viewer->requestStop();
        QVERIFY(finished(*spy));
        const QVector<int64_t> pts = ptsOf(sink.frames());
        QCOMPARE(pts, range(0, pts.size() - 1));
    }

    // Rows 2 and 3 cannot be decoded: reaching picture 4 must not try them.
    void seekIntoPicture4_data()
    {
        QTest::addColumn<bool>("whilePlaying");
        QTest::newRow("position set before play") << false;
        QTest::newRow("slider released while playing") << true;
    }
    void seekIntoPicture4()
    {
        QFETCH(bool, whilePlaying);
        // 2 s pictures: picture i starts at frame 100 i; 320 is inside picture 4.
        album({pictures[0], garbage, garbage, pictures[3], pictures[4]}, 2);
        if (!whilePlaying)
            viewer->playPosition = usOfFrame(320);
        auto spy = start();
        if (whilePlaying) {
            QVERIFY(sink.waitForCount(1));
            viewer->playPosition = usOfFrame(320);
            viewer->requestSeek();
        }
        QVERIFY(sink.waitForPts(340));
        viewer->requestStop();
        QVERIFY(finished(*spy));
        const QVector<Pushed> frames = sink.frames();
        const QVector<int64_t> pts = ptsOf(frames);
        const QVector<int64_t> resumed = after(pts, 320);
        QVERIFY(!resumed.isEmpty());
        QCOMPARE(resumed, range(320, resumed.last()));
        QVERIFY(pts.indexOf(320) == 0 || pts[pts.indexOf(320) - 1] < 50); // picture 1 only
        QVERIFY(qAbs(frames[pts.indexOf(320)].centreY - lumaOf(160)) <= 6);
    }

    // From picture 5 back to picture 2 (1 s pictures: picture i starts at frame 75 i).
    void seekBackToPicture2()
    {
        album(pictures, 1);
        viewer->playPosition = usOfFrame(305);
        auto spy = start();
        QVERIFY(sink.waitForCount(3));
        viewer->playPosition = usOfFrame(85);
        viewer->requestSeek();
        QVERIFY(sink.waitForPts(155));
        viewer->requestStop();
        QVERIFY(finished(*spy));
        const QVector<Pushed> frames = sink.frames();
        const QVector<int64_t> pts = ptsOf(frames);
        QVERIFY(pts.first() >= 305);
        const QVector<int64_t> resumed = after(pts, 85);
        QVERIFY(!resumed.isEmpty());
        QCOMPARE(resumed, range(85, resumed.last()));
        QVERIFY(qAbs(frames[pts.indexOf(85)].centreY - lumaOf(80)) <= 6);
        QVERIFY(qAbs(frames[pts.indexOf(150)].centreY - lumaOf(120)) <= 6);
    }

    // A seek into the wipe resumes it at exactly the frame an unbroken run shows there.
    void seekIntoTransition_data()
    {
        QTest::addColumn<bool>("whilePlaying");
        QTest::newRow("position set before play") << false;
        QTest::newRow("back from picture 2 while playing") << true;
    }
    void seekIntoTransition()
    {
        QFETCH(bool, whilePlaying);
        album({pictures[0], pictures[4]}, 1);
        auto reference = start({40, 60});
        QVERIFY(finished(*reference));
        av::FramePtr expected40(av_frame_clone(sink.keptFrame(40)));
        av::FramePtr expected60(av_frame_clone(sink.keptFrame(60)));
        QVERIFY(expected40 && expected60);

        viewer->playPosition = usOfFrame(whilePlaying ? 80 : 40);
        auto spy = start({40, 60});
        if (whilePlaying) {
            QVERIFY(sink.waitForCount(2));
            viewer->playPosition = usOfFrame(40);
            viewer->requestSeek();
        }
        QVERIFY(finished(*spy));
        QCOMPARE(after(ptsOf(sink.frames()), 40), range(40, 99));
        auto sameLuma = [](const AVFrame *a, const AVFrame *b) {
            for (int y = 0; y < a->height; ++y)
                if (memcmp(a->data[0] + y * a->linesize[0], b->data[0] + y * b->linesize[0],
                           size_t(a->width)))
                    return false;
            return true;
        };
        QVERIFY(sink.keptFrame(40) && sink.keptFrame(60));
        QVERIFY(sameLuma(sink.keptFrame(40), expected40.get()));
        QVERIFY(sameLuma(sink.keptFrame(60), expected60.get()));
        QVERIFY(!sameLuma(expected40.get(), expected60.get()));
    }

    // Each picture's own timing, as the export has it: A 1 s, a cut, B 0.5 s (to 1.5 s: frame
    // 37.5, taken as 38), a 0.5 s wipe, C 1 s: frames 0-24 A, 25-37 B, 38-49 the wipe, 50-74 C.
    // A seek beyond the cut lands in the right picture.
    void pictureTimingAndCuts()
    {
        album({pictures[0], pictures[2], pictures[4]}, 1);
        Album &job = testAlbum();
        PictureOptions cut;
        cut.transition = TransitionChoice::None;
        setPictureOptions(job, 0, cut);
        PictureOptions quick;
        quick.duration = 500000;
        setPictureOptions(job, 1, quick);
        auto spy = start();
        QVERIFY(finished(*spy));
        QTest::qWait(100);
        QVector<Pushed> frames = sink.frames();
        QCOMPARE(ptsOf(frames), range(0, 74));
        QVERIFY(qAbs(frames[24].centreY - lumaOf(40)) <= 6);
        QVERIFY(qAbs(frames[25].centreY - lumaOf(120)) <= 6); // the cut
        QVERIFY(qAbs(frames[37].centreY - lumaOf(120)) <= 6);
        QVERIFY(qAbs(frames[50].centreY - lumaOf(200)) <= 6);

        viewer->playPosition = usOfFrame(30);
        spy = start();
        QVERIFY(finished(*spy));
        QTest::qWait(100);
        frames = sink.frames();
        QCOMPARE(after(ptsOf(frames), 30), range(30, 74));
        QVERIFY(qAbs(frames[ptsOf(frames).indexOf(30)].centreY - lumaOf(120)) <= 6);
        job.pictureOptions.clear();
    }

    // Ten half-second pictures joined by cuts, and one half-second wipe: 5.5 s, 137.5 frames at
    // 25 fps. Each picture starts on the frame nearest its time (12.5 frames apart, by turns
    // 12 and 13 long), so the preview shows all 138 frames, as the export has them, instead of
    // losing half a frame a picture.
    void halfFramesDoNotDrift()
    {
        QStringList rows = pictures + pictures;
        album(rows, 1);
        Album &job = testAlbum();
        for (int i = 0; i < rows.size(); ++i) {
            PictureOptions o;
            o.duration = 500000;
            o.transition = i == 4 ? TransitionChoice::Random : TransitionChoice::None;
            setPictureOptions(job, i, o);
        }
        auto spy = start();
        QVERIFY(finished(*spy));
        QTest::qWait(100);
        const QVector<Pushed> frames = sink.frames();
        QCOMPARE(ptsOf(frames), range(0, 137));
        auto frameAt = [](double seconds) { return int(std::floor(seconds * 25 + 0.5)); };
        for (int i = 0; i < rows.size(); ++i) {
            const double begins = i * 0.5 + (i > 4 ? 0.5 : 0);
            const int first = frameAt(begins), last = frameAt(begins + 0.5) - 1;
            for (int f : {first, last})
                QVERIFY2(qAbs(frames[f].centreY - lumaOf(40 * (i % 5 + 1))) <= 6,
                         qPrintable(QStringLiteral("picture %1, frame %2").arg(i).arg(f)));
        }
        job.pictureOptions.clear();
    }

    // Above 1080 lines the preview is capped and the watermark font shrinks with it.
    void outputSizeAndFont_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::addColumn<int>("fontPx");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("previewPx");
        QTest::addColumn<QSize>("shown"); // the player's surface; empty: not known
        const QSize unknown;
        QTest::newRow("2K 16:9") << 2048 << 16 << 9 << 60 << QSize(1920, 1080) << 31 << unknown;
        QTest::newRow("4K 16:9") << 4096 << 16 << 9 << 126 << QSize(1920, 1080) << 33 << unknown;
        QTest::newRow("2K 9:16") << 2048 << 9 << 16 << 60 << QSize(608, 1080) << 31 << unknown;
        QTest::newRow("1080 stays") << 1080 << 16 << 9 << 48 << QSize(1920, 1080) << 48 << unknown;
        QTest::newRow("720 4:3 stays") << 720 << 4 << 3 << 30 << QSize(960, 720) << 30 << unknown;
        // At the size it is shown: the main window's first surface, a maximised one, a surface
        // larger than the album, and one of another shape (the album letterboxed into it).
        QTest::newRow("1080 in the first window")
            << 1080 << 16 << 9 << 48 << QSize(462, 260) << 11 << QSize(462, 262);
        QTest::newRow("4K in 1280x720")
            << 4096 << 16 << 9 << 126 << QSize(1280, 720) << 22 << QSize(1280, 720);
        QTest::newRow("720 in a larger surface")
            << 720 << 4 << 3 << 30 << QSize(960, 720) << 30 << QSize(2560, 1440);
        QTest::newRow("4K in a larger surface, capped")
            << 4096 << 16 << 9 << 126 << QSize(1920, 1080) << 33 << QSize(3840, 2160);
        QTest::newRow("2K 9:16 in a wide surface")
            << 2048 << 9 << 16 << 60 << QSize(252, 450) << 13 << QSize(800, 450);
    }
    void outputSizeAndFont()
    {
        QFETCH(int, height);
        QFETCH(int, num);
        QFETCH(int, den);
        QFETCH(int, fontPx);
        QFETCH(QSize, size);
        QFETCH(int, previewPx);
        QFETCH(QSize, shown);
        album({pictures[1]}, 1, height);
        Album &job = testAlbum();
        job.aspectNum = num;
        job.aspectDen = den;
        job.updateWidth();
        job.watermarkType = WatermarkText;
        job.watermarkText = QStringLiteral("Velmora 100%");
        job.watermarkFont.setPixelSize(fontPx);
        job.watermarkColor = Qt::white;
        job.watermarkPosition = RightBottom;
        ImageViewer local; // on this thread: its state can be looked at directly
        local.setShownSize(shown);
        viewer->setShownSize(shown);
        local.setAlbum(snapshotOf(job));
        QCOMPARE(local.preparePreview(), 0);
        const PreviewState &s = local.previewState();
        QCOMPARE(QSize(s.previewWidth, s.previewHeight), size);
        QCOMPARE(s.previewFont.pixelSize(), previewPx);
        QCOMPARE(s.watermarkRect.size(),
                 QFontMetrics(s.previewFont).boundingRect(job.watermarkText).size());
        QCOMPARE(s.watermarkRect.right() + 1, size.width() - int(size.width() * 0.01));
        local.releasePreview();

        auto spy = start();
        QVERIFY(finished(*spy));
        const QVector<Pushed> frames = sink.frames();
        QCOMPARE(frames.size(), 25);
        QCOMPARE(frames.first().size, size);
        job.watermarkType = WatermarkNone;
    }

    // The window resized during a run, in a still and in a transition, playing or paused: the
    // frames from the player's clock on come at the new size, in order, with none missing, and
    // a size that gives the same preview changes nothing.
    void resizeDuringRun_data()
    {
        QTest::addColumn<int64_t>("at"); // the clock's frame when the window is resized
        QTest::addColumn<bool>("paused");
        QTest::newRow("in a still") << int64_t(30) << false;
        QTest::newRow("in the transition") << int64_t(70) << false;
        QTest::newRow("paused in the transition") << int64_t(70) << true;
    }
    void resizeDuringRun()
    {
        QFETCH(int64_t, at);
        QFETCH(bool, paused);
        // 2 s pictures at 320 x 180: picture 0 is frames 0-49, the wipe 50-99.
        album({pictures[0], pictures[2], pictures[4]}, 2);
        auto spy = start();
        QVERIFY(sink.waitForPts(at - 5));
        if (paused)
            viewer->pause();
        viewer->setShownSize(QSize(640, 400)); // the album is smaller: nothing changes
        viewer->requestResize();
        sink.clockMs = double(at * 40 + 10);
        viewer->setShownSize(QSize(160, 100));
        viewer->requestResize();
        const bool gotSmall = sink.waitForSize(QSize(160, 90));
        if (!gotSmall)
            for (const Pushed &p : sink.frames())
                qDebug() << p.pts << p.size;
        QVERIFY(gotSmall);
        if (paused)
            viewer->resume();
        QVERIFY(sink.waitForPts(at + 20));
        viewer->requestStop();
        QVERIFY(finished(*spy));

        const QVector<Pushed> frames = sink.frames();
        int first = 0;
        while (first < frames.size() && frames[first].size != QSize(160, 90))
            ++first;
        QVERIFY(first > 0 && first < frames.size());
        for (int i = 0; i < first; ++i)
            QCOMPARE(frames[i].size, QSize(320, 180));
        QCOMPARE(frames[first].pts, at);
        for (int i = first; i < frames.size(); ++i) {
            QCOMPARE(frames[i].size, QSize(160, 90));
            QCOMPARE(frames[i].pts, at + (i - first));
        }
    }

    // Whatever ends a run, sig_previewFinished comes exactly once and the state is reset.
    void endsExactlyOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("empty album") << "empty";
        QTest::newRow("stop while playing") << "stop";
        QTest::newRow("stop while paused") << "paused";
        QTest::newRow("picture fails to decode") << "fail";
        QTest::newRow("viewer shutting down") << "running";
        QTest::newRow("stopped while still queued") << "queued";
    }
    void endsExactlyOnce()
    {
        QFETCH(QString, how);
        if (how == QLatin1String("empty"))
            album({}, 1);
        else if (how == QLatin1String("fail"))
            album({garbage, pictures[0]}, 1);
        else
            album({pictures[0], pictures[1]}, 1);
        viewer->playPosition = usOfFrame(3);
        QSemaphore entered, open;
        if (how == QLatin1String("queued")) {
            // The viewer's thread is busy: the request waits in its queue when the stop comes.
            QMetaObject::invokeMethod(
                viewer,
                [&] {
                    entered.release();
                    open.acquire();
                },
                Qt::QueuedConnection);
            entered.acquire();
        }
        auto spy = start();
        if (how == QLatin1String("queued")) {
            QVERIFY(viewer->runAskedOrActive() && !viewer->previewing);
            viewer->stopAll();
            open.release();
        }
        if (how == QLatin1String("stop") || how == QLatin1String("paused") ||
            how == QLatin1String("running")) {
            QVERIFY(sink.waitForCount(3));
            if (how == QLatin1String("paused")) {
                viewer->pause();
                QTest::qWait(100);
            }
            if (how == QLatin1String("running"))
                viewer->running = false;
            else
                viewer->stopRequested = true;
        }
        QVERIFY(finished(*spy, 10000));
        const int pushed = sink.frames().size();
        QTest::qWait(300);
        QCOMPARE(spy->size(), 1);
        QCOMPARE(sink.frames().size(), pushed);
        if (how == QLatin1String("empty") || how == QLatin1String("fail") ||
            how == QLatin1String("queued"))
            QCOMPARE(pushed, 0);
        QVERIFY(!viewer->runAskedOrActive());
        QVERIFY(!viewer->previewing && !viewer->paused && !viewer->stopRequested);
        // A run that never began leaves the position to whoever stopped it (the editor's halt
        // resets it, and a seek made since must not be lost).
        QCOMPARE(viewer->playPosition.load(),
                 how == QLatin1String("queued") ? usOfFrame(3) : int64_t(0));
        viewer->running = true;
    }

    // The cover: the first picture with the watermark, once; nothing for an empty album.
    // A moving picture with a caption and a blurred fill, through a transition into a still
    // one: the preview's frames are the export's, frame for frame, before encoding.
    void movingLooksMatchTheExport()
    {
        const QString disc = dir.filePath(QStringLiteral("disc.jpg"));
        QImage img(480, 480, QImage::Format_RGB32);
        img.fill(QColor(30, 60, 90));
        {
            QPainter p(&img);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(300, 200), 30, 30);
        }
        QVERIFY(img.save(disc, "JPEG", 95));
        album({disc, pictures[2]}, 1);
        Album &job = testAlbum();
        job.gentleMotion = true;
        job.albumFill = Fill{FillKind::Blur, 0};
        PictureOptions captioned;
        captioned.caption.text = QStringLiteral("Sea 海");
        setPictureOptions(job, 0, captioned);
        PictureOptions still;
        still.motion.kind = MotionKind::None;
        setPictureOptions(job, 1, still);
        const std::set<int64_t> at{0, 12, 40, 60, 90};
        auto spy = start(at);
        QVERIFY(finished(*spy));

        job.frameRate = {25, 1};
        job.exportFormat = QStringLiteral("MP4");
        job.fileName = QStringLiteral("looks");
        job.exportDirectory = dir.path();
        job.musicType = MusicNone;
        std::map<int64_t, av::FramePtr> exported;
        int64_t index = 0;
        // On this thread: the request runs at once, to its end.
        MediaEncoder encoder;
        encoder.frameObserver = [&](const AVFrame *f) {
            if (at.count(index))
                exported[index] = av::FramePtr(av_frame_clone(f));
            ++index;
        };
        QSignalSpy done(&encoder, &MediaEncoder::sig_succeeded);
        encoder.setAlbum(snapshotOf(testAlbum()));
        emit encoder.sig_exportVideo();
        QCOMPARE(done.size(), 1);
        job.gentleMotion = false;
        job.albumFill = Fill{FillKind::Black, 0xff000000};
        job.pictureOptions.clear();

        for (int64_t pts : at) {
            const AVFrame *a = sink.keptFrame(pts);
            const AVFrame *b = exported[pts].get();
            QVERIFY2(a && b, qPrintable(QString::number(pts)));
            QCOMPARE(QSize(a->width, a->height), QSize(b->width, b->height));
            int worst = 0;
            for (int y = 0; y < a->height; ++y)
                for (int x = 0; x < a->width; ++x)
                    worst = std::max(worst, std::abs(a->data[0][y * a->linesize[0] + x] -
                                                     b->data[0][y * b->linesize[0] + x]));
            QVERIFY2(worst <= 1, qPrintable(QStringLiteral("frame %1: %2").arg(pts).arg(worst)));
        }
        // And the picture did move: its first and its twelfth frame differ.
        const AVFrame *f0 = sink.keptFrame(0), *f12 = sink.keptFrame(12);
        int moved = 0;
        for (int y = 0; y < f0->height; ++y)
            for (int x = 0; x < f0->width; ++x)
                moved += std::abs(f0->data[0][y * f0->linesize[0] + x] -
                                  f12->data[0][y * f12->linesize[0] + x]) > 8;
        QVERIFY(moved > 10);
    }

    void cover()
    {
        album({}, 1);
        sink.reset();
        ImageViewer local;
        local.setAlbum(snapshotOf(testAlbum()));
        local.changePreviewCoverImpl();
        QCOMPARE(sink.frames().size(), 0);

        album({pictures[0], pictures[4]}, 1);
        Album &job = testAlbum();
        job.watermarkType = WatermarkText;
        job.watermarkText = QStringLiteral("MARK");
        job.watermarkFont.setPixelSize(40);
        job.watermarkColor = Qt::white;
        job.watermarkPosition = Center;
        sink.reset({0});
        viewer->setAlbum(snapshotOf(testAlbum()));
        emit viewer->sig_changePreviewCover();
        QVERIFY(sink.waitForCount(1));
        job.watermarkType = WatermarkNone;
        QTest::qWait(100);
        const QVector<Pushed> frames = sink.frames();
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames.first().pts, int64_t(0));
        // The centre is under the white text, the corner shows the picture.
        const AVFrame *f = sink.keptFrame(0);
        QVERIFY(f);
        QVERIFY(qAbs(f->data[0][2 * f->linesize[0] + 2] - lumaOf(40)) <= 6);
        int brightest = 0;
        for (int x = 120; x < 200; ++x)
            brightest = std::max<int>(brightest, f->data[0][90 * f->linesize[0] + x]);
        QVERIFY(brightest > 200);

        // While a picture's panel is open the cover is that picture; past the end, the last.
        for (const auto &[asked, grey] : {std::pair{1, 200}, std::pair{7, 200}}) {
            viewer->coverPicture = asked;
            sink.reset({0});
            viewer->setAlbum(snapshotOf(testAlbum()));
            emit viewer->sig_changePreviewCover();
            QVERIFY(sink.waitForCount(1));
            QTest::qWait(50);
            const AVFrame *shown = sink.keptFrame(0);
            QVERIFY(shown);
            QVERIFY(qAbs(shown->data[0][2 * shown->linesize[0] + 2] - lumaOf(grey)) <= 6);
        }
        viewer->coverPicture = 0;

        // A burst of requests (an import, a run of deletes) is one cover of the album as it
        // stands at the end, not a queue of stale ones that would hold up the next run.
        sink.reset({0});
        album({pictures[4], pictures[0]}, 1);
        viewer->setAlbum(snapshotOf(testAlbum()));
        for (int i = 0; i < 40; ++i)
            viewer->requestCover();
        QVERIFY(sink.waitForCount(1));
        QTest::qWait(500);
        QVERIFY2(sink.frames().size() < 10, qPrintable(QString::number(sink.frames().size())));
        const AVFrame *last = sink.keptFrame(0);
        QVERIFY(last && qAbs(last->data[0][2 * last->linesize[0] + 2] - lumaOf(200)) <= 6);
    }
};

int main(int argc, char **argv)
{
    // Text watermarks are drawn with QPainter and QFont: a GUI application, offscreen.
    QGuiApplication app(argc, argv);
    TestImageViewer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_imageviewer.moc"
