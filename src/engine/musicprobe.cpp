// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a music file as the preview's music decoder does, and telling whether it holds MP3 sound.
#include "musicprobe.h"

#include "framegraph.h"

int openMusicInput(const QString &szFile, av::InputContextPtr &input, AVStream *&stream)
{
    stream = nullptr;
    input.reset();
    if (szFile.isEmpty())
        return AVERROR(EINVAL);
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, ffmpegPath(szFile).constData(), nullptr, nullptr) < 0)
        return AVERROR(EINVAL);
    input.reset(raw);
    const int ret = avformat_find_stream_info(input.get(), nullptr);
    if (ret < 0)
        return ret;
    for (unsigned i = 0; i < input->nb_streams && !stream; ++i) {
        if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            stream = input->streams[i];
    }
    return stream ? 0 : AVERROR_STREAM_NOT_FOUND;
}

MusicProbe probeMusicFile(const QString &szFile)
{
    MusicProbe probe;
    av::InputContextPtr input;
    AVStream *stream = nullptr;
    probe.code = openMusicInput(szFile, input, stream);
    if (stream)
        probe.codecId = stream->codecpar->codec_id;
    return probe;
}
