// The process-wide playback engine: shows pushed pictures with SDL and plays pushed audio.
#pragma once

#include <QMutex>
#include <QObject>
#include <qwindowdefs.h>

#include <SDL.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

struct AVFrame;
struct VideoState;

// Thread contract:
// - startPlay, stopPlay, startAudio and stopAudio are called from the user-interface thread.
// - pushVideoFrame and pushAudioFrame may be called from any producer thread; they block while
//   the matching queue is full and return -1 once the playback has ended.
// - `m_stateMutex` guards `m_state` (the current playback). A producer copies the shared_ptr and
//   so keeps the queues alive while it is inside them.
// - `m_sdlMutex` serialises creating and destroying a playback's window and renderer.
// - `m_window`, `m_renderer`, `m_windowWidth/Height` and `m_lastPicture*` belong to the display
//   loop thread; there is at most one display loop, since startPlay joins the previous one.
class VideoCtl : public QObject
{
    Q_OBJECT
public:
    // Null when SDL could not be initialised; callers then skip their action.
    static VideoCtl *instance();
    ~VideoCtl() override;

    void startPlay(WId nativeWindowId);
    void stopPlay();
    void startAudio();
    void stopAudio();

    // Move the frame's content into the queue; -1 (frame untouched) when nothing plays.
    int pushVideoFrame(AVFrame *frame);
    int pushAudioFrame(AVFrame *frame);

    // The surface's new size in device pixels. SDL is not told when a window it did not create
    // changes size, so the surface reports it; the display loop applies it at its next pass.
    void notifyWindowResized(int iWidth, int iHeight);

    // True while a playback exists (between startPlay and the end of its display loop).
    bool isPlaying();
    // Waits for the current display loop, if any, to end (for tests and shutdown).
    void waitDisplayLoop();

    // Cost of showing new pictures (upload, draw and present), for benchmarks and diagnostics.
    struct PresentStats
    {
        qint64 pictures = 0;
        double totalMs = 0.0; // wall time, including any wait for vertical sync
        double cpuMs = 0.0;   // the display thread's own CPU time
        double maxMs = 0.0;
    };
    PresentStats presentStats();
    void resetPresentStats();

    // Tried by the display loop before each present; whoever holds it suspends presenting.
    static QMutex displayMutex;
    // Read by the audio callback.
    static bool isInitialised() { return s_initialised.load(); }

signals:
    // Emitted when a playback ends by itself (window or renderer failure, quit event), not when
    // stopPlay ended it, so the player can attach again later.
    void StopPlaySingle();

private:
    VideoCtl();
    void displayLoop(std::shared_ptr<VideoState> is);
    bool createWindow(VideoState *is);
    void closePlayback(VideoState *is);
    void destroyWindow();
    bool display(VideoState *is);
    int uploadTexture(VideoState *is, AVFrame *frame);
    std::shared_ptr<VideoState> currentState();
    void joinAudioOpen();
    void recordPresent(double lfMs, double lfCpuMs);
    void applyPendingResize(VideoState *is);

    static std::atomic<bool> s_initialised;

    bool m_initialised = false;
    SDL_mutex *m_sdlMutex = nullptr;
    SDL_Window *m_window = nullptr;
    SDL_Renderer *m_renderer = nullptr;
    WId m_nativeWindowId = 0;
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    int m_lastPictureWidth = 0;
    int m_lastPictureHeight = 0;

    std::atomic<int> m_pendingWidth{0};
    std::atomic<int> m_pendingHeight{0};
    std::mutex m_statsMutex;
    PresentStats m_stats;

    std::mutex m_stateMutex;
    std::shared_ptr<VideoState> m_state;
    // SDL threads, so that SDL frees its per-thread state (error text) when they end. Touched by
    // the user-interface thread only.
    SDL_Thread *m_displayThread = nullptr;
    SDL_Thread *m_audioOpenThread = nullptr;
};
