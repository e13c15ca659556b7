// Rendering a transition ahead of the encoder.
#include "transitionrenderer.h"

#include "framegraph.h"

#include <QtGlobal>

#include <algorithm>

#include <pthread.h>

TransitionRenderer::TransitionRenderer(av::FilterGraphPtr graphIn, const AVFrame *fromIn,
                                       const AVFrame *toIn, int64_t frames, size_t queueDepth)
    : graph(std::move(graphIn)), from(av_frame_clone(fromIn)), to(av_frame_clone(toIn)),
      frameCount(frames), depth(std::max<size_t>(1, queueDepth))
{
    worker = std::thread([this] {
        pthread_setname_np(pthread_self(), "Transition");
        run();
    });
}

TransitionRenderer::~TransitionRenderer()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        aborted = true;
    }
    changed.notify_all();
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

void TransitionRenderer::run()
{
    auto failed = [this](int code, const char *message) {
        Item item;
        item.code = code;
        item.message = message;
        deliver(std::move(item));
    };
    if (!from || !to) {
        failed(AVERROR(ENOMEM), nullptr);
    } else {
        for (int64_t i = 0; i < frameCount; ++i) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (aborted)
                    break;
            }
            from->pts = i;
            to->pts = i;
            int ret = sendFrameToGraph(graph.get(), QStringLiteral("in1"), from.get());
            if (ret >= 0)
                ret = sendFrameToGraph(graph.get(), QStringLiteral("in2"), to.get());
            if (ret < 0) {
                failed(ret,
                       QT_TRANSLATE_NOOP("MediaEncoder", "Add frame to transition filter failed"));
                break;
            }
            Item item;
            item.frame = av::makeFrame();
            bool got = false;
            ret = item.frame ? receiveFrameFromGraph(graph.get(), QStringLiteral("out"),
                                                     item.frame.get(), &got)
                             : AVERROR(ENOMEM);
            if (ret >= 0 && !got)
                ret = AVERROR(EAGAIN);
            if (ret < 0) {
                failed(ret, QT_TRANSLATE_NOOP("MediaEncoder",
                                              "Get frame from transition filter failed"));
                break;
            }
            deliver(std::move(item));
        }
    }
    // The graph and the stills go with the thread that used them.
    graph.reset();
    from.reset();
    to.reset();
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    changed.notify_all();
}

TransitionRenderer::Item TransitionRenderer::next()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (queue.empty() && !finished)
        changed.wait(lock);
    if (queue.empty()) {
        Item none;
        none.code = AVERROR(EAGAIN);
        none.message = QT_TRANSLATE_NOOP("MediaEncoder", "Get frame from transition filter failed");
        return none;
    }
    Item item = std::move(queue.front());
    queue.pop_front();
    changed.notify_all();
    return item;
}
