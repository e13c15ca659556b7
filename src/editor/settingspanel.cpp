// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingspanel.h"

#include "zodozadar.h"
#include "zodozadar_form.h"

#include "album.h"
#include "albumdocument.h"
#include "albumops.h"
#include "clipsource.h"
#include "cqcombobox.h"
#include "cqquitdialog.h"
#include "filechooser.h"
#include "fontdialog.h"
#include "imagedecoder.h"
#include "imagewatermarkhelpdialog.h"
#include "musicprobe.h"
#include "pictureimport.h"
#include "places.h"
#include "previewcontroller.h"
#include "qtinversionwidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QToolTip>

namespace {
bool watermarkHasContent(const Album &album)
{
    return (album.watermarkType == WatermarkText && !album.watermarkText.isEmpty()) ||
           (album.watermarkType == WatermarkPicture && !album.watermarkImagePath.isEmpty());
}

QString pictureFilter()
{
    // The watermark takes every kind of picture the album does.
    return PictureImport::pictureChooserFilter();
}
} // namespace

SettingsPanel::SettingsPanel(ZodoZadar &editor, AlbumDocument *pDocument,
                             PreviewController *pPreview, ImageDecoder *pDecoder)
    : m_editor(editor), ui(editor.form()), m_pDocument(pDocument), m_pPreview(pPreview),
      m_pDecoder(pDecoder)
{
    m_pWatermarkTypeGroup = new QButtonGroup(&editor);
    m_pWatermarkTypeGroup->setExclusive(true);
    m_pWatermarkTypeGroup->addButton(ui->radioNoWatermark, WatermarkNone);
    m_pWatermarkTypeGroup->addButton(ui->radioTextWatermark, WatermarkText);
    m_pWatermarkTypeGroup->addButton(ui->radioImageWatermark, WatermarkPicture);
    ui->radioNoWatermark->setChecked(true);

    m_pMusicTypeGroup = new QButtonGroup(&editor);
    m_pMusicTypeGroup->setExclusive(true);
    m_pMusicTypeGroup->addButton(ui->radioNoMusic, MusicNone);
    m_pMusicTypeGroup->addButton(ui->ratioCustomMusic, MusicCustom);
    ui->radioNoMusic->setChecked(true);

    m_pWatermarkPosGroup = new QButtonGroup(&editor);
    m_pWatermarkPosGroup->setExclusive(true);
    for (int i = 0; i < 9; ++i)
        m_pWatermarkPosGroup->addButton(ui->positionBox(i), 1 << i);
    ui->checkWatermarkPosLeftTop->setChecked(true);

    ui->divWatermarkOperate->hide();
    ui->divWatermarkPos->hide();
    ui->divBackgroundOperate->setCurrentWidget(ui->pageNoMusic);
    ui->comboVideoRatio->setCurrentIndex(1);
    ui->comboVideoHeight->setCurrentIndex(2);
    ui->btnImageWartermarkHelp->setAttribute(Qt::WA_Hover);
    ui->btnImageWartermarkHelp->setStyleSheet(
        QStringLiteral("border-image: url(:/theme_local/imgs/watermarkHelp.png)"));
}

void SettingsPanel::connectControls()
{
    QObject *pContext = &m_editor;
    // The index signal: the text-carrying overload is deprecated.
    QObject::connect(ui->comboVideoRatio, qOverload<int>(&QComboBox::currentIndexChanged), pContext,
                     [this](int iIndex) { ratioChanged(iIndex); });
    QObject::connect(ui->comboVideoHeight, qOverload<int>(&QComboBox::currentIndexChanged),
                     pContext, [this](int iIndex) { heightChanged(iIndex); });
    // The type toggle is queued: a refused switch re-checks the old button from inside the
    // handler, and that toggle must come back as a fresh call.
    QObject::connect(
        m_pWatermarkTypeGroup, &QButtonGroup::idToggled, pContext,
        [this](int iType, bool bChecked) { watermarkTypeChanged(iType, bChecked); },
        Qt::QueuedConnection);
    QObject::connect(m_pWatermarkPosGroup, &QButtonGroup::idToggled, pContext,
                     [this](int iPos, bool bChecked) { watermarkPosChanged(iPos, bChecked); });
    QObject::connect(ui->editWatermarkText, &QLineEdit::editingFinished, pContext, [this] {
        textChanged();
        ui->editWatermarkText->clearFocus();
        setTextEditing(false);
    });
    QObject::connect(ui->btnFontStyle, &QPushButton::clicked, pContext, [this] { selectFont(); });
    QObject::connect(ui->btnAddImageWatermark, &QPushButton::clicked, pContext,
                     [this] { addWatermarkPicture(); });
    QObject::connect(m_pMusicTypeGroup, &QButtonGroup::idToggled, pContext,
                     [this](int iType, bool bChecked) { musicTypeChanged(iType, bChecked); });
    QObject::connect(ui->btnAddBackgroundMusic, &QPushButton::clicked, pContext,
                     [this] { addMusic(); });
}

