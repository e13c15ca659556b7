// FFmpeg's xfade as the reference for the transitions drawn in 4:2:0: its frames on the
// pictures taken to 4:4:4 and back, and the PSNR of two 4:2:0 pictures.
#pragma once

#include "avhandles.h"
#include "framegraph.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace xfadereference {

// Over the three planes of two YUV420P pictures of one size; 99 for equal ones.
inline double psnr(const AVFrame *x, const AVFrame *y)
{
    double sum = 0;
    double count = 0;
    for (int p = 0; p < 3; ++p) {
        const int w = p ? (x->width + 1) / 2 : x->width;
        const int h = p ? (x->height + 1) / 2 : x->height;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const int d =
                    x->data[p][r * x->linesize[p] + c] - y->data[p][r * y->linesize[p] + c];
                sum += d * d;
            }
        count += double(w) * h;
    }
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * count / sum);
}

// xfade's frames 0 .. steps - 1 of a transition of `steps` frames at 25 fps, on the pictures
// taken to 4:4:4 and its frames taken back to 4:2:0; empty on any failure.
inline std::vector<av::FramePtr> frames(const char *kind, const AVFrame *from, const AVFrame *to,
                                        int steps)
{
    av::FramePtr a = av::makeFrame();
    av::FramePtr b = av::makeFrame();
    if (convertWithGraph(from, a.get(), AV_PIX_FMT_YUV444P) < 0 ||
        convertWithGraph(to, b.get(), AV_PIX_FMT_YUV444P) < 0)
        return {};
    SourcePadSpec in1 = videoSource(a.get(), QStringLiteral("in1"));
    in1.timeBase = {1, 25};
    in1.frameRate = {25, 1};
    SourcePadSpec in2 = in1;
    in2.label = QStringLiteral("in2");
    av::FilterGraphPtr graph =
        createFilterGraph(QStringLiteral("[in1][in2]xfade=transition=%1:offset=0:duration=%2")
                              .arg(QLatin1String(kind), QString::number(double(steps) / 25.0)),
                          {in1, in2}, {SinkPadSpec{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0}});
    std::vector<av::FramePtr> out;
    for (int step = 0; graph && step < steps; ++step) {
        a->pts = b->pts = step;
        if (sendFrameToGraph(graph.get(), QStringLiteral("in1"), a.get()) < 0 ||
            sendFrameToGraph(graph.get(), QStringLiteral("in2"), b.get()) < 0)
            return {};
        av::FramePtr frame = av::makeFrame();
        bool got = false;
        if (receiveFrameFromGraph(graph.get(), QStringLiteral("out"), frame.get(), &got) < 0 ||
            !got)
            return {};
        out.push_back(std::move(frame));
    }
    return out;
}

} // namespace xfadereference
