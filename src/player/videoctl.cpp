// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide playback engine: playback life cycle, display loop and picture drawing.
#include "videoctl.h"

#include "displayrect.h"
#include "videostate.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/time.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

#include <QCoreApplication>

QMutex VideoCtl::displayMutex;
std::atomic<bool> VideoCtl::s_initialised{false};

namespace {

// Longest sleep of an idle display loop, in milliseconds. New pictures and refresh requests wake
// it at once; SDL's own window events (expose, resize) are only seen when it pumps them, so it
// looks this often. 20 looks a second cost next to nothing.
constexpr int kEventPollMs = 50;
// Retry delay, in milliseconds, when a present was skipped because displayMutex was held.
constexpr int kPresentRetryMs = 10;

// CPU time of the calling thread: a present may also wait (for vertical sync) without working.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

int runThreadBody(void *data)
{
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()> *>(data));
    (*body)();
    return 0;
}

// Starts `body` on a named SDL thread; null (and `body` dropped) when that fails.
SDL_Thread *startThread(const char *szName, std::function<void()> body)
{
    auto *data = new std::function<void()>(std::move(body));
    SDL_Thread *thread = SDL_CreateThread(runThreadBody, szName, data);
    if (!thread) {
        av_log(nullptr, AV_LOG_FATAL, "SDL_CreateThread(): %s\n", SDL_GetError());
        delete data;
    }
    return thread;
}

} // namespace

VideoState::~VideoState()
{
    resetAudioBuffers();
    av_channel_layout_uninit(&audioSrc.chLayout);
    av_channel_layout_uninit(&audioTgt.chLayout);
    if (sws)
        sws_freeContext(sws);
    // The texture belongs to the renderer and is destroyed by the display loop.
}

void VideoState::resetAudioBuffers()
{
    swr_free(&swr);
    av_freep(&audioBuf1);
    audioBuf1Size = 0;
    audioBuf = nullptr;
    audioBufSize = 0;
    audioBufIndex = 0;
    audioWriteBufSize = 0;
}

namespace vmplayer {

SDL_Rect displayRect(int xleft, int ytop, int displayWidth, int displayHeight, int pictureWidth,
                     int pictureHeight, AVRational sar)
{
    float aspect = sar.num == 0 ? 0.0f : float(av_q2d(sar));
    if (aspect <= 0.0f)
        aspect = 1.0f;
    aspect *= float(pictureWidth) / float(pictureHeight);

    int height = displayHeight;
    int width = int(std::lrint(height * aspect)) & ~1;
    if (width > displayWidth) {
        width = displayWidth;
        height = int(std::lrint(width / aspect)) & ~1;
    }
    const int x = (displayWidth - width) / 2;
    const int y = (displayHeight - height) / 2;
    return SDL_Rect{xleft + x, ytop + y, std::max(width, 1), std::max(height, 1)};
}

} // namespace vmplayer

VideoCtl *VideoCtl::instance()
{
    // Built once, thread-safely. Shut down with the application object (see the constructor),
    // or at exit when there is none.
    static const std::unique_ptr<VideoCtl> engine(new VideoCtl);
    return engine->m_initialised ? engine.get() : nullptr;
}

namespace {
void shutdownEngine()
{
    if (VideoCtl *engine = VideoCtl::instance())
        engine->shutdown();
}
} // namespace

VideoCtl::VideoCtl()
{
    avformat_network_init();
    // Ctrl+C and SIGTERM stay with the application instead of becoming SDL quit events.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Set here, before any thread of ours starts: SDL's hint list has no lock, and a hint first
    // set on the display thread grows it while the audio thread reads it.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    m_sdlStarted = true;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_TIMER)) {
        av_log(nullptr, AV_LOG_FATAL, "Could not initialize SDL - %s\n", SDL_GetError());
        av_log(nullptr, AV_LOG_FATAL, "(Did you set the DISPLAY variable?)\n");
        return;
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
    SDL_EventState(SDL_USEREVENT, SDL_IGNORE);
    m_sdlMutex = SDL_CreateMutex();
    if (!m_sdlMutex) {
        av_log(nullptr, AV_LOG_FATAL, "SDL_CreateMutex(): %s\n", SDL_GetError());
        return;
    }
    m_initialised = true;
    s_initialised = true;
    // The engine is a function-static, destroyed after the application object has closed its
    // display connection. Threads drawing into the application's windows and SDL's own
    // connection must end before that, so the engine goes down with the application object.
    if (QCoreApplication::instance())
        qAddPostRoutine(shutdownEngine);
}

