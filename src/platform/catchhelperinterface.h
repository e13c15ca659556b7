// SPDX-License-Identifier: GPL-3.0-or-later
// Binary interface between the program and the crash-catcher library loaded at start-up.
#pragma once

// Receives the catcher's report of a crash. Runs inside a fatal-signal handler: an observer may
// only use async-signal-safe calls (write, open, close) and must not allocate.
class CDumpCatchObserverBase
{
public:
    virtual void onDumpCatch(int iSignal, const char *szReportPath) = 0;
    virtual ~CDumpCatchObserverBase() = default;
};

class IBLLDumpCatchMgr
{
public:
    // Registers an observer (not owned); it must outlive the process's last chance to crash.
    virtual void registerObserver(CDumpCatchObserverBase *pObserver) = 0;

protected:
    ~IBLLDumpCatchMgr() = default;
};

class IBLLDumpCatchExport
{
public:
    virtual IBLLDumpCatchMgr *getDumpCatchMgr() = 0;

protected:
    ~IBLLDumpCatchExport() = default;
};

// The one exported entry point; installs the fatal-signal handlers on its first call.
using GetBLLDumpCatchMgrExportInterfaceFn = IBLLDumpCatchExport *(*)();
#define VM_CATCHHELPER_EXPORT_NAME "getBLLDumpCatchMgrExportInterface"
#define VM_CATCHHELPER_FILE_NAME "libcatchhelper.so"
