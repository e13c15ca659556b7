// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a music file as the preview's music decoder does, and telling whether its sound plays.
#pragma once

#include "avhandles.h"

#include <QString>

// Opens szFile and finds its first audio stream. Returns 0, or AVERROR(EINVAL) for a file that
// does not open, the code of a failed stream probe, or AVERROR_STREAM_NOT_FOUND; `input` owns the
// file either way. Every other stream (a video's pictures, a cover) is set to be discarded, so
// reading the sound of a video costs only its sound.
int openMusicInput(const QString &szFile, av::InputContextPtr &input, AVStream *&stream);

// Opens a decoder for `stream`; 0 or AVERROR_DECODER_NOT_FOUND.
int openMusicDecoder(const AVStream *stream, av::CodecContextPtr &decoder);

// Why a file cannot be the album's music.
enum class MusicFault
{
    None,
    NotMedia,    // it does not open as a media file
    NoSound,     // it opens, but holds no audio stream
    NoDecoder,   // its sound is in a format without a decoder here
    Undecodable, // the decoder gives no sound from its first packets
};

struct MusicProbe
{
    int code = AVERROR(EINVAL); // 0 when the file opened and has an audio stream
    AVCodecID codecId = AV_CODEC_ID_NONE;
    MusicFault fault = MusicFault::NotMedia;

    bool isMp3() const { return code >= 0 && codecId == AV_CODEC_ID_MP3; }
    bool playable() const { return fault == MusicFault::None; }
};

// What the music decoder would find in szFile: the stream probe and the first decoded sound,
// read by content whatever the file's name says.
MusicProbe probeMusicFile(const QString &szFile);

// Where the sound of `stream` ends, in its own time, when the container states it exactly: an
// MP4's edit list leaves out the encoder's padding after the last sample, which the decoder
// would otherwise play on every pass of a looped AAC. AV_NOPTS_VALUE where nothing says so
// (the demuxers of MP3, Ogg, FLAC and WAV trim or need no trimming themselves).
int64_t musicEndPts(const AVFormatContext *input, const AVStream *stream);

// Shortens a decoded frame (timestamps in `timeBase`) to the samples before `endPts`; false when
// none is left.
bool cutAtMusicEnd(AVFrame *frame, int64_t endPts, AVRational timeBase);
