// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the settings panel (watermark type, position, text, font, picture; music).
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "previewcontroller.h"

#include "albumdocument.h"

#include "album.h"
#include "cqcombobox.h"
#include "cqquitdialog.h"
#include "cqtoast.h"
#include "cqvideoplay.h"
#include "filechooser.h"
#include "fontdialog.h"
#include "imagedecoder.h"
#include "imagewatermarkhelpdialog.h"
#include "musicprobe.h"
#include "places.h"
#include "qtinversionwidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCursor>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QToolTip>

namespace {
bool watermarkHasContent(const Album &job)
{
    return (job.watermarkType == WatermarkText && !job.watermarkText.isEmpty()) ||
           (job.watermarkType == WatermarkPicture && !job.watermarkImagePath.isEmpty());
}

QString pictureFilter()
{
    return ZodoZadar::tr(
        "JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG Files(*.png)");
}
} // namespace

void ZodoZadar::setElidedName(QLabel *pLabel, const QString &szName)
{
    const QMargins margins = pLabel->contentsMargins();
    const int iWidth = pLabel->width() - margins.left() - margins.right();
    pLabel->setText(pLabel->fontMetrics().elidedText(szName, Qt::ElideRight, iWidth));
}

void ZodoZadar::watermarkTypeChanged(int iType, bool bChecked)
{
    if (!bChecked || refuseEdit())
        return;
    m_pDocument->beginEdit();
    const auto commit = qScopeGuard([this] { m_pDocument->commitEdit(tr("Change watermark")); });
    Album &job = m_pDocument->edit();
    m_pPreview->halt();
    if (typeRevertPending) {
        typeRevertPending = false;
        return;
    }
    if (job.watermarkType != WatermarkNone && job.watermarkType != iType &&
        watermarkHasContent(job)) {
        const int iCurrent = job.watermarkType;
        // No dialog runs while the album is locked: the renderer would wait on it.
        beginWorkflow(Workflow::WatermarkSwitch);
        ShareCode::CQQuitDialog dialog(ShareCode::QtInversionWidget::instance());
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.setTitle(tr("Tips"));
        dialog.setTip(tr("After switching the watermark type, the original watermark will be "
                         "replaced."));
        dialog.setTip2(tr("Whether to continue?"));
        dialog.setOkText(tr("OK"));
        dialog.setCancelText(tr("Cancel"));
        // Closing the dialog any other way than OK keeps the current type too.
        typeRevertPending = true;
        connect(&dialog, &ShareCode::CQQuitDialog::cancelSignal, this, [this, iCurrent] {
            typeRevertPending = true;
            m_pWatermarkTypeGroup->button(iCurrent)->setChecked(true);
        });
        connect(&dialog, &ShareCode::CQQuitDialog::okSignal, this, [this, iType] {
            typeRevertPending = false;
            m_pWatermarkTypeGroup->button(iType)->setChecked(true);
        });
        dialog.exec();
        endWorkflow(Workflow::WatermarkSwitch);
        if (typeRevertPending) {
            // The button's re-check arrives later as a toggle of the current type.
            typeRevertPending = false;
            if (!m_pWatermarkTypeGroup->button(iCurrent)->isChecked())
                m_pWatermarkTypeGroup->button(iCurrent)->setChecked(true);
            return;
        }
    }
    switch (iType) {
    case WatermarkNone:
        job.watermarkType = WatermarkNone;
        ui->divWatermarkOperate->hide();
        ui->divWatermarkPos->hide();
        break;
    case WatermarkText:
        job.watermarkType = WatermarkText;
        ui->divWatermarkOperate->setCurrentWidget(ui->pageTextWatermark);
        ui->divWatermarkOperate->show();
        ui->divWatermarkPos->show();
        break;
    case WatermarkPicture:
        job.watermarkType = WatermarkPicture;
        ui->divWatermarkOperate->setCurrentWidget(ui->pageImageWatermark);
        ui->divWatermarkOperate->show();
        ui->divWatermarkPos->show();
        if (!keepIfReadable(job.watermarkImagePath))
            ui->labelImageWatermarkName->setText(tr("Please select image watermark"));
        if (job.watermarkImagePath.isEmpty()) {
            m_pPreview->refreshCover();
            addImageWatermark();
            return;
        }
        break;
    default:
        break;
    }
    m_pPreview->refreshCover();
}

void ZodoZadar::watermarkTypeChanged(int iType)
{
    watermarkTypeChanged(iType, true);
}

void ZodoZadar::watermarkPosChanged(int iPos, bool bChecked)
{
    if (!bChecked || refuseEdit())
        return;
    m_pDocument->beginEdit();
    {
        m_pPreview->halt();
        m_pDocument->edit().watermarkPosition = iPos;
    }
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Move watermark"));
}

