// SPDX-License-Identifier: GPL-3.0-or-later
// Crash observer; runs inside the fatal-signal handler, so only write(2) is used.
#include "crashobserver.h"

#include <cstring>
#include <unistd.h>

void CBLLDumpCatchUpload::onDumpCatch(int, const char *szReportPath)
{
    static const char kPrefix[] = "VelmoraAlbum crashed; report: ";
    ssize_t n = ::write(STDERR_FILENO, kPrefix, sizeof kPrefix - 1);
    if (szReportPath && *szReportPath)
        n = ::write(STDERR_FILENO, szReportPath, std::strlen(szReportPath));
    n = ::write(STDERR_FILENO, "\n", 1);
    (void)n;
}
