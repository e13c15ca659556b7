// FrameQueue: blocking producers, keep-last, wrap-around, release on abort, flush, and the
// consumer's sleep until something new arrives.
#include "framequeue.h"
#include "testframes.h"

#include <QtTest>

#include <atomic>
#include <thread>

namespace {

// Queues a one-sample frame whose pts identifies it.
bool pushNumbered(FrameQueue &q, int64_t number)
{
    QueuedFrame *slot = q.peekWritable();
    if (!slot)
        return false;
    AVFrame *frame = testframes::solidPicture(2, 2, AV_PIX_FMT_YUV420P, 0, 128, 128);
    frame->pts = number;
    av_frame_move_ref(slot->frame, frame);
    av_frame_free(&frame);
    slot->pts = double(number);
    q.push();
    return true;
}

} // namespace

class TestFrameQueue : public QObject
{
    Q_OBJECT
private slots:
    void capsAtNineSlots();
    void keepLastHoldsCurrentFrame_data();
    void keepLastHoldsCurrentFrame();
    void wrapsAroundInOrder();
    void producerBlocksWhileFull();
    void abortReleasesBlockedProducer();
    void flushEmptiesAndKeepsNextFrame();
    void staleFramesNeverLandAfterAFlush_data();
    void staleFramesNeverLandAfterAFlush();
    void consumerSleepsUntilSomethingNew_data();
    void consumerSleepsUntilSomethingNew();
};

void TestFrameQueue::capsAtNineSlots()
{
    FrameQueue q;
    QCOMPARE(q.init(20, true), 0);
    QCOMPARE(q.maxSize(), 9);
}

void TestFrameQueue::keepLastHoldsCurrentFrame_data()
{
    QTest::addColumn<bool>("keepLast");
    QTest::newRow("keep-last") << true;
    QTest::newRow("plain") << false;
}

void TestFrameQueue::keepLastHoldsCurrentFrame()
{
    QFETCH(bool, keepLast);
    FrameQueue q;
    QCOMPARE(q.init(3, keepLast), 0);
    QVERIFY(pushNumbered(q, 1));
    QVERIFY(pushNumbered(q, 2));
    QCOMPARE(q.remaining(), 2);

    QCOMPARE(q.peekReadable()->frame->pts, 1);
    q.next();
    if (keepLast) {
        // The first frame is now current and still holds its data; it still takes a slot.
        QVERIFY(q.shown());
        QCOMPARE(q.size(), 2);
        QCOMPARE(q.remaining(), 1);
        QCOMPARE(q.peek()->frame->pts, 1);
        QVERIFY(q.peek()->frame->buf[0] != nullptr);
    } else {
        QCOMPARE(q.size(), 1);
        QCOMPARE(q.remaining(), 1);
    }
    QCOMPARE(q.peekReadable()->frame->pts, 2);
    q.next();
    QCOMPARE(q.remaining(), 0);
    if (keepLast)
        QCOMPARE(q.peek()->frame->pts, 2); // the last frame is kept as current
}

void TestFrameQueue::wrapsAroundInOrder()
{
    FrameQueue q;
    QCOMPARE(q.init(3, true), 0);
    int64_t expected = 1;
    for (int64_t n = 1; n <= 10; n++) {
        QVERIFY(pushNumbered(q, n));
        while (q.remaining() > 0) {
            QCOMPARE(q.peekReadable()->frame->pts, expected++);
            q.next();
        }
    }
    QCOMPARE(expected, 11);
    QCOMPARE(q.size(), 1);
    QCOMPARE(q.peek()->frame->pts, 10);
}

void TestFrameQueue::producerBlocksWhileFull()
{
    FrameQueue q;
    QCOMPARE(q.init(3, true), 0);
    for (int n = 1; n <= 3; n++)
        QVERIFY(pushNumbered(q, n));

    std::atomic<bool> fourthQueued{false};
    std::thread producer([&] {
        pushNumbered(q, 4);
        fourthQueued = true;
    });
    QTest::qWait(100);
    QVERIFY(!fourthQueued);

    // With keep-last the first advance only marks a frame shown: still full.
    q.next();
    QTest::qWait(50);
    QVERIFY(!fourthQueued);
    q.next();
    QTRY_VERIFY_WITH_TIMEOUT(fourthQueued, 2000);
    producer.join();
    QCOMPARE(q.size(), 3);
    QCOMPARE(q.peekReadable()->frame->pts, 3);
}

