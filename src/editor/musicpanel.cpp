// SPDX-License-Identifier: GPL-3.0-or-later
// The music settings panel's form.
#include "musicpanel.h"

#include "beatsection.h"
#include "beatwaveform.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
// The editor's field look, as the picture panel has it (a translucent dialog would paint Qt's
// default controls black).
const char kFormStyle[] =
    "QLabel,QCheckBox,QGroupBox{font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;}"
    "QLabel:disabled,QCheckBox:disabled,QGroupBox:disabled{color:#B0B0B8;}"
    "QGroupBox{border:1px solid #E1E1E8;border-radius:4px;margin-top:10px;padding:12px 8px 8px;}"
    "QGroupBox::title{subcontrol-origin:margin;left:8px;padding:0px 4px;}"
    "QCheckBox::indicator{width:14px;height:14px;border:1px solid #BFBFC8;border-radius:3px;"
    "background-color:#FFFFFF;}"
    "QCheckBox::indicator:hover{border-color:#5C46F4;}"
    "QCheckBox::indicator:checked{border-color:#5C46F4;background-color:#5C46F4;"
    "image:url(:/theme_local/imgs/comboboxCheck.png);}"
    "QSpinBox:disabled{color:#B0B0B8;background-color:#F7F7F9;}"
    "QDoubleSpinBox,QSpinBox{border:1px solid #E1E1E8;border-radius:4px;padding:3px 8px;"
    "min-height:22px;background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:14px;"
    "color:#333333;}"
    "QDoubleSpinBox:hover,QSpinBox:hover{border-color:#5C46F4;}"
    "QDoubleSpinBox::up-button,QDoubleSpinBox::down-button,QSpinBox::up-button,"
    "QSpinBox::down-button{border:none;width:16px;}"
    "QDoubleSpinBox::up-arrow,QSpinBox::up-arrow{image:url(:/theme_local/imgs/spinUp.png);"
    "width:10px;height:6px;}"
    "QDoubleSpinBox::down-arrow,QSpinBox::down-arrow{image:url(:/theme_local/imgs/spinDown.png);"
    "width:10px;height:6px;}"
    "QPushButton{border:1px solid #E1E1E8;border-radius:4px;padding:4px 12px;min-height:22px;"
    "background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:13px;color:#333333;}"
    "QPushButton:hover{border-color:#5C46F4;color:#5C46F4;}"
    "QPushButton:pressed{background-color:#EEEBFE;}"
    "QListWidget{border:1px solid #E1E1E8;border-radius:4px;background-color:#FFFFFF;"
    "font-family:\"Microsoft YaHei\";font-size:13px;color:#333333;}"
    "QListWidget::item:selected{background-color:#EEEBFE;color:#333333;}"
    "QComboBox{border:1px solid #E1E1E8;border-radius:4px;padding:3px 8px;min-height:22px;"
    "background-color:#FFFFFF;font-family:\"Microsoft YaHei\";font-size:14px;color:#333333;}"
    "QComboBox:hover{border-color:#5C46F4;}"
    "QComboBox:disabled{color:#B0B0B8;background-color:#F7F7F9;}"
    "QPushButton:disabled{color:#B0B0B8;background-color:#F7F7F9;}";

QDoubleSpinBox *secondsBox(QWidget *pParent, const char *szName, int64_t maxMicroseconds)
{
    auto *pBox = new QDoubleSpinBox(pParent);
    pBox->setObjectName(QLatin1String(szName));
    pBox->setRange(0, double(maxMicroseconds) / 1e6);
    pBox->setSingleStep(0.5);
    pBox->setDecimals(2);
    pBox->setSuffix(QStringLiteral(" s"));
    // A typed value is one change when it is finished, not one per digit.
    pBox->setKeyboardTracking(false);
    return pBox;
}

int64_t microsecondsOf(const QDoubleSpinBox *pBox)
{
    return std::llround(pBox->value() * 1e6);
}
} // namespace

