// SPDX-License-Identifier: GPL-3.0-or-later
// The album file: strict, bounded reading; atomic writing; the album the record holds.
#include "albumfile.h"

#include "picturerenderer.h"

#include "albumops.h"
#include "averror.h"
#include "beatcut.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLocale>
#include <QPair>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The translation context of the file's messages.
class AlbumFile
{
    Q_DECLARE_TR_FUNCTIONS(AlbumFile)
};

const QString kVersionKey = QStringLiteral("velmoraalbum");
const QString kAutoRatio = QStringLiteral("auto");

const QStringList kRatioTexts = {QStringLiteral("16:9"),
                                 QStringLiteral("4:3"),
                                 QStringLiteral("2:1"),
                                 QStringLiteral("9:16"),
                                 QStringLiteral("3:4"),
                                 QStringLiteral("1:1"),
                                 kAutoRatio};
const QStringList kHeightTexts = {QStringLiteral("480P"), QStringLiteral("720P"),
                                  QStringLiteral("1080P"), QStringLiteral("2K"),
                                  QStringLiteral("4K")};
const QStringList kFormats = {QStringLiteral("MP4"), QStringLiteral("AVI"),  QStringLiteral("WMV"),
                              QStringLiteral("FLV"), QStringLiteral("MKV"),  QStringLiteral("MOV"),
                              QStringLiteral("GIF"), QStringLiteral("WEBM"), QStringLiteral("M4V")};
const QList<int> kFrameRates = {24, 25, 30, 60, 120};
const QList<int> kSampleRates = {8000, 11025, 22050, 44100, 48000};
const QStringList kPositionNames = {
    QStringLiteral("lefttop"),    QStringLiteral("top"),    QStringLiteral("righttop"),
    QStringLiteral("left"),       QStringLiteral("center"), QStringLiteral("right"),
    QStringLiteral("leftbottom"), QStringLiteral("bottom"), QStringLiteral("rightbottom")};

const QStringList kMotionNames = {QStringLiteral("none"),      QStringLiteral("zoom-in"),
                                  QStringLiteral("zoom-out"),  QStringLiteral("pan-left"),
                                  QStringLiteral("pan-right"), QStringLiteral("pan-up"),
                                  QStringLiteral("pan-down")};
const QStringList kEffectNames = {QStringLiteral("plain"), QStringLiteral("outline"),
                                  QStringLiteral("shadow")};
// Caption sizes are fractions of the output height, written to the thousandth.
constexpr int kCaptionSizeDigits = 3;
constexpr int kMaxCaptionChars = 1000;

// The bounds of values a file may hold; bit rates as vmalbum-export takes them.
constexpr int kMinDurationSeconds = 1;
constexpr int kMaxDurationSeconds = 60;
constexpr int kMaxPixelSize = 1000; // the font dialog's 512 pt is 682 px
constexpr int kMaxVideoKbps = 1000000;
constexpr int kMaxAudioKbps = 100000;
// A transition name quoted in a message is cut to this many characters.
constexpr int kQuotedNameChars = 40;

// Colours are written "#rrggbb", and only so.
bool isRgbText(const QString &szText)
{
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    return rgb.match(szText).hasMatch();
}

QString joined(const QStringList &texts)
{
    return texts.join(QLatin1Char(' '));
}

QString joined(const QList<int> &values)
{
    QStringList texts;
    for (int v : values)
        texts << QString::number(v);
    return joined(texts);
}

int mod23(qint64 v)
{
    return int(((v % kTransitionKindCount) + kTransitionKindCount) % kTransitionKindCount);
}

QString heightText(int iHeight)
{
    for (const QString &text : kHeightTexts) {
        if (heightFromText(text) == iHeight)
            return text;
    }
    return QStringLiteral("1080P");
}

