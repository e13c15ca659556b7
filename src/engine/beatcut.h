// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting on the beat: the music's beats as they are heard in the video, and picture durations
// that put every change of picture on one of them.
#pragma once

#include "albumops.h"
#include "beatanalysis.h"
#include "beatchoice.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The grid as the user corrected it.
BeatGrid correctedGrid(const BeatGrid &found, const BeatCorrection &correction);

// Beats and bar starts in microseconds of the album: the tracks' corrected grids laid out as the
// music plays under the album (from its start offset, through the crossfades, looping as one).
struct HeardBeats
{
    std::vector<int64_t> beats;
    std::vector<int64_t> bars;
    // One pass of the music from its start offset (the list loops after it); 0: unknown.
    int64_t passUs = 0;
};
// grids and lengthsUs have one entry per track of album.musicTracks(); the beats run to
// untilUs into the album.
HeardBeats heardBeats(const Album &album, const QList<BeatGrid> &grids,
                      const QList<int64_t> &lengthsUs, int64_t untilUs);

struct BeatCutResult
{
    bool ok = false;
    QString error; // translated: why the album was left as it was
    AlbumChange change;
};
// Gives every picture a duration of its own (and its transitions a length that fits) so that
// every change of picture, the middle of a transition or a cut, falls on a beat of `beats` as
// job.beatCut asks. Clips keep their trimmed length; the pictures around them absorb the rest.
// With bFit the album ends on the last bar the music reaches in one pass (a fade-out, which
// ends with the album, closes on that bar). Off, or no music, clears the timing (ok): the album
// plays its own durations; so does a refusal (not ok), which says why. The user's durations are
// always the input: applying again after they or the music changed starts from them, never from an
// earlier result.
BeatCutResult applyBeatCut(Album &job, const HeardBeats &beats, bool bFit);
