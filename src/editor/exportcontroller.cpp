// SPDX-License-Identifier: GPL-3.0-or-later
// From the export button to a written video file: the settings, the overwrite question, the
// progress and the result.
#include "exportcontroller.h"

#include "albumdocument.h"
#include "cqdlgtipsimple.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "filemanager.h"
#include "mediaencoder.h"
#include "missingpictures.h"
#include "previewcontroller.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "successdialog.h"
#include "zodozadar.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The leading decimal integer of a choice's text ("24fps" 24, "self-adaption" 0), as atoi reads it.
int64_t leadingInteger(const QString &szText)
{
    return std::atoll(szText.toLatin1().constData());
}
} // namespace

ExportController::ExportController(ZodoZadar &editor, AlbumDocument *pDocument,
                                   MediaEncoder *pEncoder, PreviewController *pPreview,
                                   MissingPictures *pMissing)
    : m_editor(editor), m_pDocument(pDocument), m_pEncoder(pEncoder), m_pPreview(pPreview),
      m_pMissing(pMissing)
{
}

void ExportController::prepare()
{
    // One export settings dialog at a time: asking again shows the one that is open.
    if (m_editor.workflow().is(Workflow::Export, WorkflowPhase::Asking) && m_pDialog &&
        m_pDialog->isVisible()) {
        m_pDialog->raise();
        m_pDialog->activateWindow();
        return;
    }
    if (!m_editor.hasRenderedPictures() || !m_editor.beginWorkflow(Workflow::Export))
        return;
    m_pPreview->halt();
    // Pictures the album cannot show are left out, once the user agrees.
    if (!m_pMissing->confirmExport()) {
        m_editor.endWorkflow(Workflow::Export);
        return;
    }
    showSettings();
}

void ExportController::showSettings()
{
    if (m_pDialog)
        return;
    if (!m_editor.workflow().is(Workflow::Export, WorkflowPhase::Asking) &&
        !m_editor.beginWorkflow(Workflow::Export))
        return;
    Album &job = m_pDocument->edit();
    auto *pDialog = new ExportSettingDialog(ShareCode::QtInversionWidget::instance());
    m_pDialog = pDialog;
    pDialog->setAudioSources(job.musicType != MusicNone && !job.musicPath.isEmpty(),
                             job.clipsHaveSound());
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
    const QString szAlbumName = QFileInfo(m_pDocument->path()).completeBaseName();
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
    QObject::connect(pDialog, &ExportSettingDialog::sig_exportFormatChanged, &m_editor,
                     [this](QString szFormat) { m_pDocument->edit().exportFormat = szFormat; });
    QObject::connect(
        pDialog, &ExportSettingDialog::sig_frameRateChanged, &m_editor, [this](QString szText) {
            m_pDocument->edit().frameRate = {static_cast<int>(leadingInteger(szText)), 1};
        });
    QObject::connect(pDialog, &ExportSettingDialog::sig_videoBitRateChanged, &m_editor,
                     [this](QString szText) {
                         m_pDocument->edit().videoBitRate = leadingInteger(szText) * 1000;
                     });
    QObject::connect(pDialog, &ExportSettingDialog::sig_audioBitRateChanged, &m_editor,
                     [this](QString szText) {
                         m_pDocument->edit().audioBitRate = leadingInteger(szText) * 1000;
                     });
    QObject::connect(
        pDialog, &ExportSettingDialog::sig_sampleRateChanged, &m_editor,
        [this](QString szText) { m_pDocument->edit().sampleRate = leadingInteger(szText); });
    QObject::connect(pDialog, &ExportSettingDialog::sig_fileNameChanged, &m_editor,
                     [this](QString szName) { m_pDocument->edit().fileName = szName; });
    QObject::connect(pDialog, &ExportSettingDialog::sig_fileDirectoryChanged, &m_editor,
                     [this](QString szDir) { m_pDocument->edit().exportDirectory = szDir; });
    // Each request is answered for the dialog that sent it.
    QObject::connect(pDialog, &ExportSettingDialog::sig_exportRequest, &m_editor,
                     [this, pDialog] { request(pDialog); });
    // Closed without exporting: the export workflow ends with it.
    QObject::connect(pDialog, &QObject::destroyed, &m_editor, [this] {
        if (m_editor.workflow().is(Workflow::Export, WorkflowPhase::Asking))
            m_editor.endWorkflow(Workflow::Export);
    });
    pDialog->show();
}

void ExportController::rememberChoices(const ExportSettingDialog *pDialog)
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
    m_editor.setTotalTimeDisplay();
    if (c == m_pDocument->exportChoices())
        return;
    // Part of the album file: the album is unsaved now, and the autosave keeps them.
    m_pDocument->setExportChoices(c);
    m_pDocument->changeDone();
}

QString ExportController::target(const QString &szDir, const QString &szName) const
{
    // The exact path the encoder writes: the extension in lower case, on a case-sensitive disk.
    return QStringLiteral("%1/%2.%3")
        .arg(QDir::fromNativeSeparators(szDir), szName,
             m_pDocument->album().exportFormat.toLower());
}