VideoCtl::~VideoCtl()
{
    shutdown();
}

void VideoCtl::shutdown()
{
    if (!m_sdlStarted)
        return;
    stopPlay();
    waitDisplayLoop();
    // An audio-open thread may still be inside SDL; SDL_Quit must not pull the device away.
    waitAudioOpen();
    m_initialised = false;
    s_initialised = false;
    m_sdlStarted = false;
    avformat_network_deinit();
    if (m_sdlMutex) {
        SDL_DestroyMutex(m_sdlMutex);
        m_sdlMutex = nullptr;
    }
    SDL_Quit();
}

std::shared_ptr<VideoState> VideoCtl::currentState()
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_state;
}

void VideoCtl::recordPresent(bool bNewPicture, double lfMs, double lfCpuMs)
{
    std::lock_guard<std::mutex> lock(m_statsMutex);
    m_stats.presents++;
    if (!bNewPicture)
        return;
    m_stats.pictures++;
    m_stats.totalMs += lfMs;
    m_stats.cpuMs += lfCpuMs;
    m_stats.maxMs = std::max(m_stats.maxMs, lfMs);
}

VideoCtl::PresentStats VideoCtl::presentStats()
{
    std::lock_guard<std::mutex> lock(m_statsMutex);
    return m_stats;
}

void VideoCtl::resetPresentStats()
{
    std::lock_guard<std::mutex> lock(m_statsMutex);
    m_stats = PresentStats();
}

bool VideoCtl::isPlaying()
{
    return currentState() != nullptr;
}

void VideoCtl::waitDisplayLoop()
{
    if (m_displayThread) {
        SDL_WaitThread(m_displayThread, nullptr);
        m_displayThread = nullptr;
    }
}

void VideoCtl::waitAudioOpen()
{
    std::unique_lock<std::mutex> lock(m_audioThreadsMutex);
    m_audioThreadsDone.wait(lock, [this] { return m_audioThreads == 0; });
}

void VideoCtl::audioThreadEnded()
{
    std::lock_guard<std::mutex> lock(m_audioThreadsMutex);
    if (--m_audioThreads == 0)
        m_audioThreadsDone.notify_all();
}

void VideoCtl::releaseWindow(WId nativeWindowId)
{
    if (!m_initialised || !nativeWindowId || nativeWindowId != m_nativeWindowId)
        return;
    stopPlay();
    waitDisplayLoop();
}

bool VideoCtl::showsInWindowsOf(const QString &szPlatform) const
{
    const char *driver = SDL_GetCurrentVideoDriver();
    if (!driver)
        return false;
    if (std::strcmp(driver, "x11") == 0)
        return szPlatform == QLatin1String("xcb");
    if (std::strcmp(driver, "wayland") == 0)
        return szPlatform == QLatin1String("wayland");
    return true;
}

quint64 VideoCtl::startPlay(WId nativeWindowId)
{
    if (!m_initialised)
        return 0;
    // One display loop at a time: the previous one must have released its window. Its audio
    // device is closed by the loop, or by an audio-open thread still opening it, which is not
    // waited for here.
    stopPlay();
    waitDisplayLoop();

    m_nativeWindowId = nativeWindowId;
    SDL_LockMutex(m_sdlMutex);
    auto is = std::make_shared<VideoState>();
    if (is->pictq.init(3, true) < 0 || is->sampq.init(9, true) < 0) {
        closePlayback(is.get());
        av_log(nullptr, AV_LOG_FATAL, "Failed to initialize VideoState!\n");
        destroyWindow();
        SDL_UnlockMutex(m_sdlMutex);
        return 0;
    }
    SDL_UnlockMutex(m_sdlMutex);

    is->generation = ++m_generation;
    is->running = true;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_state = is;
    }
    m_displayThread = startThread("VideoCtlDisplay", [this, is] { displayLoop(is); });
    if (!m_displayThread) {
        stopPlay();
        return 0;
    }
    return is->generation;
}

