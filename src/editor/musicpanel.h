// SPDX-License-Identifier: GPL-3.0-or-later
// The music settings: where the album starts in the music, its fades and volume, and the fit.
#pragma once

#include "cqinfodialog.h"
#include "musicshape.h"

class QDoubleSpinBox;
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

signals:
    void sig_changed(MusicShape shape);
    void sig_fit();

private:
    void changed();

    QDoubleSpinBox *m_pStart = nullptr;
    QDoubleSpinBox *m_pFadeIn = nullptr;
    QDoubleSpinBox *m_pFadeOut = nullptr;
    QSpinBox *m_pVolume = nullptr;
    QPushButton *m_pFit = nullptr;
};