void ExportController::request(ExportSettingDialog *pDialog)
{
    // A request from a dialog that is not the current one, while the overwrite question is up,
    // or after the export has started, answers nothing.
    if (!pDialog || pDialog != m_pDialog || m_bOverwriteQuestion ||
        !m_editor.workflow().is(Workflow::Export, WorkflowPhase::Asking))
        return;
    if (!m_editor.hasRenderedPictures()) {
        m_editor.toast(tr("Add pictures before exporting"), pDialog);
        return;
    }
    rememberChoices(pDialog);
    QPointer<ExportSettingDialog> dialog = pDialog;
    const QString szDir = pDialog->fileDirectory();
    if (!QFileInfo::exists(target(szDir, pDialog->fileName()))) {
        pDialog->close();
        m_pDialog = nullptr;
        start();
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
        m_pDialog = nullptr;
        start();
        return;
    }
    const QString szBase = dialog->fileName();
    for (int n = 1;; ++n) {
        const QString szCandidate = QStringLiteral("%1(%2)").arg(szBase, QString::number(n));
        dialog->changeFileName(szCandidate);
        // A candidate the dialog refuses (too long) leaves its name; the user picks another.
        if (dialog->fileName() != szCandidate || !QFileInfo::exists(target(szDir, szCandidate)))
            break;
    }
    dialog->show();
}

void ExportController::start()
{
    // Only from the export settings (or as a workflow of its own when called directly), never
    // during another export, and never without pictures.
    if (!m_editor.workflow().is(Workflow::Export, WorkflowPhase::Asking) &&
        !m_editor.beginWorkflow(Workflow::Export))
        return;
    if (!m_editor.hasRenderedPictures()) {
        m_editor.endWorkflow(Workflow::Export);
        m_editor.toast(tr("Add pictures before exporting"));
        return;
    }
    m_editor.advanceWorkflow(Workflow::Export, WorkflowPhase::Running);
    auto *pProgress = new ProgressDialog(ShareCode::QtInversionWidget::instance());
    pProgress->setAttribute(Qt::WA_DeleteOnClose, false);
    pProgress->setTextPrefix(tr("exporting... "));
    pProgress->setBackgroundPicture(QStringLiteral(":/theme_local/imgs/dlg_export_images.png"));
    QObject::connect(m_pEncoder, &MediaEncoder::sig_exportProgress, pProgress,
                     [pProgress](int iVal) { pProgress->setValue(iVal); });
    QObject::connect(m_pEncoder, &MediaEncoder::sig_succeeded, pProgress,
                     [this, pProgress] { succeeded(pProgress); });
    QObject::connect(m_pEncoder, &MediaEncoder::sig_exportFail, pProgress,
                     [this, pProgress](QString szError) { failed(pProgress, szError); });
    QObject::connect(m_pEncoder, &MediaEncoder::sig_exportCancelled, pProgress,
                     [this, pProgress] { cancelled(pProgress); });
    // Minutes of work end only on a confirmed request; the export runs on while it is asked.
    pProgress->setStopQuestion(tr("Tips"), tr("Stop the export?"), tr("Stop"), tr("Continue"));
    // Hiding the progress dialog (a confirmed stop) cancels the export within one frame.
    QObject::connect(pProgress, &ProgressDialog::sig_hided, &m_editor,
                     [this] { m_pEncoder->running = false; });

    {
        // The encoder reads the album without locks for the whole export: nothing may still be
        // rendering it, and nothing edits it until the export ends (the controls are disabled).
        m_pPreview->halt();
        Album &job = m_pDocument->edit();
        job.materialOrder = m_editor.rowPaths();
        if (m_editor.selfAdaptingRatio())
            applySelfAdaptingRatio(job);
        job.updateWidth();
    }
    m_pEncoder->setAlbum(m_pDocument->snapshot());
    emit m_pEncoder->sig_exportVideo(); // sets the encoder's running flag as it is emitted
    pProgress->show();
}

void ExportController::succeeded(ProgressDialog *pProgress)
{
    pProgress->close();
    pProgress->deleteLater();
    m_editor.advanceWorkflow(Workflow::Export, WorkflowPhase::Reporting);
    auto *pDialog = new SuccessDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setFilePath(m_pDocument->album().outputFilePath());
    QPointer<SuccessDialog> dialog = pDialog;
    QObject::connect(pDialog, &SuccessDialog::sig_explorerFolderRequest, &m_editor,
                     [this, dialog] { openFolder(dialog); });
    QObject::connect(pDialog, &QObject::destroyed, &m_editor,
                     [this] { m_editor.endWorkflow(Workflow::Export); });
    pDialog->show();
}

void ExportController::failed(ProgressDialog *pProgress, const QString &szError)
{
    pProgress->close();
    pProgress->deleteLater();
    m_editor.advanceWorkflow(Workflow::Export, WorkflowPhase::Reporting);
    auto *pDialog = new FailDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setTitle(tr("Export failed..."));
    pDialog->setErrorMessage(szError);
    QObject::connect(pDialog, &QObject::destroyed, &m_editor,
                     [this] { m_editor.endWorkflow(Workflow::Export); });
    pDialog->show();
}

void ExportController::cancelled(ProgressDialog *pProgress)
{
    // The user asked for it: no failure to report, and the album is free again at once.
    pProgress->close();
    pProgress->deleteLater();
    m_editor.endWorkflow(Workflow::Export);
    m_editor.toast(tr("Export cancelled"));
}

void ExportController::openFolder(const QPointer<SuccessDialog> &dialog)
{
    const Album &job = m_pDocument->album();
    const QString szPath =
        QDir::toNativeSeparators(QStringLiteral("%1/%2.%3")
                                     .arg(QDir::fromNativeSeparators(job.exportDirectory),
                                          job.fileName, job.exportFormat.toLower()));
    // Where nothing opens the folder, the success dialog that asked says so.
    platform::showFileInFileManager(szPath, [dialog](bool bShown) {
        if (!bShown && dialog)
            dialog->showFolderNotOpened();
    });
}
