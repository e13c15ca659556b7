// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: importing pictures through the decoder, with progress and a failure report.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "missingpictures.h"

#include "previewcontroller.h"

#include "albumdocument.h"

#include "album.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "droppedfiles.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "places.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <utility>

QStringList ZodoZadar::choosePictureFiles()
{
    if (!beginWorkflow(Workflow::Import))
        return {};
    const QStringList files = FileChooser::openFiles(
        tr("VMAlbum"), Places::startFolder(Places::Kind::Pictures),
        tr("JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG "
           "Files(*.png)"));
    if (files.isEmpty())
        endWorkflow(Workflow::Import);
    else
        Places::rememberFile(Places::Kind::Pictures, files.first());
    return files;
}

void ZodoZadar::replacePictures()
{
    const int iRows = ui->imageSourceList->model()->rowCount();
    if (iRows > 0 && m_workflow.idle()) {
        // The button reads as "add more" to many: say what it does before it does it.
        ShareCode::CQDlgTipSimple question;
        question.setTitle(tr("Tips"));
        question.setMessage(tr(
            "Replace the %n pictures of this album? Their settings go with them.", nullptr, iRows));
        question.setOkText(tr("Replace"));
        question.setCancelText(tr("Cancel"));
        if (question.exec() != QDialog::Accepted)
            return;
    }
    selectImageSources();
}

void ZodoZadar::selectImageSources()
{
    const QStringList files = choosePictureFiles();
    if (!files.isEmpty())
        runImport(files);
}

bool ZodoZadar::openFiles(const QStringList &files)
{
    const bool bOurs = std::any_of(files.cbegin(), files.cend(), [](const QString &szFile) {
        return isAlbumFileName(szFile) || isPictureFileName(szFile);
    });
    if (!bOurs)
        return false;
    if (m_opening) {
        // An album being opened or restored (at start-up, files given on the command line wait
        // for the restore question's answer): these come once it is whole.
        m_filesAfterOpening << files;
        return true;
    }
    if (!canTakeDrops()) {
        // The user is in the middle of something (a panel, a question, an import): the files
        // wait until the user is back in the window, as a drop would be refused meanwhile.
        m_handedFiles << files;
        m_pHandedFilesTimer->start();
        return true;
    }
    // An album file names a whole album: it opens, and files given beside it are not mixed in.
    for (const QString &szFile : files) {
        if (isAlbumFileName(szFile))
            return openAlbumFile(szFile);
    }
    QStringList pictures;
    for (const QString &szFile : files) {
        if (isPictureFileName(szFile))
            pictures << szFile;
    }
    return importPictures(pictures);
}

void ZodoZadar::openWaitingFiles()
{
    if (m_handedFiles.isEmpty()) {
        m_pHandedFilesTimer->stop();
        return;
    }
    if (!canTakeDrops())
        return;
    m_pHandedFilesTimer->stop();
    openFiles(std::exchange(m_handedFiles, {}));
}

bool ZodoZadar::importPictures(const QStringList &files)
{
    if (files.isEmpty() || !beginWorkflow(Workflow::Import))
        return false;
    runImport(files);
    return true;
}

void ZodoZadar::addPictures()
{
    if (!hasPictures()) {
        // Nothing to add to: the same as the add button.
        selectImageSources();
        return;
    }
    const QStringList files = choosePictureFiles();
    if (!files.isEmpty())
        runImport(files, ImportMode::Append);
}

void ZodoZadar::runImport(const QStringList &files, ImportMode mode, const QList<int> &kindRows,
                          const QList<PictureOptions> &options)
{
    advanceWorkflow(Workflow::Import, WorkflowPhase::Running);
    // The album before the import comes back with one undo.
    m_pDocument->beginEdit();
    if (mode == ImportMode::Replace) {
        m_pPreview->halt();
        ui->divPlayer->detachEngine();
        if (m_pDocument->hasPictures())
            clearAlbumView();
        // A new, unnamed document, as "New album" makes; undo gives the old one back.
        m_pDocument->setPath(QString());
        m_pDocument->setExportChoices(std::nullopt);
    } else {
        // What plays now stops first.
        m_pPreview->halt();
    }
    m_iPreviousKindRow = -1;
    m_importKindRows.clear();
    m_importOptions.clear();
    m_importEntries.clear();

    auto *pDialog = new ProgressDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setTextPrefix(tr("importing material... "));
    pDialog->setBackgroundPicture(QStringLiteral(":/theme_local/imgs/dlg_import_images.png"));
    m_pImportProgress = pDialog;

    m_pDecoder->running = true;
    importTotal = files.size();
    importSucceeded = 0;
    importFailed = 0;
    m_importFailures.clear();

    // Queued: the failure report runs a modal loop, which must not start inside a destructor.
    connect(pDialog, &QObject::destroyed, this, &ZodoZadar::endImport, Qt::QueuedConnection);
    pDialog->show();

    // The import's answers are those numbered in this range, whatever else the decoder answers.
    m_importFirstRequest = m_lastDecodeRequest + 1;
    m_importLastRequest = m_lastDecodeRequest + quint64(files.size());
    for (int i = 0; i < files.size(); ++i) {
        ++m_lastDecodeRequest;
        if (i < kindRows.size() && kindRows[i] >= 0)
            m_importKindRows.insert(m_lastDecodeRequest, kindRows[i]);
        if (i < options.size() && !options[i].isDefault())
            m_importOptions.insert(m_lastDecodeRequest, options[i]);
        emit m_pDecoder->sig_decodeRequest(m_lastDecodeRequest, files[i], false);
    }
}

