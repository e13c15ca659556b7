// SPDX-License-Identifier: GPL-3.0-or-later
// A look-ahead limiter that keeps loud music under a ceiling, measured between samples too.
#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <cstdint>
#include <vector>

// Music turned up above its own level would go past full scale and be clipped hard, by the
// conversion to integers or by a lossy codec's decoder. The limiter lowers the gain smoothly
// just before each peak that would pass the ceiling (it looks ahead by a few milliseconds) and
// lets it recover slowly afterwards; below the ceiling it changes nothing but the delay.
// Peaks are measured on the signal between the samples as well (four times oversampled), as a
// decoder reconstructs it.
//
// The output lags the input by latency() samples (zeros first). Not thread-safe: one stream.
class PeakLimiter
{
public:
    PeakLimiter() = default;
    // ceiling: linear peak level (1.0 is full scale).
    PeakLimiter(int sampleRate, int channels, double ceiling);

    bool isValid() const { return m_channels > 0; }
    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    int latency() const { return m_latency; }
    // Limits `count` samples of every channel in place (one plane per channel).
    void process(float *const *planes, int count);
    // Forgets the sound so far, as after a seek.
    void reset();

private:
    float peakAround(int64_t at) const; // the largest level from sample `at` to the next one
    float sampleAt(int channel, int64_t index) const;

    int m_rate = 0;
    int m_channels = 0;
    float m_ceiling = 1.0f;
    int m_window = 1;     // look-ahead and attack, in samples
    int m_latency = 0;    // window - 1 + the interpolation's half length
    double m_release = 0; // recovery towards unity per sample
    int64_t m_count = 0;  // samples taken so far
    int m_ringSize = 0;
    std::vector<std::vector<float>> m_history; // per channel, the last m_ringSize inputs
    // The gain each sample needs, its minimum over the window (monotonic queue of positions and
    // values), the released gain and its running average over the window.
    std::vector<int64_t> m_minAt;
    std::vector<float> m_minGain;
    size_t m_minHead = 0;
    float m_released = 1.0f;
    std::vector<float> m_averaged; // ring of the window's released gains
    double m_sum = 0;
};

// Where music above full volume is held: -1 dBFS (10^(-1/20)), which a lossy codec's decoder
// brings back within half a decibel of full scale.
constexpr double kLimiterCeiling = 0.8912509381337456;

// Turns an audio frame into another sample format (same rate and channels), in place.
int convertSampleFormat(AVFrame *frame, AVSampleFormat format);
