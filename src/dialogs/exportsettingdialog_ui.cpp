// SPDX-License-Identifier: GPL-3.0-or-later
// Export settings form, built in code the way a form designer would generate it.
#include "exportsettingdialog_ui.h"

#include "cqcombobox.h"

#include <QCoreApplication>
#include <QDialog>

namespace Ui {

namespace {

// The card, the location band and the buttons. Only ID selectors here: the dialog's toasts are
// its children too and keep their own looks.
const char kDialogStyle[] =
    "#labelFileName,#label_3,#labelFileDir{font-family:\"Microsoft YaHei\";font-size:14px;"
    "color:#666666;}"
    "#labelFileName:disabled,#label_3:disabled,#labelFileDir:disabled{color:rgb(120, 120, 120);}"
    "#divExportpLocation{background-color:#F8F8FB;border-top-left-radius:0px;"
    "border-top-right-radius:0px;border-bottom-left-radius:10px;"
    "border-bottom-right-radius:10px;}"
    "QLineEdit#editFileName{border:none;border-radius:4px;background:transparent;"
    "color:#666666;font-family:\"Microsoft YaHei\";font-size:14px;padding:0px 6px;"
    "selection-background-color:#5C46F4;selection-color:#FFFFFF;}"
    "QLineEdit#editFileName[editing=\"true\"]{background-color:#F0F0F2;color:#333333;}"
    "#btnEditFileName{border:none;border-image:url(:/theme_local/imgs/epset_edit_normal.png);}"
    "#btnEditFileName:hover,#btnEditFileName:pressed{"
    "border-image:url(:/theme_local/imgs/epset_edit_press.png);}"
    "#btnEditFileName:disabled{border-image:url(:/theme_local/imgs/epset_edit_disable.png);}"
    "#btnChangeFileDir{border:none;"
    "border-image:url(:/theme_local/imgs/epset_folder_normal.png);}"
    "#btnChangeFileDir:hover,#btnChangeFileDir:pressed{"
    "border-image:url(:/theme_local/imgs/epset_folder_press.png);}"
    "#btnChangeFileDir:disabled{border-image:url(:/theme_local/imgs/epset_folder_disable.png);}"
    "#btnExport{border:none;color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:16px;"
    "padding-left:35px;border-image:url(:/theme_local/imgs/epset_bg_normal.png);}"
    "#btnExport:hover{border-image:url(:/theme_local/imgs/epset_bg_hove.png);}"
    "#btnExport:pressed{border-image:url(:/theme_local/imgs/epset_bg_press.png);}"
    "#btnExport:disabled{border-image:url(:/theme_local/imgs/epset_bg_disable.png);}"
    // The folder's whole path shows as a tooltip: dark on light, as the main window's are.
    "QToolTip{font-family:\"Microsoft YaHei\";font-size:12px;color:#333333;"
    "background-color:#FFFFFF;border:1px solid #E3E3E8;padding:2px 4px;}";

// The white upper part: its labels, the styled combo boxes with their pop-up lists, and the
// lists' scroll bars.
const char kSettingStyle[] =
    "#divSetting{background-color:#FFFFFF;border-top-left-radius:10px;"
    "border-top-right-radius:10px;border-bottom-left-radius:0px;"
    "border-bottom-right-radius:0px;}"
    "QLabel{font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;}"
    "QLabel:disabled{color:rgb(120, 120, 120);}"
    "#labelTitle{font-size:16px;font-weight:bold;padding-left:20px;}"
    "#labelVideoSettingTitle,#labelAudioSettingTitle{color:#999999;}"
    "#labelGifRateNote,#labelClipSoundNote{font-size:12px;color:#B86E00;padding-right:16px;}"
    "#labelVideoSettingTitleIcon{border-image:url(:/theme_local/imgs/epset_video_icon.png);}"
    "#labelAudioSettingTitleIcon{border-image:url(:/theme_local/imgs/epset_audio_icon.png);}"
    "#uiLine{background-color:#F0F0F0;}"
    "#btnClose{border:none;border-image:url(:/theme_local/imgs/btn_close_1.png);}"
    "#btnClose:hover{border-image:url(:/theme_local/imgs/btn_close_2.png);}"
    "#btnClose:pressed{border-image:url(:/theme_local/imgs/btn_close_3.png);}"
    "#btnClose:disabled{border-image:url(:/theme_local/imgs/btn_close_4.png);}"
    "QComboBox{combobox-popup:0;border:1px solid #E1E1E8;border-radius:4px;"
    "padding-left:12px;background-color:#FFFFFF;font-family:\"Microsoft YaHei\";"
    "font-size:14px;color:#333333;}"
    "QComboBox:hover,QComboBox:on{border-color:#5C46F4;}"
    "QComboBox:disabled{color:rgb(120, 120, 120);background-color:#F7F7F9;"
    "border-color:#EBEBEF;}"
    "QComboBox::drop-down{subcontrol-origin:padding;subcontrol-position:center right;"
    "width:24px;border:none;right:6px;}"
    "QComboBox::down-arrow{image:url(:/theme_local/imgs/checkBoxDownArrow.png);"
    "width:24px;height:24px;}"
    "QComboBox::down-arrow:hover{image:url(:/theme_local/imgs/checkBoxDownArrow-1.png);}"
    "QComboBox::down-arrow:on{image:url(:/theme_local/imgs/checkBoxDownArrow-2.png);}"
    "ShareCode--CQComboBox{qproperty-spacingBetweenBoxAndListView:4;"
    "qproperty-effectEnabled:false;}"
    "QComboBox QAbstractItemView{background-color:#FFFFFF;border:1px solid #E6E6EB;"
    "border-radius:8px;padding:4px 0px;outline:0px;}"
    "ShareCode--CQComboBoxListView{qproperty-itemWidth:160;qproperty-itemHeight:32;"
    "qproperty-itemBorderWidth:0;qproperty-itemBorderRadius:4;"
    "qproperty-selectionBackgroudColor:#EEEEEF;qproperty-selectionColor:#333333;"
    "qproperty-itemContentLeftPadding:37;qproperty-checkedIconPosition:LeftPosition;"
    "qproperty-checkedIcon:url(:/theme_local/imgs/comboboxCheck.png);"
    "qproperty-itemTextElideMode:ElideRight;"
    "qproperty-itemTextAlignment:\"AlignLeft|AlignVCenter\";}"
    "QScrollBar:vertical{background:transparent;width:8px;margin:2px 2px 2px 0px;}"
    "QScrollBar::handle:vertical{background:#D8D8DE;border-radius:3px;min-height:24px;}"
    "QScrollBar::handle:vertical:hover{background:#BDBDC6;}"
    "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;border:none;}"
    "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}";

constexpr int kComboWidth = 140;
constexpr int kRowHeight = 34;
constexpr int kColumnWidth = 283;
constexpr int kLeftMargin = 20;  // labels start here, as the title's text does
constexpr int kRightMargin = 16; // combo boxes end here
constexpr int kLabelColumn =
    kColumnWidth - kLeftMargin - kRightMargin - kComboWidth; // combos line up

ShareCode::CQComboBox *makeCombo(QWidget *pParent, const char *szName)
{
    auto *pCombo = new ShareCode::CQComboBox(pParent);
    pCombo->setObjectName(QLatin1String(szName));
    pCombo->setEditable(false);
    pCombo->setMaxVisibleItems(6);
    pCombo->setCursor(Qt::PointingHandCursor);
    pCombo->setFixedSize(kComboWidth, kRowHeight);
    return pCombo;
}

// One "label ... combo box" row of a column.
QWidget *makeComboRow(QWidget *pParent, const char *szRow, const char *szLabel, const char *szCombo,
                      QHBoxLayout **ppLayout, QLabel **ppLabel, ShareCode::CQComboBox **ppCombo)
{
    auto *pRow = new QWidget(pParent);
    pRow->setObjectName(QLatin1String(szRow));
    pRow->setFixedHeight(kRowHeight);
    auto *pLayout = new QHBoxLayout(pRow);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    auto *pLabel = new QLabel(pRow);
    pLabel->setObjectName(QLatin1String(szLabel));
    pLayout->addWidget(pLabel);
    pLayout->addStretch(1);
    auto *pCombo = makeCombo(pRow, szCombo);
    pLabel->setBuddy(pCombo);
    pLayout->addWidget(pCombo);
    *ppLayout = pLayout;
    *ppLabel = pLabel;
    *ppCombo = pCombo;
    return pRow;
}

// A column's title: 20 x 20 icon and grey text.
QWidget *makeColumnTitle(QWidget *pParent, const char *szRow, const char *szIcon,
                         const char *szText, QHBoxLayout **ppLayout, QLabel **ppIcon,
                         QLabel **ppText)
{
    auto *pRow = new QWidget(pParent);
    pRow->setObjectName(QLatin1String(szRow));
    pRow->setFixedHeight(20);
    auto *pLayout = new QHBoxLayout(pRow);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(6);
    auto *pIcon = new QLabel(pRow);
    pIcon->setObjectName(QLatin1String(szIcon));
    pIcon->setFixedSize(20, 20);
    pLayout->addWidget(pIcon);
    auto *pText = new QLabel(pRow);
    pText->setObjectName(QLatin1String(szText));
    pLayout->addWidget(pText, 1);
    *ppLayout = pLayout;
    *ppIcon = pIcon;
    *ppText = pText;
    return pRow;
}

QWidget *makeColumn(QWidget *pParent, const char *szName, QVBoxLayout **ppLayout)
{
    auto *pColumn = new QWidget(pParent);
    pColumn->setObjectName(QLatin1String(szName));
    pColumn->setFixedWidth(kColumnWidth);
    auto *pLayout = new QVBoxLayout(pColumn);
    pLayout->setContentsMargins(kLeftMargin, 0, kRightMargin, 0);
    pLayout->setSpacing(18);
    *ppLayout = pLayout;
    return pColumn;
}

QPushButton *makeIconButton(QWidget *pParent, const char *szName)
{
    auto *pButton = new QPushButton(pParent);
    pButton->setObjectName(QLatin1String(szName));
    pButton->setFixedSize(20, 20);
    pButton->setAutoDefault(false);
    pButton->setCursor(Qt::PointingHandCursor);
    return pButton;
}

} // namespace

void ExportSettingDialogClass::setupUi(QDialog *pDialog)
{
    pDialog->setObjectName(QStringLiteral("ExportSettingDialogClass"));
    pDialog->setFixedSize(570, 402);
    pDialog->setStyleSheet(QLatin1String(kDialogStyle));
    gridLayout = new QGridLayout(pDialog);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);

