// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering a transition ahead of the encoder.
#include "transitionrenderer.h"

#include "framegraph.h"

#include <QtGlobal>

#include <algorithm>
#include <new>
#include <system_error>

#include <pthread.h>

TransitionRenderer::TransitionRenderer(av::FilterGraphPtr graphIn, const AVFrame *fromIn,
                                       const AVFrame *toIn, int64_t frames, size_t queueDepth)
    : graph(std::move(graphIn)), from(av_frame_clone(fromIn)), to(av_frame_clone(toIn)),
      frameCount(frames), depth(std::max<size_t>(1, queueDepth))
{
    start();
}

TransitionRenderer::TransitionRenderer(av::FilterGraphPtr graphIn, const Side &fromIn,
                                       const Side &toIn, int64_t frames, size_t queueDepth)
    : graph(std::move(graphIn)),
      from(fromIn.frames ? av::makeFrame() : av::FramePtr(av_frame_clone(fromIn.still))),
      to(toIn.frames ? av::makeFrame() : av::FramePtr(av_frame_clone(toIn.still))),
      fromSide(fromIn), toSide(toIn), frameCount(frames), depth(std::max<size_t>(1, queueDepth))
{
    fromSide.still = toSide.still = nullptr; // copied into `from` and `to`
    start();
}

TransitionRenderer::TransitionRenderer(std::unique_ptr<YuvTransition> drawingIn, const Side &fromIn,
                                       const Side &toIn, int64_t first, int64_t stepCount,
                                       int64_t frames, size_t queueDepth)
    : drawing(std::move(drawingIn)), firstStep(first), steps(stepCount),
      from(fromIn.frames ? av::makeFrame() : av::FramePtr(av_frame_clone(fromIn.still))),
      to(toIn.frames ? av::makeFrame() : av::FramePtr(av_frame_clone(toIn.still))),
      fromSide(fromIn), toSide(toIn), frameCount(frames), depth(std::max<size_t>(1, queueDepth))
{
    fromSide.still = toSide.still = nullptr; // copied into `from` and `to`
    start();
}

void TransitionRenderer::start()
{
    try {
        worker = std::thread([this] {
            pthread_setname_np(pthread_self(), "Transition");
            run();
        });
    } catch (const std::system_error &) {
        inlineRendering = true;
    }
}

TransitionRenderer::~TransitionRenderer()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        aborted = true;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
}

void TransitionRenderer::deliver(Item item)
{
    std::unique_lock<std::mutex> lock(mutex);
    while (queue.size() >= depth && !aborted)
        changed.wait(lock);
    if (aborted)
        return;
    queue.push_back(std::move(item));
    changed.notify_all();
}

TransitionRenderer::Item TransitionRenderer::render(int64_t index)
{
    Item item;
    auto failed = [&item](int code, const char *message) {
        item.frame.reset();
        item.code = code;
        item.message = message;
        return std::move(item);
    };
    if (!from || !to)
        return failed(AVERROR(ENOMEM), nullptr);
    item.frame = av::makeFrame();
    if (!item.frame)
        return failed(AVERROR(ENOMEM), nullptr);
    const char *message = nullptr;
    const int ret = drawing ? drawStep(*drawing, fromSide, toSide, index, steps, from.get(),
                                       to.get(), item.frame.get(), &message, firstStep)
                            : renderStep(graph.get(), fromSide, toSide, index, from.get(), to.get(),
                                         item.frame.get(), &message);
    if (ret < 0)
        return failed(ret, message);
    return item;
}

namespace {

// A moving side draws its frame for this step; a still is used again as it is.
int drawSides(const TransitionRenderer::Side &fromSide, const TransitionRenderer::Side &toSide,
              int64_t step, AVFrame *from, AVFrame *to, const char **message)
{
    int ret = 0;
    if (fromSide.frames)
        ret = fromSide.frames->render(fromSide.first + step, fromSide.life, from);
    if (ret >= 0 && toSide.frames)
        ret = toSide.frames->render(toSide.first + step, toSide.life, to);
    if (ret < 0)
        *message = QT_TRANSLATE_NOOP("MediaEncoder", "Image zoom failed");
    return ret;
}

} // namespace

