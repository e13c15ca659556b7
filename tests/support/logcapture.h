// FFmpeg's log watched for one kind of line, from every thread, while a test step runs.
#pragma once

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <cstdarg>
#include <cstring>

namespace logcapture {

inline std::atomic<int> &deprecatedFormatLines()
{
    static std::atomic<int> lines{0};
    return lines;
}

extern "C" inline void countDeprecatedFormat(void *, int, const char *fmt, va_list)
{
    // swscale's "deprecated pixel format used, make sure you did set range correctly"
    if (fmt && std::strstr(fmt, "deprecated pixel format"))
        ++deprecatedFormatLines();
}

// While alive, counts swscale's warnings about the yuvj formats instead of printing the log.
// FFmpeg has one log callback per process: the default one comes back afterwards.
class DeprecatedFormatLog
{
public:
    DeprecatedFormatLog()
    {
        deprecatedFormatLines() = 0;
        av_log_set_callback(countDeprecatedFormat);
    }
    ~DeprecatedFormatLog() { av_log_set_callback(av_log_default_callback); }
    DeprecatedFormatLog(const DeprecatedFormatLog &) = delete;
    DeprecatedFormatLog &operator=(const DeprecatedFormatLog &) = delete;
    int lines() const { return deprecatedFormatLines().load(); }
};

} // namespace logcapture
