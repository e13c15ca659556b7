// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: pictures an album lists but cannot show: their tiles, their places, finding them.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "albumdocument.h"

#include "album.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "faildialog.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "places.h"
#include "qtinversionwidget.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTimer>

#include <algorithm>

namespace {
// Names shown in the export's question before the rest is summed up.
constexpr int kNamesShown = 5;
} // namespace

const QList<MissingPicture> &ZodoZadar::missingPictures() const
{
    return m_pDocument->album().missing;
}

void ZodoZadar::insertMissingTile(const MissingPicture &entry)
{
    const QString szState = entry.bGone ? tr("Missing") : tr("Cannot be used");
    ui->imageSourceList->insertMissing(entry.position, entry.picture.file, szState, entry.reason);
}

void ZodoZadar::addMissingPicture(MissingPicture entry)
{
    entry.id = ++m_iLastMissingId;
    // Appended: an opening adds its entries in the album's order.
    entry.position = ui->imageSourceList->model()->rowCount();
    m_pDocument->edit().missing.append(entry);
    insertMissingTile(entry);
    if (ui->imageSourceList->model()->rowCount() == 1) {
        ui->divImageSourceOperate->setCurrentWidget(ui->pageImageSourcList);
        ui->imageSourceList->setCurrentIndex(ui->imageSourceList->model()->index(0, 0));
    }
}

void ZodoZadar::activateRow(int iRow)
{
    const Album &album = m_pDocument->album();
    if (missingIndexAt(album, iRow) >= 0)
        locateMissingPicture(iRow);
    else
        showPicturePanel(renderedIndexOfRow(album, iRow));
}

void ZodoZadar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Back in the window: a disk may have come back meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !m_pDocument->album().missing.isEmpty())
        QTimer::singleShot(0, this, &ZodoZadar::findMissingPictures);
}

void ZodoZadar::findMissingPictures()
{
    const QList<MissingPicture> &missing = m_pDocument->album().missing;
    if (missing.isEmpty() || !m_workflow.idle())
        return;
    QList<MissingPicture> back;
    for (const MissingPicture &entry : missing) {
        if (entry.bGone && QFileInfo(entry.picture.file).isFile())
            back << entry;
    }
    if (back.isEmpty() || !beginWorkflow(Workflow::Import, WorkflowPhase::Running))
        return;
    m_bLocating = false;
    for (const MissingPicture &entry : back)
        requestFound(entry.id, entry.picture.file);
}

void ZodoZadar::locateMissingPicture(int iRow)
{
    const QList<MissingPicture> &missing = m_pDocument->album().missing;
    const int iMissing = missingIndexAt(m_pDocument->album(), iRow);
    if (iMissing < 0 || !beginWorkflow(Workflow::Import))
        return;
    const MissingPicture entry = missing[iMissing];
    const QString szOldFolder = QFileInfo(entry.picture.file).absolutePath();
    const QString szStart =
        QFileInfo(szOldFolder).isDir() ? szOldFolder : Places::startFolder(Places::Kind::Pictures);
    const QString szChosen = FileChooser::openFile(
        tr("Locate %1").arg(QFileInfo(entry.picture.file).fileName()), szStart,
        tr("JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG "
           "Files(*.png)"));
    if (szChosen.isEmpty()) {
        endWorkflow(Workflow::Import);
        return;
    }
    Places::rememberFile(Places::Kind::Pictures, szChosen);
    advanceWorkflow(Workflow::Import, WorkflowPhase::Running);
    // One undo step: the located file and the others found beside it.
    m_pDocument->beginEdit();
    m_bLocating = true;
    m_locateFailure.clear();
    requestFound(entry.id, szChosen);
    // A folder that moved: its other missing pictures are likely in the new one too.
    const QDir newFolder = QFileInfo(szChosen).absoluteDir();
    for (const MissingPicture &other : missing) {
        if (other.id == entry.id || QFileInfo(other.picture.file).absolutePath() != szOldFolder)
            continue;
        const QString szCandidate = newFolder.filePath(QFileInfo(other.picture.file).fileName());
        if (QFileInfo(szCandidate).isFile())
            requestFound(other.id, szCandidate);
    }
}

void ZodoZadar::requestFound(quint32 id, const QString &szFile)
{
    m_pDecoder->running = true;
    const quint64 iRequest = ++m_lastDecodeRequest;
    m_findRequests.insert(iRequest, id);
    emit m_pDecoder->sig_decodeRequest(iRequest, szFile, false);
}

