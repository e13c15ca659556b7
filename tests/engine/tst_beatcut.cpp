// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting on the beat: the corrected grids, the beats as heard under the album (start offset,
// crossfades, looping) and the timing that puts every change of picture on a beat.
#include "beatcut.h"

#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t kSecond = 1000000;

// A steady grid from 0: a beat every 60/bpm seconds, a bar every fourth beat from `firstBar`.
HeardBeats steady(double bpm, int64_t untilUs, int firstBar = 0, int64_t passUs = 0)
{
    HeardBeats heard;
    const double beat = 60.0 / bpm * 1e6;
    for (int i = 0; int64_t(std::llround(i * beat)) <= untilUs; ++i) {
        const int64_t at = std::llround(i * beat);
        heard.beats.push_back(at);
        if (i >= firstBar && (i - firstBar) % 4 == 0)
            heard.bars.push_back(at);
    }
    heard.passUs = passUs > 0 ? passUs : untilUs;
    return heard;
}

Album stills(int count)
{
    Album job;
    TransitionPicker::reset(0);
    for (int i = 0; i < count; ++i)
        appendPicture(
            job, MaterialItem{QStringLiteral("/album/%1.jpg").arg(i), {4, 3}, QSize(400, 300)});
    job.musicType = MusicCustom;
    job.musicPath = QStringLiteral("/album/song.mp3");
    return job;
}

void addClip(Album &job, int64_t length)
{
    MaterialItem clip{QStringLiteral("/album/clip%1.mp4").arg(job.materialOrder.size()),
                      {16, 9},
                      QSize(1920, 1080)};
    clip.clip.duration = length;
    appendPicture(job, clip);
}

// Where the picture changes: the middle of each slot (a cut's is where the next picture starts).
QList<int64_t> changes(const Album &job)
{
    QList<int64_t> out;
    for (int i = 0; i + 1 < job.materialOrder.size(); ++i)
        out << job.pictureStart(i + 1) - job.slotDuration(i) / 2;
    return out;
}

bool onGrid(int64_t t, const std::vector<int64_t> &grid)
{
    return std::binary_search(grid.begin(), grid.end(), t);
}

// Every row of the timeline, for comparing two albums' timing.
QList<int64_t> timeline(const Album &job)
{
    QList<int64_t> out;
    for (int i = 0; i <= job.materialOrder.size(); ++i)
        out << job.pictureStart(i) << job.pictureDuration(i) << job.slotDuration(i)
            << job.pictureFrameCount(i, {30, 1}) << job.slotFrameCount(i, {30, 1});
    out << job.videoFrameCount({25, 1}) << job.computeTotalDuration();
    return out;
}

// Sound timing: nothing shown for less than nothing, no transition longer than the user's, and
// even lengths so that a change lies on a whole microsecond.
void checkSound(const Album &job, const Album &own)
{
    for (int i = 0; i < job.materialOrder.size(); ++i) {
        QVERIFY2(job.pictureDuration(i) >= 0, qPrintable(QString::number(i)));
        QVERIFY(job.slotDuration(i) <= own.slotDuration(i));
        QCOMPARE(job.slotDuration(i) % 2, int64_t(0));
    }
}

} // namespace

class TestBeatCut : public QObject
{
    Q_OBJECT
private slots:
    void names();
    void corrections();
    void heardThroughOffsetLoopAndCrossfade();
    void everyModeChangesOnItsGrid_data();
    void everyModeChangesOnItsGrid();
    void autoRoundsEachPicture();
    void clipsKeepTheirLength();
    void fitEndsOnTheLastBar();
    void reappliesFromTheUsersOwnTiming();
    void offLeavesTheTimelineAsItWas();
    void refusals();
};

void TestBeatCut::names()
{
    for (const BeatCut cut : {BeatCut::Off, BeatCut::Beat, BeatCut::TwoBeats, BeatCut::Bar,
                              BeatCut::TwoBars, BeatCut::Auto})
        QCOMPARE(beatCutFromName(beatCutName(cut)), std::optional<BeatCut>(cut));
    QCOMPARE(beatCutName(BeatCut::TwoBars), QStringLiteral("2bars"));
    QCOMPARE(beatCutFromName(QStringLiteral("off")), std::optional<BeatCut>(BeatCut::Off));
    QVERIFY(!beatCutFromName(QStringLiteral("Beat")));
    QVERIFY(!beatCutFromName(QStringLiteral("3")));
}