void SettingsPanel::setElidedName(QLabel *pLabel, const QString &szName, Qt::TextElideMode mode)
{
    const QMargins margins = pLabel->contentsMargins();
    const int iWidth = pLabel->width() - margins.left() - margins.right();
    pLabel->setText(pLabel->fontMetrics().elidedText(szName, mode, iWidth));
}

void SettingsPanel::ratioChanged(int iIndex)
{
    if (m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    m_pPreview->halt();
    Album &album = m_pDocument->edit();
    album.ratioIndex = iIndex;
    m_editor.notify(applyRatioText(album, ui->comboVideoRatio->itemText(iIndex)));
    m_pDocument->commitEdit(tr("Change ratio"));
}

void SettingsPanel::heightChanged(int iIndex)
{
    if (m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    m_pPreview->halt();
    Album &album = m_pDocument->edit();
    album.heightIndex = iIndex;
    m_editor.notify(applyHeightText(album, ui->comboVideoHeight->itemText(iIndex), album.fontRule));
    m_pDocument->commitEdit(tr("Change height"));
}

void SettingsPanel::watermarkTypeChanged(int iType, bool bChecked)
{
    if (!bChecked || m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    const auto commit = qScopeGuard([this] { m_pDocument->commitEdit(tr("Change watermark")); });
    Album &album = m_pDocument->edit();
    m_pPreview->halt();
    if (m_bTypeRevertPending) {
        m_bTypeRevertPending = false;
        return;
    }
    if (album.watermarkType != WatermarkNone && album.watermarkType != iType &&
        watermarkHasContent(album)) {
        const int iCurrent = album.watermarkType;
        m_editor.beginWorkflow(Workflow::WatermarkSwitch);
        ShareCode::CQQuitDialog dialog(ShareCode::QtInversionWidget::instance());
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.setTitle(tr("Tips"));
        dialog.setTip(tr("After switching the watermark type, the original watermark will be "
                         "replaced."));
        dialog.setTip2(tr("Whether to continue?"));
        dialog.setOkText(tr("OK"));
        dialog.setCancelText(tr("Cancel"));
        // Closing the dialog any other way than OK keeps the current type too.
        m_bTypeRevertPending = true;
        QObject::connect(&dialog, &ShareCode::CQQuitDialog::cancelSignal, &dialog,
                         [this, iCurrent] {
                             m_bTypeRevertPending = true;
                             m_pWatermarkTypeGroup->button(iCurrent)->setChecked(true);
                         });
        QObject::connect(&dialog, &ShareCode::CQQuitDialog::okSignal, &dialog, [this, iType] {
            m_bTypeRevertPending = false;
            m_pWatermarkTypeGroup->button(iType)->setChecked(true);
        });
        dialog.exec();
        m_editor.endWorkflow(Workflow::WatermarkSwitch);
        if (m_bTypeRevertPending) {
            // The button's re-check arrives later as a toggle of the current type.
            m_bTypeRevertPending = false;
            if (!m_pWatermarkTypeGroup->button(iCurrent)->isChecked())
                m_pWatermarkTypeGroup->button(iCurrent)->setChecked(true);
            return;
        }
    }
    switch (iType) {
    case WatermarkNone:
        album.watermarkType = WatermarkNone;
        ui->divWatermarkOperate->hide();
        ui->divWatermarkPos->hide();
        break;
    case WatermarkText:
        album.watermarkType = WatermarkText;
        ui->divWatermarkOperate->setCurrentWidget(ui->pageTextWatermark);
        ui->divWatermarkOperate->show();
        ui->divWatermarkPos->show();
        break;
    case WatermarkPicture:
        album.watermarkType = WatermarkPicture;
        ui->divWatermarkOperate->setCurrentWidget(ui->pageImageWatermark);
        ui->divWatermarkOperate->show();
        ui->divWatermarkPos->show();
        if (!keepIfReadable(album.watermarkImagePath))
            ui->labelImageWatermarkName->setText(tr("Please select image watermark"));
        if (album.watermarkImagePath.isEmpty()) {
            m_pPreview->refreshCover();
            addWatermarkPicture();
            return;
        }
        break;
    default:
        break;
    }
    m_pPreview->refreshCover();
}

void SettingsPanel::watermarkPosChanged(int iPos, bool bChecked)
{
    if (!bChecked || m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    m_pPreview->halt();
    m_pDocument->edit().watermarkPosition = iPos;
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Move watermark"));
}

void SettingsPanel::textChanged()
{
    const QString szText = ui->editWatermarkText->text();
    // Leaving the field without a change would otherwise stop a running preview for nothing.
    if (szText == m_pDocument->album().watermarkText || m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    m_pPreview->halt();
    m_pDocument->edit().watermarkText = szText;
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change watermark text"));
}

void SettingsPanel::setTextEditing(bool bEditing)
{
    QLineEdit *pEdit = ui->editWatermarkText;
    if (pEdit->property("editing").toBool() == bEditing)
        return;
    pEdit->setProperty("editing", bEditing);
    pEdit->style()->unpolish(pEdit);
    pEdit->style()->polish(pEdit);
}

void SettingsPanel::endTextEditingUnless(QObject *pClicked)
{
    if (pClicked == ui->editWatermarkText) {
        setTextEditing(true);
        return;
    }
    if (ui->editWatermarkText->hasFocus())
        ui->editWatermarkText->clearFocus();
    setTextEditing(false);
}

void SettingsPanel::selectFont()
{
    if (!m_editor.beginWorkflow(Workflow::Font))
        return;
    m_pDocument->beginEdit();
    Album &album = m_pDocument->edit();
    FontDialog dialog(&m_editor);
    // The family really drawn and the size in points: OK without a change then changes nothing.
    dialog.setCurrentFont(FontDialog::dialogFontFor(album.watermarkFont));
    dialog.setCurrentColor(album.watermarkColor);
    bool bChanged = false;
    QObject::connect(&dialog, &FontDialog::fontSelected, &dialog,
                     [this, &album, &bChanged](QFont stFont) {
                         m_pPreview->halt();
                         album.fontRule.applyChosenFont(album, stFont);
                         bChanged = true;
                     });
    QObject::connect(&dialog, &FontDialog::colorSelected, &dialog,
                     [&album, &bChanged](QColor stColor) {
                         album.watermarkColor = stColor;
                         bChanged = true;
                     });
    dialog.exec();
    m_editor.endWorkflow(Workflow::Font);
    // One refresh once font and colour are both written, so the cover shows them together.
    if (bChanged)
        m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change watermark font"));
}

void SettingsPanel::addWatermarkPicture()
{
    if (!m_editor.beginWorkflow(Workflow::WatermarkImage))
        return;
    const QString szFile = FileChooser::openFile(
        tr("VMAlbum"), Places::startFolder(Places::Kind::Watermark), pictureFilter());
    if (szFile.isEmpty()) {
        m_editor.endWorkflow(Workflow::WatermarkImage);
        return;
    }
    Places::rememberFile(Places::Kind::Watermark, szFile);
    // Checked by the decoder before the album takes it.
    m_editor.advanceWorkflow(Workflow::WatermarkImage, WorkflowPhase::Running);
    m_watermarkName = QFileInfo(szFile).fileName();
    m_pDecoder->running = true;
    m_watermarkRequest = m_editor.nextDecodeRequest();
    emit m_pDecoder->sig_decodeRequest(m_watermarkRequest, szFile, true);
}

bool SettingsPanel::answered(quint64 iRequest, const QString &szFile, bool bOk)
{
    if (iRequest == 0 || iRequest != m_watermarkRequest)
        return false;
    m_watermarkRequest = 0;
    m_pDecoder->running = false;
    // Ended first: the album change below is this workflow's own result.
    m_editor.endWorkflow(Workflow::WatermarkImage);
    // A film is an item of the album, never a watermark.
    if (bOk && clipFactsOf(szFile).duration > 0)
        bOk = false;
    if (!bOk) {
        m_editor.toast(fileNameFitsAlbum(szFile)
                           ? tr("Failed to add watermark, because of the abnormal picture")
                           : tr("Failed to add watermark, because its name has a line break"));
        return true;
    }
    useWatermarkPicture(szFile);
    setElidedName(ui->labelImageWatermarkName, m_watermarkName);
    return true;
}

void SettingsPanel::useWatermarkPicture(const QString &szFile)
{
    if (m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    m_pPreview->halt();
    setWatermarkImage(m_pDocument->edit(), szFile);
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change watermark picture"));
}

void SettingsPanel::musicTypeChanged(int iType, bool bChecked)
{
    if (m_editor.refuseEdit())
        return;
    m_pDocument->beginEdit();
    const auto commit = qScopeGuard([this] { m_pDocument->commitEdit(tr("Change music")); });
    Album &album = m_pDocument->edit();
    m_pPreview->halt();
    if (!bChecked)
        return;
    if (iType == MusicNone) {
        album.musicType = MusicNone;
        ui->divBackgroundOperate->setCurrentWidget(ui->pageNoMusic);
    } else if (iType == MusicCustom) {
        album.musicType = MusicCustom;
        ui->divBackgroundOperate->setCurrentWidget(ui->pageCustomMusic);
        if (!keepIfReadable(album.musicPath))
            ui->labelBackgroundMusicName->setText(tr("Please select background music file"));
        if (album.musicPath.isEmpty())
            addMusic();
    }
}

void SettingsPanel::addMusic()
{
    const QString szFile = chooseMusicFile();
    if (!szFile.isEmpty())
        useMusic(szFile);
}

QString SettingsPanel::chooseMusicFile()
{
    if (!m_editor.beginWorkflow(Workflow::Music))
        return QString();
    // Any file can be chosen too: the sound of a video is music as well, and the probe decides.
    const QStringList filters{tr("Music (*.mp3 *.m4a *.aac *.ogg *.oga *.opus *.flac *.wav)"),
                              tr("MP3 File(*.mp3)"), tr("All Files (*)")};
    const QString szFile =
        FileChooser::openFile(tr("VMAlbum"), Places::startFolder(Places::Kind::Music),
                              filters.join(QStringLiteral(";;")));
    m_editor.endWorkflow(Workflow::Music);
    Places::rememberFile(Places::Kind::Music, szFile);
    return !szFile.isEmpty() && acceptMusicFile(szFile) ? szFile : QString();
}

bool SettingsPanel::acceptMusicFile(const QString &szFile)
{
    // Checked when chosen rather than at the first preview or export: a file without sound that
    // decodes, whatever its name, or one the album file could not name, is refused here, and the
    // album keeps its music.
    if (!fileNameFitsAlbum(szFile)) {
        m_editor.toast(tr("Failed to add background music, because its name has a line break"));
        return false;
    }
    const MusicProbe probe = probeMusicFile(szFile);
    if (probe.playable())
        return true;
    // A file named as MP3 was meant to hold MP3 sound, and is told so.
    if (szFile.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive)) {
        m_editor.toast(tr("Failed to add background music, because the file has no MP3 sound"));
        return false;
    }
    switch (probe.fault) {
    case MusicFault::NoSound:
        m_editor.toast(tr("Failed to add background music, because the file has no sound"));
        break;
    case MusicFault::NoDecoder:
        m_editor.toast(tr("Failed to add background music, because its sound is in a format "
                          "that cannot be played"));
        break;
    case MusicFault::Undecodable:
        m_editor.toast(tr("Failed to add background music, because its sound cannot be decoded"));
        break;
    default:
        m_editor.toast(tr("Failed to add background music, because the file is not a sound or "
                          "video file"));
        break;
    }
    return false;
}

void SettingsPanel::useMusic(const QString &szFile)
{
    m_pDocument->beginEdit();
    ui->labelBackgroundMusicName->clear();
    m_pPreview->halt();
    setMusicFile(m_pDocument->edit(), szFile);
    m_pPreview->refreshCover();
    m_pDocument->commitEdit(tr("Change music"));
    showPages();
}

void SettingsPanel::dropMusic(const QString &szFile)
{
    // Checked before the music type changes: a refused file leaves the settings as they were.
    if (!acceptMusicFile(szFile))
        return;
    if (!ui->ratioCustomMusic->isChecked()) {
        // With the path in place, switching to custom music opens no chooser.
        m_pPreview->halt();
        setMusicFile(m_pDocument->edit(), szFile);
        ui->ratioCustomMusic->setChecked(true);
        // The page was hidden until now: settle its layout so that the name is elided to the
        // label's real width.
        ui->pageCustomMusic->layout()->activate();
    }
    useMusic(szFile);
}

void SettingsPanel::showSettings()
{
    const Album &album = m_pDocument->album();
    auto select = [](QButtonGroup *pGroup, int iId) {
        QSignalBlocker blocker(pGroup);
        if (QAbstractButton *pButton = pGroup->button(iId))
            pButton->setChecked(true);
    };
    select(m_pWatermarkTypeGroup, album.watermarkType);
    select(m_pWatermarkPosGroup, album.watermarkPosition);
    select(m_pMusicTypeGroup, album.musicType);
    {
        QSignalBlocker blocker(ui->editWatermarkText);
        ui->editWatermarkText->setText(album.watermarkText);
    }
    QSignalBlocker ratio(ui->comboVideoRatio);
    QSignalBlocker height(ui->comboVideoHeight);
    ui->comboVideoRatio->setCurrentIndex(album.ratioIndex);
    ui->comboVideoHeight->setCurrentIndex(album.heightIndex);
}

void SettingsPanel::showPages()
{
    const Album &album = m_pDocument->album();
    const bool bWatermark =
        album.watermarkType == WatermarkText || album.watermarkType == WatermarkPicture;
    ui->divWatermarkOperate->setCurrentWidget(
        album.watermarkType == WatermarkPicture ? ui->pageImageWatermark : ui->pageTextWatermark);
    ui->divWatermarkOperate->setVisible(bWatermark);
    ui->divWatermarkPos->setVisible(bWatermark);
    if (album.watermarkImagePath.isEmpty())
        ui->labelImageWatermarkName->setText(tr("Please select image watermark"));
    else
        setElidedName(ui->labelImageWatermarkName, QFileInfo(album.watermarkImagePath).fileName());
    ui->divBackgroundOperate->setCurrentWidget(album.musicType == MusicCustom ? ui->pageCustomMusic
                                                                              : ui->pageNoMusic);
    if (album.musicPath.isEmpty())
        ui->labelBackgroundMusicName->setText(tr("Please select background music file"));
    else if (album.musicMore.isEmpty())
        setElidedName(ui->labelBackgroundMusicName, QFileInfo(album.musicPath).fileName());
    else
        setElidedName(ui->labelBackgroundMusicName,
                      tr("%1 and %n more", nullptr, int(album.musicMore.size()))
                          .arg(QFileInfo(album.musicPath).fileName()),
                      Qt::ElideMiddle); // the count stays in view
}

bool SettingsPanel::event(QObject *watched, QEvent *event)
{
    if (watched == ui->btnImageWartermarkHelp) {
        if (event->type() == QEvent::HoverEnter) {
            if (!ui->btnImageWartermarkHelp->isEnabled())
                return true;
            ui->btnImageWartermarkHelp->setStyleSheet(
                QStringLiteral("border-image: url(:/theme_local/imgs/watermarkHelp-1.png)"));
            if (!m_pHelpPopup) {
                auto *pPopup = new ImageWatermarkHelpDialog(&m_editor);
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
        const Album &album = m_pDocument->album();
        QString szPath;
        if (watched == ui->labelBackgroundMusicName)
            szPath = album.musicPath;
        else if (watched == ui->labelImageWatermarkName)
            szPath = album.watermarkImagePath;
        if (!szPath.isEmpty()) {
            auto *pHelp = static_cast<QHelpEvent *>(event);
            QToolTip::showText(pHelp->globalPos(), QFileInfo(szPath).fileName(),
                               static_cast<QWidget *>(watched));
            return true;
        }
    }
    return false;
}
