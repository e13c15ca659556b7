// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting on the beat: corrected grids, the beats as heard under the album, and the timing that
// puts every change of picture on one of them.
#include "beatcut.h"

#include "musiclist.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

QString beatCutName(BeatCut cut)
{
    switch (cut) {
    case BeatCut::Off:
        return {};
    case BeatCut::Beat:
        return QStringLiteral("beat");
    case BeatCut::TwoBeats:
        return QStringLiteral("2");
    case BeatCut::Bar:
        return QStringLiteral("bar");
    case BeatCut::TwoBars:
        return QStringLiteral("2bars");
    case BeatCut::Auto:
        return QStringLiteral("auto");
    }
    return {};
}

std::optional<BeatCut> beatCutFromName(const QString &szName)
{
    for (const BeatCut cut : {BeatCut::Off, BeatCut::Beat, BeatCut::TwoBeats, BeatCut::Bar,
                              BeatCut::TwoBars, BeatCut::Auto})
        if (szName == beatCutName(cut))
            return cut;
    if (szName == QLatin1String("off"))
        return BeatCut::Off;
    return std::nullopt;
}

BeatGrid correctedGrid(const BeatGrid &found, const BeatCorrection &correction)
{
    if (found.beats.empty())
        return found;
    // Bars are counted from the first bar found, so that a tempo correction keeps its downbeat.
    size_t anchor = 0;
    if (!found.bars.empty()) {
        const auto it =
            std::lower_bound(found.beats.begin(), found.beats.end(), found.bars.front());
        anchor = size_t(
            std::min<ptrdiff_t>(it - found.beats.begin(), ptrdiff_t(found.beats.size()) - 1));
    }
    BeatGrid grid;
    grid.bpm = found.bpm;
    if (correction.tempo < 0) {
        // Every other beat, keeping the one the bars are counted from.
        for (size_t i = anchor % 2; i < found.beats.size(); i += 2)
            grid.beats.push_back(found.beats[i]);
        anchor /= 2;
        grid.bpm /= 2.0;
    } else if (correction.tempo > 0) {
        for (size_t i = 0; i < found.beats.size(); ++i) {
            grid.beats.push_back(found.beats[i]);
            if (i + 1 < found.beats.size())
                grid.beats.push_back((found.beats[i] + found.beats[i + 1]) / 2.0);
        }
        anchor *= 2;
        grid.bpm *= 2.0;
    } else {
        grid.beats = found.beats;
    }
    const double shift = double(correction.shift) / 1e6;
    for (double &beat : grid.beats)
        beat += shift;
    if (found.bars.empty() && correction.barPhase == 0 && correction.tempo == 0)
        return grid;
    if (correction.tempo == 0 && correction.barPhase == 0) {
        for (const double bar : found.bars)
            grid.bars.push_back(bar + shift);
        return grid;
    }
    // A bar every four beats of the corrected grid, from the anchor moved by the phase.
    const int phase = ((correction.barPhase % 4) + 4) % 4;
    const size_t first = (anchor + size_t(phase)) % 4;
    for (size_t i = first; i < grid.beats.size(); i += 4)
        grid.bars.push_back(grid.beats[i]);
    return grid;
}

