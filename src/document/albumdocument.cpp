// SPDX-License-Identifier: GPL-3.0-or-later
// AlbumDocument: edits and their undo steps, the saved state, the snapshot workers render,
// autosave.
#include "albumdocument.h"

#include "instancelock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <utility>

namespace {
// Steps kept for undo: each holds the album twice (its lists shared with the neighbours).
constexpr int kUndoLimit = 100;

const QString kAutosaveName = QStringLiteral("autosave.vmalbum");
// The path of the album file the autosaved album belongs to, when it has one.
const QString kAutosaveSourceName = QStringLiteral("autosave.source");
// Locked for the session's life and holding its process id meanwhile. The lock, not the id,
// tells a running copy: ids are reused (after a reboot any live process may have the old one).
const QString kSessionName = QStringLiteral("session.pid");

// What the export dialog last set is the export's, not the album's: an undo keeps it.
void keepExportSettings(Album &album, const Album &current)
{
    album.frameRate = current.frameRate;
    album.videoBitRate = current.videoBitRate;
    album.audioBitRate = current.audioBitRate;
    album.sampleRate = current.sampleRate;
    album.exportFormat = current.exportFormat;
    album.fileName = current.fileName;
    album.exportDirectory = current.exportDirectory;
}
} // namespace

// One step: the state before and after it. The step has been made when the command is pushed:
// the first redo does nothing, later ones put the state after it back.
class AlbumDocument::EditCommand : public QUndoCommand
{
public:
    EditCommand(AlbumDocument *pDocument, DocumentState before, DocumentState after,
                const QString &szText, int iMergeId)
        : QUndoCommand(szText), m_pDocument(pDocument), m_before(std::move(before)),
          m_after(std::move(after)), m_iMergeId(iMergeId),
          m_bIdentity(!m_before.sameIdentityAs(m_after))
    {
    }

    int id() const override { return m_iMergeId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        // Steps of one control in a row (a spin box's arrows) are one change; steps that come
        // back to where they started are none, and leave no entry behind.
        const auto *pOther = static_cast<const EditCommand *>(other);
        m_after = pOther->m_after;
        m_bIdentity = m_bIdentity || pOther->m_bIdentity;
        setObsolete(m_after.album == m_before.album && m_before.sameIdentityAs(m_after));
        return true;
    }
    void undo() override { m_pDocument->restore(m_before, m_bIdentity); }
    void redo() override
    {
        if (std::exchange(m_bDone, false))
            return;
        m_pDocument->restore(m_after, m_bIdentity);
    }

private:
    AlbumDocument *m_pDocument;
    DocumentState m_before;
    DocumentState m_after;
    int m_iMergeId;
    bool m_bIdentity; // the step replaced the document: its file goes with the undo
    bool m_bDone = true;
};

AlbumDocument::AlbumDocument(QObject *parent) : QObject(parent)
{
    registerEngineMetaTypes();
    m_pUndoStack = new QUndoStack(this);
    m_pUndoStack->setUndoLimit(kUndoLimit);
    // A push, a merge, an undo and a redo: the stack's index has moved when this comes, so the
    // clean mark set here is the one the stack keeps.
    connect(m_pUndoStack, &QUndoStack::indexChanged, this, &AlbumDocument::changeDone);
    m_state.transitionCursor = TransitionPicker::currentIndex();
    m_newState = m_state;
    m_announced = m_state;
    m_pAutosaveTimer = new QTimer(this);
    m_pAutosaveTimer->setSingleShot(true);
    connect(m_pAutosaveTimer, &QTimer::timeout, this, &AlbumDocument::writeAutosave);
}

AlbumDocument::~AlbumDocument()
{
    endSession();
    // The stack's clearing as it goes would tell listeners about a half-destroyed document.
    m_pUndoStack->blockSignals(true);
}

Album &AlbumDocument::edit()
{
    return m_state.album;
}

AlbumSnapshotPtr AlbumDocument::snapshot() const
{
    // A copy of the value: its lists are shared until either side changes them, so this costs
    // a few reference counts, and a change made through a reference kept across an edit can
    // never leave a stale copy behind.
    return std::make_shared<const Album>(m_state.album);
}

