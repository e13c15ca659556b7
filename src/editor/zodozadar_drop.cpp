// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: files dropped from the file manager (pictures to import, music to use).
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "previewcontroller.h"

#include "album.h"
#include "cqtoast.h"
#include "droppedfiles.h"
#include "qtinversionwidget.h"

#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QFrame>
#include <QLayout>
#include <QMimeData>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

namespace {
constexpr int kDropToastMs = 2500; // long enough to read a sentence

DroppedFiles droppedFiles(const QMimeData *pMime)
{
    return pMime && pMime->hasUrls() ? sortDroppedUrls(pMime->urls()) : DroppedFiles();
}

// The files stay where they are. A drag that offers only a move is refused: accepting it
// would let the file manager delete the originals.
bool acceptAsCopy(QDropEvent *event)
{
    if (event->possibleActions().testFlag(Qt::CopyAction))
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions().testFlag(Qt::LinkAction))
        event->setDropAction(Qt::LinkAction);
    else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}
} // namespace

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

bool ZodoZadar::musicAreaAt(const QPoint &stPos) const
{
    QWidget *pArea = ui->divMusic;
    // Disabled with the settings while the album is empty, as its own controls are.
    return pArea->isEnabled() && pArea->isVisible() &&
           QRect(pArea->mapTo(this, QPoint(0, 0)), pArea->size()).contains(stPos);
}

ZodoZadar::DropTarget ZodoZadar::dropTargetAt(const DroppedFiles &files, const QPoint &stPos) const
{
    // An album file opens wherever it lands: it replaces the whole album.
    if (!files.albums.isEmpty())
        return DropTarget::Album;
    if (!files.music.isEmpty() && musicAreaAt(stPos))
        return DropTarget::Music;
    if (!files.pictures.isEmpty())
        return DropTarget::Pictures;
    return DropTarget::None;
}

QWidget *ZodoZadar::dropHighlight(DropTarget target) const
{
    switch (target) {
    case DropTarget::Pictures:
        return ui->divSource;
    case DropTarget::Album:
        // The album as a whole: the strip and the settings beside it.
        return ui->divSource->parentWidget();
    case DropTarget::Music:
    case DropTarget::None:
        break;
    }
    return ui->divMusic;
}

void ZodoZadar::showDropTarget(QWidget *pTarget)
{
    if (!pTarget) {
        if (m_pDropHighlight)
            m_pDropHighlight->hide();
        return;
    }
    if (!m_pDropHighlight) {
        // A frame laid over the target: the target's own layout stays as it is.
        auto *pFrame = new QFrame(this);
        pFrame->setObjectName(QStringLiteral("frameDropTarget"));
        pFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
        pFrame->setStyleSheet(QStringLiteral("#frameDropTarget{border:2px dashed #5C46F4;"
                                             "border-radius:6px;"
                                             "background-color:rgba(92,70,244,24);}"));
        m_pDropHighlight = pFrame;
    }
    // A little larger than the area, so that the border does not cut through its texts.
    const QRect stArea(pTarget->mapTo(this, QPoint(0, 0)), pTarget->size());
    m_pDropHighlight->setGeometry(stArea.adjusted(-6, -4, 6, 4) & rect());
    m_pDropHighlight->raise();
    m_pDropHighlight->show();
}

void ZodoZadar::dropToast(const QString &szText)
{
    // A drag that crosses the strip enters twice; one notice is enough.
    if (m_pDropToast && m_pDropToast->isVisible())
        return;
    auto *pToast = new ShareCode::CQToast(this);
    pToast->showMessage(szText, kDropToastMs, true);
    m_pDropToast = pToast;
}

