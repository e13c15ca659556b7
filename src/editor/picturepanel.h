// SPDX-License-Identifier: GPL-3.0-or-later
// The panel of one picture: the picture large (with its motion's rectangles), its own duration,
// the transition after it, its motion, caption and fill. For a clip: its trim, sound and speed
// in place of the motion and the duration.
#pragma once

#include "album.h"
#include "cqinfodialog.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class ClipControls;
class MotionView;
class LookPreview;

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

    // The box the picture is drawn in.
    static QSize pictureBox();
    // From now on the picture is drawn as the video shows it (fill and caption around and over
    // it, in an album whose fill is albumFill), for every change made here.
    void setLookPreview(std::shared_ptr<const LookPreview> preview, const Fill &albumFill);
    // The date taken and the camera, shown under the picture; the caption's fields of the
    // preview are filled from them.
    void setPictureFacts(const QString &szPath, const PictureFacts &facts);
    // The words under the picture for these facts.
    static QString factsText(const PictureFacts &facts);
    // The item is the clip szPath: the panel shows its trim, sound and speed, and its frames.
    void setClip(const QString &szPath, const ClipFacts &facts);

signals:
    void sig_changed(PictureOptions options);
    void sig_durationToAll(PictureOptions options);
    void sig_transitionToAll(PictureOptions options);
    void sig_motionToAll(PictureOptions options);
    void sig_captionToAll(PictureOptions options); // the caption's style; texts stay
    void sig_fillToAll(PictureOptions options);

private:
    void showOptions(const PictureOptions &options);
    void showLook(const PictureOptions &options);
    void changed();
    void showClipFrame(int64_t at);

    void chooseColour(QRgb *pColour, QPushButton *pButton, const QString &szTitle);
    void addLookRows(QWidget *pForm, class QGridLayout *pGrid, int iRow);

    MotionView *m_pPicture = nullptr;
    QLabel *m_pFacts = nullptr;
    QString m_szPath;
    PictureFacts m_facts;
    QLabel *m_pMotionLabel = nullptr;
    QComboBox *m_pMotion = nullptr;
    QPushButton *m_pMotionToAll = nullptr;
    QLineEdit *m_pCaption = nullptr;
    QFontComboBox *m_pCaptionFont = nullptr;
    QSpinBox *m_pCaptionSize = nullptr;
    QPushButton *m_pCaptionColour = nullptr;
    QComboBox *m_pCaptionPosition = nullptr;
    QComboBox *m_pCaptionEffect = nullptr;
    QPushButton *m_pCaptionToAll = nullptr;
    QComboBox *m_pFill = nullptr;
    QPushButton *m_pFillColour = nullptr;
    QPushButton *m_pFillToAll = nullptr;
    QRgb m_captionColour = 0xffffffff;
    QRgb m_fillColour = 0xff000000;
    QCheckBox *m_pOwnDuration = nullptr;
    QDoubleSpinBox *m_pDuration = nullptr;
    QComboBox *m_pTransition = nullptr;
    QCheckBox *m_pOwnLength = nullptr;
    QDoubleSpinBox *m_pLength = nullptr;
    QPushButton *m_pDurationToAll = nullptr;
    QPushButton *m_pTransitionToAll = nullptr;
    int64_t m_albumDuration = 3000000;
    std::shared_ptr<const LookPreview> m_preview;
    Fill m_albumFill;
    bool m_bShowing = false;
    // A clip's: its options as given (kept whole for a still picture too), and its controls.
    ClipOptions m_clipOptions;
    ClipControls *m_pClip = nullptr;
    QString m_szClipPath;
    // While the position is dragged, one frame is decoded per tick of this timer.
    QTimer *m_pFrameTimer = nullptr;
    int64_t m_nextFrameAt = 0;
};
