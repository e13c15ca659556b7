// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing the exporter's command line.
#include "exportoptions.h"

#include "clipsource.h"
#include "droppedfiles.h"
#include "folderwalk.h"

#include "albumops.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <cmath>

namespace {

const QStringList kFormats = {QStringLiteral("mp4"), QStringLiteral("avi"),  QStringLiteral("wmv"),
                              QStringLiteral("flv"), QStringLiteral("mkv"),  QStringLiteral("mov"),
                              QStringLiteral("gif"), QStringLiteral("webm"), QStringLiteral("m4v")};

bool parseInt(const QString &text, int lo, int hi, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

// Seconds from 0 to hi as microseconds, exactly to the microsecond ("2.5", "0.25").
bool parseSeconds(const QString &text, int64_t hi, int64_t *out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0 || v * 1e6 > double(hi) + 0.5)
        return false;
    *out = std::min<int64_t>(std::llround(v * 1e6), hi);
    return true;
}

} // namespace

QString ExportOptions::format() const
{
    const QString ext = QFileInfo(output).suffix().toLower();
    return kFormats.contains(ext) ? ext.toUpper() : QString();
}

QString ExportOptions::ratioText() const
{
    return autoRatio ? QStringLiteral("auto")
                     : QStringLiteral("%1:%2").arg(QString::number(aspectNum),
                                                   QString::number(aspectDen));
}

namespace {

bool isAlbumName(const QString &szName)
{
    return QFileInfo(szName).suffix().compare(QLatin1String("vmalbum"), Qt::CaseInsensitive) == 0;
}

// The checks of a complete set of options: empty when they can run, else a one-line message.
QString checkOptions(const ExportOptions &o)
{
    if (o.check || o.help)
        return QString();
    // An album is written without an output; given one, it is checked as for an export.
    if (o.output.isEmpty() && o.saveAlbum.isEmpty())
        return o.album.isEmpty()
                   ? QStringLiteral("no output file given (-o FILE)")
                   : QStringLiteral("no output file given (-o FILE), and the album names none");
    if (!o.output.isEmpty()) {
        if (o.format().isEmpty())
            return QStringLiteral("the output must end in .mp4 .avi .wmv .flv .mkv .mov .gif "
                                  ".webm or .m4v, not \"%1\"")
                .arg(QFileInfo(o.output).fileName());
        if (QFileInfo(o.output).completeBaseName().isEmpty())
            return QStringLiteral("the output file needs a name before its extension");
    }
    if (!o.watermarkText.isEmpty() && !o.watermarkImage.isEmpty())
        return QStringLiteral("choose either a text or a picture watermark, not both");
    if (o.music.isEmpty() && (!o.musicShape.isDefault() || o.fitToMusic))
        return QStringLiteral("--music-start, --fade-in, --fade-out, --volume and "
                              "--fit-to-music need music (-m FILE)");
    if (o.music.isEmpty() && o.beatCut != BeatCut::Off)
        return QStringLiteral("--cut-to-beat needs music (-m FILE)");
    if (o.music.isEmpty() && o.given.contains(QStringLiteral("--crossfade")))
        return QStringLiteral("--crossfade needs music (-m FILE)");
    if (o.music.isEmpty() && o.given.contains(QStringLiteral("--duck")))
        return QStringLiteral("--duck needs music (-m FILE)");
    // Music is any file with sound (MP3, M4A, OGG, Opus, FLAC, WAV, a video's sound track):
    // what it holds is found when it is read, whatever its name.
    if (!o.music.isEmpty()) {
        if (o.format() == QLatin1String("GIF") || o.format() == QLatin1String("M4V"))
            return QStringLiteral("%1 files cannot carry music; choose another format")
                .arg(o.format());
    }
    return QString();
}

} // namespace

