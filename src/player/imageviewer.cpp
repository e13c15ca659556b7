// SPDX-License-Identifier: GPL-3.0-or-later
// ImageViewer: the cover, the preview run loop with its picture and transition segments, seeking,
// and the frame feeder that hands frames to the player at 25 per second.
#include "imageviewer.h"

#include <QScopeGuard>

#include "framegraph.h"
#include "pictureheader.h"
#include "playerinterface.h"
#include "transitionrenderer.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <system_error>

#include <pthread.h>

namespace {

constexpr AVRational kPreviewRate{25, 1};
constexpr AVRational kFrameTimeBase{1, 25};
// Flags written directly by the editor, without a wake-up, are seen within this many ms.
constexpr int kPollMs = 10;
// How far (ms) the feeder may fall behind its schedule and still catch up by handing frames
// without waiting. A frame later than that (the player's display stalled, say) that the player's
// clock has passed too is dropped like the frames the renderer finds late, so that the pictures
// stay with the clock and the music.
constexpr int64_t kMaxLatenessBudgetMs = 200;
// Transitions are drawn on the 4:2:0 pictures themselves, as the export draws them.
constexpr AVPixelFormat kTransitionFormat = AV_PIX_FMT_YUV420P;
// Transition frames rendered ahead on a thread of their own, from the still frames before the
// transition on: costly transitions (radial, zoomin) then keep 25 per second on a busy machine.
// 20 frames of 1080p are 62 MB.
constexpr size_t kTransitionLookahead = 20;
// Prepared pictures kept for seeks back: 6 of 1080p are 19 MB.
constexpr size_t kRecentPictures = 6;

int64_t monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The picture pipeline up to the watermark, in the picture's look: decode, then the
// letterboxed still in 4:2:0 (into dst), or a moving picture's frames (dst left empty).
int preparePreviewPicture(const QString &path, int W, int H, const ResolvedLook &look, AVFrame *dst,
                          std::shared_ptr<const FrameSeries> *frames)
{
    ResolvedLook draft = look;
    draft.draft = true;
    PreparedLook p = prepareLook(path, W, H, draft);
    int ret = p.code;
    if (ret >= 0 && p.still)
        ret = convertPixelFormat(p.still.get(), p.still.get(), AV_PIX_FMT_YUV420P);
    if (ret < 0)
        return ret;
    av_frame_unref(dst);
    frames->reset();
    if (p.frames) {
        *frames = std::move(p.frames);
        return 0;
    }
    av_frame_move_ref(dst, p.still.get());
    dst->pts = 0;
    return 0;
}

// Both stills of a transition in its working format, and the next picture to hold after it.
struct PreparedTransition
{
    int code = 0;
    av::FramePtr next;
    std::shared_ptr<const FrameSeries> nextFrames; // the next picture, when it moves
    av::FramePtr from;
    av::FramePtr to;
};

// `current` may be null: the caller converts it itself (or it moves). `next.still` or
// `next.frames`, when given, is the next picture already prepared.
PreparedTransition prepareTransitionStills(av::FramePtr current, NextPicture next, int W, int H)
{
    PreparedTransition p;
    p.next = next.still ? std::move(next.still) : av::makeFrame();
    p.nextFrames = std::move(next.frames);
    p.from = av::makeFrame();
    p.to = av::makeFrame();
    if (!p.next || !p.from || !p.to) {
        p.code = AVERROR(ENOMEM);
        return p;
    }
    if (p.next->width <= 0 && !p.nextFrames)
        p.code = preparePreviewPicture(next.path, W, H, next.look, p.next.get(), &p.nextFrames);
    if (p.code >= 0 && current && current->width > 0)
        p.code = convertWithGraph(current.get(), p.from.get(), kTransitionFormat);
    if (p.code >= 0 && !p.nextFrames)
        p.code = convertWithGraph(p.next.get(), p.to.get(), kTransitionFormat);
    return p;
}

int64_t positionToFrame(int64_t position, AVRational timeBase)
{
    // The frame on screen at a moment is the one whose interval holds it.
    return av_rescale_q_rnd(std::max<int64_t>(0, position), timeBase, kFrameTimeBase,
                            AV_ROUND_DOWN);
}

} // namespace

// Produces the frames of one segment; `step` counts from the segment's first frame.
class ImageViewer::FrameSource
{
public:
    virtual ~FrameSource() = default;
    virtual int render(int64_t step, av::FramePtr &out) = 0;
    // A seek landed inside the segment.
    virtual void seeked() {}
};

class ImageViewer::StillSource : public FrameSource
{
public:
    explicit StillSource(const AVFrame *still) : still(still) {}
    int render(int64_t, av::FramePtr &out) override
    {
        out.reset(av_frame_clone(still));
        return out ? 0 : AVERROR(ENOMEM);
    }

private:
    const AVFrame *still;
};

class ImageViewer::MovingSource : public FrameSource
{
public:
    MovingSource(std::shared_ptr<const FrameSeries> frames, PictureLife life,
                 WatermarkOverlay &watermark)
        : frames(std::move(frames)), life(life), watermark(watermark)
    {
    }
    int render(int64_t step, av::FramePtr &out) override
    {
        out = av::makeFrame();
        if (!out)
            return AVERROR(ENOMEM);
        const int ret = frames->render(life.before + step, life.frames(), out.get());
        return ret < 0 ? ret : watermark.apply(out.get());
    }

private:
    std::shared_ptr<const FrameSeries> frames;
    const PictureLife life;
    WatermarkOverlay &watermark;
};

