// SPDX-License-Identifier: GPL-3.0-or-later
// The album's editing rules on the RenderJob, shared by the album editor and the headless exporter.
//
// These functions only change the record. The caller holds renderMutex and musicMutex while a
// worker may read it (the editor's halt-and-lock step), or is alone with it (the exporter). Each
// change reports which notifications it makes due, so that the editor can refresh the cover and
// the total-time display exactly when the album's look or length moved.
#pragma once

#include "renderjob.h"

#include <QFont>
#include <QStringList>

#include <cstdint>
#include <optional>

struct AlbumChange
{
    bool coverChanged = false; // the first frame looks different now
    bool totalChanged = false; // totalDuration moved
};

// Held files: every picture, the watermark picture and the music file stay open while the album
// uses them. Read-only, since the handle exists only to keep the file in use.
FILE *openHeldFile(const QString &szPath);
// Closes the handle when there is one and nulls it.
void closeHeldFile(FILE *&pFile);

// Appends a picture row. A path may stand in several rows; the map keeps one item per file and
// one held handle, opened when the path joins the album. Every row after the first brings a
// 2-second transition slot from the picker. The first picture of an empty album takes the ratio
// when bSelfAdaptingRatio (and recomputes width) and changes the cover.
//
// pKind, when given, is the kind of the slot this call appends: the transition that joins the
// previous row to this picture, taken instead of the picker's row (ignored for the first row).
// The picker steps all the same, so that an album replayed from the start its file names leaves
// the picker where drawing every slot would have (albumFromJob names that start again).
// An album file stores each transition with the picture before it; a replay therefore passes,
// for each picture it appends, the kind stored with the picture appended before it
// (AlbumDocument::transitionKindFor of that picture's index, which also covers pictures without
// a stored kind). A picture left out (missing, unusable) takes its transition with it: the
// pictures on either side are joined by the one stored with the earlier of them. The last
// picture's stored kind joins nothing and is not kept: a later append draws from the picker.
AlbumChange appendPicture(RenderJob &job, const MaterialItem &item, bool bSelfAdaptingRatio = false,
                          const TransitionKind *pKind = nullptr);

// Removes the row that stood at iOldIndex. Nothing happens (nullopt) when the path has no item.
// The last transition slot goes, whichever picture went; the held handle is closed only when no
// other row still shows the file. The cover changes when the first row went and rows remain.
std::optional<AlbumChange> removePicture(RenderJob &job, const QString &szPath, int iOldIndex);

// A row moved from iOldIndex to iNewIndex; szRows is the list's order after the move. The slots'
// drawn transitions stay; the row's own settings move with it (so the total may change); the
// self-adapting ratio follows the new first picture.
AlbumChange reorderPictures(RenderJob &job, const QStringList &szRows, int iOldIndex, int iNewIndex,
                            bool bSelfAdaptingRatio);

// Sets the own settings of the row at iIndex (durations and lengths clamped to their ranges; a
// chosen transition without a kind is random) and recomputes the total.
AlbumChange setPictureOptions(RenderJob &job, int iIndex, const PictureOptions &options);

// Fitting the pictures to the music: every picture gets a duration of its own, the durations
// keep their ratios (each picture's current pictureDuration) and the album's total comes within
// a few microseconds of the target. Refused, with the reason and the album untouched, when the
// shortest picture would fall under 0.5 s or the longest pass 60 s.
struct MusicFitResult
{
    bool ok = false;
    QString error; // translated
    AlbumChange change;
};
MusicFitResult fitPicturesToLength(RenderJob &job, int64_t targetLength);
// The target is the music's length (microseconds, decodedMusicLength; negative: unreadable)
// less its start offset.
MusicFitResult fitPicturesToMusicLength(RenderJob &job, int64_t musicLength);
// The same, decoding the album's music to measure it.
MusicFitResult fitPicturesToMusic(RenderJob &job);

// Sets the uniform picture duration in whole seconds (clamped to 1..60); rows with a duration of
// their own keep it.
AlbumChange setUniformDurationSeconds(RenderJob &job, int iSeconds);

// Empties the album: rows, held picture handles, transitions, total; the duration returns to 3 s.
// Watermark and music settings stay.
void clearAlbum(RenderJob &job);

// totalDuration in milliseconds, for the player's time display: the length of the exported file
// (whole frames at the export's rate) once a rate is chosen.
int64_t totalDurationMs(const RenderJob &job);

// The ratio list's texts: "16:9", "4:3", "2:1", "9:16", "3:4", "1:1"; nullopt for any other text,
// which selects the ratio of the first picture.
std::optional<AVRational> ratioFromText(const QString &szRatio);
// The height list's texts: "480P", "720P", "1080P", "2K", "4K"; 0 for any other text.
int heightFromText(const QString &szHeight);

// Sets the ratio from the list's text (the self-adapting one from the first row) and recomputes
// width. An empty album keeps its ratio under the self-adapting choice.
AlbumChange applyRatioText(RenderJob &job, const QString &szRatio);
// The ratio of the first row's picture; 16:9 when it has no item; unchanged for an empty album.
void applySelfAdaptingRatio(RenderJob &job);

// The text-watermark font follows the output height until the user picks a font of their own.
struct WatermarkFontRule
{
    QFont editorFont;              // the editor's copy, sized for the current height
    bool fontFollowsHeight = true; // cleared for good once the user chose another font

    // A new output height: sizes editorFont from the table and, while following, the watermark.
    void applyHeight(RenderJob &job, int iHeight);
    // A font confirmed in the font dialog (point size as the dialog reports it).
    void applyChosenFont(RenderJob &job, const QFont &stFont);
};

// Sets the height from the list's text (any other text leaves it), then the font rule, then width.
AlbumChange applyHeightText(RenderJob &job, const QString &szHeight, WatermarkFontRule &fontRule);

// The picture-watermark file: the old handle goes, the new file is held.
void setWatermarkImage(RenderJob &job, const QString &szPath);
// The music file: the old handle goes, the new file is held.
void setMusicFile(RenderJob &job, const QString &szPath);
// Re-holds a file whose page is shown again; a file that can no longer be opened empties the path.
// Returns false in that case, so the caller can clear its label.
bool reopenHeldFile(QString &szPath, FILE *&pFile);
