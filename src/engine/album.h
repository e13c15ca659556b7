// SPDX-License-Identifier: GPL-3.0-or-later
// The album as a value: its pictures, their settings, the transitions, watermark, music and
// output settings, with the timeline worked out from them; and the transition table.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include "beatchoice.h"
#include "musicshape.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QSize>
#include <QString>
#include <QStringList>

#include "picturefacts.h"
#include "picturelook.h"

#include <cstdint>
#include <memory>

Q_DECLARE_METATYPE(AVRational)

// The same numbers: unset rates ({0, 0}) equal each other, which av_cmp_q does not say.
inline bool sameRational(AVRational a, AVRational b)
{
    return a.num == b.num && a.den == b.den;
}

// One row of the constant transition table: {filter name, transition name, the name people read}.
// The transition name is what album files and the filters use; the name people read is
// translated where it is shown (context "Transition").
struct TransitionKind
{
    const char *filterName;
    const char *transitionName;
    const char *displayName;
};

constexpr int kTransitionKindCount = 23;
extern const TransitionKind kTransitionKinds[kTransitionKindCount];

// What a video clip is, read as it comes in (as a picture's facts are).
struct ClipFacts
{
    int64_t duration = 0; // microseconds of the whole file; 0: the item is a still picture
    bool hasSound = false;
    AVRational frameRate{0, 1}; // its average rate, for what the panel shows

    bool operator==(const ClipFacts &o) const
    {
        return duration == o.duration && hasSound == o.hasSound &&
               sameRational(frameRate, o.frameRate);
    }
};

struct MaterialItem
{
    QString path;
    AVRational widthToHeight{0, 1};
    QSize srcSize; // upright (a clip's after its display matrix and pixel aspect)
    // Read as the picture comes in; not stored in album files, since opening one imports again.
    PictureFacts facts{};
    ClipFacts clip{};

    bool isClip() const { return clip.duration > 0; }
    bool operator==(const MaterialItem &o) const
    {
        return path == o.path && sameRational(widthToHeight, o.widthToHeight) &&
               srcSize == o.srcSize && facts == o.facts && clip == o.clip;
    }
};

// What a clip of the album sets for itself: the part of the file it plays, its sound and speed.
struct ClipOptions
{
    int64_t in = 0;   // microseconds into the file
    int64_t out = 0;  // microseconds into the file; 0: its end
    int volume = 100; // percent, 0..200
    bool mute = false;
    int speed = 100; // percent of real speed, 25..400; the sound keeps its pitch

    bool isDefault() const { return *this == ClipOptions(); }
    bool operator==(const ClipOptions &o) const
    {
        return in == o.in && out == o.out && volume == o.volume && mute == o.mute &&
               speed == o.speed;
    }
    bool operator!=(const ClipOptions &o) const { return !(*this == o); }
};
constexpr int kMinClipSpeed = 25;
constexpr int kMaxClipSpeed = 400;
constexpr int kMaxClipVolume = 200;
// The longest clip taken (3 hours), and the shortest part of one a trim keeps (microseconds).
constexpr int64_t kMaxClipDuration = int64_t(3) * 3600 * 1000000;
constexpr int64_t kMinClipLength = 200000;

// What a picture of the album may set for itself; the defaults leave the album as it is.
enum class TransitionChoice : uint8_t
{
    Random, // the kind drawn from the table for the slot (the album's own stepping)
    Chosen, // chosenKind
    None,   // a cut: the next picture follows at once
};
struct PictureOptions
{
    int64_t duration = 0; // microseconds shown alone; 0: the album's duration
    // The transition after the picture, and its length in microseconds (0: the slot's, 2 s).
    TransitionChoice transition = TransitionChoice::Random;
    const TransitionKind *chosenKind = nullptr;
    int64_t transitionLength = 0;
    Motion motion;
    Fill fill;
    Caption caption;
    ClipOptions clip; // a clip's trim, sound and speed; unused for a still picture

    bool isDefault() const { return *this == PictureOptions(); }
    bool operator==(const PictureOptions &o) const
    {
        return duration == o.duration && transition == o.transition && chosenKind == o.chosenKind &&
               transitionLength == o.transitionLength && motion == o.motion && fill == o.fill &&
               caption == o.caption && clip == o.clip;
    }
    bool operator!=(const PictureOptions &o) const { return !(*this == o); }
};
constexpr int64_t kMinPictureDuration = 500000;   // 0.5 s
constexpr int64_t kMaxPictureDuration = 60000000; // 60 s
constexpr int64_t kMinTransitionLength = 500000;  // 0.5 s
constexpr int64_t kMaxTransitionLength = 3000000; // 3 s

