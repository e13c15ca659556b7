// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: from the export button to a written video file, and the exit question.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "album.h"
#include "cqdlgtipsimple.h"
#include "cqquitdialog.h"
#include "cqtoast.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "filemanager.h"
#include "imagelistview.h"
#include "mediaencoder.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "successdialog.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The leading decimal integer of a choice's text ("24fps" 24, "self-adaption" 0), as atoi reads it.
int64_t leadingInteger(const QString &szText)
{
    return std::atoll(szText.toLatin1().constData());
}
} // namespace

void ZodoZadar::prepareExport()
{
    // One export settings dialog at a time: asking again shows the one that is open.
    if (m_workflow.is(Workflow::Export, WorkflowPhase::Asking) && m_pExportDialog &&
        m_pExportDialog->isVisible()) {
        m_pExportDialog->raise();
        m_pExportDialog->activateWindow();
        return;
    }
    if (!hasRenderedPictures() || !beginWorkflow(Workflow::Export))
        return;
    halt();
    // Pictures the album cannot show are left out, once the user agrees.
    if (!confirmExportWithMissing()) {
        endWorkflow(Workflow::Export);
        return;
    }
    exportSetting();
}

void ZodoZadar::exportSetting()
{
    if (m_pExportDialog)
        return;
    if (!m_workflow.is(Workflow::Export, WorkflowPhase::Asking) && !beginWorkflow(Workflow::Export))
        return;
    Album &job = m_pDocument->edit();
    auto *pDialog = new ExportSettingDialog(ShareCode::QtInversionWidget::instance());
    m_pExportDialog = pDialog;
    pDialog->setAudioSettingsEnabled(job.musicType != MusicNone && !job.musicPath.isEmpty());
    if (m_pDocument->exportChoices()) {
        // An opened or restored album starts from its own choices.
        const AlbumExportChoices &c = *m_pDocument->exportChoices();
        pDialog->selectChoices(c.format, c.fps, c.videoBitrateKbps, c.audioBitrateKbps,
                               c.sampleRate);
        if (!c.folder.isEmpty() && QFileInfo(c.folder).isDir())
            pDialog->changeFileDirectory(QDir::toNativeSeparators(c.folder));
        if (!c.name.isEmpty())
            pDialog->changeFileName(c.name);
    }
    // A named album names its video, unless it remembers a name of its own.
    const QString szAlbumName = QFileInfo(documentPath()).completeBaseName();
    if (pDialog->fileName().isEmpty() && !szAlbumName.isEmpty() &&
        ExportSettingDialog::isValidFileName(szAlbumName) &&
        ExportSettingDialog::fitsNameLimit(szAlbumName, pDialog->exportFormat()))
        pDialog->changeFileName(szAlbumName);

    job.exportDirectory = pDialog->fileDirectory();
    pDialog->changeFileDirectory(job.exportDirectory);
    job.exportFormat = pDialog->exportFormat();
    job.frameRate = {static_cast<int>(leadingInteger(pDialog->frameRate())), 1};
    job.videoBitRate = leadingInteger(pDialog->videoBitRate()) * 1000;
    job.audioBitRate = leadingInteger(pDialog->audioBitRate()) * 1000;
    job.sampleRate = leadingInteger(pDialog->sampleRate());
    // The name the field starts with is the one to write, as if typed.
    job.fileName = pDialog->fileName();

    // The export's own settings: the snapshot handed to the encoder is taken as it starts.
    connect(pDialog, &ExportSettingDialog::sig_exportFormatChanged, this,
            [this](QString szFormat) { m_pDocument->edit().exportFormat = szFormat; });
    connect(pDialog, &ExportSettingDialog::sig_frameRateChanged, this, [this](QString szText) {
        m_pDocument->edit().frameRate = {static_cast<int>(leadingInteger(szText)), 1};
    });
    connect(pDialog, &ExportSettingDialog::sig_videoBitRateChanged, this, [this](QString szText) {
        m_pDocument->edit().videoBitRate = leadingInteger(szText) * 1000;
    });
    connect(pDialog, &ExportSettingDialog::sig_audioBitRateChanged, this, [this](QString szText) {
        m_pDocument->edit().audioBitRate = leadingInteger(szText) * 1000;
    });
    connect(pDialog, &ExportSettingDialog::sig_sampleRateChanged, this,
            [this](QString szText) { m_pDocument->edit().sampleRate = leadingInteger(szText); });
    connect(pDialog, &ExportSettingDialog::sig_fileNameChanged, this,
            [this](QString szName) { m_pDocument->edit().fileName = szName; });
    connect(pDialog, &ExportSettingDialog::sig_fileDirectoryChanged, this,
            [this](QString szDir) { m_pDocument->edit().exportDirectory = szDir; });
    // Each request is answered for the dialog that sent it.
    connect(pDialog, &ExportSettingDialog::sig_exportRequest, this,
            [this, pDialog] { exportRequest(pDialog); });
    // Closed without exporting: the export workflow ends with it.
    connect(pDialog, &QObject::destroyed, this, [this] {
        if (m_workflow.is(Workflow::Export, WorkflowPhase::Asking))
            endWorkflow(Workflow::Export);
    });
    pDialog->show();
}

