// SPDX-License-Identifier: GPL-3.0-or-later
// MusicList: the tracks decoded, resampled to one format, joined by crossfades and looped.
#include "musiclist.h"

#include "musicprobe.h"
#include "musicshape.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <vector>

namespace {
constexpr AVRational kMicroseconds{1, 1000000};
// How far before an offset a track begins decoding, so that the frame there has what it builds
// on (microseconds); the sound before the offset is cut off by timestamps.
constexpr int64_t kPreRollUs = 100000;
} // namespace

int64_t effectiveCrossfade(const QList<int64_t> &lengthsUs, int64_t crossfadeUs)
{
    if (lengthsUs.size() < 2)
        return 0;
    int64_t fade = std::clamp<int64_t>(crossfadeUs, 0, kMaxMusicCrossfade);
    for (const int64_t length : lengthsUs)
        fade = std::min(fade, std::max<int64_t>(0, length / 2));
    return fade;
}

int64_t decodedMusicListLength(const QStringList &tracks, int64_t crossfadeUs, QString *failedTrack)
{
    if (tracks.isEmpty())
        return AVERROR(EINVAL);
    QList<int64_t> lengths;
    int64_t total = 0;
    for (const QString &track : tracks) {
        const int64_t length = decodedMusicLength(track);
        if (length < 0) {
            if (failedTrack)
                *failedTrack = track;
            return length;
        }
        lengths.append(length);
        total += length;
    }
    return total - (tracks.size() - 1) * effectiveCrossfade(lengths, crossfadeUs);
}

// One track, decoded and resampled into a FIFO of planar float.
struct MusicList::Track
{
    av::InputContextPtr input;
    AVStream *stream = nullptr;
    av::CodecContextPtr decoder;
    av::SwrPtr resampler;
    av::AudioFifoPtr fifo;
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    int64_t musicEnd = AV_NOPTS_VALUE;
    int64_t trimTo = AV_NOPTS_VALUE; // stream time; decoded sound before it is cut off
    bool eof = false;
    int rate = 0;
    int channels = 0;

