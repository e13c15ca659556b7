// SPDX-License-Identifier: GPL-3.0-or-later
#include "droparea.h"

#include "zodozadar.h"
#include "zodozadar_form.h"

#include "cqtoast.h"
#include "droppedfiles.h"
#include "settingspanel.h"

#include <QDragEnterEvent>
#include <QFrame>
#include <QMimeData>
#include <QTimer>

#include <algorithm>

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

DropArea::DropArea(ZodoZadar &editor, SettingsPanel *pSettings)
    : QObject(&editor), m_editor(editor), ui(editor.form()), m_pSettings(pSettings)
{
    editor.setAcceptDrops(true);
    editor.installEventFilter(this);
}

bool DropArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_editor)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
        enter(static_cast<QDropEvent *>(event));
        return true;
    case QEvent::DragMove:
        move(static_cast<QDropEvent *>(event));
        return true;
    case QEvent::DragLeave:
        showTarget(nullptr);
        event->accept();
        return true;
    case QEvent::Drop:
        drop(static_cast<QDropEvent *>(event));
        return true;
    default:
        return false;
    }
}

bool DropArea::musicAreaAt(const QPoint &stPos) const
{
    QWidget *pArea = ui->divMusic;
    // Disabled with the settings while the album is empty, as its own controls are.
    return pArea->isEnabled() && pArea->isVisible() &&
           QRect(pArea->mapTo(&m_editor, QPoint(0, 0)), pArea->size()).contains(stPos);
}

DropArea::Target DropArea::targetAt(const DroppedFiles &files, const QPoint &stPos) const
{
    if (!m_editor.canTakeDrops())
        return Target::None;
    // An album file opens wherever it lands: it replaces the whole album.
    if (!files.albums.isEmpty())
        return Target::Album;
    if (!files.music.isEmpty() && musicAreaAt(stPos))
        return Target::Music;
    if (!files.pictures.isEmpty() || !files.folders.isEmpty())
        return Target::Pictures;
    return Target::None;
}

QWidget *DropArea::highlightFor(Target target) const
{
    switch (target) {
    case Target::Pictures:
        return ui->divSource;
    case Target::Album:
        // The album as a whole: the strip and the settings beside it.
        return ui->divSource->parentWidget();
    case Target::Music:
    case Target::None:
        break;
    }
    return ui->divMusic;
}

void DropArea::showTarget(QWidget *pTarget)
{
    if (!pTarget) {
        if (m_pHighlight)
            m_pHighlight->hide();
        return;
    }
    if (!m_pHighlight) {
        // A frame laid over the target: the target's own layout stays as it is.
        auto *pFrame = new QFrame(&m_editor);
        pFrame->setObjectName(QStringLiteral("frameDropTarget"));
        pFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
        pFrame->setStyleSheet(QStringLiteral("#frameDropTarget{border:2px dashed #5C46F4;"
                                             "border-radius:6px;"
                                             "background-color:rgba(92,70,244,24);}"));
        m_pHighlight = pFrame;
    }
    // A little larger than the area, so that the border does not cut through its texts.
    const QRect stArea(pTarget->mapTo(&m_editor, QPoint(0, 0)), pTarget->size());
    m_pHighlight->setGeometry(stArea.adjusted(-6, -4, 6, 4) & m_editor.rect());
    m_pHighlight->raise();
    m_pHighlight->show();
}

void DropArea::toast(const QString &szText)
{
    // A drag that crosses the strip enters twice; one notice is enough.
    if (m_pToast && m_pToast->isVisible())
        return;
    auto *pToast = new ShareCode::CQToast(&m_editor);
    pToast->showMessage(szText, kDropToastMs, true);
    m_pToast = pToast;
}