void VideoCtl::stopPlay()
{
    std::shared_ptr<VideoState> is;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        is.swap(m_state);
    }
    if (!is)
        return;
    is->running = false;
    // Producers blocked on a full queue return -1 now instead of waiting for a dead loop.
    is->pictq.abort();
    is->sampq.abort();
}

void VideoCtl::displayLoop(std::shared_ptr<VideoState> is)
{
    bool endedByItself = false;
    while (is->running) {
        if (!handleEvents(is.get())) {
            endedByItself = true;
            break;
        }
        if (is->refreshRequested.exchange(false))
            is->forceRefresh = 1;
        if (is->pictq.remaining() > 0) {
            is->pictq.next();
            is->forceRefresh = 1;
        }
        bool presentSkipped = false;
        if (is->forceRefresh && is->pictq.shown()) {
            if (!m_window && !createWindow(is.get())) {
                endedByItself = true;
                break;
            }
            applyPendingResize(is.get());
            // Served once: a still picture is not presented again until something changes.
            if (present(is.get()))
                is->forceRefresh = 0;
            else
                presentSkipped = true;
        }
        if (is->running)
            is->pictq.waitReadable(presentSkipped ? kPresentRetryMs : kEventPollMs);
    }

    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (m_state == is)
            m_state.reset();
    }
    is->running = false;
    is->pictq.abort();
    is->sampq.abort();
    SDL_LockMutex(m_sdlMutex);
    closePlayback(is.get());
    destroyWindow();
    SDL_UnlockMutex(m_sdlMutex);
    if (endedByItself)
        emit StopPlaySingle(is->generation);
}

bool VideoCtl::handleEvents(VideoState *is)
{
    SDL_Event event;
    SDL_PumpEvents();
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        if (event.type == SDL_QUIT || event.type == SDL_USEREVENT + 2)
            return false;
        if (event.type != SDL_WINDOWEVENT)
            continue;
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            is->forceRefresh = 1;
        } else if (event.window.event == SDL_WINDOWEVENT_RESIZED) {
            m_windowWidth = is->width = event.window.data1;
            m_windowHeight = is->height = event.window.data2;
            is->forceRefresh = 1;
        }
    }
    return true;
}

bool VideoCtl::present(VideoState *is)
{
    if (!m_renderer || !displayMutex.tryLock())
        return false;
    const bool newPicture = !is->pictq.peek()->uploaded;
    const int64_t startUs = av_gettime_relative();
    const double startCpuMs = threadCpuMs();
    SDL_SetRenderDrawColor(m_renderer, 47, 47, 47, 255);
    SDL_RenderClear(m_renderer);
    // A picture that cannot be uploaded is not presented at all.
    const bool drawn = display(is);
    const QRgb dim = m_dimColour.load();
    if (drawn && qAlpha(dim) > 0) {
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
        SDL_SetRenderDrawColor(m_renderer, Uint8(qRed(dim)), Uint8(qGreen(dim)), Uint8(qBlue(dim)),
                               Uint8(qAlpha(dim)));
        SDL_RenderFillRect(m_renderer, nullptr);
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    }
    if (drawn)
        SDL_RenderPresent(m_renderer);
    displayMutex.unlock();
    if (drawn)
        recordPresent(newPicture, double(av_gettime_relative() - startUs) / 1000.0,
                      threadCpuMs() - startCpuMs);
    return true;
}

void VideoCtl::notifyWindowResized(WId nativeWindowId, int iWidth, int iHeight)
{
    {
        std::lock_guard<std::mutex> lock(m_sizeMutex);
        m_pendingSize = PendingSize{nativeWindowId, iWidth, iHeight};
    }
    requestRefresh();
}

void VideoCtl::requestRefresh()
{
    if (std::shared_ptr<VideoState> is = currentState()) {
        is->refreshRequested = true;
        is->pictq.wake();
    }
}

