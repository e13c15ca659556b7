// SPDX-License-Identifier: GPL-3.0-or-later
// The playback engine's audio side: opening the device with fallbacks, the callback, resampling.
#include "videoctl.h"
#include "videostate.h"

extern "C" {
#include <libavutil/common.h>
#include <libavutil/mem.h>
#include <libavutil/time.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Smallest device buffer, in samples, and the most callbacks per second a buffer should cause.
constexpr int kAudioMinBufferSize = 512;
constexpr int kAudioMaxCallbacksPerSec = 30;

void defaultLayout(AVChannelLayout *layout, int channels)
{
    av_channel_layout_uninit(layout);
    av_channel_layout_default(layout, channels);
}

AVSampleFormat sampleFormatFor(SDL_AudioFormat format)
{
    switch (format) {
    case AUDIO_S16LSB:
    case AUDIO_S16MSB:
        return AV_SAMPLE_FMT_S16;
    case AUDIO_S32SYS:
        return AV_SAMPLE_FMT_S32;
    case AUDIO_F32SYS:
        return AV_SAMPLE_FMT_FLT;
    default:
        return AV_SAMPLE_FMT_U8;
    }
}

} // namespace

namespace vmplayer {

int openAudioDevice(VideoState *is, const AVChannelLayout *wantedLayout, int wantedRate,
                    AudioParams *target, OpenAudioFn openFn)
{
    static const int nextChannels[] = {0, 0, 1, 6, 2, 6, 4, 6};
    static const int nextRates[] = {0, 44100, 48000, 96000, 192000};
    int nextRateIdx = FF_ARRAY_ELEMS(nextRates) - 1;

    AVChannelLayout layout{};
    if (av_channel_layout_copy(&layout, wantedLayout) < 0)
        return -1;
    int channels = layout.nb_channels;
    if (const char *env = SDL_getenv("SDL_AUDIO_CHANNELS")) {
        channels = std::atoi(env);
        defaultLayout(&layout, channels);
    }
    if (layout.order != AV_CHANNEL_ORDER_NATIVE || layout.nb_channels != channels) {
        defaultLayout(&layout, channels);
        if (layout.order == AV_CHANNEL_ORDER_NATIVE) {
            const uint64_t mask = layout.u.mask & ~AV_CH_LAYOUT_STEREO_DOWNMIX;
            av_channel_layout_uninit(&layout);
            av_channel_layout_from_mask(&layout, mask);
        }
    }
    channels = layout.nb_channels;

    SDL_AudioSpec wanted{}, obtained{};
    wanted.channels = Uint8(std::clamp(channels, 0, 255));
    wanted.freq = wantedRate;
    if (wanted.freq <= 0 || wanted.channels <= 0) {
        av_log(nullptr, AV_LOG_ERROR, "Invalid sample rate or channel count!\n");
        av_channel_layout_uninit(&layout);
        return -1;
    }
    while (nextRateIdx && nextRates[nextRateIdx] >= wanted.freq)
        nextRateIdx--;
    wanted.format = AUDIO_S16SYS;
    wanted.silence = 0;
    wanted.samples = Uint16(std::max(
        kAudioMinBufferSize, 2 << av_log2(unsigned(wanted.freq / kAudioMaxCallbacksPerSec))));
    wanted.callback = audioCallback;
    wanted.userdata = is;
    const int wantedChannels = wanted.channels;
    while (openFn(&wanted, &obtained) < 0) {
        av_log(nullptr, AV_LOG_WARNING, "SDL_OpenAudio (%d channels, %d Hz): %s\n", wanted.channels,
               wanted.freq, SDL_GetError());
        wanted.channels = Uint8(nextChannels[std::min(7, int(wanted.channels))]);
        if (!wanted.channels) {
            wanted.freq = nextRates[nextRateIdx--];
            wanted.channels = Uint8(wantedChannels);
            if (!wanted.freq) {
                av_log(nullptr, AV_LOG_ERROR, "No more combinations to try, audio open failed\n");
                av_channel_layout_uninit(&layout);
                return -1;
            }
        }
        defaultLayout(&layout, wanted.channels);
    }
    if (obtained.channels != wanted.channels) {
        defaultLayout(&layout, obtained.channels);
        if (layout.order != AV_CHANNEL_ORDER_NATIVE) {
            av_log(nullptr, AV_LOG_ERROR, "SDL advised channel count %d is not supported!\n",
                   obtained.channels);
            av_channel_layout_uninit(&layout);
            return -1;
        }
    }

    target->freq = obtained.freq;
    target->channels = obtained.channels;
    av_channel_layout_uninit(&target->chLayout);
    target->chLayout = layout; // takes over the layout (native order: nothing allocated)
    target->fmt = sampleFormatFor(obtained.format);
    target->frameSize = av_samples_get_buffer_size(nullptr, target->channels, 1, target->fmt, 1);
    return int(obtained.size);
}

int nextAudioBuffer(VideoState *is)
{
    // Never waits: a starved device plays silence rather than stalling SDL's audio thread.
    if (is->sampq.remaining() <= 0)
        return -1;
    QueuedFrame *af = is->sampq.peekReadable();
    is->sampq.next();
    AVFrame *frame = af->frame;
    if (frame->pts != AV_NOPTS_VALUE && frame->time_base.den > 0 && frame->sample_rate > 0)
        is->audioFrameEndMs = frame->pts * av_q2d(frame->time_base) * 1000.0 +
                              frame->nb_samples * 1000.0 / frame->sample_rate;
    else
        is->audioFrameEndMs = NAN;

    const int dataSize = av_samples_get_buffer_size(
        nullptr, frame->ch_layout.nb_channels, frame->nb_samples, AVSampleFormat(frame->format), 1);
    if (dataSize < 0)
        return dataSize;

    AVChannelLayout frameLayout{};
    if (frame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC &&
        av_channel_layout_check(&frame->ch_layout)) {
        av_channel_layout_copy(&frameLayout, &frame->ch_layout);
    } else {
        av_channel_layout_default(&frameLayout, frame->ch_layout.nb_channels);
    }

    if (frame->format != is->audioSrc.fmt ||
        av_channel_layout_compare(&frameLayout, &is->audioSrc.chLayout) ||
        frame->sample_rate != is->audioSrc.freq) {
        swr_free(&is->swr);
        const bool matchesDevice =
            frame->format == is->audioTgt.fmt &&
            !av_channel_layout_compare(&frameLayout, &is->audioTgt.chLayout) &&
            frame->sample_rate == is->audioTgt.freq;
        if (!matchesDevice) {
            swr_alloc_set_opts2(&is->swr, &is->audioTgt.chLayout, is->audioTgt.fmt,
                                is->audioTgt.freq, &frameLayout, AVSampleFormat(frame->format),
                                frame->sample_rate, 0, nullptr);
            if (!is->swr || swr_init(is->swr) < 0) {
                av_log(nullptr, AV_LOG_ERROR,
                       "Cannot create sample rate converter for conversion of %d Hz %s %d "
                       "channels to %d Hz %s %d channels!\n",
                       frame->sample_rate, av_get_sample_fmt_name(AVSampleFormat(frame->format)),
                       frame->ch_layout.nb_channels, is->audioTgt.freq,
                       av_get_sample_fmt_name(is->audioTgt.fmt), is->audioTgt.channels);
                swr_free(&is->swr);
                av_channel_layout_uninit(&frameLayout);
                // Forget the source so that the next frame tries again.
                is->audioSrc.freq = 0;
                return -1;
            }
        }
        av_channel_layout_uninit(&is->audioSrc.chLayout);
        is->audioSrc.chLayout = frameLayout;
        frameLayout = AVChannelLayout{};
        is->audioSrc.channels = frame->ch_layout.nb_channels;
        is->audioSrc.freq = frame->sample_rate;
        is->audioSrc.fmt = AVSampleFormat(frame->format);
    }
    av_channel_layout_uninit(&frameLayout);

    if (!is->swr) {
        is->audioBuf = frame->data[0];
        return dataSize;
    }

    const uint8_t **in = const_cast<const uint8_t **>(frame->extended_data);
    const int outCount =
        int(int64_t(frame->nb_samples) * is->audioTgt.freq / frame->sample_rate + 256);
    const int outSize =
        av_samples_get_buffer_size(nullptr, is->audioTgt.channels, outCount, is->audioTgt.fmt, 0);
    if (outSize < 0) {
        av_log(nullptr, AV_LOG_ERROR, "av_samples_get_buffer_size() failed\n");
        return -1;
    }
    av_fast_malloc(&is->audioBuf1, &is->audioBuf1Size, size_t(outSize));
    if (!is->audioBuf1)
        return AVERROR(ENOMEM);
    uint8_t **out = &is->audioBuf1;
    const int converted = swr_convert(is->swr, out, outCount, in, frame->nb_samples);
    if (converted < 0) {
        av_log(nullptr, AV_LOG_ERROR, "swr_convert() failed\n");
        return -1;
    }
    if (converted == outCount) {
        av_log(nullptr, AV_LOG_WARNING, "audio buffer is probably too small\n");
        if (swr_init(is->swr) < 0)
            swr_free(&is->swr);
    }
    is->audioBuf = is->audioBuf1;
    return converted * is->audioTgt.channels * av_get_bytes_per_sample(is->audioTgt.fmt);
}

void audioCallback(void *opaque, Uint8 *stream, int length)
{
    auto *is = static_cast<VideoState *>(opaque);
    if (!VideoCtl::isInitialised() || is->audioTgt.frameSize <= 0) {
        // SDL does not clear the buffer for us; leaving it would play garbage.
        std::memset(stream, 0, size_t(length));
        return;
    }
    while (length > 0) {
        if (unsigned(is->audioBufIndex) >= is->audioBufSize) {
            const int size = nextAudioBuffer(is);
            if (size < 0) {
                is->audioBuf = nullptr;
                is->audioBufSize =
                    unsigned(kAudioMinBufferSize / is->audioTgt.frameSize * is->audioTgt.frameSize);
            } else {
                is->audioBufSize = unsigned(size);
            }
            is->audioBufIndex = 0;
        }
        const int chunk = std::min(length, int(is->audioBufSize) - is->audioBufIndex);
        if (is->audioBuf && is->audioVolume == SDL_MIX_MAXVOLUME) {
            std::memcpy(stream, is->audioBuf + is->audioBufIndex, size_t(chunk));
        } else {
            std::memset(stream, 0, size_t(chunk));
            if (is->audioBuf)
                SDL_MixAudioFormat(stream, is->audioBuf + is->audioBufIndex, AUDIO_S16SYS,
                                   Uint32(chunk), is->audioVolume);
        }
        length -= chunk;
        stream += chunk;
        is->audioBufIndex += chunk;
    }
    is->audioWriteBufSize = int(is->audioBufSize) - is->audioBufIndex;
    // What is heard now lies behind the end of the current frame by the unread rest of it and
    // by the device's two buffers (the one just filled and the one playing).
    const int bytesPerSecond = is->audioTgt.freq * is->audioTgt.frameSize;
    if (is->audioBuf && bytesPerSecond > 0 && !std::isnan(is->audioFrameEndMs)) {
        const int pending = 2 * is->audioHwBufSize + is->audioWriteBufSize;
        is->audioClockMs = is->audioFrameEndMs - pending * 1000.0 / bytesPerSecond;
        is->audioClockAtUs = av_gettime_relative();
    }
}

} // namespace vmplayer