void TestBeatCut::corrections()
{
    BeatGrid found;
    found.bpm = 120;
    for (int i = 0; i < 16; ++i)
        found.beats.push_back(1.0 + 0.5 * i);
    // The analysis put the bars on the second beat.
    for (int i = 1; i < 16; i += 4)
        found.bars.push_back(found.beats[size_t(i)]);

    QCOMPARE(correctedGrid(found, {}).beats, found.beats);
    QCOMPARE(correctedGrid(found, {}).bars, found.bars);

    const BeatGrid shifted = correctedGrid(found, {20000, 0, 0});
    QCOMPARE(shifted.beats.size(), found.beats.size());
    QVERIFY(std::abs(shifted.beats[3] - 2.52) < 1e-9);
    QVERIFY(std::abs(shifted.bars[0] - 1.52) < 1e-9);

    // Half: every other beat, the downbeats among them, a bar every four of what is left.
    const BeatGrid half = correctedGrid(found, {0, -1, 0});
    QCOMPARE(half.bpm, 60.0);
    QCOMPARE(half.beats.size(), size_t(8));
    QVERIFY(std::abs(half.beats[0] - 1.5) < 1e-9);
    QVERIFY(std::abs(half.beats[1] - 2.5) < 1e-9);
    QVERIFY(std::abs(half.bars[0] - 1.5) < 1e-9);
    QVERIFY(std::abs(half.bars[1] - 5.5) < 1e-9);

    // Double: a beat midway between each two.
    const BeatGrid twice = correctedGrid(found, {0, 1, 0});
    QCOMPARE(twice.bpm, 240.0);
    QCOMPARE(twice.beats.size(), size_t(31));
    QVERIFY(std::abs(twice.beats[1] - 1.25) < 1e-9);
    QVERIFY(std::abs(twice.bars[0] - 1.5) < 1e-9);
    QVERIFY(std::abs(twice.bars[1] - 2.5) < 1e-9);

    // The bars move by whole beats; the beats stay.
    const BeatGrid phased = correctedGrid(found, {0, 0, 1});
    QCOMPARE(phased.beats, found.beats);
    QVERIFY(std::abs(phased.bars[0] - 2.0) < 1e-9);
    QVERIFY(std::abs(phased.bars[1] - 4.0) < 1e-9);
    QVERIFY(std::abs(correctedGrid(found, {0, 0, 3}).bars[0] - 1.0) < 1e-9);
}

void TestBeatCut::heardThroughOffsetLoopAndCrossfade()
{
    // One 10 s track, a beat every second from 0.25 s, bars at 0.25 and 4.25 and 8.25.
    BeatGrid a;
    a.bpm = 60;
    for (int i = 0; i < 10; ++i)
        a.beats.push_back(0.25 + i);
    a.bars = {0.25, 4.25, 8.25};
    Album job = stills(2);
    job.musicShape.start = 3 * kSecond;
    HeardBeats heard = heardBeats(job, {a}, {10 * kSecond}, 20 * kSecond);
    QCOMPARE(heard.passUs, 7 * kSecond);
    // From the offset: 3.25 s of the track is 0.25 s of the album; after 7 s it loops to 3 s.
    QCOMPARE(heard.beats.front(), int64_t(250000));
    QVERIFY(onGrid(6250000, heard.beats));
    QVERIFY(onGrid(7250000, heard.beats)); // 3.25 again
    QCOMPARE(heard.bars,
             (std::vector<int64_t>{1250000, 5250000, 8250000, 12250000, 15250000, 19250000}));

    // A correction of the track moves what is heard.
    job.beatCorrections = {BeatCorrection{100000, 0, 0}};
    QCOMPARE(heardBeats(job, {a}, {10 * kSecond}, 20 * kSecond).beats.front(), int64_t(350000));
    job.beatCorrections.clear();

    // Two tracks with a 2 s crossfade: the second begins at 8 s of the list; up to 9 s the
    // first one's beats are heard, then the second's (beats at 0.5 s, 1.5 s, ... of it).
    BeatGrid b;
    b.bpm = 60;
    for (int i = 0; i < 10; ++i)
        b.beats.push_back(0.5 + i);
    b.bars = {0.5, 4.5, 8.5};
    job.musicShape.start = 0;
    job.musicMore = QStringList{QStringLiteral("/album/second.mp3")};
    job.musicCrossfade = 2 * kSecond;
    heard = heardBeats(job, {a, b}, {10 * kSecond, 10 * kSecond}, 40 * kSecond);
    QCOMPARE(heard.passUs, 18 * kSecond);
    QVERIFY(onGrid(8250000, heard.beats));  // the first track, louder until 9 s
    QVERIFY(!onGrid(9250000, heard.beats)); // the first track's, no longer heard
    QVERIFY(!onGrid(8500000, heard.beats)); // the second's, not yet heard
    QVERIFY(onGrid(9500000, heard.beats));  // the second track's 1.5 s
    QVERIFY(onGrid(8 * kSecond + 8500000, heard.bars));
    // Looping as one: the list starts again at 18 s.
    QVERIFY(onGrid(18 * kSecond + 250000, heard.beats));
    QVERIFY(onGrid(18 * kSecond + 250000, heard.bars));
    QVERIFY(std::is_sorted(heard.beats.begin(), heard.beats.end()));
    QVERIFY(heard.beats.back() <= 40 * kSecond);
}

