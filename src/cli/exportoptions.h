// SPDX-License-Identifier: GPL-3.0-or-later
// Command line of vmalbum-export: parsing and validation, kept apart from running the export.
#pragma once

#include "albumfile.h"

#include <QColor>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

struct ExportOptions
{
    QStringList pictures;
    QList<PictureOptions> pictureOptions; // from an album file, one per picture
    QString output;                       // -o FILE
    int durationSeconds = 3;              // -d
    bool autoRatio = false;               // -r auto
    int aspectNum = 16;
    int aspectDen = 9;
    int height = 1080; // -H
    int fps = 24;
    int videoKbps = 0;
    int audioKbps = 0;
    int sampleRateHz = 44100;
    QString music;
    QStringList musicMore;                           // further -m, in order
    int64_t musicCrossfade = kDefaultMusicCrossfade; // --crossfade, between tracks
    int duckDb = kDefaultDuckDb;                     // --duck: the music under clips with sound
    bool pauseMusicForClips = false;                 // --duck pause
    MusicShape musicShape;   // --music-start, --fade-in, --fade-out, --volume
    bool fitToMusic = false; // --fit-to-music
    bool autoFilm = false;   // --auto: the one-step film's choices where no option names one
    // --cut-to-beat, else the album's "cut"; the album's corrections of its tracks' grids while
    // its music is the one played.
    BeatCut beatCut = BeatCut::Off;
    bool beatFit = false; // from an album: cut on the beat and fitted to the music
    QList<BeatCorrection> beatCorrections;
    QString watermarkText;
    QString watermarkImage;
    int watermarkPosition = 1;
    QString watermarkFont;
    QColor watermarkColor;
    TextEffect watermarkEffect = TextEffect::Plain; // --watermark-effect
    bool gentleMotion = false;                      // --motion gentle
    Fill fill{FillKind::Black, 0xff000000};         // --fill
    bool keepFaces = false;                         // --faces
    int seed = -1;                                  // -1: random, as the picker draws
    bool quiet = false;
    bool verbose = false; // -v: FFmpeg's own log lines too
    bool check = false;
    bool help = false;
    QString album;     // ALBUM.vmalbum: rendered (or, with --save-album, the album to start from)
    QString saveAlbum; // --save-album FILE: the album is written instead of a video
    // From an album: the row of the transition after each picture. Empty: the picker draws.
    QList<int> transitionRows;
    int watermarkPixelSize = 0; // from an album; 0: the size that goes with the output height
    std::optional<AlbumExportChoices> albumExport; // the album's export choices, if it has them
    QSet<QString> given; // the options with a value named on the command line ("-d", "--fps")

    // Upper-case container name from the output's extension ("MP4"), empty when unsupported.
    QString format() const;
    // The ratio as the ratio list writes it: "16:9", or "auto".
    QString ratioText() const;
};

struct ParseResult
{
    bool ok = false;
    QString error; // a one-line usage message when !ok
    ExportOptions options;
};

// Parses the command line. With an album file, the checks that need the album's own choices
// (the output above all) wait for applyAlbum.
ParseResult parseExportArguments(const QStringList &args);
QString exportUsage();

// The options an album describes, each option named on the command line taking the place of
// the album's choice; then the checks a command line gets. The pictures are the album's, each
// with its transition (stored, else from the album's transitionStart, which --seed replaces).
ParseResult applyAlbum(const ExportOptions &cli, const StoredAlbum &album);

// Folders among the pictures become the pictures in them and in their subfolders, in the order
// they were taken, each folder's in its place. Returns a line for each folder whose walk was cut
// short, and one for each folder without pictures.
QStringList expandPictureFolders(ExportOptions &o);

// The music and watermark files must exist and be readable before any work starts: an empty
// text when they are, else a one-line usage message that names the file.
QString checkInputFiles(const ExportOptions &o);

// Exit codes of the exporter. A cancel by a signal exits with ExitSignalBase + its number, as
// shells report a program the signal ended.
enum ExportExitCode
{
    ExitWritten = 0,
    ExitFailed = 1,
    ExitUsage = 2,
    ExitNoPicture = 3,
    ExitSignalBase = 128
};
