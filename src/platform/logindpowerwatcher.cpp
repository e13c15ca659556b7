// SPDX-License-Identifier: GPL-3.0-or-later
// logind PrepareForSleep handling with a delay inhibitor.
#include "logindpowerwatcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

LogindPowerWatcher::LogindPowerWatcher(const QDBusConnection &stBus, QObject *pParent)
    : PowerEventSource(pParent), m_stBus(stBus)
{
    if (!m_stBus.isConnected())
        return;
    m_bWatching = m_stBus.connect(kService, kPath, kInterface, QStringLiteral("PrepareForSleep"),
                                  this, SLOT(sltPrepareForSleep(bool)));
    if (m_bWatching)
        takeDelayLock();
}

void LogindPowerWatcher::takeDelayLock()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("VelmoraAlbum")
         << QStringLiteral("Pausing the album preview") << QStringLiteral("delay");
    auto *pWatcher = new QDBusPendingCallWatcher(m_stBus.asyncCall(call), this);
    connect(pWatcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *pCall) {
                QDBusPendingReply<QDBusUnixFileDescriptor> reply = *pCall;
                if (!reply.isError())
                    m_stDelayLock = reply.value();
                pCall->deleteLater();
            });
}

void LogindPowerWatcher::sltPrepareForSleep(bool bStart)
{
    if (bStart) {
        emit suspending();
        // Our suspend handling ran: let the system go to sleep.
        m_stDelayLock = QDBusUnixFileDescriptor();
    } else {
        emit resumed();
        takeDelayLock();
    }
}

PowerEventSource *createSystemPowerEventSource(QObject *pParent)
{
    return new LogindPowerWatcher(QDBusConnection::systemBus(), pParent);
}

} // namespace platform