class ImageViewer::TransitionSource : public FrameSource
{
public:
    // The slot after picture `index` of the job.
    // A moving side (fromFrames, toFrames) goes on moving through the transition; its still
    // is then unused.
    TransitionSource(const Album &job, int index, int W, int H, WatermarkOverlay &watermark,
                     av::FramePtr from, av::FramePtr to,
                     std::shared_ptr<const FrameSeries> fromFrames = nullptr,
                     std::shared_ptr<const FrameSeries> toFrames = nullptr)
        : kind(job.slotKind(index)), microseconds(job.slotDuration(index)), W(W), H(H),
          watermark(watermark), from(std::move(from)), to(std::move(to)),
          frameCount(job.slotFrameCount(index, kPreviewRate))
    {
        const PictureLife before = pictureLife(job, index, kPreviewRate);
        const PictureLife after = pictureLife(job, index + 1, kPreviewRate);
        fromSide = TransitionRenderer::Side{nullptr, std::move(fromFrames),
                                            before.before + before.alone, before.frames()};
        toSide = TransitionRenderer::Side{nullptr, std::move(toFrames), 0, after.frames()};
    }

    // Starts rendering at `step`, on a thread of its own, a few frames ahead of the queue; when
    // no thread can be had, frame by frame as they are asked for.
    int begin(int64_t step)
    {
        ahead.reset();
        drawing = kind ? YuvTransition::create(kind->transitionName, W, H) : nullptr;
        if (!drawing)
            graph = createGraph(step);
        if (!drawing && !graph)
            return AVERROR(EINVAL);
        try {
            // The sides start `step` frames into the transition.
            TransitionRenderer::Side a = fromSide, b = toSide;
            a.still = from.get();
            b.still = to.get();
            a.first += step;
            b.first += step;
            ahead = drawing ? std::make_unique<TransitionRenderer>(std::move(drawing), a, b, step,
                                                                   steps(), frameCount - step,
                                                                   kTransitionLookahead)
                            : std::make_unique<TransitionRenderer>(
                                  std::move(graph), a, b, frameCount - step, kTransitionLookahead);
            aheadStep = step;
        } catch (const std::system_error &) {
            drawing = kind ? YuvTransition::create(kind->transitionName, W, H) : nullptr;
            if (!drawing)
                graph = createGraph(step);
        }
        return drawing || graph || ahead ? 0 : AVERROR(EINVAL);
    }

    int render(int64_t step, av::FramePtr &out) override
    {
        int ret = ahead || graph || drawing ? 0 : begin(step);
        if (ret < 0)
            return ret;
        if (ahead) {
            // Frames of steps found late were rendered all the same: they are passed over.
            TransitionRenderer::Item item;
            while (aheadStep <= step) {
                item = ahead->next();
                ++aheadStep;
                if (item.code < 0)
                    return item.code;
            }
            out = std::move(item.frame);
        } else {
            // Both inputs carry the step number; the graph's offset makes its first step `step`.
            out = av::makeFrame();
            if (!out)
                return AVERROR(ENOMEM);
            const char *message = nullptr;
            ret = drawing
                      ? TransitionRenderer::drawStep(*drawing, fromSide, toSide, step, steps(),
                                                     from.get(), to.get(), out.get(), &message)
                      : TransitionRenderer::renderStep(graph.get(), fromSide, toSide, step,
                                                       from.get(), to.get(), out.get(), &message);
        }
        if (ret >= 0)
            ret = out ? watermark.apply(out.get()) : AVERROR(EINVAL);
        return ret < 0 ? ret : 0;
    }

    // The filter measures progress from the first frame it receives: after a seek it is rebuilt
    // for the step it resumes at, at the next frame asked for.
    void seeked() override
    {
        ahead.reset();
        graph.reset();
        drawing.reset();
    }

private:
    // The transition's length in frames, as the filter would count it.
    int64_t steps() const { return av_rescale_q(microseconds, AV_TIME_BASE_Q, kFrameTimeBase); }

    av::FilterGraphPtr createGraph(int64_t firstStep) const
    {
        // A transition entered part-way starts before its first frame by exactly the frames
        // skipped (40 ms each), so that every frame matches the one an unbroken run shows.
        const int64_t skippedMs = av_rescale_q(firstStep, kFrameTimeBase, {1, 1000});
        const QString offset =
            skippedMs == 0
                ? QStringLiteral("0")
                : QString::asprintf("-%lld.%03lld", static_cast<long long>(skippedMs / 1000),
                                    static_cast<long long>(skippedMs % 1000));
        if (!kind)
            return nullptr;
        const QString desc =
            QStringLiteral("[in1][in2]%1=transition=%2:offset=%3:duration=%4")
                .arg(QString::fromUtf8(kind->filterName), QString::fromUtf8(kind->transitionName),
                     offset, secondsText(microseconds));
        SourcePadSpec in1;
        in1.format = fromSide.frames ? AV_PIX_FMT_YUV420P : kTransitionFormat;
        in1.width = W;
        in1.height = H;
        in1.timeBase = kFrameTimeBase;
        in1.frameRate = kPreviewRate;
        in1.pixelAspect = {0, 1};
        in1.label = QStringLiteral("in1");
        SourcePadSpec in2 = in1;
        in2.label = QStringLiteral("in2");
        in2.format = toSide.frames ? AV_PIX_FMT_YUV420P : kTransitionFormat;
        return createFilterGraph(desc, {in1, in2},
                                 {SinkPadSpec{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0}});
    }

    const TransitionKind *kind;
    const int64_t microseconds;
    const int W;
    const int H;
    WatermarkOverlay &watermark;
    av::FramePtr from;
    av::FramePtr to;
    TransitionRenderer::Side fromSide;
    TransitionRenderer::Side toSide;
    const int64_t frameCount;
    av::FilterGraphPtr graph;               // frame by frame, when no thread renders ahead
    std::unique_ptr<YuvTransition> drawing; // the same, for the kinds drawn in 4:2:0
    std::unique_ptr<TransitionRenderer> ahead;
    int64_t aheadStep = 0; // the step of the next frame `ahead` delivers
};

