// SPDX-License-Identifier: GPL-3.0-or-later
// The beat of a music track: its tempo, the time of each beat and of each bar's first beat.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <functional>
#include <vector>

struct BeatGrid
{
    double bpm = 0.0;          // the track's prevailing tempo; 0 when no beat was found
    std::vector<double> beats; // seconds from the start of the sound, ascending
    std::vector<double> bars;  // the beats that begin a 4/4 bar (a subset of `beats`)
};

enum class BeatError
{
    None,
    Unreadable,  // the file does not open, or holds no sound a decoder here reads
    Undecodable, // decoding failed part-way
    Cancelled,
};

struct BeatResult
{
    BeatGrid grid;
    BeatError error = BeatError::None;
    int code = 0;   // the FFmpeg code behind Unreadable and Undecodable
    QString reason; // plain text for the user when error is not None
    bool bFromCache = false;
};

struct BeatOptions
{
    // Polled between pieces of work; the analysis stops soon after it turns true.
    const std::atomic<bool> *cancel = nullptr;
    // Called on the analysing thread with 0..1.
    std::function<void(double)> progress;
    // Where results are kept, one small JSON per file content; empty: the user's cache folder
    // ($XDG_CACHE_HOME or ~/.cache) under VelmoraAlbum/beats.
    QString cacheDir;
    bool bUseCache = true;
};

// Thread-safe: every call owns its state. Runs for about a second per few minutes of music, so
// callers keep it off the user-interface thread.
class BeatAnalysis
{
    Q_DECLARE_TR_FUNCTIONS(BeatAnalysis)

public:
    static BeatResult analyse(const QString &szFile, const BeatOptions &options = BeatOptions());
    // The folder analyse() uses when options.cacheDir is empty.
    static QString defaultCacheDir();
    // The cache file that holds the result for szFile's content; empty when it does not read.
    static QString cacheFileFor(const QString &szFile, const QString &szCacheDir);
};