struct TransitionSlot
{
    const TransitionKind *kind = nullptr;
    int64_t duration = 2000000;
    AVRational durationTimeBase{1, 1000000};

    bool operator==(const TransitionSlot &o) const
    {
        return kind == o.kind && duration == o.duration &&
               sameRational(durationTimeBase, o.durationTimeBase);
    }
};

enum WatermarkType
{
    WatermarkNone = 1,
    WatermarkText = 2,
    WatermarkPicture = 4
};
enum MusicType
{
    MusicNone = 1,
    MusicCustom = 2
};
enum WatermarkPosition
{
    LeftTop = 1,
    Top = 2,
    RightTop = 4,
    Left = 8,
    Center = 16,
    Right = 32,
    LeftBottom = 64,
    Bottom = 128,
    RightBottom = 256
};

// A picture as an album file holds it.
struct AlbumPicture
{
    AlbumPicture(QString szFile = QString(), int iTransitionRow = -1)
        : file(std::move(szFile)), transitionRow(iTransitionRow)
    {
    }

    QString file; // absolute once read; written relative to the album's folder when beneath it
    // Row of kTransitionKinds of the transition that follows this picture; -1 when none is
    // stored (the album's transitionStart decides, see StoredAlbum::transitionRowFor).
    int transitionRow = -1;
    // The picture's own settings ("duration", and "seconds", "chosen" or "none" in
    // "transition"); defaults when the file has none. A drawn (random) transition has its row
    // above and transition Random; a chosen one the same row and Chosen; a cut None.
    int64_t duration = 0; // microseconds; 0: the album's
    TransitionChoice transition = TransitionChoice::Random;
    int64_t transitionLength = 0; // microseconds; 0: the slot's
    Motion motion;                // "motion": a preset, or "from" and "to" rectangles
    Fill fill;                    // "fill": "black", "blur" or "#rrggbb"; absent: the album's
    Caption caption;              // "caption": text, family, size, color, position, effect
    ClipOptions clip;             // "clip": in, out, volume, mute, speed (for a video file)

    // As the record keeps them (the kind from transitionRow when chosen).
    PictureOptions options() const;
};

bool operator==(const AlbumPicture &a, const AlbumPicture &b);

// A picture the album lists but cannot show (its file is gone, or unusable): it keeps its place in
// the strip, is written back as the album file had it, and is neither rendered nor counted in the
// album's length. `id` follows it through moves; it is not part of the album's value.
struct MissingPicture
{
    int position = 0;     // its row in the strip
    AlbumPicture picture; // as the album file holds it
    // The transition that joined the entry before it, kept for the save when no picture of the
    // album follows that entry any more.
    int transitionBeforeRow = -1;
    QString reason;    // why it cannot be shown
    bool bGone = true; // no file there (otherwise the file is there but cannot be used)
    quint32 id = 0;

    bool operator==(const MissingPicture &o) const
    {
        return position == o.position && picture == o.picture &&
               transitionBeforeRow == o.transitionBeforeRow && reason == o.reason &&
               bGone == o.bGone;
    }
};

class Album;

// The parts of an album a change can touch, for views that follow only some of them.
enum class AlbumPart
{
    Items = 1,     // the pictures, their order, their own settings, transitions, missing ones
    Settings = 2,  // durations, ratio, height, look, export settings
    Watermark = 4, // type, position, text, font, picture, effect
    Music = 8,     // file, kind, shape
};
Q_DECLARE_FLAGS(AlbumParts, AlbumPart)
Q_DECLARE_OPERATORS_FOR_FLAGS(AlbumParts)

// The text-watermark font follows the output height until the user picks a font of their own.
struct WatermarkFontRule
{
    QFont editorFont;              // the editor's copy, sized for the current height
    bool fontFollowsHeight = true; // cleared for good once the user chose another font

    // A new output height: sizes editorFont from the table and, while following, the watermark.
    void applyHeight(Album &job, int iHeight);
    // A font confirmed in the font dialog (point size as the dialog reports it).
    void applyChosenFont(Album &job, const QFont &stFont);
};

