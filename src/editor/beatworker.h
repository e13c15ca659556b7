// SPDX-License-Identifier: GPL-3.0-or-later
// The worker that finds each music track's beat and draws its waveform overview, off the
// user-interface thread.
#pragma once

#include "beatanalysis.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// What the editor keeps of one music file.
struct TrackBeats
{
    QString file;
    BeatGrid grid;            // as found; the album's corrections are applied where it is used
    std::vector<float> peaks; // min, max pairs of the sound's buckets, -1..1
    int64_t lengthUs = 0;     // the decoded length
    QString error;            // empty when the beat was found (a grid may still be empty)
    bool ok() const { return error.isEmpty(); }
};
Q_DECLARE_METATYPE(TrackBeats)

// The waveform overview of a file: `buckets` min, max pairs over the whole sound (fewer for a
// sound shorter than that many low-rate samples), and its decoded length. A negative AVERROR
// when the file gives no sound; AVERROR_EXIT when cancelled.
struct WaveformResult
{
    std::vector<float> peaks;
    int64_t lengthUs = 0;
    int error = 0;
};
WaveformResult readWaveform(const QString &szFile, int buckets,
                            const std::atomic<bool> *cancel = nullptr,
                            const std::function<void(double)> &progress = {});

// Lives on a thread of its own; requests queue and are answered in order. Thread contract: the
// slots run on the worker's thread, `cancel` may be set from any thread (it ends the running
// analysis and skips the queued ones until cleared).
class BeatWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr int kWaveformBuckets = 2000;

    std::atomic<bool> cancel{false};
    // Where analyses are cached; empty: the user's cache folder. Set before the first request.
    QString cacheDir;

public slots:
    void analyse(const QString &szFile);

signals:
    // 0..1 as the work on szFile goes on.
    void sig_progress(const QString &szFile, double fraction);
    void sig_done(const TrackBeats &result);
    void sig_close(int code);
};
