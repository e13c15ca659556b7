// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the album as a document: new, open, save, autosave and restore, the title,
// and the question before the window closes.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "pictureimport.h"
#include "previewcontroller.h"
#include "settingspanel.h"

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
    m_pDocument->startNew(tr("New album"));
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
    return m_pImport->openAlbum(read.album, QFileInfo(szFile).absoluteFilePath(), false);
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
    m_pImport->openAlbum(album, szSource, true);
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
