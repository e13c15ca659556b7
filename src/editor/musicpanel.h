// SPDX-License-Identifier: GPL-3.0-or-later
// The music settings: the tracks and the crossfade between them, where the album starts in the
// music, its fades and volume, the music under clips with sound, and the fit.
#pragma once

#include "cqinfodialog.h"
#include "musicshape.h"

#include <QStringList>

class BeatSection;
class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QSpinBox;

// Every change is handed on at once (sig_changed) as one undoable edit, which the preview
// follows; the fit is the editor's to make (sig_fit). The panel keeps no album state.
class MusicPanel : public ShareCode::CQInfoDialog
{
    Q_OBJECT
public:
    MusicPanel(const QString &szMusicName, const MusicShape &shape, QWidget *parent = nullptr);

    MusicShape shape() const;
    // The album's tracks (file names, in order) and crossfade, shown again after every edit.
    void showTracks(const QStringList &names, int64_t crossfadeUs);
    int currentTrack() const;
    void setCurrentTrack(int iRow);
    // The music under clips: ducked by duckDb decibels, or paused. The group stays in sight
    // but inactive while no clip of the album brings sound.
    void showClips(int duckDb, bool bPause, bool bClipsHaveSound);
    // The beat of the current track and the choice of cutting on it.
    BeatSection *beatSection() const { return m_pBeat; }

signals:
    void sig_changed(MusicShape shape);
    void sig_fit();
    // Edits of the list, each the editor's to make as one undo step.
    void sig_addTrack();
    void sig_removeTrack(int iRow);
    void sig_moveTrack(int iFrom, int iTo);
    void sig_crossfadeChanged(qint64 crossfadeUs);
    // One undo step for the editor, as sig_changed is.
    void sig_clipsChanged(int duckDb, bool bPause);
    void sig_currentTrackChanged(int iRow);

private:
    void changed();
    void updateTrackButtons();

    QDoubleSpinBox *m_pStart = nullptr;
    QDoubleSpinBox *m_pFadeIn = nullptr;
    QDoubleSpinBox *m_pFadeOut = nullptr;
    QSpinBox *m_pVolume = nullptr;
    QPushButton *m_pFit = nullptr;
    QListWidget *m_pTracks = nullptr;
    QPushButton *m_pAddTrack = nullptr;
    QPushButton *m_pRemoveTrack = nullptr;
    QPushButton *m_pTrackUp = nullptr;
    QPushButton *m_pTrackDown = nullptr;
    QDoubleSpinBox *m_pCrossfade = nullptr;
    QGroupBox *m_pClips = nullptr;
    QSpinBox *m_pDuck = nullptr;
    QCheckBox *m_pPauseForClips = nullptr;
    BeatSection *m_pBeat = nullptr;
};
