// SPDX-License-Identifier: GPL-3.0-or-later
// ImageViewer: renders the album live for the player, at 25 frames per second, and its cover.
#pragma once

#include "album.h"
#include "avhandles.h"
#include "picturerenderer.h"
#include "watermark.h"

#include <QFont>
#include <QObject>
#include <QRect>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class PlayerInterface;

// The next picture as a transition needs it: a still, or a moving picture's frames, with the
// path and look to prepare it from when neither is at hand.
struct NextPicture
{
    av::FramePtr still;
    std::shared_ptr<const FrameSeries> frames;
    QString path;
    ResolvedLook look;
};

// The working record of one preview run or cover. Only the ImageViewer thread touches it;
// `lastHandOffMs` alone is written by the frame feeder.
struct PreviewState
{
    av::FramePtr heldFrame; // the current picture, letterboxed and converted, no watermark
    int heldIndex = -1;     // its row in materialOrder; -1 when nothing is held
    // A moving picture draws each frame: then it is held here and heldFrame stays empty.
    std::shared_ptr<const FrameSeries> heldFrames;
    // Pictures prepared lately, by row, the latest used last: a seek back to one of them shows
    // it without decoding it again.
    std::vector<std::pair<int, av::FramePtr>> recentPictures;
    std::vector<std::pair<int, std::shared_ptr<const FrameSeries>>> recentMoving;
    av::FramePtr stillFrame; // the watermarked frame that a picture segment repeats
    QFont previewFont;
    int previewWidth = 0;
    int previewHeight = 0;
    int pixelFormat = AV_PIX_FMT_YUV420P;
    AVRational previewFrameRate{25, 1};
    AVRational frameTimeBase{1, 25};
    int64_t totalFrames = 0;
    int64_t seekTarget = -1; // frame at which rendering resumes; -1 when none is pending
    int64_t nextPts = 0;
    int frameIntervalMs = 40;
    // Monotonic time of the feeder's latest hand-off; 0 while none (run start, pause, seek).
    std::atomic<int64_t> lastHandOffMs{0};
    int pictureIndex = 0;
    int pictureCount = 0;
    av::FramePtr watermarkFrame;
    WatermarkOverlay watermark;
    QRect watermarkRect;
};

// Thread contract:
// - The object lives on a QThread of its own; the three request signals run their slots there.
//   A run and a cover render the album snapshot last handed to setAlbum when they start, and
//   keep it to their end: the editor's edits publish new snapshots without waiting for them.
// - `paused`, `stopRequested`, `seekRequested` are written by the editor while a run is asked
//   for or `previewing` is true; the renderer and the feeder poll them (at least every 10 ms), or
//   are woken at once through pause()/resume()/requestStop()/requestSeek(). A seek reads
//   `playPosition`. `running` cleared ends every run and skips every cover until the
//   object goes.
// - `queueMutex` guards `frameQueue`, `queueGeneration`, the schedule and `renderedAll`
//   between the renderer and the feeder.
//   The feeder holds `feederMutex` for its whole life; a run joins it before it ends.
// - The feeder is the only caller of the player's pushVideoFrame during a run; the renderer
//   calls sliderPositionMs. Both go through the player pointer read once at the start of a run.
// - While a picture's still frames play, the next picture decodes on a std::async thread and
//   the transition renders ahead on a TransitionRenderer thread; the viewer's thread owns both
//   and waits for them before the run ends.
class ImageViewer : public QObject
{
    Q_OBJECT
public:
    explicit ImageViewer(QObject *parent = nullptr);
    ~ImageViewer() override;

    static constexpr int maxQueuedFrames = 15;