int TransitionRenderer::drawStep(YuvTransition &drawing, const Side &fromSide, const Side &toSide,
                                 int64_t step, int64_t steps, AVFrame *from, AVFrame *to,
                                 AVFrame *out, const char **message, int64_t firstStep)
{
    int ret = drawSides(fromSide, toSide, step, from, to, message);
    if (ret < 0)
        return ret;
    ret = drawing.draw(from, to, YuvTransition::progressAt(firstStep + step, steps), out);
    if (ret < 0) {
        *message = QT_TRANSLATE_NOOP("MediaEncoder", "Get frame from transition filter failed");
        return ret;
    }
    out->pts = step;
    return 0;
}

int TransitionRenderer::renderStep(AVFilterGraph *graph, const Side &fromSide, const Side &toSide,
                                   int64_t step, AVFrame *from, AVFrame *to, AVFrame *out,
                                   const char **message)
{
    int ret = drawSides(fromSide, toSide, step, from, to, message);
    if (ret < 0)
        return ret;
    from->pts = step;
    to->pts = step;
    ret = sendFrameToGraph(graph, QStringLiteral("in1"), from);
    if (ret >= 0)
        ret = sendFrameToGraph(graph, QStringLiteral("in2"), to);
    if (ret < 0) {
        *message = QT_TRANSLATE_NOOP("MediaEncoder", "Add frame to transition filter failed");
        return ret;
    }
    bool got = false;
    ret = receiveFrameFromGraph(graph, QStringLiteral("out"), out, &got);
    if (ret >= 0 && !got)
        ret = AVERROR(EAGAIN);
    if (ret < 0)
        *message = QT_TRANSLATE_NOOP("MediaEncoder", "Get frame from transition filter failed");
    return ret;
}

void TransitionRenderer::run()
{
    // Memory that cannot be had ends the transition like a failing step (an exception leaving
    // the thread would end the program); the consumer learns it after the frames before it.
    bool outOfMemory = false;
    try {
        for (int64_t i = 0; i < frameCount; ++i) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (aborted)
                    break;
            }
            Item item = render(i);
            const bool failed = item.code < 0;
            deliver(std::move(item));
            if (failed)
                break;
        }
    } catch (const std::bad_alloc &) {
        outOfMemory = true;
    }
    // The graph and the stills go with the thread that used them.
    graph.reset();
    drawing.reset();
    from.reset();
    to.reset();
    fromSide.frames.reset();
    toSide.frames.reset();
    std::lock_guard<std::mutex> lock(mutex);
    ranOutOfMemory = outOfMemory;
    finished = true;
    changed.notify_all();
}

TransitionRenderer::Item TransitionRenderer::outOfMemoryItem()
{
    Item item;
    item.code = AVERROR(ENOMEM);
    item.message = QT_TRANSLATE_NOOP("MediaEncoder", "Out of memory");
    return item;
}

TransitionRenderer::Item TransitionRenderer::next()
{
    auto none = [] {
        Item item;
        item.code = AVERROR(EAGAIN);
        item.message = QT_TRANSLATE_NOOP("MediaEncoder", "Get frame from transition filter failed");
        return item;
    };
    if (inlineRendering) {
        if (inlineNext < 0 || inlineNext >= frameCount)
            return none();
        Item item;
        try {
            item = render(inlineNext);
        } catch (const std::bad_alloc &) {
            item = outOfMemoryItem();
        }
        inlineNext = item.code < 0 ? -1 : inlineNext + 1; // nothing follows a failure
        return item;
    }
    std::unique_lock<std::mutex> lock(mutex);
    while (queue.empty() && !finished)
        changed.wait(lock);
    if (queue.empty() && ranOutOfMemory) {
        ranOutOfMemory = false; // reported once; nothing follows
        return outOfMemoryItem();
    }
    if (queue.empty())
        return none();
    Item item = std::move(queue.front());
    queue.pop_front();
    changed.notify_all();
    return item;
}