    ui_shadow = new QWidget(pDialog);
    ui_shadow->setObjectName(QStringLiteral("ui_shadow"));
    verticalLayout = new QVBoxLayout(ui_shadow);
    verticalLayout->setContentsMargins(0, 0, 0, 0);
    verticalLayout->setSpacing(0);
    uiFrame1 = new QWidget(ui_shadow);
    uiFrame1->setObjectName(QStringLiteral("uiFrame1"));
    gridLayout_2 = new QGridLayout(uiFrame1);
    gridLayout_2->setContentsMargins(0, 0, 0, 0);
    gridLayout_2->setSpacing(0);

    // Upper part: title, format, and the video and audio columns.
    divSetting = new QWidget(uiFrame1);
    divSetting->setObjectName(QStringLiteral("divSetting"));
    divSetting->setStyleSheet(QLatin1String(kSettingStyle));
    verticalLayout_2 = new QVBoxLayout(divSetting);
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);
    verticalLayout_2->setSpacing(0);

    divTitle = new QWidget(divSetting);
    divTitle->setObjectName(QStringLiteral("divTitle"));
    divTitle->setFixedHeight(37);
    horizontalLayout = new QHBoxLayout(divTitle);
    horizontalLayout->setContentsMargins(0, 0, 5, 0);
    horizontalLayout->setSpacing(0);
    labelTitle = new QLabel(divTitle);
    labelTitle->setObjectName(QStringLiteral("labelTitle"));
    QFont titleFont(QStringLiteral("Microsoft YaHei"));
    titleFont.setBold(true);
    labelTitle->setFont(titleFont);
    horizontalLayout->addWidget(labelTitle);
    horizontalLayout->addStretch(1);
    btnClose = new QPushButton(divTitle);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(30, 30);
    btnClose->setAutoDefault(false);
    btnClose->setCursor(Qt::PointingHandCursor);
    horizontalLayout->addWidget(btnClose);
    verticalLayout_2->addWidget(divTitle);
    verticalLayout_2->addSpacing(26);

    divFormatSetting = new QWidget(divSetting);
    divFormatSetting->setObjectName(QStringLiteral("divFormatSetting"));
    divFormatSetting->setFixedHeight(kRowHeight);
    horizontalLayout_2 = new QHBoxLayout(divFormatSetting);
    horizontalLayout_2->setContentsMargins(kLeftMargin, 0, kRightMargin, 0);
    horizontalLayout_2->setSpacing(0);
    labelExportFormat = new QLabel(divFormatSetting);
    labelExportFormat->setObjectName(QStringLiteral("labelExportFormat"));
    labelExportFormat->setFixedWidth(kLabelColumn);
    horizontalLayout_2->addWidget(labelExportFormat);
    comboExportFormat = makeCombo(divFormatSetting, "comboExportFormat");
    labelExportFormat->setBuddy(comboExportFormat);
    horizontalLayout_2->addWidget(comboExportFormat);
    horizontalLayout_2->addStretch(1);
    verticalLayout_2->addWidget(divFormatSetting);
    labelClipSoundNote = new QLabel(divSetting);
    labelClipSoundNote->setObjectName(QStringLiteral("labelClipSoundNote"));
    // Under the format's box. An indent, not margins: the style sheet sets a label's margins.
    labelClipSoundNote->setIndent(kLeftMargin + kLabelColumn);
    labelClipSoundNote->setWordWrap(true);
    labelClipSoundNote->hide();
    verticalLayout_2->addWidget(labelClipSoundNote);
    verticalLayout_2->addSpacing(9);

    divMpegSetting = new QWidget(divSetting);
    divMpegSetting->setObjectName(QStringLiteral("divMpegSetting"));
    horizontalLayout_3 = new QHBoxLayout(divMpegSetting);
    // The two 283-pixel columns and the separator fill the width; the margin is vertical.
    horizontalLayout_3->setContentsMargins(0, 11, 0, 11);
    horizontalLayout_3->setSpacing(1);

    divVideoSetting = makeColumn(divMpegSetting, "divVideoSetting", &verticalLayout_3);
    divVideoSettingTitle =
        makeColumnTitle(divVideoSetting, "divVideoSettingTitle", "labelVideoSettingTitleIcon",
                        "labelVideoSettingTitle", &horizontalLayout_4, &labelVideoSettingTitleIcon,
                        &labelVideoSettingTitle);
    verticalLayout_3->addWidget(divVideoSettingTitle);
    divVideoFrameRate = makeComboRow(divVideoSetting, "divVideoFrameRate", "labelVideoFrameRate",
                                     "comboVideoFrameRate", &horizontalLayout_5,
                                     &labelVideoFrameRate, &comboVideoFrameRate);
    verticalLayout_3->addWidget(divVideoFrameRate);
    divVideoBitRate =
        makeComboRow(divVideoSetting, "divVideoBitRate", "labelVideoBitRate", "comboVideoBitRate",
                     &horizontalLayout_6, &labelVideoBitRate, &comboVideoBitRate);
    verticalLayout_3->addWidget(divVideoBitRate);
    horizontalLayout_3->addWidget(divVideoSetting);

    uiLine = new QWidget(divMpegSetting);
    uiLine->setObjectName(QStringLiteral("uiLine"));
    uiLine->setFixedWidth(1);
    horizontalLayout_3->addWidget(uiLine);

    divAudioSetting = makeColumn(divMpegSetting, "divAudioSetting", &verticalLayout_4);
    divAudioSettingTitle =
        makeColumnTitle(divAudioSetting, "divAudioSettingTitle", "labelAudioSettingTitleIcon",
                        "labelAudioSettingTitle", &horizontalLayout_7, &labelAudioSettingTitleIcon,
                        &labelAudioSettingTitle);
    verticalLayout_4->addWidget(divAudioSettingTitle);
    divAudioBitRate =
        makeComboRow(divAudioSetting, "divAudioBitRate", "labelAudioBitRate", "comboAudioBitRate",
                     &horizontalLayout_8, &labelAudioBitRate, &comboAudioBitRate);
    verticalLayout_4->addWidget(divAudioBitRate);
    divAudioSampleRate = makeComboRow(divAudioSetting, "divAudioSampleRate", "labelAudioSampleRate",
                                      "comboAudioSampleRate", &horizontalLayout_9,
                                      &labelAudioSampleRate, &comboAudioSampleRate);
    verticalLayout_4->addWidget(divAudioSampleRate);
    horizontalLayout_3->addWidget(divAudioSetting);
    horizontalLayout_3->addStretch(1);
    verticalLayout_2->addWidget(divMpegSetting);
    labelGifRateNote = new QLabel(divSetting);
    labelGifRateNote->setObjectName(QStringLiteral("labelGifRateNote"));
    labelGifRateNote->setIndent(kLeftMargin);
    labelGifRateNote->setWordWrap(true);
    labelGifRateNote->hide();
    verticalLayout_2->addWidget(labelGifRateNote);
    verticalLayout_2->addStretch(1);
    gridLayout_2->addWidget(divSetting, 0, 0);

    // Lower band: file name, folder and the export button.
    divExportpLocation = new QWidget(uiFrame1);
    divExportpLocation->setObjectName(QStringLiteral("divExportpLocation"));
    divExportpLocation->setFixedHeight(106);
    horizontalLayout_10 = new QHBoxLayout(divExportpLocation);
    horizontalLayout_10->setContentsMargins(0, 0, 0, 0);
    horizontalLayout_10->setSpacing(0);
    widget_4 = new QWidget(divExportpLocation);
    widget_4->setObjectName(QStringLiteral("widget_4"));
    widget_4->setFixedWidth(428);
    verticalLayout_5 = new QVBoxLayout(widget_4);
    verticalLayout_5->setContentsMargins(kLeftMargin, 0, 0, 0);
    verticalLayout_5->setSpacing(0);

    divFileName = new QWidget(widget_4);
    divFileName->setObjectName(QStringLiteral("divFileName"));
    divFileName->setFixedHeight(53);
    horizontalLayout_11 = new QHBoxLayout(divFileName);
    horizontalLayout_11->setContentsMargins(0, 12, 0, 0);
    horizontalLayout_11->setSpacing(8);
    labelFileName = new QLabel(divFileName);
    labelFileName->setObjectName(QStringLiteral("labelFileName"));
    labelFileName->setFixedWidth(72);
    horizontalLayout_11->addWidget(labelFileName);
    editFileName = new QLineEdit(divFileName);
    editFileName->setObjectName(QStringLiteral("editFileName"));
    editFileName->setFixedSize(240, 30);
    labelFileName->setBuddy(editFileName);
    horizontalLayout_11->addWidget(editFileName);
    btnEditFileName = makeIconButton(divFileName, "btnEditFileName");
    horizontalLayout_11->addWidget(btnEditFileName);
    horizontalLayout_11->addStretch(1);
    verticalLayout_5->addWidget(divFileName);

    divFileDir = new QWidget(widget_4);
    divFileDir->setObjectName(QStringLiteral("divFileDir"));
    divFileDir->setFixedHeight(53);
    horizontalLayout_12 = new QHBoxLayout(divFileDir);
    horizontalLayout_12->setContentsMargins(0, 0, 0, 12);
    horizontalLayout_12->setSpacing(8);
    label_3 = new QLabel(divFileDir);
    label_3->setObjectName(QStringLiteral("label_3"));
    label_3->setFixedWidth(72);
    horizontalLayout_12->addWidget(label_3);
    labelFileDir = new QLabel(divFileDir);
    labelFileDir->setObjectName(QStringLiteral("labelFileDir"));
    labelFileDir->setFixedSize(240, 30);
    // The path's text starts where the name field's text does.
    labelFileDir->setContentsMargins(8, 0, 8, 0);
    horizontalLayout_12->addWidget(labelFileDir);
    btnChangeFileDir = makeIconButton(divFileDir, "btnChangeFileDir");
    label_3->setBuddy(btnChangeFileDir);
    horizontalLayout_12->addWidget(btnChangeFileDir);
    horizontalLayout_12->addStretch(1);
    verticalLayout_5->addWidget(divFileDir);
    horizontalLayout_10->addWidget(widget_4);

    divExport = new QWidget(divExportpLocation);
    divExport->setObjectName(QStringLiteral("divExport"));
    gridLayout_3 = new QGridLayout(divExport);
    gridLayout_3->setContentsMargins(0, 0, 0, 0);
    btnExport = new QPushButton(divExport);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnExport->setFixedSize(110, 40);
    btnExport->setAutoDefault(true);
    btnExport->setCursor(Qt::PointingHandCursor);
    gridLayout_3->addWidget(btnExport, 0, 0, Qt::AlignCenter);
    horizontalLayout_10->addWidget(divExport, 1);
    gridLayout_2->addWidget(divExportpLocation, 1, 0);

    verticalLayout->addWidget(uiFrame1);
    gridLayout->addWidget(ui_shadow, 0, 0);

    // Keyboard order follows the reading order: settings, name, folder, export, close.
    QWidget::setTabOrder(comboExportFormat, comboVideoFrameRate);
    QWidget::setTabOrder(comboVideoFrameRate, comboVideoBitRate);
    QWidget::setTabOrder(comboVideoBitRate, comboAudioBitRate);
    QWidget::setTabOrder(comboAudioBitRate, comboAudioSampleRate);
    QWidget::setTabOrder(comboAudioSampleRate, editFileName);
    QWidget::setTabOrder(editFileName, btnEditFileName);
    QWidget::setTabOrder(btnEditFileName, btnChangeFileDir);
    QWidget::setTabOrder(btnChangeFileDir, btnExport);
    QWidget::setTabOrder(btnExport, btnClose);

    // The items get their texts in retranslateUi, as a generated form does.
    for (int i = 0; i < 9; ++i)
        comboExportFormat->addItem(QString());
    for (QComboBox *pCombo :
         {static_cast<QComboBox *>(comboVideoFrameRate),
          static_cast<QComboBox *>(comboVideoBitRate), static_cast<QComboBox *>(comboAudioBitRate),
          static_cast<QComboBox *>(comboAudioSampleRate)}) {
        for (int i = 0; i < 5; ++i)
            pCombo->addItem(QString());
    }
    retranslateUi(pDialog);
}

