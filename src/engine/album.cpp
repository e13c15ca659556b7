// SPDX-License-Identifier: GPL-3.0-or-later
// Album: the album value, its width rule and timeline, the transition table and picker.
#include "album.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>

const TransitionKind kTransitionKinds[kTransitionKindCount] = {
    {"xfade", "fadeblack", QT_TRANSLATE_NOOP("Transition", "Fade through black")},
    {"xfade", "fadewhite", QT_TRANSLATE_NOOP("Transition", "Fade through white")},
    {"xfade", "rectcrop", QT_TRANSLATE_NOOP("Transition", "Rectangle crop")},
    {"xfade", "radial", QT_TRANSLATE_NOOP("Transition", "Radial wipe")},
    {"xfade", "hblur", QT_TRANSLATE_NOOP("Transition", "Horizontal blur")},
    {"xfade", "pixelize", QT_TRANSLATE_NOOP("Transition", "Pixelate")},
    {"xfade", "zoomin", QT_TRANSLATE_NOOP("Transition", "Zoom in")},
    {"xfade", "slidedown", QT_TRANSLATE_NOOP("Transition", "Slide down")},
    {"xfade", "slideleft", QT_TRANSLATE_NOOP("Transition", "Slide left")},
    {"xfade", "slideright", QT_TRANSLATE_NOOP("Transition", "Slide right")},
    {"xfade", "wipeup", QT_TRANSLATE_NOOP("Transition", "Wipe up")},
    {"xfade", "wipedown", QT_TRANSLATE_NOOP("Transition", "Wipe down")},
    {"xfade", "wipeleft", QT_TRANSLATE_NOOP("Transition", "Wipe left")},
    {"xfade", "wiperight", QT_TRANSLATE_NOOP("Transition", "Wipe right")},
    {"xfade", "smoothup", QT_TRANSLATE_NOOP("Transition", "Smooth wipe up")},
    {"xfade", "smoothdown", QT_TRANSLATE_NOOP("Transition", "Smooth wipe down")},
    {"xfade", "smoothleft", QT_TRANSLATE_NOOP("Transition", "Smooth wipe left")},
    {"xfade", "smoothright", QT_TRANSLATE_NOOP("Transition", "Smooth wipe right")},
    {"xfade", "circleclose", QT_TRANSLATE_NOOP("Transition", "Closing circle")},
    {"xfade", "circleopen", QT_TRANSLATE_NOOP("Transition", "Opening circle")},
    {"xfade", "vertclose", QT_TRANSLATE_NOOP("Transition", "Vertical close")},
    {"xfade", "vertopen", QT_TRANSLATE_NOOP("Transition", "Vertical open")},
    {"xfade", "horzclose", QT_TRANSLATE_NOOP("Transition", "Horizontal close")},
};

Album::Album()
{
    watermarkFont.setFamily(QStringLiteral("Microsoft YaHei UI"));
    watermarkFont.setPixelSize(watermarkPixelSizeFor(height));
    fontRule.editorFont = watermarkFont;
}

AlbumParts Album::changedParts(const Album &o) const
{
    AlbumParts parts;
    if (!(materials == o.materials && materialOrder == o.materialOrder &&
          transitions == o.transitions && pictureOptions == o.pictureOptions &&
          missing == o.missing))
        parts |= AlbumPart::Items;
    // The timing worked out on the beat counts with the settings: it moves the timeline the
    // preview and the length display follow, though no file keeps it.
    if (!(totalDuration == o.totalDuration && sameRational(totalTimeBase, o.totalTimeBase) &&
          aspectNum == o.aspectNum && aspectDen == o.aspectDen && width == o.width &&
          height == o.height && sameRational(frameRate, o.frameRate) &&
          videoBitRate == o.videoBitRate && audioBitRate == o.audioBitRate &&
          sampleRate == o.sampleRate && exportFormat == o.exportFormat && fileName == o.fileName &&
          exportDirectory == o.exportDirectory && uniformDurationValue == o.uniformDurationValue &&
          sameRational(uniformDurationTimeBase, o.uniformDurationTimeBase) &&
          gentleMotion == o.gentleMotion && albumFill == o.albumFill && keepFaces == o.keepFaces &&
          ratioIndex == o.ratioIndex && heightIndex == o.heightIndex &&
          beatDurations == o.beatDurations && beatSlots == o.beatSlots))
        parts |= AlbumPart::Settings;
    if (!(watermarkType == o.watermarkType && watermarkPosition == o.watermarkPosition &&
          watermarkFont == o.watermarkFont && watermarkColor == o.watermarkColor &&
          watermarkText == o.watermarkText && watermarkImagePath == o.watermarkImagePath &&
          watermarkEffect == o.watermarkEffect && fontRule.editorFont == o.fontRule.editorFont &&
          fontRule.fontFollowsHeight == o.fontRule.fontFollowsHeight))
        parts |= AlbumPart::Watermark;
    if (!(musicType == o.musicType && musicPath == o.musicPath && musicShape == o.musicShape &&
          musicMore == o.musicMore && musicCrossfade == o.musicCrossfade && duckDb == o.duckDb &&
          pauseMusicForClips == o.pauseMusicForClips && beatCut == o.beatCut &&
          beatFit == o.beatFit && beatCorrections == o.beatCorrections))
        parts |= AlbumPart::Music;
    return parts;
}