    std::atomic<bool> running{true};
    std::atomic<bool> paused{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> seekRequested{false};
    std::atomic<bool> previewing{false};
    // The picture a cover shows: the first, except while a picture's panel shows its own
    // (its first frame alone, so that a change of its look shows at once).
    std::atomic<int> coverPicture{0};
    // Where a run starts or a seek lands, in the album's time base; set by the editor.
    std::atomic<int64_t> playPosition{0};
    // The player frames go to; set before the first run.
    std::atomic<PlayerInterface *> player{nullptr};

    // The album the next run or cover renders (any thread). Only the pointer is guarded: no
    // lock is held while a run renders.
    void setAlbum(AlbumSnapshotPtr snapshot);
    // Asks for a cover of the album last handed over. Covers asked for while one is still
    // queued are one: only the last renders (a burst of edits asks for many).
    void requestCover();

    // Flag setters that also wake the waiting threads (writing the flags directly works too,
    // with up to 10 ms more delay).
    void pause();
    void resume();
    void requestStop();
    void requestSeek();

    // The size the player shows pictures at, in device pixels (empty: not known). Runs and
    // covers render at the album's size letterboxed into it, never above the album's size nor
    // kMaxPreviewHeight lines: a preview in a small window costs that much less to render and
    // to present.
    void setShownSize(QSize size);
    QSize shownSize() const;
    static QSize previewSizeFor(int albumWidth, int albumHeight, int aspectNum, int aspectDen,
                                QSize shown);
    static constexpr int kMaxPreviewHeight = 1080;
    // A run takes the shown size again, if its preview size changes with it, and goes on from
    // where the player's clock is (the clock and the music are not touched).
    void requestResize();

    // Runs asked for (sig_previewVideo counts itself as it is emitted, on the emitting thread)
    // and the runs up to which a stop came before they began: such a run ends at once, with its
    // sig_previewFinished, so that a halt made while the request waits in the queue is not lost.
    // A pause made meanwhile holds for the run when it starts.
    std::atomic<uint64_t> runsRequested{0};
    std::atomic<uint64_t> runsCancelledUpTo{0};
    // True from the request of a run until its end: the flags above may be set meanwhile.
    bool runAskedOrActive() const { return previewing.load() || runsStarted < runsRequested; }
    // Stops the current run and every run still waiting in the queue.
    void stopAll();

    // Takes the album last handed over and sets up the output size, font, frame numbers and
    // watermark as a run or a cover does (tests call it while nothing runs).
    int preparePreview();
    void releasePreview();
    const PreviewState &previewState() const { return state; }

signals:
    void sig_close(int iExitCode);
    void sig_changePreviewCover();
    void sig_previewVideo();
    void sig_previewFinished();

public slots:
    void closeImpl(int iExitCode);
    void changePreviewCoverImpl();
    void previewVideoImpl();

private:
    enum class SegmentEnd
    {
        Done,         // every frame of the segment went to the queue (or was late)
        TargetAfter,  // a seek target lies after the segment: skipped, nothing decoded
        TargetBefore, // a seek target lies before it; nextPts is back at the segment's start
        Stopped,
        Failed
    };
    class FrameSource;
    class StillSource;
    class MovingSource;
    class TransitionSource;
    struct Lookahead;

    void runLoop();
    SegmentEnd renderPictureSegment();
    SegmentEnd renderTransitionSegment();
    SegmentEnd renderFrames(int64_t start, int64_t length, FrameSource &source, bool landed);
    SegmentEnd placeSeekTarget(int64_t start, int64_t end);
    void takeSeekRequest();
    // Takes the shown size: true when the preview's size changed, and the run goes on from the
    // player's clock; what the caller holds is then stale.
    bool takeShownSize();
    // The size, font and watermark of a run or a cover.
    int setUpSize();
    void stepBack();
    int holdPicture(int index);
    av::FramePtr recentPicture(int index);
    std::shared_ptr<const FrameSeries> recentMoving(int index) const;
    // Keeps a prepared picture for seeks back: its still, or its frames when it moves.
    void keepPicture(int index, const AVFrame *frame,
                     std::shared_ptr<const FrameSeries> frames = nullptr);
    // The next picture as the caches have it, with its path and look, for a transition.
    NextPicture nextPictureFor(int index);
    void startLookahead();
    void advanceLookahead(bool wait);
    void dropLookahead();
    void finishLookahead();
    bool enqueue(av::FramePtr frame);
    void flushQueue(int64_t clockMs, int64_t clockPts);
    void wake();
    void waitForChange(int ms);
    int64_t playerClockFrame() const;
    bool stopping() const { return stopRequested.load() || !running.load(); }
    void feederMain(PlayerInterface *player);

    PreviewState state;
    std::atomic<uint64_t> runsStarted{0}; // written by the viewer's thread only
    std::atomic<int> coversQueued{0};     // asked for by requestCover and not yet taken
    std::atomic<uint32_t> m_shownSize{0}; // width << 16 | height, device pixels
    std::atomic<bool> resizeRequested{false};
    MaterialItem currentPicture; // copies of the rows being rendered
    MaterialItem nextPicture;
    PlayerInterface *runPlayer = nullptr;
    // The album of the run or cover under way (the viewer's thread only), and the one the next
    // takes.
    void takeAlbum();
    // preparePreview for the album taken.
    int prepare();
    AlbumSnapshotPtr album;
    std::mutex albumMutex;
    AlbumSnapshotPtr published;
    // Frames picture `index` of the album shows alone at the preview's rate.
    int64_t pictureFrames(int index) const;
    std::unique_ptr<Lookahead> lookahead; // the viewer's thread only

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<av::FramePtr> frameQueue;
    uint64_t queueGeneration = 0; // +1 at every flush: the feeder starts a new schedule
    // The player's clock stood at frame `schedulePts` at monotonic `scheduleMs` (run start or
    // seek); -1: the schedule starts at the first frame handed.
    int64_t scheduleMs = 0;
    int64_t schedulePts = -1;
    bool renderedAll = false; // the renderer reached the album's end (under queueMutex)

    std::mutex feederMutex;
    std::thread feeder;
};
