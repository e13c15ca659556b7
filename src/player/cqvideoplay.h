// SPDX-License-Identifier: GPL-3.0-or-later
// The player window: video surface, progress slider, times, play/pause button and the clock.
#pragma once

#include "playerinterface.h"

#include <QElapsedTimer>
#include <QTime>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>

class CQSlider;
class CQVideoShow;
class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QSpacerItem;
class QTimeEdit;
class QTimer;
class QVBoxLayout;

namespace Ui {
// The player's form, built the way the form designer generates it.
class CQVideoPlayClass
{
public:
    QGridLayout *gridLayout = nullptr;
    QWidget *uiFrame = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QWidget *titleUi = nullptr;
    QGridLayout *gridLayout_2 = nullptr;
    QSpacerItem *verticalSpacer = nullptr;
    QSpacerItem *horizontalSpacer = nullptr;
    CQVideoShow *ShowWid = nullptr;
    QSpacerItem *horizontalSpacer_2 = nullptr;
    QSpacerItem *verticalSpacer_2 = nullptr;
    QWidget *CtrlBarWid = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    CQSlider *PlaySlider = nullptr;
    QWidget *ctrlbarWdiget = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QTimeEdit *VideoPlayTimeEdit = nullptr;
    QSpacerItem *horizontalSpacer_3 = nullptr;
    QPushButton *PlayOrPauseBtn = nullptr;
    QSpacerItem *horizontalSpacer_4 = nullptr;
    QTimeEdit *VideoTotalTimeEdit = nullptr;

    void setupUi(QWidget *CQVideoPlayClass);
    void retranslateUi(QWidget *CQVideoPlayClass);
};
} // namespace Ui

// Thread contract: everything runs on the user-interface thread except pushVideoFrame,
// pushAudioFrame and sliderPositionMs, which producer threads call. `m_positionMutex` guards
// `m_sliderValue` (a copy of the slider's value) and `m_totalMs`, the two things those threads
// read; `m_sliderPressed` is atomic. Pushes may block inside the engine while its queues are full.
// `m_pushMutex` guards `m_closing` and the count of pushes under way: the destructor refuses new
// pushes, ends the playback in its surface (which releases blocked producers), joins the display
// loop and waits for the pushes under way before anything is freed.
class CQVideoPlay : public QWidget, public PlayerInterface
{
    Q_OBJECT
public:
    explicit CQVideoPlay(QWidget *parent = nullptr);
    ~CQVideoPlay() override;

    // Display time of a position: whole seconds (single precision, truncated) as HH:mm:ss.
    static QTime msToDisplayTime(int iMs);

    bool connectControls();
    void setTotalDurationMs(int iMs);
    int totalDurationMs() const { return m_totalMs; }
    void showPosition(int iMs);
    void resetPosition();

    void startClock();
    void pauseClock();
    void resumeClockFromSlider();
    void syncClockToSlider();
    void stopClock();
    bool clockRunning() const { return m_timer != nullptr; }
    bool clockPaused() const { return m_clockPaused; }
    // The clock's time now, finer than the slider's steps (for measurements).
    qint64 clockMs();
    // The pts of the picture handed over last and the steady-clock ms of that hand-over
    // (pts -1 before any); for measuring pictures against the clock and the music.
    void lastPicture(int64_t &iPts, qint64 &iAtMs) const;

    // Without a native window the engine can draw into, attaching does nothing.
    // The picture surface's size in device pixels.
    QSize surfaceSize() const;
    void attachEngine();
    void detachEngine();
    // Returns the producers blocked on the engine's full queues without queueing their frames.
    void releaseProducers();
    bool engineAttached() const { return m_engineAttached; }
    void startAudio();
    void stopAudio();

    void showPlayIcon();
    void showPauseIcon();
    bool isPlaying() const { return m_playing; }
    // The generation of the playback this window started last (0 when none).
    quint64 playbackGeneration() const { return m_playbackGeneration; }

    // PlayerInterface, called from producer threads.
    int pushVideoFrame(AVFrame *frame) override;
    int pushAudioFrame(AVFrame *frame) override;
    double sliderPositionMs() override;
    int audioLatencyMs() override;

    CQVideoShow *videoShow() const;
    Ui::CQVideoPlayClass *form() const { return ui; }

signals:
    void vp_cSliderPressSignal(double perc);
    void vp_cSliderMoveSignal(double perc);
    void vp_cSliderReleaseSignal(double perc);
    void vp_PlayOrPauseVideoSignal(bool flag);
    void vp_videoStopPlaySignal();
    // The picture surface's size in device pixels changed.
    void vp_surfaceResizedSignal(QSize size);
    void vp_timeLoopEndSignal();

public slots:
    void vp_cSliderPressSlots(double perc);
    void vp_cSliderMoveSlots(double perc);
    void vp_cSliderReleaseSlots(double perc);
    void vp_VideoPlayOrPauseSlots();
    void vp_videoStopPlaySlots();
    void on_timeout();

private slots:
    void onEngineStopped(quint64 iGeneration);

private:
    int forwardFrame(AVFrame *frame, bool bVideo);
    void setElapsedDisplay(int iMs);
    void setSliderRatio(double lfPerc);
    void onSliderValueChanged(int iValue);

    Ui::CQVideoPlayClass *ui;
    bool m_engineAttached = false;
    quint64 m_playbackGeneration = 0;
    int m_totalMs = 0;
    std::atomic<bool> m_sliderPressed{false};
    std::mutex m_positionMutex; // a std::mutex so that ThreadSanitizer sees it
    int m_sliderValue = 0;
    QTimer *m_timer = nullptr;
    int m_baseMs = 0;
    QElapsedTimer m_elapsed;
    bool m_clockPaused = false;
    bool m_playing = false;
    QString m_pauseStyle;
    QString m_playStyle;
    std::mutex m_pushMutex;
    std::condition_variable m_pushesDone;
    int m_pushesInFlight = 0;
    bool m_closing = false;
    std::atomic<int64_t> m_lastPicturePts{-1};
    std::atomic<qint64> m_lastPictureAtMs{0};
};