    int open(const QString &path, int outRate, int outChannels, int64_t offsetSamples)
    {
        rate = outRate;
        channels = outChannels;
        int ret = openMusicInput(path, input, stream);
        if (ret < 0)
            return ret;
        if ((ret = openMusicDecoder(stream, decoder)) < 0)
            return ret;
        fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, 4096));
        if (!fifo || !packet || !frame)
            return AVERROR(ENOMEM);
        musicEnd = musicEndPts(input.get(), stream);
        if (offsetSamples <= 0)
            return 0;
        const int64_t begin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        trimTo = av_rescale_q(offsetSamples, {1, rate}, stream->time_base) + begin;
        const int64_t preRoll = av_rescale_q(kPreRollUs, kMicroseconds, stream->time_base);
        if (avformat_seek_file(input.get(), stream->index, INT64_MIN, trimTo - preRoll, INT64_MAX,
                               AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
            // Where the file cannot seek, it is read from its beginning and cut.
            avformat_seek_file(input.get(), stream->index, INT64_MIN, 0, INT64_MAX,
                               AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
        return 0;
    }

    // Resamples `in` (null: the resampler's remainder) into the FIFO.
    int convert(const AVFrame *in)
    {
        if (!resampler) {
            if (!in)
                return 0;
            AVChannelLayout inLayout{};
            if (in->ch_layout.order == AV_CHANNEL_ORDER_NATIVE)
                av_channel_layout_copy(&inLayout, &in->ch_layout);
            else
                av_channel_layout_default(&inLayout, std::max(1, in->ch_layout.nb_channels));
            AVChannelLayout outLayout{};
            av_channel_layout_default(&outLayout, channels);
            SwrContext *raw = nullptr;
            int ret = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLTP, rate, &inLayout,
                                          AVSampleFormat(in->format), in->sample_rate, 0, nullptr);
            av_channel_layout_uninit(&inLayout);
            av_channel_layout_uninit(&outLayout);
            resampler.reset(raw);
            if (ret < 0 || (ret = swr_init(resampler.get())) < 0)
                return ret;
        }
        const int room = swr_get_out_samples(resampler.get(), in ? in->nb_samples : 0);
        if (room <= 0)
            return 0;
        std::vector<std::vector<float>> planes(static_cast<size_t>(channels),
                                               std::vector<float>(static_cast<size_t>(room)));
        std::vector<uint8_t *> out(static_cast<size_t>(channels));
        for (int c = 0; c < channels; ++c)
            out[size_t(c)] = reinterpret_cast<uint8_t *>(planes[size_t(c)].data());
        const int got = swr_convert(resampler.get(), out.data(), room,
                                    in ? const_cast<const uint8_t **>(in->extended_data) : nullptr,
                                    in ? in->nb_samples : 0);
        if (got < 0)
            return got;
        if (got > 0 &&
            av_audio_fifo_write(fifo.get(), reinterpret_cast<void **>(out.data()), got) < got)
            return AVERROR(ENOMEM);
        return 0;
    }

    int takeFrames()
    {
        for (;;) {
            int ret = avcodec_receive_frame(decoder.get(), frame.get());
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF || ret == AVERROR_INVALIDDATA)
                return 0;
            if (ret < 0)
                return ret;
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
                frame->pts = frame->best_effort_timestamp;
            bool keep = frame->nb_samples > 0 && frame->sample_rate > 0 &&
                        cutAtMusicEnd(frame.get(), musicEnd, stream->time_base);
            if (keep && trimTo != AV_NOPTS_VALUE) {
                if (frame->pts == AV_NOPTS_VALUE) {
                    trimTo = AV_NOPTS_VALUE;
                } else {
                    const int64_t skip = av_rescale_q(trimTo - frame->pts, stream->time_base,
                                                      {1, frame->sample_rate});
                    if (skip >= frame->nb_samples) {
                        keep = false;
                    } else {
                        trimTo = AV_NOPTS_VALUE;
                        ret = dropLeadingSamples(frame.get(), int(std::max<int64_t>(0, skip)));
                    }
                }
            }
            if (keep && ret >= 0)
                ret = convert(frame.get());
            av_frame_unref(frame.get());
            if (ret < 0)
                return ret;
        }
    }

    // Decodes until the FIFO grows or the track ends.
    int pull()
    {
        const int before = av_audio_fifo_size(fifo.get());
        while (!eof && av_audio_fifo_size(fifo.get()) == before) {
            int ret = av_read_frame(input.get(), packet.get());
            if (ret == AVERROR_EOF || (ret < 0 && input->pb && avio_feof(input->pb))) {
                avcodec_send_packet(decoder.get(), nullptr);
                ret = takeFrames();
                if (ret >= 0)
                    ret = convert(nullptr);
                eof = true;
                return ret;
            }
            if (ret < 0)
                return ret;
            if (packet->stream_index == stream->index) {
                ret = avcodec_send_packet(decoder.get(), packet.get());
                av_packet_unref(packet.get());
                // Junk between MPEG frames is skipped, as everywhere else.
                if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_INVALIDDATA)
                    return ret;
                if ((ret = takeFrames()) < 0)
                    return ret;
            } else {
                av_packet_unref(packet.get());
            }
        }
        return 0;
    }
};

MusicList::MusicList() = default;
MusicList::~MusicList() = default;

int MusicList::open(const QStringList &tracks, int64_t crossfadeUs, int64_t startUs, int sampleRate,
                    int channels)
{
    m_paths = tracks;
    m_rate = sampleRate;
    m_channels = channels;
    m_failedTrack.clear();
    if (tracks.isEmpty() || sampleRate <= 0 || channels <= 0)
        return AVERROR(EINVAL);
    QList<int64_t> lengthsUs;
    for (const QString &track : tracks) {
        const int64_t length = decodedMusicLength(track);
        if (length < 0) {
            m_failedTrack = track;
            return int(length);
        }
        lengthsUs.append(length);
    }
    m_crossfade =
        av_rescale(effectiveCrossfade(lengthsUs, crossfadeUs), sampleRate, kMicroseconds.den);
    m_lengths.clear();
    m_total = 0;
    for (const int64_t length : std::as_const(lengthsUs)) {
        m_lengths.append(av_rescale(length, sampleRate, kMicroseconds.den));
        m_total += m_lengths.last();
    }
    m_total -= (tracks.size() - 1) * m_crossfade;
    m_start = av_rescale(std::max<int64_t>(0, startUs), sampleRate, kMicroseconds.den);
    m_passes = 0;
    if (m_start >= m_total)
        return AVERROR(ERANGE);
    return seek(0);
}