void ZodoZadar::watermarkPosChanged(int iPos)
{
    watermarkPosChanged(iPos, true);
}

void ZodoZadar::textWatermarkChanged()
{
    Album &job = m_pDocument->edit();
    const QString szText = ui->editWatermarkText->text();
    // Leaving the field without a change would otherwise stop a running preview for nothing.
    if (szText == job.watermarkText || refuseEdit())
        return;
    m_pDocument->beginEdit();
    {
        m_pPreview->halt();
        job.watermarkText = szText;
    }
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change watermark text"));
}

void ZodoZadar::endTextEditing()
{
    QLineEdit *pEdit = ui->editWatermarkText;
    pEdit->clearFocus();
    pEdit->setProperty("editing", false);
    pEdit->style()->unpolish(pEdit);
    pEdit->style()->polish(pEdit);
}

void ZodoZadar::selectFontStyle()
{
    if (!beginWorkflow(Workflow::Font))
        return;
    m_pDocument->beginEdit();
    Album &job = m_pDocument->edit();
    FontDialog dialog(this);
    // The family really drawn and the size in points: OK without a change then changes nothing.
    dialog.setCurrentFont(FontDialog::dialogFontFor(job.watermarkFont));
    dialog.setCurrentColor(job.watermarkColor);
    bool bChanged = false;
    connect(&dialog, &FontDialog::fontSelected, this, [this, &job, &bChanged](QFont stFont) {
        m_pPreview->halt();
        job.fontRule.applyChosenFont(job, stFont);
        bChanged = true;
    });
    connect(&dialog, &FontDialog::colorSelected, this, [this, &job, &bChanged](QColor stColor) {
        // No halt for the colour alone; the lock keeps the renderer from reading it half-written.
        job.watermarkColor = stColor;
        bChanged = true;
    });
    dialog.exec();
    endWorkflow(Workflow::Font);
    // One refresh once font and colour are both written, so the cover shows them together.
    if (bChanged)
        m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change watermark font"));
}

void ZodoZadar::addImageWatermark()
{
    if (!beginWorkflow(Workflow::WatermarkImage))
        return;
    const QString szFile = FileChooser::openFile(
        tr("VMAlbum"), Places::startFolder(Places::Kind::Watermark), pictureFilter());
    if (szFile.isEmpty()) {
        endWorkflow(Workflow::WatermarkImage);
        return;
    }
    Places::rememberFile(Places::Kind::Watermark, szFile);
    checkWatermarkImage(szFile);
}

void ZodoZadar::checkWatermarkImage(const QString &szFile)
{
    advanceWorkflow(Workflow::WatermarkImage, WorkflowPhase::Running);
    m_watermarkName = QFileInfo(szFile).fileName();
    m_pDecoder->running = true;
    m_watermarkRequest = ++m_lastDecodeRequest;
    emit m_pDecoder->sig_decodeRequest(m_watermarkRequest, szFile, true);
}

void ZodoZadar::watermarkChecked(const QString &szFile, bool bOk)
{
    m_watermarkRequest = 0;
    m_pDecoder->running = false;
    // Ended first: the album change below is this workflow's own result.
    endWorkflow(Workflow::WatermarkImage);
    if (!bOk) {
        toast(fileNameFitsAlbum(szFile)
                  ? tr("Failed to add watermark, because of the abnormal picture")
                  : tr("Failed to add watermark, because its name has a line break"));
        return;
    }
    emit sig_imageWatermarkChanged(szFile);
    setElidedName(ui->labelImageWatermarkName, m_watermarkName);
}

void ZodoZadar::imageWatermarkChanged(QString szFilePath)
{
    if (refuseEdit())
        return;
    m_pDocument->beginEdit();
    {
        m_pPreview->halt();
        setWatermarkImage(m_pDocument->edit(), szFilePath);
    }
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change watermark picture"));
}

void ZodoZadar::backgroundMusicTypeChanged(int iType, bool bChecked)
{
    if (refuseEdit())
        return;
    m_pDocument->beginEdit();
    const auto commit = qScopeGuard([this] { m_pDocument->commitEdit(tr("Change music")); });
    Album &job = m_pDocument->edit();
    m_pPreview->halt();
    if (!bChecked)
        return;
    if (iType == MusicNone) {
        job.musicType = MusicNone;
        ui->divBackgroundOperate->setCurrentWidget(ui->pageNoMusic);
    } else if (iType == MusicCustom) {
        job.musicType = MusicCustom;
        ui->divBackgroundOperate->setCurrentWidget(ui->pageCustomMusic);
        if (!keepIfReadable(job.musicPath))
            ui->labelBackgroundMusicName->setText(tr("Please select background music file"));
        if (job.musicPath.isEmpty()) {
            addBackgroundMusic();
        }
    }
}

