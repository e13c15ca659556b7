// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the album as a document: new, open, save, autosave and restore, the title,
// and the question before the window closes.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "previewcontroller.h"

#include "album.h"
#include "albumdocument.h"
#include "albumfile.h"
#include "cframelesswindow.h"
#include "cqcombobox.h"
#include "cqdlgtipsimple.h"
#include "cqquitdialog.h"
#include "cqvideoplay.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagelistview.h"
#include "places.h"
#include "previewcontroller.h"
#include "qtinversionwidget.h"

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
QString albumFilter()
{
    return ZodoZadar::tr("VelmoraAlbum albums (*.vmalbum)");
}
} // namespace

QString ZodoZadar::documentPath() const
{
    return m_pDocument->path();
}

StoredAlbum ZodoZadar::storedAlbum() const
{
    return m_pDocument->storedAlbum();
}

void ZodoZadar::newAlbum()
{
    if (!m_workflow.idle())
        return;
    // A new document: no file, no export choices of its own (undo gives the old one back).
    m_pDocument->replace(m_startState, tr("New album"));
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

bool ZodoZadar::openAlbumDocument(const StoredAlbum &doc, const QString &szPath, bool bRestored)
{
    if (!beginWorkflow(Workflow::Import, WorkflowPhase::Running))
        return false;
    // One undo step for the whole opening: settings and pictures.
    m_pDocument->beginEdit();
    {
        m_pPreview->halt();
        ui->divPlayer->detachEngine();
        clearAlbumView();
        applyAlbumSettings(doc);
    }
    showAlbumSettings();
    showWatermarkAndMusicPages();
    m_pPreview->refreshCover();
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

void ZodoZadar::applyAlbumSettings(const StoredAlbum &doc)
{
    Album &job = m_pDocument->edit();
    setUniformDurationSeconds(job, doc.durationSeconds);
    const int iRatio = ratioIndexOf(doc.ratio);
    job.ratioIndex = iRatio >= 0 ? iRatio : 1;
    applyRatioText(job, ui->comboVideoRatio->itemText(job.ratioIndex));
    const int iHeight = heightIndexOf(doc.height);
    job.heightIndex = iHeight >= 0 ? iHeight : 2;
    applyHeightText(job, heightTextOf(job.heightIndex), job.fontRule);

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
        job.fontRule.fontFollowsHeight = font.pixelSize() == job.fontRule.editorFont.pixelSize() &&
                                         font.family() == job.fontRule.editorFont.family();
    }
    job.watermarkImagePath = doc.watermarkImage;
    job.musicPath = doc.music;
    job.musicShape = doc.musicShape;
    job.musicType = doc.music.isEmpty() ? MusicNone : MusicCustom;
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
    const int iSlots = std::max(0, int(m_pDocument->album().materialOrder.size()) - 1);
    TransitionPicker::reset(
        int((qint64(opening.transitionStart) + 3 * qint64(iSlots)) % kTransitionKindCount));
    // The document's identity is part of the step: undo gives the previous file name back.
    m_pDocument->setExportChoices(opening.exportChoices);
    m_pDocument->setPath(opening.szPath);
    m_pDocument->commitEdit(opening.bRestored ? tr("Restore album") : tr("Open album"));
    if (!opening.bRestored) {
        // A restored album is not what its file holds until it is saved.
        m_pDocument->rememberSaved(opening.szPath, m_pDocument->storedAlbum());
        Places::addRecentAlbum(opening.szPath);
    }
    if (!m_filesAfterOpening.isEmpty()) {
        // From the event loop: the opening's workflow ends first.
        QTimer::singleShot(
            0, this, [this, files = std::exchange(m_filesAfterOpening, {})] { openFiles(files); });
    }
}

bool ZodoZadar::saveAlbum()
{
    if (m_pDocument->path().isEmpty())
        return saveAlbumAs();
    return writeAlbum(m_pDocument->path());
}

bool ZodoZadar::saveAlbumAs()
{
    // An export reads the album but never changes it: the quit question may save meanwhile.
    const bool bOwnWorkflow = !m_workflow.is(Workflow::Export);
    if (bOwnWorkflow && !beginWorkflow(Workflow::Album))
        return false;
    // The albums' folder, with the album's own name.
    QString szName = QFileInfo(m_pDocument->path()).completeBaseName();
    if (szName.isEmpty() && m_pDocument->exportChoices())
        szName = m_pDocument->exportChoices()->name;
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
    if (!m_pDocument->save(szFile, &szError)) {
        reportFailure(tr("The album could not be saved"),
                      QStringLiteral("%1: %2").arg(QFileInfo(szFile).fileName(), szError));
        return false;
    }
    Places::addRecentAlbum(m_pDocument->path());
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
    return m_pDocument->isModified();
}

void ZodoZadar::updateTitle()
{
    auto *pFrame = ShareCode::CFramelessWindow::instance();
    if (!pFrame || window() != pFrame)
        return;
    const bool bModified = isModified();
    if (m_pDocument->path().isEmpty() && !bModified) {
        pFrame->setTitleText(QString());
        return;
    }
    // "*" marks changes not yet saved, as desktop editors do; an album never saved has them all.
    const QString szName = m_pDocument->path().isEmpty()
                               ? tr("Untitled album")
                               : QFileInfo(m_pDocument->path()).completeBaseName();
    pFrame->setTitleText(
        QStringLiteral("%1%2 — %3")
            .arg(bModified ? QStringLiteral("*") : QString(), szName, tr("VelmoraAlbum")));
}

void ZodoZadar::startSession(const QString &szStateFolder)
{
    if (!m_pDocument->startSession(szStateFolder))
        return;
    const std::optional<AlbumDocument::LeftAlbum> left = m_pDocument->leftAlbum();
    if (!left)
        return;
    const StoredAlbum &album = left->album;
    const QDateTime stChanged = left->changed;
    const QString szSource = left->sourcePath;
    ShareCode::CQDlgTipSimple question;
    question.setTitle(tr("VelmoraAlbum"));
    question.setMessage(tr("Restore the album you were working on?") + QLatin1Char('\n') +
                        tr("Last changed %1, %n picture(s)", nullptr, album.pictures.size())
                            .arg(QLocale().toString(stChanged, QLocale::ShortFormat)));
    question.setOkText(tr("Restore"));
    question.setCancelText(tr("Discard"));
    if (question.exec() != QDialog::Accepted) {
        m_pDocument->removeAutosave();
        return;
    }
    openAlbumDocument(album, szSource, true);
}

void ZodoZadar::endSession()
{
    m_pDocument->endSession();
}

void ZodoZadar::closeRequest()
{
    const auto quit = [this] {
        if (QWidget *pWindow = window())
            pWindow->close();
    };
    // Nothing would be lost: an empty album, or one its file holds as it is.
    if (ui->imageSourceList->model()->rowCount() == 0 ||
        (!m_pDocument->path().isEmpty() && !isModified())) {
        quit();
        return;
    }
    if (m_pPreview->state() == PreviewController::Playing)
        m_pPreview->pause();
    // One question at a time.
    if (m_pQuitDialog) {
        m_pQuitDialog->raise();
        m_pQuitDialog->activateWindow();
        return;
    }
    auto *pDialog = new ShareCode::CQQuitDialog(ShareCode::QtInversionWidget::instance());
    m_pQuitDialog = pDialog;
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setTitle(tr("Tips"));
    if (m_pDocument->path().isEmpty()) {
        // Never saved: the album goes unless it is saved now.
        pDialog->setTip(tr("Editing electronic photo album, do you want to exit the software?"));
        pDialog->setTip2(tr("Exit will not save the file"));
        pDialog->setOkText(tr("ok"));
        pDialog->setCancelText(tr("cancel"));
        pDialog->setOtherText(tr("Save…"));
        connect(pDialog, &ShareCode::CQQuitDialog::okSignal, this, quit);
        connect(pDialog, &ShareCode::CQQuitDialog::otherSignal, this, [this, quit] {
            if (saveAlbumAs())
                quit();
        });
    } else {
        pDialog->setTip(tr("Save changes to “%1” before closing?")
                            .arg(QFileInfo(m_pDocument->path()).completeBaseName()));
        pDialog->setTip2(tr("If you don't save, the changes since the last save are lost."));
        pDialog->setOkText(tr("Save"));
        pDialog->setCancelText(tr("Cancel"));
        pDialog->setOtherText(tr("Don't save"), true);
        connect(pDialog, &ShareCode::CQQuitDialog::okSignal, this, [this, quit] {
            if (saveAlbum())
                quit();
        });
        connect(pDialog, &ShareCode::CQQuitDialog::otherSignal, this, quit);
    }
    pDialog->show();
}
