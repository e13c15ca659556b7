// SPDX-License-Identifier: GPL-3.0-or-later
// Importing pictures through the decoder, with progress and a failure report: a new album's
// pictures, pictures appended, and the pictures of an album file being opened or restored.
#pragma once

#include "album.h"
#include "albumfile.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QStringList>

#include <optional>

class AlbumDocument;
class ImageDecoder;
class MissingPictures;
class PreviewController;
class ProgressDialog;
class ZodoZadar;

namespace Ui {
class ZodoZadarClass;
}

// Thread contract: the user-interface thread; the decoder answers through the editor.
class PictureImport
{
    // Its texts are the editor's, in the catalogues as such.
    Q_DECLARE_TR_FUNCTIONS(ZodoZadar)
public:
    PictureImport(ZodoZadar &editor, AlbumDocument *pDocument, PreviewController *pPreview,
                  ImageDecoder *pDecoder, MissingPictures *pMissing);

    // The pictures chooser, under the import workflow (ended again when nothing is chosen).
    QStringList choose();
    // The filters of every chooser of pictures: every kind the album takes first, then the
    // JPEG and PNG ones.
    static QString pictureChooserFilter();
    // The import once the files are known, under the import workflow: it replaces the album,
    // or appends to it. For an opened album, kindRows holds for each file the row of
    // kTransitionKinds of the transition after it (-1: the picker's), and options each
    // picture's own settings.
    enum class Mode
    {
        Replace,
        Append
    };
    void run(const QStringList &files, Mode mode = Mode::Replace, const QList<int> &kindRows = {},
             const QList<PictureOptions> &options = {});
    // The folder chooser, under the import workflow (ended again when nothing is chosen).
    QString chooseFolder();
    // Files and folders (each walked for its pictures) as one import. The pictures it adds are
    // put in the order they were taken when a folder was among them; szNote (a walk cut short)
    // is said at the end. False, with the workflow ended, when they hold no picture at all.
    bool runPaths(const QStringList &paths, Mode mode);
    // An album file's settings and pictures replace the album (one undo step); a restored one
    // keeps szPath as its file but is not saved yet. False when another workflow runs.
    bool openAlbum(const StoredAlbum &doc, const QString &szPath, bool bRestored);
    // While an album is being opened, files handed over wait for it to be whole.
    bool isOpening() const { return m_opening.has_value(); }
    void openAfterOpening(const QStringList &files) { m_filesAfterOpening << files; }
    // A decoder answer: false when it was not for this import.
    bool answered(quint64 iRequest, const QString &szFile, bool bOk, const QPixmap &stPixmap,
                  AVRational stWidthToHeight, const QSize &stSrcImageSize,
                  const QString &szErrorStr);

private:
    // pSlotKind: the transition before this picture, when it is not the picker's.
    void addPicture(const QString &szFile, const QPixmap &stPixmap, AVRational stWidthToHeight,
                    const QSize &stSrcImageSize, const TransitionKind *pSlotKind,
                    const PictureOptions &options);
    void clearAlbum();
    void addNotice(const QString &szNotice, const QString &szName);
    void applySettings(const StoredAlbum &doc);
    void end();
    void finishOpening();

    ZodoZadar &m_editor;
    Ui::ZodoZadarClass *ui;
    AlbumDocument *m_pDocument;
    PreviewController *m_pPreview;
    ImageDecoder *m_pDecoder;
    MissingPictures *m_pMissing;

    struct OpeningAlbum
    {
        QString szPath;
        std::optional<AlbumExportChoices> exportChoices;
        bool bRestored = false;
        int transitionStart = 0;
    };
    std::optional<OpeningAlbum> m_opening; // while an album file's pictures are imported
    QStringList m_filesAfterOpening;       // files given meanwhile, opened after it
    // The running import's requests, and what each of them brings.
    quint64 m_firstRequest = 1;
    quint64 m_lastRequest = 0;
    QHash<quint64, int> m_kindRows;           // request -> the row of the transition after it
    QHash<quint64, MissingPicture> m_entries; // an opening's request -> its entry if missing
    QHash<quint64, PictureOptions> m_options; // request -> the picture's own settings
    int m_iPreviousKindRow = -1;              // that row of the picture added last
    QPointer<ProgressDialog> m_pProgress;
    int m_iTotal = 0;
    int m_iSucceeded = 0;
    int m_iFailed = 0;
    QStringList m_failures; // "name — reason" of every refused file of the import
    QString m_lastError;    // the last refused file's reason: the report's summary
    // A folder's import: its new rows, from this one on, go in the order taken at the end.
    bool m_bSortTaken = false;
    int m_iFirstNewRow = 0;
    QString m_note; // what the walk left out, said once the import ends
    // The names of the imported files that came with each notice (an animated picture, say),
    // in order: the report says each notice once.
    QList<QPair<QString, QStringList>> m_notices;
};
