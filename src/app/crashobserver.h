// SPDX-License-Identifier: GPL-3.0-or-later
// Receives crash reports from the crash catcher.
#pragma once

#include "catchhelperinterface.h"

// Online crash upload is not built: the report's path is written to standard error.
class CBLLDumpCatchUpload : public CDumpCatchObserverBase
{
public:
    void onDumpCatch(int iSignal, const char *szReportPath) override;
    ~CBLLDumpCatchUpload() override = default;
};
