// SPDX-License-Identifier: GPL-3.0-or-later
#include "autofilm.h"

#include "albumsort.h"

AlbumChange makeFilm(Album &job, bool bSelfAdaptingRatio)
{
    AlbumChange change = sortPictures(job, PictureOrder::DateTaken, bSelfAdaptingRatio);
    job.gentleMotion = true;
    // Bars beside a landscape photo would fill most of an upright or square frame.
    job.albumFill =
        Fill{job.aspectNum <= job.aspectDen ? FillKind::Crop : FillKind::Blur, 0xff000000};
    job.keepFaces = true;
    if (job.hasMusic()) {
        job.beatCut = BeatCut::Auto;
        job.beatFit = true;
        job.musicShape.fadeIn = kFilmMusicFade;
        job.musicShape.fadeOut = kFilmMusicFade;
    }
    change.coverChanged = true;
    change.totalChanged = true;
    job.totalDuration = job.computeTotalDuration();
    return change;
}
