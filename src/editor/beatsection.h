// SPDX-License-Identifier: GPL-3.0-or-later
// The music panel's part for the beat: the choice of cutting on it, the analysis's progress, the
// waveform with its marks and the grid's corrections.
#pragma once

#include "beatchoice.h"

#include <QWidget>

#include <vector>

class BeatWaveform;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
struct BeatGrid;
struct TrackBeats;

// Shows what it is given and hands every choice on; it keeps no album state beyond the
// correction shown, from which the next one is made.
class BeatSection : public QWidget
{
    Q_OBJECT
public:
    explicit BeatSection(QWidget *parent = nullptr);

    // The album's choice; without music the choice is disabled and says why.
    void showCut(BeatCut cut, bool bFit, bool bHasMusic);
    // The current track's analysis under way (0..1).
    void showProgress(double fraction);
    // The current track: its analysis (null: not asked yet), the grid as corrected, the
    // album's changes of picture in seconds of the track, and the correction applied.
    void showTrack(const TrackBeats *pTrack, const BeatGrid &corrected,
                   const std::vector<double> &changes, const BeatCorrection &correction);
    BeatWaveform *waveform() const { return m_pWaveform; }

    static QString cutText(BeatCut cut);

signals:
    void sig_cutChosen(BeatCut cut);
    void sig_fitChosen(bool bFit);
    // The current track's grid corrected so (one undo step each).
    void sig_corrected(const BeatCorrection &correction);

private:
    void correct(const BeatCorrection &correction);

    QComboBox *m_pCut = nullptr;
    QCheckBox *m_pFit = nullptr;
    QLabel *m_pStatus = nullptr;
    BeatWaveform *m_pWaveform = nullptr;
    QList<QPushButton *> m_corrections;
    BeatCorrection m_correction;
    bool m_bHasTrack = false;
};
