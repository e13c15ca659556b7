// SPDX-License-Identifier: GPL-3.0-or-later
// Showing a file in the desktop's file manager: the program's stand-in for "explorer /select,".
#pragma once

#include <QString>

#include <functional>

namespace platform {

// Asks the session's file manager (org.freedesktop.FileManager1.ShowItems) to open the file's
// folder with the file selected; where no file manager answers, opens the folder itself. The
// call does not wait: the answer is handled by the event loop.
void showFileInFileManager(const QString &szPath);
// The same, then tells fnDone (on the event loop) whether anything took the request: false when
// no file manager answered and the folder could not be handed to a program either.
void showFileInFileManager(const QString &szPath, std::function<void(bool bShown)> fnDone);

} // namespace platform
