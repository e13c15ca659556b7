// SPDX-License-Identifier: GPL-3.0-or-later
// One playback of the engine: its frame queues, audio state and texture (internal to the player).
#pragma once

#include "framequeue.h"
#include "videoctl.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <SDL.h>

#include <atomic>
#include <mutex>

struct AudioParams
{
    int freq = 0;
    int channels = 0;
    AVChannelLayout chLayout{};
    AVSampleFormat fmt = AV_SAMPLE_FMT_NONE;
    int frameSize = 0; // bytes of one sample of all channels
};

// Thread contract:
// - The picture queue's consumer side, `texture`, `sws`, `width`, `height` and `forceRefresh`
//   belong to the display loop thread. Other threads ask for a present through
//   `refreshRequested` and wake the loop with pictq.wake().
// - The sample queue's consumer side and the audio buffer fields belong to SDL's audio callback;
//   other threads touch them only while holding `audioMutex`, and while the device is open also
//   the SDL audio device lock (stopAudio, the audio-open thread before it starts the device, and
//   playback close after SDL_CloseAudio has stopped the callback).
// - `audioMutex` guards `closed` and `deviceOpen` and is only ever held briefly: the device is
//   opened without it, so the user-interface thread never waits for a slow audio server. After
//   opening, the audio-open thread re-checks `closed` and closes the device of a dead playback.
// - Producers keep the state alive through a shared_ptr while they are inside a queue.
struct VideoState
{
    std::atomic<bool> running{false};
    // Which playback this is; StopPlaySingle carries it so that late signals can be told apart.
    quint64 generation = 0;
    std::atomic<bool> refreshRequested{false};
    int forceRefresh = 0;
    FrameQueue pictq;
    FrameQueue sampq;

    std::atomic<int> audioRequested{0};
    std::atomic<int> audioActive{0};
    int audioHwBufSize = 0;
    int audioWriteBufSize = 0;
    uint8_t *audioBuf = nullptr;
    uint8_t *audioBuf1 = nullptr;
    unsigned audioBuf1Size = 0;
    unsigned audioBufSize = 0;
    int audioBufIndex = 0;
    int audioVolume = 0;
    AudioParams audioSrc;
    AudioParams audioTgt;
    SwrContext *swr = nullptr;
    // The music time of the sample being heard, as of the last callback (ms; NaN before any
    // sound) and when that callback ran (av_gettime_relative). Written by the callback only.
    double audioFrameEndMs = NAN; // end of the frame last taken from the queue
    std::atomic<double> audioClockMs{NAN};
    std::atomic<int64_t> audioClockAtUs{0};

    std::mutex audioMutex;
    bool closed = false;
    bool deviceOpen = false;

    SDL_Texture *texture = nullptr;
    SwsContext *sws = nullptr;
    int width = 0;
    int height = 0;
    int xleft = 0;
    int ytop = 0;

    VideoState() = default;
    ~VideoState();
    VideoState(const VideoState &) = delete;
    VideoState &operator=(const VideoState &) = delete;

    // Frees the resampler and the conversion buffer and forgets the current buffer.
    void resetAudioBuffers();
};

namespace vmplayer {

// Opens the audio device for `wantedLayout` / `wantedRate`, falling back through channel counts
// and rates. On success fills `target` and returns the device buffer size in bytes; otherwise -1.
int openAudioDevice(VideoState *is, const AVChannelLayout *wantedLayout, int wantedRate,
                    AudioParams *target, OpenAudioFn openFn = SDL_OpenAudio);

// SDL's audio callback; `opaque` is the VideoState.
void audioCallback(void *opaque, Uint8 *stream, int length);

// Makes the next buffer from the sample queue; returns its size in bytes or a negative code.
int nextAudioBuffer(VideoState *is);

} // namespace vmplayer
