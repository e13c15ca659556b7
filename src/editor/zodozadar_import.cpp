// Album editor: importing pictures through the decoder, with progress and a failure report.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "cqvideoplay.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "renderjob.h"
#include "startfolders.h"

void ZodoZadar::selectImageSources()
{
    const QStringList files = FileChooser::openFiles(
        tr("VMAlbum"), StartFolders::desktop(),
        tr("JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG "
           "Files(*.png)"));
    importPictures(files);
}

void ZodoZadar::importPictures(const QStringList &files)
{
    if (files.isEmpty())
        return;

    {
        auto lock = haltAndLock();
        ui->divPlayer->detachEngine();
        // The clear runs under the locks taken here: the mutexes are not recursive.
        if (!RenderJob::instance().materials.isEmpty())
            clearAlbumLocked();
    }

    auto *pDialog = new ProgressDialog(ShareCode::QtInversionWidget::instance());
    pDialog->setTextPrefix(tr("importing material... "));
    pDialog->setBackgroundPicture(QStringLiteral(":/theme_local/imgs/dlg_import_images.png"));

    m_pDecoder->running = true;
    importTotal = files.size();
    importSucceeded = 0;
    importFailed = 0;

    // Bound to the dialog: once it is gone, answers still on their way change nothing.
    auto finishOne = [this, pDialog] {
        if (importSucceeded + importFailed == importTotal)
            pDialog->closeAfterTime(0);
    };
    // Closing the dialog ends the import at once: answers already on their way are dropped too.
    auto ended = [this, pDialog] {
        if (pDialog->isVisible())
            return false;
        m_pDecoder->running = false;
        return true;
    };
    connect(m_pDecoder, &ImageDecoder::sig_decoded, pDialog,
            [this, pDialog, finishOne, ended](QString szFile, QPixmap stPixmap,
                                              AVRational stWidthToHeight, QSize stSrcImageSize) {
                if (ended())
                    return;
                addPicture(szFile, stPixmap, stWidthToHeight, stSrcImageSize);
                ++importSucceeded;
                pDialog->setValue(
                    static_cast<int>(double(importSucceeded + importFailed) / importTotal * 100));
                finishOne();
            });
    connect(m_pDecoder, &ImageDecoder::sig_decodeFailed, pDialog,
            [this, finishOne, ended](QString, QString szErrorStr) {
                if (ended())
                    return;
                ++importFailed;
                lastErrorText = szErrorStr;
                finishOne();
            });
    // Queued: the failure report runs a modal loop, which must not start inside a destructor.
    connect(pDialog, &QObject::destroyed, this, &ZodoZadar::endImport, Qt::QueuedConnection);
    pDialog->show();

    for (const QString &szFile : files)
        emit m_pDecoder->sig_decode(szFile, false);
}

void ZodoZadar::endImport()
{
    disconnect(m_pDecoder, &ImageDecoder::sig_decoded, nullptr, nullptr);
    m_pDecoder->running = false;

    if (importFailed > 0) {
        FailDialog dialog(ShareCode::QtInversionWidget::instance());
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.setTitle(importFailed == importTotal ? tr("Import failed...")
                                                    : tr("Partial import failed..."));
        dialog.setErrorMessage(lastErrorText);
        dialog.exec();
    }
    // A progress dialog closed before any answer leaves nothing to edit.
    if (importFailed != importTotal && ui->imageSourceList->model()->rowCount() > 0)
        setEditingControlsEnabled(true);
}
