// SPDX-License-Identifier: GPL-3.0-or-later
// The form of the export settings dialog: widget tree, object names, looks and texts.
#pragma once

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

class QDialog;
namespace ShareCode {
class CQComboBox;
}

namespace Ui {

struct ExportSettingDialogClass
{
    QGridLayout *gridLayout;
    QWidget *ui_shadow;
    QVBoxLayout *verticalLayout;
    QWidget *uiFrame1;
    QGridLayout *gridLayout_2;
    QWidget *divSetting;
    QVBoxLayout *verticalLayout_2;
    QWidget *divTitle;
    QHBoxLayout *horizontalLayout;
    QLabel *labelTitle;
    QPushButton *btnClose;
    QWidget *divFormatSetting;
    QHBoxLayout *horizontalLayout_2;
    QLabel *labelExportFormat;
    ShareCode::CQComboBox *comboExportFormat;
    QWidget *divMpegSetting;
    QLabel *labelClipSoundNote; // under the format: a format that leaves the clips' sound out
    QLabel *labelGifRateNote;   // under the columns: GIF's own limit on the frame rate
    QHBoxLayout *horizontalLayout_3;
    QWidget *divVideoSetting;
    QVBoxLayout *verticalLayout_3;
    QWidget *divVideoSettingTitle;
    QHBoxLayout *horizontalLayout_4;
    QLabel *labelVideoSettingTitleIcon;
    QLabel *labelVideoSettingTitle;
    QWidget *divVideoFrameRate;
    QHBoxLayout *horizontalLayout_5;
    QLabel *labelVideoFrameRate;
    ShareCode::CQComboBox *comboVideoFrameRate;
    QWidget *divVideoBitRate;
    QHBoxLayout *horizontalLayout_6;
    QLabel *labelVideoBitRate;
    ShareCode::CQComboBox *comboVideoBitRate;
    QWidget *uiLine;
    QWidget *divAudioSetting;
    QVBoxLayout *verticalLayout_4;
    QWidget *divAudioSettingTitle;
    QHBoxLayout *horizontalLayout_7;
    QLabel *labelAudioSettingTitleIcon;
    QLabel *labelAudioSettingTitle;
    QWidget *divAudioBitRate;
    QHBoxLayout *horizontalLayout_8;
    QLabel *labelAudioBitRate;
    ShareCode::CQComboBox *comboAudioBitRate;
    QWidget *divAudioSampleRate;
    QHBoxLayout *horizontalLayout_9;
    QLabel *labelAudioSampleRate;
    ShareCode::CQComboBox *comboAudioSampleRate;
    QWidget *divExportpLocation;
    QHBoxLayout *horizontalLayout_10;
    QWidget *widget_4;
    QVBoxLayout *verticalLayout_5;
    QWidget *divFileName;
    QHBoxLayout *horizontalLayout_11;
    QLabel *labelFileName;
    QLineEdit *editFileName;
    QPushButton *btnEditFileName;
    QWidget *divFileDir;
    QHBoxLayout *horizontalLayout_12;
    QLabel *label_3;
    QLabel *labelFileDir;
    QPushButton *btnChangeFileDir;
    QWidget *divExport;
    QGridLayout *gridLayout_3;
    QPushButton *btnExport;

    void setupUi(QDialog *pDialog);
    void retranslateUi(QDialog *pDialog);
};

} // namespace Ui