void ZodoZadar::rememberExportChoices(const ExportSettingDialog *pDialog)
{
    // The album keeps what it was last exported with, for its file and the next export.
    const Album &job = m_pDocument->album();
    AlbumExportChoices c;
    c.format = job.exportFormat;
    c.fps = job.frameRate.num;
    c.videoBitrateKbps = job.videoBitRate / 1000;
    c.audioBitrateKbps = job.audioBitRate / 1000;
    c.sampleRate = int(job.sampleRate);
    c.folder = QDir::fromNativeSeparators(pDialog->fileDirectory());
    c.name = pDialog->fileName();
    // The total is the file's length at the rate it is written at.
    setTotalTimeDisplay();
    if (c == m_pDocument->exportChoices())
        return;
    // Part of the album file: the album is unsaved now, and the autosave keeps them.
    m_pDocument->setExportChoices(c);
    m_pDocument->changeDone();
}

QString ZodoZadar::exportTarget(const QString &szDir, const QString &szName) const
{
    // The exact path the encoder writes: the extension in lower case, on a case-sensitive disk.
    return QStringLiteral("%1/%2.%3")
        .arg(QDir::fromNativeSeparators(szDir), szName,
             m_pDocument->album().exportFormat.toLower());
}

void ZodoZadar::exportRequest(ExportSettingDialog *pDialog)
{
    // A request from a dialog that is not the current one, while the overwrite question is up,
    // or after the export has started, answers nothing.
    if (!pDialog || pDialog != m_pExportDialog || m_bOverwriteQuestion ||
        !m_workflow.is(Workflow::Export, WorkflowPhase::Asking))
        return;
    if (!hasRenderedPictures()) {
        toast(tr("Add pictures before exporting"), pDialog);
        return;
    }
    rememberExportChoices(pDialog);
    QPointer<ExportSettingDialog> dialog = pDialog;
    const QString szDir = pDialog->fileDirectory();
    if (!QFileInfo::exists(exportTarget(szDir, pDialog->fileName()))) {
        pDialog->close();
        m_pExportDialog = nullptr;
        exportVideo();
        return;
    }
    pDialog->hide();
    ShareCode::CQDlgTipSimple question;
    question.setTitle(tr("Tips"));
    question.setMessage(tr("The file already exists. Do you want to overwrite it?"));
    question.setOkText(tr("Cover"));
    question.setCancelText(tr("Uncover"));
    m_bOverwriteQuestion = true;
    const bool bCover = question.exec() == QDialog::Accepted;
    m_bOverwriteQuestion = false;
    if (!dialog)
        return;
    if (bCover) {
        dialog->close();
        m_pExportDialog = nullptr;
        exportVideo();
        return;
    }
    const QString szBase = dialog->fileName();
    for (int n = 1;; ++n) {
        const QString szCandidate = QStringLiteral("%1(%2)").arg(szBase, QString::number(n));
        dialog->changeFileName(szCandidate);
        // A candidate the dialog refuses (too long) leaves its name; the user picks another.
        if (dialog->fileName() != szCandidate ||
            !QFileInfo::exists(exportTarget(szDir, szCandidate)))
            break;
    }
    dialog->show();
}

