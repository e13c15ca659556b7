// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's FFmpeg log callback.
#include "avlog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

namespace {

thread_local RefusedSizeWatch *t_watch = nullptr;

// The one message libavutil gives for every size it refuses (image size checks), with the
// announced width and height as its first two arguments.
constexpr char kRefusedSizeFormat[] = "Picture size %ux%u";

} // namespace

RefusedSizeWatch::RefusedSizeWatch(const void *ctx) : context(ctx), outer(t_watch)
{
    t_watch = this;
}

RefusedSizeWatch::~RefusedSizeWatch()
{
    t_watch = outer;
}

void RefusedSizeWatch::logCallback(void *avcl, int level, const char *fmt, va_list vl)
{
    RefusedSizeWatch *watch = t_watch;
    if (watch && !watch->refused.isValid() && avcl && fmt &&
        std::strncmp(fmt, kRefusedSizeFormat, sizeof kRefusedSizeFormat - 1) == 0) {
        // The size check logs under its own class; its parent is the codec context it checks for.
        const AVClass *cls = *static_cast<const AVClass *const *>(avcl);
        if (cls && cls->parent_log_context_offset > 0) {
            const void *parent = *reinterpret_cast<void *const *>(static_cast<const char *>(avcl) +
                                                                  cls->parent_log_context_offset);
            if (parent == watch->context) {
                va_list args;
                va_copy(args, vl);
                const unsigned w = va_arg(args, unsigned);
                const unsigned h = va_arg(args, unsigned);
                va_end(args);
                watch->refused =
                    QSize(int(std::min<unsigned>(w, INT_MAX)), int(std::min<unsigned>(h, INT_MAX)));
            }
        }
    }
    av_log_default_callback(avcl, level, fmt, vl);
}

void installEngineLogCallback()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(&RefusedSizeWatch::logCallback); });
}
