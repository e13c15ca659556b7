// The album editor importing photos: thumbnails per second, and the longest time the
// user-interface thread went without running a 10 ms timer (its largest blocked stretch).
//
// usage: bench_editor_import PICTURE...     (run-bench passes 50 twelve-megapixel photos)
#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqthememgr.h"
#include "filechooser.h"
#include "imagedecoder.h"
#include "imagelistview.h"
#include "progressdialog.h"
#include "qtinversionwidget.h"
#include "zodozadar.h"
#include "zodozadar_form.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    QStringList pictures;
    for (int i = 1; i < argc; ++i)
        pictures << QString::fromLocal8Bit(argv[i]);
    if (pictures.isEmpty()) {
        std::fprintf(stderr, "usage: %s PICTURE...\n", argv[0]);
        return 2;
    }

    ShareCode::CQDialogExMgr dialogMgr;
    ShareCode::CQThemeMgr themeMgr;
    ShareCode::CBLLUIShadowMgr shadowMgr;
    ShareCode::CFramelessWindow frame;
    auto *pEditor = new ZodoZadar(&frame);
    frame.addContentWidget(pEditor);
    frame.resize(1000, 640);
    frame.show();
    FileChooser::setOpenFilesOverride(
        [pictures](const QString &, const QString &, const QString &, bool) { return pictures; });

    QElapsedTimer clock;
    qint64 lastTickNs = 0, worstGapNs = 0, firstRowNs = -1;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worstGapNs = std::max(worstGapNs, now - lastTickNs);
        lastTickNs = now;
    });
    QAbstractItemModel *pRows = pEditor->form()->imageSourceList->model();
    QObject::connect(pRows, &QAbstractItemModel::rowsInserted, [&] {
        if (firstRowNs < 0)
            firstRowNs = clock.nsecsElapsed();
    });

    clock.start();
    ticker.start(10);
    QTimer::singleShot(0, pEditor, [pEditor] {
        QMetaObject::invokeMethod(pEditor, "selectImageSources");
    });
    // Ends when the import is over: the decoder is released and the progress dialog is gone.
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (clock.elapsed() > 100 && !pEditor->decoder()->running &&
            !ShareCode::QtInversionWidget::instance()->findChild<ProgressDialog *>())
            app.quit();
    });
    done.start(5);
    app.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const int imported = pRows->rowCount();
    std::printf("pictures %d imported %d in %.2f s: %.1f thumbnails/s (first after %.0f ms); "
                "longest user-interface stall %.1f ms\n",
                int(pictures.size()), imported, seconds, imported / seconds, firstRowNs / 1e6,
                worstGapNs / 1e6);
    delete pEditor;
    return imported == pictures.size() ? 0 : 1;
}
