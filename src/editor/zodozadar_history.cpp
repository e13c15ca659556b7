// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: undo and redo. Every edit is a command holding the album before and after it.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "cqcombobox.h"
#include "cqvideoplay.h"
#include "imagelistview.h"
#include "renderjob.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QUndoCommand>
#include <QUndoStack>

namespace {

bool sameItems(const QMap<QString, MaterialItem> &a, const QMap<QString, MaterialItem> &b)
{
    if (a.size() != b.size())
        return false;
    for (auto it = a.cbegin(), jt = b.cbegin(); it != a.cend(); ++it, ++jt) {
        if (it.key() != jt.key() || av_cmp_q(it->widthToHeight, jt->widthToHeight) != 0 ||
            it->srcSize != jt->srcSize)
            return false;
    }
    return true;
}

bool sameSlots(const QList<TransitionSlot> &a, const QList<TransitionSlot> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].duration != b[i].duration)
            return false;
    }
    return true;
}

// One album edit. The edit itself has been made when the command is pushed: the first redo does
// nothing, later ones put the album after it back, undo puts the album before it back.
class AlbumEditCommand : public QUndoCommand
{
public:
    AlbumEditCommand(ZodoZadar *pEditor, AlbumSnapshot before, AlbumSnapshot after,
                     const QString &szText, int iMergeId)
        : QUndoCommand(szText), m_pEditor(pEditor), m_before(std::move(before)),
          m_after(std::move(after)), m_iMergeId(iMergeId),
          m_bIdentity(!m_before.sameIdentityAs(m_after))
    {
    }

    int id() const override { return m_iMergeId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        // Steps of one control in a row (the duration box's arrows) are one change; steps that
        // come back to where they started are none, and leave no entry behind.
        const auto *pOther = static_cast<const AlbumEditCommand *>(other);
        m_after = pOther->m_after;
        m_bIdentity = m_bIdentity || pOther->m_bIdentity;
        setObsolete(m_after.sameAlbumAs(m_before) && m_before.sameIdentityAs(m_after));
        return true;
    }
    void undo() override { m_pEditor->restoreSnapshot(m_before, m_bIdentity); }
    void redo() override
    {
        if (m_bDone) {
            m_bDone = false;
            return;
        }
        m_pEditor->restoreSnapshot(m_after, m_bIdentity);
    }

private:
    ZodoZadar *m_pEditor;
    AlbumSnapshot m_before;
    AlbumSnapshot m_after;
    int m_iMergeId;
    bool m_bIdentity; // the edit replaced the document: its file goes with the undo
    bool m_bDone = true;
};

} // namespace

bool AlbumSnapshot::sameAlbumAs(const AlbumSnapshot &o) const
{
    return order == o.order && missing == o.missing && sameItems(items, o.items) &&
           sameSlots(transitions, o.transitions) && pictureOptions == o.pictureOptions &&
           gentleMotion == o.gentleMotion && albumFill == o.albumFill &&
           watermarkEffect == o.watermarkEffect && totalDuration == o.totalDuration &&
           uniformDurationValue == o.uniformDurationValue && aspectNum == o.aspectNum &&
           aspectDen == o.aspectDen && height == o.height && ratioIndex == o.ratioIndex &&
           heightIndex == o.heightIndex && watermarkType == o.watermarkType &&
           watermarkPosition == o.watermarkPosition && watermarkFont == o.watermarkFont &&
           watermarkColor == o.watermarkColor && watermarkText == o.watermarkText &&
           watermarkImagePath == o.watermarkImagePath && musicType == o.musicType &&
           musicPath == o.musicPath && musicShape == o.musicShape &&
           fontRule.fontFollowsHeight == o.fontRule.fontFollowsHeight &&
           fontRule.editorFont == o.fontRule.editorFont;
}

QUndoStack *ZodoZadar::undoStack() const
{
    return m_pUndoStack;
}

AlbumSnapshot ZodoZadar::snapshot() const
{
    const RenderJob &job = RenderJob::instance();
    AlbumSnapshot s;
    s.order = job.materialOrder;
    for (auto it = job.materials.cbegin(); it != job.materials.cend(); ++it) {
        MaterialItem item = *it;
        item.file = nullptr;
        s.items.insert(it.key(), item);
        s.thumbnails.insert(it.key(), m_thumbnails.value(it.key()));
    }
    s.transitions = job.transitions;
    s.pictureOptions = job.pictureOptions;
    s.missing = m_missing;
    s.gentleMotion = job.gentleMotion;
    s.albumFill = job.albumFill;
    s.watermarkEffect = job.watermarkEffect;
    s.totalDuration = job.totalDuration;
    s.uniformDurationValue = job.uniformDurationValue;
    s.aspectNum = job.aspectNum;
    s.aspectDen = job.aspectDen;
    s.height = job.height;
    s.ratioIndex = m_iRatioIndex;
    s.heightIndex = m_iHeightIndex;
    s.watermarkType = job.watermarkType;
    s.watermarkPosition = job.watermarkPosition;
    s.watermarkFont = job.watermarkFont;
    s.watermarkColor = job.watermarkColor;
    s.watermarkText = job.watermarkText;
    s.watermarkImagePath = job.watermarkImagePath;
    s.musicType = job.musicType;
    s.musicPath = job.musicPath;
    s.musicShape = job.musicShape;
    s.fontRule = fontRule;
    s.transitionCursor = TransitionPicker::currentIndex();
    s.documentPath = m_documentPath;
    s.exportChoices = m_exportChoices;
    return s;
}

