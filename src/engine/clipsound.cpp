// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipsound.h"

#include "album.h"
#include "framegraph.h"
#include "musicshape.h"
#include "soundreader.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>

namespace {
// A clip joined by a cut starts and stops its sound over this long, so that it does not click.
constexpr int64_t kDeclickUs = 5000;
constexpr int kTempoChunk = 1024;

int64_t toSamples(int64_t us, int rate)
{
    return av_rescale(us, rate, 1000000);
}

// atempo takes 0.5 to 100 a step: slower than half speed is two steps.
QString tempoChain(double tempo)
{
    if (tempo < 0.5)
        return QStringLiteral("atempo=0.5,atempo=%1").arg(tempo / 0.5, 0, 'f', 6);
    return QStringLiteral("atempo=%1").arg(tempo, 0, 'f', 6);
}
} // namespace

struct ClipSound::Voice
{
    SoundReader reader;
    av::FilterGraphPtr tempo; // null at real speed
    av::AudioFifoPtr out;     // what the tempo graph gave
    av::FramePtr frame = av::makeFrame();
    int64_t next = 0;     // album sample of the next sample handed out
    int64_t tempoPts = 0; // samples sent into the tempo graph
    bool flushed = false; // the tempo graph has had its end of stream
    std::vector<std::vector<float>> scratch;

    AVAudioFifo *fifo() const { return tempo ? out.get() : reader.fifo.get(); }
    bool finished() const { return tempo ? flushed : reader.eof; }

    // Decodes, and with a tempo stretches, until `count` samples wait or the sound has ended.
    int fill(int count)
    {
        while (av_audio_fifo_size(fifo()) < count && !finished()) {
            if (!tempo) {
                const int ret = reader.pull();
                if (ret < 0)
                    return ret;
                continue;
            }
            int ret = 0;
            const int held = av_audio_fifo_size(reader.fifo.get());
            if (held == 0 && !reader.eof) {
                if ((ret = reader.pull()) < 0)
                    return ret;
                continue;
            }
            if (held == 0) {
                ret = sendFrameToGraph(tempo.get(), QStringLiteral("in"), nullptr);
                flushed = true;
            } else {
                ret = sendChunk(std::min(held, kTempoChunk));
            }
            if (ret >= 0)
                ret = drainTempo();
            if (ret < 0)
                return ret;
        }
        return 0;
    }

    int sendChunk(int count)
    {
        av_frame_unref(frame.get());
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = reader.rate;
        frame->nb_samples = count;
        av_channel_layout_default(&frame->ch_layout, reader.channels);
        int ret = av_frame_get_buffer(frame.get(), 0);
        if (ret < 0)
            return ret;
        if (av_audio_fifo_read(reader.fifo.get(), reinterpret_cast<void **>(frame->data), count) <
            count)
            return AVERROR_BUG;
        frame->pts = tempoPts;
        tempoPts += count;
        ret = sendFrameToGraph(tempo.get(), QStringLiteral("in"), frame.get());
        av_frame_unref(frame.get());
        return ret;
    }

    int drainTempo()
    {
        for (;;) {
            bool got = false;
            int ret = receiveFrameFromGraph(tempo.get(), QStringLiteral("out"), frame.get(), &got);
            if (ret == AVERROR_EOF)
                return 0;
            if (ret < 0)
                return ret;
            if (!got)
                return 0;
            ret = av_audio_fifo_write(out.get(), reinterpret_cast<void **>(frame->data),
                                      frame->nb_samples);
            const int n = frame->nb_samples;
            av_frame_unref(frame.get());
            if (ret < n)
                return AVERROR(ENOMEM);
        }
    }
};

ClipSound::ClipSound() = default;
ClipSound::~ClipSound() = default;

