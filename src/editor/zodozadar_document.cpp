// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the document steps behind the source strip, the duration box and the output lists.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "previewcontroller.h"

#include "album.h"
#include "albumdocument.h"
#include "cqcombobox.h"
#include "cqvideoplay.h"
#include "imagelistview.h"
#include "imageviewer.h"

#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStyle>

namespace {
// Undo entries that merge with the one before when they follow each other.
constexpr int kMergeDuration = 1;
} // namespace

void ZodoZadar::notify(const AlbumChange &change)
{
    if (change.coverChanged)
        m_pPreview->refreshCover();
    if (change.totalChanged)
        setTotalTimeDisplay();
}

void ZodoZadar::setTotalTimeDisplay()
{
    ui->divPlayer->setTotalDurationMs(static_cast<int>(totalDurationMs(m_pDocument->edit())));
}

bool ZodoZadar::selfAdaptingRatio() const
{
    return ui->comboVideoRatio->currentIndex() == 0;
}

QStringList ZodoZadar::rowPaths() const
{
    // The pictures the album shows: missing tiles are not rendered.
    QStringList paths;
    const int iRows = ui->imageSourceList->model()->rowCount();
    for (int i = 0; i < iRows; ++i) {
        if (!ui->imageSourceList->isMissing(i))
            paths << ui->imageSourceList->filePath(i);
    }
    return paths;
}

void ZodoZadar::imageSourceSelected(QModelIndex stIndex)
{
    // Every picture shares the one duration: choosing a row changes nothing.
    if (stIndex.isValid())
        return;
    currentPath.clear();
    ui->boxImageDuration->setValue(0); // the duration rule shows 1 without touching the album
    updateControls();
    if (!hasRenderedPictures())
        ui->divPlayer->detachEngine();
    ui->divImageSourceOperate->setCurrentWidget(ui->pageAddImage);
}

void ZodoZadar::imageSourceDeleted(QString stFilePath, int iOldIndex)
{
    Album &job = m_pDocument->edit();
    const int iMissing = missingIndexAt(job, iOldIndex);
    if (iMissing >= 0) {
        // A missing tile goes from the album; nothing of it was rendered.
        if (refuseEdit())
            return;
        m_pDocument->beginEdit();
        job.missing.removeAt(iMissing);
        missingRowRemoved(job, iOldIndex);
        imageSourceSelected(ui->imageSourceList->currentIndex());
        m_pDocument->commitEdit(tr("Delete picture"));
        return;
    }
    // The strip refuses deletes while it is disabled; this guards the album against any other
    // road while an import or export reads it.
    if (!job.materials.contains(stFilePath) || refuseEdit())
        return;
    m_pDocument->beginEdit();
    std::optional<AlbumChange> change;
    {
        m_pPreview->halt();
        change = removePicture(job, stFilePath, renderedIndexOfRow(job, iOldIndex));
    }
    missingRowRemoved(job, iOldIndex);
    imageSourceSelected(ui->imageSourceList->currentIndex());
    setTotalTimeDisplay();
    if (change && change->coverChanged)
        m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Delete picture"));
}

void ZodoZadar::dragedImageSources(QString stFilePath, int iOldIndex, int iNewIndex)
{
    Q_UNUSED(stFilePath);
    if (refuseEdit())
        return;
    m_pDocument->beginEdit();
    // Rows of the strip to places among the rendered pictures, before and after the move.
    Album &job = m_pDocument->edit();
    const bool bMissing = missingIndexAt(job, iOldIndex) >= 0;
    const int iFrom = renderedIndexOfRow(job, iOldIndex);
    missingRowMoved(job, iOldIndex, iNewIndex);
    if (!bMissing) {
        AlbumChange change;
        {
            m_pPreview->halt();
            change = reorderPictures(m_pDocument->edit(), rowPaths(), iFrom,
                                     renderedIndexOfRow(job, iNewIndex), selfAdaptingRatio());
        }
        notify(change);
    }
    updatePictureMarks();
    m_pDocument->commitEdit(tr("Move picture"));
}

void ZodoZadar::imageDurationChanged(int iVal)
{
    // Out of range: the box is put back in range, and its change comes back here.
    if (iVal > maxDuration) {
        ui->boxImageDuration->setValue(maxDuration);
        return;
    }
    if (iVal < minDuration) {
        ui->boxImageDuration->setValue(minDuration);
        return;
    }
    changeImageDurationComboBoxStyle();
    if (currentPath.isEmpty() || refuseEdit())
        return;
    m_pDocument->beginEdit();
    AlbumChange change;
    {
        m_pPreview->halt();
        change = setUniformDurationSeconds(m_pDocument->edit(), iVal);
    }
    setTotalTimeDisplay();
    m_pDocument->commitEdit(tr("Change duration"), kMergeDuration);
    // Pictures with durations of their own (a fit, the panel) keep them: the way to give them
    // this one is offered beside the box.
    if (ownDurationCount() > 0) {
        const QString szText = tr("Set all to %1 s").arg(iVal);
        ui->btnDurationToAll->setText(szText);
        ui->btnDurationToAll->setAccessibleName(szText);
        ui->btnDurationToAll->setProperty("seconds", iVal);
        ui->btnDurationToAll->show();
    }
}

int ZodoZadar::ownDurationCount() const
{
    const Album &job = m_pDocument->album();
    int iOwn = 0;
    for (int i = 0; i < job.materialOrder.size(); ++i)
        iOwn += job.optionsAt(i).duration > 0 ? 1 : 0;
    return iOwn;
}

void ZodoZadar::showOwnDurations()
{
    // Every picture with its own duration: the box's value reaches none of them, and says so.
    const int iOwn = ownDurationCount();
    const bool bAll = iOwn > 0 && iOwn == m_pDocument->edit().materialOrder.size();
    QSpinBox *pBox = ui->boxImageDuration;
    if (pBox->property("ownDurations").toBool() != bAll) {
        pBox->setProperty("ownDurations", bAll);
        pBox->style()->unpolish(pBox);
        pBox->style()->polish(pBox);
    }
    pBox->setToolTip(bAll ? tr("Every picture has its own duration (fitted to the music, or set "
                               "in its panel); this one is for pictures added later")
                          : QString());
    if (iOwn == 0)
        ui->btnDurationToAll->hide();
}

void ZodoZadar::setAllDurations()
{
    const int iSeconds = ui->btnDurationToAll->property("seconds").toInt();
    if (refuseEdit() || iSeconds < minDuration)
        return;
    Album &job = m_pDocument->edit();
    m_pDocument->beginEdit();
    AlbumChange change;
    {
        m_pPreview->halt();
        change = setUniformDurationSeconds(job, iSeconds);
        for (int i = 0; i < job.materialOrder.size(); ++i) {
            PictureOptions options = job.optionsAt(i);
            options.duration = 0;
            change.totalChanged |= setPictureOptions(job, i, options).totalChanged;
        }
    }
    ui->btnDurationToAll->hide();
    setTotalTimeDisplay();
    updatePictureMarks();
    showAlbumSettings();
    m_pDocument->commitEdit(tr("Set all durations"));
}

void ZodoZadar::changeImageDurationComboBoxStyle()
{
    QSpinBox *pBox = ui->boxImageDuration;
    pBox->setProperty("isMaximum", pBox->value() >= maxDuration);
    pBox->setProperty("isMinimum", pBox->value() <= minDuration);
    pBox->style()->unpolish(pBox);
    pBox->style()->polish(pBox);
}
