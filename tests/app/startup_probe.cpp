// Test helper: runs the program's start-up, prints message boxes and the shown window, and then
// quits ("quit") or waits, minimised, until another start raises it ("stay").
#include "startup.h"

#include "cframelesswindow.h"
#include "messagebox.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <cstdio>
#include <cstring>

namespace {
void say(const QString &szLine)
{
    std::fputs((szLine + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

class PrintingMessageBox : public platform::MessageBoxSink
{
public:
    void show(const QString &szCaption, const QString &szText) override
    {
        say(QStringLiteral("MSGBOX %1|%2").arg(szCaption, szText));
    }
};

class RaiseWatcher : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *pWindow = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowStateChange && !pWindow->isMinimized()) {
            say(QStringLiteral("RAISED"));
            qApp->quit();
        }
        return false;
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const bool bStay = std::strcmp(argv[2], "stay") == 0;
    PrintingMessageBox box;
    RaiseWatcher raiseWatcher;
    StartupOptions options;
    options.pMessageBox = &box;
    options.szCatchHelperFolder = QString::fromLocal8Bit(argv[1]);
    options.fnWindowShown = [bStay, &raiseWatcher](ShareCode::CFramelessWindow *pWindow) {
        say(QStringLiteral("SHOWN %1 %2 %3 %4")
                .arg(pWindow->x())
                .arg(pWindow->y())
                .arg(pWindow->width())
                .arg(pWindow->height()));
        const QSize stAvail = pWindow->screen()->availableGeometry().size();
        say(QStringLiteral("SCREEN %1 %2").arg(stAvail.width()).arg(stAvail.height()));
        say(QStringLiteral("TITLE ") + pWindow->windowTitle());
        say(QStringLiteral("QTOK ") + QCoreApplication::translate("QPlatformTheme", "OK"));
        say(QStringLiteral("CWD ") + QDir::currentPath());
        say(QStringLiteral("EDITOR ") +
            (pWindow->findChild<QWidget *>(QStringLiteral("ZodoZadarClass")) ? "yes" : "no"));
        if (bStay) {
            pWindow->setWindowState(Qt::WindowMinimized);
            pWindow->installEventFilter(&raiseWatcher);
            say(QStringLiteral("WAITING"));
        } else {
            qApp->quit();
        }
    };
    return runApplication(argc, argv, options);
}