void AlbumDocument::setPath(const QString &szPath)
{
    m_state.path = szPath;
}

void AlbumDocument::setExportChoices(const std::optional<AlbumExportChoices> &choices)
{
    m_state.exportChoices = choices;
}

DocumentState AlbumDocument::state() const
{
    DocumentState s = m_state;
    s.transitionCursor = TransitionPicker::currentIndex();
    return s;
}

void AlbumDocument::beginEdit()
{
    // An edit made inside another (a chooser opened by a type switch) is part of it.
    if (m_iEditDepth++ == 0)
        m_editBefore = state();
}

void AlbumDocument::commitEdit(const QString &szText, int iMergeId)
{
    if (m_iEditDepth > 0 && --m_iEditDepth > 0)
        return;
    if (m_derive)
        m_derive(m_state.album);
    DocumentState after = state();
    if (after.album == m_editBefore.album && after.sameIdentityAs(m_editBefore))
        return;
    m_pUndoStack->push(
        new EditCommand(this, std::exchange(m_editBefore, {}), std::move(after), szText, iMergeId));
}

void AlbumDocument::undo()
{
    if (m_iEditDepth == 0 && m_pUndoStack->canUndo())
        m_pUndoStack->undo();
}

void AlbumDocument::redo()
{
    if (m_iEditDepth == 0 && m_pUndoStack->canRedo())
        m_pUndoStack->redo();
}

void AlbumDocument::replace(const DocumentState &state, const QString &szText)
{
    beginEdit();
    restore(state, true);
    commitEdit(szText);
}

void AlbumDocument::restore(const DocumentState &state, bool bIdentity)
{
    const Album current = m_state.album;
    if (bIdentity) {
        m_state.path = state.path;
        m_state.exportChoices = state.exportChoices;
    }
    m_state.album = state.album;
    keepExportSettings(m_state.album, current);
    if (m_derive)
        m_derive(m_state.album);
    TransitionPicker::reset(state.transitionCursor);
    emit replaced();
}

void AlbumDocument::rederive()
{
    if (!m_derive || m_iEditDepth > 0)
        return;
    // Told as a change even when the album compares equal: derived values may be left out of
    // the comparison, and the preview still has to see them.
    m_derive(m_state.album);
    changeDone();
}

void AlbumDocument::changeDone()
{
    m_held.follow(m_state.album);
    const AlbumParts parts = m_state.album.changedParts(m_announced.album);
    const bool bIdentity = !m_state.sameIdentityAs(m_announced);
    m_announced = m_state;
    emit changed();
    if (parts)
        emit partsChanged(parts);
    if (bIdentity)
        emit identityChanged();
    syncSavedState();
    scheduleAutosave();
}

StoredAlbum AlbumDocument::storedAlbum() const
{
    const Album &a = m_state.album;
    StoredAlbum stored = storedAlbumFrom(a, ratioTextOf(a.ratioIndex));
    stored.exportChoices = m_state.exportChoices;
    // Pictures the album cannot show go back into the file as it had them.
    stored.pictures = withMissingPictures(a, stored.pictures);
    return stored;
}

bool AlbumDocument::hasPictures() const
{
    return !m_state.album.materialOrder.isEmpty() || !m_state.album.missing.isEmpty();
}

bool AlbumDocument::isModified() const
{
    if (m_state.path.isEmpty())
        return hasPictures();
    const auto it = m_savedFiles.constFind(m_state.path);
    return it == m_savedFiles.cend() || *it != storedAlbum();
}

bool AlbumDocument::save(const QString &szPath, QString *pError)
{
    const StoredAlbum stored = storedAlbum();
    if (!writeAlbumFile(szPath, stored, pError))
        return false;
    m_state.path = QFileInfo(szPath).absoluteFilePath();
    if (m_state.path != m_announced.path) {
        m_announced.path = m_state.path;
        emit identityChanged();
    }
    rememberSaved(m_state.path, stored);
    scheduleAutosave();
    return true;
}

void AlbumDocument::rememberSaved(const QString &szPath, const StoredAlbum &stored)
{
    m_savedFiles.insert(szPath, stored);
    syncSavedState();
}

