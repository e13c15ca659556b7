// SPDX-License-Identifier: GPL-3.0-or-later
// The frames of one transition, rendered on a thread of their own a few frames ahead of the
// encoder, so that the transition filter and the video encoder work at the same time.
#pragma once

#include "avhandles.h"
#include "picturerenderer.h"
#include "yuvtransition.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

// Thread contract: the constructor takes over the configured graph and copies of the two stills
// and starts the rendering thread, which alone touches them afterwards. `next` is called by the
// encoder's thread only. `mutex` guards `queue`, `aborted`, `finished` and `ranOutOfMemory`. The
// destructor aborts and joins, whatever state the thread is in. When no thread can be started,
// `next` renders each frame itself on the caller's thread: slower, same frames.
class TransitionRenderer
{
public:
    struct Item
    {
        av::FramePtr frame;            // the rendered frame, or null on failure
        int code = 0;                  // the failing step's FFmpeg code
        const char *message = nullptr; // the failing step's message (untranslated)
    };

    // One input: a still, or a moving picture's frames from life step `first` on (YUV420P).
    struct Side
    {
        const AVFrame *still = nullptr;
        std::shared_ptr<const FrameSeries> frames;
        int64_t first = 0;
        int64_t life = 0;
    };

    // Renders frames 0 .. frameCount - 1 of `graph` ("in1", "in2" -> "out"), at most `depth`
    // frames ahead of the consumer.
    TransitionRenderer(av::FilterGraphPtr graph, const AVFrame *from, const AVFrame *to,
                       int64_t frameCount, size_t depth);
    TransitionRenderer(av::FilterGraphPtr graph, const Side &from, const Side &to,
                       int64_t frameCount, size_t depth);
    // The same, drawn by `drawing` on 4:2:0 sides: frame i is step firstStep + i of a
    // transition of `steps` frames.
    TransitionRenderer(std::unique_ptr<YuvTransition> drawing, const Side &from, const Side &to,
                       int64_t firstStep, int64_t steps, int64_t frameCount, size_t depth);
    ~TransitionRenderer();
    TransitionRenderer(const TransitionRenderer &) = delete;
    TransitionRenderer &operator=(const TransitionRenderer &) = delete;

    // The next frame in order, waiting for it if need be. After a failure item, nothing follows.
    Item next();

    // One step of a transition graph ("in1", "in2" -> "out"): moving sides drawn into `from`
    // and `to` at their life step, both sent with pts `step`, the result received into `out`.
    // On failure *message names the failing step (untranslated, MediaEncoder context).
    static int renderStep(AVFilterGraph *graph, const Side &fromSide, const Side &toSide,
                          int64_t step, AVFrame *from, AVFrame *to, AVFrame *out,
                          const char **message);
    // The same drawn by `drawing`: the sides at `step`, the transition (of `steps` frames) at
    // firstStep + step.
    static int drawStep(YuvTransition &drawing, const Side &fromSide, const Side &toSide,
                        int64_t step, int64_t steps, AVFrame *from, AVFrame *to, AVFrame *out,
                        const char **message, int64_t firstStep = 0);

private:
    void run();
    Item render(int64_t index);
    // The failure that ends a transition which could not have the memory it needed.
    static Item outOfMemoryItem();
    void deliver(Item item);
    void start();

    av::FilterGraphPtr graph;
    std::unique_ptr<YuvTransition> drawing; // instead of the graph
    const int64_t firstStep = 0;
    const int64_t steps = 0;
    av::FramePtr from;
    av::FramePtr to;
    Side fromSide; // the frames of a moving side; `from` and `to` hold stills
    Side toSide;
    const int64_t frameCount;
    const size_t depth;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Item> queue;
    bool aborted = false;
    bool finished = false;
    bool ranOutOfMemory = false; // the thread ended on std::bad_alloc
    std::thread worker;
    bool inlineRendering = false; // no worker thread
    int64_t inlineNext = 0;       // the next frame `next` renders itself
};
