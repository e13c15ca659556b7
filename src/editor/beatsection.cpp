// SPDX-License-Identifier: GPL-3.0-or-later
// The beat part of the music panel.
#include "beatsection.h"

#include "beatwaveform.h"
#include "beatworker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {
// A small step is what a listener hears as early or late against a drum.
constexpr int64_t kShiftStepUs = 10000;
// The grid moves at most this far: beyond it another beat is nearer.
constexpr int64_t kMaxShiftUs = 2000000;

const BeatCut kCuts[] = {BeatCut::Off, BeatCut::Beat,    BeatCut::TwoBeats,
                         BeatCut::Bar, BeatCut::TwoBars, BeatCut::Auto};
} // namespace

QString BeatSection::cutText(BeatCut cut)
{
    switch (cut) {
    case BeatCut::Off:
        return tr("Off");
    case BeatCut::Beat:
        return tr("On every beat");
    case BeatCut::TwoBeats:
        return tr("On every 2 beats");
    case BeatCut::Bar:
        return tr("On every bar");
    case BeatCut::TwoBars:
        return tr("On every 2 bars");
    case BeatCut::Auto:
        return tr("Auto (nearest beat to each picture's time)");
    }
    return QString();
}

BeatSection::BeatSection(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("divBeat"));
    auto *pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(6);

    auto *pRow = new QHBoxLayout;
    auto *pLabel = new QLabel(tr("Cut on the beat"), this);
    m_pCut = new QComboBox(this);
    m_pCut->setObjectName(QStringLiteral("comboBeatCut"));
    m_pCut->setAccessibleName(tr("Cut on the beat"));
    for (BeatCut cut : kCuts)
        m_pCut->addItem(cutText(cut), int(cut));
    pLabel->setBuddy(m_pCut);
    pRow->addWidget(pLabel);
    pRow->addWidget(m_pCut, 1);
    pLayout->addLayout(pRow);
    m_pFit = new QCheckBox(tr("Fit to the music, ending on its last bar"), this);
    m_pFit->setObjectName(QStringLiteral("checkBeatFit"));
    pLayout->addWidget(m_pFit);

    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("labelBeatStatus"));
    m_pStatus->setWordWrap(true);
    pLayout->addWidget(m_pStatus);

    m_pWaveform = new BeatWaveform(this);
    pLayout->addWidget(m_pWaveform);

    auto *pButtons = new QHBoxLayout;
    const auto button = [this, pButtons](const char *szName, const QString &szText,
                                         const QString &szTip) {
        auto *pButton = new QPushButton(szText, this);
        pButton->setObjectName(QLatin1String(szName));
        pButton->setAccessibleName(szTip);
        pButton->setToolTip(szTip);
        pButtons->addWidget(pButton);
        m_corrections.append(pButton);
        return pButton;
    };
    QPushButton *pEarlier =
        button("btnBeatEarlier", tr("−10 ms"), tr("Move the beat grid 10 ms earlier"));
    QPushButton *pLater =
        button("btnBeatLater", tr("+10 ms"), tr("Move the beat grid 10 ms later"));
    QPushButton *pHalf =
        button("btnBeatHalf", tr("½ tempo"), tr("Half the tempo: keep every other beat"));
    QPushButton *pDouble =
        button("btnBeatDouble", tr("2× tempo"), tr("Double the tempo: a beat between each two"));
    QPushButton *pReset =
        button("btnBeatReset", tr("Reset"), tr("Take the beat grid as it was found"));
    pButtons->addStretch();
    pLayout->addLayout(pButtons);

    connect(m_pFit, &QCheckBox::toggled, this, &BeatSection::sig_fitChosen);
    connect(m_pCut, qOverload<int>(&QComboBox::activated), this,
            [this](int i) { emit sig_cutChosen(BeatCut(m_pCut->itemData(i).toInt())); });
    connect(pEarlier, &QPushButton::clicked, this, [this] {
        BeatCorrection c = m_correction;
        c.shift = std::max(c.shift - kShiftStepUs, -kMaxShiftUs);
        correct(c);
    });
    connect(pLater, &QPushButton::clicked, this, [this] {
        BeatCorrection c = m_correction;
        c.shift = std::min(c.shift + kShiftStepUs, kMaxShiftUs);
        correct(c);
    });
    // Halving a doubled grid, or doubling a halved one, is the grid as found.
    connect(pHalf, &QPushButton::clicked, this, [this] {
        BeatCorrection c = m_correction;
        c.tempo = std::max(c.tempo - 1, -1);
        correct(c);
    });
    connect(pDouble, &QPushButton::clicked, this, [this] {
        BeatCorrection c = m_correction;
        c.tempo = std::min(c.tempo + 1, 1);
        correct(c);
    });
    connect(pReset, &QPushButton::clicked, this, [this] { correct(BeatCorrection()); });
    connect(m_pWaveform, &BeatWaveform::sig_shifted, this, [this](qint64 deltaUs) {
        BeatCorrection c = m_correction;
        c.shift = std::clamp<int64_t>(c.shift + deltaUs, -kMaxShiftUs, kMaxShiftUs);
        correct(c);
    });
    connect(m_pWaveform, &BeatWaveform::sig_barMoved, this, [this](int beats) {
        BeatCorrection c = m_correction;
        c.barPhase = ((c.barPhase + beats) % 4 + 4) % 4;
        correct(c);
    });
    showCut(BeatCut::Off, false, false);
    showTrack(nullptr, BeatGrid(), {}, BeatCorrection());
}

