// The panel of one picture: the picture large, its own duration and the transition after it.
#pragma once

#include "cqinfodialog.h"
#include "renderjob.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

// Every change is handed on at once (sig_changed), so that the editor applies it as an undoable
// edit and the preview shows it; "Apply to all" hands a group on for every picture. The panel
// itself keeps no album state beyond what it shows.
class PicturePanel : public ShareCode::CQInfoDialog
{
    Q_OBJECT
public:
    // albumDuration: microseconds, what a picture without its own duration shows.
    PicturePanel(const QPixmap &stPicture, const QString &szName, const PictureOptions &options,
                 int64_t albumDuration, QWidget *parent = nullptr);

    PictureOptions options() const;

signals:
    void sig_changed(PictureOptions options);
    void sig_durationToAll(PictureOptions options);
    void sig_transitionToAll(PictureOptions options);

private:
    void showOptions(const PictureOptions &options);
    void changed();

    QLabel *m_pPicture = nullptr;
    QCheckBox *m_pOwnDuration = nullptr;
    QDoubleSpinBox *m_pDuration = nullptr;
    QComboBox *m_pTransition = nullptr;
    QCheckBox *m_pOwnLength = nullptr;
    QDoubleSpinBox *m_pLength = nullptr;
    QPushButton *m_pDurationToAll = nullptr;
    QPushButton *m_pTransitionToAll = nullptr;
    int64_t m_albumDuration = 3000000;
    bool m_bShowing = false;
};