// The transition after the current picture, prepared while the picture's still frames play:
// the next picture decoded on another thread, then the transition rendered ahead.
struct ImageViewer::Lookahead
{
    int index = -1; // the picture the transition follows; -1 for none
    std::future<PreparedTransition> prepared;
    av::FramePtr next;
    std::shared_ptr<const FrameSeries> nextFrames;
    std::unique_ptr<TransitionSource> source;
    // Preparations a seek made useless, still running; reaped once done.
    std::vector<std::future<PreparedTransition>> abandoned;
};

ImageViewer::ImageViewer(QObject *parent)
    : QObject(parent), lookahead(std::make_unique<Lookahead>())
{
    registerEngineMetaTypes();
    connect(this, &ImageViewer::sig_close, this, &ImageViewer::closeImpl);
    connect(this, &ImageViewer::sig_changePreviewCover, this, &ImageViewer::changePreviewCoverImpl);
    // Counted as it is asked for, on the asking thread, before the queued call can start.
    connect(
        this, &ImageViewer::sig_previewVideo, this, [this] { ++runsRequested; },
        Qt::DirectConnection);
    connect(this, &ImageViewer::sig_previewVideo, this, &ImageViewer::previewVideoImpl);
}

ImageViewer::~ImageViewer()
{
    // A run always joins its feeder; this only guards against a run cut short by an exception.
    stopRequested = true;
    queueChanged.notify_all();
    if (feeder.joinable())
        feeder.join();
    finishLookahead();
    std::lock_guard<std::mutex> feederDone(feederMutex);
    std::lock_guard<std::mutex> lock(queueMutex);
    frameQueue.clear();
}

void ImageViewer::closeImpl(int iExitCode)
{
    QThread::currentThread()->exit(iExitCode);
}

void ImageViewer::pause()
{
    paused = true;
    wake();
}

void ImageViewer::resume()
{
    paused = false;
    wake();
}

void ImageViewer::requestStop()
{
    stopRequested = true;
    wake();
}

void ImageViewer::stopAll()
{
    // Cancel first, then look at `previewing`: a run that has set it and not yet seen the cancel
    // is stopped by the flag (see previewVideoImpl).
    runsCancelledUpTo = runsRequested.load();
    if (previewing)
        requestStop();
}

void ImageViewer::requestSeek()
{
    seekRequested = true;
    wake();
}

void ImageViewer::wake()
{
    // Taking the lock orders the flag written before it with a waiter's test of it.
    {
        std::lock_guard<std::mutex> lock(queueMutex);
    }
    queueChanged.notify_all();
}

void ImageViewer::waitForChange(int ms)
{
    std::unique_lock<std::mutex> lock(queueMutex);
    queueChanged.wait_for(lock, std::chrono::milliseconds(ms));
}

void ImageViewer::setAlbum(AlbumSnapshotPtr snapshot)
{
    std::lock_guard<std::mutex> lock(albumMutex);
    published = std::move(snapshot);
}

void ImageViewer::takeAlbum()
{
    std::lock_guard<std::mutex> lock(albumMutex);
    album = published ? published : std::make_shared<const Album>();
}

void ImageViewer::setShownSize(QSize size)
{
    const uint32_t w = uint32_t(std::clamp(size.width(), 0, 0xFFFF));
    const uint32_t h = uint32_t(std::clamp(size.height(), 0, 0xFFFF));
    m_shownSize = w << 16 | h;
}

QSize ImageViewer::shownSize() const
{
    const uint32_t packed = m_shownSize.load();
    return QSize(int(packed >> 16), int(packed & 0xFFFF));
}

QSize ImageViewer::previewSizeFor(int albumWidth, int albumHeight, int aspectNum, int aspectDen,
                                  QSize shown)
{
    int height = std::min(albumHeight, kMaxPreviewHeight);
    if (shown.width() > 0 && shown.height() > 0 && albumWidth > 0 && albumHeight > 0) {
        // The album letterboxed into the surface: its height there, rounded up to even lines.
        const double fit =
            std::min(double(shown.width()) / albumWidth, double(shown.height()) / albumHeight);
        const int fitted = int(std::ceil(albumHeight * fit / 2 - 1e-9)) * 2;
        height = std::min(height, std::max(2, fitted));
    }
    if (height == albumHeight)
        return QSize(albumWidth, albumHeight);
    return QSize(Album::widthFor(height, aspectNum, aspectDen), height);
}

void ImageViewer::requestResize()
{
    resizeRequested = true;
    wake();
}

int ImageViewer::setUpSize()
{
    const Album &job = *album;
    const QSize size =
        previewSizeFor(job.width, job.height, job.aspectNum, job.aspectDen, shownSize());
    state.previewWidth = size.width();
    state.previewHeight = size.height();
    state.previewFont = job.watermarkFont;
    if (size.height() < job.height) {
        const double scale = double(size.height()) / job.height;
        QFont &font = state.previewFont;
        if (font.pixelSize() > 0)
            font.setPixelSize(std::max(1, int(font.pixelSize() * scale)));
        else if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * scale);
    }
    const int W = state.previewWidth;
    const int H = state.previewHeight;
    if (W <= 0 || H <= 0)
        return AVERROR(EINVAL);
    state.watermark.reset();
    state.watermarkFrame.reset();
    state.watermarkRect = QRect();
    if (job.watermarkType == WatermarkText && !job.watermarkText.isEmpty()) {
        // A text that draws nothing (blanks only) simply gives no watermark.
        state.watermarkFrame =
            makeTextWatermarkFrame(job.watermarkText, state.previewFont, job.watermarkColor,
                                   job.watermarkEffect, QSize(W, H));
    } else if (job.watermarkType == WatermarkPicture && !job.watermarkImagePath.isEmpty()) {
        state.watermarkFrame = av::makeFrame();
        if (!state.watermarkFrame)
            return AVERROR(ENOMEM);
        const int ret =
            makePictureWatermarkFrame(job.watermarkImagePath, W, H, state.watermarkFrame.get());
        if (ret < 0)
            return ret;
    }
    if (state.watermarkFrame) {
        const AVFrame *mark = state.watermarkFrame.get();
        const QPoint at =
            watermarkPlacement(job.watermarkPosition, W, H, mark->width, mark->height);
        state.watermarkRect = QRect(at, QSize(mark->width, mark->height));
        if (!state.watermark.create(mark, at, W, H, AV_PIX_FMT_YUV420P, {0, 1}))
            return AVERROR(EINVAL);
    }
    return 0;
}

