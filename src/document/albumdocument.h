// SPDX-License-Identifier: GPL-3.0-or-later
// AlbumDocument: the one place an album changes: its value, its file, undo, autosave.
#pragma once

#include "album.h"
#include "albumfile.h"
#include "albumops.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QTimer;
class QUndoStack;

namespace platform {
class InstanceLock;
}

// Everything an undo step puts back: the album with the file it belongs to and its export
// choices, and where the transition table stood (slots appended after an undo are drawn as they
// were the first time).
struct DocumentState
{
    Album album;
    QString path; // empty: never saved
    std::optional<AlbumExportChoices> exportChoices;
    int transitionCursor = 0;

    bool sameIdentityAs(const DocumentState &o) const
    {
        return path == o.path && exportChoices == o.exportChoices;
    }
};

// Thread contract: the user-interface thread only. Workers never see the album itself: they are
// handed snapshot() (a shared, immutable copy made after the last change) when they start.
//
// Changes: an edit opens with beginEdit(), changes the album through album() as often as it likes
// (nested edits are part of the outer one), and ends with commitEdit(), which pushes one undo
// step when anything changed. Steps with the same merge id in a row make one entry, and steps
// that come back to where they started leave none. Undo and redo put the whole state back and
// say so with replaced().
class AlbumDocument : public QObject
{
    Q_OBJECT
public:
    explicit AlbumDocument(QObject *parent = nullptr);
    ~AlbumDocument() override;

    const Album &album() const { return m_state.album; }
    // The album to change. A change outside beginEdit/commitEdit (not
    // undoable: a picture found again) ends with changeDone(); commitEdit calls it itself.
    Album &edit();
    void changeDone();
    // Values the album derives from the user's choices (the timing cut on the beat): recomputed
    // by fn at the end of every edit and whenever a step is undone or redone, so that they are
    // part of the same step. rederive() runs it now, as a change outside an edit (what it
    // derives from arrived late).
    void setDerivation(std::function<void(Album &)> fn) { m_derive = std::move(fn); }
    void rederive();
    // The album as it stands now, for a worker to render: immutable, shared by whoever holds it.
    AlbumSnapshotPtr snapshot() const;
    // The files the album uses, held open while it does.
    const HeldFiles &heldFiles() const { return m_held; }

    // The document's identity: its file (empty for a new album) and its export choices.
    QString path() const { return m_state.path; }
    const std::optional<AlbumExportChoices> &exportChoices() const { return m_state.exportChoices; }
    void setPath(const QString &szPath);
    void setExportChoices(const std::optional<AlbumExportChoices> &choices);

    // Undo.
    QUndoStack *undoStack() const { return m_pUndoStack; }
    void beginEdit();
    void commitEdit(const QString &szText, int iMergeId = -1);
    bool editing() const { return m_iEditDepth > 0; }
    void undo();
    void redo();
    // The whole state as it stands, and a state put back as one undoable step (New album).
    DocumentState state() const;
    void replace(const DocumentState &state, const QString &szText);
    // A new album, as the document started: no pictures, no file (undoable).
    void startNew(const QString &szText) { replace(m_newState, szText); }

    // Saving. The album as its file holds it (missing pictures in their places); whether it
    // holds changes its file does not (an unnamed album: any picture at all); a file written or
    // read in this session, so that coming back to what it holds counts as saved.
    StoredAlbum storedAlbum() const;
    bool hasPictures() const;
    bool isModified() const;
    bool save(const QString &szPath, QString *pError);
    void rememberSaved(const QString &szPath, const StoredAlbum &stored);

    // Autosave into szFolder from now on. False when another running copy holds the folder
    // (then nothing is saved). leftAlbum() is what a session that ended without the quit
    // question left there (nullopt: nothing usable), with the file it belonged to.
    bool startSession(const QString &szFolder);
    struct LeftAlbum
    {
        StoredAlbum album;
        QString sourcePath;
        QDateTime changed;
    };
    std::optional<LeftAlbum> leftAlbum();
    void removeAutosave();
    // The quit: the autosave goes and the folder is free for the next start.
    void endSession();
    static constexpr int kAutosaveDelayMs = 1500;

signals:
    // The album changed (a commit, an undo, a redo, a change outside an edit); then, which of
    // its parts did, and whether its file or export choices did.
    void changed();
    void partsChanged(AlbumParts parts);
    void identityChanged();
    // Undo, redo or replace() put a whole state back: views show it afresh.
    void replaced();
    // isModified() or the file's name may read differently now.
    void savedStateChanged();
    // An autosave failed (said once per run of failures; every change tries again).
    void autosaveFailed(const QString &szError);

private:
    class EditCommand;
    void restore(const DocumentState &state, bool bIdentity);
    void syncSavedState();
    void scheduleAutosave();
    void writeAutosave();

    DocumentState m_state;
    DocumentState m_newState;  // as the document started
    DocumentState m_announced; // as the last change signals told it
    HeldFiles m_held;
    QUndoStack *m_pUndoStack = nullptr;
    DocumentState m_editBefore;
    int m_iEditDepth = 0;
    QHash<QString, StoredAlbum> m_savedFiles;
    QString m_autosaveFolder;
    std::unique_ptr<platform::InstanceLock> m_pSessionLock;
    QTimer *m_pAutosaveTimer = nullptr;
    bool m_bAutosaveFailing = false;
    std::function<void(Album &)> m_derive;
};