void ZodoZadar::exportVideo()
{
    // Only from the export settings (or as a workflow of its own when called directly), never
    // during another export, and never without pictures.
    if (!m_workflow.is(Workflow::Export, WorkflowPhase::Asking) && !beginWorkflow(Workflow::Export))
        return;
    if (!hasRenderedPictures()) {
        endWorkflow(Workflow::Export);
        toast(tr("Add pictures before exporting"));
        return;
    }
    advanceWorkflow(Workflow::Export, WorkflowPhase::Running);
    auto *pProgress = new ProgressDialog(ShareCode::QtInversionWidget::instance());
    pProgress->setAttribute(Qt::WA_DeleteOnClose, false);
    pProgress->setTextPrefix(tr("exporting... "));
    pProgress->setBackgroundPicture(QStringLiteral(":/theme_local/imgs/dlg_export_images.png"));
    connect(m_pEncoder, &MediaEncoder::sig_exportProgress, pProgress,
            [pProgress](int iVal) { pProgress->setValue(iVal); });
    connect(m_pEncoder, &MediaEncoder::sig_succeeded, pProgress,
            [this, pProgress] { exportSucceeded(pProgress); });
    connect(m_pEncoder, &MediaEncoder::sig_exportFail, pProgress,
            [this, pProgress](QString szError) { exportFailed(pProgress, szError); });
    connect(m_pEncoder, &MediaEncoder::sig_exportCancelled, pProgress,
            [this, pProgress] { exportCancelled(pProgress); });
    // Minutes of work end only on a confirmed request; the export runs on while it is asked.
    pProgress->setStopQuestion(tr("Tips"), tr("Stop the export?"), tr("Stop"), tr("Continue"));
    // Hiding the progress dialog (a confirmed stop) cancels the export within one frame.
    connect(pProgress, &ProgressDialog::sig_hided, this, [this] { m_pEncoder->running = false; });

    {
        // The encoder reads the album without locks for the whole export: nothing may still be
        // rendering it, and nothing edits it until the export ends (the controls are disabled).
        halt();
        Album &job = m_pDocument->edit();
        job.materialOrder = rowPaths();
        if (selfAdaptingRatio())
            applySelfAdaptingRatio(job);
        job.updateWidth();
    }
    publishAlbum();
    emit m_pEncoder->sig_exportVideo(); // sets the encoder's running flag as it is emitted
    pProgress->show();
}

void ZodoZadar::exportSucceeded(ProgressDialog *pProgress)
{
    pProgress->close();
    pProgress->deleteLater();
    advanceWorkflow(Workflow::Export, WorkflowPhase::Reporting);
    auto *pDialog = new SuccessDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setFilePath(m_pDocument->edit().outputFilePath());
    connect(pDialog, &SuccessDialog::sig_explorerFolderRequest, this, &ZodoZadar::openExportFolder);
    connect(pDialog, &QObject::destroyed, this, [this] { endWorkflow(Workflow::Export); });
    pDialog->show();
}

void ZodoZadar::exportFailed(ProgressDialog *pProgress, const QString &szError)
{
    lastErrorText = szError;
    pProgress->close();
    pProgress->deleteLater();
    advanceWorkflow(Workflow::Export, WorkflowPhase::Reporting);
    auto *pDialog = new FailDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setTitle(tr("Export failed..."));
    pDialog->setErrorMessage(lastErrorText);
    connect(pDialog, &QObject::destroyed, this, [this] { endWorkflow(Workflow::Export); });
    pDialog->show();
}

void ZodoZadar::exportCancelled(ProgressDialog *pProgress)
{
    // The user asked for it: no failure to report, and the album is free again at once.
    pProgress->close();
    pProgress->deleteLater();
    endWorkflow(Workflow::Export);
    toast(tr("Export cancelled"));
}

void ZodoZadar::openExportFolder()
{
    const Album &job = m_pDocument->album();
    const QString szPath =
        QDir::toNativeSeparators(QStringLiteral("%1/%2.%3")
                                     .arg(QDir::fromNativeSeparators(job.exportDirectory),
                                          job.fileName, job.exportFormat.toLower()));
    // Where nothing opens the folder, the success dialog that asked says so.
    QPointer<SuccessDialog> dialog = qobject_cast<SuccessDialog *>(sender());
    platform::showFileInFileManager(szPath, [dialog](bool bShown) {
        if (!bShown && dialog)
            dialog->showFolderNotOpened();
    });
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
    if (playerState == 1)
        pausePreview();
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
