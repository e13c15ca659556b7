// SPDX-License-Identifier: GPL-3.0-or-later
// Music shaping: the gain envelope applied sample by sample, and the music's decoded length.
#include "musicshape.h"

#include "avhandles.h"
#include "musicprobe.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

template <typename T> void scaleInteger(T *p, int n, double gain, T lo, T hi)
{
    for (int i = 0; i < n; ++i, ++p) {
        const double v = std::nearbyint(double(*p) * gain);
        *p = v <= double(lo) ? lo : v >= double(hi) ? hi : T(v);
    }
}

template <typename T> void scaleFloat(T *p, int n, double gain)
{
    for (int i = 0; i < n; ++i, ++p)
        *p = T(*p * gain);
}

// Scales `n` values in a row: one sample of every channel (packed), or of one (planar).
void scale(uint8_t *data, AVSampleFormat format, int n, double gain)
{
    switch (format) {
    case AV_SAMPLE_FMT_U8:
    case AV_SAMPLE_FMT_U8P:
        // Unsigned: silence is 128, so scale around it.
        for (int i = 0; i < n; ++i, ++data) {
            const double v = std::nearbyint((double(*data) - 128.0) * gain) + 128.0;
            *data = uint8_t(std::clamp(v, 0.0, 255.0));
        }
        break;
    case AV_SAMPLE_FMT_S16:
    case AV_SAMPLE_FMT_S16P:
        scaleInteger<int16_t>(reinterpret_cast<int16_t *>(data), n, gain, INT16_MIN, INT16_MAX);
        break;
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S32P:
        scaleInteger<int32_t>(reinterpret_cast<int32_t *>(data), n, gain, INT32_MIN, INT32_MAX);
        break;
    case AV_SAMPLE_FMT_S64:
    case AV_SAMPLE_FMT_S64P:
        // The double bounds of int64 round outwards; clamp a step inside them.
        scaleInteger<int64_t>(reinterpret_cast<int64_t *>(data), n, gain, INT64_MIN + 1024,
                              INT64_MAX - 1024);
        break;
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_FLTP:
        scaleFloat(reinterpret_cast<float *>(data), n, gain);
        break;
    case AV_SAMPLE_FMT_DBL:
    case AV_SAMPLE_FMT_DBLP:
        scaleFloat(reinterpret_cast<double *>(data), n, gain);
        break;
    default:
        break;
    }
}

} // namespace

MusicShape clampedMusicShape(const MusicShape &shape)
{
    MusicShape s;
    s.start = std::clamp<int64_t>(shape.start, 0, kMaxMusicStart);
    s.fadeIn = std::clamp<int64_t>(shape.fadeIn, 0, kMaxMusicFade);
    s.fadeOut = std::clamp<int64_t>(shape.fadeOut, 0, kMaxMusicFade);
    s.volume = std::isnan(shape.volume) ? 1.0 : std::clamp(shape.volume, 0.0, kMaxMusicVolume);
    return s;
}

MusicEnvelope::MusicEnvelope(const MusicShape &shape, int64_t albumLength, int sampleRate)
    : m_volume(shape.volume)
{
    if (sampleRate <= 0)
        return;
    m_fadeInSamples = av_rescale(shape.fadeIn, sampleRate, 1000000);
    m_fadeOutSamples = av_rescale(shape.fadeOut, sampleRate, 1000000);
    if (albumLength > 0) {
        m_endSample = av_rescale(albumLength, sampleRate, 1000000);
        // A fade-out longer than the album starts with the album, at full level.
        m_fadeOutSamples = std::min(m_fadeOutSamples, m_endSample);
    }
}

double MusicEnvelope::gainAt(int64_t sample) const
{
    double gain = m_volume;
    if (sample < m_fadeInSamples)
        gain *= double(std::max<int64_t>(sample, 0)) / double(m_fadeInSamples);
    if (m_endSample >= 0 && m_fadeOutSamples > 0) {
        const int64_t left = m_endSample - sample;
        if (left <= 0)
            return 0.0;
        if (left < m_fadeOutSamples)
            gain *= double(left) / double(m_fadeOutSamples);
    }
    return gain;
}