void TestFrameQueue::abortReleasesBlockedProducer()
{
    FrameQueue q;
    QCOMPARE(q.init(9, true), 0);
    for (int n = 0; n < 9; n++)
        QVERIFY(pushNumbered(q, n));
    std::atomic<int> result{0};
    std::thread producer([&] { result = pushNumbered(q, 99) ? 1 : -1; });
    QTest::qWait(50);
    QCOMPARE(result.load(), 0);
    q.abort();
    producer.join();
    QCOMPARE(result.load(), -1);
    QVERIFY(q.isAborted());
    // Later producers do not wait at all.
    QVERIFY(!pushNumbered(q, 100));
    QCOMPARE(q.size(), 9);
}

void TestFrameQueue::flushEmptiesAndKeepsNextFrame()
{
    FrameQueue q;
    QCOMPARE(q.init(9, true), 0);
    for (int n = 1; n <= 4; n++)
        QVERIFY(pushNumbered(q, n));
    q.next();
    q.next();
    q.flush();
    QCOMPARE(q.size(), 0);
    QCOMPARE(q.remaining(), 0);
    QVERIFY(!q.shown());
    // The first frame after a flush is readable at once, not skipped as "already shown".
    QVERIFY(pushNumbered(q, 5));
    QCOMPARE(q.remaining(), 1);
    QCOMPARE(q.peekReadable()->frame->pts, 5);
}

void TestFrameQueue::staleFramesNeverLandAfterAFlush_data()
{
    QTest::addColumn<bool>("flush"); // else releaseWriters()
    QTest::newRow("flush") << true;
    QTest::newRow("release") << false;
}

// A producer blocked on the full queue, or filling a slot, when the queue is flushed (or its
// writers released) does not queue its frame after it: the frame was meant for before.
void TestFrameQueue::staleFramesNeverLandAfterAFlush()
{
    QFETCH(bool, flush);
    FrameQueue q;
    QCOMPARE(q.init(9, false), 0);
    for (int n = 0; n < 9; n++)
        QVERIFY(pushNumbered(q, n));
    std::atomic<int> result{0};
    std::thread producer([&] { result = pushNumbered(q, 99) ? 1 : -1; });
    QTest::qWait(50);
    QCOMPARE(result.load(), 0);
    flush ? q.flush() : q.releaseWriters();
    producer.join();
    QCOMPARE(result.load(), -1);
    QCOMPARE(q.size(), flush ? 0 : 9);

    // A slot taken before and published after: released, not queued.
    if (flush) {
        QueuedFrame *slot = q.peekWritable();
        QVERIFY(slot);
        AVFrame *frame = testframes::solidPicture(2, 2, AV_PIX_FMT_YUV420P, 0, 128, 128);
        av_frame_move_ref(slot->frame, frame);
        av_frame_free(&frame);
        q.flush();
        QVERIFY(!q.push());
        QCOMPARE(q.size(), 0);
        QVERIFY(!slot->frame->buf[0]);
    }
    // Producers that come later push as before.
    q.flush();
    QVERIFY(pushNumbered(q, 100));
    QCOMPARE(q.size(), 1);
}

void TestFrameQueue::consumerSleepsUntilSomethingNew_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("a frame is pushed") << "push";
    QTest::newRow("woken during the wait") << "wake";
    QTest::newRow("woken before the wait") << "wake-before";
    QTest::newRow("aborted") << "abort";
}

void TestFrameQueue::consumerSleepsUntilSomethingNew()
{
    QFETCH(QString, event);
    FrameQueue q;
    QCOMPARE(q.init(3, true), 0);
    // The shown (kept) frame is nothing new: the consumer must not keep waking for it.
    QVERIFY(pushNumbered(q, 1));
    q.next();
    QCOMPARE(q.remaining(), 0);

    if (event == QLatin1String("wake-before"))
        q.wake();
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (event == QLatin1String("push"))
            pushNumbered(q, 2);
        else if (event == QLatin1String("wake"))
            q.wake();
        else if (event == QLatin1String("abort"))
            q.abort();
    });
    QElapsedTimer woken;
    woken.start();
    q.waitReadable(20000);
    const qint64 waitedMs = woken.elapsed();
    other.join();
    QVERIFY2(waitedMs < 10000, qPrintable(QString::number(waitedMs)));
    if (event == QLatin1String("push"))
        QCOMPARE(q.remaining(), 1);
    if (event == QLatin1String("abort"))
        return;

    // A wake is served once: with nothing new the next wait sleeps its whole timeout.
    if (event == QLatin1String("push"))
        q.next();
    QElapsedTimer idle;
    idle.start();
    q.waitReadable(100);
    QVERIFY2(idle.elapsed() >= 90, qPrintable(QString::number(idle.elapsed())));
}

QTEST_GUILESS_MAIN(TestFrameQueue)
#include "tst_framequeue.moc"
