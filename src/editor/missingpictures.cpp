// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures an album lists but cannot show: their tiles, their places, finding them again.
#include "missingpictures.h"
#include "clipsource.h"

#include "albumdocument.h"
#include "cqdlgtipsimple.h"
#include "cqvideoplay.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "pictureimport.h"
#include "places.h"
#include "previewcontroller.h"
#include "zodozadar.h"
#include "zodozadar_form.h"

#include <QDir>
#include <QFileInfo>
#include <QStackedWidget>
#include <QStandardItemModel>

#include <algorithm>
#include <utility>

namespace {
// Names shown in the export's question before the rest is summed up.
constexpr int kNamesShown = 5;
} // namespace

MissingPictures::MissingPictures(ZodoZadar &editor, AlbumDocument *pDocument, ImageListView *pStrip,
                                 ImageDecoder *pDecoder, PreviewController *pPreview)
    : m_editor(editor), m_pDocument(pDocument), m_pStrip(pStrip), m_pDecoder(pDecoder),
      m_pPreview(pPreview)
{
}

void MissingPictures::insertTile(const MissingPicture &entry)
{
    const QString szState = entry.bGone ? tr("Missing") : tr("Cannot be used");
    m_pStrip->insertMissing(entry.position, entry.picture.file, szState, entry.reason);
}

void MissingPictures::add(MissingPicture entry)
{
    entry.id = ++m_iLastId;
    // Appended: an opening adds its entries in the album's order.
    entry.position = m_pStrip->model()->rowCount();
    m_pDocument->edit().missing.append(entry);
    insertTile(entry);
    if (m_pStrip->model()->rowCount() == 1) {
        m_editor.form()->divImageSourceOperate->setCurrentWidget(
            m_editor.form()->pageImageSourcList);
        m_pStrip->setCurrentIndex(m_pStrip->model()->index(0, 0));
    }
}

void MissingPictures::activateRow(int iRow)
{
    const Album &album = m_pDocument->album();
    if (missingIndexAt(album, iRow) >= 0)
        locate(iRow);
    else
        m_editor.showPicturePanel(renderedIndexOfRow(album, iRow));
}

void MissingPictures::findAgain()
{
    const QList<MissingPicture> &missing = m_pDocument->album().missing;
    if (missing.isEmpty() || !m_editor.workflow().idle())
        return;
    QList<MissingPicture> back;
    for (const MissingPicture &entry : missing) {
        if (entry.bGone && QFileInfo(entry.picture.file).isFile())
            back << entry;
    }
    if (back.isEmpty() || !m_editor.beginWorkflow(Workflow::Import, WorkflowPhase::Running))
        return;
    m_bLocating = false;
    for (const MissingPicture &entry : back)
        request(entry.id, entry.picture.file);
}

void MissingPictures::locate(int iRow)
{
    const QList<MissingPicture> &missing = m_pDocument->album().missing;
    const int iMissing = missingIndexAt(m_pDocument->album(), iRow);
    if (iMissing < 0 || !m_editor.beginWorkflow(Workflow::Import))
        return;
    const MissingPicture entry = missing[iMissing];
    const QString szOldFolder = QFileInfo(entry.picture.file).absolutePath();
    const QString szStart =
        QFileInfo(szOldFolder).isDir() ? szOldFolder : Places::startFolder(Places::Kind::Pictures);
    const QString szChosen =
        FileChooser::openFile(tr("Locate %1").arg(QFileInfo(entry.picture.file).fileName()),
                              szStart, PictureImport::pictureChooserFilter());
    if (szChosen.isEmpty()) {
        m_editor.endWorkflow(Workflow::Import);
        return;
    }
    Places::rememberFile(Places::Kind::Pictures, szChosen);
    m_editor.advanceWorkflow(Workflow::Import, WorkflowPhase::Running);
    // One undo step: the located file and the others found beside it.
    m_pDocument->beginEdit();
    m_bLocating = true;
    m_locateFailure.clear();
    request(entry.id, szChosen);
    // A folder that moved: its other missing pictures are likely in the new one too.
    const QDir newFolder = QFileInfo(szChosen).absoluteDir();
    for (const MissingPicture &other : missing) {
        if (other.id == entry.id || QFileInfo(other.picture.file).absolutePath() != szOldFolder)
            continue;
        const QString szCandidate = newFolder.filePath(QFileInfo(other.picture.file).fileName());
        if (QFileInfo(szCandidate).isFile())
            request(other.id, szCandidate);
    }
}

void MissingPictures::request(quint32 id, const QString &szFile)
{
    m_pDecoder->running = true;
    const quint64 iRequest = m_editor.nextDecodeRequest();
    m_findRequests.insert(iRequest, id);
    emit m_pDecoder->sig_decodeRequest(iRequest, szFile, false);
}

bool MissingPictures::answered(quint64 iRequest, const QString &szFile, bool bOk,
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
            place(iMissing, szFile, stPixmap, stWidthToHeight, stSrcImageSize);
        } else if (m_bLocating && m_locateFailure.isEmpty()) {
            m_locateFailure = tr("%1: %2").arg(QFileInfo(szFile).fileName(), szErrorStr);
        }
    }
    if (m_findRequests.isEmpty())
        endFinding();
    return true;
}

void MissingPictures::place(int iMissing, const QString &szFile, const QPixmap &stPixmap,
                            AVRational stWidthToHeight, const QSize &stSrcImageSize)
{
    Album &job = m_pDocument->edit();
    const MissingPicture entry = job.missing.at(iMissing);
    const bool bFirst = job.materialOrder.isEmpty();
    m_pPreview->halt();
    MaterialItem item;
    item.path = szFile;
    item.widthToHeight = stWidthToHeight;
    item.srcSize = stSrcImageSize;
    item.clip = clipFactsOf(szFile);
    item.facts = m_editor.pictureFacts().value(szFile);
    AlbumChange change = placeFoundPicture(job, iMissing, item, m_editor.selfAdaptingRatio());
    m_editor.thumbnails().insert(szFile, stPixmap);
    m_pStrip->setFound(entry.position, szFile, stPixmap);
    if (bFirst) {
        m_editor.currentPath = szFile;
        m_editor.player()->attachEngine();
    }
    m_editor.notify(change);
    m_editor.updatePictureMarks();
    // Found again by itself: not an undoable edit, but a change all the same.
    if (!m_pDocument->editing())
        m_pDocument->changeDone();
}

void MissingPictures::endFinding()
{
    m_pDecoder->running = false;
    const bool bLocating = std::exchange(m_bLocating, false);
    m_editor.endWorkflow(Workflow::Import);
    if (!bLocating)
        return;
    m_pDocument->commitEdit(tr("Locate picture"));
    if (!m_locateFailure.isEmpty())
        m_editor.reportFailure(tr("The picture could not be used"),
                               std::exchange(m_locateFailure, {}));
}

bool MissingPictures::confirmExport()
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
