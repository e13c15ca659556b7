// SPDX-License-Identifier: GPL-3.0-or-later
// Album editing rules: rows, transition slots, the total length, output size, the watermark font
// and the held files.
#include "albumops.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include "musiclist.h"
#include "musicshape.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontInfo>
#include <QSet>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <iterator>

AlbumChange appendPicture(Album &job, const MaterialItem &item, bool bSelfAdaptingRatio,
                          const TransitionKind *pKind)
{
    AlbumChange change;
    change.totalChanged = true;
    const bool bFirst = job.materialOrder.isEmpty();
    auto it = job.materials.find(item.path);
    if (it == job.materials.end()) {
        job.materials.insert(item.path, item);
    } else {
        // The same file again: one item, whatever the decoder said last.
        it->widthToHeight = item.widthToHeight;
        it->srcSize = item.srcSize;
        it->facts = item.facts;
    }
    // Rows appended before the options existed (a record filled by hand) get theirs now.
    while (job.pictureOptions.size() < job.materialOrder.size())
        job.pictureOptions.append(PictureOptions());
    job.materialOrder.append(item.path);
    job.pictureOptions.append(PictureOptions());
    if (!bFirst) {
        TransitionSlot slot;
        const TransitionKind *drawn = TransitionPicker::next();
        slot.kind = pKind ? pKind : drawn;
        job.transitions.append(slot);
    }
    job.totalDuration = job.computeTotalDuration();
    if (bFirst) {
        if (bSelfAdaptingRatio) {
            job.aspectNum = item.widthToHeight.num;
            job.aspectDen = item.widthToHeight.den;
            job.updateWidth();
        }
        change.coverChanged = true;
    }
    return change;
}

std::optional<AlbumChange> removePicture(Album &job, const QString &szPath, int iOldIndex)
{
    auto it = job.materials.find(szPath);
    if (it == job.materials.end())
        return std::nullopt;
    AlbumChange change;
    change.totalChanged = true;
    // The list's row index is authoritative; should it not name this file, the file's first row
    // goes rather than another picture's.
    const int iRow = iOldIndex >= 0 && iOldIndex < job.materialOrder.size() &&
                             job.materialOrder.at(iOldIndex) == szPath
                         ? iOldIndex
                         : job.materialOrder.indexOf(szPath);
    if (iRow >= 0)
        job.materialOrder.removeAt(iRow);
    if (iRow >= 0 && iRow < job.pictureOptions.size())
        job.pictureOptions.removeAt(iRow);
    // Another row may still show the same file: its item stays until the last one goes.
    if (!job.materialOrder.contains(szPath))
        job.materials.erase(it);
    if (!job.transitions.isEmpty())
        job.transitions.removeLast();
    // The duration box shows the start value again once the album is empty; so does the album.
    if (job.materialOrder.isEmpty())
        job.uniformDurationValue = av_rescale_q(3, {1, 1}, job.uniformDurationTimeBase);
    job.totalDuration = job.computeTotalDuration();
    change.coverChanged = iOldIndex == 0 && !job.materialOrder.isEmpty();
    return change;
}

AlbumChange reorderPictures(Album &job, const QStringList &szRows, int iOldIndex, int iNewIndex,
                            bool bSelfAdaptingRatio)
{
    job.materialOrder = szRows;
    // A picture's own settings go with it; the slots' drawn kinds stay where they are.
    if (iOldIndex >= 0 && iOldIndex < job.pictureOptions.size() && iNewIndex >= 0 &&
        iNewIndex < job.pictureOptions.size() && iOldIndex != iNewIndex)
        job.pictureOptions.move(iOldIndex, iNewIndex);
    const int64_t old = job.totalDuration;
    job.totalDuration = job.computeTotalDuration();
    if (bSelfAdaptingRatio)
        applySelfAdaptingRatio(job);
    job.updateWidth();
    AlbumChange change;
    change.coverChanged = iNewIndex == 0 || iOldIndex == 0;
    change.totalChanged = job.totalDuration != old;
    return change;
}