void DropArea::enter(QDropEvent *event)
{
    const DroppedFiles files = droppedFiles(event->mimeData());
    // Not files (a tile of the strip passing by, a piece of text), or the editor is busy.
    if (files.isEmpty() || !m_editor.canTakeDrops()) {
        event->ignore();
        return;
    }
    const bool bMusicUsable = !files.music.isEmpty() && ui->divMusic->isEnabled();
    if (files.pictures.isEmpty() && files.folders.isEmpty() && files.albums.isEmpty() &&
        !bMusicUsable) {
        // Refused here, so the cursor says so before the button is released.
        event->ignore();
        toast(files.music.isEmpty()
                  ? ZodoZadar::tr("Only pictures (JPEG, PNG, HEIC, AVIF, WebP), or a music file on "
                                  "the background music area, can be dropped here")
                  : ZodoZadar::tr("Add pictures first, then drop the music on the background music "
                                  "area"));
        return;
    }
    // Taken for the whole window, so that the moves that follow can find the music area.
    if (!acceptAsCopy(event))
        return;
    showTarget(highlightFor(targetAt(files, event->pos())));
}

void DropArea::move(QDropEvent *event)
{
    const Target target = targetAt(droppedFiles(event->mimeData()), event->pos());
    // Music alone is taken only over the music area, which stays marked meanwhile.
    showTarget(highlightFor(target));
    if (target == Target::None)
        event->ignore();
    else
        acceptAsCopy(event);
}

void DropArea::drop(QDropEvent *event)
{
    showTarget(nullptr);
    const DroppedFiles files = droppedFiles(event->mimeData());
    const Target target = targetAt(files, event->pos());
    if (target == Target::None) {
        event->ignore();
        if (!files.isEmpty())
            toast(ZodoZadar::tr("Only pictures (JPEG, PNG, HEIC, AVIF, WebP), or a music file on "
                                "the background music area, can be dropped here"));
        return;
    }
    if (!acceptAsCopy(event))
        return;
    // The work starts once the drop has been answered: the file manager waits for that answer,
    // and an import can end in a modal report.
    if (target == Target::Album) {
        const bool bLeftOut = files.albums.size() > 1 || !files.pictures.isEmpty() ||
                              !files.folders.isEmpty() || !files.music.isEmpty() ||
                              files.others > 0;
        const QString szAlbum = files.albums.first();
        QTimer::singleShot(0, this, [this, szAlbum, bLeftOut] {
            // After the progress dialog is up, as for pictures.
            if (m_editor.canTakeDrops() && m_editor.openAlbumFile(szAlbum) && bLeftOut)
                toast(ZodoZadar::tr("An album file opens alone; the other files were left out"));
        });
    } else if (target == Target::Music) {
        if (files.music.size() > 1 || !files.pictures.isEmpty() || !files.folders.isEmpty() ||
            files.others > 0) {
            // Said of MP3 files as before when they are all MP3 files.
            const bool bAllMp3 =
                std::all_of(files.music.begin(), files.music.end(), [](const QString &s) {
                    return s.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive);
                });
            toast(bAllMp3 ? ZodoZadar::tr("Only one MP3 file is used as background music; the "
                                          "other files were left out")
                          : ZodoZadar::tr("Only one music file is used as background music; the "
                                          "other files were left out"));
        }
        const QString szMusic = files.music.first();
        QTimer::singleShot(0, this, [this, szMusic] {
            if (m_editor.canTakeDrops() && m_editor.hasPictures())
                m_pSettings->dropMusic(szMusic);
        });
    } else {
        // Folders are walked for their pictures by the import.
        const QStringList pictures = files.pictures + files.folders;
        const bool bLeftOut = !files.music.isEmpty() || files.others > 0;
        QTimer::singleShot(0, this, [this, pictures, bLeftOut] {
            // Another workflow may have started since the drop was answered.
            if (!m_editor.importPictures(pictures))
                return;
            // After the progress dialog is up: showing it would close an earlier notice.
            if (bLeftOut)
                toast(ZodoZadar::tr(
                    "Files that are not JPEG, PNG, HEIC, AVIF or WebP pictures were left out"));
        });
    }
}
