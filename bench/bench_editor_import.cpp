// The album editor importing photos: thumbnails per second, and the longest time the
// user-interface thread went without running a 10 ms timer (its largest blocked stretch).
//
// usage: bench_editor_import PICTURE...     (run-bench passes 50 twelve-megapixel photos)
//        bench_editor_import --folder DIR     (the folder through "Add folder…", subfolders too)
// It ends with the process's peak memory.
#include "editorharness.h"

#include "filechooser.h"

#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv, true);
    QStringList pictures;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        if (QLatin1String(argv[i]) == QLatin1String("--folder") && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else
            pictures << QString::fromLocal8Bit(argv[i]);
    }
    if (pictures.isEmpty() == folder.isEmpty()) {
        std::fprintf(stderr, "usage: %s PICTURE... | --folder DIR\n", argv[0]);
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
    if (folder.isEmpty()) {
        harness.startImport(pictures);
    } else {
        FileChooser::setOpenFolderOverride(
            [folder](const QString &, const QString &) { return folder; });
        QTimer::singleShot(0, harness.editor, [&harness] { harness.editor->addFolder(); });
    }
    EditorHarness::waitFor([&] { return clock.elapsed() > 100 && harness.importDone(); },
                           24 * 3600 * 1000);
    stalls.stop();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const int imported = harness.rows();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("pictures %d imported %d in %.2f s: %.1f thumbnails/s (first after %.0f ms); "
                "longest user-interface stall %.1f ms; peak memory %ld MiB\n",
                folder.isEmpty() ? int(pictures.size()) : -1, imported, seconds, imported / seconds,
                firstRowNs / 1e6, stalls.worstMs(), usage.ru_maxrss / 1024);
    return folder.isEmpty() && imported != pictures.size() ? 1 : 0;
}
