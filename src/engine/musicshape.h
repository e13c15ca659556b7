// SPDX-License-Identifier: GPL-3.0-or-later
// Music shaping (start offset, fades, volume) and the music's decoded length, for export and
// preview.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <QString>

#include <cstdint>

// How the background music is laid under the album. Times in microseconds; the defaults play the
// music as it is, from its beginning.
struct MusicShape
{
    int64_t start = 0;   // where in the music the album begins
    int64_t fadeIn = 0;  // from the album's start
    int64_t fadeOut = 0; // ending at the album's end
    double volume = 1.0; // gain, 0..2

    bool isDefault() const { return *this == MusicShape(); }
    // Whether samples are scaled at all; a start offset alone only drops samples.
    bool changesLevels() const { return fadeIn > 0 || fadeOut > 0 || volume != 1.0; }
    bool operator==(const MusicShape &o) const
    {
        return start == o.start && fadeIn == o.fadeIn && fadeOut == o.fadeOut && volume == o.volume;
    }
    bool operator!=(const MusicShape &o) const { return !(*this == o); }
};
constexpr int64_t kMaxMusicStart = 3600000000LL; // 1 hour
constexpr int64_t kMaxMusicFade = 30000000;      // 30 s
constexpr double kMaxMusicVolume = 2.0;
// Between two tracks of a music list.
constexpr int64_t kDefaultMusicCrossfade = 2000000; // 2 s
// The music under a clip with sound: ducked by this many decibels, through ramps this long.
constexpr int kDefaultDuckDb = 12;
constexpr int kMaxDuckDb = 40;
constexpr int64_t kDuckRamp = 500000;            // microseconds
constexpr int64_t kMaxMusicCrossfade = 10000000; // 10 s

// The shape clamped to its ranges (a NaN volume counts as 1).
MusicShape clampedMusicShape(const MusicShape &shape);

// The gain of every sample of the album's sound at one sample rate: linear fades, the fade-out
// reaching silence at the album's end (and no longer than the album). Sample 0 is the album's
// start.
class MusicEnvelope
{
public:
    MusicEnvelope() = default;
    // albumLength in microseconds; 0 or less: unknown, no fade-out.
    MusicEnvelope(const MusicShape &shape, int64_t albumLength, int sampleRate);

    double gainAt(int64_t sample) const;
    // Multiplies the samples of `frame` (any sample format; made writable first), whose first
    // sample is album sample `first`. Integer formats saturate.
    int apply(AVFrame *frame, int64_t first) const;

private:
    double m_volume = 1.0;
    int64_t m_fadeInSamples = 0;
    int64_t m_fadeOutSamples = 0;
    int64_t m_endSample = -1; // -1: no end known
};

// Drops the first `count` samples of an audio frame (count < nb_samples); pts moves on with them
// when it is in samples of the frame's rate.
int dropLeadingSamples(AVFrame *frame, int count);

// The music's exact playing length in microseconds, found by decoding every packet of its first
// audio stream (a container's stated length can be far off, as in a VBR MP3 without a header).
// A negative AVERROR when the file does not open, has no audio or gives no sound.
int64_t decodedMusicLength(const QString &szFile);