int MusicEnvelope::apply(AVFrame *frame, int64_t first) const
{
    const int ret = av_frame_make_writable(frame);
    if (ret < 0)
        return ret;
    const AVSampleFormat format = AVSampleFormat(frame->format);
    const int channels = frame->ch_layout.nb_channels;
    const int bytes = av_get_bytes_per_sample(format);
    if (channels <= 0 || bytes <= 0)
        return AVERROR(EINVAL);
    const bool planar = av_sample_fmt_is_planar(format);
    for (int i = 0; i < frame->nb_samples; ++i) {
        const double gain = gainAt(first + i);
        if (gain == 1.0)
            continue;
        if (planar) {
            for (int c = 0; c < channels; ++c)
                scale(frame->extended_data[c] + int64_t(i) * bytes, format, 1, gain);
        } else {
            scale(frame->extended_data[0] + int64_t(i) * channels * bytes, format, channels, gain);
        }
    }
    return 0;
}

int dropLeadingSamples(AVFrame *frame, int count)
{
    if (count <= 0)
        return 0;
    if (count >= frame->nb_samples)
        return AVERROR(EINVAL);
    av::FramePtr rest = av::makeFrame();
    if (!rest)
        return AVERROR(ENOMEM);
    rest->format = frame->format;
    rest->sample_rate = frame->sample_rate;
    rest->nb_samples = frame->nb_samples - count;
    int ret = av_channel_layout_copy(&rest->ch_layout, &frame->ch_layout);
    if (ret >= 0)
        ret = av_frame_get_buffer(rest.get(), 0);
    if (ret < 0)
        return ret;
    av_samples_copy(rest->extended_data, frame->extended_data, 0, count, rest->nb_samples,
                    frame->ch_layout.nb_channels, AVSampleFormat(frame->format));
    rest->pts = frame->pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : frame->pts + count;
    av_frame_unref(frame);
    av_frame_move_ref(frame, rest.get());
    return 0;
}

int64_t decodedMusicLength(const QString &szFile)
{
    av::InputContextPtr input;
    AVStream *stream = nullptr;
    int ret = openMusicInput(szFile, input, stream);
    if (ret < 0)
        return ret;
    av::CodecContextPtr decoder;
    if ((ret = openMusicDecoder(stream, decoder)) < 0)
        return ret;
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    if (!packet || !frame)
        return AVERROR(ENOMEM);

    const int64_t end = musicEndPts(input.get(), stream);
    // Samples are summed per rate, so a rate change mid-file (joined files) still counts exactly.
    int64_t lengthUs = 0;
    int64_t samples = 0;
    int rate = 0;
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
                frame->pts = frame->best_effort_timestamp;
            // Counted as the export plays it: without the padding past a stated end.
            if (cutAtMusicEnd(frame.get(), end, stream->time_base) && frame->sample_rate > 0 &&
                frame->nb_samples > 0) {
                if (frame->sample_rate != rate) {
                    if (rate > 0)
                        lengthUs += av_rescale(samples, 1000000, rate);
                    rate = frame->sample_rate;
                    samples = 0;
                }
                samples += frame->nb_samples;
            }
            av_frame_unref(frame.get());
        }
    };
    for (;;) {
        ret = av_read_frame(input.get(), packet.get());
        if (ret < 0)
            break;
        if (packet->stream_index == stream->index) {
            // Junk between MPEG frames is skipped, as the export and the preview skip it.
            avcodec_send_packet(decoder.get(), packet.get());
            drain();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    if (rate > 0)
        lengthUs += av_rescale(samples, 1000000, rate);
    return lengthUs > 0 ? lengthUs : AVERROR_INVALIDDATA;
}
