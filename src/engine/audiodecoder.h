// SPDX-License-Identifier: GPL-3.0-or-later
// AudioDecoder: plays the background music of a preview, looped, through the player.
#pragma once

#include "album.h"
#include "avhandles.h"
#include "musicshape.h"
#include "peaklimiter.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class PlayerInterface;

// Thread contract:
// - The object lives on a QThread of its own. decodeImpl runs there for the whole request,
//   with the music's shape and the album's length from the snapshot last given to setAlbum;
//   meanwhile the thread's event loop is blocked, so queued calls (jumpPlayIndex) wait until
//   it returns.
// - stop(), pause(), resume() and setSeekRequest() are called from the user-interface thread;
//   they write the atomics below and wake the decode loop, which tests them under
//   `controlMutex` before every wait. `input`, `decoder` and `stream` are touched by the
//   decoder's thread only.
// - Frames go to the player's pushAudioFrame (`output`), which blocks while the playback engine's
//   sample queue is full: that wait paces the loop to playback speed.
class AudioDecoder : public QObject
{
    Q_OBJECT
public:
    explicit AudioDecoder(QObject *parent = nullptr);
    ~AudioDecoder() override;

    std::atomic<bool> running{true};
    std::atomic<bool> paused{false};
    std::atomic<bool> active{false}; // decodeImpl is running
    // Set before sig_close: a decode still queued behind the close does not start, and one
    // running hands nothing more over.
    std::atomic<bool> closing{false};
    std::atomic<int> durationMs{-1};    // music length; -1 while unknown
    std::atomic<int> seekRequestMs{-1}; // pending seek in preview milliseconds; -1 for none
    std::atomic<int> loopCount{0};      // times the music wrapped (informational)
    // The player the sound goes to; set before the first request.
    std::atomic<PlayerInterface *> output{nullptr};

    // The album the next request plays under (any thread); only the pointer is guarded.
    void setAlbum(AlbumSnapshotPtr snapshot);

    // Decodes asked for (sig_decode counts itself as it is emitted, on the emitting thread), and
    // the requests up to which a stop came before they began: those end at once, unplayed.
    std::atomic<uint64_t> decodesRequested{0};
    std::atomic<uint64_t> decodesCancelledUpTo{0};
    // True from the request of a decode until its end.
    bool askedOrActive() const { return active.load() || decodesStarted < decodesRequested; }

    // stop() ends the running decode and every one still waiting in the queue. pause() and
    // resume() act while a decode runs or is asked for: a pause made before the decode starts
    // holds for it.
    void stop();
    void pause();
    void resume();
    // Seeks the music to preview position `ms` (modulo its length) at the next loop pass, or at
    // the start of the next request when none runs. A negative value drops a pending request.
    // With bFollowClock the music starts as far past `ms` as a running clock will be when the
    // sound is heard: the time until the seek is served plus the player's audio latency.
    void setSeekRequest(int ms, bool bFollowClock = false);

signals:
    void sig_close(int iExitCode);
    void sig_decode(QString szFile);

public slots:
    void closeImpl(int iExitEcode);
    void decodeImpl(QString szFile);
    void jumpPlayIndex(int time_millisecond);

private:
    int openMusic(const QString &szFile);
    // A list of tracks plays through a MusicList, joined and looped as the export has it.
    // The pending seek of a list or a mix, in album milliseconds (-1: none), moved on as far as
    // a running clock will be when the sound is heard.
    int64_t takeSeekMs();
    void decodeList(const Album &job);
    // An album whose clips have sound plays through here: the music (when there is some) as a
    // list, ducked or paused under the clips, their sound over it, as the export mixes it.
    void decodeMixed(const Album &job);
    void decodeLoop();
    int handOver(AVFrame *frame);
    bool trimToTarget(AVFrame *frame);
    // Seeks to `musicOffsetUs` past the start offset; the sound found there plays at album time
    // `albumAtUs`.
    void seekToMusic(int64_t musicOffsetUs, int64_t albumAtUs);
    // Scales a frame by the fades and volume for its album time.
    void shapeFrame(AVFrame *frame);
    // Waits up to `ms`, ending early at a stop, a close, a seek request, or when `paused` is no
    // longer bWhilePaused. The flags are tested under controlMutex, so a wake-up that comes
    // between a caller's own test and the wait is not missed.
    void waitForControl(int ms, bool bWhilePaused);
    void wake();

    PlayerInterface *player = nullptr; // `output`, read when a request starts
    std::mutex albumMutex;
    AlbumSnapshotPtr published;
    av::InputContextPtr input;
    av::CodecContextPtr decoder;
    AVStream *stream = nullptr;
    // End of the latest decoded frame in stream time; gives the length at the first end of file
    // when neither the file nor MediaInfo knew it.
    int64_t decodedEnd = 0;
    // Where the container says the sound ends (musicEndPts), or AV_NOPTS_VALUE.
    int64_t musicEnd = AV_NOPTS_VALUE;
    // Where the latest seek asked to resume, in stream time; decoded sound before it is cut off.
    int64_t seekTarget = AV_NOPTS_VALUE;
    // The album's shaping and length, read when a request starts (the editor halts the preview
    // before it changes either). passAlbumStartUs: album time of the start offset in this pass.
    MusicShape shape;
    int64_t albumLengthUs = 0;
    int64_t passAlbumStartUs = 0;
    int64_t nextAlbumUs = 0; // album time just after the latest frame handed over
    MusicEnvelope envelope;
    int envelopeRate = 0;
    PeakLimiter limiter; // above full volume, after the gain
    // When the seek being served was asked for (av_gettime_relative), and whether its target
    // still has to move on by the time that has passed since.
    std::atomic<int64_t> seekRequestedAtUs{0};
    std::atomic<bool> seekFollowsClock{false};
    int64_t seekStartedUs = 0;
    bool seekCatchUp = false;

    std::atomic<uint64_t> decodesStarted{0}; // written by the decoder's thread only
    std::mutex controlMutex;
    std::condition_variable controlChanged;
};

// The music's length in milliseconds: the stream's duration, else MediaInfo's; -1 when unknown.
int musicDurationMs(const AVStream *stream, const QString &szFile);