void ZodoZadar::backgroundMusicTypeChanged(int iType)
{
    backgroundMusicTypeChanged(iType, true);
}

void ZodoZadar::addBackgroundMusic()
{
    if (!beginWorkflow(Workflow::Music))
        return;
    const QString szFile = FileChooser::openFile(
        tr("VMAlbum"), Places::startFolder(Places::Kind::Music), tr("MP3 File(*.mp3)"));
    endWorkflow(Workflow::Music);
    Places::rememberFile(Places::Kind::Music, szFile);
    if (!szFile.isEmpty() && acceptMusicFile(szFile))
        useBackgroundMusic(szFile);
}

bool ZodoZadar::acceptMusicFile(const QString &szFile)
{
    // Checked when chosen rather than at the first preview or export: a file without MP3 sound
    // in it, or one the album file could not name, is refused here, and the album keeps its music.
    if (!fileNameFitsAlbum(szFile)) {
        toast(tr("Failed to add background music, because its name has a line break"));
        return false;
    }
    if (probeMusicFile(szFile).isMp3())
        return true;
    toast(tr("Failed to add background music, because the file has no MP3 sound"));
    return false;
}

void ZodoZadar::useBackgroundMusic(const QString &szFile)
{
    m_pDocument->beginEdit();
    const auto commit = qScopeGuard([this] { m_pDocument->commitEdit(tr("Change music")); });
    ui->labelBackgroundMusicName->clear();
    m_pPreview->halt();
    setElidedName(ui->labelBackgroundMusicName, QFileInfo(szFile).fileName());
    {
        setMusicFile(m_pDocument->edit(), szFile);
    }
    m_pPreview->refreshCover();
}

void ZodoZadar::showAlbumSettings()
{
    const Album &job = m_pDocument->album();
    auto select = [](QButtonGroup *pGroup, int iId) {
        QSignalBlocker blocker(pGroup);
        if (QAbstractButton *pButton = pGroup->button(iId))
            pButton->setChecked(true);
    };
    select(m_pWatermarkTypeGroup, job.watermarkType);
    select(m_pWatermarkPosGroup, job.watermarkPosition);
    select(m_pMusicTypeGroup, job.musicType);
    {
        QSignalBlocker blocker(ui->editWatermarkText);
        ui->editWatermarkText->setText(job.watermarkText);
    }
    {
        QSignalBlocker ratio(ui->comboVideoRatio);
        QSignalBlocker height(ui->comboVideoHeight);
        ui->comboVideoRatio->setCurrentIndex(job.ratioIndex);
        ui->comboVideoHeight->setCurrentIndex(job.heightIndex);
    }
    if (!currentPath.isEmpty()) {
        QSignalBlocker blocker(ui->boxImageDuration);
        ui->boxImageDuration->setValue(
            int(job.uniformDurationValue * job.uniformDurationTimeBase.num /
                job.uniformDurationTimeBase.den));
        changeImageDurationComboBoxStyle();
    }
}

bool ZodoZadar::settingsEvent(QObject *watched, QEvent *event)
{
    const Album &job = m_pDocument->album();
    if (watched == ui->btnImageWartermarkHelp) {
        if (event->type() == QEvent::HoverEnter) {
            if (!ui->btnImageWartermarkHelp->isEnabled())
                return true;
            ui->btnImageWartermarkHelp->setStyleSheet(
                QStringLiteral("border-image: url(:/theme_local/imgs/watermarkHelp-1.png)"));
            if (!m_pHelpPopup) {
                auto *pPopup = new ImageWatermarkHelpDialog(this);
                pPopup->setAttribute(Qt::WA_DeleteOnClose);
                pPopup->setFixedSize(256, 68);
                pPopup->setText(tr("To ensure the clarity of the watermark, the recommended "
                                   "upload size of the image is 1274 x 418"));
                pPopup->move(QCursor::pos() + QPoint(-226, 12));
                pPopup->show();
                m_pHelpPopup = pPopup;
            }
            return true;
        }
        if (event->type() == QEvent::HoverLeave) {
            ui->btnImageWartermarkHelp->setStyleSheet(
                QStringLiteral("border-image: url(:/theme_local/imgs/watermarkHelp.png)"));
            if (m_pHelpPopup)
                m_pHelpPopup->close();
            m_pHelpPopup = nullptr;
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        QString szPath;
        if (watched == ui->labelBackgroundMusicName)
            szPath = job.musicPath;
        else if (watched == ui->labelImageWatermarkName)
            szPath = job.watermarkImagePath;
        if (!szPath.isEmpty()) {
            auto *pHelp = static_cast<QHelpEvent *>(event);
            QToolTip::showText(pHelp->globalPos(), QFileInfo(szPath).fileName(),
                               static_cast<QWidget *>(watched));
            return true;
        }
    }
    return false;
}
