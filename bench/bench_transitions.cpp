// One transition frame at 1080p, for each kind of the album's table: our 4:2:0 drawing against
// xfade as the export used it (stills taken to 4:4:4 once, every frame through the filter and
// back to 4:2:0). Prints per kind the median milliseconds of each, their ratio, and the PSNR
// of ours against xfade's frame; then the medians over the kinds.
// usage: bench_transitions [WIDTHxHEIGHT] [FRAMES] [KIND]   (default 1920x1080, 25 frames, all)
// With KIND, every step of that kind is printed.
#include "benchstats.h"

#include "album.h"
#include "framegraph.h"
#include "pixelblend.h"
#include "xfadereference.h"
#include "yuvtransition.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

av::FramePtr photo(int w, int h, int seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, w, h);
    gradient.setColorAt(0, QColor::fromHsv(seed * 70 % 360, 180, 230));
    gradient.setColorAt(1, QColor::fromHsv(seed * 150 % 360, 255, 50));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv((i * 47 + seed * 13) % 360, 200, 120 + i * 3));
        painter.drawEllipse(QPoint((i * 211 + seed * 97) % w, (i * 137 + seed * 31) % h),
                            40 + i * 5, 30 + i * 3);
    }
    painter.end();
    av::FramePtr rgb = imageToFrame(image);
    av::FramePtr yuv = av::makeFrame();
    convertPixelFormat(rgb.get(), yuv.get(), AV_PIX_FMT_YUV420P);
    return yuv;
}

using xfadereference::psnr;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int w = 1920, h = 1080, frames = 25;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &w, &h) != 2)
        return 2;
    if (argc > 2)
        frames = std::max(2, std::atoi(argv[2]));
    av::FramePtr from = photo(w, h, 1);
    av::FramePtr to = photo(w, h, 2);
    av::FramePtr from444 = av::makeFrame();
    av::FramePtr to444 = av::makeFrame();
    convertWithGraph(from.get(), from444.get(), AV_PIX_FMT_YUV444P);
    convertWithGraph(to.get(), to444.get(), AV_PIX_FMT_YUV444P);
    std::printf("kernels: %s; %dx%d, %d frames a kind\n", pixelblend::level(), w, h, frames);
    std::printf("%-12s %9s %9s %7s %8s\n", "kind", "ours ms", "xfade ms", "ratio", "PSNR dB");
    std::vector<double> oursAll, xfadeAll, worst;
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    for (const TransitionKind &kind : kTransitionKinds) {
        if (!only.isEmpty() && only != kind.transitionName)
            continue;
        std::unique_ptr<YuvTransition> t = YuvTransition::create(kind.transitionName, w, h);
        SourcePadSpec in1 = videoSource(from444.get(), QStringLiteral("in1"));
        in1.timeBase = {1, 25};
        in1.frameRate = {25, 1};
        SourcePadSpec in2 = in1;
        in2.label = QStringLiteral("in2");
        av::FilterGraphPtr graph = createFilterGraph(
            QStringLiteral("[in1][in2]xfade=transition=%1:offset=0:duration=%2")
                .arg(QLatin1String(kind.transitionName), QString::number(double(frames) / 25.0)),
            {in1, in2}, {SinkPadSpec{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0}});
        std::vector<double> ours, theirs;
        double lowest = 99;
        for (int step = 0; step < frames && t && graph; ++step) {
            QElapsedTimer timer;
            timer.start();
            from444->pts = to444->pts = step;
            sendFrameToGraph(graph.get(), QStringLiteral("in1"), from444.get());
            sendFrameToGraph(graph.get(), QStringLiteral("in2"), to444.get());
            av::FramePtr reference = av::makeFrame();
            receiveFrameFromGraph(graph.get(), QStringLiteral("out"), reference.get());
            theirs.push_back(double(timer.nsecsElapsed()) / 1e6);
            timer.restart();
            av::FramePtr out = av::makeFrame();
            t->draw(from.get(), to.get(), YuvTransition::progressAt(step, frames), out.get());
            ours.push_back(double(timer.nsecsElapsed()) / 1e6);
            const double db = psnr(out.get(), reference.get());
            lowest = std::min(lowest, db);
            if (!only.isEmpty())
                std::printf("  step %d progress %.3f: %.1f dB\n", step,
                            double(YuvTransition::progressAt(step, frames)), db);
        }
        oursAll.push_back(median(ours));
        xfadeAll.push_back(median(theirs));
        worst.push_back(lowest);
        std::printf("%-12s %9.2f %9.2f %7.3f %8.1f\n", kind.transitionName, median(ours),
                    median(theirs), median(ours) / median(theirs), lowest);
    }
    std::printf("%-12s %9.2f %9.2f %7.3f %8.1f (lowest)\n", "median", median(oursAll),
                median(xfadeAll), median(oursAll) / median(xfadeAll),
                *std::min_element(worst.begin(), worst.end()));
    return 0;
}
