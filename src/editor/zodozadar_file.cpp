// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the album as a document: new, open, save, autosave and restore, the title.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "albumfile.h"
#include "cframelesswindow.h"
#include "cqcombobox.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagelistview.h"
#include "places.h"
#include "qtinversionwidget.h"
#include "renderjob.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QUndoStack>
#include <utility>

namespace {
// An edit reaches the autosave within this time (ms); a burst of edits writes once.
constexpr int kAutosaveDelayMs = 1500;
// A failed autosave is said long enough to be read.
constexpr int kAutosaveToastMs = 4000;

const QString kAutosaveName = QStringLiteral("autosave.vmalbum");
// The path of the album file the autosaved album belongs to, when it has one.
const QString kAutosaveSourceName = QStringLiteral("autosave.source");
// Locked for the session's life and holding its process id meanwhile. The lock, not the id,
// tells a running copy: ids are reused (after a reboot any live process may have the old one).
const QString kSessionName = QStringLiteral("session.pid");

QString albumFilter()
{
    return ZodoZadar::tr("VelmoraAlbum albums (*.vmalbum)");
}
} // namespace

QString ZodoZadar::documentPath() const
{
    return m_documentPath;
}

QString ZodoZadar::ratioTextForFile() const
{
    // The list's first entry follows the first picture; its shown text is a translation.
    return selfAdaptingRatio() ? QStringLiteral("auto") : ui->comboVideoRatio->currentText();
}

AlbumDocument ZodoZadar::albumDocument() const
{
    AlbumDocument doc = albumFromJob(RenderJob::instance(), ratioTextForFile());
    doc.exportChoices = m_exportChoices;
    // Pictures the album cannot show go back into the file as it had them.
    doc.pictures = withMissingPictures(doc.pictures);
    return doc;
}

void ZodoZadar::newAlbum()
{
    if (!m_workflow.idle())
        return;
    beginEdit();
    // A new document: no file, no export choices of its own (undo gives the old one back).
    restoreSnapshot(m_startSnapshot, true);
    commitEdit(tr("New album"));
}

void ZodoZadar::openAlbum()
{
    if (!beginWorkflow(Workflow::Album))
        return;
    const QString szFile = FileChooser::openFile(
        tr("Open album"), Places::startFolder(Places::Kind::Album), albumFilter());
    endWorkflow(Workflow::Album);
    if (szFile.isEmpty())
        return;
    Places::rememberFile(Places::Kind::Album, szFile);
    openAlbumFile(szFile);
}

bool ZodoZadar::openAlbumFile(const QString &szFile)
{
    if (!m_workflow.idle())
        return false;
    const AlbumReadResult read = readAlbumFile(szFile);
    if (!read.ok) {
        // The album in the window stays as it is.
        reportFailure(tr("The album could not be opened"),
                      QStringLiteral("%1: %2").arg(QFileInfo(szFile).fileName(), read.error));
        return false;
    }
    return openAlbumDocument(read.album, QFileInfo(szFile).absoluteFilePath(), false);
}

