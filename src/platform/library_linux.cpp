// SPDX-License-Identifier: GPL-3.0-or-later
// dlopen-based library loading.
#include "library.h"

#include <QFile>
#include <dlfcn.h>

namespace platform {

void *openLibrary(const QString &szPath, QString *szError)
{
    void *pHandle = ::dlopen(QFile::encodeName(szPath).constData(), RTLD_NOW | RTLD_NODELETE);
    if (!pHandle && szError)
        *szError = QString::fromLocal8Bit(::dlerror());
    return pHandle;
}

void *librarySymbol(void *pHandle, const char *szName)
{
    return pHandle ? ::dlsym(pHandle, szName) : nullptr;
}

bool closeLibrary(void *pHandle)
{
    return pHandle ? ::dlclose(pHandle) == 0 : true;
}

} // namespace platform
