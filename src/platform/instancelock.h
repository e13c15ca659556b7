// SPDX-License-Identifier: GPL-3.0-or-later
// A lock on a file that one process holds at a time; the system drops it when its holder ends.
#pragma once

#include <QString>

namespace platform {

class InstanceLock
{
public:
    // Takes the lock on the file szPath (created when missing, never removed: removing it would
    // let a waiting start lock a file that a newer start no longer sees). Gives up after
    // iTimeoutMs (0: one try), or at once when the file cannot be opened or locked; isHeld()
    // then says false and the caller goes on unguarded. The lock lives as long as this object,
    // even when the file is opened and closed again meanwhile (flock(2), not a record lock).
    InstanceLock(const QString &szPath, int iTimeoutMs);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    bool isHeld() const { return m_fd >= 0; }
    // Not held because another holder had it for the whole wait (not because the file could not
    // be opened or the file system cannot lock).
    bool isBusy() const { return m_bBusy; }

private:
    int m_fd = -1;
    bool m_bBusy = false;
};

} // namespace platform