void ZodoZadar::beginEdit()
{
    // An edit made inside another (a chooser opened by a type switch) is part of it.
    if (m_iEditDepth++ == 0)
        m_editBefore = snapshot();
}

void ZodoZadar::commitEdit(const QString &szText, int iMergeId)
{
    if (m_iEditDepth > 0 && --m_iEditDepth > 0)
        return;
    AlbumSnapshot after = snapshot();
    if (after.sameAlbumAs(m_editBefore) && after.sameIdentityAs(m_editBefore))
        return;
    m_pUndoStack->push(
        new AlbumEditCommand(this, std::move(m_editBefore), std::move(after), szText, iMergeId));
    m_editBefore = AlbumSnapshot();
}

void ZodoZadar::restoreSnapshot(const AlbumSnapshot &s, bool bIdentity)
{
    RenderJob &job = RenderJob::instance();
    if (bIdentity) {
        m_documentPath = s.documentPath;
        m_exportChoices = s.exportChoices;
    }
    {
        auto lock = haltAndLock();
        ui->imageSourceList->model()->removeRows(0, ui->imageSourceList->model()->rowCount());
        clearAlbum(job);
        for (auto it = s.items.cbegin(); it != s.items.cend(); ++it) {
            MaterialItem item = *it;
            item.file = openHeldFile(item.path);
            job.materials.insert(it.key(), item);
        }
        job.materialOrder = s.order;
        job.transitions = s.transitions;
        job.pictureOptions = s.pictureOptions;
        job.gentleMotion = s.gentleMotion;
        job.albumFill = s.albumFill;
        job.watermarkEffect = s.watermarkEffect;
        job.totalDuration = s.totalDuration;
        job.uniformDurationValue = s.uniformDurationValue;
        job.aspectNum = s.aspectNum;
        job.aspectDen = s.aspectDen;
        job.height = s.height;
        job.updateWidth();
        job.watermarkType = s.watermarkType;
        job.watermarkPosition = s.watermarkPosition;
        job.watermarkFont = s.watermarkFont;
        job.watermarkColor = s.watermarkColor;
        job.watermarkText = s.watermarkText;
        closeHeldFile(job.watermarkImageFile);
        job.watermarkImagePath = s.watermarkImagePath;
        if (job.watermarkType == WatermarkPicture)
            job.watermarkImageFile = openHeldFile(job.watermarkImagePath);
        closeHeldFile(job.musicFile);
        job.musicType = s.musicType;
        job.musicPath = s.musicPath;
        job.musicShape = s.musicShape;
        if (job.musicType == MusicCustom)
            job.musicFile = openHeldFile(job.musicPath);
        fontRule = s.fontRule;
        TransitionPicker::reset(s.transitionCursor);
    }
    m_thumbnails = s.thumbnails;
    m_iRatioIndex = s.ratioIndex;
    m_iHeightIndex = s.heightIndex;
    m_missing = s.missing;

    for (const QString &szPath : s.order)
        ui->imageSourceList->appendImage(szPath, m_thumbnails.value(szPath));
    // The missing tiles between them, in the order of their places.
    for (const MissingPicture &entry : s.missing)
        insertMissingTile(entry);
    updatePictureMarks();
    auto *pModel = ui->imageSourceList->model();
    if (pModel->rowCount() > 0) {
        currentPath = s.order.value(0);
        ui->imageSourceList->setCurrentIndex(pModel->index(0, 0));
        ui->divImageSourceOperate->setCurrentWidget(ui->pageImageSourcList);
        ui->divPlayer->attachEngine();
    } else {
        currentPath.clear();
        ui->divImageSourceOperate->setCurrentWidget(ui->pageAddImage);
        ui->divPlayer->detachEngine();
    }
    showAlbumSettings();
    if (pModel->rowCount() == 0) {
        // The duration box of an empty album shows its floor, as after a delete of the last row.
        QSignalBlocker blocker(ui->boxImageDuration);
        ui->boxImageDuration->setValue(minDuration);
        changeImageDurationComboBoxStyle();
    }
    showWatermarkAndMusicPages();
    setTotalTimeDisplay();
    emitCoverRefresh();
    updateControls();
    updateTitle();
}

void ZodoZadar::showWatermarkAndMusicPages()
{
    const RenderJob &job = RenderJob::instance();
    const bool bWatermark =
        job.watermarkType == WatermarkText || job.watermarkType == WatermarkPicture;
    ui->divWatermarkOperate->setCurrentWidget(
        job.watermarkType == WatermarkPicture ? ui->pageImageWatermark : ui->pageTextWatermark);
    ui->divWatermarkOperate->setVisible(bWatermark);
    ui->divWatermarkPos->setVisible(bWatermark);
    if (job.watermarkImagePath.isEmpty())
        ui->labelImageWatermarkName->setText(tr("Please select image watermark"));
    else
        setElidedName(ui->labelImageWatermarkName, QFileInfo(job.watermarkImagePath).fileName());
    ui->divBackgroundOperate->setCurrentWidget(job.musicType == MusicCustom ? ui->pageCustomMusic
                                                                            : ui->pageNoMusic);
    if (job.musicPath.isEmpty())
        ui->labelBackgroundMusicName->setText(tr("Please select background music file"));
    else
        setElidedName(ui->labelBackgroundMusicName, QFileInfo(job.musicPath).fileName());
}

void ZodoZadar::undo()
{
    if (m_workflow.idle() && m_pUndoStack->canUndo())
        m_pUndoStack->undo();
}

void ZodoZadar::redo()
{
    if (m_workflow.idle() && m_pUndoStack->canRedo())
        m_pUndoStack->redo();
}