void ClipSound::setUp(const Album &album, int sampleRate, int channels)
{
    m_spans.clear();
    m_voices.clear();
    m_pauses.clear();
    m_rate = sampleRate;
    m_channels = channels;
    if (sampleRate <= 0 || channels <= 0)
        return;
    const int duckDb = std::clamp(album.duckDb, 0, kMaxDuckDb);
    m_duckFloor = album.pauseMusicForClips ? 0.0 : std::pow(10.0, -duckDb / 20.0);
    const int rows = album.materialOrder.size();
    for (int i = 0; i < rows; ++i) {
        if (!album.clipHasSound(i))
            continue;
        const PictureOptions &options = album.optionsAt(i);
        Span span;
        span.path = album.materials.value(album.materialOrder.at(i)).path;
        span.begin = toSamples(album.itemStart(i), sampleRate);
        span.end = span.begin + std::max<int64_t>(1, toSamples(album.clipLength(i), sampleRate));
        span.inSamples = toSamples(album.clipIn(i), sampleRate);
        span.gain = std::clamp(options.clip.volume, 0, kMaxClipVolume) / 100.0;
        span.tempo = std::clamp(options.clip.speed, kMinClipSpeed, kMaxClipSpeed) / 100.0;
        const int64_t length = span.end - span.begin;
        auto fadeOver = [&](int64_t slotUs) {
            const int64_t us = slotUs > 0 ? std::min(slotUs, kDuckRamp) : kDeclickUs;
            return std::clamp<int64_t>(toSamples(us, sampleRate), 1,
                                       std::max<int64_t>(1, length / 2));
        };
        span.fadeIn = fadeOver(i > 0 ? album.slotDuration(i - 1) : 0);
        span.fadeOut = fadeOver(album.slotDuration(i));
        span.ramp = std::clamp<int64_t>(toSamples(kDuckRamp, sampleRate), 1,
                                        std::max<int64_t>(1, length / 2));
        m_spans.push_back(span);
        if (album.pauseMusicForClips && span.end - span.ramp > span.begin + span.ramp) {
            const std::pair<int64_t, int64_t> pause{span.begin + span.ramp, span.end - span.ramp};
            if (!m_pauses.empty() && pause.first <= m_pauses.back().second)
                m_pauses.back().second = std::max(m_pauses.back().second, pause.second);
            else
                m_pauses.push_back(pause);
        }
    }
    m_voices.resize(m_spans.size());
}

double ClipSound::clipEnvelope(const Span &span, int64_t at) const
{
    double g = span.gain;
    const int64_t fromStart = at - span.begin;
    const int64_t toEnd = span.end - 1 - at;
    if (fromStart < span.fadeIn)
        g *= (double(fromStart) + 0.5) / double(span.fadeIn);
    if (toEnd < span.fadeOut)
        g *= (double(toEnd) + 0.5) / double(span.fadeOut);
    return g;
}

int ClipSound::pullVoice(Voice &voice, const Span &span, float *const *planes, int64_t first,
                         int count)
{
    int ret = voice.fill(count);
    if (ret < 0)
        return ret;
    const int got = std::min(count, av_audio_fifo_size(voice.fifo()));
    if (got <= 0)
        return 0; // the file's sound ended before the clip: silence for the rest
    voice.scratch.resize(size_t(m_channels));
    std::vector<void *> into(static_cast<size_t>(m_channels));
    for (int c = 0; c < m_channels; ++c) {
        voice.scratch[size_t(c)].resize(size_t(got));
        into[size_t(c)] = voice.scratch[size_t(c)].data();
    }
    if (av_audio_fifo_read(voice.fifo(), into.data(), got) < got)
        return AVERROR_BUG;
    for (int k = 0; k < got; ++k) {
        const float g = float(clipEnvelope(span, first + k));
        for (int c = 0; c < m_channels; ++c)
            planes[c][k] += voice.scratch[size_t(c)][size_t(k)] * g;
    }
    return 0;
}

int ClipSound::mixInto(float *const *planes, int64_t first, int count)
{
    const int64_t last = first + count;
    std::vector<float *> at(static_cast<size_t>(m_channels));
    for (size_t i = 0; i < m_spans.size(); ++i) {
        const Span &span = m_spans[i];
        std::unique_ptr<Voice> &voice = m_voices[i];
        if (span.end <= first || span.begin >= last) {
            // Not heard here: its decoder is let go, and opened again where it is next heard.
            voice.reset();
            continue;
        }
        const int64_t lo = std::max(first, span.begin);
        const int64_t hi = std::min(last, span.end);
        if (!voice || voice->next != lo) {
            voice = std::make_unique<Voice>();
            const int64_t offset =
                span.inSamples + std::llround(double(lo - span.begin) * span.tempo);
            int ret = voice->reader.open(span.path, m_rate, m_channels, offset, true);
            if (ret >= 0 && span.tempo != 1.0) {
                SourcePadSpec in;
                in.mediaType = 1;
                in.format = AV_SAMPLE_FMT_FLTP;
                in.sampleRate = m_rate;
                in.timeBase = {1, m_rate};
                in.channelLayout = defaultLayoutMask(m_channels);
                in.channels = m_channels;
                in.label = QStringLiteral("in");
                voice->tempo =
                    createFilterGraph(tempoChain(span.tempo), {in},
                                      {SinkPadSpec{AV_SAMPLE_FMT_FLTP, QStringLiteral("out"), 1}});
                voice->out.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, m_channels, 4096));
                if (!voice->tempo || !voice->out)
                    ret = AVERROR(ENOMEM);
            }
            if (ret < 0) {
                voice.reset();
                return ret;
            }
        }
        for (int c = 0; c < m_channels; ++c)
            at[size_t(c)] = planes[c] + (lo - first);
        const int ret = pullVoice(*voice, span, at.data(), lo, int(hi - lo));
        if (ret < 0)
            return ret;
        voice->next = hi;
        if (hi == span.end)
            voice.reset();
    }
    return 0;
}

