// SPDX-License-Identifier: GPL-3.0-or-later
// flock(2) on a file of the user's own.
#include "instancelock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {
// How often a waiting start looks again; holders keep the lock for milliseconds.
constexpr int kRetryMs = 10;
} // namespace

InstanceLock::InstanceLock(const QString &szPath, int iTimeoutMs)
{
    // O_NOFOLLOW: in a shared temporary folder the name could be a planted link.
    const int fd = ::open(QFile::encodeName(szPath).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        m_bBusy = errno == EWOULDBLOCK;
        if ((errno != EWOULDBLOCK && errno != EINTR) || clock.elapsed() >= iTimeoutMs)
            break;
        QThread::msleep(kRetryMs);
    }
    ::close(fd);
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

} // namespace platform