AlbumChange setPictureOptions(Album &job, int iIndex, const PictureOptions &options)
{
    AlbumChange change;
    if (iIndex < 0 || iIndex >= job.materialOrder.size())
        return change;
    while (job.pictureOptions.size() < job.materialOrder.size())
        job.pictureOptions.append(PictureOptions());
    PictureOptions clamped = options;
    if (clamped.duration > 0)
        clamped.duration = std::clamp(clamped.duration, kMinPictureDuration, kMaxPictureDuration);
    if (clamped.transitionLength > 0)
        clamped.transitionLength =
            std::clamp(clamped.transitionLength, kMinTransitionLength, kMaxTransitionLength);
    if (clamped.transition != TransitionChoice::Chosen || !clamped.chosenKind) {
        clamped.chosenKind = nullptr;
        if (clamped.transition == TransitionChoice::Chosen)
            clamped.transition = TransitionChoice::Random;
    }
    job.pictureOptions[iIndex] = clamped;
    const int64_t old = job.totalDuration;
    job.totalDuration = job.computeTotalDuration();
    change.totalChanged = job.totalDuration != old;
    return change;
}

namespace {

QString fitText(const char *text, int64_t a, int64_t b)
{
    return QCoreApplication::translate("AlbumOps", text)
        .arg(QString::number(double(a) / 1e6, 'f', 1), QString::number(double(b) / 1e6, 'f', 1));
}

// The album's length, in microseconds, were every picture k times its weight: the slots are
// bounded by their shorter picture, as slotDuration bounds them once every picture has its own.
double scaledTotal(const Album &job, const QVector<int64_t> &weights, double k)
{
    double total = 0;
    for (int i = 0; i < weights.size(); ++i) {
        total += k * double(weights[i]);
        if (i + 1 < weights.size() && job.slotKind(i)) {
            const TransitionSlot &slot = job.transitions.at(i);
            const PictureOptions options = job.optionsAt(i);
            const int64_t length =
                options.transitionLength > 0
                    ? options.transitionLength
                    : av_rescale_q(slot.duration, slot.durationTimeBase, AVRational{1, 1000000});
            total += std::min(double(length), k * double(std::min(weights[i], weights[i + 1])));
        }
    }
    return total;
}

} // namespace

MusicFitResult fitPicturesToLength(Album &job, int64_t targetLength)
{
    MusicFitResult result;
    const int n = job.materialOrder.size();
    if (n == 0) {
        result.error = QCoreApplication::translate("AlbumOps", "The album has no pictures");
        return result;
    }
    QVector<int64_t> weights(n);
    for (int i = 0; i < n; ++i)
        weights[i] = std::max<int64_t>(1, job.pictureDuration(i));
    const auto [lightest, heaviest] = std::minmax_element(weights.cbegin(), weights.cend());
    const double kLow = double(kMinPictureDuration) / double(*lightest);
    const double kHigh = double(kMaxPictureDuration) / double(*heaviest);
    const double shortest = scaledTotal(job, weights, kLow);
    const double longest = scaledTotal(job, weights, kHigh);
    if (double(targetLength) < shortest - 0.5) {
        result.error =
            fitText(QT_TRANSLATE_NOOP("AlbumOps", "The music is too short for these pictures: "
                                                  "%1 s, and they need at least %2 s"),
                    targetLength, int64_t(std::ceil(shortest)));
        return result;
    }
    if (kLow > kHigh || double(targetLength) > longest + 0.5) {
        result.error =
            fitText(QT_TRANSLATE_NOOP("AlbumOps", "The music is too long for these pictures: "
                                                  "%1 s, and they last at most %2 s"),
                    targetLength, int64_t(std::floor(longest)));
        return result;
    }
    // The total grows strictly with k: bisect it.
    double lo = kLow, hi = kHigh;
    for (int step = 0; step < 200 && lo < hi; ++step) {
        const double mid = (lo + hi) / 2;
        if (mid <= lo || mid >= hi)
            break;
        (scaledTotal(job, weights, mid) < double(targetLength) ? lo : hi) = mid;
    }
    const double k = (lo + hi) / 2;
    const int64_t old = job.totalDuration;
    while (job.pictureOptions.size() < n)
        job.pictureOptions.append(PictureOptions());
    QVector<int64_t> durations(n);
    for (int i = 0; i < n; ++i) {
        durations[i] = std::clamp<int64_t>(std::llround(k * double(weights[i])),
                                           kMinPictureDuration, kMaxPictureDuration);
        job.pictureOptions[i].duration = durations[i];
    }
    // Whole microseconds leave a small remainder; take it up a microsecond per picture, a third
    // of it at a time (one microsecond of a picture moves the total by one to three).
    const int64_t target = av_rescale_q(targetLength, AVRational{1, 1000000}, job.totalTimeBase);
    for (int round = 0; round < 64; ++round) {
        const int64_t left = target - job.computeTotalDuration();
        if (std::llabs(left) <= 1)
            break;
        const int64_t sign = left > 0 ? 1 : -1;
        int64_t budget = std::max<int64_t>(1, std::llabs(left) / 3);
        for (int i = 0; i < n && budget > 0; ++i) {
            const int64_t d = durations[i] + sign;
            if (d < kMinPictureDuration || d > kMaxPictureDuration)
                continue;
            durations[i] = d;
            job.pictureOptions[i].duration = d;
            --budget;
        }
    }
    job.totalDuration = job.computeTotalDuration();
    result.ok = true;
    result.change.totalChanged = job.totalDuration != old;
    result.change.coverChanged = false;
    return result;
}