HeardBeats heardBeats(const Album &album, const QList<BeatGrid> &grids,
                      const QList<int64_t> &lengthsUs, int64_t untilUs)
{
    HeardBeats heard;
    const int count = int(std::min(grids.size(), lengthsUs.size()));
    if (count == 0 || untilUs <= 0)
        return heard;
    const QList<int64_t> lengths = lengthsUs.mid(0, count);
    const int64_t fade = effectiveCrossfade(lengths, album.musicCrossfade);
    // Where each track begins in the list, and the part of the list whose beats are its own:
    // through a crossfade the louder track is heard, so the switch is at the crossfade's middle.
    std::vector<int64_t> begins(size_t(count) + 1, 0);
    for (int k = 0; k < count; ++k)
        begins[size_t(k) + 1] = begins[size_t(k)] + lengths[k] - (k + 1 < count ? fade : 0);
    const int64_t total = begins[size_t(count)];
    const int64_t start = std::max<int64_t>(0, album.musicShape.start);
    if (start >= total)
        return heard;
    heard.passUs = total - start;
    const auto ownFrom = [&](int k) { return k == 0 ? int64_t(0) : begins[size_t(k)] + fade / 2; };
    const auto ownUntil = [&](int k) {
        return k + 1 == count ? total : begins[size_t(k) + 1] + fade / 2;
    };
    std::vector<int64_t> passBeats, passBars;
    for (int k = 0; k < count; ++k) {
        const BeatGrid grid = correctedGrid(grids[k], album.beatCorrections.value(k));
        const auto place = [&](const std::vector<double> &times, std::vector<int64_t> &out) {
            for (const double t : times) {
                const int64_t at = begins[size_t(k)] + std::llround(t * 1e6);
                if (at >= ownFrom(k) && at < ownUntil(k) && at >= start && t >= 0.0 &&
                    std::llround(t * 1e6) < lengths[k])
                    out.push_back(at - start);
            }
        };
        place(grid.beats, passBeats);
        place(grid.bars, passBars);
    }
    std::sort(passBeats.begin(), passBeats.end());
    std::sort(passBars.begin(), passBars.end());
    for (int64_t offset = 0; offset < untilUs; offset += heard.passUs) {
        for (const int64_t t : passBeats)
            if (offset + t <= untilUs)
                heard.beats.push_back(offset + t);
        for (const int64_t t : passBars)
            if (offset + t <= untilUs)
                heard.bars.push_back(offset + t);
        if (passBeats.empty() && passBars.empty())
            break;
    }
    return heard;
}

namespace {

constexpr int64_t kMinSpan = kMinPictureDuration;
constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max() / 4;

int64_t evenDown(int64_t value)
{
    return value - (value % 2);
}

// The times a change of picture may land on for `cut`.
std::vector<int64_t> changeGrid(const HeardBeats &heard, BeatCut cut)
{
    std::vector<int64_t> grid;
    switch (cut) {
    case BeatCut::Off:
        break;
    case BeatCut::Beat:
    case BeatCut::Auto:
        grid = heard.beats;
        break;
    case BeatCut::Bar:
        grid = heard.bars;
        break;
    case BeatCut::TwoBars:
        for (size_t i = 0; i < heard.bars.size(); i += 2)
            grid.push_back(heard.bars[i]);
        break;
    case BeatCut::TwoBeats: {
        // The first and third beat of a bar (every other beat where no bar is known).
        ptrdiff_t lastBar = -1;
        for (size_t i = 0; i < heard.beats.size(); ++i) {
            if (std::binary_search(heard.bars.begin(), heard.bars.end(), heard.beats[i]))
                lastBar = ptrdiff_t(i);
            const ptrdiff_t from = lastBar >= 0 ? lastBar : 0;
            if ((ptrdiff_t(i) - from) % 2 == 0)
                grid.push_back(heard.beats[i]);
        }
        break;
    }
    }
    grid.erase(std::remove_if(grid.begin(), grid.end(), [](int64_t t) { return t <= 0; }),
               grid.end());
    return grid;
}

// The grid point within [lower, upper] nearest `target`; nullopt when there is none.
std::optional<int64_t> nearestWithin(const std::vector<int64_t> &grid, int64_t target,
                                     int64_t lower, int64_t upper)
{
    const auto from = std::lower_bound(grid.begin(), grid.end(), lower);
    const auto to = std::upper_bound(grid.begin(), grid.end(), upper);
    if (from >= to)
        return std::nullopt;
    const int64_t clamped = std::clamp(target, *from, *(to - 1));
    const auto at = std::lower_bound(from, to, clamped);
    if (at == to)
        return *(to - 1);
    if (at != from && clamped - *(at - 1) <= *at - clamped)
        return *(at - 1);
    return *at;
}

// How far the nearest grid point lies outside [lower, upper]; 0 when one lies within.
int64_t missOf(const std::vector<int64_t> &grid, int64_t lower, int64_t upper)
{
    const auto at = std::lower_bound(grid.begin(), grid.end(), lower);
    if (at != grid.end() && *at <= upper)
        return 0;
    int64_t miss = kNoLimit;
    if (at != grid.end())
        miss = *at - upper;
    if (at != grid.begin())
        miss = std::min(miss, lower - *(at - 1));
    return miss;
}

// Candidates for a change, nearest `target` first.
std::vector<int64_t> candidatesNear(const std::vector<int64_t> &grid, int64_t target, int64_t lower,
                                    int64_t upper, size_t count)
{
    const auto from = std::lower_bound(grid.begin(), grid.end(), lower);
    const auto to = std::upper_bound(grid.begin(), grid.end(), upper);
    std::vector<int64_t> within(from, to);
    std::stable_sort(within.begin(), within.end(), [target](int64_t a, int64_t b) {
        return std::llabs(a - target) < std::llabs(b - target);
    });
    if (within.size() > count)
        within.resize(count);
    return within;
}

} // namespace

