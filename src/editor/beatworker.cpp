// SPDX-License-Identifier: GPL-3.0-or-later
// The beat worker: the analysis, then the waveform overview.
#include "beatworker.h"

#include "averror.h"
#include "soundreader.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {
// Enough samples a second for a drawn overview; a low rate keeps a long song small in memory.
constexpr int kOverviewRate = 4000;
// The analysis is the longer part of the work.
constexpr double kAnalysisShare = 0.7;
} // namespace

WaveformResult readWaveform(const QString &szFile, int buckets, const std::atomic<bool> *cancel,
                            const std::function<void(double)> &progress)
{
    WaveformResult result;
    SoundReader reader;
    if ((result.error = reader.open(szFile, kOverviewRate, 1, 0)) < 0)
        return result;
    // Duration from the container, for the progress only.
    const double expected =
        reader.input->duration > 0 ? double(reader.input->duration) / AV_TIME_BASE : 0.0;
    std::vector<float> samples;
    std::vector<float> chunk;
    while (true) {
        if (cancel && cancel->load()) {
            result.error = AVERROR_EXIT;
            return result;
        }
        const int ret = reader.pull();
        const int available = av_audio_fifo_size(reader.fifo.get());
        if (available > 0) {
            chunk.resize(size_t(available));
            void *planes[] = {chunk.data()};
            const int got = av_audio_fifo_read(reader.fifo.get(), planes, available);
            if (got > 0)
                samples.insert(samples.end(), chunk.begin(), chunk.begin() + got);
        }
        if (ret < 0) {
            result.error = ret;
            return result;
        }
        if (reader.eof)
            break;
        if (progress && expected > 0)
            progress(std::min(1.0, double(samples.size()) / kOverviewRate / expected));
    }
    if (samples.empty()) {
        result.error = AVERROR_INVALIDDATA;
        return result;
    }
    result.lengthUs = int64_t(samples.size()) * 1000000 / kOverviewRate;
    const size_t count = std::min(size_t(std::max(buckets, 1)), samples.size());
    result.peaks.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        const auto begin = samples.begin() + std::ptrdiff_t(i * samples.size() / count);
        const auto end = samples.begin() + std::ptrdiff_t((i + 1) * samples.size() / count);
        const auto [lo, hi] = std::minmax_element(begin, end);
        result.peaks.push_back(std::clamp(*lo, -1.0f, 1.0f));
        result.peaks.push_back(std::clamp(*hi, -1.0f, 1.0f));
    }
    return result;
}

void BeatWorker::analyse(const QString &szFile)
{
    TrackBeats track;
    track.file = szFile;
    if (cancel.load()) {
        track.error = BeatAnalysis::tr("The beat analysis was cancelled");
        emit sig_done(track);
        return;
    }
    BeatOptions options;
    options.cancel = &cancel;
    options.cacheDir = cacheDir;
    options.progress = [this, &szFile](double fraction) {
        emit sig_progress(szFile, fraction * kAnalysisShare);
    };
    const BeatResult beat = BeatAnalysis::analyse(szFile, options);
    if (beat.error != BeatError::None) {
        track.error = beat.reason;
        emit sig_done(track);
        return;
    }
    track.grid = beat.grid;
    emit sig_progress(szFile, kAnalysisShare);
    WaveformResult wave =
        readWaveform(szFile, kWaveformBuckets, &cancel, [this, &szFile](double f) {
            emit sig_progress(szFile, kAnalysisShare + f * (1 - kAnalysisShare));
        });
    if (wave.error < 0) {
        // The beat stands without its picture; the length comes from the last beat then.
        track.lengthUs = beat.grid.beats.empty() ? 0 : std::llround(beat.grid.beats.back() * 1e6);
    } else {
        track.peaks = std::move(wave.peaks);
        track.lengthUs = wave.lengthUs;
    }
    emit sig_progress(szFile, 1.0);
    emit sig_done(track);
}
