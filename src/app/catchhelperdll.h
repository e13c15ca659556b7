// SPDX-License-Identifier: GPL-3.0-or-later
// Loads the crash-catcher library beside the executable and hands out its interface.
#pragma once

#include "catchhelperinterface.h"

#include <QString>

namespace platform {
class MessageBoxSink;
}

class CCatchHelperDll
{
public:
    // Loads at once from szFolder (the executable's folder when empty); each failure is shown in
    // one message box on pMessageBox (the system's when null) and start-up goes on.
    explicit CCatchHelperDll(platform::MessageBoxSink *pMessageBox = nullptr,
                             const QString &szFolder = QString());
    // Keeps the library loaded: the signal handlers it installed stay in place to the end.
    virtual ~CCatchHelperDll();

    virtual bool prepare();
    virtual bool load();
    virtual bool unload();
    virtual void clear();
    virtual void reset();

    void *moduleHandle() const { return m_hModule; }
    GetBLLDumpCatchMgrExportInterfaceFn exportFunction() const { return m_pfnExport; }
    IBLLDumpCatchExport *exportInterface() const { return m_pInterface; }
    QString libraryPath() const;

private:
    void loadModule();

    void *m_hModule = nullptr;
    GetBLLDumpCatchMgrExportInterfaceFn m_pfnExport = nullptr;
    IBLLDumpCatchExport *m_pInterface = nullptr;
    platform::MessageBoxSink *m_pMessageBox;
    QString m_szFolder;
};
