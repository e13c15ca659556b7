// SPDX-License-Identifier: GPL-3.0-or-later
// A lock that the starts of one user take in turn; the system drops it when its holder ends.
#pragma once

#include <QString>

namespace platform {

class InstanceLock
{
public:
    // Takes the lock on the file szPath (created when missing, never removed: removing it would
    // let a waiting start lock a file that a newer start no longer sees). Gives up after
    // iTimeoutMs, or at once when the file cannot be opened; isHeld() then says false and the
    // caller goes on unguarded.
    InstanceLock(const QString &szPath, int iTimeoutMs);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
