// Program start-up: application object, crash catcher, translations, main window, event loop.
#pragma once

#include <QSize>
#include <QString>
#include <functional>

namespace platform {
class MessageBoxSink;
}
namespace ShareCode {
class CFramelessWindow;
}

struct StartupOptions
{
    platform::MessageBoxSink *pMessageBox = nullptr; // the system's message box when null
    QString szCatchHelperFolder;                     // the executable's folder when empty
    // Runs from the event loop once the main window is shown and sized.
    std::function<void(ShareCode::CFramelessWindow *)> fnWindowShown;
};

// Main window size on a screen with this available area: a margin of 509/1920 of the width and
// 250/1080 of the height on each side, truncated.
QSize mainWindowSize(const QSize &stAvailable);

// Runs the program; returns the exit code (1 for a second instance).
int runApplication(int &argc, char **argv, const StartupOptions &stOptions = StartupOptions());
