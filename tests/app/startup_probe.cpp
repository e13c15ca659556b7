// Test helper: runs the program's start-up, prints message boxes and the shown window, and then
// quits ("quit"), runs on until killed ("hold"), or waits, minimised, until another start raises
// it ("stay"; "toggle" then also double-clicks the title bar twice and prints the window state
// after each). "take" runs on until killed and prints every list of files the editor is given.
// "resize" leaves the window at 1001 x 641 and quits, "maximise" leaves it maximised.
//
//   startup_probe CATCHER_FOLDER MODE [PROGRAM ARGUMENTS...]
#include "startup.h"

#include "cframelesswindow.h"
#include "messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <vector>

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

void doubleClickTitleBar(QWidget *pWindow)
{
    // Through the window, as the platform would deliver it, so that Qt makes the double click.
    auto *pTitle = pWindow->findChild<QWidget *>(QStringLiteral("uiTitleBar"));
    QTest::mouseDClick(pWindow->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       pTitle->mapTo(pWindow, QPoint(pTitle->width() / 2, pTitle->height() / 2)));
    say(pWindow->isMaximized() ? QStringLiteral("DCLICK maximised")
                               : QStringLiteral("DCLICK normal"));
}

class RaiseWatcher : public QObject
{
public:
    bool bToggle = false;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *pWindow = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowStateChange && !pWindow->isMinimized()) {
            pWindow->removeEventFilter(this);
            say(QStringLiteral("RAISED"));
            if (!bToggle) {
                qApp->quit();
                return false;
            }
            QTimer::singleShot(0, pWindow, [pWindow] {
                doubleClickTitleBar(pWindow);
                doubleClickTitleBar(pWindow);
                qApp->quit();
            });
        }
        return false;
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const bool bToggle = std::strcmp(argv[2], "toggle") == 0;
    const bool bStay = bToggle || std::strcmp(argv[2], "stay") == 0;
    const bool bHold = std::strcmp(argv[2], "hold") == 0 || std::strcmp(argv[2], "take") == 0;
    const bool bResize = std::strcmp(argv[2], "resize") == 0;
    const bool bMaximise = std::strcmp(argv[2], "maximise") == 0;
    PrintingMessageBox box;
    RaiseWatcher raiseWatcher;
    raiseWatcher.bToggle = bToggle;
    StartupOptions options;
    options.pMessageBox = &box;
    options.fnWindowShown = [bStay, bHold, bResize, bMaximise,
                             &raiseWatcher](ShareCode::CFramelessWindow *pWindow) {
        say(QStringLiteral("SHOWN %1 %2 %3 %4")
                .arg(pWindow->x())
                .arg(pWindow->y())
                .arg(pWindow->width())
                .arg(pWindow->height()));
        const QSize stAvail = pWindow->screen()->availableGeometry().size();
        say(QStringLiteral("SCREEN %1 %2").arg(stAvail.width()).arg(stAvail.height()));
        say(QStringLiteral("TITLE ") + pWindow->windowTitle());
        say(pWindow->isMaximized() ? QStringLiteral("STATE maximised")
                                   : QStringLiteral("STATE normal"));
        say(QStringLiteral("QTOK ") + QCoreApplication::translate("QPlatformTheme", "OK"));
        say(QStringLiteral("CWD ") + QDir::currentPath());
        say(QStringLiteral("EDITOR ") +
            (pWindow->findChild<QWidget *>(QStringLiteral("ZodoZadarClass")) ? "yes" : "no"));
        if (auto *pExport = pWindow->findChild<QPushButton *>(QStringLiteral("btnExport")))
            say(QStringLiteral("EXPORT ") + pExport->text());
        if (auto *pVersion = pWindow->findChild<QLabel *>(QStringLiteral("labVersion")))
            say(QStringLiteral("VERSION ") + pVersion->text());
        // Whether the face that widgets without a family of their own get can draw Chinese.
        const QString szFamily = QFontInfo(QApplication::font()).family();
        say(QStringLiteral("CJKFONT ") +
            (QFontDatabase().writingSystems(szFamily).contains(QFontDatabase::SimplifiedChinese)
                 ? "yes"
                 : "no"));
        if (bResize || bMaximise) {
            if (bResize)
                pWindow->resize(1001, 641);
            else
                pWindow->on_btnMax_clicked();
            qApp->quit();
        } else if (bStay) {
            pWindow->setWindowState(Qt::WindowMinimized);
            pWindow->installEventFilter(&raiseWatcher);
            say(QStringLiteral("WAITING"));
        } else if (!bHold) {
            qApp->quit();
        }
    };
    // One line per file; percent-encoded, so that a newline in a name cannot split it.
    options.fnFilesGiven = [](const QStringList &files, bool bOpened) {
        say(QStringLiteral("GIVEN %1 %2")
                .arg(QString::number(files.size()),
                     bOpened ? QStringLiteral("opened") : QStringLiteral("refused")));
        for (const QString &szFile : files)
            say(QStringLiteral("FILE ") +
                QString::fromLatin1(szFile.toUtf8().toPercentEncoding("/")));
    };
    // The program sees only its own arguments.
    const QString szCatchFolder = QString::fromLocal8Bit(argv[1]);
    std::vector<char *> programArgs{argv[0]};
    programArgs.insert(programArgs.end(), argv + 3, argv + argc);
    programArgs.push_back(nullptr);
    int iProgramArgc = argc - 2;
    options.szCatchHelperFolder = szCatchFolder;
    return runApplication(iProgramArgc, programArgs.data(), options);
}
