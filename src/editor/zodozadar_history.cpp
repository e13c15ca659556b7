// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: undo and redo, and the whole album shown afresh when the document puts a state
// back.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "missingpictures.h"

#include "previewcontroller.h"
#include "settingspanel.h"

#include "albumdocument.h"
#include "cqcombobox.h"
#include "cqvideoplay.h"
#include "imagelistview.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QUndoStack>

QUndoStack *ZodoZadar::undoStack() const
{
    return m_pDocument->undoStack();
}

void ZodoZadar::showAlbum()
{
    // Whatever played showed the album before the change.
    m_pPreview->halt();
    const Album &album = m_pDocument->album();
    ui->imageSourceList->model()->removeRows(0, ui->imageSourceList->model()->rowCount());
    for (const QString &szPath : album.materialOrder)
        ui->imageSourceList->appendImage(szPath, m_thumbnails.value(szPath));
    // The missing tiles between them, in the order of their places.
    for (const MissingPicture &entry : album.missing)
        m_pMissing->insertTile(entry);
    updatePictureMarks();
    auto *pModel = ui->imageSourceList->model();
    if (pModel->rowCount() > 0) {
        currentPath = album.materialOrder.value(0);
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
    m_pSettings->showPages();
    setTotalTimeDisplay();
    m_pPreview->refreshCover();
    updateControls();
    updateTitle();
}

void ZodoZadar::showAlbumSettings()
{
    m_pSettings->showSettings();
    if (!currentPath.isEmpty()) {
        const Album &album = m_pDocument->album();
        QSignalBlocker blocker(ui->boxImageDuration);
        ui->boxImageDuration->setValue(
            int(album.uniformDurationValue * album.uniformDurationTimeBase.num /
                album.uniformDurationTimeBase.den));
        changeImageDurationComboBoxStyle();
    }
}

void ZodoZadar::undo()
{
    if (m_workflow.idle())
        m_pDocument->undo();
}

void ZodoZadar::redo()
{
    if (m_workflow.idle())
        m_pDocument->redo();
}