MusicPanel::MusicPanel(const QString &szMusicName, const MusicShape &shape, QWidget *parent)
    : ShareCode::CQInfoDialog(parent)
{
    setObjectName(QStringLiteral("MusicPanel"));
    setTitle(szMusicName);
    auto *pForm = new QWidget;
    pForm->setObjectName(QStringLiteral("divMusicForm"));
    pForm->setStyleSheet(QLatin1String(kFormStyle));
    auto *pLayout = new QVBoxLayout(pForm);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(12);

    // The tracks play in this order, one into the next, and the list loops.
    m_pTracks = new QListWidget(pForm);
    m_pTracks->setObjectName(QStringLiteral("listMusicTracks"));
    m_pTracks->setAccessibleName(tr("Music tracks"));
    m_pTracks->setMaximumHeight(120);
    pLayout->addWidget(m_pTracks);
    auto *pTrackButtons = new QHBoxLayout;
    const auto trackButton = [pForm, pTrackButtons](const char *szName, const QString &szText) {
        auto *pButton = new QPushButton(szText, pForm);
        pButton->setObjectName(QLatin1String(szName));
        pButton->setAccessibleName(szText);
        pTrackButtons->addWidget(pButton);
        return pButton;
    };
    m_pAddTrack = trackButton("btnAddTrack", tr("Add track"));
    m_pRemoveTrack = trackButton("btnRemoveTrack", tr("Remove track"));
    m_pTrackUp = trackButton("btnTrackUp", tr("Move up"));
    m_pTrackDown = trackButton("btnTrackDown", tr("Move down"));
    pTrackButtons->addStretch();
    pLayout->addLayout(pTrackButtons);

    auto *pGrid = new QGridLayout;
    pGrid->setHorizontalSpacing(12);
    pGrid->setVerticalSpacing(8);
    const auto addRow = [pGrid, pForm](int iRow, const QString &szLabel, QWidget *pField) {
        auto *pLabel = new QLabel(szLabel, pForm);
        pLabel->setBuddy(pField);
        pField->setAccessibleName(szLabel);
        pGrid->addWidget(pLabel, iRow, 0);
        pGrid->addWidget(pField, iRow, 1);
    };
    m_pStart = secondsBox(pForm, "spinMusicStart", kMaxMusicStart);
    addRow(0, tr("Start in the music"), m_pStart);
    m_pFadeIn = secondsBox(pForm, "spinMusicFadeIn", kMaxMusicFade);
    addRow(1, tr("Fade in"), m_pFadeIn);
    m_pFadeOut = secondsBox(pForm, "spinMusicFadeOut", kMaxMusicFade);
    addRow(2, tr("Fade out"), m_pFadeOut);
    m_pVolume = new QSpinBox(pForm);
    m_pVolume->setObjectName(QStringLiteral("spinMusicVolume"));
    m_pVolume->setRange(0, int(kMaxMusicVolume * 100));
    m_pVolume->setSingleStep(5);
    m_pVolume->setSuffix(QStringLiteral(" %"));
    m_pVolume->setKeyboardTracking(false);
    addRow(3, tr("Music volume"), m_pVolume);
    m_pCrossfade = secondsBox(pForm, "spinMusicCrossfade", kMaxMusicCrossfade);
    addRow(4, tr("Crossfade between tracks"), m_pCrossfade);
    pLayout->addLayout(pGrid);

    m_pBeat = new BeatSection(pForm);
    // The marks take the panel's accent, as its other controls do.
    m_pBeat->waveform()->setAccent(QColor(0x5C, 0x46, 0xF4));
    pLayout->addWidget(m_pBeat);

    // The music under clips that bring their own sound.
    m_pClips = new QGroupBox(tr("Clips"), pForm);
    m_pClips->setObjectName(QStringLiteral("groupMusicClips"));
    auto *pClipGrid = new QGridLayout(m_pClips);
    pClipGrid->setHorizontalSpacing(12);
    pClipGrid->setVerticalSpacing(8);
    m_pDuck = new QSpinBox(m_pClips);
    m_pDuck->setObjectName(QStringLiteral("spinMusicDuck"));
    m_pDuck->setRange(0, kMaxDuckDb);
    m_pDuck->setSuffix(QStringLiteral(" dB"));
    m_pDuck->setKeyboardTracking(false);
    const QString szDuck = tr("Lower the music under clips by");
    m_pDuck->setAccessibleName(szDuck);
    auto *pDuckLabel = new QLabel(szDuck, m_pClips);
    pDuckLabel->setBuddy(m_pDuck);
    pClipGrid->addWidget(pDuckLabel, 0, 0);
    pClipGrid->addWidget(m_pDuck, 0, 1);
    m_pPauseForClips = new QCheckBox(tr("Pause the music during clips"), m_pClips);
    m_pPauseForClips->setObjectName(QStringLiteral("checkPauseMusicForClips"));
    m_pPauseForClips->setAccessibleName(m_pPauseForClips->text());
    pClipGrid->addWidget(m_pPauseForClips, 1, 0, 1, 2);
    pLayout->addWidget(m_pClips);

    m_pFit = new QPushButton(tr("Fit pictures to music"), pForm);
    m_pFit->setObjectName(QStringLiteral("btnFitToMusic"));
    m_pFit->setAccessibleName(tr("Fit pictures to music"));
    m_pFit->setToolTip(tr("Sets every picture's duration, keeping their proportions, so that the "
                          "album lasts as long as the music after its start"));
    pLayout->addWidget(m_pFit, 0, Qt::AlignLeft);
    setContent(pForm);

    m_pStart->setValue(double(shape.start) / 1e6);
    m_pFadeIn->setValue(double(shape.fadeIn) / 1e6);
    m_pFadeOut->setValue(double(shape.fadeOut) / 1e6);
    m_pVolume->setValue(int(std::lround(shape.volume * 100)));
    for (QDoubleSpinBox *pBox : {m_pStart, m_pFadeIn, m_pFadeOut})
        connect(pBox, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &MusicPanel::changed);
    connect(m_pVolume, qOverload<int>(&QSpinBox::valueChanged), this, &MusicPanel::changed);
    connect(m_pFit, &QPushButton::clicked, this, &MusicPanel::sig_fit);

    showTracks({szMusicName}, kDefaultMusicCrossfade);
    connect(m_pTracks, &QListWidget::currentRowChanged, this, &MusicPanel::updateTrackButtons);
    connect(m_pTracks, &QListWidget::currentRowChanged, this, &MusicPanel::sig_currentTrackChanged);
    connect(m_pAddTrack, &QPushButton::clicked, this, &MusicPanel::sig_addTrack);
    connect(m_pRemoveTrack, &QPushButton::clicked, this,
            [this] { emit sig_removeTrack(currentTrack()); });
    connect(m_pTrackUp, &QPushButton::clicked, this,
            [this] { emit sig_moveTrack(currentTrack(), currentTrack() - 1); });
    connect(m_pTrackDown, &QPushButton::clicked, this,
            [this] { emit sig_moveTrack(currentTrack(), currentTrack() + 1); });
    connect(m_pCrossfade, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            [this] { emit sig_crossfadeChanged(microsecondsOf(m_pCrossfade)); });

    showClips(kDefaultDuckDb, false, false);
    const auto clipsChanged = [this] {
        // A paused music is not lowered: the decibels wait for the pause to be turned off.
        m_pDuck->setEnabled(!m_pPauseForClips->isChecked());
        emit sig_clipsChanged(m_pDuck->value(), m_pPauseForClips->isChecked());
    };
    connect(m_pDuck, qOverload<int>(&QSpinBox::valueChanged), this, clipsChanged);
    connect(m_pPauseForClips, &QCheckBox::toggled, this, clipsChanged);
}