bool ZodoZadar::openAlbumDocument(const AlbumDocument &doc, const QString &szPath, bool bRestored)
{
    if (!beginWorkflow(Workflow::Import, WorkflowPhase::Running))
        return false;
    // One undo step for the whole opening: settings and pictures.
    beginEdit();
    {
        auto lock = haltAndLock();
        ui->divPlayer->detachEngine();
        clearAlbumLocked();
        applyAlbumSettingsLocked(doc);
    }
    showAlbumSettings();
    showWatermarkAndMusicPages();
    emitCoverRefresh();
    m_opening = OpeningAlbum{szPath, doc.exportChoices, bRestored, doc.transitionStart};

    QStringList files;
    QList<int> rows;
    QList<PictureOptions> options;
    for (int i = 0; i < doc.pictures.size(); ++i) {
        files << doc.pictures[i].file;
        options << doc.pictures[i].options();
        // The transition after the last picture is not there yet: a later append draws it.
        rows << (i + 1 < doc.pictures.size() ? doc.transitionRowFor(i) : -1);
    }
    if (files.isEmpty()) {
        finishOpening();
        endWorkflow(Workflow::Import);
        return true;
    }
    runImport(files, ImportMode::Append, rows, options);
    // Each picture as the file has it, for one that cannot be shown: it stays in the album.
    for (int i = 0; i < doc.pictures.size(); ++i) {
        MissingPicture entry;
        entry.picture = doc.pictures[i];
        // Its transition named, so that it keeps it wherever it comes to stand.
        if (entry.picture.transition != TransitionChoice::None && entry.picture.transitionRow < 0 &&
            i + 1 < doc.pictures.size())
            entry.picture.transitionRow = doc.transitionRowFor(i);
        entry.transitionBeforeRow = i > 0 ? doc.transitionRowFor(i - 1) : -1;
        m_importEntries.insert(m_importFirstRequest + quint64(i), entry);
    }
    return true;
}

void ZodoZadar::applyAlbumSettingsLocked(const AlbumDocument &doc)
{
    RenderJob &job = RenderJob::instance();
    setUniformDurationSeconds(job, doc.durationSeconds);
    const int iRatio =
        doc.ratio == QLatin1String("auto") ? 0 : ui->comboVideoRatio->findText(doc.ratio);
    m_iRatioIndex = iRatio >= 0 ? iRatio : 1;
    applyRatioText(job, ui->comboVideoRatio->itemText(m_iRatioIndex));
    const int iHeight = ui->comboVideoHeight->findText(doc.height);
    m_iHeightIndex = iHeight >= 0 ? iHeight : 2;
    applyHeightText(job, ui->comboVideoHeight->itemText(m_iHeightIndex), fontRule);

    job.watermarkType = doc.watermarkType;
    job.watermarkPosition = doc.watermarkPosition;
    job.watermarkEffect = doc.watermarkEffect;
    job.gentleMotion = doc.gentleMotion;
    job.albumFill = doc.fill;
    job.watermarkText = doc.watermarkText;
    job.watermarkColor = doc.watermarkColor;
    QFont font(doc.watermarkFamily);
    font.setPixelSize(doc.watermarkPixelSize);
    if (font != job.watermarkFont) {
        // A font of the album's own: the height no longer resizes it.
        job.watermarkFont = font;
        fontRule.fontFollowsHeight = font.pixelSize() == fontRule.editorFont.pixelSize() &&
                                     font.family() == fontRule.editorFont.family();
    }
    closeHeldFile(job.watermarkImageFile);
    job.watermarkImagePath = doc.watermarkImage;
    if (job.watermarkType == WatermarkPicture)
        job.watermarkImageFile = openHeldFile(job.watermarkImagePath);
    closeHeldFile(job.musicFile);
    job.musicPath = doc.music;
    job.musicShape = doc.musicShape;
    job.musicType = doc.music.isEmpty() ? MusicNone : MusicCustom;
    if (job.musicType == MusicCustom)
        job.musicFile = openHeldFile(job.musicPath);
}

void ZodoZadar::finishOpening()
{
    if (!m_opening)
        return;
    const OpeningAlbum opening = *m_opening;
    m_opening.reset();
    // The first picture put 3 in the duration box, as it does in any import.
    showAlbumSettings();
    // The table goes on where the album's own start puts it: a picture appended now gets the
    // transition it would have had had the album never been saved, and saving names the start.
    const int iSlots = std::max(0, int(RenderJob::instance().materialOrder.size()) - 1);
    TransitionPicker::reset(
        int((qint64(opening.transitionStart) + 3 * qint64(iSlots)) % kTransitionKindCount));
    // The document's identity is part of the step: undo gives the previous file name back.
    m_exportChoices = opening.exportChoices;
    m_documentPath = opening.szPath;
    commitEdit(opening.bRestored ? tr("Restore album") : tr("Open album"));
    if (!opening.bRestored) {
        // A restored album is not what its file holds until it is saved.
        m_savedFiles.insert(opening.szPath, albumDocument());
        Places::addRecentAlbum(opening.szPath);
    }
    syncSavedState();
    scheduleAutosave();
    if (!m_filesAfterOpening.isEmpty()) {
        // From the event loop: the opening's workflow ends first.
        QTimer::singleShot(
            0, this, [this, files = std::exchange(m_filesAfterOpening, {})] { openFiles(files); });
    }
}

