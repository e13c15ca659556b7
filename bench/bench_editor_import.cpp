// The album editor importing photos: thumbnails per second, and the longest time the
// user-interface thread went without running a 10 ms timer (its largest blocked stretch).
//
// usage: bench_editor_import PICTURE...     (run-bench passes 50 twelve-megapixel photos)
#include "editorharness.h"

#include <cstdio>

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv, true);
    QStringList pictures;
    for (int i = 1; i < argc; ++i)
        pictures << QString::fromLocal8Bit(argv[i]);
    if (pictures.isEmpty()) {
        std::fprintf(stderr, "usage: %s PICTURE...\n", argv[0]);
        return 2;
    }

    EditorHarness harness;
    QElapsedTimer clock;
    qint64 firstRowNs = -1;
    QAbstractItemModel *pRows = harness.editor->form()->imageSourceList->model();
    QObject::connect(pRows, &QAbstractItemModel::rowsInserted, [&] {
        if (firstRowNs < 0)
            firstRowNs = clock.nsecsElapsed();
    });

    StallProbe stalls;
    clock.start();
    stalls.start();
    harness.startImport(pictures);
    EditorHarness::waitFor([&] { return clock.elapsed() > 100 && harness.importDone(); },
                           24 * 3600 * 1000);
    stalls.stop();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const int imported = harness.rows();
    std::printf("pictures %d imported %d in %.2f s: %.1f thumbnails/s (first after %.0f ms); "
                "longest user-interface stall %.1f ms\n",
                int(pictures.size()), imported, seconds, imported / seconds, firstRowNs / 1e6,
                stalls.worstMs());
    return imported == pictures.size() ? 0 : 1;
}