// A value: copies share nothing a change could reach, so a worker renders the copy it was given
// while the editor goes on changing its own. The editor keeps one in its document and hands each
// export and preview run a snapshot (AlbumSnapshotPtr); the headless exporter builds one from its
// options.
class Album
{
public:
    Album();

    int64_t totalDuration = 0;
    AVRational totalTimeBase{1, 1000000};
    int watermarkType = WatermarkNone;
    int watermarkPosition = LeftTop;
    QFont watermarkFont;
    QColor watermarkColor;
    QString watermarkText;
    QString watermarkImagePath;
    int musicType = MusicNone;
    QString musicPath;
    MusicShape musicShape; // how the music is laid under the album; defaults: as it is
    // Tracks that follow musicPath, in order; the list plays as one piece of music, with
    // musicCrossfade (microseconds) between neighbouring tracks, and loops as a whole.
    QStringList musicMore;
    int64_t musicCrossfade = kDefaultMusicCrossfade;
    // Under a clip with sound the music ducks by duckDb decibels (0..40), with ramps of
    // kDuckRamp; or it pauses and resumes where it was.
    int duckDb = kDefaultDuckDb;
    bool pauseMusicForClips = false;
    // Changes of picture follow the music's beat; the user's corrections of each track's grid,
    // one per track of musicTracks() (missing entries: none).
    BeatCut beatCut = BeatCut::Off;
    QList<BeatCorrection> beatCorrections;
    // With the cut on the beat: the pictures fitted to the music, the album ending on its last
    // bar. A lasting choice, so that every later edit is fitted and cut again.
    bool beatFit = false;
    // The timing cutting on the beat worked out from the settings above and the music's beats
    // (applyBeatCut): per row, how long the picture is shown alone and the slot after it. Never
    // stored: it follows from the rest and is worked out again whenever they change. Used only
    // while it has one entry per row; empty: every row's own timing.
    QList<int64_t> beatDurations;
    QList<int64_t> beatSlots;
    int aspectNum = 16;
    int aspectDen = 9;
    int width = 1920;
    int height = 1080;
    AVRational frameRate{0, 0};
    int64_t videoBitRate = 0;
    int64_t audioBitRate = 0;
    int64_t sampleRate = 0;
    QString exportFormat;
    QString fileName;
    QString exportDirectory;
    int64_t uniformDurationValue = 3000000;
    AVRational uniformDurationTimeBase{1, 1000000};
    QMap<QString, MaterialItem> materials;
    QList<QString> materialOrder;
    QList<TransitionSlot> transitions;
    // One per row of materialOrder (the same file twice has two); rows without one, defaults.
    QList<PictureOptions> pictureOptions;
    // The album's look: gentle motion on every picture without its own, the fill around
    // pictures without their own, and the text watermark's outline or shadow.
    bool gentleMotion = false;
    Fill albumFill{FillKind::Black, 0xff000000};
    // Presets and gentle motion keep the pictures' faces in view.
    bool keepFaces = false;
    TextEffect watermarkEffect = TextEffect::Plain;
    AVRational msTimeBase{1, 1000};
    // The output lists' entries the album was last set from: the ratio list's first entry
    // follows the first picture, which a ratio alone cannot tell.
    int ratioIndex = 1;
    int heightIndex = 2;
    WatermarkFontRule fontRule;
    // Pictures the album lists but cannot show, by their place among the rows (the rows above
    // are the pictures it shows).
    QList<MissingPicture> missing;

    // Whether the timeline follows beatDurations and beatSlots.
    bool hasBeatTiming() const
    {
        return beatDurations.size() == materialOrder.size() &&
               beatSlots.size() == materialOrder.size() && !materialOrder.isEmpty();
    }
    // Music of the user's own is chosen.
    bool hasMusic() const { return musicType == MusicCustom && !musicPath.isEmpty(); }
    // The music as a list: musicPath, then musicMore; empty when there is no music.
    QStringList musicTracks() const;
    // Sets the list; the first becomes musicPath.
    void setMusicTracks(const QStringList &tracks);

    // Equal when no part differs.
    bool operator==(const Album &o) const { return changedParts(o) == AlbumParts(); }
    bool operator!=(const Album &o) const { return !(*this == o); }
    // The parts in which this album and o differ.
    AlbumParts changedParts(const Album &o) const;