void BeatSection::correct(const BeatCorrection &correction)
{
    if (m_bHasTrack && correction != m_correction)
        emit sig_corrected(correction);
}

void BeatSection::showCut(BeatCut cut, bool bFit, bool bHasMusic)
{
    const QSignalBlocker blockFit(m_pFit);
    m_pFit->setChecked(bFit);
    m_pFit->setEnabled(bHasMusic && cut != BeatCut::Off);
    m_pFit->setToolTip(tr("Every picture's time is scaled so that the album ends with the music"));
    const QSignalBlocker blocker(m_pCut);
    m_pCut->setCurrentIndex(std::max(0, m_pCut->findData(int(cut))));
    m_pCut->setEnabled(bHasMusic);
    m_pCut->setToolTip(bHasMusic ? tr("Every change of picture falls on a beat of the music")
                                 : tr("Choose background music first"));
}

void BeatSection::showProgress(double fraction)
{
    const QString szText =
        tr("Finding the beat… %1 %").arg(std::lround(std::clamp(fraction, 0.0, 1.0) * 100));
    m_pStatus->setText(szText);
    m_pWaveform->setMessage(szText);
}

void BeatSection::showTrack(const TrackBeats *pTrack, const BeatGrid &corrected,
                            const std::vector<double> &changes, const BeatCorrection &correction)
{
    m_correction = correction;
    m_bHasTrack = pTrack && pTrack->ok() && !pTrack->grid.beats.empty();
    for (QPushButton *pButton : m_corrections)
        pButton->setEnabled(m_bHasTrack);
    if (!pTrack) {
        m_pStatus->setText(tr("Finding the beat…"));
        m_pWaveform->setMessage(tr("Finding the beat…"));
        m_pWaveform->setTrack({}, 0);
        m_pWaveform->setGrid(BeatGrid());
        m_pWaveform->setChanges({});
        return;
    }
    m_pWaveform->setTrack(pTrack->peaks, double(pTrack->lengthUs) / 1e6);
    m_pWaveform->setGrid(m_bHasTrack ? corrected : BeatGrid());
    m_pWaveform->setChanges(changes);
    if (!pTrack->ok()) {
        m_pStatus->setText(pTrack->error);
        m_pWaveform->setMessage(tr("No beat"));
    } else if (!m_bHasTrack) {
        m_pStatus->setText(tr("No beat was found in this track"));
        m_pWaveform->setMessage(tr("No beat"));
    } else {
        const int iBars = int(corrected.bars.size());
        const QString szText =
            (correction.isDefault() ? tr("%1 BPM, %n bars", nullptr, iBars)
                                    : tr("%1 BPM, %n bars, corrected", nullptr, iBars))
                .arg(corrected.bpm, 0, 'f', 1);
        m_pStatus->setText(szText);
        m_pWaveform->setMessage(QString());
    }
}
