// SPDX-License-Identifier: GPL-3.0-or-later
// File manager reveal through the session bus, with the folder opened as the fallback.
#include "filemanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {

void showFileInFileManager(const QString &szPath)
{
    const QFileInfo info(szPath);
    const QUrl folder = QUrl::fromLocalFile(info.absolutePath());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
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
                     [folder](QDBusPendingCallWatcher *pDone) {
                         if (pDone->isError())
                             QDesktopServices::openUrl(folder);
                         pDone->deleteLater();
                     });
}

} // namespace platform
