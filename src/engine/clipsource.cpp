// SPDX-License-Identifier: GPL-3.0-or-later
// Video clips: probing, single frames and the frames of a clip's life.
#include "clipsource.h"

struct ClipFrames::State
{
};

bool looksLikeClip(const QString &)
{
    return false;
}

int probeClip(const QString &, ClipProbe *, QString *reason)
{
    if (reason)
        *reason = QStringLiteral("no picture in this file");
    return AVERROR(ENOSYS);
}

int decodeClipFrame(const QString &, int64_t, QSize, AVFrame *)
{
    return AVERROR(ENOSYS);
}

std::shared_ptr<const ClipFrames> ClipFrames::create(const QString &, int, int,
                                                     const ResolvedLook &, int *error)
{
    if (error)
        *error = AVERROR(ENOSYS);
    return nullptr;
}

ClipFrames::~ClipFrames() = default;

int ClipFrames::render(int64_t, int64_t, AVFrame *) const
{
    return AVERROR(ENOSYS);
}
