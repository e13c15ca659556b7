// The drawing of moving pictures alone: each photo prepared as the export prepares it (gentle
// motion, blurred fill, decoded at the size the motion needs), then every frame of its life drawn
// in turn, timed frame by frame. Prints the kernels in use and the median and mean milliseconds
// a frame per photo and over all.
// usage: bench_motion [--frames N] [--height H] [--level avx2|sse2|c] [--raw FILE] photo.jpg...
// --level: that version of the kernels (default: the best the processor has). --raw: the frames
// drawn, YUV420P one after another, to compare two builds' pictures (ffmpeg -f rawvideo -pix_fmt
// yuv420p -s WxH ... -lavfi psnr).
#include "benchstats.h"

#include "picturerenderer.h"
#include "pixelblend.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

void writeFrame(std::FILE *f, const AVFrame *frame)
{
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane ? (frame->width + 1) / 2 : frame->width;
        const int h = plane ? (frame->height + 1) / 2 : frame->height;
        for (int y = 0; y < h; ++y)
            std::fwrite(frame->data[plane] + size_t(y) * frame->linesize[plane], 1, size_t(w), f);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // fonts and pictures need the GUI module, not a screen
    int frames = 90, height = 1080;
    QString level;
    const char *raw = nullptr;
    QStringList photos;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--frames") && i + 1 < args.size())
            frames = std::max(2, args[++i].toInt());
        else if (args[i] == QLatin1String("--height") && i + 1 < args.size())
            height = std::max(2, args[++i].toInt()) & ~1;
        else if (args[i] == QLatin1String("--level") && i + 1 < args.size())
            level = args[++i];
        else if (args[i] == QLatin1String("--raw") && i + 1 < args.size())
            raw = argv[++i];
        else
            photos << args[i];
    }
    if (photos.isEmpty()) {
        std::fprintf(stderr, "usage: bench_motion [--frames N] [--height H] [--level avx2|sse2|c] "
                             "[--raw FILE] photo.jpg...\n");
        return 2;
    }
    if (!level.isEmpty() && !pixelblend::forceLevel(qPrintable(level))) {
        std::fprintf(stderr, "no kernels %s on this processor\n", qPrintable(level));
        return 2;
    }
    const int H = height, W = (H * 16 / 9 + 1) & ~1;
    std::FILE *out = raw ? std::fopen(raw, "wb") : nullptr;
    if (raw && !out)
        return 1;
    std::printf("kernels: %s; %dx%d, %d frames a photo\n", pixelblend::level(), W, H, frames);
    std::vector<double> all;
    for (int index = 0; index < photos.size(); ++index) {
        ResolvedLook look;
        gentleRects(index, &look.from, &look.to);
        look.moving = true;
        look.fitsFrame = true;
        look.fill = Fill{FillKind::Blur, 0};
        const PreparedLook prepared = prepareLook(photos[index], W, H, look);
        if (!prepared.frames) {
            std::fprintf(stderr, "%s: %s (%d)\n", qPrintable(photos[index]),
                         prepared.message ? prepared.message : "not moving", prepared.code);
            return 1;
        }
        std::vector<double> ms;
        av::FramePtr frame = av::makeFrame();
        for (int step = 0; step < frames; ++step) {
            QElapsedTimer timer;
            timer.start();
            if (prepared.frames->render(step, frames, frame.get()) < 0)
                return 1;
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            if (out)
                writeFrame(out, frame.get());
        }
        const auto *picture = dynamic_cast<const PictureFrames *>(prepared.frames.get());
        const QSize source = picture ? picture->sourceSize() : QSize();
        std::printf("%-40s source %dx%d: median %6.2f ms, mean %6.2f ms a frame\n",
                    qPrintable(photos[index].section(QLatin1Char('/'), -1)), source.width(),
                    source.height(), median(ms),
                    std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size()));
        all.insert(all.end(), ms.begin(), ms.end());
    }
    std::printf("all: median %.2f ms, mean %.2f ms a frame\n", median(all),
                std::accumulate(all.begin(), all.end(), 0.0) / double(all.size()));
    if (out)
        std::fclose(out);
    return 0;
}
