// SPDX-License-Identifier: GPL-3.0-or-later
// The album's choice of cutting on the beat, and the user's corrections of a track's beat grid.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// How often the picture changes when the album follows its music's beat.
enum class BeatCut : uint8_t
{
    Off,
    Beat,     // on any beat
    TwoBeats, // on every second beat
    Bar,      // on the first beat of a bar
    TwoBars,  // on the first beat of every second bar
    Auto,     // each picture: the number of beats nearest its own duration
};
// "beat", "2", "bar", "2bars", "auto"; "" for Off.
QString beatCutName(BeatCut cut);
// nullopt for any other text ("off" and "" give Off).
std::optional<BeatCut> beatCutFromName(const QString &szName);

// The furthest a correction moves a grid (microseconds, either way).
constexpr int64_t kMaxBeatShift = 5000000;

// What the user corrected in one track's grid; saved in the album file beside the track.
struct BeatCorrection
{
    int64_t shift = 0; // microseconds the whole grid moves (later when positive)
    int tempo = 0;     // -1: half the tempo found (every other beat), 1: double, 0: as found
    int barPhase = 0;  // 0..3: bars begin this many beats after the ones found

    bool isDefault() const { return *this == BeatCorrection(); }
    bool operator==(const BeatCorrection &o) const
    {
        return shift == o.shift && tempo == o.tempo && barPhase == o.barPhase;
    }
    bool operator!=(const BeatCorrection &o) const { return !(*this == o); }
};
