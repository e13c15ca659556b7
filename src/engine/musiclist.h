// SPDX-License-Identifier: GPL-3.0-or-later
// A list of music tracks played as one piece: one after another with a crossfade between
// neighbours, from a start offset, looping as a whole; for the export and the preview alike.
#pragma once

#include "avhandles.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

// The crossfade the tracks of `lengthsUs` get when `crossfadeUs` is asked for: never more than
// half the shortest track, so that no track is faded in and out at once.
int64_t effectiveCrossfade(const QList<int64_t> &lengthsUs, int64_t crossfadeUs);

// The list's playing length in microseconds: the tracks' decoded lengths less the crossfades
// between them (one track: its decoded length). A negative AVERROR when a track gives no length;
// `failedTrack`, when given, names it.
int64_t decodedMusicListLength(const QStringList &tracks, int64_t crossfadeUs,
                               QString *failedTrack = nullptr);

// Single-threaded: one worker owns it. Samples come out as planar float at the chosen rate and
// channel count, whatever the tracks hold.
class MusicList
{
public:
    MusicList();
    ~MusicList();
    MusicList(const MusicList &) = delete;
    MusicList &operator=(const MusicList &) = delete;

    // Measures the tracks and goes to the start offset. On failure failedTrack() names the track
    // (AVERROR(ERANGE): the list ends before its start offset).
    int open(const QStringList &tracks, int64_t crossfadeUs, int64_t startUs, int sampleRate,
             int channels);
    // Goes to `offsetUs` past the start offset, folded into one pass of the list.
    int seek(int64_t offsetUs);
    // The next samples, into `frame` (unreferenced first); at most `maxSamples`.
    int read(AVFrame *frame, int maxSamples = 1024);

    QString failedTrack() const { return m_failedTrack; }
    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    int64_t crossfadeSamples() const { return m_crossfade; }
    // Samples from the start offset to the end of the list: one pass.
    int64_t passSamples() const { return m_total - m_start; }
    int passCount() const { return m_passes; }

private:
    struct Track;
    int openTrack(int index, int64_t offsetSamples);
    int fill(int64_t wanted);
    int hand(AVFrame *frame, int count, bool bMix);
    int nextTrack();

    QStringList m_paths;
    QList<int64_t> m_lengths; // samples at m_rate
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_crossfade = 0;
    int64_t m_start = 0;
    int64_t m_total = 0;
    int m_passes = 0;
    int m_current = -1;
    std::unique_ptr<Track> m_track;
    av::AudioFifoPtr m_tail; // the end of the track before, still to be mixed with this one
    int64_t m_mixAt = 0;     // how far into the crossfade the tail's first sample lies
    QString m_failedTrack;
};
