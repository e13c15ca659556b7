// SPDX-License-Identifier: GPL-3.0-or-later
// MusicList: the tracks decoded, resampled to one format, joined by crossfades and looped.
#include "musiclist.h"

#include "musicprobe.h"
#include "musicshape.h"
#include "soundreader.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <vector>

namespace {
constexpr AVRational kMicroseconds{1, 1000000};
} // namespace

struct MusicList::Track : SoundReader
{
};

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