int MusicList::seek(int64_t offsetUs)
{
    if (m_lengths.isEmpty())
        return AVERROR(EINVAL);
    const int64_t offset = av_rescale(std::max<int64_t>(0, offsetUs), m_rate, kMicroseconds.den);
    const int64_t at = m_start + offset % passSamples();
    // The last track that has begun by then; in the crossfade into it, the track before it
    // plays on from there, and the mix follows from its tail.
    int index = 0;
    int64_t begin = 0;
    while (index + 1 < m_lengths.size() && begin + m_lengths[index] - m_crossfade <= at) {
        begin += m_lengths[index] - m_crossfade;
        ++index;
    }
    if (index > 0 && at < begin + m_crossfade) {
        --index;
        begin -= m_lengths[index] - m_crossfade;
    }
    m_tail.reset();
    m_mixAt = 0;
    return openTrack(index, at - begin);
}

int MusicList::openTrack(int index, int64_t offsetSamples)
{
    m_current = index;
    m_track = std::make_unique<Track>();
    const int ret = m_track->open(m_paths[index], m_rate, m_channels, offsetSamples);
    if (ret < 0)
        m_failedTrack = m_paths[index];
    return ret;
}

int MusicList::fill(int64_t wanted)
{
    while (!m_track->eof && av_audio_fifo_size(m_track->fifo.get()) < wanted) {
        const int ret = m_track->pull();
        if (ret < 0) {
            m_failedTrack = m_paths[m_current];
            return ret;
        }
    }
    return 0;
}

int MusicList::nextTrack()
{
    if (m_current + 1 >= m_paths.size()) {
        // The list starts again from its start offset, as one track always has.
        ++m_passes;
        return seek(0);
    }
    // What the track still holds is its tail: it fades out under the next one's beginning.
    const int held = av_audio_fifo_size(m_track->fifo.get());
    if (held > 0)
        m_tail = std::move(m_track->fifo);
    m_mixAt = m_crossfade - held;
    return openTrack(m_current + 1, m_mixAt);
}

int MusicList::hand(AVFrame *frame, int count, bool bMix)
{
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = m_rate;
    frame->nb_samples = count;
    av_channel_layout_default(&frame->ch_layout, m_channels);
    int ret = av_frame_get_buffer(frame, 0);
    if (ret < 0)
        return ret;
    if (!bMix) {
        return av_audio_fifo_read(m_track->fifo.get(), reinterpret_cast<void **>(frame->data),
                                  count) < count
                   ? AVERROR_BUG
                   : 0;
    }
    if (av_audio_fifo_read(m_tail.get(), reinterpret_cast<void **>(frame->data), count) < count)
        return AVERROR_BUG;
    // A track that ends within the crossfade (rounding) gives silence for the rest.
    std::vector<std::vector<float>> next(static_cast<size_t>(m_channels),
                                         std::vector<float>(static_cast<size_t>(count)));
    std::vector<void *> nextPlanes(static_cast<size_t>(m_channels));
    for (int c = 0; c < m_channels; ++c)
        nextPlanes[size_t(c)] = next[size_t(c)].data();
    const int got = std::min(count, av_audio_fifo_size(m_track->fifo.get()));
    if (got > 0 && av_audio_fifo_read(m_track->fifo.get(), nextPlanes.data(), got) < got)
        return AVERROR_BUG;
    for (int c = 0; c < m_channels; ++c) {
        float *out = reinterpret_cast<float *>(frame->data[c]);
        const float *in = next[size_t(c)].data();
        for (int k = 0; k < count; ++k) {
            const double t = double(m_mixAt + k) / double(m_crossfade);
            out[k] = float(out[k] * (1.0 - t) + in[k] * t);
        }
    }
    m_mixAt += count;
    if (av_audio_fifo_size(m_tail.get()) == 0)
        m_tail.reset();
    return 0;
}

int MusicList::read(AVFrame *frame, int maxSamples)
{
    if (!m_track)
        return AVERROR(EINVAL);
    maxSamples = std::max(1, maxSamples);
    const int passesAtStart = m_passes;
    for (;;) {
        int ret = 0;
        if (m_tail) {
            const int count = std::min(maxSamples, av_audio_fifo_size(m_tail.get()));
            if ((ret = fill(count)) < 0)
                return ret;
            return hand(frame, count, true);
        }
        // A track with one after it keeps its last crossfade's worth back for the mix.
        const int64_t hold = m_current + 1 < m_paths.size() ? m_crossfade : 0;
        if ((ret = fill(hold + maxSamples)) < 0)
            return ret;
        const int64_t have = av_audio_fifo_size(m_track->fifo.get());
        if (have > hold)
            return hand(frame, int(std::min<int64_t>(maxSamples, have - hold)), false);
        // Two passes without a sample: the list has nothing to play.
        if (m_passes > passesAtStart + 1)
            return AVERROR_INVALIDDATA;
        if ((ret = nextTrack()) < 0)
            return ret;
    }
}
