// Import speed: ImageDecoder's check + thumbnail of each picture, in process, repeated.
//
// usage: bench_import ROUNDS PICTURE...   prints milliseconds per picture
#include "imagedecoder.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ROUNDS PICTURE...\n", argv[0]);
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    QElapsedTimer timer;
    timer.start();
    int count = 0;
    for (int r = 0; r < rounds; ++r) {
        for (int i = 2; i < argc; ++i, ++count) {
            const ImageDecoder::Result res =
                ImageDecoder::decodeFile(QString::fromLocal8Bit(argv[i]), false);
            if (!res.ok) {
                std::fprintf(stderr, "%s: %s\n", argv[i], qPrintable(res.report));
                return 1;
            }
        }
    }
    std::printf("%.2f\n", timer.nsecsElapsed() / 1e6 / count);
    return 0;
}
