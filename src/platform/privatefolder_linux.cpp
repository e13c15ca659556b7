// SPDX-License-Identifier: GPL-3.0-or-later
// Owner and mode checks with lstat(2) and SO_PEERCRED.
#include "privatefolder.h"

#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool isOwnFolder(const QString &szPath, uint uid, FolderRule rule)
{
    const QByteArray name = QFile::encodeName(szPath);
    struct stat st;
    const int ret = rule == FolderRule::Private ? ::lstat(name.constData(), &st)
                                                : ::stat(name.constData(), &st);
    if (szPath.isEmpty() || ret != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
        return false;
    const mode_t others = rule == FolderRule::Private ? 077 : 022;
    return (st.st_mode & others) == 0;
}

QString privateFolder(const QString &szParent, const QString &szName, uint uid)
{
    // A parent where others may write must be sticky (as /tmp is): there only an entry's owner
    // may rename or remove it, so the folder checked below is the folder used later.
    struct stat parent;
    if (::stat(QFile::encodeName(szParent).constData(), &parent) != 0 ||
        ((parent.st_mode & 022) != 0 && (parent.st_mode & S_ISVTX) == 0))
        return QString();
    const QString path = szParent + QLatin1Char('/') + szName;
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) == 0) {
        // The umask may have taken our own bits; the folder just made is ours to mend.
        const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            ::fchmod(fd, 0700);
            ::close(fd);
        }
    }
    return isOwnFolder(path, uid, FolderRule::Private) ? path : QString();
}

qint64 peerUid(qintptr socketDescriptor)
{
    ucred cred{};
    socklen_t length = sizeof cred;
    if (socketDescriptor < 0 ||
        ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 ||
        length != sizeof cred)
        return -1;
    return cred.uid;
}

} // namespace platform