MusicFitResult fitPicturesToMusic(Album &job)
{
    if (job.musicType != MusicCustom || job.musicPath.isEmpty()) {
        MusicFitResult result;
        result.error = QCoreApplication::translate("AlbumOps", "Choose the background music first");
        return result;
    }
    // A list plays as one piece: its length is the tracks' less the crossfades between them.
    const QStringList tracks = job.musicTracks();
    return fitPicturesToMusicLength(job, tracks.size() > 1
                                             ? decodedMusicListLength(tracks, job.musicCrossfade)
                                             : decodedMusicLength(job.musicPath));
}

MusicFitResult fitPicturesToMusicLength(Album &job, int64_t length)
{
    MusicFitResult result;
    if (length < 0) {
        result.error = QCoreApplication::translate(
            "AlbumOps", "The music cannot be read to the end to measure its length");
        return result;
    }
    const int64_t start = clampedMusicShape(job.musicShape).start;
    if (start >= length) {
        result.error =
            fitText(QT_TRANSLATE_NOOP("AlbumOps", "The music is %1 s long and starts at %2 s: "
                                                  "nothing is left to fit the pictures to"),
                    length, start);
        return result;
    }
    return fitPicturesToLength(job, length - start);
}

AlbumChange setUniformDurationSeconds(Album &job, int iSeconds)
{
    iSeconds = std::clamp(iSeconds, 1, 60);
    const int64_t old = job.totalDuration;
    job.uniformDurationValue = av_rescale_q(iSeconds, {1, 1}, job.uniformDurationTimeBase);
    // Every row without a duration of its own counts, so the same picture imported twice moves
    // the total twice.
    job.totalDuration = job.computeTotalDuration();
    AlbumChange change;
    change.totalChanged = job.totalDuration != old;
    return change;
}

void clearAlbum(Album &job)
{
    job.materials.clear();
    job.missing.clear();
    job.materialOrder.clear();
    job.pictureOptions.clear();
    job.transitions.clear();
    job.uniformDurationValue = av_rescale_q(3, {1, 1}, job.uniformDurationTimeBase);
    job.totalDuration = 0;
}

int64_t totalDurationMs(const Album &job)
{
    // Once a frame rate is chosen, the length of the file an export writes: its whole frames.
    const AVRational fps = job.fileFrameRate();
    if (fps.num > 0 && job.totalDuration > 0) {
        const int64_t frames = Album::frameAt(
            av_rescale_q(job.totalDuration, job.totalTimeBase, AVRational{1, 1000000}), fps);
        return av_rescale_q(frames, av_inv_q(fps), job.msTimeBase);
    }
    return av_rescale_q(job.totalDuration, job.totalTimeBase, job.msTimeBase);
}

namespace {
const struct
{
    const char *text;
    AVRational ratio;
} kRatios[] = {{"16:9", {16, 9}}, {"4:3", {4, 3}}, {"2:1", {2, 1}},
               {"9:16", {9, 16}}, {"3:4", {3, 4}}, {"1:1", {1, 1}}};
const struct
{
    const char *text;
    int height;
} kHeights[] = {{"480P", 480}, {"720P", 720}, {"1080P", 1080}, {"2K", 2048}, {"4K", 4096}};
} // namespace

QString ratioTextOf(int iRatioIndex)
{
    if (iRatioIndex == 0)
        return QStringLiteral("auto");
    const int i = iRatioIndex >= 1 && iRatioIndex <= int(std::size(kRatios)) ? iRatioIndex - 1 : 0;
    return QLatin1String(kRatios[i].text);
}

int ratioIndexOf(const QString &szRatio)
{
    if (szRatio == QLatin1String("auto"))
        return 0;
    for (int i = 0; i < int(std::size(kRatios)); ++i) {
        if (szRatio == QLatin1String(kRatios[i].text))
            return i + 1;
    }
    return -1;
}