QString exportUsage()
{
    return QStringLiteral(
        "Usage: vmalbum-export [options] PICTURE... -o FILE\n"
        "       vmalbum-export ALBUM.vmalbum [-o FILE] [options]\n"
        "       vmalbum-export --save-album FILE.vmalbum [options] PICTURE...\n"
        "       vmalbum-export --check PICTURE...|ALBUM.vmalbum\n"
        "\n"
        "Turns pictures (JPEG, PNG, HEIC, AVIF, WebP) into a slideshow video: every picture\n"
        "letterboxed onto the output frame, consecutive pictures joined by two-second\n"
        "transitions.\n"
        "Options and pictures may come in any order; \"--\" ends the options.\n"
        "A folder given as a picture stands for the pictures in it and in its subfolders\n"
        "(hidden ones left out, at most 10000 files looked at), in the order they were taken.\n"
        "\n"
        "An album file (.vmalbum, as the program saves it) is rendered with all its choices:\n"
        "pictures, duration, transitions, ratio, height, music, watermark and export settings.\n"
        "Options given beside it take the place of the album's choices; without -o the video\n"
        "goes to the folder and name of the album's export settings. Pictures of the album that\n"
        "are missing or unusable are named and left out.\n"
        "\n"
        "  -o FILE                 output video; the container follows the extension: mp4 avi\n"
        "                          wmv flv mkv mov gif webm m4v (any letter case). An existing\n"
        "                          file is replaced only once the new one is complete.\n"
        "  -d SECONDS              how long each picture is shown, 1..60 (default 3)\n"
        "  -r RATIO                16:9 (default) 4:3 2:1 9:16 3:4 1:1, or auto (the first\n"
        "                          picture's ratio)\n"
        "  -H HEIGHT               480 720 1080 (default) 2048 4096, or 480P 720P 1080P 2K 4K\n"
        "  --fps N                 24 (default) 25 30 60 120 (a gif is written at 50 for 60\n"
        "                          and 120: its frame times are hundredths of a second)\n"
        "  --video-bitrate KBPS    video bit rate, 0 = automatic (default)\n"
        "  --audio-bitrate KBPS    audio bit rate, 0 = automatic (default)\n"
        "  --sample-rate HZ        8000 11025 22050 44100 (default) 48000\n"
        "  -m FILE                 background music, looped and cut to the video (not with gif\n"
        "                          or m4v): MP3, M4A/AAC, OGG Vorbis, Opus, FLAC, WAV, ALAC,\n"
        "                          or the sound of a video file; -m again adds a track after\n"
        "                          the others, and the tracks play in turn, looped as one\n"
        "  --crossfade SECONDS     between one track and the next, 0..10 (default 2)\n"
        "  --duck DB|pause         under a clip with sound the music is lowered by DB decibels,\n"
        "                          0..40 (default 12), or with \"pause\" stops and later goes\n"
        "                          on from where it stopped\n"
        "  --music-start SECONDS   where in the music the video begins, 0..3600 (default 0)\n"
        "  --fade-in SECONDS       fade the music in from the video's start, 0..30 (default 0)\n"
        "  --fade-out SECONDS      fade the music out to silence at the video's end, 0..30\n"
        "                          (default 0)\n"
        "  --volume V              music volume, 0..2 (default 1: as it is); above 1 the loud\n"
        "                          passages are held just under full scale\n"
        "  --fit-to-music          set every picture's duration, keeping their ratios, so that\n"
        "                          the video lasts as long as the music after --music-start\n"
        "                          (each picture 0.5..60 s, else refused)\n"
        "  --cut-to-beat C         every change of picture on a beat of the music as it is\n"
        "                          heard: beat, 2 (every second beat), bar (a bar's first\n"
        "                          beat), 2bars, or auto (each picture the whole number of\n"
        "                          beats nearest its duration); off for none. With\n"
        "                          --fit-to-music the video ends on the music's last bar\n"
        "  --watermark-text TEXT   a text watermark\n"
        "  --watermark-image FILE  a picture watermark (JPEG, PNG, HEIC, AVIF, WebP)\n"
        "  --watermark-position P  lefttop (default) top righttop left center right leftbottom\n"
        "                          bottom rightbottom\n"
        "  --watermark-font FAMILY font family of the text watermark\n"
        "  --watermark-color #RRGGBB  colour of the text watermark (default black)\n"
        "  --watermark-effect E    plain (default) outline shadow: an edge that keeps the text\n"
        "                          watermark readable on any picture\n"
        "  --motion M              none (default), or gentle: a slow zoom over every picture\n"
        "                          that has no motion of its own\n"
        "  --fill F                around pictures of another shape: black (default), blur (a\n"
        "                          blurred copy of the picture), crop (filling the frame, cut\n"
        "                          around the faces or the centre) or a colour #RRGGBB\n"
        "  --faces                 motion keeps the faces found in the pictures in view\n"
        "  --auto                  a finished film in one step: the pictures in the order taken,\n"
        "                          gentle motion, blurred fill (crop in an upright or square\n"
        "                          video), faces kept in view; with music also --cut-to-beat\n"
        "                          auto, --fit-to-music and 2 s music fades. Options named\n"
        "                          beside it take the place of its choices\n"
        "  --clip-in S, --clip-out S  the part of the next clip that plays (seconds into it)\n"
        "  --clip-volume V         the next clip's sound, 0..2 (1 as it is)\n"
        "  --clip-mute             the next clip without its sound\n"
        "  --clip-speed X          the next clip's speed, 0.25..4, its sound at its pitch\n"
        "  --seed N                index 0..22 of the first transition (default: random); with\n"
        "                          an album, for the pictures that store no transition\n"
        "  --save-album FILE       write an album file of the pictures and options instead of a\n"
        "                          video (pictures that cannot be used are left out); -o and the\n"
        "                          export options become the album's export settings\n"
        "  -q                      quiet: no progress bar, no summary\n"
        "  -v                      verbose: FFmpeg's own messages too\n"
        "  --check                 export nothing; check every picture as an import does and\n"
        "                          print one line each: OK<TAB>path<TAB>WxH<TAB>num/den<TAB>TWxTH\n"
        "                          or REFUSED<TAB>path<TAB>reason\n"
        "  -h, --help              this help\n"
        "\n"
        "Ctrl-C (or SIGTERM, SIGHUP) cancels an export; nothing is left behind and an existing\n"
        "file of the output's name is kept.\n"
        "Exit status: 0 written (or all pictures usable with --check), 1 export failed (or the\n"
        "album could not be saved), 2 usage error or an album file that cannot be read, 3 no\n"
        "picture could be used (or, with --check, one was refused), 128 + the signal's number\n"
        "when cancelled (130 after Ctrl-C, 143 after SIGTERM).\n");
}

