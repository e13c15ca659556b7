// SPDX-License-Identifier: GPL-3.0-or-later
// File manager reveal through the session bus, with the folder opened as the fallback.
#include "filemanager.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

namespace platform {

void showFileInFileManager(const QString &szPath)
{
    showFileInFileManager(szPath, {});
}

void showFileInFileManager(const QString &szPath, std::function<void(bool bShown)> fnDone)
{
    const QFileInfo info(szPath);
    const QUrl folder = QUrl::fromLocalFile(info.absolutePath());
    // Whether the desktop could start anything for the folder (false: no handler at all).
    auto openFolder = [folder, fnDone] {
        const bool bOpened = QDesktopServices::openUrl(folder);
        if (fnDone)
            fnDone(bOpened);
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        // Answered from the event loop, as the bus's answer would be.
        QTimer::singleShot(0, qApp, openFolder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    // Asynchronous: activating a file manager can take seconds, and the window must not freeze.
    auto *pWatcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(pWatcher, &QDBusPendingCallWatcher::finished, pWatcher,
                     [openFolder, fnDone](QDBusPendingCallWatcher *pDone) {
                         if (pDone->isError())
                             openFolder();
                         else if (fnDone)
                             fnDone(true);
                         pDone->deleteLater();
                     });
}

} // namespace platform
