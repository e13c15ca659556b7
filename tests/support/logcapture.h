// FFmpeg's log watched, from every thread, for swscale's warning about the yuvj formats.
#pragma once

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <cstring>

namespace logcapture {

inline std::atomic<int> g_deprecatedFormatLines{0};

// While alive, counts "deprecated pixel format used, ..." lines instead of printing the log;
// FFmpeg's default callback comes back afterwards.
struct DeprecatedFormatLog
{
    static void count(void *, int, const char *fmt, va_list)
    {
        if (fmt && std::strstr(fmt, "deprecated pixel format"))
            ++g_deprecatedFormatLines;
    }
    DeprecatedFormatLog()
    {
        g_deprecatedFormatLines = 0;
        av_log_set_callback(count);
    }
    ~DeprecatedFormatLog() { av_log_set_callback(av_log_default_callback); }
    int lines() const { return g_deprecatedFormatLines.load(); }
};

} // namespace logcapture