bool ZodoZadar::saveAlbum()
{
    if (m_documentPath.isEmpty())
        return saveAlbumAs();
    return writeAlbum(m_documentPath);
}

bool ZodoZadar::saveAlbumAs()
{
    // An export reads the album but never changes it: the quit question may save meanwhile.
    const bool bOwnWorkflow = !m_workflow.is(Workflow::Export);
    if (bOwnWorkflow && !beginWorkflow(Workflow::Album))
        return false;
    // The albums' folder, with the album's own name.
    QString szName = QFileInfo(m_documentPath).completeBaseName();
    if (szName.isEmpty() && m_exportChoices)
        szName = m_exportChoices->name;
    if (szName.isEmpty())
        szName = tr("Album");
    const QString szSuggested = QDir(Places::startFolder(Places::Kind::Album))
                                    .filePath(szName + QStringLiteral(".vmalbum"));
    const QString szFile = FileChooser::saveFile(tr("Save album"), szSuggested, albumFilter(),
                                                 QStringLiteral("vmalbum"));
    if (bOwnWorkflow)
        endWorkflow(Workflow::Album);
    if (szFile.isEmpty())
        return false;
    Places::rememberFile(Places::Kind::Album, szFile);
    return writeAlbum(szFile);
}

bool ZodoZadar::writeAlbum(const QString &szFile)
{
    // Not while an import or an opening changes the album; an export only reads it.
    if (!m_workflow.idle() && !m_workflow.is(Workflow::Export))
        return false;
    QString szError;
    if (!writeAlbumFile(szFile, albumDocument(), &szError)) {
        reportFailure(tr("The album could not be saved"),
                      QStringLiteral("%1: %2").arg(QFileInfo(szFile).fileName(), szError));
        return false;
    }
    m_documentPath = QFileInfo(szFile).absoluteFilePath();
    m_savedFiles.insert(m_documentPath, albumDocument());
    Places::addRecentAlbum(m_documentPath);
    syncSavedState();
    scheduleAutosave();
    return true;
}

void ZodoZadar::reportFailure(const QString &szTitle, const QString &szDetail)
{
    auto *pDialog = new FailDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setTitle(szTitle);
    pDialog->setErrorList({szDetail});
    pDialog->show();
}

bool ZodoZadar::isModified() const
{
    if (m_documentPath.isEmpty())
        return hasPictures();
    const auto it = m_savedFiles.constFind(m_documentPath);
    return it == m_savedFiles.cend() || *it != albumDocument();
}

void ZodoZadar::syncSavedState()
{
    // The stack's clean mark follows the file, whichever road (an undo, a save, an edit that
    // nets to nothing) brought the album where it is.
    const bool bModified = isModified();
    if (!bModified && !m_pUndoStack->isClean())
        m_pUndoStack->setClean();
    else if (bModified && m_pUndoStack->isClean())
        m_pUndoStack->resetClean();
    updateTitle();
}

void ZodoZadar::updateTitle()
{
    auto *pFrame = ShareCode::CFramelessWindow::instance();
    if (!pFrame || window() != pFrame)
        return;
    const bool bModified = isModified();
    if (m_documentPath.isEmpty() && !bModified) {
        pFrame->setTitleText(QString());
        return;
    }
    // "*" marks changes not yet saved, as desktop editors do; an album never saved has them all.
    const QString szName = m_documentPath.isEmpty() ? tr("Untitled album")
                                                    : QFileInfo(m_documentPath).completeBaseName();
    pFrame->setTitleText(
        QStringLiteral("%1%2 — %3")
            .arg(bModified ? QStringLiteral("*") : QString(), szName, tr("VelmoraAlbum")));
}