int ImageViewer::preparePreview()
{
    takeAlbum();
    return prepare();
}

int ImageViewer::prepare()
{
    releasePreview();
    const Album &job = *album;
    resizeRequested = false; // the size is taken now
    int ret = setUpSize();
    if (ret < 0)
        return ret;
    state.pixelFormat = AV_PIX_FMT_YUV420P;
    state.previewFrameRate = kPreviewRate;
    state.frameTimeBase = kFrameTimeBase;
    state.totalFrames = job.totalDuration > 0
                            ? av_rescale_q(job.totalDuration, job.totalTimeBase, kFrameTimeBase)
                            : 0;
    state.frameIntervalMs =
        std::max(1, int(av_rescale_q_rnd(1, kFrameTimeBase, job.msTimeBase, AV_ROUND_DOWN)));
    const int64_t position = playPosition.load();
    state.seekTarget = position > 0 ? positionToFrame(position, job.totalTimeBase) : -1;
    state.nextPts = 0;
    state.lastHandOffMs = 0;
    state.heldFrame = av::makeFrame();
    state.stillFrame = av::makeFrame();
    if (!state.heldFrame || !state.stillFrame)
        return AVERROR(ENOMEM);
    return 0;
}

void ImageViewer::releasePreview()
{
    finishLookahead();
    state.heldFrame.reset();
    state.heldFrames.reset();
    state.heldIndex = -1;
    state.recentPictures.clear();
    state.recentMoving.clear();
    state.stillFrame.reset();
    state.watermark.reset();
    state.watermarkFrame.reset();
    state.watermarkRect = QRect();
    state.seekTarget = -1;
    state.nextPts = 0;
    state.lastHandOffMs = 0;
    state.pictureIndex = 0;
    state.pictureCount = 0;
}

void ImageViewer::requestCover()
{
    ++coversQueued;
    emit sig_changePreviewCover();
}

void ImageViewer::changePreviewCoverImpl()
{
    // A later cover is queued behind this one: it shows the album as it stands by then.
    if (coversQueued.load() > 1) {
        --coversQueued;
        return;
    }
    if (coversQueued.load() > 0)
        --coversQueued;
    if (!running)
        return;
    takeAlbum();
    const Album &job = *album;
    const auto dropAlbum = qScopeGuard([this] { album.reset(); });
    int ret = prepare();
    if (ret >= 0 && !job.materialOrder.isEmpty()) {
        const int index = std::clamp(coverPicture.load(), 0, int(job.materialOrder.size()) - 1);
        const PictureLife life = pictureLife(job, index, kPreviewRate);
        ret = holdPicture(index);
        if (ret >= 0 && state.heldFrames)
            ret = state.heldFrames->render(life.before, life.frames(), state.stillFrame.get());
        else if (ret >= 0)
            ret = av_frame_ref(state.stillFrame.get(), state.heldFrame.get());
        if (ret >= 0)
            ret = state.watermark.apply(state.stillFrame.get());
        PlayerInterface *pPlayer = player.load();
        if (ret >= 0 && !stopRequested && pPlayer) {
            av::FramePtr cover(av_frame_clone(state.stillFrame.get()));
            if (cover) {
                cover->pts = 0;
                pPlayer->pushVideoFrame(cover.get());
            }
        }
    }
    releasePreview();
}

void ImageViewer::previewVideoImpl()
{
    // The editor starts the player's clock as it asks for the run.
    const int64_t requestedMs = monotonicMs();
    // What is left of an earlier run's end (a stop that crossed its finish) must not reach this
    // one; a pause made while this run was asked for holds (the editor clears `paused` as it
    // asks). `previewing` is set before the cancel is read: a stop that comes between sees it.
    stopRequested = false;
    seekRequested = false;
    previewing = true;
    const uint64_t serial = ++runsStarted;
    if (serial <= runsCancelledUpTo.load()) {
        previewing = false;
        paused = false;
        stopRequested = false;
        emit sig_previewFinished();
        return;
    }
    runPlayer = player.load();
    takeAlbum();
    const Album &job = *album;
    const auto dropAlbum = qScopeGuard([this] { album.reset(); });
    {
        std::lock_guard<std::mutex> queueLock(queueMutex);
        frameQueue.clear();
        renderedAll = false;
        ++queueGeneration;
    }

    int ret = prepare();
    state.pictureCount = job.materialOrder.size();
    state.pictureIndex = 0;
    {
        std::lock_guard<std::mutex> queueLock(queueMutex);
        scheduleMs = requestedMs;
        schedulePts = std::max<int64_t>(0, state.seekTarget);
    }
    if (ret >= 0 && state.pictureCount > 0) {
        try {
            feeder = std::thread(&ImageViewer::feederMain, this, runPlayer);
        } catch (const std::system_error &) {
            ret = AVERROR(EAGAIN);
        }
        if (ret >= 0)
            runLoop();
    }

    // Every run ends here, whatever ended it.
    playPosition = 0;
    stopRequested = true;
    wake();
    if (feeder.joinable())
        feeder.join();
    {
        std::lock_guard<std::mutex> feederDone(feederMutex);
        std::lock_guard<std::mutex> queueLock(queueMutex);
        frameQueue.clear();
        renderedAll = false;
    }
    releasePreview();
    runPlayer = nullptr;
    paused = false;
    seekRequested = false;
    stopRequested = false;
    previewing = false;
    emit sig_previewFinished();
}

