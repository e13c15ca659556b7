// TransitionRenderer: frames in order, failures delivered in place, abort at any point.
#include "framegraph.h"
#include "transitionrenderer.h"

#include <QtTest>

namespace {

av::FramePtr colour(int w, int h, const char *name)
{
    av::FramePtr f = av::makeFrame();
    if (makeColorFrame(f.get(), w, h, AV_PIX_FMT_YUV444P, QString::fromLatin1(name)) < 0)
        return nullptr;
    return f;
}

av::FilterGraphPtr fadeGraph(int w, int h, const QString &tail = QString())
{
    SourcePadSpec in1;
    in1.format = AV_PIX_FMT_YUV444P;
    in1.width = w;
    in1.height = h;
    in1.timeBase = {1, 10};
    in1.frameRate = {10, 1};
    in1.label = QStringLiteral("in1");
    SourcePadSpec in2 = in1;
    in2.label = QStringLiteral("in2");
    return createFilterGraph(
        QStringLiteral("[in1][in2]xfade=transition=fadeblack:offset=0:duration=2") + tail,
        {in1, in2}, {SinkPadSpec{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0}});
}

} // namespace

class TestTransitionRenderer : public QObject
{
    Q_OBJECT
private slots:
    void framesInOrder()
    {
        av::FramePtr from = colour(64, 48, "white");
        av::FramePtr to = colour(64, 48, "red");
        TransitionRenderer r(fadeGraph(64, 48), from.get(), to.get(), 20, 2);
        for (int i = 0; i < 20; ++i) {
            TransitionRenderer::Item item = r.next();
            QCOMPARE(item.code, 0);
            QVERIFY(item.frame);
            QCOMPARE(item.frame->pts, qint64(i));
            QCOMPARE(item.frame->format, int(AV_PIX_FMT_YUV420P));
        }
        // Past the end: a failure, never a hang.
        QVERIFY(r.next().code < 0);
        // The caller's stills are untouched.
        QCOMPARE(from->width, 64);
    }

    void failureArrivesInItsPlace()
    {
        // A graph that swallows every frame: the first pull fails, and nothing follows it.
        av::FramePtr from = colour(64, 48, "white");
        av::FramePtr to = colour(64, 48, "red");
        TransitionRenderer r(fadeGraph(64, 48, QStringLiteral(",select=0")), from.get(), to.get(),
                             20, 2);
        const TransitionRenderer::Item item = r.next();
        QCOMPARE(item.code, AVERROR(EAGAIN));
        QVERIFY(!item.frame);
        QCOMPARE(QByteArray(item.message), QByteArray("Get frame from transition filter failed"));
        QVERIFY(r.next().code < 0);
    }

    // Destroying the renderer while its thread waits on a full queue, or mid-way, returns.
    void abortAnywhere()
    {
        av::FramePtr from = colour(64, 48, "white");
        av::FramePtr to = colour(64, 48, "red");
        for (int consumed : {0, 1, 5}) {
            TransitionRenderer r(fadeGraph(64, 48), from.get(), to.get(), 50, 2);
            for (int i = 0; i < consumed; ++i)
                QCOMPARE(r.next().code, 0);
            QTest::qWait(20); // let the thread fill its queue and block
        }
        TransitionRenderer immediate(fadeGraph(64, 48), from.get(), to.get(), 50, 1);
    }
};

QTEST_MAIN(TestTransitionRenderer)
#include "tst_transitionrenderer.moc"