// Paths: absolute in the document; in the file relative to the album's folder when beneath it.
QString absolutePath(const QString &szPath, const QString &szAlbumDir)
{
    // By the slash alone: Qt takes a name that starts with ':' (":beach.jpg", a fine file name)
    // for one of its resources, and would neither join it to the folder nor find the file.
    if (szPath.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(szPath);
    const QString base = szAlbumDir.isEmpty() ? QDir::currentPath() : szAlbumDir;
    return QDir::cleanPath(base + QLatin1Char('/') + szPath);
}

QString storedPath(const QString &szPath, const QString &szAlbumDir)
{
    const QString path = QDir::cleanPath(QFileInfo(szPath).absoluteFilePath());
    if (szAlbumDir.isEmpty())
        return path;
    const QString dir = QDir::cleanPath(QDir(szAlbumDir).absolutePath());
    if (path == dir)
        return QStringLiteral(".");
    const QString prefix = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    return path.startsWith(prefix) ? path.mid(prefix.size()) : path;
}

// Reads one album; the first fault found is kept, with its place in the file.
class Reader
{
public:
    explicit Reader(const QString &szAlbumDir) : m_dir(szAlbumDir) {}

    QString error;

    bool fail(const QString &szMessage)
    {
        if (error.isEmpty())
            error = szMessage;
        return false;
    }

    // A whole number from lo to hi; an absent key keeps *out.
    template <typename T>
    bool number(const QJsonObject &o, const QString &szKey, const QString &szWhere, qint64 lo,
                qint64 hi, T *out)
    {
        const auto it = o.constFind(szKey);
        if (it == o.constEnd())
            return true;
        const double v = it->toDouble(std::nan(""));
        // Compared as doubles before any conversion: 1e300 must not reach an integer cast.
        if (!it->isDouble() || !std::isfinite(v) || v != std::floor(v) || v < double(lo) ||
            v > double(hi))
            return fail(AlbumFile::tr("\"%1\": a whole number from %2 to %3")
                            .arg(szWhere, QString::number(lo), QString::number(hi)));
        *out = T(v);
        return true;
    }

    // Seconds from lo to hi as microseconds, exactly to the microsecond; an absent key keeps
    // *out.
    bool seconds(const QJsonObject &o, const QString &szKey, const QString &szWhere, int64_t lo,
                 int64_t hi, int64_t *out)
    {
        const auto it = o.constFind(szKey);
        if (it == o.constEnd())
            return true;
        const double v = it->toDouble(std::nan(""));
        const double us = v * 1e6;
        if (!it->isDouble() || !std::isfinite(v) || us < double(lo) - 0.5 || us > double(hi) + 0.5)
            return fail(AlbumFile::tr("\"%1\": seconds from %2 to %3")
                            .arg(szWhere, secondsText(lo), secondsText(hi)));
        *out = std::clamp<int64_t>(std::llround(us), lo, hi);
        return true;
    }

    // One of the given whole numbers; an absent key keeps *out.
    bool numberOf(const QJsonObject &o, const QString &szKey, const QString &szWhere,
                  const QList<int> &values, int *out)
    {
        const auto it = o.constFind(szKey);
        if (it == o.constEnd())
            return true;
        const double v = it->toDouble(std::nan(""));
        for (int value : values) {
            if (it->isDouble() && v == double(value)) {
                *out = value;
                return true;
            }
        }
        return fail(AlbumFile::tr("\"%1\": one of %2").arg(szWhere, joined(values)));
    }

    // Any text; an absent key keeps *out.
    bool text(const QJsonObject &o, const QString &szKey, const QString &szWhere, QString *out)
    {
        const auto it = o.constFind(szKey);
        if (it == o.constEnd())
            return true;
        if (!it->isString())
            return fail(AlbumFile::tr("\"%1\": a text").arg(szWhere));
        *out = it->toString();
        return true;
    }

    // One of the given texts; an absent key keeps *out.
    bool choice(const QJsonObject &o, const QString &szKey, const QString &szWhere,
                const QStringList &choices, QString *out)
    {
        QString value = *out;
        if (!text(o, szKey, szWhere, &value))
            return false;
        if (!choices.contains(value))
            return fail(AlbumFile::tr("\"%1\": one of %2").arg(szWhere, joined(choices)));
        *out = value;
        return true;
    }

    // A file name, made absolute. Line breaks and NUL are refused: such a name cannot be told
    // apart in a report, and no picture of ours carries one. bRequired: an absent key is an error.
    bool path(const QJsonObject &o, const QString &szKey, const QString &szWhere, bool bRequired,
              QString *out)
    {
        if (!o.contains(szKey))
            return bRequired ? fail(AlbumFile::tr("\"%1\" is missing").arg(szWhere)) : true;
        QString value;
        if (!text(o, szKey, szWhere, &value))
            return false;
        if (value.isEmpty())
            return fail(AlbumFile::tr("\"%1\": a file name, not an empty text").arg(szWhere));
        if (!isPlainName(value))
            return fail(AlbumFile::tr("\"%1\": a file name without line breaks or NUL characters")
                            .arg(szWhere));
        *out = absolutePath(value, m_dir);
        return true;
    }

    static bool isPlainName(const QString &szName) { return fileNameFitsAlbum(szName); }

    // An object, or null (*pIsNull set) when bNullable; an absent key counts as null.
    bool object(const QJsonObject &o, const QString &szKey, const QString &szWhere,
                QJsonObject *out, bool *pIsNull)
    {
        const auto it = o.constFind(szKey);
        *pIsNull = it == o.constEnd() || it->isNull();
        if (*pIsNull)
            return true;
        if (!it->isObject())
            return fail(AlbumFile::tr("\"%1\": null or an object").arg(szWhere));
        *out = it->toObject();
        return true;
    }

    bool read(const QByteArray &json, StoredAlbum &album);

    // "black", "blur" or "#rrggbb"; an absent key keeps *out.
    bool fill(const QJsonObject &o, const QString &szKey, const QString &szWhere, Fill *out)
    {
        const auto it = o.constFind(szKey);
        if (it == o.constEnd())
            return true;
        if (!it->isString() || !fillFromName(it->toString(), out))
            return fail(
                AlbumFile::tr("\"%1\": \"black\", \"blur\", \"crop\" or a colour written #rrggbb")
                    .arg(szWhere));
        return true;
    }

    // [x, y, w, h] as fractions of the picture, within it.
    bool rect(const QJsonObject &o, const QString &szKey, const QString &szWhere, QRectF *out)
    {
        const auto it = o.constFind(szKey);
        const QJsonArray a = it == o.constEnd() ? QJsonArray() : it->toArray();
        QRectF r;
        if (a.size() == 4 && a.at(0).isDouble() && a.at(1).isDouble() && a.at(2).isDouble() &&
            a.at(3).isDouble())
            r = QRectF(a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(),
                       a.at(3).toDouble());
        if (!motionRectValid(r))
            return fail(AlbumFile::tr("\"%1\": [x, y, width, height], fractions of the picture "
                                      "that lie within it")
                            .arg(szWhere));
        *out = r;
        return true;
    }

    bool motion(const QJsonObject &o, const QString &szWhere, Motion *out);
    bool caption(const QJsonObject &o, const QString &szWhere, Caption *out);
    bool clip(const QJsonObject &o, const QString &szWhere, ClipOptions *out);
    bool duck(const QJsonObject &music, StoredAlbum &album);
    // A fraction from lo to hi given as a number, kept as whole hundredths.
    bool hundredths(const QJsonObject &o, const QString &szKey, const QString &szWhere, int lo,
                    int hi, int *out)
    {
        const auto it = o.constFind(szKey);
        if (it == o.constEnd())
            return true;
        const double v = it->toDouble(std::nan(""));
        if (!it->isDouble() || !std::isfinite(v) || v * 100 < lo - 0.5 || v * 100 > hi + 0.5)
            return fail(
                AlbumFile::tr("\"%1\": a number from %2 to %3")
                    .arg(szWhere, QString::number(lo / 100.0), QString::number(hi / 100.0)));
        *out = std::clamp(int(std::lround(v * 100)), lo, hi);
        return true;
    }

private:
    bool readPictures(const QJsonObject &root, StoredAlbum &album);
    bool readWatermark(const QJsonObject &root, StoredAlbum &album);
    bool readExport(const QJsonObject &root, StoredAlbum &album);
    bool readMusicShape(const QJsonObject &music, MusicShape &shape);
    bool readMusicTracks(const QJsonObject &music, StoredAlbum &album);
    bool readBeatCut(const QJsonObject &music, StoredAlbum &album);
    bool beats(const QJsonObject &o, const QString &szWhere, BeatCorrection *out);

    QString m_dir;
};

bool Reader::read(const QByteArray &json, StoredAlbum &album)
{
    if (json.size() > kMaxAlbumFileBytes)
        return fail(AlbumFile::tr("It is larger than an album file can be (%1 bytes; at most %2)")
                        .arg(QString::number(json.size()), QString::number(kMaxAlbumFileBytes)));
    // A byte-order mark, as some editors write one, is no reason to refuse the file.
    const QByteArray body = json.startsWith("\xEF\xBB\xBF") ? json.mid(3) : json;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(AlbumFile::tr("Not valid JSON: %1 at byte %2")
                        .arg(parseError.errorString(), QString::number(parseError.offset)));
    if (!doc.isObject())
        return fail(AlbumFile::tr("Not an album file: it holds no JSON object"));
    const QJsonObject root = doc.object();

    const auto version = root.constFind(kVersionKey);
    if (version == root.constEnd())
        return fail(AlbumFile::tr("Not an album file: \"%1\" is missing").arg(kVersionKey));
    const double v = version->toDouble(std::nan(""));
    if (!version->isDouble() || !std::isfinite(v) || v != std::floor(v))
        return fail(AlbumFile::tr("\"%1\": a whole number").arg(kVersionKey));
    if (v != kAlbumFileVersion)
        return fail(
            AlbumFile::tr("\"%1\": version %2 is not one this program reads (it reads version %3)")
                .arg(kVersionKey, QString::number(v, 'g', 17), QString::number(kAlbumFileVersion)));

    album = StoredAlbum();
    if (!readPictures(root, album))
        return false;
    if (!number(root, QStringLiteral("duration"), QStringLiteral("duration"), kMinDurationSeconds,
                kMaxDurationSeconds, &album.durationSeconds) ||
        !number(root, QStringLiteral("transitionStart"), QStringLiteral("transitionStart"), 0,
                kTransitionKindCount - 1, &album.transitionStart) ||
        !choice(root, QStringLiteral("ratio"), QStringLiteral("ratio"), kRatioTexts,
                &album.ratio) ||
        !choice(root, QStringLiteral("height"), QStringLiteral("height"), kHeightTexts,
                &album.height) ||
        !fill(root, QStringLiteral("fill"), QStringLiteral("fill"), &album.fill))
        return false;
    QString motion = QStringLiteral("none");
    if (!choice(root, QStringLiteral("motion"), QStringLiteral("motion"),
                {QStringLiteral("none"), QStringLiteral("gentle")}, &motion))
        return false;
    album.gentleMotion = motion == QLatin1String("gentle");
    const auto faces = root.constFind(QStringLiteral("faces"));
    if (faces != root.constEnd()) {
        if (!faces->isBool())
            return fail(AlbumFile::tr("\"%1\": true or false").arg(QStringLiteral("faces")));
        album.keepFaces = faces->toBool();
    }

    QJsonObject music;
    bool bNoMusic = true;
    if (!object(root, QStringLiteral("music"), QStringLiteral("music"), &music, &bNoMusic))
        return false;
    if (!bNoMusic && (!readMusicTracks(music, album) || !readMusicShape(music, album.musicShape) ||
                      !duck(music, album) || !readBeatCut(music, album)))
        return false;
    return readWatermark(root, album) && readExport(root, album);
}

bool Reader::readPictures(const QJsonObject &root, StoredAlbum &album)
{
    const QString key = QStringLiteral("pictures");
    const auto it = root.constFind(key);
    if (it == root.constEnd())
        return fail(AlbumFile::tr("Not an album file: \"%1\" is missing").arg(key));
    if (!it->isArray())
        return fail(AlbumFile::tr("\"%1\": a list").arg(key));
    const QJsonArray pictures = it->toArray();
    // Counted before any picture is looked at.
    if (pictures.size() > kMaxAlbumPictures)
        return fail(
            AlbumFile::tr("\"%1\": at most %2 pictures, not %3")
                .arg(key, QString::number(kMaxAlbumPictures), QString::number(pictures.size())));
    album.pictures.reserve(pictures.size());
    for (int i = 0; i < pictures.size(); ++i) {
        const QString where = QStringLiteral("pictures[%1]").arg(i);
        const QJsonValue value = pictures.at(i);
        if (!value.isObject())
            return fail(AlbumFile::tr("\"%1\": an object").arg(where));
        const QJsonObject o = value.toObject();
        AlbumPicture picture;
        if (!path(o, QStringLiteral("file"), where + QStringLiteral(".file"), true, &picture.file))
            return false;
        if (!motion(o, where + QStringLiteral(".motion"), &picture.motion) ||
            !caption(o, where + QStringLiteral(".caption"), &picture.caption) ||
            !clip(o, where + QStringLiteral(".clip"), &picture.clip) ||
            !fill(o, QStringLiteral("fill"), where + QStringLiteral(".fill"), &picture.fill))
            return false;
        QJsonObject transition;
        bool bNone = true;
        const QString transitionWhere = where + QStringLiteral(".transition");
        if (!object(o, QStringLiteral("transition"), transitionWhere, &transition, &bNone))
            return false;
        if (!seconds(o, QStringLiteral("duration"), where + QStringLiteral(".duration"),
                     kMinPictureDuration, kMaxPictureDuration, &picture.duration))
            return false;
        if (!bNone) {
            const QString kindWhere = transitionWhere + QStringLiteral(".kind");
            if (!transition.contains(QStringLiteral("kind")))
                return fail(AlbumFile::tr("\"%1\" is missing").arg(kindWhere));
            QString kind;
            if (!text(transition, QStringLiteral("kind"), kindWhere, &kind))
                return false;
            if (!seconds(transition, QStringLiteral("seconds"),
                         transitionWhere + QStringLiteral(".seconds"), kMinTransitionLength,
                         kMaxTransitionLength, &picture.transitionLength))
                return false;
            bool bChosen = false;
            const auto chosen = transition.constFind(QStringLiteral("chosen"));
            if (chosen != transition.constEnd()) {
                if (!chosen->isBool())
                    return fail(AlbumFile::tr("\"%1\": true or false")
                                    .arg(transitionWhere + QStringLiteral(".chosen")));
                bChosen = chosen->toBool();
            }
            if (kind == QLatin1String("none")) {
                picture.transition = TransitionChoice::None;
                album.pictures.append(picture);
                continue;
            }
            // "random": drawn from the table, as a picture without a stored kind.
            if (kind == QLatin1String("random")) {
                album.pictures.append(picture);
                continue;
            }
            picture.transitionRow = transitionRowFromName(kind);
            if (bChosen)
                picture.transition = TransitionChoice::Chosen;
            if (picture.transitionRow < 0) {
                const QString shown = kind.size() > kQuotedNameChars
                                          ? kind.left(kQuotedNameChars) + QChar(0x2026)
                                          : kind;
                return fail(AlbumFile::tr("\"%1\": \"%2\" is not a known transition")
                                .arg(kindWhere, shown));
            }
        }
        album.pictures.append(picture);
    }
    return true;
}

bool Reader::motion(const QJsonObject &o, const QString &szWhere, Motion *out)
{
    QJsonObject m;
    bool bNone = true;
    if (!object(o, QStringLiteral("motion"), szWhere, &m, &bNone))
        return false;
    if (bNone)
        return true;
    if (m.contains(QStringLiteral("preset"))) {
        QString preset;
        if (!choice(m, QStringLiteral("preset"), szWhere + QStringLiteral(".preset"), kMotionNames,
                    &preset))
            return false;
        out->kind = motionPresetFromName(preset);
        return true;
    }
    out->kind = MotionKind::Custom;
    return rect(m, QStringLiteral("from"), szWhere + QStringLiteral(".from"), &out->from) &&
           rect(m, QStringLiteral("to"), szWhere + QStringLiteral(".to"), &out->to);
}

bool Reader::caption(const QJsonObject &o, const QString &szWhere, Caption *out)
{
    QJsonObject c;
    bool bNone = true;
    if (!object(o, QStringLiteral("caption"), szWhere, &c, &bNone))
        return false;
    if (bNone)
        return true;
    Caption caption;
    QString position = watermarkPositionName(caption.position);
    QString effect = textEffectName(caption.effect);
    QString colour = QColor::fromRgb(caption.colour).name();
    if (!text(c, QStringLiteral("text"), szWhere + QStringLiteral(".text"), &caption.text) ||
        !text(c, QStringLiteral("family"), szWhere + QStringLiteral(".family"), &caption.family) ||
        !choice(c, QStringLiteral("position"), szWhere + QStringLiteral(".position"),
                kPositionNames, &position) ||
        !choice(c, QStringLiteral("effect"), szWhere + QStringLiteral(".effect"), kEffectNames,
                &effect) ||
        !text(c, QStringLiteral("color"), szWhere + QStringLiteral(".color"), &colour))
        return false;
    if (!isRgbText(colour))
        return fail(AlbumFile::tr("\"%1\": a colour written #rrggbb")
                        .arg(szWhere + QStringLiteral(".color")));
    const auto size = c.constFind(QStringLiteral("size"));
    if (size != c.constEnd()) {
        const double v = size->toDouble(std::nan(""));
        if (!size->isDouble() || !(v >= kMinCaptionSize && v <= kMaxCaptionSize))
            return fail(AlbumFile::tr("\"%1\": a share of the picture height from %2 to %3")
                            .arg(szWhere + QStringLiteral(".size"),
                                 QString::number(kMinCaptionSize),
                                 QString::number(kMaxCaptionSize)));
        caption.sizeOfHeight = v;
    }
    if (caption.text.size() > kMaxCaptionChars)
        return fail(AlbumFile::tr("\"%1\": at most %2 characters")
                        .arg(szWhere + QStringLiteral(".text"), QString::number(kMaxCaptionChars)));
    caption.colour = QColor(colour).rgb();
    caption.position = watermarkPositionFromName(position);
    caption.effect = TextEffect(kEffectNames.indexOf(effect));
    *out = caption;
    return true;
}

bool Reader::clip(const QJsonObject &o, const QString &szWhere, ClipOptions *out)
{
    QJsonObject c;
    bool bNone = true;
    if (!object(o, QStringLiteral("clip"), szWhere, &c, &bNone))
        return false;
    if (bNone)
        return true;
    ClipOptions clip;
    if (!seconds(c, QStringLiteral("in"), szWhere + QStringLiteral(".in"), 0, kMaxClipDuration,
                 &clip.in) ||
        !seconds(c, QStringLiteral("out"), szWhere + QStringLiteral(".out"), 0, kMaxClipDuration,
                 &clip.out) ||
        !hundredths(c, QStringLiteral("volume"), szWhere + QStringLiteral(".volume"), 0,
                    kMaxClipVolume, &clip.volume) ||
        !hundredths(c, QStringLiteral("speed"), szWhere + QStringLiteral(".speed"), kMinClipSpeed,
                    kMaxClipSpeed, &clip.speed))
        return false;
    const auto mute = c.constFind(QStringLiteral("mute"));
    if (mute != c.constEnd()) {
        if (!mute->isBool())
            return fail(
                AlbumFile::tr("\"%1\": true or false").arg(szWhere + QStringLiteral(".mute")));
        clip.mute = mute->toBool();
    }
    if (clip.out > 0 && clip.out <= clip.in)
        return fail(AlbumFile::tr("\"%1\": \"out\" after \"in\"").arg(szWhere));
    *out = clip;
    return true;
}

bool Reader::duck(const QJsonObject &music, StoredAlbum &album)
{
    const auto it = music.constFind(QStringLiteral("duck"));
    if (it != music.constEnd() && it->toString() == QLatin1String("pause")) {
        album.pauseMusicForClips = true;
        // The level chosen before "pause", for when ducking is chosen again.
        return number(music, QStringLiteral("duckLevel"), QStringLiteral("music.duckLevel"), 0,
                      kMaxDuckDb, &album.duckDb);
    }
    if (it != music.constEnd() && !it->isDouble())
        return fail(AlbumFile::tr("\"%1\": decibels from 0 to %2, or \"pause\"")
                        .arg(QStringLiteral("music.duck"), QString::number(kMaxDuckDb)));
    return number(music, QStringLiteral("duck"), QStringLiteral("music.duck"), 0, kMaxDuckDb,
                  &album.duckDb);
}

bool Reader::beats(const QJsonObject &o, const QString &szWhere, BeatCorrection *out)
{
    QJsonObject b;
    bool bNone = true;
    if (!object(o, QStringLiteral("beats"), szWhere, &b, &bNone))
        return false;
    *out = BeatCorrection();
    if (bNone)
        return true;
    QString tempo = QStringLiteral("found");
    if (!seconds(b, QStringLiteral("shift"), szWhere + QStringLiteral(".shift"), -kMaxBeatShift,
                 kMaxBeatShift, &out->shift) ||
        !choice(b, QStringLiteral("tempo"), szWhere + QStringLiteral(".tempo"),
                {QStringLiteral("found"), QStringLiteral("half"), QStringLiteral("double")},
                &tempo) ||
        !number(b, QStringLiteral("barPhase"), szWhere + QStringLiteral(".barPhase"), 0, 3,
                &out->barPhase))
        return false;
    out->tempo = tempo == QLatin1String("half") ? -1 : tempo == QLatin1String("double") ? 1 : 0;
    return true;
}

bool Reader::readBeatCut(const QJsonObject &music, StoredAlbum &album)
{
    const auto it = music.constFind(QStringLiteral("cut"));
    if (it == music.constEnd())
        return true;
    const std::optional<BeatCut> cut =
        it->isString() ? beatCutFromName(it->toString()) : std::nullopt;
    if (!cut || it->toString().isEmpty())
        return fail(
            AlbumFile::tr("\"%1\": \"beat\", \"2\", \"bar\", \"2bars\", \"auto\" or \"off\"")
                .arg(QStringLiteral("music.cut")));
    album.beatCut = *cut;
    const auto fit = music.constFind(QStringLiteral("fit"));
    if (fit != music.constEnd() && !fit->isBool())
        return fail(AlbumFile::tr("\"%1\": true or false").arg(QStringLiteral("music.fit")));
    album.beatFit = *cut != BeatCut::Off && fit != music.constEnd() && fit->toBool();
    return true;
}

bool Reader::readMusicTracks(const QJsonObject &music, StoredAlbum &album)
{
    const auto it = music.constFind(QStringLiteral("tracks"));
    if (it == music.constEnd()) {
        BeatCorrection correction;
        if (!beats(music, QStringLiteral("music.beats"), &correction))
            return false;
        album.beatCorrections = keptBeatCorrections({correction}, 1);
        return path(music, QStringLiteral("file"), QStringLiteral("music.file"), true,
                    &album.music);
    }
    const QJsonArray tracks = it->toArray();
    if (!it->isArray() || tracks.isEmpty())
        return fail(AlbumFile::tr("\"%1\": a list of one or more tracks")
                        .arg(QStringLiteral("music.tracks")));
    QStringList files;
    QList<BeatCorrection> corrections;
    for (int i = 0; i < tracks.size(); ++i) {
        const QString where = QStringLiteral("music.tracks[%1]").arg(i);
        if (!tracks.at(i).isObject())
            return fail(AlbumFile::tr("\"%1\": an object").arg(where));
        QString file;
        BeatCorrection correction;
        if (!path(tracks.at(i).toObject(), QStringLiteral("file"), where + QStringLiteral(".file"),
                  true, &file) ||
            !beats(tracks.at(i).toObject(), where + QStringLiteral(".beats"), &correction))
            return false;
        files.append(file);
        corrections.append(correction);
    }
    album.beatCorrections = keptBeatCorrections(corrections, int(corrections.size()));
    album.music = files.takeFirst();
    album.musicMore = files;
    return seconds(music, QStringLiteral("crossfade"), QStringLiteral("music.crossfade"), 0,
                   kMaxMusicCrossfade, &album.musicCrossfade);
}

bool Reader::readMusicShape(const QJsonObject &music, MusicShape &shape)
{
    if (!seconds(music, QStringLiteral("start"), QStringLiteral("music.start"), 0, kMaxMusicStart,
                 &shape.start) ||
        !seconds(music, QStringLiteral("fadeIn"), QStringLiteral("music.fadeIn"), 0, kMaxMusicFade,
                 &shape.fadeIn) ||
        !seconds(music, QStringLiteral("fadeOut"), QStringLiteral("music.fadeOut"), 0,
                 kMaxMusicFade, &shape.fadeOut))
        return false;
    const auto it = music.constFind(QStringLiteral("volume"));
    if (it == music.constEnd())
        return true;
    const double v = it->toDouble(std::nan(""));
    if (!it->isDouble() || !std::isfinite(v) || v < 0 || v > kMaxMusicVolume)
        return fail(AlbumFile::tr("\"%1\": a number from %2 to %3")
                        .arg(QStringLiteral("music.volume"), QStringLiteral("0"),
                             QString::number(kMaxMusicVolume)));
    shape.volume = v;
    return true;
}

bool Reader::readWatermark(const QJsonObject &root, StoredAlbum &album)
{
    QJsonObject mark;
    bool bNone = true;
    if (!object(root, QStringLiteral("watermark"), QStringLiteral("watermark"), &mark, &bNone))
        return false;
    if (bNone)
        return true;
    const bool bText = mark.contains(QStringLiteral("text"));
    const bool bImage = mark.contains(QStringLiteral("image"));
    if (bText && bImage)
        return fail(AlbumFile::tr("\"%1\": either \"text\" or \"image\", not both")
                        .arg(QStringLiteral("watermark")));
    if (!bText && !bImage)
        return fail(AlbumFile::tr("\"%1\": an object with \"text\" or \"image\"")
                        .arg(QStringLiteral("watermark")));
    QString position = watermarkPositionName(album.watermarkPosition);
    if (!choice(mark, QStringLiteral("position"), QStringLiteral("watermark.position"),
                kPositionNames, &position))
        return false;
    album.watermarkPosition = watermarkPositionFromName(position);
    if (bImage) {
        album.watermarkType = WatermarkPicture;
        return path(mark, QStringLiteral("image"), QStringLiteral("watermark.image"), true,
                    &album.watermarkImage);
    }
    album.watermarkType = WatermarkText;
    if (!text(mark, QStringLiteral("text"), QStringLiteral("watermark.text"),
              &album.watermarkText) ||
        !text(mark, QStringLiteral("family"), QStringLiteral("watermark.family"),
              &album.watermarkFamily) ||
        !number(mark, QStringLiteral("pixelSize"), QStringLiteral("watermark.pixelSize"), 1,
                kMaxPixelSize, &album.watermarkPixelSize))
        return false;
    QString effect = textEffectName(album.watermarkEffect);
    if (!choice(mark, QStringLiteral("effect"), QStringLiteral("watermark.effect"), kEffectNames,
                &effect))
        return false;
    album.watermarkEffect = TextEffect(kEffectNames.indexOf(effect));
    const auto color = mark.constFind(QStringLiteral("color"));
    if (color != mark.constEnd() && !color->isNull()) {
        if (!color->isString() || !isRgbText(color->toString()))
            return fail(AlbumFile::tr("\"%1\": a colour written #rrggbb")
                            .arg(QStringLiteral("watermark.color")));
        album.watermarkColor = QColor(color->toString());
    }
    return true;
}

bool Reader::readExport(const QJsonObject &root, StoredAlbum &album)
{
    QJsonObject o;
    bool bNone = true;
    if (!object(root, QStringLiteral("export"), QStringLiteral("export"), &o, &bNone))
        return false;
    if (bNone)
        return true;
    AlbumExportChoices c;
    if (!choice(o, QStringLiteral("format"), QStringLiteral("export.format"), kFormats,
                &c.format) ||
        !numberOf(o, QStringLiteral("fps"), QStringLiteral("export.fps"), kFrameRates, &c.fps) ||
        !number(o, QStringLiteral("videoBitrate"), QStringLiteral("export.videoBitrate"), 0,
                kMaxVideoKbps, &c.videoBitrateKbps) ||
        !number(o, QStringLiteral("audioBitrate"), QStringLiteral("export.audioBitrate"), 0,
                kMaxAudioKbps, &c.audioBitrateKbps) ||
        !numberOf(o, QStringLiteral("sampleRate"), QStringLiteral("export.sampleRate"),
                  kSampleRates, &c.sampleRate))
        return false;
    // Both may be empty ("none chosen"); a folder that is given is a path like any other.
    QString folder;
    if (!text(o, QStringLiteral("folder"), QStringLiteral("export.folder"), &folder))
        return false;
    if (!folder.isEmpty() &&
        !path(o, QStringLiteral("folder"), QStringLiteral("export.folder"), true, &c.folder))
        return false;
    if (!text(o, QStringLiteral("name"), QStringLiteral("export.name"), &c.name))
        return false;
    if (!isPlainName(c.name) || c.name.contains(QLatin1Char('/')))
        return fail(AlbumFile::tr("\"%1\": a file name without \"/\", line breaks or NUL "
                                  "characters")
                        .arg(QStringLiteral("export.name")));
    album.exportChoices = c;
    return true;
}

// JSON texts written by hand, so that the file reads in a fixed order, one picture a line.
QByteArray jsonString(const QString &szText)
{
    const QByteArray array =
        QJsonDocument(QJsonArray{QJsonValue(szText)}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // without the brackets
}

QByteArray jsonObject(const QList<QPair<QByteArray, QByteArray>> &fields)
{
    QByteArray out("{");
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += '"' + fields.at(i).first + "\": " + fields.at(i).second;
    }
    return out + '}';
}

QByteArray jsonNumber(qint64 v)
{
    return QByteArray::number(v);
}

// Fractions to a millionth: finer than any picture's pixel, and read back the same.
QByteArray jsonRect(const QRectF &r)
{
    const auto n = [](double v) { return QByteArray::number(std::round(v * 1e6) / 1e6, 'g', 7); };
    return '[' + n(r.x()) + ", " + n(r.y()) + ", " + n(r.width()) + ", " + n(r.height()) + ']';
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// As many links in a row as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;

// szFolder as QDir::cleanPath writes it when that names the same folder: a ".." after a linked
// folder leads elsewhere in the system's walk than in the text, and the system's walk counts.
QString tidyFolder(const QString &szFolder)
{
    const QString clean = QDir::cleanPath(szFolder);
    struct stat raw;
    struct stat tidy;
    if (::stat(QFile::encodeName(szFolder).constData(), &raw) != 0 ||
        (::stat(QFile::encodeName(clean).constData(), &tidy) == 0 && raw.st_dev == tidy.st_dev &&
         raw.st_ino == tidy.st_ino))
        return clean;
    return QFileInfo(szFolder).canonicalFilePath();
}

// The file an album named szPath really is: every symbolic link on the way followed, the last
// one possibly dangling (the file it names is then made by a save). Saving beside the real file
// keeps the links links, and relative paths in the file belong to the real file's folder.
// Empty, with *pErrno set, when a link cannot be followed (a loop, an unreadable link).
QString followLinks(const QString &szPath, int *pErrno)
{
    QString path = QFileInfo(szPath).absoluteFilePath();
    for (int iHops = 0;; ++iHops) {
        const QByteArray name = QFile::encodeName(path);
        struct stat st;
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        if (iHops == kMaxLinkHops) {
            *pErrno = ELOOP;
            return QString();
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(name.constData(), target.data(), size_t(target.size()));
        if (n < 0 || n == target.size()) {
            *pErrno = n < 0 ? errno : ENAMETOOLONG;
            return QString();
        }
        target.truncate(int(n));
        const QString next = QFile::decodeName(target);
        // A relative target is taken from the link's own folder, as the system takes it.
        path = next.startsWith(QLatin1Char('/'))
                   ? next
                   : path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + next;
    }
    const int iSlash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = tidyFolder(iSlash > 0 ? path.left(iSlash) : QStringLiteral("/"));
    return (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) +
           path.mid(iSlash + 1);
}

} // namespace

int StoredAlbum::transitionRowFor(int slot) const
{
    if (slot >= 0 && slot < pictures.size()) {
        const int row = pictures.at(slot).transitionRow;
        if (row >= 0 && row < kTransitionKindCount)
            return row;
    }
    return mod23(qint64(transitionStart) + 3 * qint64(slot));
}

const TransitionKind *StoredAlbum::transitionKindFor(int slot) const
{
    return &kTransitionKinds[transitionRowFor(slot)];
}

bool operator==(const AlbumPicture &a, const AlbumPicture &b)
{
    return a.file == b.file && a.transitionRow == b.transitionRow && a.duration == b.duration &&
           a.transition == b.transition && a.transitionLength == b.transitionLength &&
           a.motion == b.motion && a.fill == b.fill && a.caption == b.caption && a.clip == b.clip;
}

bool operator==(const AlbumExportChoices &a, const AlbumExportChoices &b)
{
    return a.format == b.format && a.fps == b.fps && a.videoBitrateKbps == b.videoBitrateKbps &&
           a.audioBitrateKbps == b.audioBitrateKbps && a.sampleRate == b.sampleRate &&
           a.folder == b.folder && a.name == b.name;
}

bool operator==(const StoredAlbum &a, const StoredAlbum &b)
{
    return a.pictures == b.pictures && a.durationSeconds == b.durationSeconds &&
           a.transitionStart == b.transitionStart && a.ratio == b.ratio && a.height == b.height &&
           a.music == b.music && a.musicShape == b.musicShape && a.musicMore == b.musicMore &&
           a.musicCrossfade == b.musicCrossfade && a.duckDb == b.duckDb &&
           a.pauseMusicForClips == b.pauseMusicForClips && a.beatCut == b.beatCut &&
           a.beatFit == b.beatFit && a.beatCorrections == b.beatCorrections &&
           a.watermarkType == b.watermarkType && a.watermarkText == b.watermarkText &&
           a.watermarkFamily == b.watermarkFamily && a.watermarkPixelSize == b.watermarkPixelSize &&
           a.watermarkColor == b.watermarkColor && a.watermarkImage == b.watermarkImage &&
           a.watermarkPosition == b.watermarkPosition && a.watermarkEffect == b.watermarkEffect &&
           a.gentleMotion == b.gentleMotion && a.fill == b.fill && a.keepFaces == b.keepFaces &&
           a.exportChoices == b.exportChoices;
}

QList<BeatCorrection> keptBeatCorrections(const QList<BeatCorrection> &corrections, int tracks)
{
    QList<BeatCorrection> kept = corrections.mid(0, std::max(0, tracks));
    while (!kept.isEmpty() && kept.last().isDefault())
        kept.removeLast();
    return kept;
}

int transitionRowOf(const TransitionKind *pKind)
{
    for (int row = 0; row < kTransitionKindCount; ++row) {
        if (pKind == &kTransitionKinds[row])
            return row;
    }
    return -1;
}

int transitionRowFromName(const QString &szName)
{
    for (int row = 0; row < kTransitionKindCount; ++row) {
        if (szName == QLatin1String(kTransitionKinds[row].transitionName))
            return row;
    }
    return -1;
}

QString watermarkPositionName(int iPosition)
{
    for (int i = 0; i < kPositionNames.size(); ++i) {
        if (iPosition == 1 << i)
            return kPositionNames.at(i);
    }
    return QString();
}

int watermarkPositionFromName(const QString &szName)
{
    const int i = kPositionNames.indexOf(szName);
    return i < 0 ? 0 : 1 << i;
}

QString motionPresetName(MotionKind kind)
{
    const int i = int(kind) - int(MotionKind::None);
    return i >= 0 && i < kMotionNames.size() ? kMotionNames.at(i) : QString();
}

MotionKind motionPresetFromName(const QString &szName)
{
    const int i = kMotionNames.indexOf(szName);
    return i < 0 ? MotionKind::Album : MotionKind(int(MotionKind::None) + i);
}

QString fillName(const Fill &fill)
{
    switch (fill.kind) {
    case FillKind::Blur:
        return QStringLiteral("blur");
    case FillKind::Colour:
        return QColor::fromRgb(fill.colour).name();
    case FillKind::Crop:
        return QStringLiteral("crop");
    default:
        return QStringLiteral("black");
    }
}

bool fillFromName(const QString &szName, Fill *pFill)
{
    if (szName == QLatin1String("black"))
        *pFill = Fill{FillKind::Black, 0xff000000};
    else if (szName == QLatin1String("blur"))
        *pFill = Fill{FillKind::Blur, 0xff000000};
    else if (szName == QLatin1String("crop"))
        *pFill = Fill{FillKind::Crop, 0xff000000};
    else if (isRgbText(szName))
        *pFill = Fill{FillKind::Colour, QColor(szName).rgb()};
    else
        return false;
    return true;
}

QString textEffectName(TextEffect effect)
{
    return kEffectNames.value(int(effect), kEffectNames.first());
}

bool fileNameFitsAlbum(const QString &szPath)
{
    return !szPath.contains(QLatin1Char('\n')) && !szPath.contains(QLatin1Char('\r')) &&
           !szPath.contains(QChar(0));
}

AlbumReadResult parseAlbum(const QByteArray &json, const QString &szAlbumDir)
{
    AlbumReadResult result;
    Reader reader(szAlbumDir);
    result.ok = reader.read(json, result.album);
    result.error = reader.error;
    if (!result.ok)
        result.album = StoredAlbum();
    return result;
}

AlbumReadResult readAlbumFile(const QString &szPath)
{
    AlbumReadResult result;
    const QFileInfo info(szPath);
    if (info.isDir()) {
        result.error = AlbumFile::tr("It is a folder, not an album file");
        return result;
    }
    // A pipe or a device could block or never end; an album is a plain file.
    if (info.exists() && !info.isFile()) {
        result.error = AlbumFile::tr("It is not a regular file");
        return result;
    }
    if (info.size() > kMaxAlbumFileBytes) {
        result.error =
            AlbumFile::tr("It is larger than an album file can be (%1 bytes; at most %2)")
                .arg(QString::number(info.size()), QString::number(kMaxAlbumFileBytes));
        return result;
    }
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            AlbumFile::tr("Cannot open it: %1").arg(translatedSystemText(file.errorString()));
        return result;
    }
    // One byte past the limit: a file that grew since it was measured is still refused.
    const QByteArray bytes = file.read(kMaxAlbumFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error =
            AlbumFile::tr("Cannot read it: %1").arg(translatedSystemText(file.errorString()));
        return result;
    }
    // Paths in the file are relative to the real file's folder, not to a link's.
    int iLinkError = 0;
    const QString real = followLinks(szPath, &iLinkError);
    return parseAlbum(bytes,
                      QFileInfo(real.isEmpty() ? info.absoluteFilePath() : real).absolutePath());
}

QByteArray serializeAlbum(const StoredAlbum &album, const QString &szAlbumDir)
{
    using Fields = QList<QPair<QByteArray, QByteArray>>;
    const auto path = [&szAlbumDir](const QString &szPath) {
        return jsonString(storedPath(szPath, szAlbumDir));
    };
    QByteArray out("{\n");
    out += "    \"velmoraalbum\": " + jsonNumber(kAlbumFileVersion) + ",\n";
    if (album.pictures.isEmpty()) {
        out += "    \"pictures\": [],\n";
    } else {
        out += "    \"pictures\": [\n";
        for (int i = 0; i < album.pictures.size(); ++i) {
            const AlbumPicture &p = album.pictures.at(i);
            Fields fields{{"file", path(p.file)}};
            if (p.duration > 0)
                fields.append({"duration", secondsText(p.duration).toUtf8()});
            Fields transition;
            if (p.transition == TransitionChoice::None)
                transition.append({"kind", jsonString(QStringLiteral("none"))});
            else if (p.transitionRow >= 0 && p.transitionRow < kTransitionKindCount)
                transition.append({"kind", jsonString(QLatin1String(
                                               kTransitionKinds[p.transitionRow].transitionName))});
            else if (p.transitionLength > 0)
                transition.append({"kind", jsonString(QStringLiteral("random"))});
            if (!transition.isEmpty()) {
                if (p.transitionLength > 0)
                    transition.append({"seconds", secondsText(p.transitionLength).toUtf8()});
                if (p.transition == TransitionChoice::Chosen && p.transitionRow >= 0)
                    transition.append({"chosen", QByteArray("true")});
                fields.append({"transition", jsonObject(transition)});
            }
            if (p.motion.kind == MotionKind::Custom) {
                fields.append({"motion", jsonObject({{"from", jsonRect(p.motion.from)},
                                                     {"to", jsonRect(p.motion.to)}})});
            } else if (p.motion.kind != MotionKind::Album) {
                fields.append(
                    {"motion",
                     jsonObject({{"preset", jsonString(motionPresetName(p.motion.kind))}})});
            }
            if (!p.caption.isEmpty()) {
                const Caption &c = p.caption;
                Fields caption{{"text", jsonString(c.text)}};
                if (!c.family.isEmpty())
                    caption.append({"family", jsonString(c.family)});
                caption.append(
                    {"size", QByteArray::number(c.sizeOfHeight, 'g', kCaptionSizeDigits)});
                caption.append({"color", jsonString(QColor::fromRgb(c.colour).name())});
                caption.append({"position", jsonString(watermarkPositionName(c.position))});
                caption.append({"effect", jsonString(textEffectName(c.effect))});
                fields.append({"caption", jsonObject(caption)});
            }
            if (p.fill.kind != FillKind::Album)
                fields.append({"fill", jsonString(fillName(p.fill))});
            if (!p.clip.isDefault()) {
                const ClipOptions &c = p.clip;
                Fields clip{{"in", secondsText(c.in).toUtf8()}};
                if (c.out > 0)
                    clip.append({"out", secondsText(c.out).toUtf8()});
                clip.append({"volume", QByteArray::number(c.volume / 100.0, 'g', 4)});
                clip.append({"mute", QByteArray(c.mute ? "true" : "false")});
                clip.append({"speed", QByteArray::number(c.speed / 100.0, 'g', 4)});
                fields.append({"clip", jsonObject(clip)});
            }
            out += "        " + jsonObject(fields) + (i + 1 < album.pictures.size() ? ",\n" : "\n");
        }
        out += "    ],\n";
    }
    out += "    \"duration\": " + jsonNumber(album.durationSeconds) + ",\n";
    out += "    \"transitionStart\": " + jsonNumber(album.transitionStart) + ",\n";
    out += "    \"ratio\": " + jsonString(album.ratio) + ",\n";
    out += "    \"height\": " + jsonString(album.height) + ",\n";
    // The album's look, only when chosen: albums without it read as they always did.
    if (album.gentleMotion)
        out += "    \"motion\": \"gentle\",\n";
    if (album.fill.kind != FillKind::Black && album.fill.kind != FillKind::Album)
        out += "    \"fill\": " + jsonString(fillName(album.fill)) + ",\n";
    if (album.keepFaces)
        out += "    \"faces\": true,\n";
    QByteArray music("null");
    if (!album.music.isEmpty()) {
        // Only what differs from the music as it is: an unshaped album writes as it always did.
        const MusicShape &shape = album.musicShape;
        // A list keeps its first track as "file" too: an older build plays that track alone.
        Fields fields{{"file", path(album.music)}};
        // A track's corrections of its beat grid, only where it has some.
        const auto beats = [&album](int track, Fields &to) {
            const BeatCorrection correction = album.beatCorrections.value(track);
            if (correction.isDefault())
                return;
            Fields b;
            if (correction.shift != 0)
                b.append({"shift", (correction.shift < 0 ? "-" : "") +
                                       secondsText(std::llabs(correction.shift)).toUtf8()});
            if (correction.tempo != 0)
                b.append({"tempo", jsonString(correction.tempo < 0 ? QStringLiteral("half")
                                                                   : QStringLiteral("double"))});
            if (correction.barPhase != 0)
                b.append({"barPhase", jsonNumber(correction.barPhase)});
            to.append({"beats", jsonObject(b)});
        };
        if (!album.musicMore.isEmpty()) {
            QByteArray tracks("[");
            const QStringList files = QStringList{album.music} + album.musicMore;
            for (int i = 0; i < files.size(); ++i) {
                Fields track{{"file", path(files.at(i))}};
                beats(i, track);
                tracks += QByteArray(tracks.size() > 1 ? ", " : "") + jsonObject(track);
            }
            fields.append({"tracks", tracks + ']'});
            fields.append({"crossfade", secondsText(album.musicCrossfade).toUtf8()});
        } else {
            beats(0, fields);
        }
        if (album.beatCut != BeatCut::Off)
            fields.append({"cut", jsonString(beatCutName(album.beatCut))});
        if (album.beatCut != BeatCut::Off && album.beatFit)
            fields.append({"fit", QByteArray("true")});
        if (shape.start > 0)
            fields.append({"start", secondsText(shape.start).toUtf8()});
        if (shape.fadeIn > 0)
            fields.append({"fadeIn", secondsText(shape.fadeIn).toUtf8()});
        if (shape.fadeOut > 0)
            fields.append({"fadeOut", secondsText(shape.fadeOut).toUtf8()});
        if (shape.volume != 1.0)
            fields.append(
                {"volume",
                 QString::number(shape.volume, 'g', QLocale::FloatingPointShortest).toUtf8()});
        if (album.pauseMusicForClips) {
            fields.append({"duck", jsonString(QStringLiteral("pause"))});
            if (album.duckDb != kDefaultDuckDb)
                fields.append({"duckLevel", jsonNumber(album.duckDb)});
        } else if (album.duckDb != kDefaultDuckDb)
            fields.append({"duck", jsonNumber(album.duckDb)});
        music = jsonObject(fields);
    }
    out += "    \"music\": " + music + ",\n";
    QByteArray watermark("null");
    const QByteArray position = jsonString(watermarkPositionName(album.watermarkPosition));
    if (album.watermarkType == WatermarkText) {
        Fields fields{{"text", jsonString(album.watermarkText)},
                      {"family", jsonString(album.watermarkFamily)},
                      {"pixelSize", jsonNumber(album.watermarkPixelSize)}};
        // A colour never chosen is drawn black, but stays "never chosen" in the file.
        if (album.watermarkColor.isValid())
            fields.append({"color", jsonString(album.watermarkColor.name())});
        if (album.watermarkEffect != TextEffect::Plain)
            fields.append({"effect", jsonString(textEffectName(album.watermarkEffect))});
        fields.append({"position", position});
        watermark = jsonObject(fields);
    } else if (album.watermarkType == WatermarkPicture) {
        watermark = jsonObject({{"image", path(album.watermarkImage)}, {"position", position}});
    }
    out += "    \"watermark\": " + watermark + (album.exportChoices ? ",\n" : "\n");
    if (const auto &c = album.exportChoices) {
        out += "    \"export\": " +
               jsonObject({{"format", jsonString(c->format)},
                           {"fps", jsonNumber(c->fps)},
                           {"videoBitrate", jsonNumber(c->videoBitrateKbps)},
                           {"audioBitrate", jsonNumber(c->audioBitrateKbps)},
                           {"sampleRate", jsonNumber(c->sampleRate)},
                           {"folder", c->folder.isEmpty() ? QByteArray("\"\"") : path(c->folder)},
                           {"name", jsonString(c->name)}}) +
               "\n";
    }
    out += "}\n";
    return out;
}

bool writeAlbumFile(const QString &szPath, const StoredAlbum &album, QString *pError)
{
    const auto fail = [pError](const QString &szWhy) {
        if (pError)
            *pError = szWhy;
        return false;
    };
    // Through a link: the real file is replaced, from beside it, and the link stays.
    int iLinkError = 0;
    const QString real = followLinks(szPath, &iLinkError);
    if (real.isEmpty())
        return fail(AlbumFile::tr("Cannot follow the link \"%1\": %2")
                        .arg(QDir::toNativeSeparators(QFileInfo(szPath).absoluteFilePath()),
                             qt_error_string(iLinkError)));
    const QFileInfo target(real);
    if (target.isDir())
        return fail(AlbumFile::tr("It is a folder, not an album file"));
    // Renaming over a device or a pipe would replace it.
    if (target.exists() && !target.isFile())
        return fail(AlbumFile::tr("It is not a regular file"));
    const QString dir = target.absolutePath();
    const QByteArray bytes = serializeAlbum(album, dir);
    // What cannot be read back is not written: the old file is worth more than a broken one.
    const AlbumReadResult check = parseAlbum(bytes, dir);
    if (!check.ok)
        return fail(AlbumFile::tr("The album cannot be saved as it is: %1").arg(check.error));

    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    // A hidden name beside the target, short enough for any target name (255 bytes at most).
    const QByteArray stem =
        QFile::encodeName(dir) + "/." + QFile::encodeName(target.fileName()).left(200);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary =
            stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        // 0666 through the umask, as any new file; O_EXCL: never someone else's file.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100))
            return fail(AlbumFile::tr("Cannot create a file in \"%1\": %2")
                            .arg(QDir::toNativeSeparators(dir), systemErrorText(errno)));
    }
    const auto abandon = [&](const QString &szWhy) {
        const int saved = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        errno = saved;
        return fail(szWhy);
    };
    // A saved album keeps the permissions the old file had.
    struct stat old;
    if (::stat(targetName.constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        return abandon(AlbumFile::tr("Cannot write the file: %1").arg(systemErrorText(errno)));
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(AlbumFile::tr("Cannot write the file: %1").arg(systemErrorText(errno)));
    if (::rename(temporary.constData(), targetName.constData()) != 0)
        return abandon(
            AlbumFile::tr("Cannot replace the old file: %1").arg(systemErrorText(errno)));
    // The rename itself reaches the disk with the folder; some file systems cannot sync a
    // folder, and the file is in place either way.
    const int dirFd =
        ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

PictureOptions AlbumPicture::options() const
{
    PictureOptions o;
    o.duration = duration;
    o.transition = transition;
    o.transitionLength = transitionLength;
    o.motion = motion;
    o.fill = fill;
    o.caption = caption;
    o.clip = clip;
    if (transition == TransitionChoice::Chosen && transitionRow >= 0 &&
        transitionRow < kTransitionKindCount)
        o.chosenKind = &kTransitionKinds[transitionRow];
    else if (transition == TransitionChoice::Chosen)
        o.transition = TransitionChoice::Random;
    return o;
}

StoredAlbum storedAlbumFrom(const Album &job, const QString &szRatioText)
{
    StoredAlbum album;
    const int n = job.materialOrder.size();
    album.pictures.reserve(n);
    for (int i = 0; i < n; ++i) {
        AlbumPicture picture;
        picture.file = job.materialOrder.at(i);
        // Slot i joins picture i and i + 1; nothing follows the last picture.
        if (i + 1 < n && i < job.transitions.size())
            picture.transitionRow = transitionRowOf(job.transitions.at(i).kind);
        const PictureOptions options = job.optionsAt(i);
        picture.duration = options.duration;
        picture.transition = options.transition;
        picture.transitionLength = options.transitionLength;
        picture.motion = options.motion;
        picture.fill = options.fill;
        picture.caption = options.caption;
        picture.clip = options.clip;
        if (options.transition == TransitionChoice::Chosen)
            picture.transitionRow = transitionRowOf(options.chosenKind);
        else if (options.transition == TransitionChoice::None)
            picture.transitionRow = -1; // the drawn kind goes with the cut
        album.pictures.append(picture);
    }
    const int64_t seconds =
        av_rescale_q(job.uniformDurationValue, job.uniformDurationTimeBase, AVRational{1, 1});
    album.durationSeconds =
        int(std::clamp<int64_t>(seconds, kMinDurationSeconds, kMaxDurationSeconds));
    album.transitionStart =
        mod23(qint64(TransitionPicker::currentIndex()) - 3 * qint64(std::max(0, n - 1)));
    album.ratio = ratioFromText(szRatioText) ? szRatioText : kAutoRatio;
    album.height = heightText(job.height);
    album.music = job.musicType == MusicCustom ? job.musicPath : QString();
    if (!album.music.isEmpty()) {
        album.musicShape = clampedMusicShape(job.musicShape);
        album.musicMore = job.musicMore;
        album.musicCrossfade = job.musicCrossfade;
        album.duckDb = job.duckDb;
        album.pauseMusicForClips = job.pauseMusicForClips;
        album.beatCut = job.beatCut;
        album.beatFit = job.beatFit;
        album.beatCorrections =
            keptBeatCorrections(job.beatCorrections, int(job.musicTracks().size()));
    }

    album.watermarkType = job.watermarkType;
    album.watermarkText = job.watermarkText;
    album.watermarkFamily = job.watermarkFont.family();
    const int pixels = job.watermarkFont.pixelSize() > 0
                           ? job.watermarkFont.pixelSize()
                           : int(std::lround(job.watermarkFont.pointSizeF() / 0.75));
    album.watermarkPixelSize = std::clamp(pixels, 1, kMaxPixelSize);
    album.watermarkColor = job.watermarkColor;
    album.watermarkImage = job.watermarkImagePath;
    album.watermarkPosition = job.watermarkPosition;
    album.watermarkEffect = job.watermarkEffect;
    album.gentleMotion = job.gentleMotion;
    album.fill = job.albumFill;
    album.keepFaces = job.keepFaces;

    // The export fields are set once the export dialog has been opened (or the exporter ran).
    if (!job.exportFormat.isEmpty()) {
        AlbumExportChoices c;
        c.format = job.exportFormat;
        if (job.frameRate.num > 0 && job.frameRate.den > 0)
            c.fps = int(av_rescale(job.frameRate.num, 1, job.frameRate.den));
        c.videoBitrateKbps = job.videoBitRate / 1000;
        c.audioBitrateKbps = job.audioBitRate / 1000;
        if (job.sampleRate > 0)
            c.sampleRate = int(job.sampleRate);
        c.folder = QDir::fromNativeSeparators(job.exportDirectory);
        c.name = job.fileName;
        album.exportChoices = c;
    }
    return album;
}
