// The album editor exporting through its export dialog, progress dialog and encoder thread: the
// export's wall time (from the dialog's export button to the success dialog) and the longest
// time the user-interface thread went without running a 10 ms timer meanwhile. Compare with
// vmalbum-export on the same pictures and settings (run-bench does).
//
// usage: bench_editor_export [--seed N] [-d SECONDS] [-H 720P] -o FOLDER/NAME.mp4 PICTURE...
#include "editorharness.h"

#include "album.h"
#include "cqcombobox.h"
#include "exportsettingdialog.h"
#include "faildialog.h"
#include "successdialog.h"

#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv, true);
    QStringList pictures;
    QString output, height = QStringLiteral("720P");
    int seed = 0, seconds = 2;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == QLatin1String("-o") && hasValue)
            output = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--seed") && hasValue)
            seed = atoi(argv[++i]);
        else if (arg == QLatin1String("-d") && hasValue)
            seconds = atoi(argv[++i]);
        else if (arg == QLatin1String("-H") && hasValue)
            height = QString::fromLocal8Bit(argv[++i]);
        else
            pictures << arg;
    }
    const QFileInfo target(output);
    if (pictures.isEmpty() || target.suffix().compare(QLatin1String("mp4"), Qt::CaseInsensitive)) {
        std::fprintf(stderr,
                     "usage: %s [--seed N] [-d S] [-H 720P] -o FOLDER/NAME.mp4 PICTURE...\n",
                     argv[0]);
        return 2;
    }
    QFile::remove(target.absoluteFilePath()); // no overwrite question in the timed part

    EditorHarness harness;
    ZodoZadar *pEditor = harness.editor;
    TransitionPicker::reset(seed); // transitions are drawn as the pictures arrive
    harness.startImport(pictures);
    if (!EditorHarness::waitFor(
            [&] { return harness.rows() == pictures.size() && harness.importDone(); }, 120000)) {
        std::fprintf(stderr, "import did not finish\n");
        return 1;
    }
    pEditor->form()->boxImageDuration->setValue(seconds);
    pEditor->form()->comboVideoHeight->setCurrentText(height);

    pEditor->form()->btnExport->click();
    auto *pDialog = ShareCode::QtInversionWidget::instance()->findChild<ExportSettingDialog *>();
    if (!pDialog) {
        std::fprintf(stderr, "no export dialog\n");
        return 1;
    }
    pDialog->changeFileDirectory(target.absolutePath());
    pDialog->changeFileName(target.completeBaseName());

    auto *pRoot = ShareCode::QtInversionWidget::instance();
    StallProbe stalls;
    QElapsedTimer clock;
    clock.start();
    // The click's own handling (dialogs swapped, album locked, the encoder asked) is one step;
    // the probe then watches the export itself.
    pDialog->startExport();
    const double startMs = clock.nsecsElapsed() / 1e6;
    stalls.start();
    EditorHarness::waitFor(
        [&] { return pRoot->findChild<SuccessDialog *>() || pRoot->findChild<FailDialog *>(); },
        3600000);
    const double wall = clock.nsecsElapsed() / 1e9;
    stalls.stop();
    const bool ok = pRoot->findChild<SuccessDialog *>() != nullptr;
    std::printf("editor export %s in %.2f s; the export button's handling %.1f ms, then the "
                "longest user-interface stall %.1f ms (%.0f ms in)\n",
                ok ? "written" : "FAILED", wall, startMs, stalls.worstMs(),
                startMs + stalls.worstAtMs());
    return ok ? 0 : 1;
}
