// SPDX-License-Identifier: GPL-3.0-or-later
// The whole album as the editor holds it, captured for undo and redo.
#pragma once

#include "albumfile.h"
#include "albumops.h"
#include "renderjob.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QString>
#include <QStringList>

// A picture the album lists but cannot show (its file is gone, or unusable): it keeps its place in
// the strip, is written back as the album file had it, and is neither rendered nor counted in the
// album's length. `id` follows it through moves; it is not part of the album.
struct MissingPicture
{
    int position = 0;     // its row in the strip
    AlbumPicture picture; // as the album file holds it
    // The transition that joined the entry before it, kept for the save when no picture of the
    // album follows that entry any more.
    int transitionBeforeRow = -1;
    QString reason;    // why it cannot be shown
    bool bGone = true; // no file there (otherwise the file is there but cannot be used)
    quint32 id = 0;

    bool operator==(const MissingPicture &o) const
    {
        return position == o.position && picture == o.picture &&
               transitionBeforeRow == o.transitionBeforeRow && reason == o.reason &&
               bGone == o.bGone;
    }
};

// Values only: the held file handles are not part of it (the editor opens them again when it
// puts a snapshot back), and the thumbnails are shared with the strip's rows.
struct AlbumSnapshot
{
    QStringList order;                 // materialOrder
    QMap<QString, MaterialItem> items; // by path, handles left out
    QHash<QString, QPixmap> thumbnails;
    QList<TransitionSlot> transitions;
    QList<PictureOptions> pictureOptions;
    QList<MissingPicture> missing; // by position
    bool gentleMotion = false;
    Fill albumFill{FillKind::Black, 0xff000000};
    TextEffect watermarkEffect = TextEffect::Plain;
    int64_t totalDuration = 0;
    int64_t uniformDurationValue = 3000000;
    int aspectNum = 16;
    int aspectDen = 9;
    int height = 1080;
    int ratioIndex = 1;  // the ratio list's entry
    int heightIndex = 2; // the height list's entry
    int watermarkType = WatermarkNone;
    int watermarkPosition = LeftTop;
    QFont watermarkFont;
    QColor watermarkColor;
    QString watermarkText;
    QString watermarkImagePath;
    int musicType = MusicNone;
    QString musicPath;
    MusicShape musicShape;
    WatermarkFontRule fontRule;
    // Where the transition table stands: the album's saved start depends on it, and the slots
    // appended after an undo are drawn as they were the first time.
    int transitionCursor = 0;
    // Which file the album is and what it exports with. Put back only by the undo of an edit that
    // changed them (an opening, "New album", a replacing import): a save in between renames the
    // album for every other step.
    QString documentPath;
    std::optional<AlbumExportChoices> exportChoices;

    // What an undo step would change: everything but the thumbnails, which follow the rows.
    bool sameAlbumAs(const AlbumSnapshot &other) const;
    bool sameIdentityAs(const AlbumSnapshot &other) const
    {
        return documentPath == other.documentPath && exportChoices == other.exportChoices;
    }
};
