// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundreader.h"

#include "musicprobe.h"
#include "musicshape.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <vector>

namespace {
constexpr AVRational kMicroseconds{1, 1000000};

// The file's picture stream with a known start (cover art aside), or null.
const AVStream *firstPictureStream(const AVFormatContext *input)
{
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream *st = input->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(st->disposition & AV_DISPOSITION_ATTACHED_PIC) && st->start_time != AV_NOPTS_VALUE)
            return st;
    }
    return nullptr;
}
// How far before an offset a track begins decoding, so that the frame there has what it builds
// on (microseconds); the sound before the offset is cut off by timestamps.
constexpr int64_t kPreRollUs = 100000;
} // namespace

int SoundReader::open(const QString &path, int outRate, int outChannels, int64_t offsetSamples,
                      bool bFromPicture)
{
    rate = outRate;
    channels = outChannels;
    int ret = openMusicInput(path, input, stream);
    if (ret < 0)
        return ret;
    if ((ret = openMusicDecoder(stream, decoder)) < 0)
        return ret;
    fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, 4096));
    if (!fifo || !packet || !frame)
        return AVERROR(ENOMEM);
    musicEnd = musicEndPts(input.get(), stream);
    const int64_t soundBegin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    int64_t begin = soundBegin;
    if (bFromPicture) {
        if (const AVStream *picture = firstPictureStream(input.get()))
            begin = av_rescale_q(picture->start_time, picture->time_base, stream->time_base);
        // A sound that starts after the picture is preceded by silence up to its start.
        const int64_t lead =
            av_rescale_q(soundBegin - begin, stream->time_base, {1, rate}) - offsetSamples;
        if (lead > 0) {
            if ((ret = writeSilence(lead)) < 0)
                return ret;
            return 0;
        }
    }
    if (offsetSamples <= 0 && begin == soundBegin)
        return 0;
    trimTo =
        av_rescale_q(std::max<int64_t>(0, offsetSamples), {1, rate}, stream->time_base) + begin;
    const int64_t preRoll = av_rescale_q(kPreRollUs, kMicroseconds, stream->time_base);
    if (avformat_seek_file(input.get(), stream->index, INT64_MIN, trimTo - preRoll, INT64_MAX,
                           AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        // Where the file cannot seek, it is read from its beginning and cut.
        avformat_seek_file(input.get(), stream->index, INT64_MIN, 0, INT64_MAX,
                           AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    return 0;
}

int SoundReader::writeSilence(int64_t count)
{
    std::vector<float> zeros(4096);
    std::vector<void *> planes(static_cast<size_t>(channels), zeros.data());
    while (count > 0) {
        const int n = int(std::min<int64_t>(count, int64_t(zeros.size())));
        if (av_audio_fifo_write(fifo.get(), planes.data(), n) < n)
            return AVERROR(ENOMEM);
        count -= n;
    }
    return 0;
}

int SoundReader::convert(const AVFrame *in)
{
    if (!resampler) {
        if (!in)
            return 0;
        AVChannelLayout inLayout{};
        if (in->ch_layout.order == AV_CHANNEL_ORDER_NATIVE)
            av_channel_layout_copy(&inLayout, &in->ch_layout);
        else
            av_channel_layout_default(&inLayout, std::max(1, in->ch_layout.nb_channels));
        AVChannelLayout outLayout{};
        av_channel_layout_default(&outLayout, channels);
        SwrContext *raw = nullptr;
        int ret = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLTP, rate, &inLayout,
                                      AVSampleFormat(in->format), in->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        resampler.reset(raw);
        if (ret < 0 || (ret = swr_init(resampler.get())) < 0)
            return ret;
    }
    const int room = swr_get_out_samples(resampler.get(), in ? in->nb_samples : 0);
    if (room <= 0)
        return 0;
    std::vector<std::vector<float>> planes(static_cast<size_t>(channels),
                                           std::vector<float>(static_cast<size_t>(room)));
    std::vector<uint8_t *> out(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c)
        out[size_t(c)] = reinterpret_cast<uint8_t *>(planes[size_t(c)].data());
    const int got = swr_convert(resampler.get(), out.data(), room,
                                in ? const_cast<const uint8_t **>(in->extended_data) : nullptr,
                                in ? in->nb_samples : 0);
    if (got < 0)
        return got;
    if (got > 0 &&
        av_audio_fifo_write(fifo.get(), reinterpret_cast<void **>(out.data()), got) < got)
        return AVERROR(ENOMEM);
    return 0;
}

int SoundReader::takeFrames()
{
    for (;;) {
        int ret = avcodec_receive_frame(decoder.get(), frame.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF || ret == AVERROR_INVALIDDATA)
            return 0;
        if (ret < 0)
            return ret;
        if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
            frame->pts = frame->best_effort_timestamp;
        bool keep = frame->nb_samples > 0 && frame->sample_rate > 0 &&
                    cutAtMusicEnd(frame.get(), musicEnd, stream->time_base);
        if (keep && trimTo != AV_NOPTS_VALUE) {
            if (frame->pts == AV_NOPTS_VALUE) {
                trimTo = AV_NOPTS_VALUE;
            } else {
                const int64_t skip =
                    av_rescale_q(trimTo - frame->pts, stream->time_base, {1, frame->sample_rate});
                if (skip >= frame->nb_samples) {
                    keep = false;
                } else {
                    trimTo = AV_NOPTS_VALUE;
                    ret = dropLeadingSamples(frame.get(), int(std::max<int64_t>(0, skip)));
                }
            }
        }
        if (keep && ret >= 0)
            ret = convert(frame.get());
        av_frame_unref(frame.get());
        if (ret < 0)
            return ret;
    }
}

int SoundReader::pull()
{
    const int before = av_audio_fifo_size(fifo.get());
    while (!eof && av_audio_fifo_size(fifo.get()) == before) {
        int ret = av_read_frame(input.get(), packet.get());
        if (ret == AVERROR_EOF || (ret < 0 && input->pb && avio_feof(input->pb))) {
            avcodec_send_packet(decoder.get(), nullptr);
            ret = takeFrames();
            if (ret >= 0)
                ret = convert(nullptr);
            eof = true;
            return ret;
        }
        if (ret < 0)
            return ret;
        if (packet->stream_index == stream->index) {
            ret = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            // Junk between MPEG frames is skipped, as everywhere else.
            if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_INVALIDDATA)
                return ret;
            if ((ret = takeFrames()) < 0)
                return ret;
        } else {
            av_packet_unref(packet.get());
        }
    }
    return 0;
}