void ZodoZadar::dragEnterEvent(QDragEnterEvent *event)
{
    const DroppedFiles files = droppedFiles(event->mimeData());
    // Not files (a tile of the strip passing by, a piece of text), or the editor is busy.
    if (files.isEmpty() || !canTakeDrops()) {
        event->ignore();
        return;
    }
    const bool bMusicUsable = !files.music.isEmpty() && ui->divMusic->isEnabled();
    if (files.pictures.isEmpty() && files.albums.isEmpty() && !bMusicUsable) {
        // Refused here, so the cursor says so before the button is released.
        event->ignore();
        dropToast(files.music.isEmpty()
                      ? tr("Only JPEG and PNG pictures, or an MP3 file on the background "
                           "music area, can be dropped here")
                      : tr("Add pictures first, then drop the music on the background music "
                           "area"));
        return;
    }
    // Taken for the whole window, so that the moves that follow can find the music area.
    if (!acceptAsCopy(event))
        return;
    showDropTarget(dropHighlight(dropTargetAt(files, event->pos())));
}

void ZodoZadar::dragMoveEvent(QDragMoveEvent *event)
{
    const DroppedFiles files = droppedFiles(event->mimeData());
    const DropTarget target = canTakeDrops() ? dropTargetAt(files, event->pos()) : DropTarget::None;
    // Music alone is taken only over the music area, which stays marked meanwhile.
    showDropTarget(dropHighlight(target));
    if (target == DropTarget::None)
        event->ignore();
    else
        acceptAsCopy(event);
}

void ZodoZadar::dragLeaveEvent(QDragLeaveEvent *event)
{
    showDropTarget(nullptr);
    event->accept();
}

void ZodoZadar::dropEvent(QDropEvent *event)
{
    showDropTarget(nullptr);
    const DroppedFiles files = droppedFiles(event->mimeData());
    const DropTarget target = canTakeDrops() ? dropTargetAt(files, event->pos()) : DropTarget::None;
    if (target == DropTarget::None) {
        event->ignore();
        if (!files.isEmpty())
            dropToast(tr("Only JPEG and PNG pictures, or an MP3 file on the background music "
                         "area, can be dropped here"));
        return;
    }
    if (!acceptAsCopy(event))
        return;
    // The work starts once the drop has been answered: the file manager waits for that answer,
    // and an import can end in a modal report.
    if (target == DropTarget::Album) {
        const bool bLeftOut = files.albums.size() > 1 || !files.pictures.isEmpty() ||
                              !files.music.isEmpty() || files.others > 0;
        const QString szAlbum = files.albums.first();
        QTimer::singleShot(0, this, [this, szAlbum, bLeftOut] {
            // After the progress dialog is up, as for pictures.
            if (canTakeDrops() && openAlbumFile(szAlbum) && bLeftOut)
                dropToast(tr("An album file opens alone; the other files were left out"));
        });
    } else if (target == DropTarget::Music) {
        if (files.music.size() > 1 || !files.pictures.isEmpty() || files.others > 0)
            dropToast(tr("Only one MP3 file is used as background music; the other files were "
                         "left out"));
        const QString szMusic = files.music.first();
        QTimer::singleShot(0, this, [this, szMusic] { dropBackgroundMusic(szMusic); });
    } else {
        const QStringList pictures = files.pictures;
        const bool bLeftOut = !files.music.isEmpty() || files.others > 0;
        QTimer::singleShot(0, this, [this, pictures, bLeftOut] {
            // Another workflow may have started since the drop was answered.
            if (!importPictures(pictures))
                return;
            // After the progress dialog is up: showing it would close an earlier notice.
            if (bLeftOut)
                dropToast(tr("Files that are not JPEG or PNG pictures were left out"));
        });
    }
}

void ZodoZadar::dropBackgroundMusic(const QString &szFile)
{
    if (!canTakeDrops() || !hasPictures())
        return;
    // Checked before the music type changes: a refused file leaves the settings as they were.
    if (!acceptMusicFile(szFile))
        return;
    if (!ui->ratioCustomMusic->isChecked()) {
        // With the path in place, switching to custom music opens no chooser.
        {
            m_pPreview->halt();
            setMusicFile(m_pDocument->edit(), szFile);
        }
        ui->ratioCustomMusic->setChecked(true);
        // The page was hidden until now: settle its layout so that the name is elided to the
        // label's real width.
        ui->pageCustomMusic->layout()->activate();
    }
    useBackgroundMusic(szFile);
}
