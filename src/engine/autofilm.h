// SPDX-License-Identifier: GPL-3.0-or-later
// One step from pictures to a finished film: the choices it makes on an album, each of them the
// same setting the user could make by hand (and change afterwards).
#pragma once

#include "albumops.h"

// The fade-in and fade-out the film gives its music.
constexpr int64_t kFilmMusicFade = 2000000;

// Puts the pictures in the order they were taken and gives the album its film look: gentle
// motion on pictures without their own, blurred fill (crop for an upright or square album),
// faces kept in frame; with music, cuts on the beat ("auto"), fitted to the music, which fades
// in and out. Cutting on the beat itself needs the music's beats: the caller applies it
// (applyBeatCut) once they are known.
AlbumChange makeFilm(Album &job, bool bSelfAdaptingRatio);