QStringList Album::musicTracks() const
{
    if (musicPath.isEmpty())
        return {};
    return QStringList{musicPath} + musicMore;
}

void Album::setMusicTracks(const QStringList &tracks)
{
    musicPath = tracks.value(0);
    musicMore = tracks.mid(1);
}

int Album::widthFor(int height, int aspectNum, int aspectDen)
{
    if (aspectDen <= 0 || aspectNum <= 0 || height <= 0)
        return 0;
    int w = static_cast<int>(av_rescale(height, aspectNum, aspectDen));
    if (w % 2 != 0)
        w -= 1;
    return w;
}

void Album::updateWidth()
{
    width = widthFor(height, aspectNum, aspectDen);
}

int Album::watermarkPixelSizeFor(int height)
{
    switch (height) {
    case 480:
        return 24;
    case 720:
        return 30;
    case 2048:
        return 60;
    case 4096:
        return 126;
    default:
        return 48;
    }
}

QString Album::outputFilePath() const
{
    return QStringLiteral("%1/%2.%3").arg(exportDirectory, fileName, exportFormat.toLower());
}

namespace {
// value x timeBase x fps as an exact fraction, rounded as asked; 0 for empty or invalid input.
int64_t framesOf(int64_t value, AVRational timeBase, AVRational fps, AVRounding rounding)
{
    if (value <= 0 || timeBase.num <= 0 || timeBase.den <= 0 || fps.num <= 0 || fps.den <= 0)
        return 0;
    return av_rescale_rnd(value, int64_t(timeBase.num) * fps.num, int64_t(timeBase.den) * fps.den,
                          rounding);
}
} // namespace

int64_t Album::pictureFrameCount(AVRational fps) const
{
    return framesOf(uniformDurationValue, uniformDurationTimeBase, fps, AV_ROUND_DOWN);
}

int64_t Album::transitionFrameCount(const TransitionSlot &slot, AVRational fps)
{
    return framesOf(slot.duration, slot.durationTimeBase, fps, AV_ROUND_UP);
}

namespace {
constexpr AVRational kMicroseconds{1, 1000000};
}

QString secondsText(int64_t microseconds)
{
    QString text = QString::number(microseconds / 1000000);
    QString fraction = QString::number(std::abs(microseconds % 1000000)).rightJustified(6, '0');
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return text;
}

const PictureOptions &Album::optionsAt(int index) const
{
    static const PictureOptions kDefaults;
    return index >= 0 && index < pictureOptions.size() ? pictureOptions.at(index) : kDefaults;
}

bool Album::isClip(int index) const
{
    if (index < 0 || index >= materialOrder.size())
        return false;
    const auto it = materials.constFind(materialOrder.at(index));
    return it != materials.cend() && it->isClip();
}

bool Album::clipHasSound(int index) const
{
    if (!isClip(index))
        return false;
    const ClipOptions &clip = optionsAt(index).clip;
    return materials.value(materialOrder.at(index)).clip.hasSound && !clip.mute && clip.volume > 0;
}

bool Album::clipsHaveSound() const
{
    for (int i = 0; i < materialOrder.size(); ++i)
        if (clipHasSound(i))
            return true;
    return false;
}

int64_t Album::clipIn(int index) const
{
    if (!isClip(index))
        return 0;
    const int64_t whole = materials.value(materialOrder.at(index)).clip.duration;
    const int64_t in = optionsAt(index).clip.in;
    return std::clamp<int64_t>(in, 0, std::max<int64_t>(0, whole - kMinClipLength));
}

int64_t Album::clipOut(int index) const
{
    if (!isClip(index))
        return 0;
    const int64_t whole = materials.value(materialOrder.at(index)).clip.duration;
    const int64_t out = optionsAt(index).clip.out;
    const int64_t in = clipIn(index);
    if (out <= 0 || out > whole)
        return whole;
    return std::min(whole, std::max(out, in + kMinClipLength));
}

int64_t Album::clipLength(int index) const
{
    if (!isClip(index))
        return 0;
    const int speed = std::clamp(optionsAt(index).clip.speed, kMinClipSpeed, kMaxClipSpeed);
    return av_rescale(clipOut(index) - clipIn(index), 100, speed);
}

int64_t Album::pictureDuration(int index) const
{
    if (isClip(index)) {
        const int64_t in = index > 0 ? slotDuration(index - 1) : 0;
        return std::max<int64_t>(0, clipLength(index) - in - slotDuration(index));
    }
    if (hasBeatTiming() && index >= 0 && index < beatDurations.size())
        return beatDurations.at(index);
    const int64_t own = optionsAt(index).duration;
    return own > 0 ? own
                   : av_rescale_q(uniformDurationValue, uniformDurationTimeBase, kMicroseconds);
}

