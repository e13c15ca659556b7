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

// Values only: the held file handles are not part of it (the editor opens them again when it
// puts a snapshot back), and the thumbnails are shared with the strip's rows.
struct AlbumSnapshot
{
    QStringList order;                 // materialOrder
    QMap<QString, MaterialItem> items; // by path, handles left out
    QHash<QString, QPixmap> thumbnails;
    QList<TransitionSlot> transitions;
    QList<PictureOptions> pictureOptions;
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