void ImageViewer::runLoop()
{
    const Album &job = *album;
    auto setRenderedAll = [this](bool all) {
        std::lock_guard<std::mutex> lock(queueMutex);
        renderedAll = all;
    };
    while (!stopping()) {
        if (state.pictureIndex >= state.pictureCount) {
            // Everything is queued; the feeder ends the run when the queue has played out.
            if (seekRequested) {
                // renderedAll goes before the request is taken, so that the feeder never sees
                // the emptied queue with it still set and takes the seek for the album's end.
                setRenderedAll(false);
                if (seekRequested.exchange(false)) {
                    takeSeekRequest();
                    state.pictureIndex = 0;
                    state.nextPts = 0;
                    continue;
                }
            }
            setRenderedAll(true);
            queueChanged.notify_all();
            waitForChange(kPollMs);
            continue;
        }
        currentPicture = job.materials.value(job.materialOrder.at(state.pictureIndex));
        SegmentEnd end = renderPictureSegment();
        // After a cut the next picture's segment follows at once.
        if ((end == SegmentEnd::Done || end == SegmentEnd::TargetAfter) &&
            state.pictureIndex + 1 < state.pictureCount &&
            job.slotFrameCount(state.pictureIndex, kPreviewRate) > 0) {
            nextPicture = job.materials.value(job.materialOrder.at(state.pictureIndex + 1));
            end = renderTransitionSegment();
            if (end == SegmentEnd::TargetBefore) {
                // The target lies in this picture or earlier: back to the picture's first frame.
                state.nextPts -= pictureFrames(state.pictureIndex);
                continue;
            }
        }
        switch (end) {
        case SegmentEnd::Done:
        case SegmentEnd::TargetAfter:
            ++state.pictureIndex;
            break;
        case SegmentEnd::TargetBefore:
            stepBack();
            break;
        case SegmentEnd::Stopped:
            return;
        case SegmentEnd::Failed:
            stopRequested = true;
            return;
        }
    }
}

int64_t ImageViewer::pictureFrames(int index) const
{
    return album->pictureFrameCount(index, kPreviewRate);
}

void ImageViewer::stepBack()
{
    // nextPts is the first frame of picture `pictureIndex`; the previous picture starts a
    // transition and a picture earlier.
    const Album &job = *album;
    if (state.pictureIndex <= 1 || state.seekTarget < 1) {
        state.pictureIndex = 0;
        state.nextPts = 0;
        return;
    }
    --state.pictureIndex;
    const int64_t back =
        pictureFrames(state.pictureIndex) + job.slotFrameCount(state.pictureIndex, kPreviewRate);
    state.nextPts -= back;
    if (state.nextPts < 0) {
        state.pictureIndex = 0;
        state.nextPts = 0;
    }
}

void ImageViewer::takeSeekRequest()
{
    const Album &job = *album;
    const int64_t position = std::max<int64_t>(0, playPosition.load());
    state.seekTarget = positionToFrame(position, job.totalTimeBase);
    // The player's clock restarted from the position when the seek was asked for, a few ms ago
    // at most; its frame started that much earlier still.
    const int64_t intoFrameMs = av_rescale_q(position, job.totalTimeBase, {1, 1000}) -
                                av_rescale_q(state.seekTarget, kFrameTimeBase, {1, 1000});
    dropLookahead();
    // What is queued belongs to the old position, wherever the target turns out to be.
    flushQueue(monotonicMs() - std::max<int64_t>(0, intoFrameMs), state.seekTarget);
}

bool ImageViewer::takeShownSize()
{
    const Album &job = *album;
    const QSize size =
        previewSizeFor(job.width, job.height, job.aspectNum, job.aspectDen, shownSize());
    if (size == QSize(state.previewWidth, state.previewHeight))
        return false;
    // Everything prepared is at the old size: it is prepared again where the clock is.
    dropLookahead();
    state.recentPictures.clear();
    state.recentMoving.clear();
    state.heldFrames.reset();
    av_frame_unref(state.heldFrame.get());
    av_frame_unref(state.stillFrame.get());
    state.heldIndex = -1;
    if (setUpSize() < 0) {
        stopRequested = true;
        return true;
    }
    const double clockMs = runPlayer ? std::max(0.0, runPlayer->sliderPositionMs()) : 0.0;
    const int64_t target = std::max<int64_t>(0, playerClockFrame());
    state.seekTarget = std::min(target, std::max<int64_t>(0, state.totalFrames - 1));
    const int64_t intoFrameMs =
        int64_t(clockMs) - av_rescale_q(state.seekTarget, kFrameTimeBase, {1, 1000});
    flushQueue(monotonicMs() - std::clamp<int64_t>(intoFrameMs, 0, 1000), state.seekTarget);
    return true;
}

ImageViewer::SegmentEnd ImageViewer::placeSeekTarget(int64_t start, int64_t end)
{
    const int64_t target = state.seekTarget;
    if (target < start) {
        state.nextPts = start;
        return SegmentEnd::TargetBefore;
    }
    if (target >= end) {
        state.nextPts = end;
        return SegmentEnd::TargetAfter;
    }
    state.nextPts = target;
    state.seekTarget = -1;
    return SegmentEnd::Done; // inside: render from the target on
}