BeatCutResult applyBeatCut(Album &job, const HeardBeats &beats, bool bFit)
{
    BeatCutResult result;
    const int64_t totalBefore = job.totalDuration;
    const auto finish = [&](QList<int64_t> durations, QList<int64_t> slotTimes) {
        job.beatDurations = std::move(durations);
        job.beatSlots = std::move(slotTimes);
        job.totalDuration = job.computeTotalDuration();
        result.change.totalChanged = job.totalDuration != totalBefore;
    };
    const int n = int(job.materialOrder.size());
    // Without music there is no beat to follow: the album keeps its own timing, and takes the
    // beat again once music comes back.
    if (job.beatCut == BeatCut::Off || n == 0 || !job.hasMusic()) {
        finish({}, {});
        result.ok = true;
        return result;
    }
    const std::vector<int64_t> grid = changeGrid(beats, job.beatCut);
    if (grid.empty()) {
        finish({}, {});
        result.error = QCoreApplication::translate("BeatCut", "No beat was found in the music.");
        return result;
    }

    // The user's own timing, without any earlier result.
    const size_t rows = size_t(n);
    Album own = job;
    own.beatDurations.clear();
    own.beatSlots.clear();
    std::vector<int64_t> alone(rows), slotOwn(rows, 0), span(rows), length(rows, 0);
    std::vector<bool> clip(rows);
    for (int i = 0; i < n; ++i) {
        alone[size_t(i)] = own.pictureDuration(i);
        if (i + 1 < n)
            slotOwn[size_t(i)] = evenDown(own.slotDuration(i));
        clip[size_t(i)] = own.isClip(i);
        length[size_t(i)] = own.clipLength(i);
    }
    // Each picture's share of the timeline, from the change before it to the change after it.
    for (int i = 0; i < n; ++i)
        span[size_t(i)] =
            (i > 0 ? slotOwn[size_t(i) - 1] / 2 : 0) + alone[size_t(i)] + slotOwn[size_t(i)] / 2;

    int64_t end = 0; // with bFit: where the album ends
    if (bFit) {
        if (beats.passUs <= 0) {
            finish({}, {});
            result.error =
                QCoreApplication::translate("BeatCut", "The music's length is not known.");
            return result;
        }
        const auto last = std::lower_bound(beats.bars.begin(), beats.bars.end(), beats.passUs);
        end = last == beats.bars.begin() ? 0 : *(last - 1);
        int64_t fixed = 0, free = 0;
        for (int i = 0; i < n; ++i)
            (clip[size_t(i)] ? fixed : free) += span[size_t(i)];
        int64_t least = 0;
        for (int i = 0; i < n; ++i)
            least += clip[size_t(i)] ? span[size_t(i)] : kMinSpan;
        if (end <= 0 || end < least) {
            finish({}, {});
            result.error = QCoreApplication::translate(
                "BeatCut", "The music is too short for these pictures to change on its beat.");
            return result;
        }
        // The stills share what the clips leave, in the ratios of their own durations.
        if (free > 0)
            for (int i = 0; i < n; ++i)
                if (!clip[size_t(i)])
                    span[size_t(i)] = std::max<int64_t>(
                        1, int64_t(double(span[size_t(i)]) * double(end - fixed) / double(free)));
    }
    // Where the changes would be in the (fitted) intended timeline, and the least the pictures
    // after each change need.
    std::vector<int64_t> intended(rows), rest(rows, 0);
    for (int i = 0; i < n; ++i)
        intended[size_t(i)] = (i > 0 ? intended[size_t(i) - 1] : 0) + span[size_t(i)];
    for (int i = n - 2; i >= 0; --i)
        rest[size_t(i)] =
            rest[size_t(i) + 1] + (clip[size_t(i) + 1] ? length[size_t(i) + 1] : kMinSpan);

    const bool bCumulative = bFit || job.beatCut != BeatCut::Auto;
    std::vector<int64_t> change(rows, 0), slot(rows, 0);
    std::vector<bool> slotFixed(rows, false);
    for (int i = 0; i + 1 < n; ++i) {
        const size_t u = size_t(i);
        const int64_t before = i > 0 ? change[u - 1] : 0;
        const int64_t slotBefore = i > 0 ? slot[u - 1] : 0;
        if (clip[u]) {
            // The clip ends where it ends; its outgoing transition puts the change on the beat
            // nearest that end, as far as the transition's length allows.
            const int64_t clipEnd = before - slotBefore / 2 + length[u];
            const int64_t lower = clipEnd - slotOwn[u] / 2;
            const auto on = nearestWithin(grid, lower, lower, clipEnd);
            int64_t at = on ? *on : clipEnd;
            if (!on) {
                const auto near = nearestWithin(grid, clipEnd, 0, kNoLimit);
                at = near ? std::clamp(*near, lower, clipEnd) : clipEnd;
            }
            change[u] = at;
            slot[u] = 2 * (clipEnd - at);
            slotFixed[u] = true;
            continue;
        }
        const int64_t target = bCumulative ? intended[u] : before + span[u];
        const int64_t lower = before + std::max(kMinSpan, slotBefore);
        const int64_t upper = bFit ? end - rest[u] : kNoLimit;
        std::optional<int64_t> at;
        if (clip[u + 1]) {
            // The change before a clip also decides where the clip's end falls: of the beats
            // near the target, take one from which the change after the clip lands on a beat.
            int64_t bestMiss = kNoLimit;
            for (const int64_t candidate : candidatesNear(grid, target, lower, upper, 8)) {
                const int64_t s = std::min(slotOwn[u], evenDown((candidate - before) / 2));
                const int64_t clipEnd = candidate - s / 2 + length[u + 1];
                const int64_t miss = missOf(grid, clipEnd - slotOwn[u + 1] / 2, clipEnd);
                if (miss < bestMiss) {
                    bestMiss = miss;
                    at = candidate;
                }
            }
        } else {
            at = nearestWithin(grid, target, lower, upper);
        }
        if (!at) {
            finish({}, {});
            result.error =
                bFit ? QCoreApplication::translate(
                           "BeatCut",
                           "The music is too short for these pictures to change on its beat.")
                     : QCoreApplication::translate("BeatCut",
                                                   "The music's beats end before the album does.");
            return result;
        }
        change[u] = *at;
        if (clip[u + 1]) {
            slot[u] = std::min(slotOwn[u], evenDown((*at - before) / 2));
            slotFixed[u] = true;
        }
    }

    // The shares as placed; the last picture ends the album on the bar, or keeps its own.
    std::vector<int64_t> placed(rows);
    for (int i = 0; i + 1 < n; ++i)
        placed[size_t(i)] = change[size_t(i)] - (i > 0 ? change[size_t(i) - 1] : 0);
    const int64_t lastStart = n > 1 ? change[size_t(n) - 2] : 0;
    placed[size_t(n) - 1] = bFit && !clip[size_t(n) - 1] ? end - lastStart : kNoLimit;
    // A transition no longer than its own length nor half of either picture's share (a clip's
    // transitions were placed above), so every picture is still shown alone.
    for (int i = 0; i + 1 < n; ++i) {
        const size_t u = size_t(i);
        if (slotFixed[u])
            continue;
        int64_t s = std::min({slotOwn[u], placed[u] / 2, placed[u + 1] / 2});
        if (i + 2 == n && !bFit && !clip[u + 1])
            s = std::min(s, alone[u + 1]);
        slot[u] = evenDown(std::max<int64_t>(0, s));
    }

    QList<int64_t> durations, slotTimes;
    for (int i = 0; i < n; ++i) {
        const size_t u = size_t(i);
        const int64_t in = i > 0 ? slot[u - 1] : 0;
        int64_t duration = 0;
        if (clip[u])
            duration = std::max<int64_t>(0, length[u] - in - slot[u]);
        else if (i + 1 < n)
            duration = placed[u] - in / 2 - slot[u] / 2;
        else
            duration = bFit ? end - lastStart - in / 2 : alone[u];
        durations.append(std::max<int64_t>(0, duration));
        slotTimes.append(i + 1 < n ? slot[u] : 0);
    }
    finish(durations, slotTimes);
    result.ok = true;
    return result;
}
