// FFmpeg error codes to text.
#include "averror.h"

extern "C" {
#include <libavutil/error.h>
}

QString avErrorText(int code)
{
    char buf[64] = {0};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

QString avErrorReport(const QString &szMessage, int code)
{
    return QStringLiteral("%1(%2)").arg(szMessage, avErrorText(code));
}
