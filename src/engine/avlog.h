// SPDX-License-Identifier: GPL-3.0-or-later
// FFmpeg's log, routed through the engine so that a decoder's refusal of an oversized picture
// can be told apart from a broken file.
#pragma once

#include <QSize>

#include <cstdarg>

// Installs the engine's log callback (once; later calls do nothing). Messages still reach
// FFmpeg's default output, filtered by av_log_set_level. A callback installed by someone else
// afterwards replaces it; refused sizes are then simply not noted.
void installEngineLogCallback();

// While alive, notes on this thread the picture size that the codec context `context` refuses
// to allocate (its max_pixels limit, or a size FFmpeg cannot represent at all).
class RefusedSizeWatch
{
public:
    explicit RefusedSizeWatch(const void *context);
    ~RefusedSizeWatch();
    RefusedSizeWatch(const RefusedSizeWatch &) = delete;
    RefusedSizeWatch &operator=(const RefusedSizeWatch &) = delete;

    // The size the decoder announced and refused; invalid when it refused none.
    QSize size() const { return refused; }

private:
    static void logCallback(void *avcl, int level, const char *fmt, va_list vl);
    friend void installEngineLogCallback();
    const void *context;
    QSize refused;
    RefusedSizeWatch *outer; // watches nest: a decode inside a decode
};
