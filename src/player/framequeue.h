// SPDX-License-Identifier: GPL-3.0-or-later
// Bounded ring of decoded frames between one producer thread and one consumer thread.
#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/rational.h>
}

#include <SDL.h>

#include <cstdint>

// One slot. The AVFrame is allocated once and reused: content moves in and out by reference.
struct QueuedFrame
{
    AVFrame *frame = nullptr;
    double pts = 0.0;
    double duration = 0.0;
    int64_t pos = 0;
    int width = 0;
    int height = 0;
    int format = -1;
    AVRational sar{0, 1};
    bool uploaded = false; // the texture already holds this picture
    bool flipV = false;
};

// Thread contract: exactly one producer thread (peekWritable, push) and one consumer thread
// (remaining, peek, peekReadable, next, flush, waitReadable). Two producers would both fill the
// slot at the write index, so callers that share a queue must serialise their pushes.
// `size`, `aborted`, `wakeRequested`, `writeEpoch` and `windex` are guarded by the queue's
// mutex; the read side (rindex, rindexShown) belongs to the consumer, `peekEpoch` to the
// producer. abort(), wake(), releaseWriters() may be called from any thread; flush() from the
// consumer's side (or any thread that serialises with it).
class FrameQueue
{
public:
    static constexpr int kMaxSlots = 9;

    FrameQueue() = default;
    ~FrameQueue() { destroy(); }
    FrameQueue(const FrameQueue &) = delete;
    FrameQueue &operator=(const FrameQueue &) = delete;

    // Returns 0 or AVERROR(ENOMEM); maxSize is capped at kMaxSlots.
    int init(int maxSize, bool keepLast);
    void destroy();

    // Blocks while the queue is full. Null once the queue is aborted (the playback has ended),
    // or when a flush() or releaseWriters() came while it waited.
    QueuedFrame *peekWritable();
    // Publishes the slot returned by peekWritable(). A flush() or releaseWriters() since that
    // call makes the frame stale: it is released instead, and false returned, so that a frame
    // meant for before a flush never lands in the emptied queue.
    bool push();

    // Releases every producer waiting now or later; the queue stays usable for the consumer.
    void abort();
    bool isAborted();
    // Releases the producer waiting now (peekWritable returns null) and makes a frame it is
    // filling stale; later pushes work as before.
    void releaseWriters();

    // Consumer side: sleeps until a frame not yet shown is queued, the queue is aborted, wake()
    // is called or `iTimeoutMs` pass. A wake() made before the call is not lost.
    void waitReadable(int iTimeoutMs);
    // Ends the consumer's current or next waitReadable().
    void wake();

    // Frames queued and not yet shown.
    int remaining();
    // The current frame (at the read index).
    QueuedFrame *peek() { return &m_queue[m_rindex]; }
    // The next frame to show; only valid when remaining() > 0.
    QueuedFrame *peekReadable() { return &m_queue[(m_rindex + m_rindexShown) % m_maxSize]; }
    // With keep-last the first call only marks the current frame as shown; it is released by
    // the following call, so its data stays valid while the consumer uses it.
    void next();
    // Consumer side: releases every queued frame (shown or not) and starts empty again.
    void flush();

    bool shown() const { return m_rindexShown != 0; }
    int maxSize() const { return m_maxSize; }
    int size();

private:
    QueuedFrame m_queue[kMaxSlots];
    int m_rindex = 0;
    int m_windex = 0;
    int m_size = 0;
    int m_maxSize = 0;
    bool m_keepLast = false;
    int m_rindexShown = 0;
    bool m_aborted = false;
    bool m_wakeRequested = false;
    // +1 at every flush and release: a producer's wait and its slot belong to one epoch.
    uint64_t m_writeEpoch = 0;
    uint64_t m_peekEpoch = 0;
    SDL_mutex *m_mutex = nullptr;
    SDL_cond *m_cond = nullptr;
};
