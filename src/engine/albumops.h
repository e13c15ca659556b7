// SPDX-License-Identifier: GPL-3.0-or-later
// The album's editing rules on the Album, shared by the album editor and the headless exporter.
//
// These functions only change the value they are given; workers render snapshots of their own.
// Each change reports which notifications it makes due, so that the editor can refresh the
// cover and the total-time display exactly when the album's look or length moved.
#pragma once

#include "album.h"

#include <QFont>
#include <QHash>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <optional>

struct AlbumChange
{
    bool coverChanged = false; // the first frame looks different now
    bool totalChanged = false; // totalDuration moved
};

// Held files: every picture, the watermark picture (while the watermark is a picture) and the
// music file (while music is chosen) stay open while the album uses them, one handle per file.
// Read-only, since the handle exists only to keep the file in use. Not part of the album value:
// the editor's document holds them for the album it shows.
class HeldFiles
{
public:
    HeldFiles() = default;
    ~HeldFiles();
    HeldFiles(const HeldFiles &) = delete;
    HeldFiles &operator=(const HeldFiles &) = delete;

    // Opens what the album uses and is not held yet; closes what it no longer uses.
    void follow(const Album &album);
    // The handle of a held file; null when it is not held.
    FILE *handle(const QString &szPath) const;
    int count() const { return int(m_files.size()); }

private:
    QHash<QString, FILE *> m_files;
};

// Appends a picture row. A path may stand in several rows; the map keeps one item per file. Every
// row after the first brings a 2-second transition slot from the picker. The first picture of an
// empty album takes the ratio when bSelfAdaptingRatio (and recomputes width) and changes the cover.
//
// pKind, when given, is the kind of the slot this call appends: the transition that joins the
// previous row to this picture, taken instead of the picker's row (ignored for the first row).
// The picker steps all the same, so that an album replayed from the start its file names leaves
// the picker where drawing every slot would have (storedAlbumFrom names that start again).
// An album file stores each transition with the picture before it; a replay therefore passes,
// for each picture it appends, the kind stored with the picture appended before it
// (StoredAlbum::transitionKindFor of that picture's index, which also covers pictures without
// a stored kind). A picture left out (missing, unusable) takes its transition with it: the
// pictures on either side are joined by the one stored with the earlier of them. The last
// picture's stored kind joins nothing and is not kept: a later append draws from the picker.
AlbumChange appendPicture(Album &job, const MaterialItem &item, bool bSelfAdaptingRatio = false,
                          const TransitionKind *pKind = nullptr);

// Removes the row that stood at iOldIndex. Nothing happens (nullopt) when the path has no item.
// The last transition slot goes, whichever picture went; the item goes only when no other row
// still shows the file. The cover changes when the first row went and rows remain.
std::optional<AlbumChange> removePicture(Album &job, const QString &szPath, int iOldIndex);

// A row moved from iOldIndex to iNewIndex; szRows is the list's order after the move. The slots'
// drawn transitions stay; the row's own settings move with it (so the total may change); the
// self-adapting ratio follows the new first picture.
AlbumChange reorderPictures(Album &job, const QStringList &szRows, int iOldIndex, int iNewIndex,
                            bool bSelfAdaptingRatio);

// Sets the own settings of the row at iIndex (durations and lengths clamped to their ranges; a
// chosen transition without a kind is random) and recomputes the total.
AlbumChange setPictureOptions(Album &job, int iIndex, const PictureOptions &options);

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
MusicFitResult fitPicturesToLength(Album &job, int64_t targetLength);
// The target is the music's length (microseconds, decodedMusicLength; negative: unreadable)
// less its start offset.
MusicFitResult fitPicturesToMusicLength(Album &job, int64_t musicLength);
// The same, decoding the album's music to measure it.
MusicFitResult fitPicturesToMusic(Album &job);

// Sets the uniform picture duration in whole seconds (clamped to 1..60); rows with a duration of
// their own keep it.
AlbumChange setUniformDurationSeconds(Album &job, int iSeconds);

// Empties the album: rows, items, transitions, total; the duration returns to 3 s.
// Watermark and music settings stay.
void clearAlbum(Album &job);

// totalDuration in milliseconds, for the player's time display: the length of the exported file
// (whole frames at the export's rate) once a rate is chosen.
int64_t totalDurationMs(const Album &job);

// The ratio list's texts: "16:9", "4:3", "2:1", "9:16", "3:4", "1:1"; nullopt for any other text,
// which selects the ratio of the first picture.
std::optional<AVRational> ratioFromText(const QString &szRatio);
// The height list's texts: "480P", "720P", "1080P", "2K", "4K"; 0 for any other text.
int heightFromText(const QString &szHeight);
// The lists' entries as album files name them: ratio entry 0 follows the first picture
// ("auto"), 1..6 the ratios above; height entries 0..4 the heights above. An entry out of range
// gives 16:9 or 1080P; a text that names none gives -1.
QString ratioTextOf(int iRatioIndex);
int ratioIndexOf(const QString &szRatio);
QString heightTextOf(int iHeightIndex);
int heightIndexOf(const QString &szHeight);

// Sets the ratio from the list's text (the self-adapting one from the first row) and recomputes
// width. An empty album keeps its ratio under the self-adapting choice.
AlbumChange applyRatioText(Album &job, const QString &szRatio);
// The ratio of the first row's picture; 16:9 when it has no item; unchanged for an empty album.
void applySelfAdaptingRatio(Album &job);

// Sets the height from the list's text (any other text leaves it), then the font rule, then width.
AlbumChange applyHeightText(Album &job, const QString &szHeight, WatermarkFontRule &fontRule);

// The picture-watermark file and the music file.
void setWatermarkImage(Album &job, const QString &szPath);
void setMusicFile(Album &job, const QString &szPath);
// A file whose page is shown again: one that can no longer be opened empties the path. Returns
// false in that case, so the caller can clear its label.
bool keepIfReadable(QString &szPath);

// Missing pictures among the rows (Album::missing): the rows hold the album's pictures and its
// missing entries in the album's order.
// The entry at strip row iRow; -1 when that row is a picture.
int missingIndexAt(const Album &album, int iRow);
// The picture index of strip row iRow (for a missing row, the index the next picture has).
int renderedIndexOfRow(const Album &album, int iRow);
// A row went: the entries after it move up.
void missingRowRemoved(Album &album, int iRow);
// A row moved as the strip moved it: out of iFrom, then in at iTo.
void missingRowMoved(Album &album, int iFrom, int iTo);
// The missing entry iMissing found as `item`: the picture takes the entry's place among the
// rows, with its own settings and the transitions the entry had on either side.
AlbumChange placeFoundPicture(Album &album, int iMissing, const MaterialItem &item,
                              bool bSelfAdaptingRatio);
// The pictures of a stored album with the missing entries put back in their places.
QList<AlbumPicture> withMissingPictures(const Album &album, const QList<AlbumPicture> &pictures);
