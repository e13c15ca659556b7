// SPDX-License-Identifier: GPL-3.0-or-later
// What only one user reaches: folders of their own, and who is at the other end of a socket.
#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// What a folder must be before sockets and locks of a user go in it.
enum class FolderRule
{
    // Owned by the user, and no one else may add, remove or replace what is in it (others may
    // look). Followed when it is a link: the folder a session names for the user.
    OthersCannotWrite,
    // Owned by the user, not a link, and no one else may do anything in it (0700).
    Private,
};

// Whether szPath is a folder of uid's that keeps rule.
bool isOwnFolder(const QString &szPath, uint uid, FolderRule rule);

// The folder szParent/szName, Private to uid, made when missing. Empty when that name is
// anything else (another user's folder, one open to others, a link, a file), or when szParent
// lets others replace what is in it: nothing goes where someone else could have put it.
QString privateFolder(const QString &szParent, const QString &szName, uint uid);

// The user id of the process at the other end of a connected local socket, as it was when the
// connection was made (the listener's when it began listening); -1 when it cannot be told.
qint64 peerUid(qintptr socketDescriptor);

} // namespace platform