void TestBeatCut::everyModeChangesOnItsGrid_data()
{
    QTest::addColumn<int>("cut");
    QTest::addColumn<bool>("bBars");
    QTest::addColumn<int>("step");
    QTest::newRow("beat") << int(BeatCut::Beat) << false << 1;
    QTest::newRow("2 beats") << int(BeatCut::TwoBeats) << false << 2;
    QTest::newRow("bar") << int(BeatCut::Bar) << true << 1;
    QTest::newRow("2 bars") << int(BeatCut::TwoBars) << true << 2;
    QTest::newRow("auto") << int(BeatCut::Auto) << false << 1;
}

void TestBeatCut::everyModeChangesOnItsGrid()
{
    QFETCH(int, cut);
    QFETCH(bool, bBars);
    QFETCH(int, step);
    // 113 BPM, first downbeat on the second beat; rows of their own durations, one a cut.
    const HeardBeats heard = steady(113, 200 * kSecond, 1);
    Album job = stills(9);
    PictureOptions options;
    options.duration = 1700000;
    setPictureOptions(job, 2, options);
    options = PictureOptions();
    options.transition = TransitionChoice::None;
    setPictureOptions(job, 4, options);
    options.transition = TransitionChoice::Random;
    options.transitionLength = 700000;
    setPictureOptions(job, 6, options);
    const Album own = job;
    job.beatCut = BeatCut(cut);
    const BeatCutResult result = applyBeatCut(job, heard, false);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(job.hasBeatTiming());
    QCOMPARE(job.totalDuration, job.computeTotalDuration());

    const std::vector<int64_t> &grid = bBars ? heard.bars : heard.beats;
    const QList<int64_t> times = changes(job);
    for (int i = 0; i < times.size(); ++i) {
        const auto at = std::find(grid.begin(), grid.end(), times[i]);
        QVERIFY2(at != grid.end(),
                 qPrintable(QStringLiteral("change %1 at %2").arg(i).arg(times[i])));
        // Every second beat is the first or third of a bar; every second bar, an even one.
        if (step == 2 && !bBars)
            QCOMPARE((at - grid.begin() - 1 + 400) % 2, ptrdiff_t(0));
        if (step == 2 && bBars)
            QCOMPARE((at - grid.begin()) % 2, ptrdiff_t(0));
        QVERIFY(times[i] - (i > 0 ? times[i - 1] : 0) >= kMinPictureDuration);
    }
    checkSound(job, own);
    QCOMPARE(job.slotDuration(4), int64_t(0)); // a cut stays a cut
    // The changes stay near where the user's durations put them.
    const QList<int64_t> wanted = changes(own);
    const int64_t unit = (bBars ? 4 : 1) * step * int64_t(60e6 / 113);
    if (BeatCut(cut) != BeatCut::Auto)
        for (int i = 0; i < times.size(); ++i)
            QVERIFY(std::llabs(times[i] - wanted[i]) <= unit);
}

