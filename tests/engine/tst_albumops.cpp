// Album editing rules: removal and its transition slot, held files, ratio, height and font rules.
#include "album.h"
#include "albumfile.h"
#include "albumops.h"
#include "testalbum.h"

#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestAlbumOps : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString makeFile(const QString &szName)
    {
        const QString path = m_dir.filePath(szName);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("x");
        return path;
    }
    static MaterialItem item(const QString &path, AVRational ratio)
    {
        return MaterialItem{path, ratio, QSize(ratio.num * 100, ratio.den * 100)};
    }

private slots:
    void init()
    {
        Album &job = testAlbum();
        clearAlbum(job);
        job.aspectNum = 16;
        job.aspectDen = 9;
        job.height = 1080;
        job.updateWidth();
    }

    // The middle of three goes: the last slot goes with it, and the remaining order is kept.
    void removeMiddleTakesLastSlot()
    {
        Album &job = testAlbum();
        const QString a = makeFile("a.jpg"), b = makeFile("b.jpg"), c = makeFile("c.jpg");
        for (const QString &p : {a, b, c})
            appendPicture(job, item(p, {4, 3}));
        const TransitionKind *firstKind = job.transitions.first().kind;
        QCOMPARE(job.totalDuration, qint64(13000000));
        const auto change = removePicture(job, b, 1);
        QVERIFY(change && change->totalChanged && !change->coverChanged);
        QCOMPARE(job.materialOrder, (QList<QString>{a, c}));
        QCOMPARE(job.transitions.size(), 1);
        QCOMPARE(job.transitions.first().kind, firstKind);
        QCOMPARE(job.totalDuration, qint64(8000000));
        QVERIFY(!job.materials.contains(b));
        // The first row going changes the cover; an unknown path changes nothing.
        QVERIFY(removePicture(job, a, 0)->coverChanged);
        QVERIFY(!removePicture(job, QStringLiteral("/nowhere.jpg"), 0));
        // The last row going empties the album and the duration returns to 3 s.
        setUniformDurationSeconds(job, 7);
        QVERIFY(!removePicture(job, c, 0)->coverChanged);
        QCOMPARE(job.totalDuration, qint64(0));
        QCOMPARE(job.uniformDurationValue, qint64(3000000));
    }

    // A picture's own duration and transition: the total follows, a cut adds nothing, a length
    // or duration of its own keeps the slot within the shorter picture, and the settings move and
    // go with their row while the slots' drawn kinds stay in place.
    void pictureOptionsShapeTheTimeline()
    {
        Album &job = testAlbum();
        const QString a = makeFile("a.jpg"), b = makeFile("b.jpg"), c = makeFile("c.jpg");
        for (const QString &p : {a, b, c})
            appendPicture(job, item(p, {4, 3}));
        const QList<TransitionSlot> drawn = job.transitions;
        QCOMPARE(job.totalDuration, qint64(13000000)); // 3 x 3 s + 2 x 2 s, as always

        PictureOptions quick;
        quick.duration = 500000;
        QVERIFY(setPictureOptions(job, 1, quick).totalChanged);
        // b 0.5 s; both slots beside it shrink to 0.5 s.
        QCOMPARE(job.slotDuration(0), qint64(500000));
        QCOMPARE(job.slotDuration(1), qint64(500000));
        QCOMPARE(job.totalDuration, qint64(3000000 + 500000 + 3000000 + 500000 + 500000));
        // At 25 fps b starts at 3.5 s (frame 87.5, taken as 88) and ends at frame 100; the
        // slot after it ends at 4.5 s (112.5, taken as 113).
        QCOMPARE(job.pictureFrameCount(1, {25, 1}), qint64(12));
        QCOMPARE(job.slotFrameCount(1, {25, 1}), qint64(13));

        PictureOptions cut;
        cut.transition = TransitionChoice::None;
        setPictureOptions(job, 0, cut);
        QCOMPARE(job.slotKind(0), nullptr);
        QCOMPARE(job.slotFrameCount(0, {25, 1}), qint64(0));
        PictureOptions chosen;
        chosen.transition = TransitionChoice::Chosen;
        chosen.chosenKind = &kTransitionKinds[5];
        chosen.transitionLength = 9000000; // clamped to 3 s, then to the 3 s pictures
        setPictureOptions(job, 2, chosen);
        QCOMPARE(job.optionsAt(2).transitionLength, qint64(3000000));
        QCOMPARE(job.totalDuration, qint64(3000000 + 500000 + 500000 + 3000000));

        // The album's duration moves only the rows without their own.
        setUniformDurationSeconds(job, 5);
        QCOMPARE(job.pictureDuration(1), qint64(500000));
        QCOMPARE(job.totalDuration, qint64(5000000 + 500000 + 500000 + 5000000));

        // b to the front: its settings go with it, the drawn kinds stay where they were.
        reorderPictures(job, {b, a, c}, 1, 0, false);
        QCOMPARE(job.pictureDuration(0), qint64(500000));
        QCOMPARE(job.optionsAt(1).transition, TransitionChoice::None);
        QCOMPARE(job.transitions.at(0).kind, drawn.at(0).kind);
        QCOMPARE(job.slotKind(0), drawn.at(0).kind);
        QCOMPARE(job.slotKind(1), nullptr);
        QCOMPARE(job.totalDuration, job.computeTotalDuration());

        // Removing a row takes its settings; the chosen kind stays with c.
        removePicture(job, b, 0);
        QCOMPARE(job.pictureOptions.size(), 2);
        QCOMPARE(job.optionsAt(1).chosenKind, &kTransitionKinds[5]);
        QCOMPARE(job.totalDuration, qint64(5000000 + 5000000));
        clearAlbum(job);
        QVERIFY(job.pictureOptions.isEmpty());
    }

    // One file in two rows: one item and one handle, which stays until its last row goes.
    void sameFileTwiceKeepsItsHandle()
    {
        Album &job = testAlbum();
        HeldFiles held;
        const QString a = makeFile("twice.jpg");
        appendPicture(job, item(a, {4, 3}));
        held.follow(job);
        FILE *handle = held.handle(a);
        QVERIFY(handle);
        appendPicture(job, item(a, {4, 3}));
        held.follow(job);
        QCOMPARE(job.materials.size(), 1);
        QCOMPARE(held.handle(a), handle);
        QCOMPARE(job.materialOrder.size(), 2);
        removePicture(job, a, 1);
        held.follow(job);
        QCOMPARE(held.handle(a), handle);
        QVERIFY(std::fseek(handle, 0, SEEK_SET) == 0); // still open
        removePicture(job, a, 0);
        held.follow(job);
        QVERIFY(job.materials.isEmpty());
        QCOMPARE(held.count(), 0);
    }

    // A read-only picture is held; clearing lets the pictures go but keeps watermark and music,
    // which are held only while they are chosen.
    void heldFilesAreReadOnlyAndClearKeepsSettings()
    {
        Album &job = testAlbum();
        HeldFiles held;
        const QString a = makeFile("readonly.jpg");
        QVERIFY(::chmod(QFile::encodeName(a).constData(), 0444) == 0);
        appendPicture(job, item(a, {1, 1}));
        held.follow(job);
        QVERIFY(held.handle(a));
        const QString mark = makeFile("mark.png"), music = makeFile("music.mp3");
        setWatermarkImage(job, mark);
        setMusicFile(job, music);
        job.watermarkType = WatermarkPicture;
        job.musicType = MusicCustom;
        held.follow(job);
        QVERIFY(held.handle(mark) && held.handle(music));
        setUniformDurationSeconds(job, 9);
        clearAlbum(job);
        held.follow(job);
        QVERIFY(job.materials.isEmpty() && job.materialOrder.isEmpty());
        QCOMPARE(job.uniformDurationValue, qint64(3000000));
        QCOMPARE(job.watermarkImagePath, mark);
        QVERIFY(!held.handle(a) && held.handle(music));
        // Not chosen any more: let go, though the path stays for the page that shows it.
        job.musicType = MusicNone;
        held.follow(job);
        QVERIFY(!held.handle(music));
        // A file that vanished empties its path when its page comes back.
        QVERIFY(QFile::remove(music));
        QVERIFY(!keepIfReadable(job.musicPath));
        QVERIFY(job.musicPath.isEmpty());
        QVERIFY(keepIfReadable(job.watermarkImagePath));
        job.watermarkType = WatermarkNone;
    }

    // Replaying an album file: each slot takes the kind stored with the picture before it; the
    // last picture's kind joins nothing; a picture left out takes its own kind with it; the
    // picker steps as if it had drawn, and storedAlbumFrom names the same start again.
    void replayedSlotsTakeTheStoredKinds()
    {
        Album &job = testAlbum();
        StoredAlbum album;
        album.transitionStart = 20;
        for (const char *name : {"r0.jpg", "r1.jpg", "r2.jpg", "r3.jpg", "r4.jpg"})
            album.pictures.append(AlbumPicture{makeFile(QLatin1String(name)), -1});
        album.pictures[0].transitionRow = 3;  // radial
        album.pictures[1].transitionRow = 18; // circleclose, but r1 is left out below
        album.pictures[2].transitionRow = 0;  // fadeblack
        album.pictures[4].transitionRow = 7;  // the last: joins nothing
        // r3 stores none: slot 3 of a start of 20 wraps to (20 + 9) mod 23 = 6 (zoomin).
        QCOMPARE(album.transitionRowFor(3), 6);

        TransitionPicker::reset(album.transitionStart);
        const TransitionKind *joining = nullptr;
        for (int i = 0; i < album.pictures.size(); ++i) {
            if (i == 1)
                continue; // missing on this machine
            appendPicture(job, item(album.pictures.at(i).file, {4, 3}), false, joining);
            joining = album.transitionKindFor(i);
        }
        QCOMPARE(job.transitions.size(), 3);
        const QList<int> rows = {transitionRowOf(job.transitions.at(0).kind),
                                 transitionRowOf(job.transitions.at(1).kind),
                                 transitionRowOf(job.transitions.at(2).kind)};
        QCOMPARE(rows, (QList<int>{3, 0, 6})); // r0→r2 radial, r2→r3 fadeblack, r3→r4 zoomin
        QCOMPARE(job.totalDuration, qint64(4 * 3000000 + 3 * 2000000));
        // Three slots stepped the picker from 20, as drawing them would have.
        QCOMPARE(TransitionPicker::currentIndex(), (20 + 9) % 23);
        const StoredAlbum saved = storedAlbumFrom(job, QStringLiteral("16:9"));
        QCOMPARE(saved.transitionStart, 20);
        QCOMPARE(saved.pictures.last().transitionRow, -1);
        // A later append draws from the picker, whatever the last picture stored.
        appendPicture(job, item(makeFile(QStringLiteral("r5.jpg")), {4, 3}));
        QCOMPARE(transitionRowOf(job.transitions.last().kind), 6);
        // Without a kind, a row is drawn; for the first row a kind is ignored.
        clearAlbum(job);
        appendPicture(job, item(album.pictures.at(0).file, {4, 3}), false, &kTransitionKinds[5]);
        QVERIFY(job.transitions.isEmpty());
    }

    void outputSizeTable_data()
    {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QSize>("size");
        QTest::newRow("480 16:9") << "480P"
                                  << "16:9" << QSize(852, 480);
        QTest::newRow("720 9:16") << "720P"
                                  << "9:16" << QSize(404, 720);
        QTest::newRow("1080 3:4") << "1080P"
                                  << "3:4" << QSize(810, 1080);
        QTest::newRow("2K 16:9") << "2K"
                                 << "16:9" << QSize(3640, 2048);
        QTest::newRow("2K 4:3") << "2K"
                                << "4:3" << QSize(2730, 2048);
        QTest::newRow("4K 16:9") << "4K"
                                 << "16:9" << QSize(7282, 4096);
        QTest::newRow("4K 2:1") << "4K"
                                << "2:1" << QSize(8192, 4096);
        QTest::newRow("unknown height keeps 1080") << "8K"
                                                   << "1:1" << QSize(1080, 1080);
    }
    void outputSizeTable()
    {
        QFETCH(QString, height);
        QFETCH(QString, ratio);
        Album &job = testAlbum();
        WatermarkFontRule rule;
        applyHeightText(job, height, rule);
        QVERIFY(applyRatioText(job, ratio).coverChanged);
        QTEST(QSize(job.width, job.height), "size");
    }

    // The first picture's ratio under the self-adapting choice; removal keeps it, a reorder
    // takes the new first picture's.
    void selfAdaptingRatio()
    {
        Album &job = testAlbum();
        const QString tall = makeFile("tall.jpg"), wide = makeFile("wide.jpg");
        QVERIFY(appendPicture(job, item(tall, {2, 3}), true).coverChanged);
        QCOMPARE(job.width, 720);
        QVERIFY(!appendPicture(job, item(wide, {16, 9}), true).coverChanged);
        QCOMPARE(job.width, 720);
        removePicture(job, tall, 0);
        QCOMPARE(job.width, 720);
        appendPicture(job, item(tall, {2, 3}), true);
        QVERIFY(reorderPictures(job, {tall, wide}, 1, 0, true).coverChanged);
        QCOMPARE(job.width, 720);
        QVERIFY(reorderPictures(job, {wide, tall}, 1, 0, true).coverChanged);
        QCOMPARE(job.width, 1920);
        // Choosing the self-adapting entry with an empty album keeps the ratio it had.
        clearAlbum(job);
        applyRatioText(job, QStringLiteral("4:3"));
        applyRatioText(job, QStringLiteral("self-adaption(default)"));
        QCOMPARE(job.width, 1440);
    }

    void fontFollowsHeightUntilTheUserChooses()
    {
        Album &job = testAlbum();
        WatermarkFontRule rule;
        rule.editorFont = QFont(QStringLiteral("Microsoft YaHei UI"));
        rule.applyHeight(job, 1080);
        applyHeightText(job, QStringLiteral("4K"), rule);
        QCOMPARE(job.watermarkFont.pixelSize(), 126);
        // OK on the dialog with what it was given (the family in use, pixels x 0.75) keeps it.
        QFont same(QFontInfo(job.watermarkFont).family());
        same.setPointSizeF(126 * 0.75);
        rule.applyChosenFont(job, same);
        QVERIFY(rule.fontFollowsHeight);
        applyHeightText(job, QStringLiteral("720P"), rule);
        QCOMPARE(job.watermarkFont.pixelSize(), 30);
        // Another size: the watermark keeps the user's font from now on (36 pt is 48 px).
        QFont chosen = job.watermarkFont;
        chosen.setPointSize(36);
        rule.applyChosenFont(job, chosen);
        QVERIFY(!rule.fontFollowsHeight);
        QCOMPARE(job.watermarkFont.pixelSize(), 48);
        applyHeightText(job, QStringLiteral("480P"), rule);
        QCOMPARE(job.watermarkFont.pixelSize(), 48);
        QCOMPARE(rule.editorFont.pixelSize(), 24);
    }

    // The fit: the total lands on the target within a frame, the durations keep the ratios the
    // user set, transitions stay bounded by their shorter picture, and the bounds are refused
    // with the album untouched.
    void fitPicturesToLength()
    {
        Album &job = testAlbum();
        const QString a = makeFile("a.jpg"), b = makeFile("b.jpg"), c = makeFile("c.jpg");
        for (const QString &p : {a, b, c, a})
            appendPicture(job, item(p, {4, 3}));
        PictureOptions longer;
        longer.duration = 4000000;
        setPictureOptions(job, 1, longer);
        PictureOptions cut;
        cut.transition = TransitionChoice::None;
        setPictureOptions(job, 2, cut); // 3 s, then a cut
        const QList<PictureOptions> before = job.pictureOptions;
        const int64_t oneFrame = 1000000 / 120;

        const auto fitsAt = [&](int64_t target) {
            job.pictureOptions = before;
            job.totalDuration = job.computeTotalDuration();
            const MusicFitResult r = ::fitPicturesToLength(job, target);
            QVERIFY2(r.ok, qPrintable(r.error));
            QVERIFY(qAbs(job.totalDuration - target) <= oneFrame);
            QCOMPARE(job.totalDuration, job.computeTotalDuration());
            const double unit = double(job.pictureDuration(0)) / 3;
            for (int i = 0; i < 4; ++i) {
                const double weight = i == 1 ? 4 : 3;
                QVERIFY(qAbs(job.pictureDuration(i) / unit - weight) < 1e-4);
                QVERIFY(job.optionsAt(i).duration >= kMinPictureDuration &&
                        job.optionsAt(i).duration <= kMaxPictureDuration);
            }
            QCOMPARE(job.slotDuration(2), qint64(0)); // the cut stays a cut
            QCOMPARE(job.optionsAt(2).transition, TransitionChoice::None);
        };
        fitsAt(31234567); // durations well above the 2 s transitions
        fitsAt(3900000);  // short pictures: the transitions shrink with them
        fitsAt(183456789);
        // At the floor: the 3-second pictures at 0.5 s, the 4-second one at 2/3 s, and two
        // slots bounded by their shorter picture: 4 x 0.5 + 1/6 + 2 x 0.5 = 3.1666... s.
        fitsAt(3166667);

        job.pictureOptions = before;
        job.totalDuration = job.computeTotalDuration();
        const int64_t untouched = job.totalDuration;
        MusicFitResult r = ::fitPicturesToLength(job, 3100000);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("too short")), qPrintable(r.error));
        // The longest at 60 s: 3 x 45 + 60 + 2 x 2 = 199 s at most.
        r = ::fitPicturesToLength(job, 200000000);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("too long")), qPrintable(r.error));
        QCOMPARE(job.pictureOptions, before);
        QCOMPARE(job.totalDuration, untouched);

        // The music's start offset comes off its length; a start past its end is refused.
        job.musicShape.start = 10000000;
        r = fitPicturesToMusicLength(job, 40000000);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(qAbs(job.totalDuration - 30000000) <= oneFrame);
        job.pictureOptions = before;
        r = fitPicturesToMusicLength(job, 9000000);
        QVERIFY(!r.ok && !r.error.isEmpty());
        QCOMPARE(job.pictureOptions, before);
        r = fitPicturesToMusicLength(job, AVERROR_INVALIDDATA);
        QVERIFY(!r.ok && !r.error.isEmpty());
        job.musicShape = MusicShape();
        job.musicType = MusicNone;
        r = fitPicturesToMusic(job);
        QVERIFY(!r.ok && !r.error.isEmpty());
        clearAlbum(job);
        QVERIFY(!::fitPicturesToLength(job, 10000000).ok);
    }
};

int main(int argc, char **argv)
{
    // QFontInfo needs a GUI application; the offscreen platform is enough.
    QGuiApplication app(argc, argv);
    TestAlbumOps test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_albumops.moc"
