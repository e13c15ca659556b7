// Album bookkeeping on the RenderJob shared by the editor and the headless exporter.
#pragma once

#include "renderjob.h"

// Appends a picture row: the path joins materialOrder (a path may stand in several rows; the
// map keeps one item per file), its duration is added to totalDuration, and every row after the
// first brings a 2-second transition slot from the picker.
void appendPicture(RenderJob &job, const MaterialItem &item);

// Sets the uniform picture duration in whole seconds (clamped to 1..60) and moves totalDuration
// by the difference for every row.
void setUniformDurationSeconds(RenderJob &job, int seconds);

// Empties the album (pictures, order, transitions, total length); settings stay.
void clearAlbum(RenderJob &job);