double ClipSound::musicGain(int64_t at) const
{
    double g = 1.0;
    // Spans are in album order and end in order too (each clip holds the transition it shares).
    auto it = std::partition_point(m_spans.begin(), m_spans.end(),
                                   [at](const Span &s) { return s.end <= at; });
    for (; it != m_spans.end() && it->begin <= at; ++it) {
        const int64_t edge = std::min(at - it->begin, it->end - 1 - at);
        const double r = std::min(1.0, (double(edge) + 0.5) / double(it->ramp));
        g = std::min(g, 1.0 - r * (1.0 - m_duckFloor));
    }
    return g;
}

bool ClipSound::musicPaused(int64_t at) const
{
    for (const auto &pause : m_pauses) {
        if (at < pause.first)
            return false;
        if (at < pause.second)
            return true;
    }
    return false;
}

int64_t ClipSound::pausedBefore(int64_t at) const
{
    int64_t total = 0;
    for (const auto &pause : m_pauses) {
        if (at <= pause.first)
            break;
        total += std::min(at, pause.second) - pause.first;
    }
    return total;
}

int ClipSound::musicWanted(int64_t first, int count) const
{
    return int(count - (pausedBefore(first + count) - pausedBefore(first)));
}

int ClipSound::mix(AVFrame *frame, int64_t first, int count, AVAudioFifo *music,
                   const MusicEnvelope &envelope)
{
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->nb_samples = count;
    frame->sample_rate = m_rate;
    av_channel_layout_default(&frame->ch_layout, m_channels);
    int ret = av_frame_get_buffer(frame, 0);
    if (ret < 0)
        return ret;
    av_samples_set_silence(frame->extended_data, 0, count, m_channels, AV_SAMPLE_FMT_FLTP);
    const auto planes = reinterpret_cast<float *const *>(frame->extended_data);
    const int wanted = music ? musicWanted(first, count) : 0;
    if (wanted == count) {
        if (av_audio_fifo_read(music, reinterpret_cast<void **>(frame->extended_data), count) <
            count)
            return AVERROR_BUG;
    } else if (wanted > 0) {
        // At a pause's edge: the music's samples go where it plays.
        const auto channels = static_cast<size_t>(m_channels);
        std::vector<std::vector<float>> held(channels, std::vector<float>(size_t(wanted)));
        std::vector<void *> into(channels);
        for (size_t c = 0; c < channels; ++c)
            into[c] = held[c].data();
        if (av_audio_fifo_read(music, into.data(), wanted) < wanted)
            return AVERROR_BUG;
        for (int k = 0, taken = 0; k < count; ++k) {
            if (musicPaused(first + k))
                continue;
            for (size_t c = 0; c < channels; ++c)
                planes[c][k] = held[c][size_t(taken)];
            ++taken;
        }
    }
    if (wanted > 0) {
        if ((ret = envelope.apply(frame, first)) < 0)
            return ret;
        for (int k = 0; k < count; ++k) {
            const auto g = float(musicGain(first + k));
            if (g != 1.0f)
                for (int c = 0; c < m_channels; ++c)
                    planes[c][k] *= g;
        }
    }
    return mixInto(planes, first, count);
}

int ClipSound::openVoices() const
{
    return int(std::count_if(m_voices.begin(), m_voices.end(),
                             [](const std::unique_ptr<Voice> &v) { return v != nullptr; }));
}