void VideoCtl::setDimColour(const QColor &colour)
{
    m_dimColour.store(colour.isValid() ? colour.rgba() : 0);
    requestRefresh();
}

void VideoCtl::applyPendingResize(VideoState *is)
{
    PendingSize size;
    {
        std::lock_guard<std::mutex> lock(m_sizeMutex);
        size = m_pendingSize;
    }
    // A size reported for another window (an earlier surface) says nothing about this one.
    if (size.window != m_nativeWindowId || size.width <= 0 || size.height <= 0 ||
        (size.width == m_windowWidth && size.height == m_windowHeight))
        return;
    // Tells SDL the size the window already has, so the renderer's output follows it.
    SDL_SetWindowSize(m_window, size.width, size.height);
    m_windowWidth = is->width = size.width;
    m_windowHeight = is->height = size.height;
    is->forceRefresh = 1;
}

bool VideoCtl::createWindow(VideoState *is)
{
    m_window = SDL_CreateWindowFrom(reinterpret_cast<const void *>(m_nativeWindowId));
    if (m_window) {
        // The surface's own report, if newer, is applied right after (applyPendingResize).
        SDL_GetWindowSize(m_window, &is->width, &is->height);
        m_windowWidth = is->width;
        m_windowHeight = is->height;
        m_renderer =
            SDL_CreateRenderer(m_window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!m_renderer) {
            av_log(nullptr, AV_LOG_WARNING,
                   "Failed to initialize a hardware accelerated renderer: %s\n", SDL_GetError());
            m_renderer = SDL_CreateRenderer(m_window, -1, 0);
        }
        if (m_renderer) {
            SDL_RendererInfo info;
            if (!SDL_GetRendererInfo(m_renderer, &info))
                av_log(nullptr, AV_LOG_VERBOSE, "Initialized %s renderer.\n", info.name);
        }
    }
    if (!m_window || !m_renderer) {
        av_log(nullptr, AV_LOG_FATAL, "SDL: could not set video mode - exiting\n");
        return false; // the loop's end closes the playback and destroys what was made
    }
    return true;
}

void VideoCtl::closePlayback(VideoState *is)
{
    {
        // After this an audio-open thread still opening the device closes it itself, and once
        // SDL_CloseAudio returns the callback no longer runs. Only a device this playback opened
        // is closed: another thread may be inside SDL_OpenAudio.
        std::lock_guard<std::mutex> lock(is->audioMutex);
        is->closed = true;
        if (is->deviceOpen) {
            SDL_CloseAudio();
            is->deviceOpen = false;
        }
        if (is->audioRequested > 0) {
            is->resetAudioBuffers();
            is->audioRequested = -1;
        }
    }
    // The queues themselves are freed with the state, once no producer holds it.
    is->pictq.abort();
    is->sampq.abort();
    if (is->sws) {
        sws_freeContext(is->sws);
        is->sws = nullptr;
    }
    if (is->texture) {
        SDL_DestroyTexture(is->texture);
        is->texture = nullptr;
    }
}

