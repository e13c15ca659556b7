// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide playback engine: shows pushed pictures with SDL and plays pushed audio.
#pragma once

#include <QColor>
#include <QMutex>
#include <QObject>
#include <qwindowdefs.h>

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

struct AVFrame;
struct VideoState;

namespace vmplayer {
// SDL_OpenAudio's signature, replaceable so that the fallback order and a slow audio server can
// be tested.
using OpenAudioFn = int (*)(SDL_AudioSpec *desired, SDL_AudioSpec *obtained);
} // namespace vmplayer

// Thread contract:
// - startPlay, stopPlay, startAudio, stopAudio, releaseWindow, the waits and shutdown are called
//   from the user-interface thread. None of them waits for the audio device to open.
// - pushVideoFrame and pushAudioFrame: one producer thread per queue (the preview renderer's
//   feeder pushes pictures, the music decoder pushes sound). They block while their queue is full
//   and return -1 once the playback has ended.
// - notifyWindowResized and requestRefresh may be called from any thread; they wake the display
//   loop, which otherwise sleeps while nothing new is to be shown.
// - `m_stateMutex` guards `m_state` (the current playback). A producer copies the shared_ptr and
//   so keeps the queues alive while it is inside them.
// - `m_sizeMutex` guards `m_pendingSize`, the newest size the surface reported.
// - `m_sdlMutex` serialises creating and destroying a playback's window and renderer.
// - `m_window`, `m_renderer`, `m_windowWidth/Height` and `m_lastPicture*` belong to the display
//   loop thread; there is at most one display loop, since startPlay joins the previous one.
// - `m_audioDeviceMutex` is held by audio-open threads only, around opening (and, for a playback
//   that ended meanwhile, closing) SDL's one audio device; `m_audioThreadsMutex` guards the count
//   of audio-open threads still running, which shutdown waits for before SDL_Quit.
class VideoCtl : public QObject
{
    Q_OBJECT
public:
    // Null when SDL could not be initialised or the engine was shut down; callers then skip
    // their action.
    static VideoCtl *instance();
    ~VideoCtl() override;

    // Whether a native window id of the Qt platform `szPlatform` is a window SDL's video driver
    // can draw into (SDL's X11 driver needs Qt's xcb; its dummy driver takes any id and refuses
    // it harmlessly).
    bool showsInWindowsOf(const QString &szPlatform) const;
    // Starts a playback on the native window; returns its generation, which StopPlaySingle
    // carries (0 when no playback could start).
    quint64 startPlay(WId nativeWindowId);
    void stopPlay();
    void startAudio();
    void stopAudio();
    // The music time now being heard, in ms of the music frames' own time line, corrected for
    // the device's buffering; NaN when no sound has been played since the last stopAudio.
    double audioPositionMs();
    // How long sound queued now takes to be heard, in ms, by the device's buffering as the
    // position above counts it; 0 while no device is open.
    int audioLatencyMs();

    // Move the frame's content into the queue; -1 (frame untouched) when nothing plays.
    int pushVideoFrame(AVFrame *frame);
    int pushAudioFrame(AVFrame *frame);
    // Returns the producers blocked in a push now without queueing their frames (a halt does
    // this before it waits for them); later pushes work as before.
    void releaseProducers();

    // The surface's new size in device pixels. SDL is not told when a window it did not create
    // changes size, so the surface reports it; the newest report wins and is applied at once.
    void notifyWindowResized(WId nativeWindowId, int iWidth, int iHeight);
    // Shows the current picture again (the window was exposed, or its pixels were lost).
    void requestRefresh();
    // Pictures are shown under this colour (its alpha blends it in): a dialog's shadow that
    // leaves the surface uncovered. An invalid colour shows them plain. Any thread.
    void setDimColour(const QColor &colour);

    // Ends a playback shown in `nativeWindowId` and waits for its display loop, so that the
    // window may be destroyed.
    void releaseWindow(WId nativeWindowId);

    // True while a playback exists (between startPlay and the end of its display loop).
    bool isPlaying();
    // Waits for the current display loop, if any, to end (for tests and shutdown).
    void waitDisplayLoop();
    // Waits until no audio-open thread is left (for tests and shutdown).
    void waitAudioOpen();
    // Ends any playback, joins every engine thread and quits SDL; instance() is null afterwards.
    // Runs from the application object's destructor, while its display connection still works.
    void shutdown();

    // Replaces SDL_OpenAudio for later startAudio calls (tests).
    void setOpenAudioFunction(vmplayer::OpenAudioFn fn);

    // Cost of showing pictures (upload, draw and present), for benchmarks and diagnostics.
    struct PresentStats
    {
        qint64 pictures = 0;  // new pictures shown
        qint64 presents = 0;  // every present, repeats of the current picture included
        double totalMs = 0.0; // wall time of new pictures, including any wait for vertical sync
        double cpuMs = 0.0;   // the display thread's own CPU time for them
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
    // stopPlay ended it, so the player can attach again later. Queued signals of an earlier
    // playback can arrive after a new one started: the generation tells them apart.
    void StopPlaySingle(quint64 iGeneration);

private:
    VideoCtl();
    void displayLoop(std::shared_ptr<VideoState> is);
    bool handleEvents(VideoState *is);
    bool present(VideoState *is);
    bool createWindow(VideoState *is);
    void closePlayback(VideoState *is);
    void destroyWindow();
    bool display(VideoState *is);
    int uploadTexture(VideoState *is, AVFrame *frame);
    std::shared_ptr<VideoState> currentState();
    void openAudio(const std::shared_ptr<VideoState> &is);
    void audioThreadEnded();
    void recordPresent(bool bNewPicture, double lfMs, double lfCpuMs);
    void applyPendingResize(VideoState *is);

    static std::atomic<bool> s_initialised;

    std::atomic<bool> m_initialised{false};
    bool m_sdlStarted = false;
    SDL_mutex *m_sdlMutex = nullptr;
    SDL_Window *m_window = nullptr;
    SDL_Renderer *m_renderer = nullptr;
    WId m_nativeWindowId = 0;
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    std::atomic<QRgb> m_dimColour{0}; // ARGB; alpha 0 shows pictures plain
    int m_lastPictureWidth = 0;
    int m_lastPictureHeight = 0;
    quint64 m_generation = 0;

    struct PendingSize
    {
        WId window = 0;
        int width = 0;
        int height = 0;
    };
    std::mutex m_sizeMutex;
    PendingSize m_pendingSize;

    std::mutex m_statsMutex;
    PresentStats m_stats;

    std::mutex m_stateMutex;
    std::shared_ptr<VideoState> m_state;
    // An SDL thread, so that SDL frees its per-thread state (error text) when it ends. Touched
    // by the user-interface thread only.
    SDL_Thread *m_displayThread = nullptr;

    vmplayer::OpenAudioFn m_openAudioFn = SDL_OpenAudio;
    std::mutex m_audioDeviceMutex;
    std::mutex m_audioThreadsMutex;
    std::condition_variable m_audioThreadsDone;
    int m_audioThreads = 0;
};
