// SPDX-License-Identifier: GPL-3.0-or-later
// The album file (.vmalbum): one UTF-8 JSON object, shared by the editor and vmalbum-export.
#pragma once

#include "album.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

constexpr int kAlbumFileVersion = 1;
// Reading is bounded: larger files and longer albums are refused before anything is built.
constexpr qint64 kMaxAlbumFileBytes = 16 * 1024 * 1024;
constexpr int kMaxAlbumPictures = 10000;

// The export dialog's choices; bit rates in kbit/s as vmalbum-export takes them, 0 = automatic.
struct AlbumExportChoices
{
    QString format = QStringLiteral("MP4");
    int fps = 24;
    int64_t videoBitrateKbps = 0;
    int64_t audioBitrateKbps = 0;
    int sampleRate = 44100;
    QString folder; // absolute; empty: the dialog's own default
    QString name;   // without extension; empty: none chosen
};

// An album as the file holds it. Every member not in a file keeps the value a new album has.
struct StoredAlbum
{
    QList<AlbumPicture> pictures;
    int durationSeconds = 3;                  // 1..60
    int transitionStart = 0;                  // 0..22
    QString ratio = QStringLiteral("16:9");   // a ratio list text, or "auto" (the first picture's)
    QString height = QStringLiteral("1080P"); // a height list text
    QString music;                            // absolute; empty: no music
    MusicShape musicShape;                    // "start", "fadeIn", "fadeOut", "volume" in "music"
    // More tracks after `music`: then "music" holds "tracks" (every file, `music` first) and
    // "crossfade" instead of "file".
    QStringList musicMore;
    int64_t musicCrossfade = kDefaultMusicCrossfade; // microseconds
    // "duck" in "music": decibels under clips with sound, or "pause".
    int duckDb = kDefaultDuckDb;
    bool pauseMusicForClips = false;
    // "cut" in "music": the changes of picture follow the music's beat; absent: off.
    BeatCut beatCut = BeatCut::Off;
    bool beatFit = false; // "fit": true in "music", beside "cut"
    // "beats" beside each track (in "music" itself for a lone track): the user's corrections of
    // its grid, by track; trailing tracks without any are left out.
    QList<BeatCorrection> beatCorrections;
    int watermarkType = WatermarkNone; // WatermarkNone, WatermarkText, WatermarkPicture
    QString watermarkText;
    QString watermarkFamily = QStringLiteral("Microsoft YaHei UI");
    int watermarkPixelSize = 48;
    QColor watermarkColor;  // invalid: never chosen (drawn black)
    QString watermarkImage; // absolute
    int watermarkPosition = LeftTop;
    TextEffect watermarkEffect = TextEffect::Plain;  // "effect": "outline" or "shadow"
    bool gentleMotion = false;                       // "motion": "gentle"
    Fill fill{FillKind::Black, 0xff000000};          // "fill"
    bool keepFaces = false;                          // "faces": true
    std::optional<AlbumExportChoices> exportChoices; // none: the dialog's initial items

    // The transition after picture `slot`: its stored row, else (transitionStart + 3 slot) mod 23.
    int transitionRowFor(int slot) const;
    // The same as a row of kTransitionKinds, for appendPicture.
    const TransitionKind *transitionKindFor(int slot) const;
};

bool operator==(const AlbumExportChoices &a, const AlbumExportChoices &b);
bool operator==(const StoredAlbum &a, const StoredAlbum &b);
inline bool operator!=(const StoredAlbum &a, const StoredAlbum &b)
{
    return !(a == b);
}

struct AlbumReadResult
{
    bool ok = false;
    // Names what is wrong and where, e.g. "\"duration\": a whole number from 1 to 60"; never the
    // album's own path, which the caller names.
    QString error;
    StoredAlbum album;
};

// Whether an album file can hold this path: not one with a line break or a NUL character, which
// a Linux file name may have. A picture or music of such a name is refused when it is chosen,
// or the album that held it could never be saved.
bool fileNameFitsAlbum(const QString &szPath);

// Reads an album from JSON; relative paths are taken against szAlbumDir. Strict: wrong types,
// unknown versions and values out of range are errors, unknown keys are ignored.
AlbumReadResult parseAlbum(const QByteArray &json, const QString &szAlbumDir);
// Reads the file (at most kMaxAlbumFileBytes; a folder or an unreadable file is an error).
// Relative paths are taken against the folder of the real file when szPath is a link.
AlbumReadResult readAlbumFile(const QString &szPath);

// The JSON of an album whose file lies in szAlbumDir (paths beneath it become relative).
QByteArray serializeAlbum(const StoredAlbum &album, const QString &szAlbumDir);
// Writes atomically: a temporary file beside the target, flushed to disk, renamed over it. On
// failure the old file is untouched, nothing is left behind, and *pError says why. An album that
// would not read back (a path with a line break, a value out of range) is refused unwritten.
// When szPath is a symbolic link (or a chain of them), the file it leads to is written, from
// beside it, with paths relative to its folder, and the link stays; a dangling link gets its
// file made.
bool writeAlbumFile(const QString &szPath, const StoredAlbum &album, QString *pError);

// The album the record holds: pictures in materialOrder with the transition after each (none
// after the last), duration, ratio, height, watermark, music, and the export choices once the
// export fields are set (exportFormat not empty). szRatioText is the ratio list's text; any text
// that is not a ratio ("self-adaption(default)") becomes "auto". transitionStart is the start
// that would have drawn the picker's next row for the last picture, so an album built with
// TransitionPicker::reset(N) and nothing but drawn or replayed slots names N again.
StoredAlbum storedAlbumFrom(const Album &job, const QString &szRatioText);

// The corrections of the first `tracks` tracks, without the trailing ones that correct nothing:
// the form StoredAlbum keeps, so equal albums compare equal.
QList<BeatCorrection> keptBeatCorrections(const QList<BeatCorrection> &corrections, int tracks);

// The row of kTransitionKinds that pKind points at; -1 for null or a pointer outside the table.
int transitionRowOf(const TransitionKind *pKind);
// The row whose transition name is szName ("fadeblack"); -1 when there is none.
int transitionRowFromName(const QString &szName);

// Watermark positions by name as the file and vmalbum-export write them ("lefttop" ...
// "rightbottom").
QString watermarkPositionName(int iPosition);
int watermarkPositionFromName(const QString &szName); // 0 for an unknown name

// Names of looks as the file and vmalbum-export write them.
QString motionPresetName(MotionKind kind);              // "zoom-in" ...; empty for Album and Custom
MotionKind motionPresetFromName(const QString &szName); // Album for an unknown name
QString fillName(const Fill &fill);                     // "black", "blur", "#rrggbb"
bool fillFromName(const QString &szName, Fill *pFill);  // false for anything else
QString textEffectName(TextEffect effect);              // "plain", "outline", "shadow"