void AlbumDocument::syncSavedState()
{
    // The stack's clean mark follows the file, whichever road (an undo, a save, an edit that
    // nets to nothing) brought the album where it is.
    const bool bModified = isModified();
    if (!bModified && !m_pUndoStack->isClean())
        m_pUndoStack->setClean();
    else if (bModified && m_pUndoStack->isClean())
        m_pUndoStack->resetClean();
    emit savedStateChanged();
}

bool AlbumDocument::startSession(const QString &szFolder)
{
    m_autosaveFolder = szFolder;
    QDir().mkpath(szFolder);
    const QDir dir(szFolder);
    // Another program of ours still running (another desktop session of the same user) holds the
    // lock and keeps its autosave; here nothing is offered and nothing saved. A copy that ended
    // in any way, a crash too, let go of it. A folder that cannot lock at all guards nothing.
    m_pSessionLock.reset();
    m_pSessionLock = std::make_unique<platform::InstanceLock>(dir.filePath(kSessionName), 0);
    if (m_pSessionLock->isBusy()) {
        m_pSessionLock.reset();
        m_autosaveFolder.clear();
        return false;
    }
    QFile session(dir.filePath(kSessionName));
    if (session.open(QIODevice::WriteOnly | QIODevice::Truncate))
        session.write(QByteArray::number(QCoreApplication::applicationPid()));
    return true;
}

std::optional<AlbumDocument::LeftAlbum> AlbumDocument::leftAlbum()
{
    if (m_autosaveFolder.isEmpty())
        return std::nullopt;
    const QDir dir(m_autosaveFolder);
    const QString szAutosave = dir.filePath(kAutosaveName);
    if (!QFileInfo::exists(szAutosave))
        return std::nullopt;
    // Left behind: the last session ended without the quit question (a crash, a kill).
    AlbumReadResult read = readAlbumFile(szAutosave);
    if (!read.ok || read.album.pictures.isEmpty()) {
        removeAutosave();
        return std::nullopt;
    }
    LeftAlbum left;
    left.album = std::move(read.album);
    QFile source(dir.filePath(kAutosaveSourceName));
    if (source.open(QIODevice::ReadOnly))
        left.sourcePath = QString::fromUtf8(source.readAll());
    left.changed = QFileInfo(szAutosave).lastModified();
    return left;
}

void AlbumDocument::scheduleAutosave()
{
    if (!m_autosaveFolder.isEmpty())
        m_pAutosaveTimer->start(kAutosaveDelayMs);
}

void AlbumDocument::writeAutosave()
{
    if (m_autosaveFolder.isEmpty())
        return;
    // An album being imported or opened is written once it is whole.
    if (m_iEditDepth > 0) {
        scheduleAutosave();
        return;
    }
    const QDir dir(m_autosaveFolder);
    if (!hasPictures()) {
        removeAutosave();
        return;
    }
    QString szError;
    if (!writeAlbumFile(dir.filePath(kAutosaveName), storedAlbum(), &szError)) {
        qWarning("VMAlbum: autosave failed: %s", qUtf8Printable(szError));
        if (!std::exchange(m_bAutosaveFailing, true))
            emit autosaveFailed(szError);
        return;
    }
    m_bAutosaveFailing = false;
    QFile source(dir.filePath(kAutosaveSourceName));
    if (m_state.path.isEmpty()) {
        source.remove();
    } else if (source.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        source.write(m_state.path.toUtf8());
    }
}

void AlbumDocument::removeAutosave()
{
    if (m_autosaveFolder.isEmpty())
        return;
    const QDir dir(m_autosaveFolder);
    QFile::remove(dir.filePath(kAutosaveName));
    QFile::remove(dir.filePath(kAutosaveSourceName));
}

void AlbumDocument::endSession()
{
    if (m_autosaveFolder.isEmpty())
        return;
    m_pAutosaveTimer->stop();
    removeAutosave();
    // Emptied, not removed: a start that opened the file just now must lock the same one.
    QFile::resize(QDir(m_autosaveFolder).filePath(kSessionName), 0);
    m_pSessionLock.reset();
    m_autosaveFolder.clear();
}