QString heightTextOf(int iHeightIndex)
{
    const int i = iHeightIndex >= 0 && iHeightIndex < int(std::size(kHeights)) ? iHeightIndex : 2;
    return QLatin1String(kHeights[i].text);
}

int heightIndexOf(const QString &szHeight)
{
    for (int i = 0; i < int(std::size(kHeights)); ++i) {
        if (szHeight == QLatin1String(kHeights[i].text))
            return i;
    }
    return -1;
}

std::optional<AVRational> ratioFromText(const QString &szRatio)
{
    for (const auto &r : kRatios) {
        if (szRatio == QLatin1String(r.text))
            return r.ratio;
    }
    return std::nullopt;
}

int heightFromText(const QString &szHeight)
{
    for (const auto &h : kHeights) {
        if (szHeight == QLatin1String(h.text))
            return h.height;
    }
    return 0;
}

void applySelfAdaptingRatio(Album &job)
{
    if (job.materialOrder.isEmpty())
        return;
    auto it = job.materials.constFind(job.materialOrder.constFirst());
    const AVRational ratio = it != job.materials.constEnd() ? it->widthToHeight : AVRational{16, 9};
    job.aspectNum = ratio.num;
    job.aspectDen = ratio.den;
}

AlbumChange applyRatioText(Album &job, const QString &szRatio)
{
    if (const std::optional<AVRational> ratio = ratioFromText(szRatio)) {
        job.aspectNum = ratio->num;
        job.aspectDen = ratio->den;
    } else {
        applySelfAdaptingRatio(job);
    }
    job.updateWidth();
    AlbumChange change;
    change.coverChanged = true;
    return change;
}

void WatermarkFontRule::applyHeight(Album &job, int iHeight)
{
    editorFont.setPixelSize(Album::watermarkPixelSizeFor(iHeight));
    if (fontFollowsHeight)
        job.watermarkFont = editorFont;
}

void WatermarkFontRule::applyChosenFont(Album &job, const QFont &stFont)
{
    // Pixels from points as the dialog reports them (36 pt is 48 px), truncated; the small
    // tolerance keeps 94.5 pt from becoming 125.999... px.
    const int iPixels = static_cast<int>(std::floor(stFont.pointSizeF() / 0.75 + 1e-6));
    if (fontFollowsHeight) {
        // The dialog is shown the family really in use, so both names count as unchanged.
        const QString szFamily = stFont.family();
        const bool bSameFamily = szFamily == job.watermarkFont.family() ||
                                 szFamily == QFontInfo(job.watermarkFont).family();
        if (!bSameFamily || job.watermarkFont.pixelSize() != iPixels)
            fontFollowsHeight = false;
    }
    QFont chosen = stFont;
    if (iPixels > 0)
        chosen.setPixelSize(iPixels);
    job.watermarkFont = chosen;
}

AlbumChange applyHeightText(Album &job, const QString &szHeight, WatermarkFontRule &fontRule)
{
    if (const int iHeight = heightFromText(szHeight))
        job.height = iHeight;
    fontRule.applyHeight(job, job.height);
    job.updateWidth();
    AlbumChange change;
    change.coverChanged = true;
    return change;
}

void setWatermarkImage(Album &job, const QString &szPath)
{
    job.watermarkImagePath = szPath;
}

void setMusicFile(Album &job, const QString &szPath)
{
    // Grid corrections belong to the file they were made on: another file starts from its own
    // grid as found.
    if (szPath != job.musicPath && !job.beatCorrections.isEmpty()) {
        job.beatCorrections[0] = BeatCorrection();
        while (!job.beatCorrections.isEmpty() && job.beatCorrections.last().isDefault())
            job.beatCorrections.removeLast();
    }
    job.musicPath = szPath;
}

bool keepIfReadable(QString &szPath)
{
    if (szPath.isEmpty())
        return true;
    if (FILE *pFile = std::fopen(QFile::encodeName(szPath).constData(), "rb")) {
        std::fclose(pFile);
        return true;
    }
    szPath.clear();
    return false;
}

HeldFiles::~HeldFiles()
{
    for (FILE *pFile : std::as_const(m_files))
        std::fclose(pFile);
}