const TransitionKind *Album::slotKind(int index) const
{
    if (index < 0 || index >= transitions.size())
        return nullptr;
    const PictureOptions options = optionsAt(index);
    switch (options.transition) {
    case TransitionChoice::None:
        return nullptr;
    case TransitionChoice::Chosen:
        if (options.chosenKind)
            return options.chosenKind;
        break;
    case TransitionChoice::Random:
        break;
    }
    return transitions.at(index).kind;
}

int64_t Album::slotDuration(int index) const
{
    if (!slotKind(index))
        return 0;
    if (hasBeatTiming() && index < beatSlots.size())
        return beatSlots.at(index);
    const TransitionSlot &slot = transitions.at(index);
    const PictureOptions options = optionsAt(index);
    int64_t length = options.transitionLength > 0
                         ? options.transitionLength
                         : av_rescale_q(slot.duration, slot.durationTimeBase, kMicroseconds);
    // A clip's half bounds the slot; its own duration is not used.
    const bool clipBefore = isClip(index), clipAfter = isClip(index + 1);
    const auto bound = [this](int i) { return isClip(i) ? clipLength(i) / 2 : pictureDuration(i); };
    if (options.transitionLength > 0 || (!clipBefore && options.duration > 0) ||
        (!clipAfter && optionsAt(index + 1).duration > 0))
        length = std::min({length, bound(index), bound(index + 1)});
    if (clipBefore)
        length = std::min(length, clipLength(index) / 2);
    if (clipAfter)
        length = std::min(length, clipLength(index + 1) / 2);
    return length;
}

int64_t Album::pictureStart(int index) const
{
    int64_t start = 0;
    for (int i = 0; i < index && i < materialOrder.size(); ++i)
        start += pictureDuration(i) + (i + 1 < materialOrder.size() ? slotDuration(i) : 0);
    return start;
}

int64_t Album::itemStart(int index) const
{
    return pictureStart(index) - (index > 0 ? slotDuration(index - 1) : 0);
}

int64_t Album::frameAt(int64_t microseconds, AVRational fps)
{
    if (microseconds <= 0 || fps.num <= 0 || fps.den <= 0)
        return 0;
    return av_rescale_rnd(microseconds, fps.num, int64_t(fps.den) * 1000000, AV_ROUND_NEAR_INF);
}

int64_t Album::pictureFrameCount(int index, AVRational fps) const
{
    if (index < 0 || index >= materialOrder.size())
        return 0;
    const int64_t start = pictureStart(index);
    return frameAt(start + pictureDuration(index), fps) - frameAt(start, fps);
}

int64_t Album::slotFrameCount(int index, AVRational fps) const
{
    if (index < 0 || index + 1 >= materialOrder.size())
        return 0;
    const int64_t slot = slotDuration(index);
    if (slot <= 0)
        return 0;
    const int64_t end = pictureStart(index) + pictureDuration(index);
    return frameAt(end + slot, fps) - frameAt(end, fps);
}

int64_t Album::videoFrameCount(AVRational fps) const
{
    return frameAt(pictureStart(materialOrder.size()), fps);
}

AVRational Album::fileFrameRate() const
{
    if (frameRate.num <= 0 || frameRate.den <= 0)
        return {0, 1};
    const int fps = frameRate.num / frameRate.den;
    if (exportFormat.compare(QLatin1String("GIF"), Qt::CaseInsensitive) == 0)
        return {gifFrameRate(fps), 1};
    return {fps, 1};
}

int64_t Album::computeTotalDuration() const
{
    return av_rescale_q(pictureStart(materialOrder.size()), kMicroseconds, totalTimeBase);
}

int gifFrameRate(int fps)
{
    return fps > 50 ? 50 : fps;
}

namespace {
std::atomic<int> &pickerIndex()
{
    // (32 random bits x 23) >> 32: a uniform start in [0, 23), drawn once per process.
    static std::atomic<int> index{static_cast<int>(
        (static_cast<uint64_t>(QRandomGenerator::global()->generate()) * kTransitionKindCount) >>
        32)};
    return index;
}
} // namespace

const TransitionKind *TransitionPicker::next()
{
    std::atomic<int> &index = pickerIndex();
    int current = index.load();
    while (!index.compare_exchange_weak(current, (current + 3) % kTransitionKindCount)) {
    }
    return &kTransitionKinds[current];
}

void TransitionPicker::reset(int index)
{
    pickerIndex().store(((index % kTransitionKindCount) + kTransitionKindCount) %
                        kTransitionKindCount);
}

int TransitionPicker::currentIndex()
{
    return pickerIndex().load();
}

void registerEngineMetaTypes()
{
    static const int id = qRegisterMetaType<AVRational>("AVRational");
    static const int snapshotId = qRegisterMetaType<AlbumSnapshotPtr>("AlbumSnapshotPtr");
    static const int factsId = qRegisterMetaType<PictureFacts>("PictureFacts");
    Q_UNUSED(factsId);
    Q_UNUSED(id);
    static const int partsId = qRegisterMetaType<AlbumParts>("AlbumParts");
    Q_UNUSED(snapshotId);
    Q_UNUSED(partsId);
}
