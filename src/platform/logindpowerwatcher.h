// SPDX-License-Identifier: GPL-3.0-or-later
// logind (org.freedesktop.login1) sleep watcher.
#pragma once

#include "powerevents.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>

namespace platform {

class LogindPowerWatcher : public PowerEventSource
{
    Q_OBJECT
public:
    // Watches the given bus; pass QDBusConnection::systemBus() for the real one.
    LogindPowerWatcher(const QDBusConnection &stBus, QObject *pParent = nullptr);

    bool isWatching() const { return m_bWatching; }
    bool holdsDelayLock() const { return m_stDelayLock.isValid(); }

private slots:
    void sltPrepareForSleep(bool bStart);

private:
    void takeDelayLock();

    QDBusConnection m_stBus;
    bool m_bWatching = false;
    // A "delay" inhibitor: logind waits (up to its InhibitDelayMaxSec) until we let go, so the
    // window is minimised and the preview paused before the machine actually sleeps.
    QDBusUnixFileDescriptor m_stDelayLock;
};

} // namespace platform