int ImageViewer::holdPicture(int index)
{
    if (state.heldIndex == index &&
        (state.heldFrames || (state.heldFrame && state.heldFrame->width > 0)))
        return 0;
    state.heldIndex = -1;
    int ret = 0;
    state.heldFrames = recentMoving(index);
    if (state.heldFrames) {
        av_frame_unref(state.heldFrame.get());
    } else if (av::FramePtr recent = recentPicture(index)) {
        av_frame_unref(state.heldFrame.get());
        av_frame_move_ref(state.heldFrame.get(), recent.get());
    } else {
        const Album &job = *album;
        ret = preparePreviewPicture(job.materialOrder.at(index), state.previewWidth,
                                    state.previewHeight, resolveLook(job, index),
                                    state.heldFrame.get(), &state.heldFrames);
        if (ret >= 0)
            keepPicture(index, state.heldFrame.get(), state.heldFrames);
    }
    if (ret >= 0)
        state.heldIndex = index;
    return ret;
}

NextPicture ImageViewer::nextPictureFor(int index)
{
    const Album &job = *album;
    NextPicture next;
    next.frames = recentMoving(index);
    if (!next.frames)
        next.still = recentPicture(index);
    next.path = job.materialOrder.at(index);
    next.look = resolveLook(job, index);
    return next;
}

av::FramePtr ImageViewer::recentPicture(int index)
{
    auto &recent = state.recentPictures;
    for (auto it = recent.begin(); it != recent.end(); ++it) {
        if (it->first == index) {
            std::rotate(it, it + 1, recent.end()); // now the latest used
            return av::FramePtr(av_frame_clone(recent.back().second.get()));
        }
    }
    return nullptr;
}

std::shared_ptr<const FrameSeries> ImageViewer::recentMoving(int index) const
{
    for (const auto &e : state.recentMoving)
        if (e.first == index)
            return e.second;
    return nullptr;
}

void ImageViewer::keepPicture(int index, const AVFrame *frame,
                              std::shared_ptr<const FrameSeries> frames)
{
    auto &moving = state.recentMoving;
    moving.erase(std::remove_if(moving.begin(), moving.end(),
                                [index](const auto &e) { return e.first == index; }),
                 moving.end());
    if (frames) {
        moving.emplace_back(index, std::move(frames));
        if (moving.size() > kRecentPictures)
            moving.erase(moving.begin());
        return;
    }
    auto &recent = state.recentPictures;
    recent.erase(std::remove_if(recent.begin(), recent.end(),
                                [index](const auto &e) { return e.first == index; }),
                 recent.end());
    if (av::FramePtr copy{av_frame_clone(frame)})
        recent.emplace_back(index, std::move(copy));
    if (recent.size() > kRecentPictures)
        recent.erase(recent.begin());
}

ImageViewer::SegmentEnd ImageViewer::renderPictureSegment()
{
    const int64_t start = state.nextPts;
    const int64_t end = start + pictureFrames(state.pictureIndex);
    bool landed = false;
    // The target is placed before anything is decoded, so skipped pictures cost nothing.
    if (seekRequested.exchange(false))
        takeSeekRequest();
    if (state.seekTarget >= 0) {
        const SegmentEnd where = placeSeekTarget(start, end);
        if (where != SegmentEnd::Done)
            return where;
        landed = true;
    }
    if (state.heldIndex != state.pictureIndex)
        startLookahead();
    int ret = holdPicture(state.pictureIndex);
    if (ret >= 0 && state.heldFrames) {
        startLookahead();
        MovingSource source(state.heldFrames, pictureLife(*album, state.pictureIndex, kPreviewRate),
                            state.watermark);
        return renderFrames(start, pictureFrames(state.pictureIndex), source, landed);
    }
    if (ret >= 0) {
        av_frame_unref(state.stillFrame.get());
        ret = av_frame_ref(state.stillFrame.get(), state.heldFrame.get());
    }
    if (ret >= 0)
        ret = state.watermark.apply(state.stillFrame.get());
    if (ret < 0) {
        av_log(nullptr, AV_LOG_DEBUG, "preview: picture %d failed (%d)\n", state.pictureIndex, ret);
        return SegmentEnd::Failed;
    }
    startLookahead();
    StillSource source(state.stillFrame.get());
    return renderFrames(start, pictureFrames(state.pictureIndex), source, landed);
}