void HeldFiles::follow(const Album &album)
{
    QSet<QString> wanted(album.materials.keyBegin(), album.materials.keyEnd());
    if (album.watermarkType == WatermarkPicture && !album.watermarkImagePath.isEmpty())
        wanted.insert(album.watermarkImagePath);
    if (album.musicType == MusicCustom) {
        for (const QString &track : album.musicTracks())
            wanted.insert(track);
    }
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        std::fclose(it.value());
        it = m_files.erase(it);
    }
    for (const QString &szPath : std::as_const(wanted)) {
        if (m_files.contains(szPath))
            continue;
        // A file that cannot be opened is simply not held: the album says what it uses.
        if (FILE *pFile = std::fopen(QFile::encodeName(szPath).constData(), "rb"))
            m_files.insert(szPath, pFile);
    }
}

FILE *HeldFiles::handle(const QString &szPath) const
{
    return m_files.value(szPath, nullptr);
}

int missingIndexAt(const Album &album, int iRow)
{
    for (int i = 0; i < album.missing.size(); ++i) {
        if (album.missing[i].position == iRow)
            return i;
    }
    return -1;
}

int renderedIndexOfRow(const Album &album, int iRow)
{
    const auto before =
        std::count_if(album.missing.cbegin(), album.missing.cend(),
                      [iRow](const MissingPicture &e) { return e.position < iRow; });
    return iRow - int(before);
}

void missingRowRemoved(Album &album, int iRow)
{
    for (MissingPicture &entry : album.missing) {
        if (entry.position > iRow)
            --entry.position;
    }
}

void missingRowMoved(Album &album, int iFrom, int iTo)
{
    for (MissingPicture &entry : album.missing) {
        if (entry.position == iFrom) {
            entry.position = iTo;
            continue;
        }
        const int p = entry.position - (entry.position > iFrom ? 1 : 0);
        entry.position = p + (p >= iTo ? 1 : 0);
    }
    std::sort(
        album.missing.begin(), album.missing.end(),
        [](const MissingPicture &a, const MissingPicture &b) { return a.position < b.position; });
}

AlbumChange placeFoundPicture(Album &job, int iMissing, const MaterialItem &item,
                              bool bSelfAdapting)
{
    const MissingPicture entry = job.missing.takeAt(iMissing);
    const int iIndex = renderedIndexOfRow(job, entry.position);
    const int iCount = job.materialOrder.size();
    // Appended, then moved to its place: the slot before it is the transition the entry before
    // it had, the slot after it its own.
    const int iBeforeRow = entry.transitionBeforeRow;
    AlbumChange change = appendPicture(
        job, item, bSelfAdapting,
        iIndex == iCount && iBeforeRow >= 0 ? &kTransitionKinds[iBeforeRow] : nullptr);
    const PictureOptions options = entry.picture.options();
    if (!options.isDefault())
        change.totalChanged |= setPictureOptions(job, iCount, options).totalChanged;
    if (iIndex < iCount) {
        QStringList order = job.materialOrder;
        order.move(iCount, iIndex);
        const AlbumChange moved = reorderPictures(job, order, iCount, iIndex, bSelfAdapting);
        change.coverChanged |= moved.coverChanged;
        // Slots stay by place: the new one joins this picture to the next.
        job.transitions.removeLast();
        TransitionSlot slot;
        const int iOwnRow = entry.picture.transitionRow;
        slot.kind = iOwnRow >= 0 ? &kTransitionKinds[iOwnRow] : TransitionPicker::next();
        job.transitions.insert(iIndex, slot);
        job.totalDuration = job.computeTotalDuration();
    }
    change.totalChanged = true;
    return change;
}

QList<AlbumPicture> withMissingPictures(const Album &album, const QList<AlbumPicture> &pictures)
{
    const QList<MissingPicture> &missing = album.missing;
    if (missing.isEmpty())
        return pictures;
    QList<AlbumPicture> all;
    all.reserve(pictures.size() + missing.size());
    int iNext = 0;
    int iMissing = 0;
    const int iTotal = pictures.size() + missing.size();
    for (int iRow = 0; iRow < iTotal; ++iRow) {
        if (iMissing < missing.size() && missing[iMissing].position == iRow) {
            const MissingPicture &entry = missing[iMissing++];
            // The picture before it is the album's last: its transition joined it to this one.
            if (!all.isEmpty() && all.last().transitionRow < 0 &&
                all.last().transition != TransitionChoice::None && iNext > 0 &&
                iNext == pictures.size())
                all.last().transitionRow = entry.transitionBeforeRow;
            all.append(entry.picture);
        } else if (iNext < pictures.size()) {
            all.append(pictures[iNext++]);
        }
    }
    // Places past the end (never expected): nothing is dropped.
    while (iMissing < missing.size())
        all.append(missing[iMissing++].picture);
    return all;
}