void TestBeatCut::autoRoundsEachPicture()
{
    // Cuts only, so a picture's share is its duration. Beats every 0.4 s.
    const HeardBeats heard = steady(150, 100 * kSecond);
    Album job = stills(4);
    PictureOptions options;
    options.transition = TransitionChoice::None;
    for (int i = 0; i < 4; ++i) {
        options.duration = QList<int64_t>{1300000, 500000, 2100000, 3000000}[i];
        setPictureOptions(job, i, options);
    }
    job.beatCut = BeatCut::Auto;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    // 1.3 s: 3 beats (1.2); 0.5 s: one beat would be under 0.5 s, so two; 2.1 s: 5 beats (2.0);
    // the last picture ends the album and keeps its own.
    QCOMPARE(job.pictureDuration(0), int64_t(1200000));
    QCOMPARE(job.pictureDuration(1), int64_t(800000));
    QCOMPARE(job.pictureDuration(2), int64_t(2000000));
    QCOMPARE(job.pictureDuration(3), int64_t(3000000));

    // Beats 2 s apart: a 0.5 s picture still lasts one whole beat.
    Album slow = stills(3);
    options.duration = 500000;
    for (int i = 0; i < 3; ++i)
        setPictureOptions(slow, i, options);
    slow.beatCut = BeatCut::Auto;
    QVERIFY(applyBeatCut(slow, steady(30, 100 * kSecond), false).ok);
    QCOMPARE(changes(slow), (QList<int64_t>{2 * kSecond, 4 * kSecond}));
}

void TestBeatCut::clipsKeepTheirLength()
{
    const HeardBeats heard = steady(100, 200 * kSecond);
    Album job = stills(2);
    addClip(job, 5300000);
    appendPicture(job, MaterialItem{QStringLiteral("/album/x.jpg"), {4, 3}, QSize(400, 300)});
    addClip(job, 4100000);
    addClip(job, 3900000);
    appendPicture(job, MaterialItem{QStringLiteral("/album/y.jpg"), {4, 3}, QSize(400, 300)});
    const Album own = job;
    for (const BeatCut cut : {BeatCut::Beat, BeatCut::Auto, BeatCut::Bar}) {
        job.beatCut = cut;
        const BeatCutResult result = applyBeatCut(job, heard, false);
        QVERIFY2(result.ok, qPrintable(result.error));
        checkSound(job, own);
        const std::vector<int64_t> &grid = cut == BeatCut::Bar ? heard.bars : heard.beats;
        const QList<int64_t> times = changes(job);
        for (const int row : {2, 4, 5}) {
            // From the start of its transition in to the end of its transition out.
            const int64_t from = job.itemStart(row);
            const int64_t to = job.pictureStart(row + 1);
            QCOMPARE(to - from, own.clipLength(row));
            QCOMPARE(job.clipLength(row), own.clipLength(row));
        }
        // The pictures around absorb the difference: every change before a still is on the
        // grid, and after a clip too where its transition's length reaches a beat.
        for (int i = 0; i < times.size(); ++i)
            if (!job.isClip(i) || cut != BeatCut::Bar)
                QVERIFY2(onGrid(times[i], grid),
                         qPrintable(QStringLiteral("%1: change %2").arg(int(cut)).arg(i)));
    }
}

void TestBeatCut::fitEndsOnTheLastBar()
{
    // 120 BPM; the music plays 61.3 s from its start offset, its last bar begins at 60 s.
    const HeardBeats heard = steady(120, 130 * kSecond, 0, 61300000);
    for (const bool bFade : {false, true}) {
        for (const BeatCut cut : {BeatCut::Beat, BeatCut::Bar, BeatCut::Auto}) {
            Album job = stills(7);
            addClip(job, 4 * kSecond);
            appendPicture(job, MaterialItem{QStringLiteral("/album/z.jpg"), {4, 3}, QSize(4, 3)});
            if (bFade)
                job.musicShape.fadeOut = 3 * kSecond;
            job.beatCut = cut;
            const BeatCutResult result = applyBeatCut(job, heard, true);
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(job.pictureStart(job.materialOrder.size()), int64_t(60 * kSecond));
            QCOMPARE(job.totalDuration, int64_t(60 * kSecond));
            QVERIFY(result.change.totalChanged);
            for (const int64_t t : changes(job))
                QVERIFY(onGrid(t, cut == BeatCut::Bar ? heard.bars : heard.beats));
        }
    }
    // Too many pictures for the music: refused, the album keeps its own timing.
    Album crowded = stills(150);
    const Album own = crowded;
    crowded.beatCut = BeatCut::Beat;
    const BeatCutResult refused = applyBeatCut(crowded, heard, true);
    QVERIFY(!refused.ok);
    QVERIFY(!refused.error.isEmpty());
    QCOMPARE(timeline(crowded), timeline(own));
}

