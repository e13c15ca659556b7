// Album: width rule, transition picker, frame counts and the album bookkeeping.
#include "album.h"
#include "albumops.h"
#include "testalbum.h"

#include <QSet>
#include <QtTest>

class TestAlbum : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Album &job = testAlbum();
        clearAlbum(job);
        job.uniformDurationValue = 3000000;
    }

    void widthRule_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::addColumn<int>("width");
        QTest::newRow("1080 16:9") << 1080 << 16 << 9 << 1920;
        QTest::newRow("720 4:3") << 720 << 4 << 3 << 960;
        QTest::newRow("1080 9:16 rounds 607.5 up to 608") << 1080 << 9 << 16 << 608;
        QTest::newRow("480 16:9 853 is odd") << 480 << 16 << 9 << 852;
        QTest::newRow("2048 2:1") << 2048 << 2 << 1 << 4096;
        QTest::newRow("4096 1:1") << 4096 << 1 << 1 << 4096;
        QTest::newRow("auto ratio 1000:667") << 1080 << 1000 << 667 << 1618;
    }
    void widthRule()
    {
        QFETCH(int, height);
        QFETCH(int, num);
        QFETCH(int, den);
        QFETCH(int, width);
        QCOMPARE(Album::widthFor(height, num, den), width);
    }

    void watermarkPixelSize()
    {
        QCOMPARE(Album::watermarkPixelSizeFor(480), 24);
        QCOMPARE(Album::watermarkPixelSizeFor(720), 30);
        QCOMPARE(Album::watermarkPixelSizeFor(1080), 48);
        QCOMPARE(Album::watermarkPixelSizeFor(2048), 60);
        QCOMPARE(Album::watermarkPixelSizeFor(4096), 126);
        QCOMPARE(Album::watermarkPixelSizeFor(999), 48);
    }

    void defaults()
    {
        const Album &job = testAlbum();
        QCOMPARE(&job, &testAlbum());
        QCOMPARE(job.watermarkFont.family(), QStringLiteral("Microsoft YaHei UI"));
        QCOMPARE(job.watermarkFont.pixelSize(), 48);
        QVERIFY(!job.watermarkColor.isValid());
        QCOMPARE(job.totalTimeBase.den, 1000000);
        QCOMPARE(job.msTimeBase.den, 1000);
    }

    void outputPathLowerCasesTheFormat()
    {
        Album &job = testAlbum();
        job.exportDirectory = QStringLiteral("/tmp/Videos");
        job.fileName = QStringLiteral("My Album");
        job.exportFormat = QStringLiteral("MP4");
        QCOMPARE(job.outputFilePath(), QStringLiteral("/tmp/Videos/My Album.mp4"));
    }

    // The picker steps by 3 through a table of prime length: 23 slots use every transition once.
    void pickerCoversTheTable()
    {
        TransitionPicker::reset(5);
        QSet<QString> seen;
        const TransitionKind *first = TransitionPicker::next();
        seen.insert(QString::fromUtf8(first->transitionName));
        QCOMPARE(first, &kTransitionKinds[5]);
        const TransitionKind *second = TransitionPicker::next();
        QCOMPARE(second, &kTransitionKinds[8]);
        seen.insert(QString::fromUtf8(second->transitionName));
        for (int i = 2; i < 23; ++i)
            seen.insert(QString::fromUtf8(TransitionPicker::next()->transitionName));
        QCOMPARE(seen.size(), 23);
        QCOMPARE(TransitionPicker::next(), first); // the 24th reuses the first
        for (const TransitionKind &k : kTransitionKinds)
            QCOMPARE(QByteArray(k.filterName), QByteArray("xfade"));
        QCOMPARE(QByteArray(kTransitionKinds[0].transitionName), QByteArray("fadeblack"));
        QCOMPARE(QByteArray(kTransitionKinds[22].transitionName), QByteArray("horzclose"));
    }

    void frameCounts_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("fps");
        QTest::addColumn<qint64>("pictureFrames");
        QTest::addColumn<qint64>("transitionFrames");
        QTest::newRow("3 s at 30") << 3 << 30 << qint64(90) << qint64(60);
        QTest::newRow("3 s at 25") << 3 << 25 << qint64(75) << qint64(50);
        QTest::newRow("1 s at 24") << 1 << 24 << qint64(24) << qint64(48);
        QTest::newRow("60 s at 120") << 60 << 120 << qint64(7200) << qint64(240);
    }
    void frameCounts()
    {
        QFETCH(int, seconds);
        QFETCH(int, fps);
        Album &job = testAlbum();
        setUniformDurationSeconds(job, seconds);
        QTEST(qint64(job.pictureFrameCount({fps, 1})), "pictureFrames");
        QTEST(qint64(Album::transitionFrameCount(TransitionSlot(), {fps, 1})), "transitionFrames");
    }

    // Every duration and frame rate the program offers gives an exact whole number of frames.
    void frameCountsAreExactForEveryChoice()
    {
        Album &job = testAlbum();
        for (int s = 1; s <= 60; ++s) {
            setUniformDurationSeconds(job, s);
            for (int fps : {24, 25, 30, 60, 120})
                QCOMPARE(job.pictureFrameCount({fps, 1}), qint64(s) * fps);
        }
    }

    // A thousand pictures fitted to music, some with lengths of their own, cuts and chosen
    // transitions: at every rate, each picture and slot starts on the frame nearest its time on
    // the album's clock, so the video is never more than half a frame off, however long.
    void frameBoundariesFollowTheClock_data()
    {
        QTest::addColumn<int>("fps");
        for (int fps : {24, 25, 30, 60})
            QTest::newRow(qPrintable(QStringLiteral("%1 fps").arg(fps))) << fps;
    }
    void frameBoundariesFollowTheClock()
    {
        QFETCH(int, fps);
        Album &job = testAlbum();
        const int count = 1000;
        for (int i = 0; i < count; ++i) {
            MaterialItem item;
            item.path = QStringLiteral("/album/%1.jpg").arg(i);
            appendPicture(job, item);
        }
        for (int i = 0; i < count; i += 7) {
            PictureOptions o;
            o.duration = 700000 + 13777 * (i % 11); // 0.7 s .. 2.08 s, rarely whole frames
            o.transition = i % 3 == 0   ? TransitionChoice::None
                           : i % 3 == 1 ? TransitionChoice::Chosen
                                        : TransitionChoice::Random;
            o.chosenKind = &kTransitionKinds[i % kTransitionKindCount];
            o.transitionLength = i % 2 ? 1234567 : 0;
            setPictureOptions(job, i, o);
        }
        // Then the whole album fitted to a length no frame rate divides.
        QVERIFY(fitPicturesToLength(job, 4321234567).ok);
        const AVRational rate{fps, 1};
        const int64_t total = av_rescale_q(job.totalDuration, job.totalTimeBase, {1, 1000000});
        int64_t frame = 0; // the first frame of the part that comes next
        int64_t clock = 0; // its time in microseconds
        for (int i = 0; i < count; ++i) {
            QCOMPARE(job.pictureStart(i), clock);
            QCOMPARE(frame, Album::frameAt(clock, rate));
            const int64_t alone = job.pictureFrameCount(i, rate);
            clock += job.pictureDuration(i);
            frame += alone;
            QCOMPARE(frame, Album::frameAt(clock, rate));
            // Whole frames in either direction of the exact length, never drifting.
            QVERIFY(qAbs(alone * 1000000 - job.pictureDuration(i) * fps) < 1000000);
            const int64_t slot = job.slotFrameCount(i, rate);
            if (i + 1 == count)
                QCOMPARE(slot, qint64(0));
            else if (!job.slotKind(i))
                QCOMPARE(slot, qint64(0)); // a cut
            clock += job.slotDuration(i);
            frame += slot;
            QCOMPARE(frame, Album::frameAt(clock, rate));
        }
        QCOMPARE(clock, total);
        QCOMPARE(frame, job.videoFrameCount(rate));
        QCOMPARE(frame, (total * fps + 500000) / 1000000);
        // Half a frame at most between the video and the album's length.
        QVERIFY(qAbs(frame * 1000000 - total * fps) <= 500000);
    }

    // The album's own timing at whole seconds gives whole frames everywhere: exactly the frames
    // of 3-second pictures and 2-second transitions, as always.
    void wholeSecondsKeepTheirFrames()
    {
        Album &job = testAlbum();
        for (int i = 0; i < 5; ++i) {
            MaterialItem item;
            item.path = QStringLiteral("/album/%1.jpg").arg(i);
            appendPicture(job, item);
        }
        for (int fps : {24, 25, 30, 60, 120}) {
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(job.pictureFrameCount(i, {fps, 1}), qint64(3 * fps));
                QCOMPARE(job.slotFrameCount(i, {fps, 1}), qint64(i < 4 ? 2 * fps : 0));
            }
            QCOMPARE(job.videoFrameCount({fps, 1}), qint64(23 * fps));
        }
    }

    // A clip lasts its trimmed length over its speed and holds both of its transitions: the
    // pictures around it keep their own time alone, and short clips shorten their transitions.
    void clipsHoldTheirTransitions()
    {
        Album &job = testAlbum();
        MaterialItem clip{QStringLiteral("/album/clip.mp4"), {16, 9}, QSize(1920, 1080)};
        clip.clip.duration = 10000000;
        clip.clip.hasSound = true;
        appendPicture(job, MaterialItem{QStringLiteral("/album/a.jpg"), {4, 3}, QSize(400, 300)});
        appendPicture(job, clip);
        appendPicture(job, MaterialItem{QStringLiteral("/album/b.jpg"), {4, 3}, QSize(400, 300)});
        QVERIFY(!job.isClip(0) && job.isClip(1) && !job.isClip(2) && !job.isClip(3));
        PictureOptions o;
        o.clip.in = 1000000;
        o.clip.out = 7000000;
        setPictureOptions(job, 1, o);
        QCOMPARE(job.clipLength(1), qint64(6000000));
        QCOMPARE(job.pictureDuration(1), qint64(2000000)); // 6 - 2 - 2 alone
        QCOMPARE(job.itemStart(1), qint64(3000000));
        QCOMPARE(job.pictureStart(2), qint64(9000000));
        QCOMPARE(job.computeTotalDuration(), qint64(12000000)); // 3 + 6 + 3
        // Double speed: 3 s, each transition half of it.
        o.clip.speed = 200;
        setPictureOptions(job, 1, o);
        QCOMPARE(job.clipLength(1), qint64(3000000));
        QCOMPARE(job.slotDuration(0), qint64(1500000));
        QCOMPARE(job.slotDuration(1), qint64(1500000));
        QCOMPARE(job.pictureDuration(1), qint64(0));
        QCOMPARE(job.computeTotalDuration(), qint64(9000000)); // 3 + 3 + 3
        QCOMPARE(job.videoFrameCount({25, 1}), qint64(225));
        // Trims beyond the file, or inverted, stay within it and keep a minimum length.
        o.clip = ClipOptions();
        o.clip.in = 9900000;
        o.clip.out = 4000000;
        setPictureOptions(job, 1, o);
        QCOMPARE(job.clipIn(1), qint64(9800000));
        QCOMPARE(job.clipOut(1), qint64(10000000));
        QCOMPARE(job.clipLength(1), kMinClipLength);
        o.clip = ClipOptions();
        o.clip.speed = 1; // below the slowest speed: the slowest
        setPictureOptions(job, 1, o);
        QCOMPARE(job.clipLength(1), qint64(40000000));
        // Sound: a muted clip, or one at volume 0, brings none.
        QVERIFY(job.clipsHaveSound());
        o.clip = ClipOptions();
        o.clip.mute = true;
        setPictureOptions(job, 1, o);
        QVERIFY(!job.clipsHaveSound());
        o.clip.mute = false;
        o.clip.volume = 0;
        setPictureOptions(job, 1, o);
        QVERIFY(!job.clipsHaveSound());
        // A clip's own duration setting is not used; its neighbour's still bounds the slot.
        o = PictureOptions();
        o.duration = 1000000;
        setPictureOptions(job, 1, o);
        setPictureOptions(job, 2, o);
        QCOMPARE(job.clipLength(1), qint64(10000000));
        QCOMPARE(job.slotDuration(0), qint64(2000000));
        QCOMPARE(job.slotDuration(1), qint64(1000000));
        QCOMPARE(job.pictureDuration(1), qint64(7000000));
        // Frame boundaries still add up across the clip.
        for (int fps : {24, 25, 30, 60}) {
            int64_t frames = 0;
            for (int i = 0; i < job.materialOrder.size(); ++i)
                frames += job.pictureFrameCount(i, {fps, 1}) + job.slotFrameCount(i, {fps, 1});
            QCOMPARE(frames, job.videoFrameCount({fps, 1}));
        }
        clearAlbum(job);
    }

    void bookkeeping()
    {
        Album &job = testAlbum();
        MaterialItem a{QStringLiteral("/a.jpg"), {4, 3}, QSize(400, 300)};
        MaterialItem b{QStringLiteral("/b.jpg"), {16, 9}, QSize(1920, 1080)};
        appendPicture(job, a);
        QVERIFY(job.transitions.isEmpty());
        QCOMPARE(job.totalDuration, qint64(3000000));
        appendPicture(job, b);
        appendPicture(job, a); // the same file twice: two rows, one item
        QCOMPARE(job.materialOrder.size(), 3);
        QCOMPARE(job.materials.size(), 2);
        QCOMPARE(job.transitions.size(), 2);
        QCOMPARE(job.totalDuration, qint64(13000000)); // 3 x 3 + 2 x 2
        setUniformDurationSeconds(job, 5);             // every row counts
        QCOMPARE(job.totalDuration, qint64(19000000));
        appendPicture(job, b);
        setUniformDurationSeconds(job, 3);
        setUniformDurationSeconds(job, 5); // 3 -> 5 with 4 rows adds 8 s
        QCOMPARE(job.totalDuration, qint64(4 * 5 + 3 * 2) * 1000000);
        setUniformDurationSeconds(job, 61);
        QCOMPARE(job.uniformDurationValue, qint64(60000000));
        setUniformDurationSeconds(job, 0);
        QCOMPARE(job.uniformDurationValue, qint64(1000000));
        clearAlbum(job);
        QCOMPARE(job.totalDuration, qint64(0));
        QVERIFY(job.transitions.isEmpty());
    }

    void avrationalTravelsInQueuedSignals()
    {
        registerEngineMetaTypes();
        QVERIFY(QMetaType::type("AVRational") != QMetaType::UnknownType);
    }
};

QTEST_MAIN(TestAlbum)
#include "tst_album.moc"
