// SPDX-License-Identifier: GPL-3.0-or-later
// Where the file and folder choosers start.
#pragma once

#include <QString>

namespace StartFolders {

// The user's desktop folder when it exists, else the home folder; never the working directory,
// which for an installed program is wherever it happened to be started from.
QString desktop();
// szFolder when it is an existing folder, else desktop().
QString existingOrDesktop(const QString &szFolder);

} // namespace StartFolders
