// SPDX-License-Identifier: GPL-3.0-or-later
// Bounded ring of decoded frames between one producer thread and one consumer thread.
#include "framequeue.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <algorithm>

int FrameQueue::init(int maxSize, bool keepLast)
{
    destroy();
    m_rindex = m_windex = m_size = m_rindexShown = 0;
    m_writeEpoch = m_peekEpoch = 0;
    m_aborted = false;
    m_wakeRequested = false;
    if (!(m_mutex = SDL_CreateMutex())) {
        av_log(nullptr, AV_LOG_FATAL, "SDL_CreateMutex(): %s\n", SDL_GetError());
        return AVERROR(ENOMEM);
    }
    if (!(m_cond = SDL_CreateCond())) {
        av_log(nullptr, AV_LOG_FATAL, "SDL_CreateCond(): %s\n", SDL_GetError());
        return AVERROR(ENOMEM);
    }
    m_maxSize = std::min(maxSize, kMaxSlots);
    m_keepLast = keepLast;
    for (int i = 0; i < m_maxSize; i++) {
        if (!(m_queue[i].frame = av_frame_alloc()))
            return AVERROR(ENOMEM);
    }
    return 0;
}

void FrameQueue::destroy()
{
    for (QueuedFrame &slot : m_queue) {
        av_frame_free(&slot.frame); // also unreferences
        slot = QueuedFrame();
    }
    if (m_cond) {
        SDL_DestroyCond(m_cond);
        m_cond = nullptr;
    }
    if (m_mutex) {
        SDL_DestroyMutex(m_mutex);
        m_mutex = nullptr;
    }
    m_maxSize = 0;
}

QueuedFrame *FrameQueue::peekWritable()
{
    SDL_LockMutex(m_mutex);
    const uint64_t epoch = m_writeEpoch;
    while (m_size >= m_maxSize && !m_aborted && m_writeEpoch == epoch)
        SDL_CondWait(m_cond, m_mutex);
    QueuedFrame *slot = m_aborted || m_writeEpoch != epoch ? nullptr : &m_queue[m_windex];
    m_peekEpoch = epoch;
    SDL_UnlockMutex(m_mutex);
    return slot;
}

bool FrameQueue::push()
{
    SDL_LockMutex(m_mutex);
    const bool current = m_writeEpoch == m_peekEpoch;
    if (current) {
        if (++m_windex == m_maxSize)
            m_windex = 0;
        m_size++;
        SDL_CondSignal(m_cond);
    } else {
        // Outside [rindex, rindex + size): nobody else touches this slot.
        av_frame_unref(m_queue[m_windex].frame);
    }
    SDL_UnlockMutex(m_mutex);
    return current;
}

void FrameQueue::releaseWriters()
{
    SDL_LockMutex(m_mutex);
    ++m_writeEpoch;
    SDL_CondBroadcast(m_cond);
    SDL_UnlockMutex(m_mutex);
}

void FrameQueue::abort()
{
    SDL_LockMutex(m_mutex);
    m_aborted = true;
    SDL_CondBroadcast(m_cond);
    SDL_UnlockMutex(m_mutex);
}

bool FrameQueue::isAborted()
{
    SDL_LockMutex(m_mutex);
    const bool aborted = m_aborted;
    SDL_UnlockMutex(m_mutex);
    return aborted;
}

void FrameQueue::waitReadable(int iTimeoutMs)
{
    SDL_LockMutex(m_mutex);
    const Uint64 deadline = SDL_GetTicks64() + Uint64(std::max(iTimeoutMs, 0));
    // rindexShown is the consumer's own, and this is the consumer.
    while (m_size - m_rindexShown <= 0 && !m_aborted && !m_wakeRequested) {
        const Uint64 now = SDL_GetTicks64();
        if (now >= deadline ||
            SDL_CondWaitTimeout(m_cond, m_mutex, Uint32(deadline - now)) == SDL_MUTEX_TIMEDOUT)
            break;
    }
    m_wakeRequested = false;
    SDL_UnlockMutex(m_mutex);
}

void FrameQueue::wake()
{
    SDL_LockMutex(m_mutex);
    m_wakeRequested = true;
    // Broadcast: a producer may be waiting on the same condition for a free slot.
    SDL_CondBroadcast(m_cond);
    SDL_UnlockMutex(m_mutex);
}

int FrameQueue::size()
{
    SDL_LockMutex(m_mutex);
    const int size = m_size;
    SDL_UnlockMutex(m_mutex);
    return size;
}

int FrameQueue::remaining()
{
    return size() - m_rindexShown;
}

void FrameQueue::next()
{
    if (m_keepLast && !m_rindexShown) {
        m_rindexShown = 1;
        return;
    }
    av_frame_unref(m_queue[m_rindex].frame);
    if (++m_rindex == m_maxSize)
        m_rindex = 0;
    SDL_LockMutex(m_mutex);
    m_size--;
    SDL_CondSignal(m_cond);
    SDL_UnlockMutex(m_mutex);
}

void FrameQueue::flush()
{
    // The slot a producer may be filling lies outside [rindex, rindex + size), so it is not
    // touched.
    SDL_LockMutex(m_mutex);
    while (m_size > 0) {
        av_frame_unref(m_queue[m_rindex].frame);
        if (++m_rindex == m_maxSize)
            m_rindex = 0;
        m_size--;
    }
    m_rindexShown = 0;
    ++m_writeEpoch;
    SDL_CondBroadcast(m_cond);
    SDL_UnlockMutex(m_mutex);
}
