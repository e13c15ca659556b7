// SPDX-License-Identifier: GPL-3.0-or-later
// The picture panel's part for a video clip: its trim on a scrub bar, its sound and its speed.
#pragma once

#include "album.h"

#include <QWidget>

class ClipTrimBar;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

// Shows one clip's options and hands each change on once (sig_changed): a handle released, I or
// O pressed, a box's edit finished. The position shown is no option: it is handed on for the
// picture (sig_showFrame), settled or while dragging.
class ClipControls : public QWidget
{
    Q_OBJECT
public:
    explicit ClipControls(const ClipFacts &facts, QWidget *parent = nullptr);

    // Shows these options; emits nothing.
    void setOptions(const ClipOptions &options);
    ClipOptions options() const;
    ClipTrimBar *trimBar() const { return m_pBar; }
    // Microseconds the clip lasts in the video with the options shown.
    int64_t lengthInVideo() const;

signals:
    void sig_changed();
    void sig_showFrame(int64_t at, bool bSettled);

private:
    void showTimes();

    ClipFacts m_facts;
    ClipTrimBar *m_pBar = nullptr;
    QLabel *m_pTimes = nullptr;
    QLabel *m_pLength = nullptr;
    QCheckBox *m_pMute = nullptr;
    QSpinBox *m_pVolume = nullptr;
    QDoubleSpinBox *m_pSpeed = nullptr;
};