void VideoCtl::destroyWindow()
{
    if (m_renderer) {
        SDL_DestroyRenderer(m_renderer);
        m_renderer = nullptr;
    }
    if (m_window) {
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
}

bool VideoCtl::display(VideoState *is)
{
    QueuedFrame *vp = is->pictq.peek();
    const SDL_Rect rect = vmplayer::displayRect(is->xleft, is->ytop, is->width, is->height,
                                                vp->width, vp->height, vp->sar);
    if (!vp->uploaded) {
        if (uploadTexture(is, vp->frame) < 0)
            return false;
        vp->uploaded = true;
        vp->flipV = vp->frame->linesize[0] < 0;
        m_lastPictureWidth = vp->width;
        m_lastPictureHeight = vp->height;
    }
    SDL_RenderCopyEx(m_renderer, is->texture, nullptr, &rect, 0, nullptr,
                     vp->flipV ? SDL_FLIP_VERTICAL : SDL_FLIP_NONE);
    return true;
}

int VideoCtl::uploadTexture(VideoState *is, AVFrame *frame)
{
    const Uint32 textureFormat =
        frame->format == AV_PIX_FMT_YUV420P ? SDL_PIXELFORMAT_YV12 : SDL_PIXELFORMAT_ARGB8888;
    Uint32 format = 0;
    int access = 0, w = 0, h = 0;
    if (!is->texture || SDL_QueryTexture(is->texture, &format, &access, &w, &h) < 0 ||
        format != textureFormat || w != frame->width || h != frame->height) {
        if (is->texture)
            SDL_DestroyTexture(is->texture);
        is->texture = SDL_CreateTexture(m_renderer, textureFormat, SDL_TEXTUREACCESS_STREAMING,
                                        frame->width, frame->height);
        if (!is->texture)
            return -1;
        if (SDL_SetTextureBlendMode(is->texture, SDL_BLENDMODE_NONE) < 0)
            return -1;
    }

    int ret = 0;
    switch (frame->format) {
    case AV_PIX_FMT_YUV420P:
        if (frame->linesize[0] > 0 && frame->linesize[1] > 0 && frame->linesize[2] > 0) {
            ret = SDL_UpdateYUVTexture(is->texture, nullptr, frame->data[0], frame->linesize[0],
                                       frame->data[1], frame->linesize[1], frame->data[2],
                                       frame->linesize[2]);
        } else {
            av_log(nullptr, AV_LOG_ERROR, "Negative linesize is not supported for YUV.\n");
            return -1;
        }
        break;
    case AV_PIX_FMT_BGRA:
        if (frame->linesize[0] < 0) {
            ret = SDL_UpdateTexture(is->texture, nullptr,
                                    frame->data[0] + frame->linesize[0] * (frame->height - 1),
                                    -frame->linesize[0]);
        } else {
            ret = SDL_UpdateTexture(is->texture, nullptr, frame->data[0], frame->linesize[0]);
        }
        break;
    default: {
        is->sws = sws_getCachedContext(is->sws, frame->width, frame->height,
                                       AVPixelFormat(frame->format), frame->width, frame->height,
                                       AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!is->sws) {
            av_log(nullptr, AV_LOG_FATAL, "Cannot initialize the conversion context\n");
            return -1;
        }
        uint8_t *pixels[4] = {};
        int pitch[4] = {};
        if (!SDL_LockTexture(is->texture, nullptr, reinterpret_cast<void **>(pixels), pitch)) {
            sws_scale(is->sws, frame->data, frame->linesize, 0, frame->height, pixels, pitch);
            SDL_UnlockTexture(is->texture);
        } else {
            ret = -1;
        }
        break;
    }
    }
    return ret;
}

int VideoCtl::pushVideoFrame(AVFrame *frame)
{
    std::shared_ptr<VideoState> is = currentState();
    if (!is || !frame)
        return -1;
    QueuedFrame *vp = is->pictq.peekWritable();
    if (!vp)
        return -1;
    vp->sar = frame->sample_aspect_ratio;
    vp->uploaded = false;
    vp->width = frame->width;
    vp->height = frame->height;
    vp->format = frame->format;
    vp->pts = frame->pts == AV_NOPTS_VALUE ? NAN : double(frame->pts);
    vp->duration = 0.0;
    vp->pos = frame->pkt_pos;
    av_frame_move_ref(vp->frame, frame);
    is->pictq.push();
    return 0;
}

int VideoCtl::pushAudioFrame(AVFrame *frame)
{
    std::shared_ptr<VideoState> is = currentState();
    if (!is || !frame)
        return -1;
    QueuedFrame *af = is->sampq.peekWritable();
    if (!af)
        return -1;
    av_frame_move_ref(af->frame, frame);
    is->sampq.push();
    return 0;
}

void VideoCtl::setOpenAudioFunction(vmplayer::OpenAudioFn fn)
{
    m_openAudioFn = fn ? fn : SDL_OpenAudio;
}

void VideoCtl::startAudio()
{
    std::shared_ptr<VideoState> is = currentState();
    if (!is)
        return;
    is->audioRequested = 1;
    is->audioActive = 1;
    {
        std::lock_guard<std::mutex> lock(m_audioThreadsMutex);
        m_audioThreads++;
    }
    // Detached: opening can take seconds with a stuck audio server, and nobody on the
    // user-interface thread waits for it; shutdown waits through the thread count.
    SDL_Thread *thread = startThread("VideoCtlAudioOpen", [this, is] {
        openAudio(is);
        audioThreadEnded();
    });
    if (thread)
        SDL_DetachThread(thread);
    else
        audioThreadEnded();
}

void VideoCtl::openAudio(const std::shared_ptr<VideoState> &is)
{
    // SDL has one legacy audio device: opens, and closes of late opens, take turns.
    std::lock_guard<std::mutex> device(m_audioDeviceMutex);
    {
        std::lock_guard<std::mutex> lock(is->audioMutex);
        if (is->closed)
            return;
        if (is->audioVolume == SDL_MIX_MAXVOLUME) {
            // Tried once per playback, even when it failed; a later start only resumes.
            if (is->deviceOpen)
                SDL_PauseAudio(0);
            return;
        }
        is->audioVolume = SDL_MIX_MAXVOLUME;
    }
    AudioParams target;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const int hwBufSize =
        vmplayer::openAudioDevice(is.get(), &stereo, 44100, &target, m_openAudioFn);
    if (hwBufSize < 0)
        return;
    std::lock_guard<std::mutex> lock(is->audioMutex);
    if (is->closed) {
        // The playback ended while the device opened: nobody else will close it.
        SDL_CloseAudio();
        av_channel_layout_uninit(&target.chLayout);
        return;
    }
    // The device starts paused: the callback does not run yet.
    av_channel_layout_uninit(&is->audioTgt.chLayout);
    is->audioTgt = target;
    is->deviceOpen = true;
    is->audioHwBufSize = hwBufSize;
    is->audioBufSize = 0;
    is->audioBufIndex = 0;
    is->audioWriteBufSize = 0;
    SDL_PauseAudio(0);
}

void VideoCtl::stopAudio()
{
    std::shared_ptr<VideoState> is = currentState();
    if (!is)
        return;
    // Held briefly: no thread keeps audioMutex while the device opens. Lock order: the state's
    // audio mutex, then the device lock that the callback runs under.
    std::lock_guard<std::mutex> lock(is->audioMutex);
    const bool deviceOpen = is->deviceOpen;
    if (deviceOpen)
        SDL_LockAudio();
    // Even when no sound was started: a producer blocked on a full queue that nothing drains is
    // released, and the frame it held does not land in the emptied queue.
    is->sampq.flush();
    if (is->audioActive == 1) {
        is->resetAudioBuffers();
        is->audioSrc.freq = 0;
        is->audioActive = -1;
        is->audioFrameEndMs = NAN;
        is->audioClockMs = NAN;
    }
    if (deviceOpen)
        SDL_UnlockAudio();
}

void VideoCtl::releaseProducers()
{
    if (std::shared_ptr<VideoState> is = currentState()) {
        is->pictq.releaseWriters();
        is->sampq.releaseWriters();
    }
}

int VideoCtl::audioLatencyMs()
{
    std::shared_ptr<VideoState> is = currentState();
    if (!is)
        return 0;
    std::lock_guard<std::mutex> lock(is->audioMutex);
    const int bytesPerSecond = is->audioTgt.freq * is->audioTgt.frameSize;
    if (!is->deviceOpen || bytesPerSecond <= 0)
        return 0;
    // Sound queued now waits for the next callback (half a buffer on average), then plays
    // after the buffer that callback fills ahead of it.
    return int(int64_t(3) * is->audioHwBufSize * 1000 / (2 * int64_t(bytesPerSecond)));
}

double VideoCtl::audioPositionMs()
{
    std::shared_ptr<VideoState> is = currentState();
    if (!is)
        return NAN;
    const double clock = is->audioClockMs;
    if (std::isnan(clock))
        return NAN;
    return clock + (av_gettime_relative() - is->audioClockAtUs) / 1000.0;
}
