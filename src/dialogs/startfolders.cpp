// SPDX-License-Identifier: GPL-3.0-or-later
// Start folders of the choosers.
#include "startfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace StartFolders {

QString desktop()
{
    const QString szDesktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Without an XDG desktop folder, Qt names $HOME/Desktop whether it exists or not.
    if (!szDesktop.isEmpty() && QFileInfo(szDesktop).isDir())
        return szDesktop;
    return QDir::homePath();
}

QString existingOrDesktop(const QString &szFolder)
{
    if (!szFolder.isEmpty() && QFileInfo(szFolder).isDir())
        return szFolder;
    return desktop();
}

} // namespace StartFolders
