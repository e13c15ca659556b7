// SPDX-License-Identifier: GPL-3.0-or-later
// The clip's part of the picture panel: the form and the options it shows.
#include "clipcontrols.h"

#include "cliptrimbar.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/mathematics.h>
}

ClipControls::ClipControls(const ClipFacts &facts, QWidget *parent)
    : QWidget(parent), m_facts(facts)
{
    setObjectName(QStringLiteral("divClipControls"));
    auto *pGrid = new QGridLayout(this);
    pGrid->setContentsMargins(0, 0, 0, 0);
    pGrid->setHorizontalSpacing(12);
    pGrid->setVerticalSpacing(6);

    m_pBar = new ClipTrimBar(this);
    m_pBar->setObjectName(QStringLiteral("barClipTrim"));
    m_pBar->setAccessibleName(tr("Part of the clip played"));
    m_pBar->setToolTip(tr("Drag the handles to trim the clip, or press I and O to start and end "
                          "it at the position shown"));
    m_pBar->setClip(facts.duration, facts.frameRate);
    pGrid->addWidget(m_pBar, 0, 0, 1, 3);

    m_pTimes = new QLabel(this);
    m_pTimes->setObjectName(QStringLiteral("labelClipTimes"));
    m_pTimes->setAccessibleName(tr("Start, end and position in the clip"));
    m_pLength = new QLabel(this);
    m_pLength->setObjectName(QStringLiteral("labelClipLength"));
    m_pLength->setAccessibleName(tr("Length of the clip in the video"));
    m_pLength->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pGrid->addWidget(m_pTimes, 1, 0, 1, 2);
    pGrid->addWidget(m_pLength, 1, 2);

    m_pMute = new QCheckBox(tr("Mute"), this);
    m_pMute->setObjectName(QStringLiteral("checkClipMute"));
    m_pMute->setAccessibleName(tr("Mute the clip's sound"));
    auto *pVolumeRow = new QHBoxLayout;
    auto *pVolumeLabel = new QLabel(tr("Volume"), this);
    pVolumeRow->addWidget(pVolumeLabel);
    m_pVolume = new QSpinBox(this);
    pVolumeLabel->setBuddy(m_pVolume);
    m_pVolume->setObjectName(QStringLiteral("spinClipVolume"));
    m_pVolume->setAccessibleName(tr("Volume of the clip's sound"));
    m_pVolume->setRange(0, kMaxClipVolume);
    m_pVolume->setSingleStep(10);
    m_pVolume->setSuffix(QStringLiteral(" %"));
    // One change when the typing is done, not one for every digit.
    m_pVolume->setKeyboardTracking(false);
    pVolumeRow->addWidget(m_pVolume, 1);
    auto *pSpeedRow = new QHBoxLayout;
    auto *pSpeedLabel = new QLabel(tr("Speed"), this);
    pSpeedRow->addWidget(pSpeedLabel);
    m_pSpeed = new QDoubleSpinBox(this);
    pSpeedLabel->setBuddy(m_pSpeed);
    m_pSpeed->setObjectName(QStringLiteral("spinClipSpeed"));
    m_pSpeed->setAccessibleName(tr("Speed of the clip"));
    m_pSpeed->setRange(kMinClipSpeed / 100.0, kMaxClipSpeed / 100.0);
    m_pSpeed->setDecimals(2);
    m_pSpeed->setSingleStep(0.25);
    m_pSpeed->setSuffix(QStringLiteral(" \u00D7"));
    m_pSpeed->setKeyboardTracking(false);
    pSpeedRow->addWidget(m_pSpeed, 1);
    pGrid->addWidget(m_pMute, 2, 0);
    pGrid->addLayout(pVolumeRow, 2, 1);
    pGrid->addLayout(pSpeedRow, 2, 2);
    if (!facts.hasSound) {
        m_pMute->setEnabled(false);
        m_pVolume->setEnabled(false);
        m_pMute->setToolTip(tr("This clip has no sound"));
        m_pVolume->setToolTip(m_pMute->toolTip());
    }

    connect(m_pBar, &ClipTrimBar::sig_trimmed, this, [this] {
        showTimes();
        emit sig_changed();
    });
    connect(m_pBar, &ClipTrimBar::sig_positionMoved, this, [this](int64_t at, bool bSettled) {
        showTimes();
        emit sig_showFrame(at, bSettled);
    });
    connect(m_pMute, &QCheckBox::toggled, this, [this](bool bMute) {
        m_pVolume->setEnabled(m_facts.hasSound && !bMute);
        emit sig_changed();
    });
    connect(m_pVolume, qOverload<int>(&QSpinBox::valueChanged), this, &ClipControls::sig_changed);
    connect(m_pSpeed, qOverload<double>(&QDoubleSpinBox::valueChanged), this, [this] {
        showTimes();
        emit sig_changed();
    });
    setOptions(ClipOptions());
    m_pBar->setPosition(0);
}

void ClipControls::setOptions(const ClipOptions &options)
{
    const QSignalBlocker blockMute(m_pMute);
    const QSignalBlocker blockVolume(m_pVolume);
    const QSignalBlocker blockSpeed(m_pSpeed);
    m_pBar->setTrim(options.in, options.out);
    m_pMute->setChecked(options.mute);
    m_pVolume->setValue(std::clamp(options.volume, 0, kMaxClipVolume));
    m_pVolume->setEnabled(m_facts.hasSound && !options.mute);
    m_pSpeed->setValue(std::clamp(options.speed, kMinClipSpeed, kMaxClipSpeed) / 100.0);
    showTimes();
}

ClipOptions ClipControls::options() const
{
    ClipOptions o;
    o.in = m_pBar->trimIn();
    // The file's end is kept as "the end", so that it stays the end of a file read again.
    o.out = m_pBar->trimOut() >= m_pBar->duration() ? 0 : m_pBar->trimOut();
    o.mute = m_pMute->isChecked();
    o.volume = m_pVolume->value();
    o.speed = std::clamp(int(std::lround(m_pSpeed->value() * 100)), kMinClipSpeed, kMaxClipSpeed);
    return o;
}

int64_t ClipControls::lengthInVideo() const
{
    const ClipOptions o = options();
    return av_rescale(m_pBar->trimOut() - m_pBar->trimIn(), 100, o.speed);
}

void ClipControls::showTimes()
{
    m_pTimes->setText(tr("In %1 \u00B7 Out %2 \u00B7 At %3")
                          .arg(ClipTrimBar::timeText(m_pBar->trimIn()),
                               ClipTrimBar::timeText(m_pBar->trimOut()),
                               ClipTrimBar::timeText(m_pBar->position())));
    m_pLength->setText(tr("Length in the video: %1").arg(ClipTrimBar::timeText(lengthInVideo())));
}
