// Turning FFmpeg error codes into the "%1(%2)" reports the user sees.
#pragma once

#include <QString>

// av_strerror text of `code` (64-byte buffer, as FFmpeg formats it).
QString avErrorText(int code);
// "%1(%2)": the step's message directly followed by the FFmpeg text in parentheses.
QString avErrorReport(const QString &szMessage, int code);