bool ZodoZadar::missingAnswered(quint64 iRequest, const QString &szFile, bool bOk,
                                const QPixmap &stPixmap, AVRational stWidthToHeight,
                                const QSize &stSrcImageSize, const QString &szErrorStr)
{
    if (!m_findRequests.contains(iRequest))
        return false;
    const quint32 id = m_findRequests.take(iRequest);
    const QList<MissingPicture> &missing = m_pDocument->album().missing;
    const auto it = std::find_if(missing.cbegin(), missing.cend(),
                                 [id](const MissingPicture &e) { return e.id == id; });
    if (it != missing.cend()) {
        const int iMissing = int(it - missing.cbegin());
        if (bOk) {
            placeFoundPicture(iMissing, szFile, stPixmap, stWidthToHeight, stSrcImageSize);
        } else if (m_bLocating && m_locateFailure.isEmpty()) {
            m_locateFailure = tr("%1: %2").arg(QFileInfo(szFile).fileName(), szErrorStr);
        }
    }
    if (m_findRequests.isEmpty())
        endFinding();
    return true;
}

void ZodoZadar::placeFoundPicture(int iMissing, const QString &szFile, const QPixmap &stPixmap,
                                  AVRational stWidthToHeight, const QSize &stSrcImageSize)
{
    Album &job = m_pDocument->edit();
    const MissingPicture entry = job.missing.takeAt(iMissing);
    const int iIndex = renderedIndexOfRow(job, entry.position);
    const int iCount = job.materialOrder.size();
    const bool bSelfAdapting = selfAdaptingRatio();
    const bool bFirst = iCount == 0;
    AlbumChange change;
    {
        halt();
        MaterialItem item;
        item.path = szFile;
        item.widthToHeight = stWidthToHeight;
        item.srcSize = stSrcImageSize;
        // Appended, then moved to its place: the slot before it is the transition the entry
        // before it had, the slot after it its own.
        const int iBeforeRow = entry.transitionBeforeRow;
        change = appendPicture(job, item, bSelfAdapting,
                               iIndex == iCount && iBeforeRow >= 0 ? &kTransitionKinds[iBeforeRow]
                                                                   : nullptr);
        const PictureOptions options = entry.picture.options();
        if (!options.isDefault())
            change.totalChanged |= setPictureOptions(job, iCount, options).totalChanged;
        if (iIndex < iCount) {
            QStringList order = job.materialOrder;
            order.move(iCount, iIndex);
            const AlbumChange moved = reorderPictures(job, order, iCount, iIndex, bSelfAdapting);
            change.coverChanged |= moved.coverChanged;
            // Slots stay by place: the new one joins this picture to the next.
            job.transitions.removeLast();
            TransitionSlot slot;
            const int iOwnRow = entry.picture.transitionRow;
            slot.kind = iOwnRow >= 0 ? &kTransitionKinds[iOwnRow] : TransitionPicker::next();
            job.transitions.insert(iIndex, slot);
            job.totalDuration = job.computeTotalDuration();
        }
    }
    m_thumbnails.insert(szFile, stPixmap);
    ui->imageSourceList->setFound(entry.position, szFile, stPixmap);
    if (bFirst) {
        currentPath = szFile;
        ui->divPlayer->attachEngine();
    }
    change.totalChanged = true;
    notify(change);
    updatePictureMarks();
    // Found again by itself: not an undoable edit, but a change all the same.
    if (!m_pDocument->editing())
        m_pDocument->changeDone();
}

void ZodoZadar::endFinding()
{
    m_pDecoder->running = false;
    const bool bLocating = std::exchange(m_bLocating, false);
    endWorkflow(Workflow::Import);
    if (!bLocating)
        return;
    m_pDocument->commitEdit(tr("Locate picture"));
    if (!m_locateFailure.isEmpty())
        reportFailure(tr("The picture could not be used"), std::exchange(m_locateFailure, {}));
}

bool ZodoZadar::confirmExportWithMissing()
{
    const QList<MissingPicture> &missing = m_pDocument->album().missing;
    if (missing.isEmpty())
        return true;
    QStringList names;
    for (const MissingPicture &entry : missing) {
        if (names.size() == kNamesShown) {
            names << tr("and %n more", nullptr, int(missing.size()) - kNamesShown);
            break;
        }
        names << QFileInfo(entry.picture.file).fileName();
    }
    ShareCode::CQDlgTipSimple question;
    question.setTitle(tr("Tips"));
    question.setMessage(tr("%n picture(s) of this album cannot be shown and will be left out of "
                           "the video: %1",
                           nullptr, int(missing.size()))
                            .arg(names.join(QStringLiteral(", "))));
    question.setOkText(tr("Export the rest"));
    question.setCancelText(tr("Cancel"));
    return question.exec() == QDialog::Accepted;
}