    // width = av_rescale(height, num, den), made even by taking one off an odd result.
    static int widthFor(int height, int aspectNum, int aspectDen);
    // Recomputes `width` from `height` and the ratio.
    void updateWidth();
    // The text-watermark font pixel size that goes with an output height (1080's for others).
    static int watermarkPixelSizeFor(int height);
    // "%1/%2.%3": directory, file name, lower-case format.
    QString outputFilePath() const;
    // Frames a still picture lasts at `fps` (duration x fps, truncated). Computed exactly: in
    // doubles 3 s x 30 fps can come out as 89.999... and lose a frame.
    int64_t pictureFrameCount(AVRational fps) const;
    // Frames of one transition slot: as many integers i with 0 <= i < duration x fps.
    static int64_t transitionFrameCount(const TransitionSlot &slot, AVRational fps);

    // Per row. The options of a row (defaults past the list's end).
    const PictureOptions &optionsAt(int index) const;
    // Whether row `index` is a video clip.
    bool isClip(int index) const;
    // Whether any clip of the album brings sound into the video (not muted, volume above 0).
    bool clipsHaveSound() const;
    bool clipHasSound(int index) const;
    // The part of the clip's file row `index` plays, in microseconds of the file: its trim kept
    // within the file and at least kMinClipLength long.
    int64_t clipIn(int index) const;
    int64_t clipOut(int index) const;
    // Microseconds the clip lasts in the video, both of its transitions included: its trimmed
    // length divided by its speed. 0 for a still picture.
    int64_t clipLength(int index) const;
    // Microseconds picture `index` is shown alone: its own duration, else the album's. For a
    // clip, its length less the transitions it contains.
    int64_t pictureDuration(int index) const;
    // The kind the slot after picture `index` plays; null for a cut or no slot.
    const TransitionKind *slotKind(int index) const;
    // Microseconds of that slot: 0 for a cut; its own length, else the slot's. A slot beside a
    // picture with its own duration, or with its own length, is no longer than the shorter of
    // its two pictures; slots nobody set keep their length, as the album always had it. A slot
    // beside a clip is no longer than half the clip, which holds both of its transitions.
    int64_t slotDuration(int index) const;
    // Microseconds from the album's start to where picture `index` is first shown alone (after
    // the slot that leads into it).
    int64_t pictureStart(int index) const;
    // Microseconds from the album's start to the first frame of row `index`: the start of the
    // slot that leads into it.
    int64_t itemStart(int index) const;
    // Frames of picture `index` and of the slot after it at `fps`. Every boundary of the
    // timeline falls on frame round(time x fps), so the parts add up to videoFrameCount: a
    // picture or slot that is not a whole number of frames long is one frame longer or shorter
    // by turns, and never drifts from the album's clock.
    int64_t pictureFrameCount(int index, AVRational fps) const;
    int64_t slotFrameCount(int index, AVRational fps) const;
    // Frames of the whole video at `fps`: round(length x fps).
    int64_t videoFrameCount(AVRational fps) const;
    // The frame whose start is nearest to `microseconds` into the album: round(time x fps).
    static int64_t frameAt(int64_t microseconds, AVRational fps);
    // The frame rate a file is written at: the chosen one, except where its format cannot show
    // it (GIF). {0, 1} until a rate is chosen.
    AVRational fileFrameRate() const;
    // The album's whole length in totalTimeBase.
    int64_t computeTotalDuration() const;
};

// What a worker renders: the album as it stood when the run was asked for.
using AlbumSnapshotPtr = std::shared_ptr<const Album>;
Q_DECLARE_METATYPE(AlbumSnapshotPtr)
Q_DECLARE_METATYPE(AlbumParts)

// Microseconds as exact decimal seconds for filter options: "2", "0.5", "1.25".
QString secondsText(int64_t microseconds);

// The frame rate a GIF is written at when `fps` is asked for. GIF times are hundredths of a
// second and viewers raise a delay of one hundredth to ten, so the delays of 60 and 120 fps
// cannot be kept: those are written at 50 (a delay of 2 every frame). Others are kept.
int gifFrameRate(int fps);

// The transition picker: a process-wide index that starts at a random row and steps by 3.
class TransitionPicker
{
public:
    // Returns the row for a new slot and advances the index.
    static const TransitionKind *next();
    // Sets the index of the next row (0..22); used by the headless exporter's --seed and tests.
    static void reset(int index);
    static int currentIndex();
};

// Registers AVRational (and other engine value types) for queued signals. Idempotent.
void registerEngineMetaTypes();