ImageViewer::SegmentEnd ImageViewer::renderTransitionSegment()
{
    const Album &job = *album;
    const int index = state.pictureIndex;
    if (!job.slotKind(index))
        return SegmentEnd::Failed;
    const int64_t start = state.nextPts;
    const int64_t length = job.slotFrameCount(index, kPreviewRate);
    bool landed = false;
    if (seekRequested.exchange(false))
        takeSeekRequest();
    if (state.seekTarget >= 0) {
        const SegmentEnd where = placeSeekTarget(start, start + length);
        if (where != SegmentEnd::Done)
            return where;
        landed = true;
    }

    const int W = state.previewWidth;
    const int H = state.previewHeight;
    const QString nextPath = job.materialOrder.at(index + 1);
    av::FramePtr next;
    std::shared_ptr<const FrameSeries> nextFrames;
    std::unique_ptr<TransitionSource> source;
    int ret = 0;
    if (!landed && lookahead->index == index) {
        advanceLookahead(true);
        next = std::move(lookahead->next);
        nextFrames = std::move(lookahead->nextFrames);
        source = std::move(lookahead->source);
        lookahead->index = -1;
    }
    if (!source) {
        dropLookahead();
        PreparedTransition p;
        if (state.heldIndex == index) {
            p = prepareTransitionStills(av::FramePtr(av_frame_clone(state.heldFrame.get())),
                                        nextPictureFor(index + 1), W, H);
        } else {
            // After a seek neither picture is held: both decode at once, one on another thread.
            std::future<PreparedTransition> nextReady;
            try {
                nextReady = std::async(std::launch::async, prepareTransitionStills, nullptr,
                                       nextPictureFor(index + 1), W, H);
            } catch (const std::system_error &) {
            }
            ret = holdPicture(index);
            p = nextReady.valid()
                    ? nextReady.get()
                    : prepareTransitionStills(nullptr, nextPictureFor(index + 1), W, H);
            if (ret >= 0 && p.code >= 0 && !state.heldFrames)
                p.code = convertWithGraph(state.heldFrame.get(), p.from.get(), kTransitionFormat);
        }
        ret = ret < 0 ? ret : p.code;
        if (ret >= 0) {
            next = std::move(p.next);
            nextFrames = p.nextFrames;
            source = std::make_unique<TransitionSource>(job, index, W, H, state.watermark,
                                                        std::move(p.from), std::move(p.to),
                                                        state.heldFrames, std::move(p.nextFrames));
        }
    }
    if (ret < 0) {
        av_log(nullptr, AV_LOG_DEBUG, "preview: transition %d failed (%d)\n", index, ret);
        return SegmentEnd::Failed;
    }
    const SegmentEnd end = renderFrames(start, length, *source, landed);
    source.reset();
    if (end == SegmentEnd::Done || end == SegmentEnd::TargetAfter) {
        // The next picture segment shows this picture without decoding it again.
        std::swap(state.heldFrame, next);
        state.heldFrames = std::move(nextFrames);
        state.heldIndex = index + 1;
        keepPicture(index + 1, state.heldFrame.get(), state.heldFrames);
    }
    return end;
}

void ImageViewer::startLookahead()
{
    const Album &job = *album;
    const int index = state.pictureIndex;
    // Nothing to prepare before a cut: the next picture is decoded in its own turn.
    if (lookahead->index == index || index + 1 >= state.pictureCount ||
        job.slotFrameCount(index, kPreviewRate) <= 0)
        return;
    dropLookahead();
    // Not held yet (after a seek): the two pictures decode side by side, and the current one is
    // converted for the transition once it is here.
    av::FramePtr current;
    if (state.heldIndex == index && !state.heldFrames)
        current.reset(av_frame_clone(state.heldFrame.get()));
    try {
        lookahead->prepared =
            std::async(std::launch::async, prepareTransitionStills, std::move(current),
                       nextPictureFor(index + 1), state.previewWidth, state.previewHeight);
        lookahead->index = index;
    } catch (const std::system_error &) {
    }
}

void ImageViewer::advanceLookahead(bool wait)
{
    Lookahead &l = *lookahead;
    auto &gone = l.abandoned;
    gone.erase(std::remove_if(gone.begin(), gone.end(),
                              [](const std::future<PreparedTransition> &f) {
                                  return f.wait_for(std::chrono::seconds(0)) ==
                                         std::future_status::ready;
                              }),
               gone.end());
    if (!l.prepared.valid() ||
        (!wait && l.prepared.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
        return;
    PreparedTransition p = l.prepared.get();
    const Album &job = *album;
    if (p.code < 0 || l.index < 0 || !job.slotKind(l.index)) {
        l.index = -1; // the transition itself tries again, and reports what fails
        return;
    }
    // The current picture is known by now: moving, or converted here unless it was already.
    if (state.heldIndex != l.index ||
        (!state.heldFrames && p.from->width <= 0 &&
         convertWithGraph(state.heldFrame.get(), p.from.get(), kTransitionFormat) < 0)) {
        l.index = -1;
        return;
    }
    l.next = std::move(p.next);
    l.nextFrames = p.nextFrames;
    l.source = std::make_unique<TransitionSource>(
        job, l.index, state.previewWidth, state.previewHeight, state.watermark, std::move(p.from),
        std::move(p.to), state.heldFrames, std::move(p.nextFrames));
    // A clip going out is read where it plays until its transition starts: drawing the
    // transition ahead would read it at two places at once, seeking back and forth.
    if (state.heldFrames && state.heldFrames->sequential())
        return;
    if (l.source->begin(0) < 0)
        l.source.reset(); // the transition tries again in its turn
}

void ImageViewer::dropLookahead()
{
    Lookahead &l = *lookahead;
    if (l.prepared.valid())
        l.abandoned.push_back(std::move(l.prepared));
    l.source.reset();
    l.next.reset();
    l.nextFrames.reset();
    l.index = -1;
}

void ImageViewer::finishLookahead()
{
    dropLookahead();
    for (auto &f : lookahead->abandoned)
        f.wait();
    lookahead->abandoned.clear();
}

ImageViewer::SegmentEnd ImageViewer::renderFrames(int64_t start, int64_t length,
                                                  FrameSource &source, bool landed)
{
    const int64_t end = start + length;
    // The first frame after a seek is shown even while paused, so that a seek shows its place.
    bool showWhilePaused = landed;
    while (state.nextPts < end) {
        if (stopping())
            return SegmentEnd::Stopped;
        if (resizeRequested.exchange(false)) {
            if (takeShownSize()) {
                // The source draws at the old size: the segment starts again from its first
                // frame, and the clock's frame is found from there.
                state.nextPts = start;
                return stopping() ? SegmentEnd::Stopped : SegmentEnd::TargetBefore;
            }
            // The same size: a frame that the queue gave up for the request is drawn again.
            source.seeked();
        }
        if (seekRequested.exchange(false)) {
            takeSeekRequest();
            const SegmentEnd where = placeSeekTarget(start, end);
            if (where != SegmentEnd::Done)
                return where;
            source.seeked();
            showWhilePaused = true;
            continue;
        }
        if (paused && !showWhilePaused) {
            waitForChange(kPollMs);
            continue;
        }
        // A frame whose time the player's clock has passed is not produced at all.
        if (playerClockFrame() > state.nextPts) {
            ++state.nextPts;
            continue;
        }
        av::FramePtr frame;
        const int ret = source.render(state.nextPts - start, frame);
        if (ret < 0) {
            av_log(nullptr, AV_LOG_DEBUG, "preview: frame %lld failed (%d)\n",
                   static_cast<long long>(state.nextPts), ret);
            return SegmentEnd::Failed;
        }
        frame->pts = state.nextPts;
        if (!enqueue(std::move(frame)))
            continue; // a stop or a seek came while the queue was full
        ++state.nextPts;
        showWhilePaused = false;
    }
    return SegmentEnd::Done;
}

int64_t ImageViewer::playerClockFrame() const
{
    if (!runPlayer)
        return -1;
    const double ms = runPlayer->sliderPositionMs();
    if (!(ms > 0))
        return 0;
    const double frames = std::floor(ms * kPreviewRate.num / (1000.0 * kPreviewRate.den));
    return frames < 9.0e15 ? int64_t(frames) : int64_t(9.0e15);
}

bool ImageViewer::enqueue(av::FramePtr frame)
{
    std::unique_lock<std::mutex> lock(queueMutex);
    while (int(frameQueue.size()) >= maxQueuedFrames) {
        if (stopping() || seekRequested || resizeRequested)
            return false;
        if (lookahead->prepared.valid() || !lookahead->abandoned.empty()) {
            lock.unlock();
            advanceLookahead(false);
            lock.lock();
        }
        queueChanged.wait_for(lock, std::chrono::milliseconds(kPollMs));
    }
    frameQueue.push_back(std::move(frame));
    lock.unlock();
    queueChanged.notify_all();
    return true;
}

void ImageViewer::flushQueue(int64_t clockMs, int64_t clockPts)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        frameQueue.clear();
        // Under the same lock: a feeder that found the queue empty with renderedAll still set
        // would take the seek for the album's end.
        renderedAll = false;
        ++queueGeneration;
        scheduleMs = clockMs;
        schedulePts = clockPts;
    }
    queueChanged.notify_all();
}

