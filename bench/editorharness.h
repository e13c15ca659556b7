// The album editor in its main window, as the program builds it, for benchmarks that drive it:
// an import through the file chooser and a probe of the user-interface thread's stalls.
#pragma once

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

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <functional>

extern "C" {
#include <libavutil/log.h>
}

// The benchmarks' application: Qt's offscreen platform unless bOffscreen is false or the caller
// chose one, and FFmpeg's own log silenced so that only the figures are printed.
class BenchApplication : public QApplication
{
public:
    BenchApplication(int &argc, char **argv, bool bOffscreen)
        : QApplication((choosePlatform(bOffscreen), argc), argv)
    {
        av_log_set_level(AV_LOG_QUIET);
    }

private:
    static void choosePlatform(bool bOffscreen)
    {
        if (bOffscreen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
};

// The longest time the user-interface thread went without running a 10 ms timer.
class StallProbe
{
public:
    StallProbe()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (now - m_lastNs > m_worstNs) {
                m_worstNs = now - m_lastNs;
                m_worstAtNs = m_lastNs;
            }
            m_lastNs = now;
        });
    }
    void start()
    {
        m_worstNs = 0;
        m_worstAtNs = 0;
        m_clock.start();
        m_lastNs = 0;
        m_ticker.start(10);
    }
    void stop() { m_ticker.stop(); }
    double worstMs() const { return m_worstNs / 1e6; }
    // When the longest stall began, in ms after start().
    double worstAtMs() const { return m_worstAtNs / 1e6; }

private:
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_worstNs = 0;
    qint64 m_worstAtNs = 0;
};

class EditorHarness
{
public:
    EditorHarness()
    {
        editor = new ZodoZadar(&m_frame);
        m_frame.addContentWidget(editor);
        m_frame.resize(1000, 640);
        m_frame.show();
    }
    ~EditorHarness() { delete editor; }

    // Runs the event loop until bDone() holds (polled every 5 ms) or iTimeoutMs passes.
    static bool waitFor(const std::function<bool()> &bDone, int iTimeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (bDone() || clock.elapsed() > iTimeoutMs)
                loop.quit();
        });
        poll.start(5);
        loop.exec();
        return bDone();
    }

    // Starts an import of szPictures through the editor's own chooser path; returns at once.
    void startImport(const QStringList &szPictures)
    {
        FileChooser::setOpenFilesOverride([szPictures](const QString &, const QString &,
                                                       const QString &,
                                                       bool) { return szPictures; });
        QTimer::singleShot(0, editor,
                           [this] { QMetaObject::invokeMethod(editor, "selectImageSources"); });
    }
    // The import is over: the decoder is released and the progress dialog is gone.
    bool importDone() const
    {
        return !editor->decoder()->running &&
               !ShareCode::QtInversionWidget::instance()->findChild<ProgressDialog *>();
    }
    int rows() const { return editor->form()->imageSourceList->model()->rowCount(); }
    void resizeWindow(QSize size) { m_frame.resize(size); }

    ZodoZadar *editor = nullptr;

private:
    ShareCode::CQDialogExMgr m_dialogMgr;
    ShareCode::CQThemeMgr m_themeMgr;
    ShareCode::CBLLUIShadowMgr m_shadowMgr;
    ShareCode::CFramelessWindow m_frame;
};