void MusicPanel::showClips(int duckDb, bool bPause, bool bClipsHaveSound)
{
    const QSignalBlocker blockDuck(m_pDuck);
    const QSignalBlocker blockPause(m_pPauseForClips);
    m_pDuck->setValue(duckDb);
    m_pPauseForClips->setChecked(bPause);
    m_pDuck->setEnabled(!bPause);
    // Kept in sight, so that the setting can be found; it keeps its value for the clips to come.
    m_pClips->setEnabled(bClipsHaveSound);
    m_pClips->setToolTip(bClipsHaveSound ? QString()
                                         : tr("No clip of the album brings sound: add a video "
                                              "clip with sound, or turn its sound on"));
}

void MusicPanel::showTracks(const QStringList &names, int64_t crossfadeUs)
{
    const QSignalBlocker blockList(m_pTracks);
    const QSignalBlocker blockFade(m_pCrossfade);
    const int iCurrent = m_pTracks->currentRow();
    m_pTracks->clear();
    m_pTracks->addItems(names);
    m_pTracks->setCurrentRow(std::min(std::max(iCurrent, 0), int(names.size()) - 1));
    m_pCrossfade->setValue(double(crossfadeUs) / 1e6);
    // A crossfade needs a second track.
    m_pCrossfade->setEnabled(names.size() > 1);
    updateTrackButtons();
}

int MusicPanel::currentTrack() const
{
    return m_pTracks->currentRow();
}

void MusicPanel::setCurrentTrack(int iRow)
{
    if (iRow >= 0 && iRow < m_pTracks->count())
        m_pTracks->setCurrentRow(iRow);
}

void MusicPanel::updateTrackButtons()
{
    const int iRow = m_pTracks->currentRow();
    const int iCount = m_pTracks->count();
    // The first track is the album's music; removing the last one is the settings' "no music".
    m_pRemoveTrack->setEnabled(iRow >= 0 && iCount > 1);
    m_pTrackUp->setEnabled(iRow > 0);
    m_pTrackDown->setEnabled(iRow >= 0 && iRow + 1 < iCount);
}

MusicShape MusicPanel::shape() const
{
    MusicShape s;
    s.start = microsecondsOf(m_pStart);
    s.fadeIn = microsecondsOf(m_pFadeIn);
    s.fadeOut = microsecondsOf(m_pFadeOut);
    s.volume = m_pVolume->value() / 100.0;
    return s;
}

void MusicPanel::changed()
{
    emit sig_changed(shape());
}
