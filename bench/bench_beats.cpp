// The beat analysis of one song, the cache left aside: seconds per analysis, and what it found.
//
// usage: bench_beats FILE [ROUNDS]   (ROUNDS defaults to 3; prints each round and the median)
#include "beatanalysis.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_beats FILE [ROUNDS]\n");
        return 2;
    }
    const int rounds = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 3;
    BeatOptions options;
    options.bUseCache = false;
    std::vector<double> seconds;
    BeatResult last;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        last = BeatAnalysis::analyse(args.at(1), options);
        seconds.push_back(timer.nsecsElapsed() / 1e9);
        if (last.error != BeatError::None) {
            std::fprintf(stderr, "bench_beats: %s\n", qPrintable(last.reason));
            return 1;
        }
        std::printf("round %d: %.3f s\n", i + 1, seconds.back());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("analysis: %.3f s median of %d; %.1f BPM, %zu beats, %zu bars\n",
                seconds[seconds.size() / 2], rounds, last.grid.bpm, last.grid.beats.size(),
                last.grid.bars.size());
    return 0;
}
