// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's form, built the way the form designer generates it.
#pragma once

#include <QString>

class AddImageButton;
class CQVideoPlay;
class ImageListView;
class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QStackedWidget;
class QVBoxLayout;
class QWidget;

namespace ShareCode {
class CQComboBox;
}

namespace Ui {

class ZodoZadarClass
{
public:
    QVBoxLayout *verticalLayout = nullptr;
    // Top bar.
    QWidget *widget = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QLabel *labelTitle = nullptr;
    ShareCode::CQComboBox *comboVideoRatio = nullptr;
    ShareCode::CQComboBox *comboVideoHeight = nullptr;
    QPushButton *btnExport = nullptr;
    // Middle band: settings on the left, the player on the right.
    QWidget *widget_5 = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QWidget *divSetting = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QWidget *divSettingHead = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QPushButton *btnSetting = nullptr;
    QScrollArea *scrollSettingContent = nullptr;
    QWidget *divSettingContent = nullptr;
    QVBoxLayout *verticalLayout_3 = nullptr;
    // Duration and transition row.
    QWidget *divDuration = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QLabel *labelImageDuration = nullptr;
    QSpinBox *boxImageDuration = nullptr;
    QLabel *labelSecond = nullptr;
    QPushButton *btnDurationToAll = nullptr; // shown while pictures have durations of their own
    QLabel *labelTransition = nullptr;
    QLabel *labelRandom = nullptr;
    // Background music block.
    QWidget *divMusic = nullptr;
    QGridLayout *gridLayout_music = nullptr;
    QLabel *labelBackgroundMusic = nullptr;
    QRadioButton *radioNoMusic = nullptr;
    QRadioButton *ratioCustomMusic = nullptr;
    QStackedWidget *divBackgroundOperate = nullptr;
    QWidget *pageNoMusic = nullptr;
    QWidget *pageCustomMusic = nullptr;
    QHBoxLayout *horizontalLayout_music = nullptr;
    QLabel *labelBackgroundMusicName = nullptr;
    QPushButton *btnAddBackgroundMusic = nullptr;
    // Watermark block.
    QWidget *divWatermark = nullptr;
    QGridLayout *gridLayout_watermark = nullptr;
    QLabel *labelWatermark = nullptr;
    QRadioButton *radioNoWatermark = nullptr;
    QRadioButton *radioTextWatermark = nullptr;
    QRadioButton *radioImageWatermark = nullptr;
    QPushButton *btnImageWartermarkHelp = nullptr;
    QStackedWidget *divWatermarkOperate = nullptr;
    QWidget *pageTextWatermark = nullptr;
    QHBoxLayout *horizontalLayout_text = nullptr;
    QLineEdit *editWatermarkText = nullptr;
    QPushButton *btnFontStyle = nullptr;
    QWidget *pageImageWatermark = nullptr;
    QHBoxLayout *horizontalLayout_image = nullptr;
    QLabel *labelImageWatermarkName = nullptr;
    QPushButton *btnAddImageWatermark = nullptr;
    QWidget *divWatermarkPos = nullptr;
    QHBoxLayout *horizontalLayout_pos = nullptr;
    QLabel *labelWatermarkPos = nullptr;
    QWidget *divWatermarkPosGrid = nullptr;
    QGridLayout *gridLayout_pos = nullptr;
    QCheckBox *checkWatermarkPosLeftTop = nullptr;
    QCheckBox *checkWatermarkPosTop = nullptr;
    QCheckBox *checkWatermarkPosRightTop = nullptr;
    QCheckBox *checkWatermarkPosLeft = nullptr;
    QCheckBox *checkWatermarkPosCenter = nullptr;
    QCheckBox *checkWatermarkPosRight = nullptr;
    QCheckBox *checkWatermarkPosLeftBottom = nullptr;
    QCheckBox *checkWatermarkPosBottom = nullptr;
    QCheckBox *checkWatermarkPosRightBottom = nullptr;
    CQVideoPlay *divPlayer = nullptr;
    // Source strip.
    QWidget *divSource = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QStackedWidget *divImageSourceOperate = nullptr;
    QWidget *pageAddImage = nullptr;
    QGridLayout *gridLayout_add = nullptr;
    AddImageButton *btnAddImage = nullptr;
    QWidget *pageImageSourcList = nullptr;
    QHBoxLayout *horizontalLayout_list = nullptr;
    ImageListView *imageSourceList = nullptr;
    QPushButton *btnAddImageAgain = nullptr;

    void setupUi(QWidget *ZodoZadarClass);
    void retranslateUi(QWidget *ZodoZadarClass);

    // The nine position boxes, row by row from the top left.
    QCheckBox *positionBox(int iIndex) const;
};

} // namespace Ui

// The editor's look: one style sheet addressed by object names.
QString zodoZadarStyleSheet();