void TestBeatCut::reappliesFromTheUsersOwnTiming()
{
    const HeardBeats heard = steady(97, 300 * kSecond, 2);
    Album job = stills(6);
    job.beatCut = BeatCut::Auto;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    const QList<int64_t> first = timeline(job);
    // Applying again gives the same: the input is the user's timing, not the last result.
    QVERIFY(applyBeatCut(job, heard, false).ok);
    QCOMPARE(timeline(job), first);

    // The album's duration changes: the result is that of an album made with it.
    job.uniformDurationValue = 4700000;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    Album fresh = stills(6);
    fresh.uniformDurationValue = 4700000;
    fresh.beatCut = BeatCut::Auto;
    QVERIFY(applyBeatCut(fresh, heard, false).ok);
    QCOMPARE(timeline(job), timeline(fresh));
    QVERIFY(timeline(job) != first);

    // So does a picture's own duration, and other music.
    PictureOptions options;
    options.duration = 2 * kSecond;
    setPictureOptions(job, 3, options);
    setPictureOptions(fresh, 3, options);
    const HeardBeats other = steady(141, 300 * kSecond);
    QVERIFY(applyBeatCut(job, heard, false).ok);
    QVERIFY(applyBeatCut(job, other, false).ok);
    QVERIFY(applyBeatCut(fresh, other, false).ok);
    QCOMPARE(timeline(job), timeline(fresh));
    for (const int64_t t : changes(job))
        QVERIFY(onGrid(t, other.beats));
    // The derived timing is no setting of the user's: the own options are untouched.
    QCOMPARE(job.pictureOptions, fresh.pictureOptions);
    QCOMPARE(job.optionsAt(0).duration, int64_t(0));
}

void TestBeatCut::offLeavesTheTimelineAsItWas()
{
    const HeardBeats heard = steady(120, 100 * kSecond);
    Album job = stills(5);
    addClip(job, 6 * kSecond);
    PictureOptions options;
    options.duration = 2300000;
    setPictureOptions(job, 1, options);
    const Album untouched = job;
    // Off: nothing derived, the same timeline to the microsecond and the frame.
    QVERIFY(applyBeatCut(job, heard, true).ok);
    QVERIFY(!job.hasBeatTiming());
    QCOMPARE(timeline(job), timeline(untouched));
    QVERIFY(job == untouched);

    // On, then off again: back to exactly what it was.
    job.beatCut = BeatCut::Bar;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    QVERIFY(job.changedParts(untouched) & AlbumPart::Settings);
    QVERIFY(timeline(job) != timeline(untouched));
    job.beatCut = BeatCut::Off;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    QCOMPARE(timeline(job), timeline(untouched));
    QCOMPARE(job.changedParts(untouched), AlbumParts());

    // The music taken away: nothing to follow, the album's own timing again.
    job.beatCut = BeatCut::Bar;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    job.musicType = MusicNone;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    QCOMPARE(timeline(job), timeline(untouched));
    job.musicType = MusicCustom;

    // A derived timing that no longer matches the rows is not used.
    job.beatCut = BeatCut::Beat;
    QVERIFY(applyBeatCut(job, heard, false).ok);
    appendPicture(job, MaterialItem{QStringLiteral("/album/late.jpg"), {4, 3}, QSize(4, 3)});
    QVERIFY(!job.hasBeatTiming());
}

void TestBeatCut::refusals()
{
    Album job = stills(4);
    const Album own = job;
    job.beatCut = BeatCut::Beat;
    const BeatCutResult none = applyBeatCut(job, HeardBeats(), false);
    QVERIFY(!none.ok && !none.error.isEmpty());
    QCOMPARE(timeline(job), timeline(own));
    // Bars asked for where none were found.
    HeardBeats beatsOnly = steady(120, 60 * kSecond);
    beatsOnly.bars.clear();
    job.beatCut = BeatCut::TwoBars;
    QVERIFY(!applyBeatCut(job, beatsOnly, false).ok);
    // The beats run out before the album does.
    job.beatCut = BeatCut::Beat;
    QVERIFY(!applyBeatCut(job, steady(120, 4 * kSecond), false).ok);
    QCOMPARE(timeline(job), timeline(own));
}

QTEST_GUILESS_MAIN(TestBeatCut)
#include "tst_beatcut.moc"