void ZodoZadar::decoderAnswered(quint64 iRequest, QString szFile, bool bOk, QPixmap stPixmap,
                                AVRational stWidthToHeight, QSize stSrcImageSize,
                                QString szErrorStr)
{
    if (iRequest != 0 && iRequest == m_watermarkRequest)
        watermarkChecked(szFile, bOk);
    else if (m_pMissing->answered(iRequest, szFile, bOk, stPixmap, stWidthToHeight, stSrcImageSize,
                                  szErrorStr))
        return;
    else if (iRequest >= m_importFirstRequest && iRequest <= m_importLastRequest)
        importAnswered(iRequest, szFile, bOk, stPixmap, stWidthToHeight, stSrcImageSize,
                       szErrorStr);
    // Anything else answers a request nobody waits for any more.
}

void ZodoZadar::importAnswered(quint64 iRequest, const QString &szFile, bool bOk,
                               const QPixmap &stPixmap, AVRational stWidthToHeight,
                               const QSize &stSrcImageSize, const QString &szErrorStr)
{
    const int iKindRow = m_importKindRows.contains(iRequest) ? m_importKindRows.take(iRequest) : -1;
    const PictureOptions options = m_importOptions.take(iRequest);
    const std::optional<MissingPicture> entry = m_importEntries.contains(iRequest)
                                                    ? std::optional(m_importEntries.take(iRequest))
                                                    : std::nullopt;
    // Closing the dialog ends the import at once: answers already on their way are dropped too.
    ProgressDialog *pDialog = m_pImportProgress;
    if (!pDialog || !pDialog->isVisible()) {
        m_pDecoder->running = false;
        return;
    }
    if (bOk) {
        // An opened album's transitions: the one before this picture is the one stored with the
        // picture added before it (a missing picture's goes with it).
        addPicture(szFile, stPixmap, stWidthToHeight, stSrcImageSize,
                   m_iPreviousKindRow >= 0 ? &kTransitionKinds[m_iPreviousKindRow] : nullptr,
                   options);
        m_iPreviousKindRow = iKindRow;
        ++importSucceeded;
        pDialog->setValue(
            static_cast<int>(double(importSucceeded + importFailed) / importTotal * 100));
    } else {
        ++importFailed;
        m_lastImportError = szErrorStr;
        m_importFailures << tr("%1: %2").arg(QFileInfo(szFile).fileName(), szErrorStr);
        if (entry) {
            // An opened album keeps the picture in its place, as a tile that says what is wrong.
            MissingPicture missing = *entry;
            missing.reason = szErrorStr;
            missing.bGone = !QFileInfo::exists(szFile);
            m_pMissing->add(missing);
        }
    }
    if (importSucceeded + importFailed == importTotal)
        pDialog->closeAfterTime(0);
}

void ZodoZadar::endImport()
{
    // No answer belongs to this import any more; requests still queued are not decoded.
    if (m_pDecoder->cancelledUpTo < m_importLastRequest)
        m_pDecoder->cancelledUpTo = m_importLastRequest;
    m_pDecoder->running = false;
    m_importFirstRequest = m_importLastRequest + 1;
    m_pImportProgress = nullptr;

    if (importFailed > 0) {
        advanceWorkflow(Workflow::Import, WorkflowPhase::Reporting);
        FailDialog dialog(ShareCode::QtInversionWidget::instance());
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.setTitle(importFailed == importTotal ? tr("Import failed...")
                                                    : tr("Partial import failed..."));
        // Every refused file by name with its reason; the last one's text stays the summary.
        dialog.setErrorMessage(m_lastImportError);
        dialog.setErrorList(m_importFailures);
        dialog.exec();
    }
    m_importKindRows.clear();
    m_importOptions.clear();
    m_importEntries.clear();
    m_pDocument->commitEdit(tr("Import pictures"));
    finishOpening();
    // Controls follow the album: a progress dialog closed before any answer leaves nothing to
    // edit.
    endWorkflow(Workflow::Import);
}
