// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: where pictures come in: the add and replace buttons, files handed over or
// dropped, and the decoder's answers.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "missingpictures.h"
#include "pictureimport.h"

#include "previewcontroller.h"
#include "settingspanel.h"

#include "albumdocument.h"

#include "album.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "droppedfiles.h"
#include "faildialog.h"
#include "filechooser.h"
#include "folderwalk.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "places.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <utility>

bool ZodoZadar::canTakeDrops() const
{
    // Not while another workflow runs, nor while a dialog is up (a question, a report): the
    // album and the decoder's answers are theirs.
    if (!m_bConnected || !m_workflow.idle() || QApplication::activeModalWidget())
        return false;
    if (const auto *pAnchor = ShareCode::QtInversionWidget::instance()) {
        for (const QDialog *pDialog : pAnchor->findChildren<QDialog *>()) {
            if (pDialog->isVisible())
                return false;
        }
    }
    return true;
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
    const QStringList files = m_pImport->choose();
    if (!files.isEmpty())
        m_pImport->run(files);
}

bool ZodoZadar::openFiles(const QStringList &files)
{
    // A folder counts when there is a picture to be found in it.
    const bool bOurs = std::any_of(files.cbegin(), files.cend(), [](const QString &szFile) {
        return isAlbumFileName(szFile) || isPictureFileName(szFile) ||
               (QFileInfo(szFile).isDir() &&
                folderHasPictures(szFile, isPictureFileName, kMaxFolderFiles));
    });
    if (!bOurs)
        return false;
    if (m_pImport->isOpening()) {
        // An album being opened or restored (at start-up, files given on the command line wait
        // for the restore question's answer): these come once it is whole.
        m_pImport->openAfterOpening(files);
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
        if (isAlbumFileName(szFile) && !QFileInfo(szFile).isDir())
            return openAlbumFile(szFile);
    }
    // Folders are walked for their pictures by the import.
    QStringList pictures;
    for (const QString &szFile : files) {
        if (isPictureFileName(szFile) || QFileInfo(szFile).isDir())
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
    return m_pImport->runPaths(files, PictureImport::Mode::Replace);
}

void ZodoZadar::addPictures()
{
    if (!hasPictures()) {
        // Nothing to add to: the same as the add button.
        selectImageSources();
        return;
    }
    const QStringList files = m_pImport->choose();
    if (!files.isEmpty())
        m_pImport->run(files, PictureImport::Mode::Append);
}

void ZodoZadar::decoderAnswered(quint64 iRequest, QString szFile, bool bOk, QPixmap stPixmap,
                                AVRational stWidthToHeight, QSize stSrcImageSize,
                                QString szErrorStr)
{
    // Each part takes the answers to its own requests; anything else answers a request nobody
    // waits for any more.
    if (m_pSettings->answered(iRequest, szFile, bOk) ||
        m_pMissing->answered(iRequest, szFile, bOk, stPixmap, stWidthToHeight, stSrcImageSize,
                             szErrorStr))
        return;
    m_pImport->answered(iRequest, szFile, bOk, stPixmap, stWidthToHeight, stSrcImageSize,
                        szErrorStr);
}
