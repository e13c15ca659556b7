// SPDX-License-Identifier: GPL-3.0-or-later
// Putting an album's pictures in order: by date taken, by name, or the other way round.
#pragma once

#include "albumops.h"

enum class PictureOrder
{
    DateTaken, // the date each picture was taken (its item's facts), then name
    Name,      // file names as people read numbered files
    Reverse,   // the current order turned round
};

// Sorts the rows from row iFromIndex on (the pictures the album shows; missing tiles keep their
// places in the strip). Each row takes its own settings along, the transition slots stay where
// they are, and the self-adapting ratio follows the new first picture. Nothing changes, and no
// change is reported, when the order is already so.
AlbumChange sortPictures(Album &job, PictureOrder order, bool bSelfAdaptingRatio,
                         int iFromIndex = 0);
