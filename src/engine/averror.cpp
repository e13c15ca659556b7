// SPDX-License-Identifier: GPL-3.0-or-later
// FFmpeg error codes to text, in the interface language where we know the text.
#include "averror.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

extern "C" {
#include <libavutil/error.h>
}

namespace {

struct KnownError
{
    int code;
    const char *szText; // exactly as FFmpeg or the C library gives it in English
};

// The errors a slideshow meets: files that are missing, locked or full, pictures and music that
// do not decode, a cancel. Others are shown as FFmpeg gives them.
const KnownError kKnownErrors[] = {
    {AVERROR(EPERM), QT_TRANSLATE_NOOP("AVError", "Operation not permitted")},
    {AVERROR(ENOENT), QT_TRANSLATE_NOOP("AVError", "No such file or directory")},
    {AVERROR(EINTR), QT_TRANSLATE_NOOP("AVError", "Interrupted system call")},
    {AVERROR(EIO), QT_TRANSLATE_NOOP("AVError", "Input/output error")},
    {AVERROR(ENXIO), QT_TRANSLATE_NOOP("AVError", "No such device or address")},
    {AVERROR(EBADF), QT_TRANSLATE_NOOP("AVError", "Bad file descriptor")},
    {AVERROR(EAGAIN), QT_TRANSLATE_NOOP("AVError", "Resource temporarily unavailable")},
    {AVERROR(ENOMEM), QT_TRANSLATE_NOOP("AVError", "Cannot allocate memory")},
    {AVERROR(EACCES), QT_TRANSLATE_NOOP("AVError", "Permission denied")},
    {AVERROR(EBUSY), QT_TRANSLATE_NOOP("AVError", "Device or resource busy")},
    {AVERROR(EEXIST), QT_TRANSLATE_NOOP("AVError", "File exists")},
    {AVERROR(ENODEV), QT_TRANSLATE_NOOP("AVError", "No such device")},
    {AVERROR(ENOTDIR), QT_TRANSLATE_NOOP("AVError", "Not a directory")},
    {AVERROR(EISDIR), QT_TRANSLATE_NOOP("AVError", "Is a directory")},
    {AVERROR(EINVAL), QT_TRANSLATE_NOOP("AVError", "Invalid argument")},
    {AVERROR(ENFILE), QT_TRANSLATE_NOOP("AVError", "Too many open files in system")},
    {AVERROR(EMFILE), QT_TRANSLATE_NOOP("AVError", "Too many open files")},
    {AVERROR(EFBIG), QT_TRANSLATE_NOOP("AVError", "File too large")},
    {AVERROR(ENOSPC), QT_TRANSLATE_NOOP("AVError", "No space left on device")},
    {AVERROR(ESPIPE), QT_TRANSLATE_NOOP("AVError", "Illegal seek")},
    {AVERROR(EROFS), QT_TRANSLATE_NOOP("AVError", "Read-only file system")},
    {AVERROR(EPIPE), QT_TRANSLATE_NOOP("AVError", "Broken pipe")},
    {AVERROR(ERANGE), QT_TRANSLATE_NOOP("AVError", "Numerical result out of range")},
    {AVERROR(ENAMETOOLONG), QT_TRANSLATE_NOOP("AVError", "File name too long")},
    {AVERROR(ENOSYS), QT_TRANSLATE_NOOP("AVError", "Function not implemented")},
    {AVERROR(ELOOP), QT_TRANSLATE_NOOP("AVError", "Too many levels of symbolic links")},
    {AVERROR(EOPNOTSUPP), QT_TRANSLATE_NOOP("AVError", "Operation not supported")},
    {AVERROR(ETIMEDOUT), QT_TRANSLATE_NOOP("AVError", "Connection timed out")},
    {AVERROR(ESTALE), QT_TRANSLATE_NOOP("AVError", "Stale file handle")},
    {AVERROR(EDQUOT), QT_TRANSLATE_NOOP("AVError", "Disk quota exceeded")},
    {AVERROR_BSF_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Bitstream filter not found")},
    {AVERROR_BUG, QT_TRANSLATE_NOOP("AVError", "Internal bug, should not have happened")},
    {AVERROR_BUFFER_TOO_SMALL, QT_TRANSLATE_NOOP("AVError", "Buffer too small")},
    {AVERROR_DECODER_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Decoder not found")},
    {AVERROR_DEMUXER_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Demuxer not found")},
    {AVERROR_ENCODER_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Encoder not found")},
    {AVERROR_EOF, QT_TRANSLATE_NOOP("AVError", "End of file")},
    {AVERROR_EXIT, QT_TRANSLATE_NOOP("AVError", "Immediate exit requested")},
    {AVERROR_EXTERNAL, QT_TRANSLATE_NOOP("AVError", "Generic error in an external library")},
    {AVERROR_FILTER_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Filter not found")},
    {AVERROR_INVALIDDATA, QT_TRANSLATE_NOOP("AVError", "Invalid data found when processing input")},
    {AVERROR_MUXER_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Muxer not found")},
    {AVERROR_OPTION_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Option not found")},
    {AVERROR_PATCHWELCOME,
     QT_TRANSLATE_NOOP("AVError", "Not yet implemented in FFmpeg, patches welcome")},
    {AVERROR_PROTOCOL_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Protocol not found")},
    {AVERROR_STREAM_NOT_FOUND, QT_TRANSLATE_NOOP("AVError", "Stream not found")},
    {AVERROR_UNKNOWN, QT_TRANSLATE_NOOP("AVError", "Unknown error occurred")},
    {AVERROR_EXPERIMENTAL, QT_TRANSLATE_NOOP("AVError", "Experimental feature")},
    {AVERROR_INPUT_CHANGED, QT_TRANSLATE_NOOP("AVError", "Input changed")},
    {AVERROR_OUTPUT_CHANGED, QT_TRANSLATE_NOOP("AVError", "Output changed")},
};

QString ffmpegText(int code)
{
    char buf[64] = {0};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

// For a system error av_strerror asks strerror_r, whose text follows the process locale; the C
// library's English description finds the entry whatever the locale.
QString englishText(int code)
{
    if (code < 0) {
        if (const char *szDescription = strerrordesc_np(-code))
            return QString::fromUtf8(szDescription);
    }
    return ffmpegText(code);
}

} // namespace

QString avErrorText(int code)
{
    const QString szEnglish = englishText(code);
    for (const KnownError &known : kKnownErrors) {
        if (szEnglish == QLatin1String(known.szText))
            return QCoreApplication::translate("AVError", known.szText);
    }
    return ffmpegText(code);
}

QString avErrorReport(const QString &szMessage, int code)
{
    //: The failing step, then the system's or FFmpeg's words for why in brackets.
    const QString szReport =
        QCoreApplication::translate("AVError", "%1(%2)").arg(szMessage, avErrorText(code));
    // Without a step the words stand alone: no space before them.
    return szMessage.isEmpty() ? szReport.trimmed() : szReport;
}

QString systemErrorText(int errnum)
{
    return avErrorText(AVERROR(errnum));
}

QString translatedSystemText(const QString &szText)
{
    for (const KnownError &known : kKnownErrors) {
        if (szText == QLatin1String(known.szText))
            return QCoreApplication::translate("AVError", known.szText);
    }
    return szText;
}

QVector<QPair<int, QString>> avTranslatedErrors()
{
    QVector<QPair<int, QString>> errors;
    for (const KnownError &known : kKnownErrors)
        errors.append({known.code, QString::fromLatin1(known.szText)});
    return errors;
}