void ExportSettingDialogClass::retranslateUi(QDialog *pDialog)
{
    pDialog->setWindowTitle(
        QCoreApplication::translate("ExportSettingDialogClass", "ExportSettingDialog"));
    labelTitle->setText(QCoreApplication::translate("ExportSettingDialogClass", "export setting"));
    labelExportFormat->setText(
        QCoreApplication::translate("ExportSettingDialogClass", "export format"));
    labelVideoSettingTitle->setText(
        QCoreApplication::translate("ExportSettingDialogClass", "video"));
    labelVideoFrameRate->setText(
        QCoreApplication::translate("ExportSettingDialogClass", "frame rate"));
    labelVideoBitRate->setText(QCoreApplication::translate("ExportSettingDialogClass", "bit rate"));
    labelAudioSettingTitle->setText(
        QCoreApplication::translate("ExportSettingDialogClass", "audio"));
    labelAudioBitRate->setText(QCoreApplication::translate("ExportSettingDialogClass", "bit rate"));
    labelAudioSampleRate->setText(
        QCoreApplication::translate("ExportSettingDialogClass", "sample rate"));
    labelFileName->setText(QCoreApplication::translate("ExportSettingDialogClass", "file name"));
    editFileName->setPlaceholderText(
        QCoreApplication::translate("ExportSettingDialogClass", "Please enter a file name"));
    label_3->setText(QCoreApplication::translate("ExportSettingDialogClass", "export to"));
    btnExport->setText(QCoreApplication::translate("ExportSettingDialogClass", "export"));
    labelGifRateNote->setText(QCoreApplication::translate(
        "ExportSettingDialogClass", "GIF plays at 50 fps at most: exported at 50 fps"));

    // The receiver reads the leading digits of these texts, and the format text becomes the
    // file's extension, so translations keep both.
    static const char *const formats[] = {QT_TRANSLATE_NOOP("ExportSettingDialogClass", "MP4"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "AVI"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "WMV"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "FLV"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "MKV"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "MOV"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "GIF"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "WEBM"),
                                          QT_TRANSLATE_NOOP("ExportSettingDialogClass", "M4V")};
    static const char *const frameRates[] = {
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "24fps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "25fps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "30fps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "60fps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "120fps")};
    static const char *const videoBitRates[] = {
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "self-adaption"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "256kbps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "384kbps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "512kbps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "768kbps")};
    static const char *const audioBitRates[] = {
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "self-adaption"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "64kbps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "96kbps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "128kbps"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "256kbps")};
    static const char *const sampleRates[] = {
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "8000Hz"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "11025Hz"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "22050Hz"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "44100Hz"),
        QT_TRANSLATE_NOOP("ExportSettingDialogClass", "48000Hz")};
    const auto fill = [](QComboBox *pCombo, const char *const *texts, int iCount) {
        for (int i = 0; i < iCount; ++i)
            pCombo->setItemText(i,
                                QCoreApplication::translate("ExportSettingDialogClass", texts[i]));
    };
    fill(comboExportFormat, formats, 9);
    fill(comboVideoFrameRate, frameRates, 5);
    fill(comboVideoBitRate, videoBitRates, 5);
    fill(comboAudioBitRate, audioBitRates, 5);
    fill(comboAudioSampleRate, sampleRates, 5);

    btnClose->setAccessibleName(QCoreApplication::translate("ExportSettingDialogClass", "close"));
    comboExportFormat->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "export format"));
    comboVideoFrameRate->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "video frame rate"));
    comboVideoBitRate->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "video bit rate"));
    comboAudioBitRate->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "audio bit rate"));
    comboAudioSampleRate->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "audio sample rate"));
    editFileName->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "file name"));
    btnEditFileName->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "edit file name"));
    labelFileDir->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "export folder"));
    btnChangeFileDir->setAccessibleName(
        QCoreApplication::translate("ExportSettingDialogClass", "choose export folder"));
    btnExport->setAccessibleName(QCoreApplication::translate("ExportSettingDialogClass", "export"));
}

} // namespace Ui
