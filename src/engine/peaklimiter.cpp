// SPDX-License-Identifier: GPL-3.0-or-later
// The look-ahead limiter and the sample-format conversion it needs around it.
#include "peaklimiter.h"

#include "avhandles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Look-ahead (and attack) and the time the gain takes to recover, in seconds.
constexpr double kLookAhead = 0.005;
constexpr double kRelease = 0.1;
// The level between two samples, from six samples on either side (a windowed sinc), at a
// quarter, a half and three quarters of the way.
constexpr int kTapsBefore = 5;
constexpr int kTapsAfter = 6;
constexpr int kTaps = kTapsBefore + kTapsAfter + 1;
constexpr int kPhases = 3;

using PhaseTaps = std::array<std::array<float, kTaps>, kPhases>;

const PhaseTaps &interpolationTaps()
{
    static const PhaseTaps taps = [] {
        PhaseTaps t{};
        for (int phase = 0; phase < kPhases; ++phase) {
            const double f = (phase + 1) / 4.0;
            double sum = 0;
            for (int k = -kTapsBefore; k <= kTapsAfter; ++k) {
                const double x = f - k; // distance from sample p + k to the point p + f
                const double sinc = std::sin(M_PI * x) / (M_PI * x);
                const double hann = 0.5 * (1 + std::cos(M_PI * x / (kTapsAfter + 0.5)));
                t[phase][k + kTapsBefore] = float(sinc * hann);
                sum += sinc * hann;
            }
            for (float &v : t[phase]) // unity gain for a steady level
                v = float(v / sum);
        }
        return t;
    }();
    return taps;
}

} // namespace

PeakLimiter::PeakLimiter(int sampleRate, int channels, double ceiling)
    : m_rate(sampleRate), m_channels(channels > 0 && sampleRate > 0 ? channels : 0),
      m_ceiling(float(ceiling))
{
    if (!m_channels)
        return;
    m_window = std::max(1, int(std::lround(sampleRate * kLookAhead)));
    m_latency = m_window - 1 + kTapsAfter;
    m_release = 1.0 - std::exp(-1.0 / (kRelease * sampleRate));
    m_ringSize = std::max(m_latency, kTaps) + 1;
    m_history.assign(size_t(m_channels), std::vector<float>(size_t(m_ringSize), 0.0f));
    m_averaged.assign(size_t(m_window), 1.0f);
    reset();
}

void PeakLimiter::reset()
{
    for (auto &h : m_history)
        std::fill(h.begin(), h.end(), 0.0f);
    m_count = 0;
    m_minAt.clear();
    m_minGain.clear();
    m_minHead = 0;
    m_released = 1.0f;
    std::fill(m_averaged.begin(), m_averaged.end(), 1.0f);
    m_sum = m_window;
}

float PeakLimiter::sampleAt(int channel, int64_t index) const
{
    if (index < 0 || index < m_count - m_ringSize)
        return 0.0f;
    return m_history[size_t(channel)][size_t(index % m_ringSize)];
}

float PeakLimiter::peakAround(int64_t at) const
{
    const PhaseTaps &taps = interpolationTaps();
    float peak = 0;
    for (int c = 0; c < m_channels; ++c) {
        std::array<float, kTaps> x;
        for (int k = 0; k < kTaps; ++k)
            x[size_t(k)] = sampleAt(c, at - kTapsBefore + k);
        peak = std::max(peak, std::fabs(x[kTapsBefore]));
        for (const auto &phase : taps) {
            float v = 0;
            for (int k = 0; k < kTaps; ++k)
                v += phase[size_t(k)] * x[size_t(k)];
            peak = std::max(peak, std::fabs(v));
        }
    }
    return peak;
}

void PeakLimiter::process(float *const *planes, int count)
{
    if (!m_channels)
        return;
    for (int i = 0; i < count; ++i) {
        const int64_t t = m_count++;
        for (int c = 0; c < m_channels; ++c)
            m_history[size_t(c)][size_t(t % m_ringSize)] = planes[c][i];

        // The gain sample p = t - kTapsAfter needs, now that the samples after it are known.
        const int64_t p = t - kTapsAfter;
        const float peak = p >= 0 ? peakAround(p) : 0.0f;
        const float need = peak > m_ceiling ? m_ceiling / peak : 1.0f;
        // Its minimum over the window that ends at p (a queue of rising values).
        while (m_minGain.size() > m_minHead && m_minGain.back() >= need) {
            m_minGain.pop_back();
            m_minAt.pop_back();
        }
        m_minGain.push_back(need);
        m_minAt.push_back(p);
        while (m_minAt[m_minHead] <= p - m_window)
            ++m_minHead;
        if (m_minHead > 4096) { // drop what the queue has passed
            m_minGain.erase(m_minGain.begin(), m_minGain.begin() + long(m_minHead));
            m_minAt.erase(m_minAt.begin(), m_minAt.begin() + long(m_minHead));
            m_minHead = 0;
        }
        const float held = m_minGain[m_minHead];
        // Down at once, back up slowly; then averaged over the window, so the gain falls in a
        // ramp that reaches each peak's need by the time the peak comes out.
        m_released = std::min(held, float(m_released + (1.0 - m_released) * m_release));
        float &oldest = m_averaged[size_t(p >= 0 ? p % m_window : 0)];
        m_sum += double(m_released) - double(oldest);
        oldest = m_released;
        const float gain = std::min(1.0f, float(m_sum / m_window));

        const int64_t q = t - m_latency;
        for (int c = 0; c < m_channels; ++c)
            planes[c][i] = q >= 0 ? sampleAt(c, q) * gain : 0.0f;
    }
}

int convertSampleFormat(AVFrame *frame, AVSampleFormat format)
{
    if (frame->format == format)
        return 0;
    AVChannelLayout layout;
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
    else if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0)
        return AVERROR(ENOMEM);
    SwrContext *raw = nullptr;
    int ret = swr_alloc_set_opts2(&raw, &layout, format, frame->sample_rate, &layout,
                                  AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    av::SwrPtr swr(raw);
    av::FramePtr out = av::makeFrame();
    if (ret >= 0 && !out)
        ret = AVERROR(ENOMEM);
    if (ret >= 0)
        ret = swr_init(swr.get());
    if (ret >= 0) {
        out->format = format;
        out->sample_rate = frame->sample_rate;
        out->nb_samples = frame->nb_samples;
        ret = av_channel_layout_copy(&out->ch_layout, &layout);
    }
    av_channel_layout_uninit(&layout);
    if (ret >= 0)
        ret = av_frame_get_buffer(out.get(), 0);
    if (ret >= 0)
        ret = swr_convert(swr.get(), out->extended_data, out->nb_samples,
                          const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
    if (ret < 0)
        return ret;
    out->nb_samples = ret;
    ret = av_frame_copy_props(out.get(), frame);
    if (ret < 0)
        return ret;
    av_frame_unref(frame);
    av_frame_move_ref(frame, out.get());
    return 0;
}
