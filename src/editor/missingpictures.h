// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures an album lists but cannot show: their tiles in the strip, finding them again (when
// the window is active again, or by "Locate…"), and the question before an export leaves them
// out.
#pragma once

#include "album.h"

#include <QCoreApplication>
#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

class AlbumDocument;
class ImageDecoder;
class ImageListView;
class PreviewController;
class ZodoZadar;

class MissingPictures
{
    // Its texts are the editor's, in the catalogues as such.
    Q_DECLARE_TR_FUNCTIONS(ZodoZadar)
public:
    MissingPictures(ZodoZadar &editor, AlbumDocument *pDocument, ImageListView *pStrip,
                    ImageDecoder *pDecoder, PreviewController *pPreview);

    // The tile of an entry, at its place in the strip.
    void insertTile(const MissingPicture &entry);
    // An entry of an album being opened, after the rows there are.
    void add(MissingPicture entry);
    // A strip row activated: a missing one is located, a picture opens its panel.
    void activateRow(int iRow);
    // Looks again for the entries' files (a disk may have come back); those found take their
    // places. Not an undoable edit.
    void findAgain();
    // "Locate…" of the tile in strip row iRow: the chosen file takes its place, and the other
    // entries of the same old folder are looked for in the chosen file's folder (one undo step).
    void locate(int iRow);
    // A decoder answer: false when it was not for a search of ours.
    bool answered(quint64 iRequest, const QString &szFile, bool bOk, const QPixmap &stPixmap,
                  AVRational stWidthToHeight, const QSize &stSrcImageSize,
                  const QString &szErrorStr);
    // Asks before an export that would leave pictures out; false to stop.
    bool confirmExport();

private:
    void request(quint32 id, const QString &szFile);
    void place(int iMissing, const QString &szFile, const QPixmap &stPixmap,
               AVRational stWidthToHeight, const QSize &stSrcImageSize);
    void endFinding();

    ZodoZadar &m_editor;
    AlbumDocument *m_pDocument;
    ImageListView *m_pStrip;
    ImageDecoder *m_pDecoder;
    PreviewController *m_pPreview;
    quint32 m_iLastId = 0;
    // Requests of a search: request -> the entry's id. While it runs the import workflow keeps
    // other edits out; a located file is one undo step.
    QHash<quint64, quint32> m_findRequests;
    bool m_bLocating = false;
    QString m_locateFailure; // why the located file itself could not be used
};
