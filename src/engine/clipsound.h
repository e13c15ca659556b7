// SPDX-License-Identifier: GPL-3.0-or-later
// The sound the album's clips bring into the video, and the music's level under them.
#pragma once

#include "avhandles.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class Album;
class MusicEnvelope;
struct AVAudioFifo;
struct AVFrame;

// Single-threaded: one worker owns it. Album samples count from the album's start at the chosen
// rate. Each clip with sound plays where the clip is, trimmed, at its speed (pitch kept), at its
// volume, faded in and out over its transitions (at most kDuckRamp; a cut gets a click-free
// few milliseconds). Under it the music ducks through kDuckRamp ramps, or pauses and later goes
// on from where it stopped.
class ClipSound
{
public:
    ClipSound();
    ~ClipSound();
    ClipSound(const ClipSound &) = delete;
    ClipSound &operator=(const ClipSound &) = delete;

    void setUp(const Album &album, int sampleRate, int channels);
    // Whether any clip brings sound in.
    bool isEmpty() const { return m_spans.empty(); }

    // Music samples that album samples [first, first + count) take: fewer where it pauses.
    int musicWanted(int64_t first, int count) const;
    // Makes `frame` album samples [first, first + count) in planar float: the music from
    // `music` (null: none; it must hold musicWanted) where it plays, shaped by `envelope` and
    // ducked, with the clips' sound over it.
    int mix(AVFrame *frame, int64_t first, int count, AVAudioFifo *music,
            const MusicEnvelope &envelope);

    // Adds the clips' sound for album samples [first, first + count) to `planes` (one float plane
    // per channel). Reading on from where the last call ended streams; anywhere else seeks.
    int mixInto(float *const *planes, int64_t first, int count);

    // The music's gain at album sample `at`: 1 away from clips with sound.
    double musicGain(int64_t at) const;
    // Whether the music stands still at `at`: paused under a clip, between its ramps.
    bool musicPaused(int64_t at) const;
    // Album samples before `at` during which the music stood still: how far the music lags.
    int64_t pausedBefore(int64_t at) const;

    // Decoders open now (memory stays bounded: only clips that play at once).
    int openVoices() const;

private:
    struct Span
    {
        QString path;
        int64_t begin = 0;     // album samples
        int64_t end = 0;       // exclusive
        int64_t inSamples = 0; // where the sound starts in the file, at the mix's rate
        double gain = 1.0;
        double tempo = 1.0; // the clip's speed
        int64_t fadeIn = 0; // samples
        int64_t fadeOut = 0;
        int64_t ramp = 0; // the music's ramps
    };
    struct Voice;
    int pullVoice(Voice &voice, const Span &span, float *const *planes, int64_t first, int count);
    double clipEnvelope(const Span &span, int64_t at) const;

    std::vector<Span> m_spans;
    std::vector<std::unique_ptr<Voice>> m_voices;      // one per span; null while it is silent
    std::vector<std::pair<int64_t, int64_t>> m_pauses; // [begin, end) album samples, in order
    double m_duckFloor = 1.0;
    int m_rate = 0;
    int m_channels = 0;
};