ParseResult parseExportArguments(const QStringList &args)
{
    ParseResult r;
    ExportOptions &o = r.options;
    auto fail = [&r](const QString &message) {
        r.ok = false;
        r.error = message;
        return r;
    };
    static const QMap<QString, int> positions = {
        {QStringLiteral("lefttop"), 1},      {QStringLiteral("top"), 2},
        {QStringLiteral("righttop"), 4},     {QStringLiteral("left"), 8},
        {QStringLiteral("center"), 16},      {QStringLiteral("right"), 32},
        {QStringLiteral("leftbottom"), 64},  {QStringLiteral("bottom"), 128},
        {QStringLiteral("rightbottom"), 256}};
    static const QMap<QString, int> heights = {
        {QStringLiteral("480"), 480},   {QStringLiteral("720"), 720},
        {QStringLiteral("1080"), 1080}, {QStringLiteral("2048"), 2048},
        {QStringLiteral("4096"), 4096}, {QStringLiteral("480p"), 480},
        {QStringLiteral("720p"), 720},  {QStringLiteral("1080p"), 1080},
        {QStringLiteral("2k"), 2048},   {QStringLiteral("4k"), 4096}};

    bool optionsEnded = false;
    // The --clip-* options given since the last clip: they go with the next clip named.
    std::optional<ClipOptions> pendingClip;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            o.pictures << a;
            if (pendingClip && looksLikeClip(a)) {
                while (o.pictureOptions.size() < o.pictures.size())
                    o.pictureOptions << PictureOptions();
                o.pictureOptions.last().clip = *pendingClip;
                pendingClip.reset();
            }
            continue;
        }
        if (a == QLatin1String("--clip-mute")) {
            pendingClip = pendingClip.value_or(ClipOptions());
            pendingClip->mute = true;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
            continue;
        }
        if (a == QLatin1String("-q")) {
            o.quiet = true;
            continue;
        }
        if (a == QLatin1String("-v")) {
            o.verbose = true;
            continue;
        }
        if (a == QLatin1String("--check")) {
            o.check = true;
            continue;
        }
        if (a == QLatin1String("--fit-to-music")) {
            o.fitToMusic = true;
            continue;
        }
        if (a == QLatin1String("--auto")) {
            o.autoFilm = true;
            o.keepFaces = true;
            continue;
        }
        if (a == QLatin1String("--faces")) {
            o.keepFaces = true;
            o.given.insert(a);
            continue;
        }
        static const QStringList withValue = {QStringLiteral("-o"),
                                              QStringLiteral("-d"),
                                              QStringLiteral("-r"),
                                              QStringLiteral("-H"),
                                              QStringLiteral("--fps"),
                                              QStringLiteral("--video-bitrate"),
                                              QStringLiteral("--audio-bitrate"),
                                              QStringLiteral("--sample-rate"),
                                              QStringLiteral("-m"),
                                              QStringLiteral("--crossfade"),
                                              QStringLiteral("--duck"),
                                              QStringLiteral("--music-start"),
                                              QStringLiteral("--fade-in"),
                                              QStringLiteral("--fade-out"),
                                              QStringLiteral("--volume"),
                                              QStringLiteral("--cut-to-beat"),
                                              QStringLiteral("--watermark-text"),
                                              QStringLiteral("--watermark-image"),
                                              QStringLiteral("--watermark-position"),
                                              QStringLiteral("--watermark-font"),
                                              QStringLiteral("--watermark-color"),
                                              QStringLiteral("--watermark-effect"),
                                              QStringLiteral("--motion"),
                                              QStringLiteral("--fill"),
                                              QStringLiteral("--seed"),
                                              QStringLiteral("--save-album"),
                                              QStringLiteral("--clip-in"),
                                              QStringLiteral("--clip-out"),
                                              QStringLiteral("--clip-volume"),
                                              QStringLiteral("--clip-speed")};
        if (!withValue.contains(a))
            return fail(QStringLiteral("unknown option %1").arg(a));
        if (i + 1 >= args.size())
            return fail(QStringLiteral("option %1 needs a value").arg(a));
        const QString v = args.at(++i);
        o.given.insert(a);
        if (a == QLatin1String("-o")) {
            o.output = v;
        } else if (a == QLatin1String("-d")) {
            if (!parseInt(v, 1, 60, &o.durationSeconds))
                return fail(
                    QStringLiteral("-d takes whole seconds from 1 to 60, not \"%1\"").arg(v));
        } else if (a == QLatin1String("-r")) {
            static const QStringList ratios = {QStringLiteral("16:9"), QStringLiteral("4:3"),
                                               QStringLiteral("2:1"),  QStringLiteral("9:16"),
                                               QStringLiteral("3:4"),  QStringLiteral("1:1")};
            if (v.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
                o.autoRatio = true;
            } else if (ratios.contains(v)) {
                o.autoRatio = false;
                o.aspectNum = v.section(QLatin1Char(':'), 0, 0).toInt();
                o.aspectDen = v.section(QLatin1Char(':'), 1, 1).toInt();
            } else {
                return fail(QStringLiteral("-r takes 16:9 4:3 2:1 9:16 3:4 1:1 or auto, not \"%1\"")
                                .arg(v));
            }
        } else if (a == QLatin1String("-H")) {
            if (!heights.contains(v.toLower()))
                return fail(QStringLiteral("-H takes 480 720 1080 2048 4096 (or 480P 720P 1080P "
                                           "2K 4K), not \"%1\"")
                                .arg(v));
            o.height = heights.value(v.toLower());
        } else if (a == QLatin1String("--fps")) {
            static const QList<int> rates = {24, 25, 30, 60, 120};
            if (!parseInt(v, 1, 120, &o.fps) || !rates.contains(o.fps))
                return fail(QStringLiteral("--fps takes 24 25 30 60 or 120, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--video-bitrate")) {
            if (!parseInt(v, 0, 1000000, &o.videoKbps))
                return fail(
                    QStringLiteral("--video-bitrate takes kilobits per second, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--audio-bitrate")) {
            if (!parseInt(v, 0, 100000, &o.audioKbps))
                return fail(
                    QStringLiteral("--audio-bitrate takes kilobits per second, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--sample-rate")) {
            static const QList<int> rates = {8000, 11025, 22050, 44100, 48000};
            if (!parseInt(v, 1, 48000, &o.sampleRateHz) || !rates.contains(o.sampleRateHz))
                return fail(QStringLiteral("--sample-rate takes 8000 11025 22050 44100 or 48000, "
                                           "not \"%1\"")
                                .arg(v));
        } else if (a == QLatin1String("-m")) {
            if (o.music.isEmpty())
                o.music = v;
            else
                o.musicMore.append(v);
        } else if (a == QLatin1String("--cut-to-beat")) {
            const std::optional<BeatCut> cut = beatCutFromName(v);
            if (!cut || v.isEmpty())
                return fail(QStringLiteral("--cut-to-beat takes beat, 2, bar, 2bars, auto or off, "
                                           "not \"%1\"")
                                .arg(v));
            o.beatCut = *cut;
        } else if (a == QLatin1String("--crossfade")) {
            if (!parseSeconds(v, kMaxMusicCrossfade, &o.musicCrossfade))
                return fail(
                    QStringLiteral("--crossfade takes seconds from 0 to 10, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--duck")) {
            bool ok = false;
            const int db = v.toInt(&ok);
            o.pauseMusicForClips = v == QLatin1String("pause");
            if (o.pauseMusicForClips)
                o.duckDb = kDefaultDuckDb;
            else if (ok && db >= 0 && db <= kMaxDuckDb)
                o.duckDb = db;
            else
                return fail(
                    QStringLiteral("--duck takes decibels from 0 to 40 or \"pause\", not \"%1\"")
                        .arg(v));
        } else if (a == QLatin1String("--music-start")) {
            if (!parseSeconds(v, kMaxMusicStart, &o.musicShape.start))
                return fail(QStringLiteral("--music-start takes seconds from 0 to 3600, not \"%1\"")
                                .arg(v));
        } else if (a == QLatin1String("--fade-in") || a == QLatin1String("--fade-out")) {
            int64_t &fade =
                a == QLatin1String("--fade-in") ? o.musicShape.fadeIn : o.musicShape.fadeOut;
            if (!parseSeconds(v, kMaxMusicFade, &fade))
                return fail(QStringLiteral("%1 takes seconds from 0 to 30, not \"%2\"").arg(a, v));
        } else if (a == QLatin1String("--volume")) {
            bool ok = false;
            const double volume = v.toDouble(&ok);
            if (!ok || !std::isfinite(volume) || volume < 0 || volume > kMaxMusicVolume)
                return fail(
                    QStringLiteral("--volume takes a number from 0 to 2, not \"%1\"").arg(v));
            o.musicShape.volume = volume;
        } else if (a == QLatin1String("--clip-in") || a == QLatin1String("--clip-out")) {
            ClipOptions clip = pendingClip.value_or(ClipOptions());
            int64_t &at = a == QLatin1String("--clip-in") ? clip.in : clip.out;
            if (!parseSeconds(v, kMaxClipDuration, &at))
                return fail(QStringLiteral("%1 takes seconds into the clip, not \"%2\"").arg(a, v));
            if (clip.out > 0 && clip.out <= clip.in)
                return fail(QStringLiteral("--clip-out must come after --clip-in"));
            pendingClip = clip;
        } else if (a == QLatin1String("--clip-volume") || a == QLatin1String("--clip-speed")) {
            const bool bVolume = a == QLatin1String("--clip-volume");
            bool ok = false;
            const double x = v.toDouble(&ok);
            const double lo = bVolume ? 0.0 : kMinClipSpeed / 100.0;
            const double hi = bVolume ? kMaxClipVolume / 100.0 : kMaxClipSpeed / 100.0;
            if (!ok || !std::isfinite(x) || x < lo || x > hi)
                return fail(QStringLiteral("%1 takes a number from %2 to %3, not \"%4\"")
                                .arg(a, QString::number(lo), QString::number(hi), v));
            ClipOptions clip = pendingClip.value_or(ClipOptions());
            (bVolume ? clip.volume : clip.speed) = int(std::lround(x * 100));
            pendingClip = clip;
        } else if (a == QLatin1String("--watermark-text")) {
            o.watermarkText = v;
        } else if (a == QLatin1String("--watermark-image")) {
            o.watermarkImage = v;
        } else if (a == QLatin1String("--watermark-position")) {
            if (!positions.contains(v.toLower()))
                return fail(QStringLiteral("--watermark-position takes lefttop top righttop left "
                                           "center right leftbottom bottom rightbottom, not \"%1\"")
                                .arg(v));
            o.watermarkPosition = positions.value(v.toLower());
        } else if (a == QLatin1String("--watermark-font")) {
            o.watermarkFont = v;
        } else if (a == QLatin1String("--watermark-color")) {
            const QColor c(v);
            if (!v.startsWith(QLatin1Char('#')) || v.size() != 7 || !c.isValid())
                return fail(QStringLiteral("--watermark-color takes #RRGGBB, not \"%1\"").arg(v));
            o.watermarkColor = c;
        } else if (a == QLatin1String("--watermark-effect")) {
            const int effect = QStringList{QStringLiteral("plain"), QStringLiteral("outline"),
                                           QStringLiteral("shadow")}
                                   .indexOf(v.toLower());
            if (effect < 0)
                return fail(
                    QStringLiteral("--watermark-effect takes plain outline or shadow, not \"%1\"")
                        .arg(v));
            o.watermarkEffect = TextEffect(effect);
        } else if (a == QLatin1String("--motion")) {
            if (v.toLower() != QLatin1String("gentle") && v.toLower() != QLatin1String("none"))
                return fail(QStringLiteral("--motion takes none or gentle, not \"%1\"").arg(v));
            o.gentleMotion = v.toLower() == QLatin1String("gentle");
        } else if (a == QLatin1String("--fill")) {
            if (!fillFromName(v.toLower(), &o.fill))
                return fail(
                    QStringLiteral("--fill takes black blur crop or #RRGGBB, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--seed")) {
            if (!parseInt(v, 0, 22, &o.seed))
                return fail(QStringLiteral("--seed takes 0 to 22, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--save-album")) {
            // A picture named by mistake must never be written over.
            if (!isAlbumName(v))
                return fail(
                    QStringLiteral("--save-album takes a file ending in .vmalbum, not \"%1\"")
                        .arg(v));
            o.saveAlbum = v;
        }
    }

    if (o.help) {
        r.ok = true;
        return r;
    }
    if (pendingClip)
        return fail(QStringLiteral("the --clip-* options go before a clip, and no clip follows"));
    if (o.check && !o.saveAlbum.isEmpty())
        return fail(QStringLiteral("--check and --save-album do not go together"));
    for (const QString &name : o.pictures) {
        if (!isAlbumName(name))
            continue;
        if (o.pictures.size() > 1)
            return fail(QStringLiteral("an album file is given on its own, without pictures: "
                                       "\"%1\"")
                            .arg(name));
        o.album = name;
        o.pictures.clear();
        // The output and its kin are checked once the album's own choices are known.
        r.ok = true;
        return r;
    }
    if (o.pictures.isEmpty())
        return fail(QStringLiteral("no picture given"));
    const QString error = checkOptions(o);
    if (!error.isEmpty())
        return fail(error);
    r.ok = true;
    return r;
}

QStringList expandPictureFolders(ExportOptions &o)
{
    QStringList notes;
    QStringList pictures;
    QList<PictureOptions> options; // a picture named keeps its own; a folder's take none
    for (int i = 0; i < o.pictures.size(); ++i) {
        const QString &szName = o.pictures.at(i);
        if (!QFileInfo(szName).isDir()) {
            pictures << szName;
            options << o.pictureOptions.value(i);
            continue;
        }
        const FolderWalk walk = walkPictureFolder(szName, isPictureFileName);
        if (walk.capped)
            notes << QStringLiteral("only the first %1 files of the folder \"%2\" were looked at")
                         .arg(QString::number(kMaxFolderFiles), szName);
        if (walk.pictures.isEmpty())
            notes << QStringLiteral("no JPEG or PNG picture in the folder \"%1\"").arg(szName);
        int iLiveVideos = 0;
        const QStringList found =
            orderByDateTaken(withoutLivePhotoVideos(walk.pictures, &iLiveVideos));
        pictures << found;
        for (int k = 0; k < found.size(); ++k)
            options << PictureOptions();
        if (iLiveVideos > 0)
            notes << QStringLiteral("%1 live photos in the folder \"%2\" came in as the picture "
                                    "alone, without the video")
                         .arg(QString::number(iLiveVideos), szName);
    }
    o.pictures = pictures;
    // Options stay aligned with the pictures only where some were given.
    if (!o.pictureOptions.isEmpty())
        o.pictureOptions = options;
    return notes;
}

ParseResult applyAlbum(const ExportOptions &cli, const StoredAlbum &album)
{
    ParseResult r;
    r.options = cli;
    ExportOptions &o = r.options;
    const auto has = [&cli](const char *szOption) {
        return cli.given.contains(QLatin1String(szOption));
    };
    o.pictures.clear();
    o.pictureOptions.clear();
    o.transitionRows.clear();
    StoredAlbum transitions = album;
    if (has("--seed"))
        transitions.transitionStart = cli.seed;
    o.seed = transitions.transitionStart;
    for (int i = 0; i < album.pictures.size(); ++i) {
        o.pictures << album.pictures.at(i).file;
        o.pictureOptions << album.pictures.at(i).options();
        o.transitionRows << transitions.transitionRowFor(i);
    }
    if (!has("-d"))
        o.durationSeconds = album.durationSeconds;
    if (!has("-r")) {
        const std::optional<AVRational> ratio = ratioFromText(album.ratio);
        o.autoRatio = !ratio;
        if (ratio) {
            o.aspectNum = ratio->num;
            o.aspectDen = ratio->den;
        }
    }
    if (!has("-H"))
        o.height = heightFromText(album.height);
    if (!has("-m")) {
        o.music = album.music;
        o.musicMore = album.musicMore;
        // The corrections belong to the album's tracks: other music starts from its own grids.
        o.beatCorrections = album.beatCorrections;
    }
    if (!has("--cut-to-beat"))
        o.beatCut = album.beatCut;
    o.beatFit = album.beatFit;
    if (!has("--crossfade"))
        o.musicCrossfade = album.musicCrossfade;
    if (!has("--duck")) {
        o.duckDb = album.duckDb;
        o.pauseMusicForClips = album.pauseMusicForClips;
    }
    // Each shaping option named replaces that value only.
    const MusicShape given = cli.musicShape;
    o.musicShape = album.musicShape;
    if (has("--music-start"))
        o.musicShape.start = given.start;
    if (has("--fade-in"))
        o.musicShape.fadeIn = given.fadeIn;
    if (has("--fade-out"))
        o.musicShape.fadeOut = given.fadeOut;
    if (has("--volume"))
        o.musicShape.volume = given.volume;

    // A watermark named on the command line replaces the album's, whichever kind either is.
    if (!has("--watermark-text") && !has("--watermark-image")) {
        o.watermarkText = album.watermarkType == WatermarkText ? album.watermarkText : QString();
        o.watermarkImage =
            album.watermarkType == WatermarkPicture ? album.watermarkImage : QString();
    }
    if (!has("--watermark-position"))
        o.watermarkPosition = album.watermarkPosition;
    if (!has("--watermark-font"))
        o.watermarkFont = album.watermarkFamily;
    if (!has("--watermark-color"))
        o.watermarkColor = album.watermarkColor;
    if (!has("--watermark-effect"))
        o.watermarkEffect = album.watermarkEffect;
    if (!has("--motion"))
        o.gentleMotion = album.gentleMotion;
    if (!has("--fill"))
        o.fill = album.fill;
    if (!has("--faces") && !o.autoFilm)
        o.keepFaces = album.keepFaces;
    // The album's text size stays, unless it is the size that went with the album's height
    // (the program's font follows the height until a font is chosen) and -H names another.
    o.watermarkPixelSize = album.watermarkType == WatermarkText ? album.watermarkPixelSize : 0;
    if (has("-H") &&
        o.watermarkPixelSize == Album::watermarkPixelSizeFor(heightFromText(album.height)))
        o.watermarkPixelSize = 0;

    o.albumExport = album.exportChoices;
    if (const auto &c = album.exportChoices) {
        if (!has("--fps"))
            o.fps = c->fps;
        if (!has("--video-bitrate"))
            o.videoKbps = int(c->videoBitrateKbps);
        if (!has("--audio-bitrate"))
            o.audioKbps = int(c->audioBitrateKbps);
        if (!has("--sample-rate"))
            o.sampleRateHz = c->sampleRate;
        if (!has("-o") && !c->folder.isEmpty() && !c->name.isEmpty())
            o.output = QStringLiteral("%1/%2.%3").arg(c->folder, c->name, c->format.toLower());
    }
    const QString error = checkOptions(o);
    r.ok = error.isEmpty();
    r.error = error;
    return r;
}

QString checkInputFiles(const ExportOptions &o)
{
    QList<QPair<QString, QString>> files = {{o.music, QStringLiteral("music file")}};
    for (const QString &track : o.musicMore)
        files.append({track, QStringLiteral("music file")});
    files.append({o.watermarkImage, QStringLiteral("watermark picture")});
    for (const auto &f : files) {
        if (f.first.isEmpty())
            continue;
        QFile file(f.first);
        QString reason;
        if (!QFileInfo(f.first).exists())
            reason = QStringLiteral("no such file");
        else if (QFileInfo(f.first).isDir())
            reason = QStringLiteral("it is a folder");
        else if (!file.open(QIODevice::ReadOnly))
            reason = file.errorString();
        if (!reason.isEmpty())
            return QStringLiteral("cannot read the %1 \"%2\": %3").arg(f.second, f.first, reason);
    }
    return QString();
}