void ImageViewer::feederMain(PlayerInterface *player)
{
    pthread_setname_np(pthread_self(), "PreviewFeeder");
    std::lock_guard<std::mutex> life(feederMutex);
    const int64_t interval = state.frameIntervalMs;
    // The schedule: frame `anchorPts` is due at `anchorMs`, each later pts 40 ms after the one
    // before. It follows the player's clock from the start of the run and from each seek, so
    // that pictures keep time with the music. Time behind it is the lateness budget, spent by
    // handing frames without waiting.
    bool scheduled = false;
    int64_t anchorMs = 0;
    int64_t anchorPts = 0;
    int64_t lastPts = 0;
    std::unique_lock<std::mutex> lock(queueMutex);
    uint64_t generation = queueGeneration - 1;
    uint64_t shownGeneration = generation;
    while (!stopping()) {
        if (queueGeneration != generation) {
            // A seek emptied the queue: what comes next starts a new schedule.
            generation = queueGeneration;
            scheduled = schedulePts >= 0;
            anchorMs = scheduleMs;
            anchorPts = schedulePts;
            state.lastHandOffMs = 0;
        }
        const bool seekFrame = !frameQueue.empty() && shownGeneration != generation;
        if (paused && !seekFrame) {
            // Paused time is no lateness: the schedule starts again on resume.
            scheduled = false;
            state.lastHandOffMs = 0;
            queueChanged.wait_for(lock, std::chrono::milliseconds(kPollMs));
            continue;
        }
        const int64_t now = monotonicMs();
        if (frameQueue.empty()) {
            // A seek asked for at the end is the renderer's to take, not the end of the run.
            if (renderedAll && !seekRequested) {
                // The album is played out once its last frame has had its time.
                const int64_t lastEnds = anchorMs + (lastPts + 1 - anchorPts) * interval;
                if (!scheduled || shownGeneration != generation || now >= lastEnds)
                    break;
                queueChanged.wait_for(lock, std::chrono::milliseconds(lastEnds - now));
                continue;
            }
            queueChanged.wait_for(lock, std::chrono::milliseconds(kPollMs));
            continue;
        }
        if (scheduled) {
            const int64_t due = anchorMs + (frameQueue.front()->pts - anchorPts) * interval;
            if (now < due) {
                queueChanged.wait_for(lock, std::chrono::milliseconds(due - now));
                continue;
            }
            if (now - due > kMaxLatenessBudgetMs && shownGeneration == generation) {
                if (playerClockFrame() > frameQueue.front()->pts) {
                    frameQueue.pop_front();
                    queueChanged.notify_all();
                    continue;
                }
                scheduled = false; // the player's clock holds back: follow it from this frame
            }
        }
        av::FramePtr frame = std::move(frameQueue.front());
        frameQueue.pop_front();
        lock.unlock();
        queueChanged.notify_all();
        const int64_t pts = frame->pts;
        if (player)
            player->pushVideoFrame(frame.get()); // may block while the display queue is full
        frame.reset();
        lock.lock();
        if (!scheduled) {
            scheduled = true;
            anchorMs = now;
            anchorPts = pts;
        }
        lastPts = pts;
        shownGeneration = generation;
        state.lastHandOffMs = monotonicMs();
    }
    frameQueue.clear();
    stopRequested = true;
    lock.unlock();
    queueChanged.notify_all();
}