void ZodoZadar::startSession(const QString &szStateFolder)
{
    m_autosaveFolder = szStateFolder;
    QDir().mkpath(szStateFolder);
    const QDir dir(szStateFolder);
    // Another program of ours still running (another desktop session of the same user) holds the
    // lock and keeps its autosave; here nothing is offered and nothing saved. A copy that ended
    // in any way, a crash too, let go of it. A folder that cannot lock at all guards nothing.
    m_pSessionLock.reset();
    m_pSessionLock = std::make_unique<platform::InstanceLock>(dir.filePath(kSessionName), 0);
    if (m_pSessionLock->isBusy()) {
        m_pSessionLock.reset();
        m_autosaveFolder.clear();
        return;
    }
    QFile session(dir.filePath(kSessionName));
    if (session.open(QIODevice::WriteOnly | QIODevice::Truncate))
        session.write(QByteArray::number(QCoreApplication::applicationPid()));
    session.close();

    const QString szAutosave = dir.filePath(kAutosaveName);
    if (!QFileInfo::exists(szAutosave))
        return;
    // Left behind: the last session ended without the quit question (a crash, a kill).
    const AlbumReadResult read = readAlbumFile(szAutosave);
    if (!read.ok || read.album.pictures.isEmpty()) {
        removeAutosave();
        return;
    }
    QFile source(dir.filePath(kAutosaveSourceName));
    QString szSource;
    if (source.open(QIODevice::ReadOnly))
        szSource = QString::fromUtf8(source.readAll());
    const QDateTime stChanged = QFileInfo(szAutosave).lastModified();

    ShareCode::CQDlgTipSimple question;
    question.setTitle(tr("VelmoraAlbum"));
    question.setMessage(tr("Restore the album you were working on?") + QLatin1Char('\n') +
                        tr("Last changed %1, %n picture(s)", nullptr, read.album.pictures.size())
                            .arg(QLocale().toString(stChanged, QLocale::ShortFormat)));
    question.setOkText(tr("Restore"));
    question.setCancelText(tr("Discard"));
    if (question.exec() != QDialog::Accepted) {
        removeAutosave();
        return;
    }
    openAlbumDocument(read.album, szSource, true);
}

void ZodoZadar::scheduleAutosave()
{
    if (!m_autosaveFolder.isEmpty())
        m_pAutosaveTimer->start(kAutosaveDelayMs);
}

void ZodoZadar::writeAutosave()
{
    if (m_autosaveFolder.isEmpty())
        return;
    // An album being imported or opened is written once it is whole.
    if (!m_workflow.idle() && m_workflow.is(Workflow::Import)) {
        scheduleAutosave();
        return;
    }
    const QDir dir(m_autosaveFolder);
    if (!hasPictures()) {
        removeAutosave();
        return;
    }
    QString szError;
    if (!writeAlbumFile(dir.filePath(kAutosaveName), albumDocument(), &szError)) {
        qWarning("VMAlbum: autosave failed: %s", qUtf8Printable(szError));
        // Said once per run of failures; every edit tries again.
        if (!m_bAutosaveFailing)
            toast(tr("The album could not be saved for restoring: %1").arg(szError), nullptr,
                  kAutosaveToastMs);
        m_bAutosaveFailing = true;
        return;
    }
    m_bAutosaveFailing = false;
    QFile source(dir.filePath(kAutosaveSourceName));
    if (m_documentPath.isEmpty()) {
        source.remove();
    } else if (source.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        source.write(m_documentPath.toUtf8());
    }
}

void ZodoZadar::removeAutosave()
{
    if (m_autosaveFolder.isEmpty())
        return;
    const QDir dir(m_autosaveFolder);
    QFile::remove(dir.filePath(kAutosaveName));
    QFile::remove(dir.filePath(kAutosaveSourceName));
}

void ZodoZadar::endSession()
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
