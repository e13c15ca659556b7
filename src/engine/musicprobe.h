// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a music file as the preview's music decoder does, and telling whether it holds MP3 sound.
#pragma once

#include "avhandles.h"

#include <QString>

// Opens szFile and finds its first audio stream. Returns 0, or AVERROR(EINVAL) for a file that
// does not open, the code of a failed stream probe, or AVERROR_STREAM_NOT_FOUND; `input` owns the
// file either way.
int openMusicInput(const QString &szFile, av::InputContextPtr &input, AVStream *&stream);

struct MusicProbe
{
    int code = AVERROR(EINVAL); // 0 when the file opened and has an audio stream
    AVCodecID codecId = AV_CODEC_ID_NONE;

    bool isMp3() const { return code >= 0 && codecId == AV_CODEC_ID_MP3; }
};

// What the music decoder would find in szFile; reads only as much as the stream probe needs.
MusicProbe probeMusicFile(const QString &szFile);
