// SPDX-License-Identifier: GPL-3.0-or-later
// Loading of shared libraries by path: the program's stand-in for LoadLibrary and friends.
#pragma once

#include <QString>

namespace platform {

// Opens the library; it is never unmapped again, so that code it installed (signal handlers)
// stays valid even after closeLibrary. Returns null and sets szError on failure.
void *openLibrary(const QString &szPath, QString *szError = nullptr);
void *librarySymbol(void *pHandle, const char *szName);
bool closeLibrary(void *pHandle);

} // namespace platform
